#pragma once
// This game's layout rules that need no engine: the card backs and the
// engine integer settings that publish the card sizes for a main-game width,
// the places of the play buttons and of the start button, and where the own
// last play shown on the own turn stands aside. Object positions are
// centres.
//
// Owner: none (values). Thread: any.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace scene {

/// Engine integer settings the scene publishes.
inline constexpr int32_t SETTING_BOARD_SMALL_HEIGHT = 50016;
inline constexpr int32_t SETTING_COLOUR_A = 50013;
inline constexpr int32_t SETTING_COLOUR_B = 50014;
inline constexpr int32_t SETTING_COLOUR_C = 50015;
inline constexpr int32_t SETTING_LARGE_CARD_WIDTH = 50018;
inline constexpr int32_t SETTING_LARGE_CARD_HEIGHT = 50019;
inline constexpr int32_t SETTING_SMALL_CARD_WIDTH = 50020;
inline constexpr int32_t SETTING_SMALL_CARD_HEIGHT = 50021;

struct CardBack {
    std::string_view image;   ///< GBK image name
    int32_t width;
    int32_t height;
};

struct CardBacks {
    CardBack large;
    CardBack small;
};

/// Up to 1000 pixels 71 x 96 and 50 x 68; up to 1400 82 x 110 and 50 x 68;
/// wider 98 x 132 and 71 x 96.
[[nodiscard]] CardBacks ChooseCardBacks(int32_t main_width);

struct IntSetting {
    int32_t id;
    int32_t value;
};
/// The settings in the order they are published.
[[nodiscard]] std::array<IntSetting, 8> CardMetricSettings(int32_t main_width, int32_t board_small_height);

struct Point {
    int32_t x { 0 };
    int32_t y { 0 };
};

struct Area {
    int32_t left { 0 };
    int32_t top { 0 };
    int32_t width { 0 };
    int32_t height { 0 };
};

struct PlayButtonPlaces {
    bool pass_shown { false };  ///< pass and hint are placed only when pass is active
    Point pass;
    Point hint;
    Point throw_button;
};

[[nodiscard]] PlayButtonPlaces PlacePlayButtons(const Area& area, int32_t large_card_height,
                                                int32_t board_small_height, int32_t pass_height, bool pass_active);

struct StartPlaces {
    Point start;  ///< the start button's centre
    Point slogan; ///< the slogan's centre
};
/// The start button and the slogan under it: beside the own portrait when
/// it is shown, else in the lower middle of the area, the slogan's top edge
/// level with the button's centre. Where the area is too low for that, both
/// rise until they end above the own hand's row (the seat plate and a large
/// card high above the bottom), where the cards left after a round stay.
[[nodiscard]] StartPlaces PlaceStartAndSlogan(const Area& area, int32_t board_small_height,
                                              int32_t large_card_height, int32_t start_height,
                                              int32_t slogan_height, bool portrait_shown);
/// The change-table button, 20 pixels right of the start button.
[[nodiscard]] Point PlaceChangeTableButton(Point start, int32_t start_width, int32_t change_width);

/// How far the own last play shown on the own turn (`play`, the cards' whole
/// extent) moves off the turn's buttons and clock, which stand in its row
/// (`turn`, their whole extent). It rises until it clears them, sliding
/// along over them as little as it must to meet none of `others` and stay on
/// `table`; where no place over them is clear (the side seats' last plays
/// leave a small table's middle too narrow), it stands beside them on the
/// right at its own height instead. Nothing when it does not meet `turn`;
/// the plain rise when nothing lies clear.
[[nodiscard]] Point StepAsideFromTurn(const Area& play, const Area& turn, std::span<const Area> others,
                                      const Area& table);

} // namespace scene
