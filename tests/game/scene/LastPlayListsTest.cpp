// The last-play lists: putting played cards away per seat or all at once,
// the keep flag, and which cards count as the last play.
#include "game/scene/LastPlayLists.h"

#include <gtest/gtest.h>

namespace scene {
namespace {

void Play(CCardSpriteRecords& sprites, int index, int32_t chair, int32_t card)
{
    CardSpriteState& s = sprites.At(index);
    s.chair = chair;
    s.card = card;
    s.state = CARD_STATE_PLAYED;
}

TEST(LastPlayLists, PutAwayPerSeatAllSeatsAndWithTheKeepFlag)
{
    CCardSpriteRecords sprites { 108 };
    CLastPlayLists lists;
    EXPECT_FALSE(lists.HasLastPlay());
    EXPECT_FALSE(lists.IsInLastPlay(5));
    EXPECT_FALSE(lists.RetirePlayedCards(sprites, 1));  // nothing on the table

    Play(sprites, 0, 1, 5);
    Play(sprites, 3, 1, 9);
    Play(sprites, 4, 2, 40);
    ASSERT_TRUE(lists.RetirePlayedCards(sprites, 1));
    EXPECT_EQ(lists.List(1)[0], 5);
    EXPECT_EQ(lists.List(1)[1], 9);
    EXPECT_EQ(lists.List(1)[2], -1);
    EXPECT_EQ(sprites.At(0).state, CARD_STATE_OLD_PLAY);
    EXPECT_EQ(sprites.At(4).state, CARD_STATE_PLAYED);  // another seat's play stays
    EXPECT_EQ(sprites.GetRedraws(3), 1);
    EXPECT_TRUE(lists.HasLastPlay());
    EXPECT_TRUE(lists.IsInLastPlay(9));
    EXPECT_FALSE(lists.IsInLastPlay(-1));

    // A seat's next play replaces only its own list.
    ASSERT_TRUE(lists.RetirePlayedCards(sprites, 2));
    Play(sprites, 5, 1, 7);
    ASSERT_TRUE(lists.RetirePlayedCards(sprites, 1));
    EXPECT_EQ(lists.List(1)[0], 7);
    EXPECT_EQ(lists.List(1)[1], -1);
    EXPECT_EQ(lists.List(2)[0], 40);

    // With the keep flag, one seat's put-away clears all four lists first.
    lists.SetKeep(true);
    Play(sprites, 6, 3, 60);
    ASSERT_TRUE(lists.RetirePlayedCards(sprites, 3));
    EXPECT_FALSE(lists.GetKeep());
    EXPECT_EQ(lists.List(1)[0], -1);
    EXPECT_EQ(lists.List(2)[0], -1);
    EXPECT_EQ(lists.List(3)[0], 60);

    // All chairs at once: every list starts afresh.
    Play(sprites, 7, 0, 1);
    Play(sprites, 8, 2, 2);
    ASSERT_TRUE(lists.RetirePlayedCards(sprites, -1));
    EXPECT_EQ(lists.List(0)[0], 1);
    EXPECT_EQ(lists.List(2)[0], 2);
    EXPECT_EQ(lists.List(3)[0], -1);

    // A seat in state 2 or more keeps its list but is not marked.
    lists.SetSeatState(2, 2);
    EXPECT_FALSE(lists.IsInLastPlay(2));
    EXPECT_TRUE(lists.IsInLastPlay(1));
    EXPECT_TRUE(lists.HasLastPlay());
}

TEST(LastPlayLists, BadChairsAndOverfullSeatsStayInBounds)
{
    CCardSpriteRecords sprites { 108 };
    CLastPlayLists lists;
    Play(sprites, 0, 1, 3);
    EXPECT_FALSE(lists.RetirePlayedCards(sprites, 4));
    EXPECT_FALSE(lists.RetirePlayedCards(sprites, -2));
    Play(sprites, 1, 9, 3);  // an owner outside the table is left alone
    for (int i = 2; i < 42; ++i)
        Play(sprites, i, 1, i);
    ASSERT_TRUE(lists.RetirePlayedCards(sprites, -1));
    EXPECT_EQ(sprites.At(1).state, CARD_STATE_PLAYED);
    EXPECT_EQ(lists.List(1)[31], 32);  // 3, then ids 2..32: the first 32 kept
    EXPECT_EQ(sprites.At(41).state, CARD_STATE_OLD_PLAY);
}

} // namespace
} // namespace scene
