// This game's game-state holder: seat flags, round start and end, refusals.
#include <gtest/gtest.h>

#include <vector>

#include "BodyBuilder.h"
#include "client/CPlDkGameState.h"
#include "RoundRecordBytes.h"

using client_test::BodyBuilder;
using client::CPlDkGameState;

namespace {

std::vector<uint8_t> RoundStartBytes(int32_t round_number, int32_t current_chair)
{
    return client_test::TableBlockBytes(round_number, current_chair);
}

using client_test::ResultBytes;

} // namespace

TEST(PlDkGameState, StartsFromAnInitialisedBlock)
{
    CPlDkGameState state;
    EXPECT_EQ(state.GetTableData().last_play_chair, -1);
    EXPECT_EQ(state.GetTableData().level_value, 1);
    EXPECT_EQ(state.GetGamePhase(), 0);
    EXPECT_TRUE(state.IsReady());
    state.GetTableData().level_value = 9;
    state.ResetTableData();
    EXPECT_EQ(state.GetTableData().level_value, 1);
}

TEST(PlDkGameState, FlagSeatMarksOnlyTheChairOfWord3)
{
    CPlDkGameState state;
    BodyBuilder record(16);
    record.Word(3, 2);
    EXPECT_EQ(state.FlagSeat(record.Span()), 2);
    for (int chair = 0; chair < 8; ++chair)
        EXPECT_EQ(state.IsSeatFlagged(chair), chair == 2) << chair;
    EXPECT_EQ(state.GetStateBlock()[CPlDkGameState::FIRST_SEAT_FLAG_WORD + 2], CPlDkGameState::SEAT_FLAG);
    state.UnflagSeat(2);
    EXPECT_FALSE(state.IsSeatFlagged(2));
}

TEST(PlDkGameState, ChairsOutsideTheTableAreIgnored)
{
    CPlDkGameState state;
    const auto before = std::vector<int32_t>(state.GetStateBlock().begin(), state.GetStateBlock().end());
    for (int32_t chair : { -1, 8, 1000, INT32_MIN }) {
        BodyBuilder record(16);
        record.Word(3, chair);
        EXPECT_EQ(state.FlagSeat(record.Span()), -1);
        EXPECT_FALSE(state.IsSeatFlagged(chair));
        state.UnflagSeat(chair);
    }
    EXPECT_EQ(state.FlagSeat(BodyBuilder(15).Span()), -1);
    EXPECT_EQ(std::vector<int32_t>(state.GetStateBlock().begin(), state.GetStateBlock().end()), before);
}

TEST(PlDkGameState, BeginRoundClearsFlagsAndTheLastResult)
{
    CPlDkGameState state;
    BodyBuilder record(16);
    for (int32_t chair : { 0, 3 }) {
        record.Word(3, chair);
        (void)state.FlagSeat(record.Span());
    }
    ASSERT_TRUE(state.EndRound(ResultBytes(7)));
    EXPECT_EQ(state.GetResultBlock().base.round_number, 7);
    state.GetTableData().chair_groups[1].think_seconds = 44;

    ASSERT_TRUE(state.BeginRound(RoundStartBytes(8, 3)));
    EXPECT_FALSE(state.IsSeatFlagged(0));
    EXPECT_FALSE(state.IsSeatFlagged(3));
    EXPECT_EQ(state.GetResultBlock().base.round_number, 0);
    EXPECT_EQ(state.GetTableWord8(), 8);
    EXPECT_EQ(state.GetTableWord14(), 3);
    EXPECT_TRUE(state.IsTableWord15Set());
    EXPECT_EQ(state.GetTableWord90(), 2);
    EXPECT_EQ(state.GetTableData().chair_groups[1].think_seconds, 44) << "words after the first 101 stay";
}

TEST(PlDkGameState, EndRoundClearsWord15AndKeepsTheResult)
{
    CPlDkGameState state;
    ASSERT_TRUE(state.BeginRound(RoundStartBytes(1, 0)));
    EXPECT_EQ(state.SetTableWord15(0x101), 0x101);
    ASSERT_TRUE(state.EndRound(ResultBytes(1)));
    EXPECT_EQ(state.GetTableWord15(), 0);
    EXPECT_EQ(state.GetResultBlock().five, 5);
}

TEST(PlDkGameState, BadRoundRecordsAreRefusedWithoutChange)
{
    CPlDkGameState state;
    BodyBuilder record(16);
    record.Word(3, 1);
    (void)state.FlagSeat(record.Span());
    ASSERT_TRUE(state.BeginRound(RoundStartBytes(5, 1)));
    (void)state.FlagSeat(record.Span());

    std::vector<uint8_t> start = RoundStartBytes(6, 2);
    EXPECT_FALSE(state.BeginRound(std::span(start).first(start.size() - 1)));
    BodyBuilder bad_cards(CPlDkGameState::ROUND_START_BYTES);
    std::copy(start.begin(), start.end(), bad_cards.Bytes().begin());
    bad_cards.WordAtByte(84, 5000); // a card slot far outside the decks
    EXPECT_FALSE(state.BeginRound(bad_cards.Span()));
    EXPECT_EQ(state.GetTableWord8(), 5);
    EXPECT_TRUE(state.IsSeatFlagged(1));

    std::vector<uint8_t> result = ResultBytes(9);
    EXPECT_FALSE(state.EndRound(std::span(result).first(100)));
    EXPECT_EQ(state.GetResultBlock().base.round_number, 0);
}

TEST(GameStateHolder, ResetClearsPhaseAndExitTick)
{
    CPlDkGameState state;
    client::CGameStateHolder& holder = state;
    holder.SetGamePhase(3);
    holder.SetExitRequestTick(12345);
    holder.Reset();
    EXPECT_EQ(holder.GetGamePhase(), 0);
    EXPECT_EQ(holder.GetExitRequestTick(), 0u);
}
