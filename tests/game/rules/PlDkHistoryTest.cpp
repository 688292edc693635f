// This game's table: the per-chair result history and its totals in the
// game-start record, the turn test of requests, relations with bomb
// bonuses, result scaling and the mode-three round.
#include "game/rules/PlDkTable.h"

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace rules {
namespace {

int32_t ReadWord(const std::vector<uint8_t>& bytes, size_t offset)
{
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8)
                                | (static_cast<uint32_t>(bytes[offset + 2]) << 16)
                                | (static_cast<uint32_t>(bytes[offset + 3]) << 24));
}

class PlDkHistoryFixture : public ::testing::Test {
protected:
    PlDkHistoryFixture()
    {
        table.SetEnvironment(env.Get());
        for (int c = 0; c < 4; ++c) {
            auto p = std::make_unique<TablePlayer>();
            p->user_id = 700 + c;
            p->chair = c;
            p->score = 1000;
            table.AddPlayer(std::move(p));
        }
    }
    void SetRoundNumber(uint32_t round)
    {
        TableHeader header;
        header.words[TableHeader::PRESENT] = 1;
        header.words[TableHeader::ROUND_NUMBER] = round;
        table.SetTableHeader(header);
    }
    /// A result whose history value (score or silver, by the table's
    /// deposit) is base + chair for each chair.
    GameWinResult Result(int32_t base) const
    {
        GameWinResult win {};
        for (int c = 0; c < 4; ++c) {
            win.score_before[c] = 1000;
            win.score_change[c] = table.GetBaseDeposit() != 0 ? 0 : base + c;
            win.silver_change[c] = table.GetBaseDeposit() != 0 ? base + c : 0;
        }
        return win;
    }
    test::TestEnvironment env;
    CPlDkTable table;
};

TEST_F(PlDkHistoryFixture, RoundResultsFillTheHistorySlotOfTheRoundAndTheTotals)
{
    SetRoundNumber(0);
    table.RecordRoundResult(Result(50)); // round 0: no slot
    EXPECT_EQ(table.GetHistoryTotals()[0], 0);

    SetRoundNumber(2);
    table.RecordRoundResult(Result(10));
    SetRoundNumber(32); // (32 - 1) % 30 = 1: the same slot again
    table.RecordRoundResult(Result(-4));
    SetRoundNumber(30);
    table.RecordRoundResult(Result(100));
    EXPECT_EQ(table.GetHistory()[2][1], -4 + 2);
    EXPECT_EQ(table.GetHistory()[2][29], 102);
    EXPECT_EQ(table.GetHistoryTotals()[2], 12 + (-2) + 102);

    std::vector<uint8_t> start(table.GetGameStartSize());
    ASSERT_EQ(table.FillGameStart(start), 1096u);
    EXPECT_EQ(ReadWord(start, 88 + 4 * (3 * 30 + 1)), -4 + 3);
    EXPECT_EQ(ReadWord(start, 88 + 4 * (1 * 30 + 29)), 101);
    EXPECT_EQ(ReadWord(start, 1048 + 4 * 3), 13 + (-1) + 103);

    // Kept by a round's own reset; cleared by the round reset and the full one.
    table.Reset(0);
    EXPECT_EQ(table.GetHistoryTotals()[2], 112);
    table.ResetRound();
    EXPECT_EQ(table.GetHistoryTotals()[2], 0);
    EXPECT_EQ(table.GetHistory()[2][29], 0);
    SetRoundNumber(1);
    table.RecordRoundResult(Result(5));
    table.Reset(1);
    EXPECT_EQ(table.GetHistoryTotals()[0], 0);
    EXPECT_EQ(table.GetHistory()[0][0], 0);
}

TEST_F(PlDkHistoryFixture, ATurnRequestNeedsThePlayPhaseAndTheCurrentChair)
{
    std::vector<int32_t> request { 0, 0, 2 };
    table.SetStatus(TABLE_STATE_PLAYING | TABLE_STATE_PLAY_PHASE);
    table.StartTurn(2, 10);
    EXPECT_EQ(table.IsPlayersTurn(request), 1);
    request[2] = 1;
    EXPECT_EQ(table.IsPlayersTurn(request), 0);
    request[2] = 2;
    table.SetStatus(TABLE_STATE_PLAY_PHASE);
    EXPECT_EQ(table.IsPlayersTurn(request), 0);
    table.SetStatus(TABLE_STATE_PLAYING | TABLE_STATE_BIDDING);
    EXPECT_EQ(table.IsPlayersTurn(request), 0);
    EXPECT_TRUE(table.IsBidding());

    // Neither an invalid request chair nor an invalid current chair match.
    table.SetStatus(TABLE_STATE_PLAYING | TABLE_STATE_PLAY_PHASE);
    EXPECT_FALSE(table.IsBidding());
    table.StartTurn(-1, 10);
    request[2] = -1;
    EXPECT_EQ(table.IsPlayersTurn(request), 0);
    table.StartTurn(4, 10);
    request[2] = 4;
    EXPECT_EQ(table.IsPlayersTurn(request), 0);
    EXPECT_EQ(table.IsPlayersTurn(std::span(request).first(2)), 0);
}

TEST_F(PlDkHistoryFixture, RelationOfAChairWithItselfCountsTheOthersBombBonuses)
{
    table.ResetTeams();
    table.SetTeam(2, 0);
    EXPECT_EQ(table.GetRelation(1, 1, 6), -6); // no block yet: no bonuses
    TableGameData& block = table.GetTableGameData();
    block.chair_groups[0].bomb_bonus = 2;
    block.chair_groups[1].bomb_bonus = 8;
    block.chair_groups[3].bomb_bonus = 1;
    EXPECT_EQ(table.GetRelation(1, 1, 6), -(6 + 2 + 1));
    EXPECT_EQ(table.GetRelation(0, 2, 6), 0); // same team
    EXPECT_EQ(table.GetRelation(0, 1, 6), 1); // teams differ: 1, not the value
}

TEST_F(PlDkHistoryFixture, ModeThreeRoundGivesTheBankerItsTurnAndIsSettled)
{
    table.SetBanker(3);
    EXPECT_EQ(table.StartModeThreeRound(), 1);
    EXPECT_EQ(table.GetSettleMode(), SETTLE_MODE_THREE);
    EXPECT_EQ(table.GetSettled(), 1);
    EXPECT_EQ(table.GetStatus(), TABLE_STATE_PLAYING | TABLE_STATE_PLAY_PHASE);
    EXPECT_EQ(table.GetCurrentChair(), 3);
    EXPECT_EQ(table.GetTurnLimit(), static_cast<uint32_t>((table.GetThrowWait() + 1) * 1000));
    table.Reset(0);
    EXPECT_EQ(table.GetSettleMode(), SETTLE_NONE);
}

} // namespace
} // namespace rules
