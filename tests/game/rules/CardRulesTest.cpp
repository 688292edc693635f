// Card encoding, counting, and the general table's reading of selections.
#include "game/rules/CardTable.h"
#include "game/rules/PlDkTable.h"

#include "CardTestSupport.h"
#include "RulesTestSupport.h"

#include "platform/ByteOrder.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace rules {
namespace {

using test::Card;
using test::Hand;
using test::SmallJoker;
using test::BigJoker;

TEST(CardEncoding, ValuesSuitsJokersAndPoints)
{
    EXPECT_EQ(GetCardValue(52), 14);
    EXPECT_EQ(GetCardValue(106), 14);
    EXPECT_EQ(GetCardSuit(106), 5);
    EXPECT_EQ(GetCardValue(53), 15);
    EXPECT_EQ(GetCardValue(107), 15);
    EXPECT_EQ(GetCardValue(54), 1);
    EXPECT_EQ(GetCardSuit(54), 0);
    EXPECT_EQ(GetCardValue(12), 13);
    EXPECT_EQ(GetCardValue(66), 13);
    EXPECT_EQ(GetCardValue(0), 1);
    EXPECT_EQ(GetCardValue(4), 5);
    EXPECT_EQ(DefaultCardScore(4, 0), 0);
    EXPECT_EQ(DefaultCardScore(3, 0), 5);
    EXPECT_EQ(GetCardPoints(Card(9, 2)), 10);
    EXPECT_EQ(GetCardPoints(Card(12, 1, 1)), 10);
    EXPECT_EQ(GetCardPoints(SmallJoker()), 0);
    EXPECT_EQ(GetCardRawValue(SmallJoker()), 1);
    EXPECT_EQ(GetCardValue(-1), 0);
    EXPECT_EQ(GetCardOrder(0, 1), 20);
    EXPECT_GT(GetCardOrder(0, 1), GetCardOrder(12, 1));
    EXPECT_LT(GetCardOrder(0, 1), GetCardOrder(52, 1));
    EXPECT_EQ(GetCardOrder(0, -1), 1);
    EXPECT_EQ(GetValueOrder(15, 3), 22);
}

TEST(CardCounting, ValidCardsAndWildCounting)
{
    CPlDkTable table(OPTION_JOKERS_WILD);
    const std::vector<int32_t> odd = { 108, -5, 3, -1, 107 };
    EXPECT_EQ(table.CountValidCards(odd), 2);

    std::array<int32_t, 16> counters {};
    int32_t wild = -1;
    const std::vector<int32_t> jokers = { SmallJoker(0), SmallJoker(1) };
    EXPECT_EQ(table.CountValues(jokers, counters, wild), 2);
    EXPECT_EQ(counters[14], 2);
    EXPECT_EQ(wild, 0);

    counters.fill(0);
    const std::vector<int32_t> joker_and_five = { SmallJoker(), Card(4, 2) };
    EXPECT_EQ(table.CountValues(joker_and_five, counters, wild), 2);
    EXPECT_EQ(counters[4], 1);
    EXPECT_EQ(counters[14], 0);
    EXPECT_EQ(wild, 1);

    const std::vector<int32_t> stop_at_end = { Card(3, 0), Card(3, 1), -1, Card(3, 2) };
    std::array<int32_t, 16> by_value {};
    EXPECT_EQ(CountCardsByValue(stop_at_end, by_value), 2);
    EXPECT_EQ(by_value[3], 2);
    const int32_t have[] = { 9, 2, 0, 1 };
    const int32_t need[] = { 100, 2, 0, 2 };
    EXPECT_EQ(CountsCover(have, need), 0);
    const int32_t need2[] = { 100, 2, 5, 1 };
    EXPECT_EQ(CountsCover(have, need2), 0);
    const int32_t need3[] = { 100, 1, 0, 1 };
    EXPECT_EQ(CountsCover(have, need3), 1);
}

class GeneralRulesFixture : public ::testing::Test {
protected:
    CCardTable table { TableArgs {}, CardRuleParams::PlDk() };
};

TEST_F(GeneralRulesFixture, PairAndStraightReadings)
{
    CardPlayList list;
    auto fives = Hand({ Card(4, 0), Card(4, 1, 1) });
    EXPECT_EQ(table.AnalyseCards(0, fives, list, BEAT_MASK_GENERAL_BOMB), 1);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_PAIR);
    EXPECT_EQ(list.plays[0].count, 2);

    list.Clear();
    auto straight = Hand({ Card(2, 0), Card(3, 1), Card(4, 2), Card(5, 3), Card(6, 0) });
    EXPECT_EQ(table.AnalyseCards(0, straight, list, BEAT_MASK_GENERAL_BOMB), 1);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_STRAIGHT);
    EXPECT_EQ(list.plays[0].strength, 102);
}

TEST_F(GeneralRulesFixture, BombAndBigBombLeadChoice)
{
    auto six = Hand({ Card(7, 0), Card(7, 1), Card(7, 2), Card(7, 3), Card(7, 0, 1), Card(7, 1, 1) });
    CardPlayList list;
    ASSERT_EQ(table.AnalyseCards(0, six, list, CARD_TYPE_BOMB | CARD_TYPE_BIG_BOMB), 1);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_BOMB);
    EXPECT_EQ(list.plays[1].type, CARD_TYPE_BIG_BOMB);
    table.PickLeadCandidate(list);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_BOMB);
    EXPECT_EQ(list.count, 2);

    list.Clear();
    ASSERT_EQ(table.AnalyseCards(0, six, list, CARD_TYPE_BOMB | CARD_TYPE_BIG_BOMB | CARD_TYPE_ANY), 1);
    table.PickLeadCandidate(list);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_ANY);
}

TEST_F(GeneralRulesFixture, AFullListTakesNoMoreReadings)
{
    CardPlayList list;
    list.count = PLAY_LIST_SIZE;
    auto one = Hand({ Card(5, 0) });
    EXPECT_EQ(table.AnalyseCards(0, one, list, CARD_TYPE_ANY), 1);
    EXPECT_EQ(list.count, PLAY_LIST_SIZE);
    EXPECT_EQ(list.plays[4].type, 0);
}

TEST_F(GeneralRulesFixture, SingleAboveTheLevelCard)
{
    CPlDkTable pldk;
    auto hand = Hand({ Card(13, 0), Card(1, 1), Card(5, 2) });
    CardPlay play;
    play.strength = 20; // the level card (value 1) under level 1
    EXPECT_EQ(pldk.FindSingle(hand, play), 0);
    auto with_joker = Hand({ Card(13, 0), Card(1, 1), BigJoker(), SmallJoker() });
    EXPECT_EQ(pldk.FindSingle(with_joker, play), 1);
    EXPECT_EQ(play.cards[0], SmallJoker());
    EXPECT_EQ(play.strength, 21);
}

TEST_F(GeneralRulesFixture, PairSequenceMinimumDiffers)
{
    auto hand = Hand({ Card(2, 0), Card(2, 1), Card(3, 0), Card(3, 2) });
    std::array<int32_t, 16> counters {};
    int32_t wild = 0;
    table.CountValues(hand, counters, wild);
    CardPlay play;
    ASSERT_EQ(table.FindPairSeq(hand, counters, wild, play, 2), 1);
    EXPECT_EQ(play.strength, 2002);
    CPlDkTable pldk;
    CardPlay refused;
    EXPECT_EQ(pldk.FindPairSeq(hand, counters, wild, refused, 2), 0);
}

TEST_F(GeneralRulesFixture, StraightsStopAtTheAceAndStraightFlushesGoAceLow)
{
    auto top = Hand({ Card(9, 0), Card(10, 1), Card(11, 2), Card(12, 3), Card(13, 0) });
    CardPlayList list;
    ASSERT_EQ(table.AnalyseCards(0, top, list, CARD_TYPE_STRAIGHT), 1);
    EXPECT_EQ(list.plays[0].strength, 109);

    auto wheel = Hand({ Card(13, 0), Card(1, 1), Card(2, 2), Card(3, 3), Card(4, 0) });
    list.Clear();
    EXPECT_EQ(table.AnalyseCards(0, wheel, list, CARD_TYPE_STRAIGHT), 0);
    auto suited_wheel = Hand({ Card(13, 2), Card(1, 2), Card(2, 2), Card(3, 2), Card(4, 2) });
    list.Clear();
    ASSERT_EQ(table.AnalyseCards(0, suited_wheel, list, CARD_TYPE_STRAIGHT | CARD_TYPE_STRAIGHT_FLUSH), 1);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_STRAIGHT_FLUSH);
    EXPECT_EQ(list.plays[0].strength, 100);
    EXPECT_EQ(list.plays[0].cards[0], Card(13, 2));

    auto low_flush = Hand({ Card(1, 1), Card(2, 1), Card(3, 1), Card(4, 1), Card(5, 1) });
    CardPlay play;
    ASSERT_EQ(table.FindStraightFlush(low_flush, play, 5), 1);
    EXPECT_EQ(play.strength, 101);
    EXPECT_EQ(table.FindStraightFlush(low_flush, play, 5), 0);
}

TEST(GenericTable, EightChairsAndFourDecks)
{
    CCardTable generic { TableArgs { .chair_count = 8 }, CardRuleParams::Generic() };
    EXPECT_EQ(generic.GetChairCount(), 8);
    std::vector<int32_t> twelve;
    for (int deck = 0; deck < 4; ++deck) {
        for (int suit = 0; suit < 3; ++suit)
            twelve.push_back(Card(8, suit, deck));
    }
    twelve.resize(PLAY_CARDS, NO_CARD);
    EXPECT_EQ(generic.CountValidCards(twelve), 12);
    CardPlayList list;
    ASSERT_EQ(generic.AnalyseCards(0, twelve, list, BEAT_MASK_WITH_FOUR_JOKERS), 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_BOMB);
    EXPECT_EQ(list.plays[0].count, 12);
    const std::vector<int32_t> high = { 215, 216 };
    EXPECT_EQ(generic.CountValidCards(high), 1);
}

TEST(Bidding, HighestBidModes)
{
    test::TestEnvironment env;
    CCardTable table { TableArgs {}, CardRuleParams::PlDk() };
    table.SetEnvironment(env.Get());
    int decided = 0;
    table.OnBid({ 0, 0, 0, 2, 0, 400 }, decided);
    EXPECT_EQ(decided, 1);
    EXPECT_EQ(table.GetBanker(), 2);
    EXPECT_EQ(table.GetBestBid(), 400);

    table.Reset(0);
    table.SetOptions(OPTION_BID_ONE_ROUND);
    table.SetBanker(1);
    table.SetCurrentChair(0);
    decided = 0;
    table.OnBid({ 0, 0, 0, 0, 0, 120 }, decided);
    EXPECT_EQ(decided, 0);
    EXPECT_EQ(table.GetCurrentChair(), 3);
    table.OnBid({ 0, 0, 0, 3, 1, 0 }, decided);
    table.OnBid({ 0, 0, 0, 2, 0, 150 }, decided);
    table.OnBid({ 0, 0, 0, 1, 0, 150 }, decided);
    EXPECT_EQ(decided, 1);
    EXPECT_EQ(table.GetBanker(), 1);
    EXPECT_EQ(table.GetBestBid(), 150);

    table.Reset(0);
    table.SetBanker(2);
    decided = 0;
    for (int c = 0; c < 4; ++c)
        table.OnBid({ 0, 0, 0, c, 1, 0 }, decided);
    EXPECT_EQ(decided, 1);
    EXPECT_EQ(table.GetBestBid(), 100);
    EXPECT_EQ(table.GetBanker(), 2);
    table.AddStatus(TABLE_STATE_BIDDING);
    EXPECT_EQ(table.BeginPlayPhase(), 1);
    EXPECT_EQ(table.GetStatus() & TABLE_STATE_BIDDING, 0u);
    EXPECT_EQ(table.GetCurrentChair(), 2);
}

TEST(Bidding, LowestBidModeAndIgnoredBids)
{
    CCardTable table { TableArgs {}, CardRuleParams::PlDk() };
    table.SetOptions(OPTION_LOWEST_BID_WINS | OPTION_BID_ONE_ROUND);
    int decided = 0;
    table.OnBid({ 0, 0, 0, 3, 0, 0 }, decided);
    EXPECT_EQ(decided, 1);
    EXPECT_EQ(table.GetBanker(), 3);

    table.Reset(0);
    decided = 0;
    table.OnBid({ 0, 0, 0, 0, 0, 80 }, decided);
    table.OnBid({ 0, 0, 0, 1, 0, 60 }, decided);
    table.OnBid({ 0, 0, 0, 9, 0, 10 }, decided); // no such chair: not recorded
    EXPECT_EQ(table.GetBidCount(), 2);
    table.OnBid({ 0, 0, 0, 2, 0, 60 }, decided);
    table.OnBid({ 0, 0, 0, 3, 0, 120 }, decided);
    EXPECT_EQ(decided, 1);
    EXPECT_EQ(table.GetBanker(), 2);
    EXPECT_EQ(table.GetBestBid(), 60);

    table.Reset(0);
    table.SetOptions(0);
    decided = 0;
    for (int i = 0; i < 40; ++i)
        table.OnBid({ 0, 0, 0, i % 4, 0, 110 }, decided);
    EXPECT_EQ(table.GetBidCount(), MAX_BIDS);
    EXPECT_EQ(decided, 0);
}

} // namespace
} // namespace rules

namespace rules {
namespace {

using test::BigJoker;
using test::Card;
using test::Hand;
using test::SmallJoker;

TEST(CounterSearches, StrongestWeakestAndPicking)
{
    CPlDkTable table(OPTION_JOKERS_WILD);
    std::array<int32_t, 16> counters {};
    counters[3] = 2;
    counters[9] = 1;
    counters[13] = 3;
    EXPECT_EQ(table.FindStrongestValue(counters, 3, 0), 13);
    EXPECT_EQ(table.FindStrongestValue(counters, 3, 1), 13);
    EXPECT_EQ(table.FindWeakestValueAbove(counters, 3), 9);
    EXPECT_EQ(table.FindWeakestValueAbove(counters, 13), -1);
    int32_t wild = 2;
    EXPECT_EQ(table.TakeStrongestValue(counters, 4, wild), 13);
    EXPECT_EQ(counters[13], 0);
    EXPECT_EQ(wild, 1);
    EXPECT_EQ(table.FindValueToBeat(counters, 2, 1, 3), 9);
    EXPECT_EQ(table.FindValueToBeat(counters, 5, 3, 0), 3);
    EXPECT_EQ(table.FindValueToBeat(counters, 5, 3, 10003), -1);

    // Picking takes natural cards of the value (and suit), then wild jokers,
    // and sorts what it appended.
    auto hand = Hand({ Card(7, 3), Card(7, 1), BigJoker(), Card(5, 0), SmallJoker() });
    std::array<int32_t, PLAY_CARDS> dest;
    dest.fill(NO_CARD);
    dest[0] = Card(2, 2);
    EXPECT_EQ(table.PickCards(dest, hand, 7, 4, -1), 4);
    EXPECT_EQ(dest[0], Card(2, 2));
    EXPECT_EQ(dest[1], Card(7, 1));
    EXPECT_EQ(dest[2], Card(7, 3));
    EXPECT_EQ(dest[3], SmallJoker());
    EXPECT_EQ(dest[4], BigJoker());
    EXPECT_EQ(hand[2], NO_CARD);
    auto suited = Hand({ Card(7, 3), Card(7, 1) });
    dest.fill(NO_CARD);
    EXPECT_EQ(table.PickCards(dest, suited, 7, 1, 1), 1);
    EXPECT_EQ(dest[0], Card(7, 1));
}

TEST(GeneralFinders, TriplePairsAndTripleSequenceWithPairs)
{
    CCardTable table { TableArgs {}, CardRuleParams::PlDk() };
    CardPlayList list;
    auto full_house = Hand({ Card(6, 0), Card(6, 1), Card(6, 2), Card(3, 0), Card(3, 3) });
    ASSERT_EQ(table.AnalyseCards(0, full_house, list, CARD_TYPE_TRIPLE_PAIR), 1);
    EXPECT_EQ(list.plays[0].strength, 6 * 10000 + 3);
    EXPECT_EQ(GetCardValue(list.plays[0].cards[0]), 6);
    EXPECT_EQ(GetCardValue(list.plays[0].cards[4]), 3);

    list.Clear();
    auto planes = Hand({ Card(4, 0), Card(4, 1), Card(4, 2), Card(5, 0), Card(5, 1), Card(5, 2), Card(9, 0), Card(9, 1),
                         Card(10, 0), Card(10, 1) });
    ASSERT_EQ(table.AnalyseCards(0, planes, list, CARD_TYPE_TRIPLE_SEQ_PAIRS), 1);
    EXPECT_EQ(list.plays[0].strength, 9 + 2 * 10000 + 100 * 4);
    list.Clear();
    auto triples = Hand({ Card(4, 0), Card(4, 1), Card(4, 2), Card(5, 0), Card(5, 1), Card(5, 2) });
    ASSERT_EQ(table.AnalyseCards(0, triples, list, CARD_TYPE_TRIPLE_SEQ | CARD_TYPE_PAIR_SEQ), 1);
    EXPECT_EQ(list.count, 1); // 44 55 with 4 and 5 left over is no pair sequence of three pairs
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_TRIPLE_SEQ);
    EXPECT_EQ(list.plays[0].strength, 4 + 2000);
}

} // namespace
} // namespace rules

namespace rules {
namespace {

int32_t WordAt(const std::vector<uint8_t>& bytes, size_t word)
{
    return static_cast<int32_t>(platform::LoadU32LE(bytes.data() + word * 4));
}

TEST(CardTableRecords, GeneralFillersClearTheRecordAndWriteTheCommonHeader)
{
    CCardTable table { TableArgs { .table_tag = 77 }, CardRuleParams::Generic() };
    table.SetBanker(2);
    EXPECT_EQ(table.GetGameStartSize(), 1096u);
    EXPECT_EQ(table.GetGameWinSize(), 456u);

    struct Case {
        const char* name;
        size_t size;
        std::function<size_t(std::span<uint8_t>)> fill;
    };
    const Case cases[] = {
        { "start", 1096, [&](std::span<uint8_t> out) { return table.FillGameStart(out); } },
        { "win", 456, [&](std::span<uint8_t> out) { return table.FillGameWinRecord(out, 0); } },
        { "table info", 400, [&](std::span<uint8_t> out) { return table.FillTableInfo(out, 0, 0); } },
        { "deal", 400, [&](std::span<uint8_t> out) { return table.FillDealInfo(out, 0, 0); } },
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(c.size + 4, 0xAB);
        ASSERT_EQ(c.fill(std::span(bytes).first(c.size)), c.size) << c.name;
        EXPECT_EQ(WordAt(bytes, HDR_TABLE_TAG), 77) << c.name;
        EXPECT_EQ(WordAt(bytes, HDR_CHAIR_COUNT), 4) << c.name;
        EXPECT_EQ(WordAt(bytes, HDR_BANKER), 2) << c.name;
        EXPECT_EQ(WordAt(bytes, HDR_CONST_25), 25) << c.name;
        EXPECT_EQ(WordAt(bytes, HDR_CONST_90), 90) << c.name;
        EXPECT_EQ(WordAt(bytes, HDR_CONST_3), 3) << c.name;
        for (size_t word = HDR_PARTNER; word <= HDR_TURNED_POSITION; ++word)
            EXPECT_EQ(WordAt(bytes, word), -1) << c.name << " word " << word;
        // Everything else of the record is cleared, nothing past it touched.
        for (size_t word = RECORD_HEADER_WORDS; word < c.size / 4; ++word) {
            if (word < HDR_PARTNER || word > HDR_TURNED_POSITION) {
                ASSERT_EQ(WordAt(bytes, word), 0) << c.name << " word " << word;
            }
        }
        EXPECT_EQ(WordAt(bytes, c.size / 4), static_cast<int32_t>(0xABABABABu)) << c.name;
    }

    // A buffer too small for the start or win record is refused untouched; a
    // table-information record too small for words 0-19 is only cleared.
    std::vector<uint8_t> small(455, 0xAB);
    EXPECT_EQ(table.FillGameWinRecord(small, 0), 0u);
    EXPECT_EQ(table.FillGameStart(small), 0u);
    EXPECT_EQ(small[0], 0xAB);
    std::vector<uint8_t> tiny(40, 0xAB);
    EXPECT_EQ(table.FillTableInfo(tiny, 0, 0), 0u);
    EXPECT_EQ(tiny, std::vector<uint8_t>(40, 0));
}

} // namespace
} // namespace rules
