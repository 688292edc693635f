// This game's play types, beat exceptions and finders, and the finder walks.
#include "game/rules/PlDkTable.h"

#include "CardTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>

namespace rules {
namespace {

using test::BigJoker;
using test::Card;
using test::Hand;
using test::SmallJoker;

CardPlay Play(int32_t type, int32_t mask, int32_t strength, int32_t count)
{
    CardPlay play;
    play.type = type;
    play.beat_mask = mask;
    play.strength = strength;
    play.count = count;
    return play;
}

struct Counted {
    std::array<int32_t, 16> counters {};
    int32_t wild { 0 };
};

Counted Count(const CCardTable& table, const std::vector<int32_t>& cards)
{
    Counted c;
    table.CountValues(cards, c.counters, c.wild);
    return c;
}

TEST(PlDkReadings, FiveTenKingSuitedAndMixed)
{
    CPlDkTable table;
    CardPlayList list;
    auto suited = Hand({ Card(4, 2), Card(9, 2), Card(12, 2) });
    ASSERT_EQ(table.AnalyseCards(0, suited, list, CARD_TYPE_510K | CARD_TYPE_510K_SUITED), 1);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_510K_SUITED);
    EXPECT_EQ(list.plays[0].strength, 2);
    EXPECT_EQ(list.plays[0].cards[0], Card(12, 2));

    list.Clear();
    auto mixed = Hand({ Card(4, 0), Card(9, 2), Card(12, 3) });
    ASSERT_EQ(table.AnalyseCards(0, mixed, list, CARD_TYPE_510K | CARD_TYPE_510K_SUITED), 1);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_510K);
    EXPECT_EQ(list.plays[0].strength, 12);
}

TEST(PlDkReadings, WildJokersAloneAreTheWeakestPairAndTriple)
{
    CPlDkTable wild(OPTION_JOKERS_WILD);
    CardPlayList list;
    auto two = Hand({ SmallJoker(), BigJoker() });
    ASSERT_EQ(wild.AnalyseCards(0, two, list, CARD_TYPE_PAIR), 1);
    EXPECT_EQ(list.plays[0].strength, GetValueOrder(2, 1));
    list.Clear();
    auto three = Hand({ SmallJoker(), BigJoker(), SmallJoker(1) });
    ASSERT_EQ(wild.AnalyseCards(0, three, list, CARD_TYPE_TRIPLE), 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_TRIPLE);
    EXPECT_EQ(list.plays[0].count, 3);

    // A joker fills a pair when wild.
    list.Clear();
    auto joker_and_ten = Hand({ Card(9, 1), BigJoker() });
    ASSERT_EQ(wild.AnalyseCards(0, joker_and_ten, list, CARD_TYPE_PAIR), 1);
    EXPECT_EQ(list.plays[0].strength, 9);

    // Without the option, jokers are plain cards.
    CPlDkTable plain;
    list.Clear();
    auto small_pair = Hand({ SmallJoker(), SmallJoker(1) });
    ASSERT_EQ(plain.AnalyseCards(0, small_pair, list, CARD_TYPE_PAIR), 1);
    EXPECT_EQ(list.plays[0].strength, 21);
    list.Clear();
    EXPECT_EQ(plain.AnalyseCards(0, two, list, CARD_TYPE_PAIR), 0);
}

TEST(PlDkReadings, NaturalJokersFillBombsOfThreeOrMore)
{
    CPlDkTable table;
    CardPlayList list;
    auto three_nines = Hand({ Card(8, 0), Card(8, 1), Card(8, 2), SmallJoker() });
    ASSERT_EQ(table.AnalyseCards(0, three_nines, list, CARD_TYPE_BOMB), 1);
    EXPECT_EQ(list.plays[0].count, 4);
    EXPECT_EQ(list.plays[0].strength, 8);
    EXPECT_EQ(list.plays[0].cards[3], SmallJoker());
    list.Clear();
    auto two_nines = Hand({ Card(8, 0), Card(8, 1), SmallJoker(), BigJoker() });
    EXPECT_EQ(table.AnalyseCards(0, two_nines, list, CARD_TYPE_BOMB), 0);
}

TEST(PlDkReadings, AgainstFourJokersOnlyLongBombsAreSearched)
{
    CPlDkTable table;
    std::vector<int32_t> cards;
    for (int i = 0; i < 6; ++i)
        cards.push_back(Card(5, i % 4, i / 4));
    for (int i = 0; i < 7; ++i)
        cards.push_back(Card(10, i % 4, i / 4));
    cards.resize(PLAY_CARDS, NO_CARD);
    const Counted c = Count(table, cards);
    CardPlay four_jokers = Play(CARD_TYPE_FOUR_JOKERS, BEAT_MASK_PLDK_BOMB, 1, 4);
    ASSERT_EQ(table.FindBomb(cards, c.counters, c.wild, four_jokers, 0), 1);
    EXPECT_EQ(four_jokers.count, 7);
    EXPECT_EQ(GetCardValue(four_jokers.cards[0]), 10);
    CardPlay again = Play(CARD_TYPE_FOUR_JOKERS, BEAT_MASK_PLDK_BOMB, 1, 4);
    EXPECT_EQ(table.FindBomb(cards, c.counters, c.wild, again, 6), 0);
}

TEST(PlDkBeats, BombsFourJokersAnd510K)
{
    CPlDkTable table;
    const CardPlay four_jokers = Play(CARD_TYPE_FOUR_JOKERS, BEAT_MASK_PLDK_BOMB, 1, 4);
    const CardPlay bomb6 = Play(CARD_TYPE_BOMB, BEAT_MASK_PLDK_BOMB, 5 + 20000, 6);
    const CardPlay bomb7 = Play(CARD_TYPE_BOMB, BEAT_MASK_PLDK_BOMB, 3 + 30000, 7);
    const CardPlay mixed = Play(CARD_TYPE_510K, BEAT_MASK_510K, 12, 3);
    const CardPlay suited1 = Play(CARD_TYPE_510K_SUITED, BEAT_MASK_510K_SUITED, 1, 3);
    const CardPlay suited2 = Play(CARD_TYPE_510K_SUITED, BEAT_MASK_510K_SUITED, 2, 3);
    const CardPlay pair = Play(CARD_TYPE_PAIR, CARD_TYPE_PAIR, 13, 2);
    const CardPlay triple_seq = Play(CARD_TYPE_TRIPLE_SEQ, CARD_TYPE_TRIPLE_SEQ, 2005, 6);
    const CardPlay flush = Play(CARD_TYPE_STRAIGHT_FLUSH, 0, 105, 5);
    EXPECT_EQ(table.CanBeat(four_jokers, bomb7), 1);
    EXPECT_EQ(table.CanBeat(four_jokers, bomb6), 0);
    EXPECT_EQ(table.CanBeat(bomb6, four_jokers), 1);
    EXPECT_EQ(table.CanBeat(bomb7, four_jokers), 0);
    EXPECT_EQ(table.CanBeat(four_jokers, four_jokers), 0);
    EXPECT_EQ(table.CanBeat(bomb6, bomb7), 1);
    EXPECT_EQ(table.CanBeat(bomb7, bomb6), 0);
    EXPECT_EQ(table.CanBeat(mixed, mixed), 0);
    EXPECT_EQ(table.CanBeat(mixed, suited1), 1);
    EXPECT_EQ(table.CanBeat(suited1, suited2), 1);
    EXPECT_EQ(table.CanBeat(suited2, suited1), 0);
    EXPECT_EQ(table.CanBeat(suited2, mixed), 0);
    EXPECT_EQ(table.CanBeat(pair, mixed), 1);
    EXPECT_EQ(table.CanBeat(triple_seq, suited1), 1);
    EXPECT_EQ(table.CanBeat(mixed, bomb6), 1);
    EXPECT_EQ(table.CanBeat(suited2, four_jokers), 1);
    EXPECT_EQ(table.CanBeat(pair, flush), 0);
    EXPECT_EQ(table.CanBeat(flush, bomb7), 0);
    EXPECT_EQ(table.CanBeat(bomb7, pair), 0);
}

TEST(PlDkBeats, BeatingChoiceKeepsSequenceLengths)
{
    CPlDkTable table;
    const CardPlay last = Play(CARD_TYPE_PAIR_SEQ, CARD_TYPE_PAIR_SEQ, 3002, 6);
    CardPlayList list;
    auto eight = Hand({ Card(5, 0), Card(5, 1), Card(6, 0), Card(6, 1), Card(7, 0), Card(7, 1), Card(8, 0), Card(8, 1) });
    ASSERT_EQ(table.AnalyseCards(0, eight, list, CARD_TYPE_PAIR_SEQ), 1);
    EXPECT_EQ(table.CanBeat(last, list.plays[0]), 1);
    EXPECT_EQ(table.PickBeatingCandidate(last, list), 0);

    CardPlayList six;
    auto higher = Hand({ Card(6, 0), Card(6, 1), Card(7, 0), Card(7, 1), Card(8, 0), Card(8, 1) });
    ASSERT_EQ(table.AnalyseCards(0, higher, six, CARD_TYPE_PAIR_SEQ), 1);
    EXPECT_EQ(table.PickBeatingCandidate(last, six), 1);
    EXPECT_EQ(six.plays[0].strength, 3006);
}

TEST(PlDkFinders, TripleSequenceWithAnyPairs)
{
    CPlDkTable table;
    // 333 444 + 66 99: the pairs are any two values.
    auto hand = Hand({ Card(2, 0), Card(2, 1), Card(2, 2), Card(3, 0), Card(3, 1), Card(3, 2), Card(5, 0), Card(5, 1),
                       Card(8, 0), Card(8, 1) });
    CardPlayList list;
    ASSERT_EQ(table.AnalyseCards(0, hand, list, CARD_TYPE_TRIPLE_SEQ_PAIRS), 1);
    EXPECT_EQ(list.plays[0].strength, 2 * 10000 + 5 + 8);
    EXPECT_EQ(GetCardValue(list.plays[0].cards[0]), 3); // triples from the top of the run down

    // Ace-low: AAA 222 + 55 66.
    auto ace_low = Hand({ Card(13, 0), Card(13, 1), Card(13, 2), Card(1, 0), Card(1, 1), Card(1, 2), Card(4, 0),
                          Card(4, 1), Card(5, 0), Card(5, 1) });
    list.Clear();
    ASSERT_EQ(table.AnalyseCards(0, ace_low, list, CARD_TYPE_TRIPLE_SEQ_PAIRS), 1);
    EXPECT_EQ(list.plays[0].strength, 4 + 5);
    EXPECT_EQ(GetCardValue(list.plays[0].cards[5]), 13); // the ace last
}

// Walks one finder from the weakest play to failure and checks each step.
template<typename Finder>
int Walk(const CPlDkTable& table, const std::vector<int32_t>& hand, Finder finder)
{
    CardPlay play;
    int steps = 0;
    uint32_t last_strength = 0;
    int32_t last_type = 0;
    while (finder(play)) {
        if (last_type == play.type) {
            EXPECT_GT(static_cast<uint32_t>(play.strength), last_strength);
        }
        last_strength = static_cast<uint32_t>(play.strength);
        last_type = play.type;
        std::set<int32_t> used;
        for (int32_t id : play.Cards()) {
            EXPECT_NE(std::find(hand.begin(), hand.end(), id), hand.end());
            EXPECT_TRUE(used.insert(id).second);
        }
        CardPlayList reading;
        std::vector<int32_t> cards(play.cards, play.cards + PLAY_CARDS);
        CPlDkTable& reader = const_cast<CPlDkTable&>(table);
        EXPECT_EQ(reader.AnalyseCards(0, cards, reading, play.type), 1) << "type " << play.type;
        if (++steps > 200)
            break;
    }
    EXPECT_LE(steps, 200);
    return steps;
}

TEST(PlDkFinders, EveryFinderWalksUpwardToFailure)
{
    CPlDkTable table;
    auto hand = Hand({ Card(2, 0), Card(2, 1), Card(2, 2), Card(3, 0), Card(3, 1), Card(3, 2), Card(4, 0), Card(4, 1),
                       Card(5, 0), Card(5, 1), Card(6, 0), Card(7, 2), Card(8, 3), Card(9, 0), Card(9, 1), Card(9, 2),
                       Card(9, 3), Card(9, 0, 1), Card(12, 0), Card(4, 0, 1), Card(12, 3), SmallJoker(), SmallJoker(1),
                       BigJoker(), BigJoker(1), Card(13, 1), Card(1, 2) });
    const Counted c = Count(table, hand);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindSingle(hand, p); }), 5);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindPair(hand, c.counters, c.wild, p); }), 5);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindTriple(hand, c.counters, c.wild, p); }), 3);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindTriplePair(hand, c.counters, c.wild, p); }), 3);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindStraight(hand, c.counters, c.wild, p, 5); }), 1);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindPairSeq(hand, c.counters, c.wild, p, 3); }), 1);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindTripleSeq(hand, c.counters, c.wild, p, 2); }), 1);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindTripleSeqPairs(hand, c.counters, c.wild, p, 2); }), 1);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindBomb(hand, c.counters, c.wild, p, 0); }), 1);
    EXPECT_EQ(Walk(table, hand, [&](CardPlay& p) { return table.FindFourJokers(hand, c.counters, p); }), 1);
    EXPECT_EQ(Walk(table, hand, [&](CardPlay& p) { return table.FindMixed510K(hand, c.counters, p); }), 1);
    EXPECT_GE(Walk(table, hand, [&](CardPlay& p) { return table.FindSuited510K(hand, c.counters, p, -1); }), 1);
    Walk(table, hand, [&](CardPlay& p) { return table.FindStraightFlush(hand, p, 5); });
    Walk(table, hand, [&](CardPlay& p) { return table.FindBigBomb(hand, c.counters, c.wild, p, 0); });
}

// For random hands, every play a finder returns is a reading the analysis
// accepts, uses only cards of the hand, and strictly beats its threshold.
TEST(PlDkFinders, RandomHandsGiveOnlyValidPlays)
{
    std::mt19937 rng(20261207);
    for (int round = 0; round < 150; ++round) {
        CPlDkTable table(round % 2 ? OPTION_JOKERS_WILD : 0);
        std::vector<int32_t> deck(PLDK_TOTAL_CARDS);
        std::iota(deck.begin(), deck.end(), 0);
        std::shuffle(deck.begin(), deck.end(), rng);
        std::vector<int32_t> hand(deck.begin(), deck.begin() + 27);
        hand.resize(PLAY_CARDS, NO_CARD);
        const Counted c = Count(table, hand);
        auto check = [&](auto&& finder) {
            CardPlay threshold;
            for (int step = 0; step < 400; ++step) {
                CardPlay play = threshold;
                if (!finder(play))
                    return;
                ASSERT_EQ(table.CountValidCards(play.cards), play.count);
                for (int32_t id : play.Cards())
                    ASSERT_NE(std::find(hand.begin(), hand.end(), id), hand.end());
                CardPlayList list;
                std::vector<int32_t> cards(play.cards, play.cards + PLAY_CARDS);
                ASSERT_EQ(table.AnalyseCards(0, cards, list, play.type), 1) << "type " << play.type;
                if (threshold.type == play.type) {
                    ASSERT_GT(static_cast<uint32_t>(play.strength), static_cast<uint32_t>(threshold.strength));
                }
                threshold = play;
            }
            FAIL() << "a finder did not end: type " << threshold.type << " strength " << threshold.strength;
        };
        check([&](CardPlay& p) { return table.FindSingle(hand, p); });
        check([&](CardPlay& p) { return table.FindPair(hand, c.counters, c.wild, p); });
        check([&](CardPlay& p) { return table.FindTriple(hand, c.counters, c.wild, p); });
        check([&](CardPlay& p) { return table.FindTriplePair(hand, c.counters, c.wild, p); });
        check([&](CardPlay& p) { return table.FindStraight(hand, c.counters, c.wild, p, 5); });
        check([&](CardPlay& p) { return table.FindPairSeq(hand, c.counters, c.wild, p, 3); });
        check([&](CardPlay& p) { return table.FindTripleSeq(hand, c.counters, c.wild, p, 2); });
        check([&](CardPlay& p) { return table.FindTripleSeqPairs(hand, c.counters, c.wild, p, 2); });
        check([&](CardPlay& p) { return table.FindStraightFlush(hand, p, 5); });
        check([&](CardPlay& p) { return table.FindBomb(hand, c.counters, c.wild, p, 0); });
        check([&](CardPlay& p) { return table.FindFourJokers(hand, c.counters, p); });
        check([&](CardPlay& p) { return table.FindSuited510K(hand, c.counters, p, -1); });
        check([&](CardPlay& p) { return table.FindMixed510K(hand, c.counters, p); });
    }
}

} // namespace
} // namespace rules
