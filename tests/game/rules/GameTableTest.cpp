// Seating, state, turns and timers of the table model.
#include "game/rules/GameTable.h"

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

namespace rules {
namespace {

std::unique_ptr<TablePlayer> MakePlayer(int32_t user_id, int chair, int32_t score = 500, int32_t silver = 1000)
{
    auto p = std::make_unique<TablePlayer>();
    p->user_id = user_id;
    p->chair = chair;
    p->score = score;
    p->silver = silver;
    return p;
}

class GameTableFixture : public ::testing::Test {
protected:
    GameTableFixture() { table.SetEnvironment(env.Get()); }
    void SeatFour()
    {
        for (int c = 0; c < 4; ++c)
            ASSERT_EQ(table.AddPlayer(MakePlayer(100 + c, c)), c + 1);
    }
    test::TestEnvironment env;
    CGameTable table { TableArgs {} };
};

TEST_F(GameTableFixture, SeatsPlayersAndRefusesTakenOrInvalidChairs)
{
    SeatFour();
    EXPECT_TRUE(table.IsTableFull());
    EXPECT_EQ(table.AddPlayer(MakePlayer(200, 2)), -1);
    EXPECT_EQ(table.AddPlayer(MakePlayer(201, 4)), -1);
    EXPECT_EQ(table.AddPlayer(MakePlayer(202, -1)), -1);
    EXPECT_EQ(table.AddPlayer(nullptr), -1);
    EXPECT_EQ(table.GetSeat(2)->user_id, 102);
    EXPECT_EQ(table.RemovePlayer(999, 1), -1);
}

TEST_F(GameTableFixture, ReAddingAUserIdReplacesTheOldEntry)
{
    ASSERT_EQ(table.AddPlayer(MakePlayer(7, 1)), 1);
    table.SetChairReady(1);
    ASSERT_EQ(table.AddPlayer(MakePlayer(7, 3, 900)), 1);
    EXPECT_EQ(table.GetSeat(1), nullptr);
    ASSERT_NE(table.GetSeat(3), nullptr);
    EXPECT_EQ(table.GetSeat(3)->score, 900);
    EXPECT_EQ(table.FindPlayer(7), table.GetSeat(3));
    EXPECT_EQ(table.GetPlayerCount(), 1);
    // The same player re-seated on its own chair is allowed too.
    EXPECT_EQ(table.AddPlayer(MakePlayer(7, 3, 901)), 1);
    EXPECT_EQ(table.GetSeat(3)->score, 901);
}

TEST_F(GameTableFixture, RemovalLifeCycleNeverLeavesDanglingSeats)
{
    SeatFour();
    ASSERT_EQ(table.AddLooker(MakePlayer(300, 1)), 5);
    EXPECT_TRUE(table.IsLooker(300));
    EXPECT_FALSE(table.IsPlayer(300));
    EXPECT_EQ(table.GetLookerCount(1), 1);

    // Removing an onlooker never touches a seated player.
    table.RemoveLooker(101, 1);
    EXPECT_TRUE(table.IsPlayer(101));
    table.RemoveLookerEverywhere(102, 1);
    EXPECT_TRUE(table.IsPlayer(102));

    // Removing the onlooker through RemovePlayer leaves seat 1 alone.
    EXPECT_EQ(table.RemovePlayer(300, 1), 1);
    EXPECT_EQ(table.GetSeat(1)->user_id, 101);
    EXPECT_EQ(table.GetLookerCount(1), 0);

    table.SetChairReady(2);
    EXPECT_EQ(table.RemovePlayer(102, 1), 2);
    EXPECT_EQ(table.GetSeat(2), nullptr);
    EXPECT_EQ(table.GetChairStatus(2), 0u);
    EXPECT_EQ(table.GetPlayerCount(), 3);

    ASSERT_EQ(table.AddLooker(MakePlayer(301, 0)), 4);
    table.RemoveLookerEverywhere(301, 0);
    EXPECT_EQ(table.GetLookerCount(0), 0);
    EXPECT_TRUE(table.IsLooker(301));
    table.RemoveLooker(301, 0);
    EXPECT_FALSE(table.IsLooker(301));

    // Removed without deleting: the caller receives the object; without a
    // place to receive it the table still frees it (the leak check of the
    // sanitizer build catches a lost one).
    std::unique_ptr<TablePlayer> kept;
    EXPECT_EQ(table.RemovePlayer(103, 0, &kept), 3);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->user_id, 103);
    EXPECT_EQ(table.GetSeat(3), nullptr);
    EXPECT_EQ(table.RemovePlayer(100, 0), 0);
    EXPECT_FALSE(table.IsPlayer(100));

    table.Reset(1);
    EXPECT_TRUE(table.IsTableEmpty());
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(table.GetSeat(c), nullptr);
}

TEST_F(GameTableFixture, HeaderAndStateBits)
{
    TableHeader header;
    header.words[TableHeader::PRESENT] = 1;
    header.words[TableHeader::ROUND_NUMBER] = 12;
    table.SetTableHeader(header);
    EXPECT_TRUE(table.HasTableHeader());
    EXPECT_EQ(table.GetRoundNumber(), 12);
    EXPECT_TRUE(table.IsWaiting());
    EXPECT_EQ(table.AddStatus(TABLE_STATE_PLAYING), TABLE_STATE_PLAYING);
    EXPECT_EQ(table.AddStatus(TABLE_STATE_WAITING), 0x3u);
    EXPECT_EQ(table.RemoveStatus(0x3), 0u);
    EXPECT_EQ(table.ClearTableHeader(), 0);
    EXPECT_FALSE(table.HasTableHeader());
}

TEST_F(GameTableFixture, TurnLimitBoundaries)
{
    table.AddStatus(TABLE_STATE_PLAYING);
    EXPECT_EQ(table.StartTurn(2, 15), 2);
    EXPECT_EQ(table.GetTurnLimit(), 16000u);
    env.clock.Advance(15999);
    EXPECT_FALSE(table.IsTurnTimeout());
    EXPECT_FALSE(table.IsChairTimeout(2));
    env.clock.Advance(1);
    EXPECT_TRUE(table.IsTurnTimeout());
    EXPECT_FALSE(table.IsChairTimeout(2)); // the chair's own limit is strictly exceeded
    env.clock.Advance(1);
    EXPECT_TRUE(table.IsChairTimeout(2));
    env.clock.Advance(41999 - 16001);
    EXPECT_FALSE(table.IsTableStale());
    env.clock.Advance(1);
    EXPECT_TRUE(table.IsTableStale());
}

TEST_F(GameTableFixture, TimersSurviveTickWrap)
{
    env.clock.Set(0xFFFFF000u);
    table.StartTurn(1, 0);
    env.clock.Advance(999); // wraps past zero
    EXPECT_FALSE(table.IsTurnTimeout());
    env.clock.Advance(1);
    EXPECT_TRUE(table.IsTurnTimeout());
}

TEST_F(GameTableFixture, AwayChairTimesOutAtOnceAndThinkingTimeIsBooked)
{
    table.SetChairStatus(1, CHAIR_AWAY);
    EXPECT_TRUE(table.IsChairTimeout(1));
    EXPECT_TRUE(table.IsChairAway(1));
    table.StartTurn(0, 10);
    env.clock.Advance(2500);
    table.SetCurrentChair(3);
    EXPECT_EQ(table.GetThinkingTime(0), 2500u);
    EXPECT_EQ(table.GetTurnLimit(), 11000u);
    env.clock.Advance(3000);
    EXPECT_EQ(table.GetActiveChair(1, 2), 3);
    EXPECT_EQ(table.GetActiveChair(1, 3), 1);
}

TEST_F(GameTableFixture, IdleAndStaleTablesWhenNotPlaying)
{
    TableHeader header;
    header.words[TableHeader::PRESENT] = 1;
    header.words[TableHeader::KICK_IDLE] = 1;
    table.SetTableHeader(header);
    env.clock.Advance(60000);
    EXPECT_FALSE(table.IsIdleTooLong());
    env.clock.Advance(1);
    EXPECT_TRUE(table.IsIdleTooLong());
    env.clock.Advance(120000 - 60001);
    EXPECT_FALSE(table.IsTableStale());
    env.clock.Advance(1);
    EXPECT_TRUE(table.IsTableStale());
}

TEST_F(GameTableFixture, TeamsAndSeatLookups)
{
    table.ResetTeams();
    EXPECT_EQ(table.FindTeamChair(0, 2), 2);
    EXPECT_EQ(table.FindTeamChair(3, 2), 2);
    EXPECT_EQ(table.FindTeamChair(2, 2), -1);
    EXPECT_EQ(table.FindTeamChair(0, 9), -1);
    for (int c = 0; c < 4; ++c)
        table.SetTeam(c, c % 2);
    EXPECT_EQ(table.GetTeamCount(), 2);
    for (int c = 0; c < 4; ++c)
        table.SetTeam(c, -1);
    EXPECT_EQ(table.GetTeamCount(), 0);
    EXPECT_EQ(table.GetPrevChair(0), 3);
    EXPECT_EQ(table.GetNextChair(3), 0);
}

TEST(GameTableText, SeatLabelsAndServerIniPath)
{
    EXPECT_EQ(CGameTable::GetSeatLabel(3), std::string("游戏玩家") + "【丁】");
    EXPECT_EQ(CGameTable::GetSeatLabel(8), std::string("游戏玩家"));
    test::TestEnvironment env;
    CGameTable table { TableArgs {} };
    table.SetEnvironment(env.Get());
    EXPECT_EQ(table.GetServerIniPath(), "C:\\games\\pldksvr.ini");
    EXPECT_EQ(table.GetKickTime(), 120);
    env.settings.values["SoloAlone/KickTime"] = 45;
    EXPECT_EQ(table.GetKickTime(), 45);
    EXPECT_EQ(env.settings.last_path, "C:\\games\\pldksvr.ini");
    env.settings.program_path = "pldkgame.exe";
    EXPECT_EQ(table.GetServerIniPath(), "");
}

TEST(GameTableConstruction, ChairCountIsClampedToEight)
{
    CGameTable wide { TableArgs { .chair_count = 12 } };
    EXPECT_EQ(wide.GetChairCount(), 8);
    CGameTable none { TableArgs { .chair_count = 0 } };
    EXPECT_EQ(none.GetChairCount(), 1);
}

} // namespace
} // namespace rules
