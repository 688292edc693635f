// The result box's rows for a worked result record: chairs, colours,
// weights, texts and where they go, and the continue button's behaviour.
#include "game/scene/ResultBoxPlan.h"

#include <gtest/gtest.h>

#include <climits>

namespace scene {
namespace {

// Own chair 1, partner 3, next 2, previous 0.
ResultBoxInput WorkedInput()
{
    ResultBoxInput input;
    input.row_chairs = { 1, 3, 2, 0 };
    input.names = { "zero", "one", "two", "three" };
    input.characters = { 10, 11, 12, 13 };
    auto& r = input.result;
    const int32_t settle[] = { 20, 100, 15, 5 };
    const int32_t bonus[] = { 0, 30, -4, 7 };
    const int32_t score[] = { -1200, 30, 1200, -30 };
    const int32_t silver[] = { 500, -500, 0, 9 };
    for (int c = 0; c < 4; ++c) {
        r.settle_score[c] = settle[c];
        r.bomb_part[c] = bonus[c];
        r.base.score_change[c] = score[c];
        r.base.silver_change[c] = silver[c];
    }
    return input;
}

TEST(ResultBoxPlan, RowsOfAWorkedResult)
{
    const ResultBoxPlan plan = MakeResultBoxPlan(WorkedInput());
    struct Row {
        int32_t chair, character, picture_y;
        uint32_t colour;
        int32_t weight, line;
        const char* name;
        bool team;
        const char* points;
        int32_t points_x;
        const char* bonus;
        int32_t bonus_x;
        const char* result;
        int32_t result_x;
    };
    const Row rows[] = {
        { 1, 11, 94, 0x01CFFB, 700, 87, "one", true, "105", 240, "+30", 345, "+30", 450 },
        { 3, 13, 134, 0x01CFFB, 400, 127, "three", false, "", 0, "+7", 350, "-30", 450 },
        { 2, 12, 174, 0xD9ECE0, 400, 167, "two", true, "35", 245, "-4", 350, "+1200", 440 },
        { 0, 10, 214, 0xD9ECE0, 400, 207, "zero", false, "", 0, "0", 355, "-1200", 440 },
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const ResultRowPlan& got = plan.rows[size_t(i)];
        const Row& want = rows[i];
        EXPECT_TRUE(got.present);
        EXPECT_EQ(got.chair, want.chair);
        EXPECT_EQ(got.character, want.character);
        EXPECT_EQ(got.picture_x, 54);
        EXPECT_EQ(got.picture_y, want.picture_y);
        EXPECT_EQ(got.text_colour, want.colour);
        EXPECT_EQ(got.font_weight, want.weight);
        EXPECT_EQ(got.name.x, 89);
        EXPECT_EQ(got.name.y, want.line);
        EXPECT_EQ(got.name.text, want.name);
        EXPECT_EQ(got.has_team_points, want.team);
        if (want.team) {
            EXPECT_EQ(got.team_points.text, want.points);
            EXPECT_EQ(got.team_points.x, want.points_x);
            EXPECT_EQ(got.team_points.y, want.line + 23);
        }
        EXPECT_EQ(got.bonus.text, want.bonus);
        EXPECT_EQ(got.bonus.x, want.bonus_x);
        EXPECT_EQ(got.bonus.y, want.line);
        EXPECT_EQ(got.round_result.text, want.result);
        EXPECT_EQ(got.round_result.x, want.result_x);
        // Every figure ends at its column's right edge, whatever its length.
        EXPECT_EQ(got.round_result.x + 5 * int32_t(got.round_result.text.size()), 465);
    }
    EXPECT_TRUE(plan.continue_shown);
    EXPECT_EQ(plan.continue_event, GAMEMSG_RESULT_CONTINUE);
}

TEST(ResultBoxPlan, RoomKindOnlookerAndBadChairs)
{
    ResultBoxInput input = WorkedInput();
    input.silver_room = true;
    input.look_on = true;
    input.match_room = true;
    ResultBoxPlan plan = MakeResultBoxPlan(input);
    EXPECT_EQ(plan.rows[0].round_result.text, "-500");
    EXPECT_EQ(plan.rows[3].round_result.text, "+500");
    EXPECT_EQ(plan.rows[2].round_result.text, "0");
    EXPECT_FALSE(plan.continue_shown);
    EXPECT_EQ(plan.continue_event, GAMEMSG_RESULT_CLOSE);

    // Chairs outside 0 to 3 leave their rows out; a team sum does not wrap.
    input.row_chairs = { 0, 9, -1, 2 };
    input.result.settle_score[0] = INT32_MAX;
    input.result.settle_score[2] = INT32_MAX;
    plan = MakeResultBoxPlan(input);
    EXPECT_TRUE(plan.rows[0].present);
    EXPECT_EQ(plan.rows[0].team_points.text, "2147483647");
    EXPECT_FALSE(plan.rows[1].present);
    EXPECT_FALSE(plan.rows[2].present);
    EXPECT_TRUE(plan.rows[3].present);
    input.row_chairs = { 0, 2, 1, 3 };
    EXPECT_EQ(MakeResultBoxPlan(input).rows[0].team_points.text, "4294967294");
}

} // namespace
} // namespace scene
