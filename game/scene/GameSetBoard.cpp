#include "game/scene/GameSetBoard.h"

#include <array>
#include <memory>

#include "client/CPlDkApp.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiCheckBox.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/SceneWidgets.h"

namespace scene {

namespace {

using Getter = int32_t (client::CPlDkApp::*)() const;
using Setter = void (client::CPlDkApp::*)(int32_t);

struct SettingRow {
    const char* caption;
    uint32_t caption_event;
    Getter get;
    Setter set;
};

// In the order the boxes stand on the board (CGameSetBoard::Setting).
constexpr std::array<SettingRow, CGameSetBoard::SETTING_COUNT> SETTING_ROWS = { {
    { "打开背景音乐", GAMEMSG_CHECK_MUSIC, &client::CPlDkApp::GetMusicSetting, &client::CPlDkApp::SetMusicSetting },
    { "打开游戏音效", GAMEMSG_CHECK_SOUND_EFFECT, &client::CPlDkApp::GetSoundEffectSetting,
      &client::CPlDkApp::SetSoundEffectSetting },
    { "屏蔽放弃敲桌声", GAMEMSG_CHECK_PASS_SOUND, &client::CPlDkApp::GetRejectPassSound,
      &client::CPlDkApp::SetRejectPassSound },
    { "不接受看牌请求", GAMEMSG_CHECK_KAN_PAI, &client::CPlDkApp::GetRejectKanPaiAsk,
      &client::CPlDkApp::SetRejectKanPaiAsk },
} };

// A box shows any value but 0 as checked: a value the INI file gave
// otherwise would leave a box that never toggles.
int32_t CheckedOf(const client::CPlDkApp& app, const SettingRow& row)
{
    return (app.*row.get)() != 0 ? 1 : 0;
}

constexpr const char* BOARD_IMAGE = "bit_gamesetboard";
constexpr const char* CHECK_BOX_IMAGE = "复选框";
constexpr int32_t BOX_X = 40;
constexpr int32_t BOX_Y = 55;
constexpr int32_t BOX_STEP = 25;
constexpr double BOX_DEPTH_STEP = 0.01;
constexpr int32_t CAPTION_WIDTH = 170;
constexpr int32_t CAPTION_FONT_SIZE = 12;
constexpr int32_t CAPTION_TEXT_X = 15;
constexpr int32_t CAPTION_TEXT_Y = 4;
constexpr int32_t OK_X = 84;
constexpr int32_t CANCEL_X = 176;
constexpr int32_t BUTTONS_Y = 177;
constexpr double BUTTON_DEPTH_STEP = 0.1;

} // namespace

void CGameSetBoard::Create()
{
    engine::ImageRef board_image;
    GetImage(board_image, BOARD_IMAGE, 0);
    engine::CImageObject* visual = NewImageObject(board_image);
    if (visual == nullptr)
        return;
    visual->RaiseToTopLayer();
    visual->SetDraggable(true);
    visual->Invalidate();
    SetVisual(visual, BOARD_PART_LINK_FLAGS);

    const auto left = static_cast<int32_t>(visual->GetLeft());
    const auto top = static_cast<int32_t>(visual->GetTop());
    engine::ImageRef box_image;
    GetImage(box_image, CHECK_BOX_IMAGE, 0);
    for (size_t i = 0; i < SETTING_ROWS.size(); ++i) {
        const SettingRow& row = SETTING_ROWS[i];
        auto* box = dynamic_cast<engine::CGuiCheckBox*>(RegisterObject(std::make_unique<engine::CGuiCheckBox>()));
        if (box == nullptr)
            continue;
        m_box_ids[i] = box->GetId();
        (void)box->Create(box_image, CheckedOf(m_app, row));
        const int32_t box_y = top + BOX_Y + BOX_STEP * static_cast<int32_t>(i);
        AttachPart(*visual, *box, left + BOX_X, box_y, BOX_DEPTH_STEP);

        engine::CCanvasObject* caption = NewCanvasObject(CAPTION_WIDTH, box_image.height, engine::WIDGET_COLOUR_KEY);
        if (caption == nullptr)
            continue;
        caption->SetTextColor(0x000000, 0, 1.0);
        caption->SetFont(CAPTION_FONT_SIZE, 400, engine::WIDGET_FACE);
        caption->AddEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN, GetId(), row.caption_event, 0, 0);
        caption->DrawText(CAPTION_TEXT_X, CAPTION_TEXT_Y, row.caption);
        AttachPart(*visual, *caption, visual->GetX(), box_y, BOX_DEPTH_STEP);
    }

    const struct {
        const char* image;
        uint32_t event_id;
        int32_t x;
    } buttons[] = { { "btn_gameset_ok", GAMESET_BTN_OK, OK_X }, { "btn_gameset_cancel", GAMESET_BTN_CANCEL, CANCEL_X } };
    for (const auto& info : buttons) {
        engine::EngineEvent click;
        engine::MakeEngineEvent(&click, GetId(), info.event_id, 0, 0);
        engine::CGuiButton* button = MakeSkinButton(*this, info.image, click, 0);
        if (button == nullptr)
            continue;
        button->SetSound(engine::CGuiButton::SOUND_ENTER, BUTTON_HOVER_SOUND);
        button->SetSound(engine::CGuiButton::SOUND_PRESS, BUTTON_CLICK_SOUND);
        AttachPart(*visual, *button, left + info.x, top + BUTTONS_Y, BUTTON_DEPTH_STEP);
    }
    engine::PlaceAtDepth(*this, BOARD_DEPTH);
    Invalidate();
}

engine::CGuiCheckBox* CGameSetBoard::GetBox(Setting setting) const
{
    const auto index = static_cast<size_t>(setting);
    return index < m_box_ids.size() ? dynamic_cast<engine::CGuiCheckBox*>(FindObject(m_box_ids[index])) : nullptr;
}

int CGameSetBoard::OnEvent(const engine::EngineEvent& event)
{
    for (size_t i = 0; i < SETTING_ROWS.size(); ++i) {
        if (event.id != SETTING_ROWS[i].caption_event)
            continue;
        if (engine::CGuiCheckBox* box = GetBox(static_cast<Setting>(i)))
            box->Toggle();
        return 1;
    }
    switch (event.id) {
    case GAMESET_BTN_OK:
        Apply();
        Hide();
        return 1;
    case GAMESET_BTN_CANCEL:
        RestoreBoxes();
        Hide();
        return 1;
    default:
        return CGuiObject::OnEvent(event);
    }
}

void CGameSetBoard::Apply()
{
    for (size_t i = 0; i < SETTING_ROWS.size(); ++i) {
        // A box that is gone leaves its setting as it was.
        if (const engine::CGuiCheckBox* box = GetBox(static_cast<Setting>(i)))
            (m_app.*SETTING_ROWS[i].set)(box->IsChecked() != 0 ? 1 : 0);
    }
    if (engine::CEngineObject* main_game = FindObjectByName(MAIN_GAME_NAME)) {
        engine::EngineEvent changed;
        engine::MakeEngineEvent(&changed, 0, GAMEMSG_SETTINGS_CHANGED, 0, 0);
        (void)main_game->OnEvent(changed);
    }
}

void CGameSetBoard::RestoreBoxes()
{
    for (size_t i = 0; i < SETTING_ROWS.size(); ++i) {
        if (engine::CGuiCheckBox* box = GetBox(static_cast<Setting>(i)))
            box->SetChecked(CheckedOf(m_app, SETTING_ROWS[i]));
    }
}

void CGameSetBoard::Hide()
{
    Deactivate();
    Invalidate();
}

} // namespace scene
