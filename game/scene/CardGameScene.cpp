// The card table's structure: creation of its objects and buttons and the
// layout for the area the frame UI gives it.
#include "game/scene/CardGameScene.h"

#include "client/CCardGameApp.h"
#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectDefs.h"
#include "engine/core/ObjectModule.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "engine/widgets/GuiToolTip.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/ReplayPanel.h"
#include "game/scene/ReplaySceneHost.h"
#include "game/scene/SceneWidgets.h"
#include "game/scene/SeatBoard.h"
#include "game/scene/TableLayout.h"

namespace scene {
namespace {

constexpr const char* CLOCK_DIGITS = "digiti_Clock";
constexpr const char* BACKGROUND_IMAGE = "bit_BkgPattern";
constexpr const char* PEN_DIGITS = "digit_Pen";
constexpr const char* PEN2_DIGITS = "digit_Pen2";
constexpr const char* PASS_HINT_IMAGE = "过牌提示";
constexpr const char* WAITING_IMAGE = "waitsolo";
constexpr const char* LARGE_BACK_71 = "牌背面71x96";
constexpr const char* SMALL_BACK_50 = "牌背面50x68";
constexpr uint32_t DIGIT_SPACING_FLAGS = 2;
constexpr uint32_t PEN_PLUS_FRAME = 10;
constexpr uint32_t PEN_MINUS_FRAME = 11;

struct ButtonInfo {
    CCardGameScene::Button button;
    const char* image;
    uint32_t event_id;
    const char* tooltip;
    bool hand_cursor;
};

constexpr ButtonInfo BUTTONS[] = {
    { CCardGameScene::Button::Start, "btn_StartGame", GAMEMSG_BTN_START, "", true },
    { CCardGameScene::Button::Throw, "btnThrow", GAMEMSG_BTN_THROW, "", true },
    { CCardGameScene::Button::Pass, "btnPass", GAMEMSG_BTN_PASS, "", true },
    { CCardGameScene::Button::Hint, "btnRemaind", GAMEMSG_BTN_HINT, "", true },
    { CCardGameScene::Button::Sort1, "btn_Sort1", GAMEMSG_BTN_SELECT_SINGLES, "单张", true },
    { CCardGameScene::Button::Sort2, "btn_Sort2", GAMEMSG_BTN_SELECT_PAIRS, "对子", true },
    { CCardGameScene::Button::Sort3, "btn_Sort3", GAMEMSG_BTN_SELECT_TRIPLES, "三张", true },
    { CCardGameScene::Button::SortBomb, "btn_SortBomb", GAMEMSG_BTN_SELECT_BOMBS, "炸弹", true },
    { CCardGameScene::Button::SortBig, "btn_SortBig", GAMEMSG_BTN_SORT_BY_SIZE, "大小排序", true },
    { CCardGameScene::Button::SortType, "btn_SortType", GAMEMSG_BTN_SORT_BY_COUNT, "张数排序", true },
    { CCardGameScene::Button::AutoPlay, "btn_AutoPlay", GAMEMSG_BTN_AUTO_PLAY, "", true },
    { CCardGameScene::Button::CheckResult, "btn_CheckResult", GAMEMSG_BTN_CHECK_RESULT, "", true },
    { CCardGameScene::Button::AskCardView, "btn_AskCardView", GAMEMSG_BTN_ASK_CARD_VIEW, "", false },
};

/// The sort and select buttons' distances from the area's right edge.
constexpr CCardGameScene::RowPlace SORT_ROW[] = {
    { CCardGameScene::Button::SortBomb, 17 }, { CCardGameScene::Button::Sort3, 47 },
    { CCardGameScene::Button::Sort2, 77 },    { CCardGameScene::Button::Sort1, 107 },
    { CCardGameScene::Button::SortType, 137 }, { CCardGameScene::Button::SortBig, 167 },
};
constexpr int32_t SORT_ROW_FROM_BOTTOM = 17;
constexpr int32_t PLAY_BUTTON_GAP = 80;
constexpr int32_t PLAY_ROW_LIFT = 30;
constexpr int32_t PASS_HINT_BELOW_THROW = 28;
/// The replay board's distance from the table's left edge and from the info box.
constexpr int32_t REPLAY_BOARD_INSET = 10;

engine::CGuiDigitText* MakeDigitText(engine::CEngineEntity& owner, const char* strip)
{
    auto* text = dynamic_cast<engine::CGuiDigitText*>(owner.RegisterObject(std::make_unique<engine::CGuiDigitText>()));
    if (text == nullptr)
        return nullptr;
    text->Create(strip, DIGIT_SPACING_FLAGS);
    text->SetZ(CCardGameScene::DIGIT_DEPTH);
    return text;
}

} // namespace

CCardGameScene::CCardGameScene(client::CGameApp& app)
    : client::CGameScene(app), m_sprites(*this),
      m_replay_host(std::make_unique<CReplayDispatchHost>(app, [this] { LayoutScene(); },
                                                         [this] { SeatReplayRecorder(); })),
      m_replay_env(std::make_unique<CReplaySystemEnv>(this))
{
}

CCardGameScene::~CCardGameScene()
{
    // The boards hold the host and the environment: they go first (a board
    // the module already destroyed is not found by its id).
    if (engine::ObjectModule* objects = GetObjectModulePtr())
        for (const uint32_t id : m_replay_board_ids)
            objects->DestroyObject(id);
}

void CCardGameScene::CreateInfoBoard()
{
    client::CGameScene::CreateInfoBoard();
    const engine::CEngineObject* board = GetReplayBoard();
    if (board != nullptr && std::find(m_replay_board_ids.begin(), m_replay_board_ids.end(), board->GetId())
                                == m_replay_board_ids.end())
        m_replay_board_ids.push_back(board->GetId());
}

std::unique_ptr<engine::CEngineObject> CCardGameScene::NewReplayBoard(client::ReplayBoardKind kind)
{
    return MakeReplayBoard(kind, App(), *m_replay_host, *m_replay_env, GetGameState());
}

void CCardGameScene::Create()
{
    CreateClock();
    CreateBackground();
    CreateInputCatcher();
    CreateSeatBoards(App().GetChairCount());
    CreateCardSprites();
    CreateButtons();
    const client::CGameStateHolder* state = GetGameState();
    if (state == nullptr || !state->IsTableWord15Set())
        ResetTable();
    m_hand_cursor = platform::LoadSystemCursor(platform::IDC_HAND);
    m_arrow_cursor = platform::LoadSystemCursor(platform::IDC_ARROW);
    m_sort_type = 1;
    m_previous_sort_type = 1;
    ApplySoundSetting();
}

void CCardGameScene::CreateClock() { m_clock = MakeDigitText(*this, CLOCK_DIGITS); }

void CCardGameScene::CreateBackground()
{
    engine::ImageRef image;
    GetImage(image, BACKGROUND_IMAGE, 0);
    m_background = NewImageObject(image);
    if (m_background != nullptr) {
        m_background->SetZ(BACKGROUND_DEPTH);
        m_background->Show(true);
    }
    if (engine::CGuiDigitText* pen = MakeDigitText(*this, PEN_DIGITS)) {
        engine::ImageRef glyph;
        pen->AddGlyph("+", GetImage(glyph, PEN_DIGITS, PEN_PLUS_FRAME));
        pen->AddGlyph("-", GetImage(glyph, PEN_DIGITS, PEN_MINUS_FRAME));
        pen->SetName("DigitPen");
    }
    if (engine::CGuiDigitText* pen2 = MakeDigitText(*this, PEN2_DIGITS))
        pen2->SetName("DigitPen2");
    GetImage(image, PASS_HINT_IMAGE, 0);
    m_pass_hint = NewImageObject(image);
}

void CCardGameScene::CreateInputCatcher()
{
    engine::CEngineObject* catcher = NewObject();
    if (catcher == nullptr)
        return;
    m_input_catcher = catcher->GetId();
    SetInputTarget(m_input_catcher);
    AddInputTargetRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN, { GetId(), GAMEMSG_PASS_HINT_AREA, 0, 0 });
    AddInputTargetRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN, { GetId(), GAMEMSG_CHARACTER_AREA, 0, 0 });
    AddInputTargetRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN, { GetId(), GAMEMSG_CHARACTER_AREA, 0, 0 });
}

std::unique_ptr<CSeatBoard> CCardGameScene::NewSeatBoard() { return std::make_unique<CSeatBoard>(App()); }

std::unique_ptr<CCardSprite> CCardGameScene::NewCardSprite() { return std::make_unique<CCardSprite>(m_chair_count); }

std::unique_ptr<CChairMath> CCardGameScene::NewChairMath(int chair_count, int own_chair) const
{
    return std::make_unique<CChairMath>(chair_count, own_chair);
}

std::unique_ptr<CHandOperations> CCardGameScene::NewHandOperations(ICardSpriteSet& sprites,
                                                                   const CChairMath& chairs) const
{
    return std::make_unique<CHandOperations>(sprites, chairs);
}

void CCardGameScene::CreateSeatBoards(int chair_count)
{
    m_chair_count = std::clamp(chair_count, 0, MAX_VIEWS);
    m_chairs = NewChairMath(m_chair_count, App().Records().GetChairNO());
    m_hand = NewHandOperations(m_sprites, *m_chairs);
    m_hand->SetCardCountPlacer([this](int chair, int count) { PlaceCardCount(chair, count); });
    for (int chair = 0; chair < m_chair_count; ++chair) {
        const int view = ChairToView(chair);
        if (view < 0 || view >= MAX_VIEWS)
            continue;
        auto* board = dynamic_cast<CSeatBoard*>(RegisterObject(NewSeatBoard()));
        if (board == nullptr)
            continue;
        m_seat_boards[static_cast<size_t>(view)] = board;
        board->CreateChildren(view);
    }
}

void CCardGameScene::CreateCardSprites()
{
    m_sprites.Clear();
    for (int i = 0; i < GetCardSpriteCount(); ++i) {
        auto* sprite = dynamic_cast<CCardSprite*>(RegisterObject(NewCardSprite()));
        if (sprite == nullptr)
            continue;
        m_sprites.Add(*sprite);
        sprite->Deactivate();
        sprite->Invalidate();
    }
}

engine::CGuiButton* CCardGameScene::CreateButton(const char* image_name, uint32_t event_id, std::string_view tooltip,
                                                 bool hand_cursor, uint32_t flags, uint32_t image_flags)
{
    auto* button = dynamic_cast<engine::CGuiButton*>(RegisterObject(std::make_unique<engine::CGuiButton>()));
    if (button == nullptr)
        return nullptr;
    engine::EngineEvent click;
    engine::MakeEngineEvent(&click, GetId(), event_id, 0, 0);
    engine::ImageRef image;
    GetImage(image, image_name, 0);
    button->Create(image, &click, flags, image_flags);
    button->SetSound(1, BUTTON_HOVER_SOUND);
    button->SetSound(2, BUTTON_CLICK_SOUND);
    engine::PlaceAtDepth(*button, BUTTON_DEPTH);
    button->SetHandCursor(hand_cursor);
    if (!tooltip.empty())
        CreateToolTip(*button, tooltip);
    return button;
}

void CCardGameScene::CreateToolTip(engine::CEngineObject& target, std::string_view text)
{
    auto* tip = dynamic_cast<engine::CGuiToolTip*>(RegisterObject(std::make_unique<engine::CGuiToolTip>()));
    if (tip != nullptr)
        tip->Attach(&target, text, TOOLTIP_WIDTH);
}

void CCardGameScene::CreateButtons()
{
    for (const ButtonInfo& info : BUTTONS)
        m_buttons[static_cast<size_t>(info.button)] =
            CreateButton(info.image, info.event_id, info.tooltip, info.hand_cursor, 0, 0);
}

int CCardGameScene::ChairToView(int chair) const { return m_chairs != nullptr ? m_chairs->ChairToView(chair) : -1; }

CSeatBoard* CCardGameScene::GetSeatBoard(int view) const
{
    return view >= 0 && view < MAX_VIEWS ? m_seat_boards[static_cast<size_t>(view)] : nullptr;
}

CCardSprite* CCardGameScene::GetSprite(int index) const { return m_sprites.Sprite(index); }

engine::CGuiButton* CCardGameScene::GetButton(Button button) const
{
    const auto index = static_cast<size_t>(button);
    return index < m_buttons.size() ? m_buttons[index] : nullptr;
}

void CCardGameScene::PublishCardMetrics(int32_t, int32_t)
{
    engine::ImageRef image;
    GetImage(image, LARGE_BACK_71, 0);
    SetIntSetting(SETTING_LARGE_CARD_WIDTH, image.width);
    SetIntSetting(SETTING_LARGE_CARD_HEIGHT, image.height);
    GetImage(image, SMALL_BACK_50, 0);
    SetIntSetting(SETTING_SMALL_CARD_WIDTH, image.width);
    SetIntSetting(SETTING_SMALL_CARD_HEIGHT, image.height);
    GetImage(image, BOARD_SMALL_IMAGE, 0);
    SetIntSetting(SETTING_BOARD_SMALL_HEIGHT, image.height);
    SetIntSetting(SETTING_COLOUR_A, 0x408000);
    SetIntSetting(SETTING_COLOUR_B, 0xF67130);
    SetIntSetting(SETTING_COLOUR_C, 0x404040);
}

void CCardGameScene::Place(engine::CEngineObject* object, double x, double y)
{
    if (object == nullptr)
        return;
    object->MoveTo(x, y);
    object->Invalidate();
}

void CCardGameScene::PlaceButtonRow(std::span<const RowPlace> row, double right, double y)
{
    for (const RowPlace& place : row)
        Place(GetButton(place.button), right - place.from_right, y);
}

void CCardGameScene::LayoutScene()
{
    const engine::EngineRect area = GetArea();
    const int32_t left = area.left;
    const int32_t top = area.top;
    const int32_t width = area.Width();
    const int32_t height = area.Height();

    PublishCardMetrics(width, height);
    Place(m_background, left + width / 2, top + height / 2);
    for (int i = 0; i < m_sprites.Count(); ++i) {
        if (CCardSprite* sprite = m_sprites.Sprite(i)) {
            sprite->SetMainGameRect(area);
            sprite->LoadBackImages();
            sprite->UpdateImage();
        }
    }
    for (int chair = 0; chair < m_chair_count; ++chair) {
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair))) {
            board->SetMainGameRect(area);
            board->PlaceBoard();
        }
        if (m_hand != nullptr)
            (void)m_hand->RenumberHand(chair);
    }
    // The start button stands in the lower middle of the area's own size.
    Place(GetButton(Button::Start), width / 2, (3 * height) / 4);

    const CCardSprite* first = m_sprites.Sprite(0);
    const int32_t card_height = first != nullptr ? first->GetCardHeight() : 0;
    SetIntSetting(SETTING_LARGE_CARD_HEIGHT, card_height);
    engine::CGuiButton* pass = GetButton(Button::Pass);
    const double pass_height = pass != nullptr ? pass->GetHeight() : 0.0;
    const auto row_y = static_cast<int32_t>(top + height - card_height - PLAY_ROW_LIFT -
                                            GetIntSetting(SETTING_BOARD_SMALL_HEIGHT) - pass_height / 2);
    const int32_t middle = left + width / 2;
    Place(pass, middle - PLAY_BUTTON_GAP, row_y);
    Place(GetButton(Button::Throw), middle, row_y);
    Place(GetButton(Button::Hint), middle + PLAY_BUTTON_GAP, row_y);

    if (m_clock != nullptr) {
        const client::CGameStateHolder* state = GetGameState();
        const int active = state != nullptr ? state->GetTableWord14() : -1;
        if (const CSeatBoard* board = GetSeatBoard(ChairToView(active))) {
            const Point anchor = board->GetAnchorPoint(GetLastPlay().chair == -1 ? 1 : 0);
            Place(m_clock, anchor.x, anchor.y);
        }
    }

    PlaceButtonRow(SORT_ROW, left + width, top + height - SORT_ROW_FROM_BOTTOM);
    Place(GetButton(Button::AutoPlay), left + 37, top + height - 18);
    Place(GetButton(Button::CheckResult), left + 107, top + height - 18);
    Place(GetButton(Button::AskCardView), left + 35, top + height - 20);
    if (const engine::CGuiButton* throw_button = GetButton(Button::Throw))
        Place(m_pass_hint, throw_button->GetX(), throw_button->GetY() + PASS_HINT_BELOW_THROW);

    if (m_info_box != nullptr) {
        const double box_width = m_info_box->GetWidth();
        const double box_height = m_info_box->GetHeight();
        const double inset = App().IsMatch() ? 0.0 : 10.0;
        Place(m_info_box, left + box_width / 2 + inset, top + box_height / 2 + inset);
    }
    Place(m_result_box, left + width / 2, top + height / 2);
    RefreshView();
}

void CCardGameScene::OnStart()
{
    if (CSeatBoard* own = GetSeatBoard(0))
        own->SetPlayer(App().Records().GetChairNO());
    // The local test's placeholder players sit from the start: no log-on
    // answer seats them.
    if (App().IsStandAlone() && !App().IsReplayMode())
        for (int chair = 0; chair < m_chair_count; ++chair)
            if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)); board != nullptr
                && App().Records().IsChairOccupied(chair))
                board->SetPlayer(chair);
    auto* app = dynamic_cast<client::CCardGameApp*>(&App());
    auto* board = dynamic_cast<CReplayPanel*>(GetReplayBoard());
    if (app == nullptr || board == nullptr || !app->IsReplayMode())
        return;
    // A loaded replay seats its recording player through SeatReplayRecorder.
    (void)StartCommandLineReplay(*app, *board);
    // The board stands in the table's top left corner under the info box,
    // off the middle, where the plays and the trick's points show.
    Place(board, GetArea().left + REPLAY_BOARD_INSET + board->GetWidth() / 2,
          GetInfoBoxBottom() + REPLAY_BOARD_INSET + board->GetHeight() / 2);
}

void CCardGameScene::SeatReplayRecorder()
{
    // The replay names the recording player's chair: it is the own chair
    // (view 0) from here on, whether the replay was opened at start or from
    // the board.
    if (m_chairs != nullptr)
        m_chairs->SetOwnChair(App().Records().GetChairNO());
    if (CSeatBoard* own = GetSeatBoard(0))
        own->SetPlayer(App().Records().GetChairNO());
}

void CCardGameScene::ShowWaitingAnimation()
{
    if (App().IsPlaying())
        return;
    if (m_waiting == nullptr) {
        engine::ImageRef image;
        GetImage(image, WAITING_IMAGE, 0);
        m_waiting = NewImageObject(image);
        if (m_waiting == nullptr)
            return;
        m_waiting->SetZ(WAITING_DEPTH);
        const engine::EngineRect area = GetArea();
        m_waiting->MoveTo(area.left + area.Width() / 2, area.top + (3 * area.Height()) / 4);
    }
    // Hiding ends the loop, so every showing starts it again.
    CancelObjectActions(m_waiting->GetId());
    (void)AddPlayFramesAction(m_waiting, engine::FrameMode::Loop, -1, 0, 0);
    m_waiting->Show(true);
    m_waiting->Invalidate();
}

void CCardGameScene::HideWaitingAnimation()
{
    if (m_waiting == nullptr)
        return;
    CancelObjectActions(m_waiting->GetId());
    m_waiting->Show(false);
    m_waiting->Invalidate();
}

void CCardGameScene::ShowWaiting()
{
    for (int chair = 0; chair < m_chair_count; ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
            board->HideReady();
    ShowWaitingAnimation();
}

} // namespace scene
