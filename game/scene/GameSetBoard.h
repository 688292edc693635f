#pragma once
// CGameSetBoard: the small movable board on which the player switches four
// settings of the GAMESET section: background music, sound effects, muting
// the knock of a pass and refusing requests to see the own cards. Each
// setting is a check box with a caption beside it (pressing the caption
// toggles the box too). OK copies the boxes into the application's settings
// and tells the scene ("MainGame"); Cancel sets the boxes back from them.
// The scene creates one board and shows or hides it; the boxes keep their
// states while it is hidden. Writing the section to the INI file is the
// application's, at exit.
//
// Owner: the object module; the image visual, the boxes, their captions
// and the two buttons are owned parts that follow the visual. The
// application outlives the board. Thread: UI thread.
// Hazards: the board reaches its boxes by id, so a box destroyed by someone
// else is simply skipped.

#include <array>
#include <cstdint>

#include "engine/core/GuiObject.h"
#include "game/scene/CardSprite.h"

namespace client {
class CPlDkApp;
}

namespace engine {
class CGuiCheckBox;
}

namespace scene {

/// The scene's handler of a changed setting (to the object "MainGame").
inline constexpr uint32_t GAMEMSG_SETTINGS_CHANGED = 80000077;
/// Caption events of the board (the same numbers mean other things to the scene).
inline constexpr uint32_t GAMEMSG_CHECK_SOUND_EFFECT = 80000097;
inline constexpr uint32_t GAMEMSG_CHECK_MUSIC = 80000098;
inline constexpr uint32_t GAMEMSG_CHECK_PASS_SOUND = 80000099;
inline constexpr uint32_t GAMEMSG_CHECK_KAN_PAI = 80000100;
/// The board's buttons.
inline constexpr uint32_t GAMESET_BTN_OK = 80000095;
inline constexpr uint32_t GAMESET_BTN_CANCEL = 80000096;

/// The scene object that hears about changed settings is MAIN_GAME_NAME (CardSprite.h).

class CGameSetBoard : public engine::CGuiObject {
public:
    /// The boxes, in the order they stand on the board.
    enum class Setting { Music, SoundEffect, PassSound, CardView };
    static constexpr int SETTING_COUNT = 4;
    static constexpr double BOARD_DEPTH = 80000.0;

    explicit CGameSetBoard(client::CPlDkApp& app) : m_app(app) {}

    /// Builds the board when it is registered.
    void OnCreate() override { Create(); }
    virtual void Create();
    /// Caption events toggle their box; OK applies and hides the board;
    /// Cancel restores the boxes and hides it. Answers 1 for these.
    int OnEvent(const engine::EngineEvent& event) override;
    /// Copies the boxes into the application's settings and tells "MainGame".
    virtual void Apply();

    [[nodiscard]] engine::CGuiCheckBox* GetBox(Setting setting) const;

private:
    /// Each box set back from its application setting.
    void RestoreBoxes();
    void Hide();

    client::CPlDkApp& m_app;
    std::array<uint32_t, SETTING_COUNT> m_box_ids {};
};

} // namespace scene
