// The general table's beat test between every pair of play types, on
// readings made from real selections (so the beat masks are the ones the
// finders write), and the choice of the reading that beats a last play.
#include "game/rules/CardTable.h"

#include "CardTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace rules {
namespace {

using test::BigJoker;
using test::Card;
using test::Hand;
using test::SmallJoker;

class BeatMatrixFixture : public ::testing::Test {
protected:
    CardPlay Read(std::initializer_list<int32_t> ids, int32_t type)
    {
        CardPlayList list;
        auto cards = Hand(ids);
        EXPECT_EQ(table.AnalyseCards(0, cards, list, type), 1) << "type " << type;
        EXPECT_EQ(list.plays[0].type, type);
        return list.plays[0];
    }
    CCardTable table { TableArgs {}, CardRuleParams::PlDk() };
};

TEST_F(BeatMatrixFixture, EveryTypeAgainstEveryType)
{
    // Index order: single, pair, triple, triple with pair, straight, pair
    // sequence, triple sequence, triple sequence with pairs, bomb, straight
    // flush, big bomb, four jokers.
    const std::vector<CardPlay> plays = {
        Read({ Card(4, 0) }, CARD_TYPE_SINGLE),
        Read({ Card(6, 0), Card(6, 1) }, CARD_TYPE_PAIR),
        Read({ Card(7, 0), Card(7, 1), Card(7, 2) }, CARD_TYPE_TRIPLE),
        Read({ Card(8, 0), Card(8, 1), Card(8, 2), Card(3, 0), Card(3, 1) }, CARD_TYPE_TRIPLE_PAIR),
        Read({ Card(2, 0), Card(3, 1), Card(4, 2), Card(5, 3), Card(6, 0) }, CARD_TYPE_STRAIGHT),
        Read({ Card(2, 0), Card(2, 1), Card(3, 0), Card(3, 1) }, CARD_TYPE_PAIR_SEQ),
        Read({ Card(4, 0), Card(4, 1), Card(4, 2), Card(5, 0), Card(5, 1), Card(5, 2) }, CARD_TYPE_TRIPLE_SEQ),
        Read({ Card(4, 0), Card(4, 1), Card(4, 2), Card(5, 0), Card(5, 1), Card(5, 2), Card(8, 0), Card(8, 1),
               Card(9, 0), Card(9, 1) },
             CARD_TYPE_TRIPLE_SEQ_PAIRS),
        Read({ Card(10, 0), Card(10, 1), Card(10, 2), Card(10, 3) }, CARD_TYPE_BOMB),
        Read({ Card(1, 3), Card(2, 3), Card(3, 3), Card(4, 3), Card(5, 3) }, CARD_TYPE_STRAIGHT_FLUSH),
        Read({ Card(11, 0), Card(11, 1), Card(11, 2), Card(11, 3), Card(11, 0, 1), Card(11, 1, 1) },
             CARD_TYPE_BIG_BOMB),
        Read({ SmallJoker(0), SmallJoker(1), BigJoker(0), BigJoker(1) }, CARD_TYPE_FOUR_JOKERS),
    };
    constexpr size_t BOMB = 8, JOKERS = 11;
    for (size_t last = 0; last < plays.size(); ++last) {
        for (size_t candidate = 0; candidate < plays.size(); ++candidate) {
            int expected = 0;
            if (candidate == BOMB)
                expected = last < BOMB ? 1 : 0; // the bomb of the same strength does not beat itself
            else if (candidate == JOKERS)
                expected = last <= BOMB ? 1 : 0;
            // A play of the same type and strength, a straight flush and a
            // big bomb (empty beat masks) beat nothing.
            EXPECT_EQ(table.CanBeat(plays[last], plays[candidate]), expected)
                << "last " << last << " candidate " << candidate;
        }
    }

    // Same type: strictly stronger only.
    const CardPlay higher_pair = Read({ Card(9, 0), Card(9, 2) }, CARD_TYPE_PAIR);
    EXPECT_EQ(table.CanBeat(plays[1], higher_pair), 1);
    EXPECT_EQ(table.CanBeat(higher_pair, plays[1]), 0);
    const CardPlay five_bomb
        = Read({ Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3), Card(3, 0, 1) }, CARD_TYPE_BOMB);
    EXPECT_EQ(table.CanBeat(plays[BOMB], five_bomb), 1); // a longer bomb is stronger
    EXPECT_EQ(table.CanBeat(five_bomb, plays[BOMB]), 0);
}

TEST_F(BeatMatrixFixture, BeatingChoiceTakesTheReadingThatBeatsTheLastPlay)
{
    const CardPlay last = Read({ Card(6, 0), Card(6, 1) }, CARD_TYPE_PAIR);
    CardPlayList list;
    auto sixes = Hand({ Card(9, 0), Card(9, 1), Card(9, 2), Card(9, 3) });
    ASSERT_EQ(table.AnalyseCards(0, sixes, list, CARD_TYPE_BOMB), 1);
    ASSERT_EQ(table.PickBeatingCandidate(last, list), 1);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.plays[0].type, CARD_TYPE_BOMB);

    // A weaker pair is no answer and leaves the list untouched.
    CardPlayList weak;
    auto threes = Hand({ Card(2, 0), Card(2, 1) });
    ASSERT_EQ(table.AnalyseCards(0, threes, weak, CARD_TYPE_PAIR), 1);
    const CardPlay before = weak.plays[0];
    EXPECT_EQ(table.PickBeatingCandidate(last, weak), 0);
    EXPECT_EQ(weak.count, 1);
    EXPECT_EQ(weak.plays[0].strength, before.strength);
}

} // namespace
} // namespace rules
