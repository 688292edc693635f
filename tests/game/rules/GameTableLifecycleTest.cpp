// Resets in both forms, player snapshots, the table snapshot record, relation
// modes and restoring a round.
#include "game/rules/GameTable.h"

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace rules {
namespace {

std::unique_ptr<TablePlayer> MakePlayer(int32_t user_id, int chair, int32_t score, int32_t silver, int32_t level = 0)
{
    auto p = std::make_unique<TablePlayer>();
    p->user_id = user_id;
    p->chair = chair;
    p->score = score;
    p->silver = silver;
    p->level = level;
    p->minutes = 7 + chair;
    p->games = 3;
    return p;
}

class LifecycleFixture : public ::testing::Test {
protected:
    LifecycleFixture() { table.SetEnvironment(env.Get()); }
    void SeatFour()
    {
        for (int c = 0; c < 4; ++c)
            ASSERT_EQ(table.AddPlayer(MakePlayer(100 + c, c, 500 + c, 1000 * (c + 1), c)), c + 1);
    }
    /// Puts the table mid-round: teams, banker, status bits, a turn, a
    /// relation mode and a stored result.
    void MidRound()
    {
        table.ResetTeams();
        table.SetBanker(2);
        table.SetChairStatus(1, CHAIR_PRESENT | CHAIR_READY);
        table.AddStatus(TABLE_STATE_PLAYING);
        table.StartTurn(2, 10);
        table.SetRelationMode(1);
        table.IncChairCounter(3);
        table.StoreResult(GameWinResult {});
    }
    test::TestEnvironment env;
    CGameTable table { TableArgs {} };
};

TEST_F(LifecycleFixture, RoundResetKeepsSeatsAndTeamsAndClearsTheRound)
{
    SeatFour();
    TableHeader header;
    header.words[TableHeader::PRESENT] = 1;
    header.words[TableHeader::ROUND_NUMBER] = 6;
    table.SetTableHeader(header);
    MidRound();
    ASSERT_EQ(table.GetRoundNumber(), 6);

    table.Reset(0);
    EXPECT_EQ(table.GetPlayerCount(), 4);
    EXPECT_EQ(table.GetSeat(3)->user_id, 103);
    EXPECT_EQ(table.GetTeam(3), 3);
    EXPECT_EQ(table.GetBanker(), 2);
    EXPECT_EQ(table.GetRoundNumber(), 6);
    EXPECT_EQ(table.GetStatus(), 0u);
    EXPECT_EQ(table.GetCurrentChair(), -1);
    EXPECT_EQ(table.GetTurnLimit(), 0u);
    EXPECT_EQ(table.GetChairStatus(1), 0u);
    EXPECT_EQ(table.GetRelationMode(), 0u);
    EXPECT_EQ(table.GetStoredResult(), nullptr);
    EXPECT_EQ(table.IncChairCounter(3), 1);

    // The round reset clears the round number and banker but keeps chair
    // statuses, teams and seats.
    MidRound();
    table.ResetRound();
    EXPECT_EQ(table.GetRoundNumber(), 0);
    EXPECT_EQ(table.GetBanker(), 0);
    EXPECT_EQ(table.GetChairStatus(1), CHAIR_PRESENT | CHAIR_READY);
    EXPECT_EQ(table.GetTeam(2), 2);
    EXPECT_EQ(table.GetPlayerCount(), 4);
    EXPECT_EQ(table.GetCurrentChair(), -1);
    EXPECT_EQ(table.GetStoredResult(), nullptr);

    // The full reset empties the table and sets every team to none.
    MidRound();
    table.Reset(1);
    EXPECT_TRUE(table.IsTableEmpty());
    EXPECT_EQ(table.GetTeam(2), -1);
    EXPECT_EQ(table.GetBanker(), 0);
    EXPECT_EQ(table.GetRoundNumber(), 0);
    EXPECT_EQ(table.GetTableStamp(), env.clock.GetTickCount());
    // ResetAll is the full reset.
    SeatFour();
    table.ResetAll();
    EXPECT_TRUE(table.IsTableEmpty());
}

TEST_F(LifecycleFixture, ResetChairEmptiesOnlyThatChair)
{
    SeatFour();
    table.ResetTeams();
    table.SetChairStatus(1, CHAIR_PRESENT);
    table.SetPlayerFlags(1, 0x4);
    table.ResetChair(1);
    EXPECT_EQ(table.GetSeat(1), nullptr);
    EXPECT_EQ(table.GetTeam(1), -1);
    EXPECT_EQ(table.GetPlayerFlags(1), 0);
    EXPECT_EQ(table.GetSeat(0)->user_id, 100);
    EXPECT_EQ(table.GetTeam(0), 0);
    table.ResetChair(9); // no such chair: nothing happens
    table.ResetChair(-1);
    EXPECT_EQ(table.GetSeat(2)->user_id, 102);
}

TEST_F(LifecycleFixture, SnapshotsNeedChairFlag1000AndSkipIdlePlayers)
{
    SeatFour();
    table.SnapshotPlayers(1);
    EXPECT_EQ(table.GetSnapshot(0)[0], 0); // no chair has flag 0x1000

    table.SetChairFlags(3, 0x1000);
    table.GetSeat(1)->idle = 1;
    table.SnapshotPlayers(0);
    const auto s0 = table.GetSnapshot(0);
    EXPECT_EQ(s0[0], 100);  // user id
    EXPECT_EQ(s0[2], 0);    // chair
    EXPECT_EQ(s0[5], 500);  // score
    EXPECT_EQ(s0[6], 1000); // silver
    EXPECT_EQ(s0[8], 7);    // minutes
    EXPECT_EQ(s0[9], 3);    // games
    for (size_t w = 10; w < 18; ++w)
        EXPECT_EQ(s0[w], 0);
    EXPECT_EQ(table.GetSnapshot(1)[0], 0); // idle and not "all"

    table.SnapshotPlayers(1);
    EXPECT_EQ(table.GetSnapshot(1)[0], 101);
    EXPECT_EQ(table.GetSnapshot(1)[4], 1); // idle flag copied

    // A seat emptied since is zeroed by the next snapshot.
    ASSERT_EQ(table.RemovePlayer(102, 1), 2);
    table.SnapshotPlayers(1);
    EXPECT_EQ(table.GetSnapshot(2)[0], 0);
    table.Reset(0);
    EXPECT_EQ(table.GetSnapshot(0)[0], 0);
}

TEST_F(LifecycleFixture, TableSnapshotNeedsEveryChairPresentAndSeated)
{
    SeatFour();
    const LevelNameMap names { { 2, "高手" } };
    std::vector<int32_t> out(5 + 13 * 4, -7);
    for (int c = 0; c < 3; ++c)
        table.SetChairStatus(c, CHAIR_PRESENT);
    EXPECT_EQ(table.FillTableSnapshot(out, &names), 0); // chair 3 not present
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[5 + 13 * 1], 101); // entries before it stay written

    table.SetChairStatus(3, CHAIR_PRESENT);
    ASSERT_EQ(table.FillTableSnapshot(out, &names), 1);
    const int32_t* entry = out.data() + 5 + 13 * 2;
    EXPECT_EQ(entry[0], 102);
    EXPECT_EQ(entry[1], 2);
    EXPECT_EQ(entry[2], 502);
    EXPECT_EQ(entry[3], 3000);
    EXPECT_EQ(entry[4], 2);
    char name[32] {};
    std::memcpy(name, entry + 5, sizeof name);
    EXPECT_STREQ(name, "高手");
    // A level not in the map gives an empty name.
    std::memcpy(name, out.data() + 5 + 13 * 1 + 5, sizeof name);
    EXPECT_STREQ(name, "");

    std::vector<int32_t> small(5 + 13 * 3);
    EXPECT_EQ(table.FillTableSnapshot(small, &names), 0);
    ASSERT_EQ(table.RemovePlayer(101, 1), 1);
    table.SetChairStatus(1, CHAIR_PRESENT);
    EXPECT_EQ(table.FillTableSnapshot(out, nullptr), 0); // present but empty
}

TEST_F(LifecycleFixture, RelationModesDecideFriendsOfTheBanker)
{
    SeatFour();
    table.SetTeam(0, 0);
    table.SetTeam(2, 0);
    table.SetTeam(1, 1);
    table.SetTeam(3, 1);
    table.SetBanker(0);

    EXPECT_EQ(table.IsFriend(1), 0); // mode 0: nobody
    EXPECT_EQ(table.SetRelationMode(0), 4u);
    EXPECT_EQ(table.IsFriend(1), 1);
    EXPECT_EQ(table.IsFriend(2), 0);
    EXPECT_EQ(table.SetRelationMode(5), 8u);
    EXPECT_EQ(table.IsFriend(3), 1);
    EXPECT_EQ(table.SetRelationMode2(), 2u);
    EXPECT_EQ(table.IsFriend(1), 0);
    EXPECT_EQ(table.IsFriend(2), 0);
    EXPECT_EQ(table.IsFriend(7), 0);

    EXPECT_EQ(table.GetRelation(1, 1, 30), -30);
    EXPECT_EQ(table.GetRelation(0, 2, 30), 0);
    EXPECT_EQ(table.GetRelation(0, 3, 30), 30);
}

TEST_F(LifecycleFixture, InitRoundRestoresBankerAndRoundValueAndClearsTheRound)
{
    SeatFour();
    table.AddStatus(TABLE_STATE_PLAYING);
    table.StartTurn(1, 5);
    const int32_t info[] = { 3, 77 };
    EXPECT_EQ(table.InitRound(info), 1);
    EXPECT_EQ(table.GetRoundValue(), 77);
    EXPECT_GE(table.GetBanker(), 0);
    EXPECT_LT(table.GetBanker(), 4);
    EXPECT_EQ(table.GetStatus(), 0u);
    EXPECT_EQ(table.GetCurrentChair(), -1);
    EXPECT_EQ(table.GetPlayerCount(), 4);
    // A block too short for the second word leaves the round value 0.
    EXPECT_EQ(table.InitRound(std::span<const int32_t>(info, 1)), 1);
    EXPECT_EQ(table.GetRoundValue(), 0);
}

} // namespace
} // namespace rules
