// Whole rounds without a screen: simple players who follow the hint finders
// play seeded rounds to the end.
#include "game/rules/PlDkTable.h"

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rules {
namespace {

// The weakest play of the last play's type that beats it, else a bomb, or
// nothing (a pass). Leading: the weakest single, pair or triple in turn.
bool ChoosePlay(CPlDkTable& table, int chair, int round, CardPlay& out)
{
    std::array<int32_t, PLAY_CARDS> hand;
    hand.fill(NO_CARD);
    table.GetHandCards(chair, hand);
    std::array<int32_t, 16> counters {};
    int32_t wild = 0;
    table.CountValues(hand, counters, wild);
    const TableGameData& block = table.GetTableGameData();
    CardPlay play;
    if (block.last_play_chair == -1) {
        const int kind = round % 3;
        if (kind == 1 && table.FindPair(hand, counters, wild, play))
            return out = play, true;
        if (kind == 2 && table.FindTriple(hand, counters, wild, play))
            return out = play, true;
        play.Clear();
        return table.FindSingle(hand, play) ? (out = play, true) : false;
    }
    const CardPlay& last = block.last_play;
    play = last;
    bool found = false;
    switch (last.type) {
    case CARD_TYPE_SINGLE: found = table.FindSingle(hand, play); break;
    case CARD_TYPE_PAIR: found = table.FindPair(hand, counters, wild, play); break;
    case CARD_TYPE_TRIPLE: found = table.FindTriple(hand, counters, wild, play); break;
    default: break;
    }
    if (!found && round % 2 == 0) {
        play = last;
        found = table.FindBomb(hand, counters, wild, play, 0);
    }
    if (!found)
        return false;
    out = play;
    return true;
}

TEST(PlDkRounds, ThousandSeededRoundsEndCleanly)
{
    test::TestEnvironment env;
    CPlDkTable table(0);
    table.SetEnvironment(env.Get());
    for (int c = 0; c < 4; ++c) {
        auto p = std::make_unique<TablePlayer>();
        p->user_id = 900 + c;
        p->chair = c;
        p->seed_a = c;
        p->seed_b = 5 * c;
        table.AddPlayer(std::move(p));
    }
    int mode_two = 0;
    for (int round = 0; round < 1000; ++round) {
        env.clock.Set(5000u + 104729u * static_cast<uint32_t>(round));
        table.SetOptions(round % 4 == 3 ? OPTION_JOKERS_WILD : 0);
        table.Reset(0);
        int chair = -1;
        ASSERT_EQ(table.StartGame(chair, test::OpenStartArgs(1)), START_OK);
        table.BeginPlayPhase();
        bool over = false;
        int actions = 0;
        while (!over && actions < 2000) {
            ++actions;
            env.clock.Advance(300);
            const int current = table.GetCurrentChair();
            ASSERT_TRUE(table.IsValidChair(current));
            ASSERT_GT(table.GetHandCount(current), 0) << "round " << round;
            CardPlay play;
            ThrowRequest request;
            request.chair = current;
            if (ChoosePlay(table, current, round, play)) {
                request.play = play;
                if (table.IsValidThrow(request)) {
                    table.ApplyThrow(request);
                    over = table.AfterThrow(request) == 1;
                    continue;
                }
            }
            // A chair that leads always finds a single; a follower passes.
            ASSERT_NE(table.GetTableGameData().last_play_chair, -1) << "round " << round;
            PassRequest pass;
            pass.chair = current;
            ASSERT_EQ(table.IsValidPass(pass), 1) << "round " << round;
            table.OnPass(pass);
            ASSERT_NE(pass.next_chair, -1);
        }
        ASSERT_TRUE(over) << "round " << round << " did not end";
        const TableGameData& block = table.GetTableGameData();
        std::array<int32_t, 4> places {};
        std::copy(std::begin(block.place), std::end(block.place), places.begin());
        std::sort(places.begin(), places.end());
        EXPECT_EQ(places, (std::array<int32_t, 4> { 1, 2, 3, 4 })) << "round " << round;
        int32_t points = block.trick_points;
        for (int c = 0; c < 4; ++c)
            points += block.points_won[c] + (block.finished[c] ? 0 : table.GetHandPoints(c));
        EXPECT_EQ(points, 200) << "round " << round;
        mode_two += table.GetSettleMode() == SETTLE_FIRST_TWO ? 1 : 0;
        std::array<int32_t, 4> results {};
        ASSERT_EQ(table.CalcRoundResults(results), 1);
        EXPECT_EQ(results[0] + results[1] + results[2] + results[3], 0);
        if (table.GetSettleMode() == SETTLE_FIRST_TWO) {
            // One team took places 1 and 2: +2 each, -2 for the others,
            // before the bomb parts.
            const int first = table.GetChairByPlace(1);
            const int partner = table.GetPartnerChair(first);
            EXPECT_EQ(block.place[partner], 2) << "round " << round;
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(results[c] - block.bomb_result[c], (c == first || c == partner) ? 2 : -2) << "round " << round;
        }
        EXPECT_TRUE(env.services.lines.empty());

        // The base settlement consumes the results and keeps them zero-sum.
        auto win = std::make_unique<PlDkGameWinResult>();
        ASSERT_EQ(table.SettleRound(*win, table.GetChairByPlace(1), 0, nullptr), 1);
        int64_t score_sum = 0;
        for (int c = 0; c < 4; ++c)
            score_sum += win->base.score_change[c];
        EXPECT_EQ(score_sum, 0);
        EXPECT_EQ(win->five, 5);
        table.EndPlaying();
    }
    EXPECT_GT(mode_two, 0);
}

} // namespace
} // namespace rules
