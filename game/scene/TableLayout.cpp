// This game's layout rules that need no engine.
#include "game/scene/TableLayout.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace scene {
namespace {

constexpr CardBack BACK_50 { "牌背面50x68", 50, 68 };
constexpr CardBack BACK_71 { "牌背面71x96", 71, 96 };
constexpr CardBack BACK_82 { "牌背面82x110", 82, 110 };
constexpr CardBack BACK_98 { "牌背面98x132", 98, 132 };
/// Between the own last play and the turn's pieces it stands aside from.
constexpr int32_t ASIDE_GAP = 2;

bool Meets(const Area& a, const Area& b)
{
    return a.width > 0 && a.height > 0 && b.width > 0 && b.height > 0 && a.left < b.left + b.width &&
        b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

bool Inside(const Area& a, const Area& outer)
{
    return a.left >= outer.left && a.top >= outer.top && a.left + a.width <= outer.left + outer.width &&
        a.top + a.height <= outer.top + outer.height;
}

} // namespace

CardBacks ChooseCardBacks(int32_t main_width)
{
    if (main_width <= 1000)
        return { BACK_71, BACK_50 };
    if (main_width <= 1400)
        return { BACK_82, BACK_50 };
    return { BACK_98, BACK_71 };
}

std::array<IntSetting, 8> CardMetricSettings(int32_t main_width, int32_t board_small_height)
{
    const CardBacks backs = ChooseCardBacks(main_width);
    return { {
        { SETTING_BOARD_SMALL_HEIGHT, board_small_height },
        { SETTING_COLOUR_A, 0x408000 },
        { SETTING_COLOUR_B, 0xF67130 },
        { SETTING_COLOUR_C, 0x404040 },
        { SETTING_LARGE_CARD_WIDTH, backs.large.width },
        { SETTING_LARGE_CARD_HEIGHT, backs.large.height },
        { SETTING_SMALL_CARD_WIDTH, backs.small.width },
        { SETTING_SMALL_CARD_HEIGHT, backs.small.height },
    } };
}

PlayButtonPlaces PlacePlayButtons(const Area& area, int32_t large_card_height, int32_t board_small_height,
                                  int32_t pass_height, bool pass_active)
{
    PlayButtonPlaces places;
    const int32_t y = area.top + area.height - large_card_height - board_small_height - 30 - pass_height / 2;
    const int32_t middle = area.left + area.width / 2;
    places.pass_shown = pass_active;
    places.throw_button = { middle, y };
    if (pass_active) {
        places.pass = { middle - 80, y };
        places.hint = { middle, y };
        places.throw_button = { middle + 80, y };
    }
    return places;
}

StartPlaces PlaceStartAndSlogan(const Area& area, int32_t board_small_height, int32_t large_card_height,
                                int32_t start_height, int32_t slogan_height, bool portrait_shown)
{
    constexpr int32_t GAP = 2;
    const int32_t hand_top = area.top + area.height - board_small_height - large_card_height;
    // The slogan hangs from the button's centre; its bottom edge, and the
    // button's, stay above the hand's row.
    const int32_t slogan_top = std::min(area.top + 3 * area.height / 4, hand_top - GAP - slogan_height);
    StartPlaces places;
    places.slogan = { area.left + area.width / 2 + (portrait_shown ? 135 : 0), slogan_top + slogan_height / 2 };
    if (portrait_shown)
        places.start = { area.width / 2 + 127, std::min(area.top + area.height - board_small_height - 135,
                                                        hand_top - GAP - (start_height + 1) / 2) };
    else
        places.start = { area.width / 2, slogan_top };
    return places;
}

Point PlaceChangeTableButton(Point start, int32_t start_width, int32_t change_width)
{
    return { start.x + start_width / 2 + 20 + change_width / 2, start.y };
}

Point StepAsideFromTurn(const Area& play, const Area& turn, std::span<const Area> others, const Area& table)
{
    if (!Meets(play, turn))
        return {};
    const auto clear = [&](const Point shift) {
        const Area moved { play.left + shift.x, play.top + shift.y, play.width, play.height };
        return Inside(moved, table) &&
            std::none_of(others.begin(), others.end(), [&moved](const Area& other) { return Meets(moved, other); });
    };
    // Risen, it slides along over them no further than it must: of the
    // moves that set it just beside one of the others, the shortest that
    // leaves it clear.
    const Point rise { 0, turn.top - ASIDE_GAP - (play.top + play.height) };
    std::vector<int32_t> slides { 0 };
    for (const Area& other : others) {
        slides.push_back(other.left - ASIDE_GAP - (play.left + play.width));
        slides.push_back(other.left + other.width + ASIDE_GAP - play.left);
    }
    std::stable_sort(slides.begin(), slides.end(),
                     [](int32_t a, int32_t b) { return std::abs(a) < std::abs(b); });
    const Area over { turn.left, play.top, turn.width, play.height };
    for (const int32_t slide : slides)
        if (Meets({ play.left + slide, play.top, play.width, play.height }, over) && clear({ slide, rise.y }))
            return { slide, rise.y };
    const Point beside { turn.left + turn.width + ASIDE_GAP - play.left, 0 };
    return clear(beside) ? beside : rise;
}

} // namespace scene
