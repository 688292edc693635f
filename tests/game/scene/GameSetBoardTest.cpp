#include "engine/widgets/GuiCheckBox.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/GameSetBoard.h"
#include "platform/Ini.h"

namespace scene::test {
namespace {

using Setting = CGameSetBoard::Setting;
constexpr Setting ALL_SETTINGS[] = { Setting::Music, Setting::SoundEffect, Setting::PassSound, Setting::CardView };
// The buttons on the 260 x 210 board around (400, 300).
constexpr int32_t OK_X = 400 - 130 + 84;
constexpr int32_t CANCEL_X = 400 - 130 + 176;
constexpr int32_t BUTTONS_Y = 300 - 105 + 177;

class GameSetBoardTest : public BoardTest {
protected:
    GameSetBoardTest()
    {
        AddImage("bit_gamesetboard", 260, 210);
        AddImage("复选框", 16, 16, 2);
        AddImage("btn_gameset_ok", 60, 24, 4);
        AddImage("btn_gameset_cancel", 60, 24, 4);
        m_app.SetMusicSetting(1);
        m_app.SetSoundEffectSetting(0);
        m_app.SetRejectPassSound(1);
        m_app.SetRejectKanPaiAsk(0);
    }
    CGameSetBoard* MakeBoard()
    {
        auto owned = std::make_unique<CGameSetBoard>(m_app);
        CGameSetBoard* board = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        board->MoveTo(400, 300);
        board->Show(true);
        board->Activate();
        board->Invalidate();
        Run();
        return board;
    }
    [[nodiscard]] std::vector<int32_t> Boxes(const CGameSetBoard& board) const
    {
        std::vector<int32_t> checked;
        for (Setting setting : ALL_SETTINGS)
            checked.push_back(board.GetBox(setting)->IsChecked());
        return checked;
    }
    [[nodiscard]] std::vector<int32_t> Settings() const
    {
        return { m_app.GetMusicSetting(), m_app.GetSoundEffectSetting(), m_app.GetRejectPassSound(),
                 m_app.GetRejectKanPaiAsk() };
    }
    // The GAMESET section of the application's INI file, in box order.
    [[nodiscard]] std::vector<int32_t> Written() const
    {
        std::vector<int32_t> values;
        for (const char* key : { "Music", "SoundEffect", "RejectPassSound", "RejectKanPaiAsk" })
            values.push_back(platform::GetProfileInt(client::GAMESET_SECTION, key, -1, m_app.GetGameIniPath()));
        return values;
    }
    // Presses the caption of a box, right of the box itself.
    void PressCaption(const CGameSetBoard& board, Setting setting)
    {
        const CGuiCheckBox* box = board.GetBox(setting);
        ClickAt(400 + 60, static_cast<int32_t>(box->GetY()));
    }
    enginetest::CRecordingObject* AddMainGame()
    {
        auto* main_game = m_engine.Add<enginetest::CRecordingObject>(-300, -300, 1, 1, false);
        main_game->SetName(MAIN_GAME_NAME);
        return main_game;
    }
};

TEST_F(GameSetBoardTest, BuildsFourBoxesFromTheSettingsWithTheirCaptions)
{
    CGameSetBoard* board = MakeBoard();
    EXPECT_EQ(Boxes(*board), Settings());
    // The board image is 260 x 210 around (400, 300): left 270, top 195.
    for (int i = 0; i < CGameSetBoard::SETTING_COUNT; ++i) {
        const CGuiCheckBox* box = board->GetBox(ALL_SETTINGS[i]);
        EXPECT_EQ(box->GetX(), 310);
        EXPECT_EQ(box->GetY(), 250 + 25 * i);
    }
    EXPECT_EQ(DrawnTexts(),
              (std::vector<std::string> { "打开背景音乐", "打开游戏音效", "屏蔽放弃敲桌声", "不接受看牌请求" }));
    EXPECT_EQ(m_text->drawn[0].x, 15);
    EXPECT_EQ(m_text->drawn[0].y, 4);
    EXPECT_EQ(board->GetZ(), CGameSetBoard::BOARD_DEPTH);
    // A setting the INI file gave as another number than 0 or 1 shows as
    // checked, and its box still toggles.
    m_app.SetRejectKanPaiAsk(7);
    board->SendEvent(EngineEvent { board->GetId(), GAMESET_BTN_CANCEL, 0, 0 });
    EXPECT_EQ(board->GetBox(Setting::CardView)->IsChecked(), 1);
    board->SendEvent(EngineEvent { board->GetId(), GAMEMSG_CHECK_KAN_PAI, 0, 0 });
    EXPECT_EQ(board->GetBox(Setting::CardView)->IsChecked(), 0);
}

// Each road ends with the application writing its settings at exit.
TEST_F(GameSetBoardTest, CaptionPressTogglesItsBoxAndCancelRestoresAllWithoutTellingTheScene)
{
    auto* main_game = AddMainGame();
    CGameSetBoard* board = MakeBoard();
    for (Setting setting : ALL_SETTINGS)
        PressCaption(*board, setting);
    EXPECT_EQ(Boxes(*board), (std::vector<int32_t> { 0, 1, 0, 1 }));
    ClickAt(CANCEL_X, BUTTONS_Y);
    EXPECT_EQ(Boxes(*board), (std::vector<int32_t> { 1, 0, 1, 0 }));
    EXPECT_FALSE(board->IsActive());
    EXPECT_TRUE(main_game->events.empty());
    (void)m_app.ExitInstance();
    EXPECT_EQ(Written(), (std::vector<int32_t> { 1, 0, 1, 0 }));
}

TEST_F(GameSetBoardTest, OkStoresTheBoxesAndTellsTheSceneWhenItExists)
{
    for (const bool with_main_game : { true, false }) {
        SCOPED_TRACE(with_main_game);
        enginetest::CRecordingObject* main_game = with_main_game ? AddMainGame() : nullptr;
        m_app.SetMusicSetting(1);
        m_app.SetRejectKanPaiAsk(0);
        CGameSetBoard* board = MakeBoard();
        board->GetBox(Setting::Music)->Toggle();
        board->GetBox(Setting::CardView)->Toggle();
        ClickAt(OK_X, BUTTONS_Y);
        EXPECT_FALSE(board->IsActive());
        (void)m_app.ExitInstance();
        EXPECT_EQ(Written(), (std::vector<int32_t> { 0, 0, 1, 1 }));
        if (main_game != nullptr) {
            ASSERT_EQ(main_game->events.size(), 1u);
            EXPECT_EQ(main_game->events[0].id, GAMEMSG_SETTINGS_CHANGED);
            m_engine.m_objects->DestroyObject(main_game->GetId());
        }
        m_engine.m_objects->DestroyObject(board->GetId());
        Run();
    }
}

} // namespace
} // namespace scene::test
