#include "game/scene/ResultBoxPlan.h"

#include <cstdio>

namespace scene {
namespace {

constexpr int32_t ROW_FIRST_LINE = 87;
constexpr int32_t ROW_HEIGHT = 40;
constexpr int32_t PICTURE_X = 54;
constexpr int32_t PICTURE_FIRST_Y = 94;
constexpr int32_t NAME_X = 89;
constexpr int32_t TEAM_POINTS_RIGHT = 255;
constexpr int32_t TEAM_POINTS_BELOW_LINE = 23;
constexpr int32_t BONUS_RIGHT = 360;
constexpr int32_t RESULT_RIGHT = 465;
constexpr int32_t DIGIT_HALF_WIDTH = 5;
constexpr int32_t OWN_WEIGHT = 700;
constexpr int32_t OTHER_WEIGHT = 400;

bool IsChair(int32_t chair)
{
    return chair >= 0 && chair < RESULT_BOX_ROWS;
}

ResultText RightAligned(int32_t right_edge, int32_t y, std::string text)
{
    const int32_t x = RightAlignedX(right_edge, text);
    return ResultText { x, y, std::move(text) };
}

} // namespace

std::string FormatResultFigure(int64_t value, bool with_plus)
{
    char text[24];
    std::snprintf(text, sizeof text, with_plus && value > 0 ? "+%lld" : "%lld", static_cast<long long>(value));
    return text;
}

int32_t RightAlignedX(int32_t right_edge, const std::string& text)
{
    return right_edge - DIGIT_HALF_WIDTH * int32_t(text.size());
}

ResultBoxPlan MakeResultBoxPlan(const ResultBoxInput& input)
{
    ResultBoxPlan plan;
    plan.continue_shown = !input.look_on;
    plan.continue_event = input.match_room ? GAMEMSG_RESULT_CLOSE : GAMEMSG_RESULT_CONTINUE;
    const rules::PlDkGameWinResult& result = input.result;
    for (int i = 0; i < RESULT_BOX_ROWS; ++i) {
        const int32_t chair = input.row_chairs[size_t(i)];
        if (!IsChair(chair))
            continue;
        const size_t c = size_t(chair);
        ResultRowPlan& row = plan.rows[size_t(i)];
        const int32_t line = ROW_FIRST_LINE + ROW_HEIGHT * i;
        row.present = true;
        row.chair = chair;
        row.character = input.characters[c];
        row.picture_x = PICTURE_X;
        row.picture_y = PICTURE_FIRST_Y + ROW_HEIGHT * i;
        row.text_colour = i < 2 ? RESULT_OWN_TEAM_COLOUR : RESULT_OPPONENT_COLOUR;
        row.font_weight = i == 0 ? OWN_WEIGHT : OTHER_WEIGHT;
        row.name = ResultText { NAME_X, line, input.names[c] };
        if (i % 2 == 0) {
            // The team is this row's chair and the next row's (own and
            // partner, then the two opponents).
            const int32_t mate = input.row_chairs[size_t(i + 1)];
            const int64_t points = int64_t(result.settle_score[c]) + (IsChair(mate) ? result.settle_score[size_t(mate)] : 0);
            row.has_team_points = true;
            row.team_points = RightAligned(TEAM_POINTS_RIGHT, line + TEAM_POINTS_BELOW_LINE,
                                           FormatResultFigure(points, false));
        }
        row.bonus = RightAligned(BONUS_RIGHT, line, FormatResultFigure(result.bomb_part[c], true));
        const int32_t round = input.silver_room ? result.base.silver_change[c] : result.base.score_change[c];
        row.round_result = RightAligned(RESULT_RIGHT, line, FormatResultFigure(round, true));
    }
    return plan;
}

} // namespace scene
