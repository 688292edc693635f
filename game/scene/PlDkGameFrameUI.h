#pragma once
// CPlDkGameFrameUI: this game's frame UI. It loads this game's skin packages
// (the card-counter package only in rooms that allow the counter, the replay
// package only when playing a replay back), creates this game's side panel
// and the table scene, adds the tournament widgets of a match room (the
// wait-arrange animation, the event queue, the sign-up and give-up buttons
// and the four image texts) and opens the forum topic for the help button.
// CPlDkFrameUIFactory makes it for the application; InstallFrameUIFactory
// installs one such factory for the process.
//
// Owner: the object module (the main window's root object), as the base.
// Its match widgets and children are registered objects it creates.
// Thread: UI thread, inside the engine tick or under its lock.
// Hazards: missing skin images or packages leave empty images (the engine
// logs them); creation goes on.
#include <memory>

#include "client/FrameUIFactory.h"
#include "client/panel/CGameFrameUI.h"

namespace scene {

class CPlDkGameFrameUI : public panel::CGameFrameUI {
public:
    static constexpr const char* FORUM_TOPIC_PATH = "/showtopic-5053.html";
    static constexpr uint32_t CARDMASTER_CONFIG = 0x40000;
    /// The follower link of the sign-up countdown to the sign-up button.
    static constexpr uint32_t SIGNUP_COUNTDOWN_LINK = 0x180A3;

    explicit CPlDkGameFrameUI(client::CGameApp& app);

    void OnCreate() override { Create(); }
    /// Names the frame "GameFrame", loads the skins, sets the frame metrics,
    /// makes the frame's buttons, backdrop and children, then the match
    /// widgets of a match room.
    virtual void Create();
    int OnEvent(const engine::EngineEvent& event) override;

    void LoadSkinPackages() override;
    void CreateChildren() override;
    void OpenForumPage() override;
    /// The elimination-round text shows round 1.
    virtual void ShowFirstEliminationRound();

    [[nodiscard]] engine::CImageObject* GetWaitArrange() const { return m_wait_arrange; }
    [[nodiscard]] engine::CGuiButton* GetSignUpButton() const { return m_signup_button; }
    [[nodiscard]] engine::CGuiButton* GetGiveUpButton() const { return m_giveup_button; }
    [[nodiscard]] engine::CGuiImageText* GetStartCountdown() const { return m_start_countdown; }
    [[nodiscard]] engine::CGuiImageText* GetSignUpCountdown() const { return m_signup_countdown; }
    [[nodiscard]] engine::CGuiImageText* GetRoundText() const { return m_round_text; }
    [[nodiscard]] engine::CGuiImageText* GetTablesText() const { return m_tables_text; }

protected:
    /// The table scene the frame holds: this game's CPlDkGameScene.
    [[nodiscard]] virtual std::unique_ptr<engine::CGuiContainer> NewGameScene();
    virtual void CreateMatchWidgets();

private:
    /// An image text (40, 42, 18) with glyphs on the word image and the
    /// digits; redrawn.
    engine::CGuiImageText* NewImageText(const char* glyphs, const char* word_image);
    engine::CGuiButton* NewMatchButton(const char* image_name, uint32_t event_id);
};

class CPlDkFrameUIFactory final : public client::IFrameUIFactory {
public:
    [[nodiscard]] std::unique_ptr<engine::CGuiContainer> CreateFrameUI(client::CGameApp& app) override;
};

/// Installs one process-wide CPlDkFrameUIFactory.
void InstallFrameUIFactory();

} // namespace scene
