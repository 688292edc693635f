#pragma once
// What the round's result box shows: for each of its four rows the player's
// chair, character picture, text colour and weight, name, team points,
// bonus and round result with where each goes on the box, and how the
// continue button behaves. The scene fills a ResultBoxInput from the game
// state and the application, asks for the plan and paints it on the box.
//
// Owner: plain values. Thread: any.
// Hazards: the chairs come from the scene's chair rules and the figures from
// a received result record; a row whose chair is not 0 to 3 is left out, so
// the plan never indexes outside the four chairs.

#include <array>
#include <cstdint>
#include <string>

#include "game/rules/PlDkRecords.h"

namespace scene {

inline constexpr uint32_t GAMEMSG_RESULT_CLOSE = 80000123;
inline constexpr uint32_t GAMEMSG_RESULT_CONTINUE = 80000124;

inline constexpr int RESULT_BOX_ROWS = 4;
inline constexpr const char* RESULT_BOX_IMAGE = "游戏结果框";
inline constexpr const char* RESULT_BOX_FONT = "宋体";
inline constexpr int32_t RESULT_BOX_FONT_SIZE = 14;
/// The own team's rows and the opponents' rows.
inline constexpr uint32_t RESULT_OWN_TEAM_COLOUR = 0x01CFFB;
inline constexpr uint32_t RESULT_OPPONENT_COLOUR = 0xD9ECE0;

struct ResultBoxInput {
    /// The chairs of the rows: own, partner, next after own, previous of own.
    std::array<int32_t, RESULT_BOX_ROWS> row_chairs { 0, 2, 1, 3 };
    /// By chair.
    std::array<std::string, RESULT_BOX_ROWS> names;
    std::array<int32_t, RESULT_BOX_ROWS> characters {};
    rules::PlDkGameWinResult result {};
    bool silver_room { false };
    bool look_on { false };
    bool match_room { false };
};

/// A text on the box canvas, its position relative to the box's top left.
struct ResultText {
    int32_t x { 0 };
    int32_t y { 0 };
    std::string text;
};

struct ResultRowPlan {
    bool present { false };  ///< false: the row's chair was not 0 to 3
    int32_t chair { -1 };
    int32_t character { 0 };
    /// The 32 x 32 picture's centre relative to the box's top left.
    int32_t picture_x { 0 };
    int32_t picture_y { 0 };
    uint32_t text_colour { 0 };
    int32_t font_weight { 0 };
    ResultText name;
    bool has_team_points { false };  ///< rows 0 and 2: one line per team
    ResultText team_points;          ///< drawn with the digit pen
    ResultText bonus;
    ResultText round_result;
};

struct ResultBoxPlan {
    std::array<ResultRowPlan, RESULT_BOX_ROWS> rows;
    bool continue_shown { true };   ///< shown and active for a player, not an onlooker
    uint32_t continue_event { GAMEMSG_RESULT_CONTINUE };
};

/// The value in decimal, with a "+" before a value above 0 when with_plus
/// is set. A team's points are a sum of two record words: 64 bits hold it.
[[nodiscard]] std::string FormatResultFigure(int64_t value, bool with_plus);
/// The x at which a digit-pen text ends at right_edge (5 pixels a character).
[[nodiscard]] int32_t RightAlignedX(int32_t right_edge, const std::string& text);

[[nodiscard]] ResultBoxPlan MakeResultBoxPlan(const ResultBoxInput& input);

} // namespace scene
