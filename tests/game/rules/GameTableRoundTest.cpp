// Round start refusals, base score and deposit, and settlement arithmetic.
#include "game/rules/GameTable.h"

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace rules {
namespace {

class RoundFixture : public ::testing::Test {
protected:
    RoundFixture() { table.SetEnvironment(env.Get()); }
    void Seat(int chair, int32_t score = 500, int32_t silver = 1000)
    {
        auto p = std::make_unique<TablePlayer>();
        p->user_id = 100 + chair;
        p->chair = chair;
        p->score = score;
        p->silver = silver;
        ASSERT_GT(table.AddPlayer(std::move(p)), 0);
    }
    void SeatFour()
    {
        for (int c = 0; c < 4; ++c)
            Seat(c);
    }
    test::TestEnvironment env;
    CGameTable table { TableArgs {} };
};

TEST_F(RoundFixture, StartsARoundAndGivesTheBankerTheTurn)
{
    SeatFour();
    int chair = -5;
    ASSERT_EQ(table.StartGame(chair, test::OpenStartArgs()), START_OK);
    EXPECT_EQ(chair, -5);
    EXPECT_EQ(table.GetRoundNumber(), 1);
    EXPECT_TRUE(table.IsPlaying());
    EXPECT_EQ(table.GetCurrentChair(), table.GetBanker());
    EXPECT_EQ(table.GetTeam(3), 3);
    EXPECT_EQ(table.GetFirstRoundFlag(), 1);
    EXPECT_EQ(std::string(table.GetRoundId()), std::string(30, 'a'));
    EXPECT_EQ(table.GetSeat(0)->games, 1);
    EXPECT_EQ(table.GetBaseScore(), 12); // the smallest score 500 is level 6, value 12
}

TEST_F(RoundFixture, EveryRefusalCodeNamesItsChairAndChangesNothing)
{
    Seat(0);
    Seat(1);
    Seat(3);
    int chair = -1;
    EXPECT_EQ(table.StartGame(chair, test::OpenStartArgs()), START_EMPTY_CHAIR);
    EXPECT_EQ(chair, 2);
    EXPECT_EQ(table.GetRoundNumber(), 0);
    Seat(2, 500, 50);

    StartGameArgs args = test::OpenStartArgs();
    for (int c = 0; c < 4; ++c)
        table.SetPlayerFlags(c, 0x4);
    args.round.min_silver = 100;
    args.round.deposit_factor = 1;
    EXPECT_EQ(table.StartGame(chair, args), START_LOW_SILVER);
    EXPECT_EQ(chair, 2);
    table.SetOptions(OPTION_SKIP_SILVER_CHECK);
    EXPECT_NE(table.StartGame(chair, { args.round, 0, 0, 0, 0 }), START_LOW_SILVER);
    table.SetOptions(0);
    args.round.min_silver = 0;

    args.round.min_score = 0;
    table.GetSeat(1)->score = -5;
    table.GetSeat(3)->score = 2000000;
    EXPECT_EQ(table.StartGame(chair, args), START_LOW_SCORE);
    EXPECT_EQ(chair, 1);
    table.GetSeat(1)->score = 0;
    EXPECT_EQ(table.StartGame(chair, args), START_HIGH_SCORE);
    EXPECT_EQ(chair, 3);
    table.GetSeat(3)->score = 0;

    table.GetSeat(2)->games = 5;
    args.max_games = 5;
    EXPECT_EQ(table.StartGame(chair, args), START_TOO_MANY_GAMES);
    EXPECT_EQ(chair, 2);
    args.max_games = 6;
    args.max_rounds = 0;
    EXPECT_EQ(table.StartGame(chair, args), START_TOO_MANY_ROUNDS);

    // None of the refusals above moved a counter.
    EXPECT_EQ(table.GetRoundNumber(), 0);
    EXPECT_EQ(table.GetSeat(0)->games, 0);
    EXPECT_EQ(table.GetSeat(2)->games, 5);
    EXPECT_FALSE(table.IsPlaying());
    args.max_rounds = 1;
    EXPECT_EQ(table.StartGame(chair, args), START_OK);
    EXPECT_EQ(table.GetSeat(2)->games, 6);
}

TEST_F(RoundFixture, PartialTablesCountReadyPlayers)
{
    table.SetChairFlags(0, 0x1000);
    Seat(0);
    Seat(1);
    table.SetChairReady(0);
    StartGameArgs args = test::OpenStartArgs();
    args.min_ready = 2;
    int chair = 9;
    EXPECT_EQ(table.StartGame(chair, args), START_EMPTY_CHAIR);
    EXPECT_EQ(chair, 9);
    args.min_ready = 1;
    EXPECT_EQ(table.StartGame(chair, args), START_OK);
    EXPECT_EQ(table.GetSeat(1)->idle, 1);
    EXPECT_EQ(table.GetSeat(0)->idle, 0);
}

TEST(TableMath, LevelsDepositUnitAndElapsedTime)
{
    EXPECT_EQ(GetLevelIndex(0, 1), 0);
    EXPECT_EQ(GetLevelIndex(10, 1), 1);
    EXPECT_EQ(GetLevelIndex(99, 1), 3);
    EXPECT_EQ(GetLevelIndex(100, 1), 4);
    EXPECT_EQ(GetLevelIndex(86640, 1), 19);
    EXPECT_EQ(GetLevelIndex(200, 2), 4);
    test::CRecordingServices services;
    const int32_t silvers[] = { 350, 900, 1200, 800 };
    EXPECT_EQ(DepositUnit(silvers, -1, services), 2);
    EXPECT_EQ(DepositUnit(silvers, 25, services), 6);
    int32_t seconds = -1;
    int32_t minutes = -1;
    EXPECT_EQ(ElapsedSince(0, 5000, seconds, minutes, 100), 0);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(ElapsedSince(1000, 1000 + 125000, seconds, minutes, 1000), 1);
    EXPECT_EQ(seconds, 125);
    EXPECT_EQ(minutes, 2);
    EXPECT_EQ(ElapsedSince(1000, 1000 + 125000, seconds, minutes, 100), 1);
    EXPECT_EQ(seconds, 0);
}

TEST(TableMath, LevelNamesAreCutBetweenCharacters)
{
    // Eight two-byte characters (16 bytes) do not fit a 16-byte field with
    // its terminator: seven characters stay, no half character.
    const LevelNameMap names { { 3, "一二三四五六七八" }, { 4, "abcdefghijklmnopq" } };
    ASSERT_EQ(names.at(3).size(), 16u);
    char text[LEVEL_NAME_SIZE];
    std::memset(text, 'z', sizeof(text));
    LookupLevelName(&names, 3, text);
    EXPECT_EQ(std::string(text), names.at(3).substr(0, 14));
    LookupLevelName(&names, 4, text);
    EXPECT_EQ(std::string(text), "abcdefghijklmno");
    LookupLevelName(&names, 5, text); // not in the map: untouched
    EXPECT_EQ(std::string(text), "abcdefghijklmno");
}

TEST_F(RoundFixture, BaseScoreFromHeaderOrLowestLevelAndCappedDeposit)
{
    Seat(0, 100, 350);
    Seat(1, 5000, 900);
    EXPECT_EQ(table.CalcBaseScore(7), 7);
    EXPECT_EQ(table.CalcBaseScore(0), 1); // chairs 2 and 3 are empty: score 0, level 0
    Seat(2, 300);
    Seat(3, 900);
    EXPECT_EQ(table.CalcBaseScore(0), LEVEL_VALUES[4]);
    TableHeader header;
    header.words[TableHeader::PRESENT] = 1;
    header.words[TableHeader::BASE_SCORE] = 33;
    table.SetTableHeader(header);
    EXPECT_EQ(table.CalcBaseScore(0), 33);
}

TEST_F(RoundFixture, CapLossesTakesTheShortfallFromWinners)
{
    const int32_t holdings[] = { 1000, 500, 2000, 800 };
    int32_t changes[] = { -900, 600, 300, 0 };
    table.CapLosses(holdings, changes);
    EXPECT_EQ(changes[0], -500);
    EXPECT_EQ(changes[1], 333);
    EXPECT_EQ(changes[2], 166);
    EXPECT_EQ(changes[3], 0);

    int32_t no_winner[] = { -900, -100, 0, 0 };
    table.CapLosses(holdings, no_winner);
    EXPECT_EQ(no_winner[0], -500);
    EXPECT_EQ(no_winner[1], -100);

    table.SetOptions(OPTION_CAP_AT_OWN_SILVER);
    int32_t own[] = { -1500, 1500, 0, 0 };
    table.CapLosses(holdings, own);
    EXPECT_EQ(own[0], -1000);
    EXPECT_EQ(own[1], 1000);
}

TEST_F(RoundFixture, WinFeesOfModeSixFollowTheBrackets)
{
    SeatFour();
    int chair = 0;
    StartGameArgs args = test::OpenStartArgs();
    args.round.fee_mode = 6;
    args.round.win_fee_rate = 2;
    ASSERT_EQ(table.StartGame(chair, args), START_OK);
    int32_t changes[] = { 100, 5000, 50000, 200000 };
    int32_t fees[] = { 0, 0, 0, 0 };
    EXPECT_EQ(table.TakeWinFees(changes, fees), 0 + 100 + 2500 + 10000);
    EXPECT_EQ(fees[0], 0);
    EXPECT_EQ(fees[1], 100);
    EXPECT_EQ(fees[2], 2500);
    EXPECT_EQ(fees[3], 10000);
    EXPECT_EQ(changes[3], 190000);
}

TEST_F(RoundFixture, FixedFeesCoverAShortfallFromWinnersOnce)
{
    SeatFour();
    table.GetSeat(0)->silver = 30;
    int chair = 0;
    StartGameArgs args = test::OpenStartArgs();
    args.round.fee_mode = 1;
    args.round.fixed_fee = 50;
    ASSERT_EQ(table.StartGame(chair, args), START_OK);
    int32_t changes[] = { -20, 500, 0, 0 };
    int32_t fees[] = { 0, 0, 0, 0 };
    // Chair 0 can pay 10 of its 50; the missing 40 come from the winner.
    EXPECT_EQ(table.TakeWinFees(changes, fees), 10 + 50 + 50 + 50 + 40);
    EXPECT_EQ(fees[0], 10);
    EXPECT_EQ(changes[0], -30);
    EXPECT_EQ(fees[1], 90);
    EXPECT_EQ(changes[1], 410);
    EXPECT_EQ(changes[2], -50);
}

TEST_F(RoundFixture, TableFeesNeverGoNegative)
{
    SeatFour();
    int chair = 0;
    StartGameArgs args = test::OpenStartArgs();
    args.round.fee_mode = 9;
    args.round.fee_rate = 150; // 1.5 %
    args.round.fee_minimum = 100;
    ASSERT_EQ(table.StartGame(chair, args), START_OK);
    const int32_t holdings[] = { 99, 1000, -50, 10001 };
    int32_t remaining[4] {};
    int32_t fees[4] {};
    EXPECT_EQ(table.TakeTableFees(holdings, remaining, fees), 15 + 151);
    EXPECT_EQ(fees[0], 0);
    EXPECT_EQ(fees[1], 15);
    EXPECT_EQ(fees[2], 0);
    EXPECT_EQ(remaining[3], 10001 - 151);
}

TEST_F(RoundFixture, ZeroSumRuleCancelsASettlementThatCreatesSilver)
{
    int32_t fair[] = { 100, -100, 0, 0 };
    int32_t fees[] = { 0, 0, 0, 0 };
    EXPECT_EQ(table.CheckZeroSum(fair, fees, 0), 1);
    EXPECT_EQ(fair[0], 100);
    int32_t created[] = { 101, -100, 0, 0 };
    int32_t fees2[] = { 3, 0, 0, 0 };
    EXPECT_EQ(table.CheckZeroSum(created, fees2, 0), 0);
    EXPECT_EQ(created[0], 0);
    EXPECT_EQ(fees2[0], 0);
    int32_t change = 5;
    int32_t fee = -4;
    EXPECT_EQ(CGameTable::CheckZeroSumOne(change, fee), 0);
    EXPECT_EQ(change, 0);
}

TEST_F(RoundFixture, DivideAmongTeamHandlesNoOtherTeamAndRemainders)
{
    table.ResetTeams();
    EXPECT_EQ(table.DivideAmongTeam(1, 1, 100), 0);
    EXPECT_EQ(table.DivideAmongTeam(0, 1, 99), 33);
    table.SetTeam(0, 1);
    table.SetTeam(2, 1);
    table.SetTeam(3, 1);
    // Every chair is in team 1: no other team member, no division by zero.
    EXPECT_EQ(table.DivideAmongTeam(0, 1, 100), 0);
    table.ResetTeams();
    const int remainder_chair = table.FindOtherTeamChair(1, table.GetTeam(1));
    EXPECT_EQ(table.DivideAmongTeam(remainder_chair, 1, 100), 33 + 1);
}

TEST_F(RoundFixture, SilverRoundSettlementCapsAndKeepsZeroSum)
{
    for (int c = 0; c < 4; ++c) {
        Seat(c, 500, c == 1 ? 500 : 2000);
        table.SetPlayerFlags(c, 0x4);
    }
    StartGameArgs args = test::OpenStartArgs();
    args.round.deposit_factor = 10;
    args.round.fee_mode = 6;
    args.round.win_fee_rate = 2;
    int chair = 0;
    ASSERT_EQ(table.StartGame(chair, args), START_OK);
    ASSERT_NE(table.GetBaseDeposit(), 0);
    GameWinResult win {};
    win.silver_change[0] = 300;
    win.silver_change[1] = -900;
    win.silver_change[2] = 600;
    win.silver_change[3] = 0;
    win.score_change[0] = 2;
    win.score_change[1] = -2;
    ASSERT_EQ(table.SettleGame(win, 0, 0, nullptr), 1);
    int64_t sum = 0;
    for (int c = 0; c < 4; ++c)
        sum += win.silver_change[c] + win.fee[c];
    EXPECT_LE(sum, 0);
    EXPECT_EQ(win.silver_change[1], -500);
    EXPECT_EQ(table.GetSeat(1)->silver, 0);
    EXPECT_EQ(table.GetSeat(0)->score, 502);
    EXPECT_EQ(win.chair_count, 4);
    EXPECT_EQ(win.absent_mask, 0);
}

TEST_F(RoundFixture, ReplayStoredResultChecksTheBlock)
{
    SeatFour();
    std::vector<uint8_t> block(RESULT_HEADER_BYTES + 4 * PLAYER_RESULT_BYTES, 0);
    EXPECT_EQ(table.ReplayStoredResult(block, nullptr), 0); // nothing stored
    table.StoreResult(GameWinResult {});
    ResultHeader header {};
    header.count = 3;
    WriteResultHeader(header, block);
    EXPECT_EQ(table.ReplayStoredResult(block, nullptr), 0);
    header.count = 4;
    WriteResultHeader(header, block);
    EXPECT_EQ(table.ReplayStoredResult(std::span(block).first(block.size() - 1), nullptr), 0);
    PlayerResult entry {};
    entry.score_before = 500;
    entry.score_change = 40;
    WritePlayerResult(entry, std::span(block).subspan(RESULT_HEADER_BYTES + 2 * PLAYER_RESULT_BYTES));
    EXPECT_EQ(table.ReplayStoredResult(block, nullptr), 1);
    EXPECT_EQ(table.GetStoredResult()->score_change[2], 40);
    EXPECT_EQ(table.GetSeat(2)->score, 540);
}

TEST_F(RoundFixture, ResultHeadersAndLeaveResults)
{
    SeatFour();
    int chair = 0;
    ASSERT_EQ(table.StartGame(chair, test::OpenStartArgs()), START_OK);
    env.clock.Advance(125000);
    GameWinResult win {};
    win.score_change[0] = 3;
    win.score_change[1] = -3;
    ResultHeader header {};
    PlayerResult results[4] {};
    table.FillResultHeader(win, 77, header, results);
    EXPECT_EQ(header.count, 4);
    EXPECT_EQ(header.game_id, 77);
    EXPECT_EQ(header.flags & RESULT_FLAG_SILVER, RESULT_FLAG_SILVER);
    EXPECT_EQ(results[0].win, 1);
    EXPECT_EQ(results[1].loss, 1);
    EXPECT_EQ(results[2].draw, 1);
    EXPECT_EQ(results[3].user_id, 103);
    EXPECT_EQ(results[3].seconds, 125);
    EXPECT_EQ(results[3].minutes, 2);

    LeaveResult leave {};
    EXPECT_EQ(table.BuildLeaveResult(nullptr, 1, 0, nullptr), 0);
    ASSERT_EQ(table.BuildLeaveResult(&leave, 1, 0, nullptr), 1);
    EXPECT_EQ(leave.user_id, 101);
    EXPECT_EQ(leave.round_number, 1);
    PlayerResult leave_result {};
    ResultHeader leave_header {};
    table.FillLeaveResults(leave, 1, 5, leave_header, leave_result);
    EXPECT_EQ(leave_header.count, 1);
    EXPECT_TRUE(leave_header.flags & RESULT_FLAG_LEAVE);
    EXPECT_EQ(leave_result.loss, 1);
}

} // namespace
} // namespace rules

namespace rules {
namespace {

class CScriptedRandom final : public IRandomSource {
public:
    explicit CScriptedRandom(std::vector<int32_t> values) : m_values(std::move(values)) { }
    void Seed(uint32_t) override { }
    [[nodiscard]] int32_t Next() override { return m_values.empty() ? 0 : m_values[m_next++ % m_values.size()]; }

private:
    std::vector<int32_t> m_values;
    size_t m_next { 0 };
};

TEST(LossRelief, RandomReliefByWeights)
{
    test::TestEnvironment env;
    CGameTable table { TableArgs {} };
    auto relief = [&](std::vector<int32_t> draws, int32_t amount) {
        CScriptedRandom random(std::move(draws));
        RulesEnvironment environment = env.Get();
        environment.random = &random;
        table.SetEnvironment(environment);
        return table.RandomLossRelief(amount);
    };
    EXPECT_EQ(relief({ 56 }, -100), -100);
    EXPECT_EQ(relief({ 55, 83 }, -100), -90);
    EXPECT_EQ(relief({ 0, 95 }, -100), -50);
    EXPECT_EQ(relief({ 0, 96 }, -100), 0);
    EXPECT_EQ(relief({ 0, 0 }, -1), 0); // a computed reduction of 0 still gives 1
    EXPECT_EQ(relief({ 0, 0 }, 40), 40);
}

class CReliefTable final : public CGameTable {
public:
    using CGameTable::CGameTable;
    [[nodiscard]] bool IsLossReliefEnabled() const override { return true; }
};

TEST(LossRelief, GoesToLosersWhosePlayerFlagsAllowIt)
{
    test::TestEnvironment env;
    CScriptedRandom random({ 0, 0 }); // always relieved, always by 10 percent
    RulesEnvironment environment = env.Get();
    environment.random = &random;
    CReliefTable table { TableArgs {} };
    table.SetEnvironment(environment);
    for (int c = 0; c < 4; ++c) {
        auto p = std::make_unique<TablePlayer>();
        p->user_id = 100 + c;
        p->chair = c;
        p->player_flags = c == 2 ? 0 : PLAYER_FLAG_LOSS_RELIEF;
        ASSERT_GT(table.AddPlayer(std::move(p)), 0);
    }
    // The chair's host-copied flags are not the player's own.
    table.SetPlayerFlags(2, PLAYER_FLAG_LOSS_RELIEF);
    GameWinResult win {};
    std::array<int32_t, 4> scores {};
    std::array<int32_t, 4> silver { -100, 50, -100, 150 };
    table.ScaleResults(win, scores, silver);
    EXPECT_EQ(silver, (std::array<int32_t, 4> { -90, 50, -100, 150 }));
    std::array<int32_t, 4> ids {};
    std::array<int32_t, 4> amounts {};
    EXPECT_EQ(table.GetLossReliefs(ids, amounts), 1);
    EXPECT_EQ(ids, (std::array<int32_t, 4> { 100, 0, 0, 0 }));
    EXPECT_EQ(amounts[0], 10);
}

TEST_F(RoundFixture, LeaverLossIsCappedBySilverAndMaximum)
{
    for (int c = 0; c < 4; ++c) {
        Seat(c, 500, c == 2 ? 150 : 5000);
        table.SetPlayerFlags(c, 0x4);
    }
    StartGameArgs args = test::OpenStartArgs();
    args.round.deposit_factor = 100; // the smallest silver 150 gives unit 1
    args.round.max_leave_loss = 1000;
    args.round.leave_compensation_percent = 30;
    int chair = 0;
    ASSERT_EQ(table.StartGame(chair, args), START_OK);
    ASSERT_EQ(table.GetBaseDeposit(), 100);
    int32_t compensation = 0;
    EXPECT_EQ(table.CalcLoss(0, -3, compensation), -300);
    EXPECT_EQ(compensation, 90);
    EXPECT_EQ(table.CalcLoss(0, -30, compensation), -1000);
    EXPECT_EQ(table.CalcLoss(2, -3, compensation), -150);
    EXPECT_EQ(compensation, 45);
    EXPECT_EQ(table.CalcLoss(7, -3, compensation), 0);
}

} // namespace
} // namespace rules
