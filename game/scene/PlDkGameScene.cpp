// This game's table: its members, the creation of its objects and buttons,
// the layout for the area the frame UI gives it, and the two resets (before
// a game and at a round's end).
#include "game/scene/PlDkGameScene.h"

#include <algorithm>

#include "client/CGameStateHolder.h"
#include "client/CPlDkApp.h"
#include "client/CPlDkGameState.h"
#include "client/TextFunctions.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/PlDkTable.h"
#include "game/scene/CardCounter.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/GameSetBoard.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkHandOperations.h"
#include "game/scene/PlDkPlayFinder.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/QrCodePanel.h"
#include "game/scene/SceneBody.h"
#include "game/scene/TableLayout.h"

namespace scene {
namespace {

using detail::SetActive;

constexpr const char* SCORE_DIGITS = "分数";
constexpr uint32_t SCORE_DIGIT_FLAGS = 18;
constexpr const char* SCORE_UNIT = "分";
constexpr const char* CHAT_IMAGE = "chat";
constexpr const char* SLOGAN_IMAGE = "slogan";
constexpr const char* CHAT_FONT = "宋体";
constexpr int32_t CHAT_FONT_SIZE = 14;
constexpr int32_t CHAT_FONT_WEIGHT = 400;
constexpr uint32_t CHAT_TEXT_COLOUR = 0x00DEDE;
constexpr int32_t CHAT_TEXT_WIDTH = 100;
constexpr int32_t CHAT_TEXT_HEIGHT = 60;
constexpr double CHAT_TEXT_DEPTH = 52001.0;
constexpr uint32_t COLOUR_KEY = 0xFF00FF;
/// The follower link of parts that move, show and hide with their leader.
constexpr uint32_t FOLLOW_ALL = 0x1BC0EB;
/// The chat frame of each view (frames of "chat").
/// The text's offset from its frame by view.
constexpr int32_t CHAT_TEXT_OFFSET[CPlDkGameScene::SEATS] = { -14, 14, 14, -14 };
/// The sort row's distances from the area's right edge.
constexpr CCardGameScene::RowPlace SORT_ROW[] = {
    { CCardGameScene::Button::SortBomb, 17 }, { CCardGameScene::Button::Sort3, 73 },
    { CCardGameScene::Button::Sort2, 101 },   { CCardGameScene::Button::Sort1, 129 },
    { CCardGameScene::Button::SortType, 157 }, { CCardGameScene::Button::SortBig, 185 },
};
constexpr uint32_t ROOM_OPTION_8 = 8;
constexpr uint32_t ROOM_OPTION_16 = 16;

/// This game's buttons beyond the base's slots, in the scene's members.
enum class Extra { None, Change, Five10K, LastThrow, Arrange, Restore, QrCode, QrClose, QrSite, Count };

/// A button of this game's table: the base's slot or this scene's member,
/// its image, click event, tooltip and factory arguments.
struct ButtonInfo {
    CCardGameScene::Button slot;
    Extra extra;
    const char* image;
    uint32_t event_id;
    const char* tooltip;
    bool hand_cursor;
    uint32_t image_flags;
};

using Slot = CCardGameScene::Button;
constexpr Slot NO_SLOT = Slot::Count;
constexpr uint32_t PIXEL_HIT = 4;

constexpr ButtonInfo BUTTONS[] = {
    { Slot::Start, Extra::None, "btn_StartGame", GAMEMSG_BTN_START, "", true, PIXEL_HIT },
    { NO_SLOT, Extra::Change, "btn_change", GAMEMSG_CHANGE_TABLE, "", true, PIXEL_HIT },
    { Slot::Throw, Extra::None, "btnThrow", GAMEMSG_BTN_THROW, "", true, PIXEL_HIT },
    { Slot::Pass, Extra::None, "btnPass", GAMEMSG_BTN_PASS, "", true, PIXEL_HIT },
    { Slot::Hint, Extra::None, "btnRemaind", GAMEMSG_BTN_HINT, "", true, PIXEL_HIT },
    { Slot::Sort1, Extra::None, "btn_Sort1", GAMEMSG_BTN_SELECT_SINGLES, "单张", true, PIXEL_HIT },
    { Slot::Sort2, Extra::None, "btn_Sort2", GAMEMSG_BTN_SELECT_PAIRS, "对子", true, PIXEL_HIT },
    { Slot::Sort3, Extra::None, "btn_Sort3", GAMEMSG_BTN_SELECT_TRIPLES, "三张", true, PIXEL_HIT },
    { NO_SLOT, Extra::Five10K, "btn_5TK", GAMEMSG_BTN_SORT_510K, "510K", true, PIXEL_HIT },
    { Slot::SortBomb, Extra::None, "btn_SortBomb", GAMEMSG_BTN_SELECT_BOMBS, "炸弹", true, PIXEL_HIT },
    { Slot::SortBig, Extra::None, "btn_SortBig", GAMEMSG_BTN_SORT_BY_SIZE, "大小排序", true, PIXEL_HIT },
    { Slot::SortType, Extra::None, "btn_SortType", GAMEMSG_BTN_SORT_BY_COUNT, "张数排序", true, PIXEL_HIT },
    { Slot::AutoPlay, Extra::None, "btn_AutoPlay", GAMEMSG_BTN_AUTO_PLAY, "", true, PIXEL_HIT },
    { Slot::CheckResult, Extra::None, "btn_CheckResult", GAMEMSG_BTN_CHECK_RESULT, "", true, PIXEL_HIT },
    { Slot::AskCardView, Extra::None, "btn_AskCardView", GAMEMSG_BTN_ASK_CARD_VIEW, "", false, PIXEL_HIT },
    { NO_SLOT, Extra::LastThrow, "btn_LastThrow", GAMEMSG_BTN_LAST_THROW, "", false, PIXEL_HIT },
    { NO_SLOT, Extra::Arrange, "理牌", GAMEMSG_BTN_ARRANGE, "将选中的牌放到左边", true, PIXEL_HIT },
    { NO_SLOT, Extra::Restore, "恢复", GAMEMSG_BTN_RESTORE, "", false, PIXEL_HIT },
    { NO_SLOT, Extra::QrCode, QR_BUTTON_IMAGE, GAMEMSG_BTN_QR_CODE, "", true, 0 },
    { NO_SLOT, Extra::QrClose, QR_CLOSE_IMAGE, GAMEMSG_QR_CLOSE, "", true, 0 },
    { NO_SLOT, Extra::QrSite, QR_OPEN_SITE_IMAGE, GAMEMSG_QR_OPEN_SITE, "", true, 0 },
};

} // namespace

CPlDkGameScene::CPlDkGameScene(client::CGameApp& app) : CCardGameScene(app)
{
    m_chair_count = SEATS;
}

CPlDkGameScene::~CPlDkGameScene()
{
    if (client::CPlDkApp* app = PlDkApp())
        app->SetSortType(m_sort_type);
}

client::CPlDkApp* CPlDkGameScene::PlDkApp() const { return dynamic_cast<client::CPlDkApp*>(&App()); }

client::CPlDkGameState* CPlDkGameScene::GetPlDkGameState() const
{
    return dynamic_cast<client::CPlDkGameState*>(GetGameState());
}

bool CPlDkGameScene::IsLookOn() const { return App().Records().IsLookOn(); }

int CPlDkGameScene::OwnChair() const { return App().Records().GetChairNO(); }

void CPlDkGameScene::Chat(const std::string& line) const { App().ShowSystemMessage(line); }

CPlDkSeatBoard* CPlDkGameScene::GetPlDkSeatBoard(int view) const
{
    return dynamic_cast<CPlDkSeatBoard*>(GetSeatBoard(view));
}

CPlDkSeatBoard* CPlDkGameScene::GetChairBoard(int chair) const
{
    return IsChair(chair) ? GetPlDkSeatBoard(ChairToView(chair)) : nullptr;
}

CFlippedCardSprite* CPlDkGameScene::GetScoreSprite(int index) const
{
    return index >= 0 && index < SCORE_SPRITES ? m_score_sprites[static_cast<size_t>(index)] : nullptr;
}

CPlDkHandOperations* CPlDkGameScene::PlDkHand() const { return dynamic_cast<CPlDkHandOperations*>(Hand()); }

CPlDkChairMath* CPlDkGameScene::PlDkChairs() const { return dynamic_cast<CPlDkChairMath*>(m_chairs.get()); }

int32_t CPlDkGameScene::GetPassCount(int chair) const
{
    return IsChair(chair) ? m_pass_counts[static_cast<size_t>(chair)] : 0;
}

int32_t CPlDkGameScene::GetHandPoints(int chair) const
{
    return IsChair(chair) ? m_hand_points[static_cast<size_t>(chair)] : 0;
}

// --- The pools' objects

std::unique_ptr<CSeatBoard> CPlDkGameScene::NewSeatBoard()
{
    if (client::CPlDkApp* app = PlDkApp())
        return std::make_unique<CPlDkSeatBoard>(*app);
    return CCardGameScene::NewSeatBoard();
}

std::unique_ptr<CCardSprite> CPlDkGameScene::NewCardSprite() { return std::make_unique<CPlDkCardSprite>(); }

std::unique_ptr<CChairMath> CPlDkGameScene::NewChairMath(int, int own_chair) const
{
    return std::make_unique<CPlDkChairMath>(own_chair, [](std::string_view line) {
        client::DebugTrace("%.*s", static_cast<int>(line.size()), line.data());
    });
}

std::unique_ptr<CHandOperations> CPlDkGameScene::NewHandOperations(ICardSpriteSet& sprites,
                                                                   const CChairMath& chairs) const
{
    if (const auto* pldk = dynamic_cast<const CPlDkChairMath*>(&chairs))
        return std::make_unique<CPlDkHandOperations>(sprites, *pldk);
    return CCardGameScene::NewHandOperations(sprites, chairs);
}

// --- Creation

void CPlDkGameScene::Create()
{
    CreateClock();
    CreateBackground();
    CreateInputCatcher();
    CreateSeatBoards(SEATS);
    CreateCardSprites();
    CreateButtons();
    if (const client::CPlDkApp* app = PlDkApp(); app != nullptr && app->HasRoomConfigsEx40000())
        CreateCardCounter();
    CreateInfoBoard();
    const client::CGameStateHolder* state = GetGameState();
    if (state == nullptr || !state->IsTableWord15Set())
        ResetTable();
    m_hand_cursor = platform::LoadSystemCursor(platform::IDC_HAND);
    m_arrow_cursor = platform::LoadSystemCursor(platform::IDC_ARROW);
    m_sort_type = 1;
    m_previous_sort_type = 1;
    OnSettingsChanged();
}

void CPlDkGameScene::CreateSeatBoards(int chair_count)
{
    CCardGameScene::CreateSeatBoards(chair_count);
    for (int view = 0; view < SEATS; ++view)
        if (CSeatBoard* board = GetSeatBoard(view))
            board->SetView(view);
    if (CPlDkHandOperations* hand = PlDkHand())
        m_finder = std::make_unique<CPlDkPlayFinder>(*hand);
}

void CPlDkGameScene::CreateCardSprites()
{
    CCardGameScene::CreateCardSprites();
    // The own hand marks its wild cards by this game's rules (jokers wild);
    // the rules table lives for the program, so the test never dangles.
    for (int i = 0; i < m_sprites.Count(); ++i)
        if (auto* sprite = dynamic_cast<CPlDkCardSprite*>(m_sprites.Sprite(i)))
            sprite->SetWildTest([](int32_t card) {
                static const rules::CPlDkTable rules_table(rules::OPTION_JOKERS_WILD);
                return rules_table.IsWildCard(card);
            });
    m_turned_card = dynamic_cast<CPlDkCardSprite*>(RegisterObject(std::make_unique<CPlDkCardSprite>()));
    if (m_turned_card != nullptr) {
        m_turned_card->Deactivate();
        m_turned_card->Invalidate();
    }
    for (int i = 0; i < SCORE_SPRITES; ++i) {
        auto* sprite = dynamic_cast<CFlippedCardSprite*>(RegisterObject(std::make_unique<CFlippedCardSprite>()));
        m_score_sprites[static_cast<size_t>(i)] = sprite;
        if (sprite != nullptr)
            sprite->Reset();
    }
}

void CPlDkGameScene::CreateClock()
{
    CCardGameScene::CreateClock();
    if (m_clock != nullptr)
        m_clock->Invalidate();
}

void CPlDkGameScene::CreateBackground()
{
    CCardGameScene::CreateBackground();

    m_score_panel = dynamic_cast<engine::CGuiDigitText*>(RegisterObject(std::make_unique<engine::CGuiDigitText>()));
    if (m_score_panel != nullptr) {
        m_score_panel->Create(SCORE_DIGITS, SCORE_DIGIT_FLAGS);
        engine::ImageRef unit;
        m_score_panel->AddGlyph(SCORE_UNIT, GetImage(unit, SCORE_UNIT, 0));
        m_score_panel->SetSuffix(SCORE_UNIT);
        m_score_panel->RaiseToTopLayer();
        m_score_panel->SetZ(SCORE_PANEL_DEPTH);
        m_score_panel->Invalidate();
    }

    if (client::CPlDkApp* app = PlDkApp())
        m_set_board = dynamic_cast<CGameSetBoard*>(RegisterObject(std::make_unique<CGameSetBoard>(*app)));

    for (int view = 0; view < SEATS; ++view) {
        engine::ImageRef frame;
        GetImage(frame, CHAT_IMAGE, CHAT_FRAMES[static_cast<size_t>(view)]);
        engine::CCanvasObject* bubble = NewCanvasObject(frame.width, frame.height, COLOUR_KEY);
        m_bubble_frames[static_cast<size_t>(view)] = bubble;
        if (bubble == nullptr)
            continue;
        bubble->DrawImage(frame, 0, 0, 0, 0, 0.0, 1.0);
        bubble->RaiseToTopLayer();
        bubble->SetZ(CHAT_BUBBLE_DEPTH);
        engine::CCanvasObject* text = NewCanvasObject(CHAT_TEXT_WIDTH, CHAT_TEXT_HEIGHT, COLOUR_KEY);
        m_bubble_texts[static_cast<size_t>(view)] = text;
        if (text != nullptr) {
            (void)bubble->AddFollower(text, FOLLOW_ALL);
            text->RaiseToTopLayer();
            text->SetZ(CHAT_TEXT_DEPTH);
            text->SetTextColour(CHAT_TEXT_COLOUR, 255);
            text->SetFont(CHAT_FONT_SIZE, CHAT_FONT_WEIGHT, CHAT_FONT);
        }
        // A bubble shows only while a phrase is said.
        SetActive(bubble, false);
        SetActive(text, false);
    }

    engine::ImageRef slogan;
    GetImage(slogan, SLOGAN_IMAGE, 0);
    m_slogan = NewImageObject(slogan);
    SetActive(m_slogan, false);

    m_qr = std::make_unique<CQrCodePanel>(*this);
    m_qr_panel = m_qr->CreatePanel();
}

void CPlDkGameScene::CreateButtons()
{
    engine::ObjectLink<engine::CGuiButton>* extras[] = { nullptr,          &m_change_button,  &m_510k_button,     &m_last_throw_button,
                                      &m_arrange_button, &m_restore_button, &m_qr_button,       &m_qr_close_button,
                                      &m_qr_site_button };
    static_assert(std::size(extras) == static_cast<size_t>(Extra::Count));
    for (const ButtonInfo& info : BUTTONS) {
        engine::CGuiButton* button =
            CreateButton(info.image, info.event_id, info.tooltip, info.hand_cursor, 0, info.image_flags);
        if (info.extra != Extra::None)
            *extras[static_cast<size_t>(info.extra)] = button;
        else if (info.slot != NO_SLOT)
            m_buttons[static_cast<size_t>(info.slot)] = button;
    }
    if (m_qr != nullptr)
        m_qr->AttachButtons(m_qr_button, m_qr_close_button, m_qr_site_button);
}

void CPlDkGameScene::CreateCardCounter()
{
    if (App().IsReplayMode())
        return;
    m_counter_button = CreateButton("btn_Cardmaster", GAMEMSG_BTN_CARD_COUNTER, "记牌器", false, 0, 4);
    m_card_counter = dynamic_cast<CCardCounter*>(RegisterObject(std::make_unique<CCardCounter>(App())));
}

// --- Start and seat refreshes

void CPlDkGameScene::OnStart()
{
    const uint32_t options = static_cast<uint32_t>(App().Records().GetRoomOptions());
    m_room_mode = (options & ROOM_OPTION_8) != 0 ? 8 : (options & ROOM_OPTION_16) != 0 ? 16 : 0;
    CCardGameScene::OnStart();
    if (CSeatBoard* own = GetSeatBoard(0))
        own->SetPlayer(OwnChair());
}

void CPlDkGameScene::SeatReplayRecorder()
{
    CCardGameScene::SeatReplayRecorder();
    // Every seat board follows the turned chair maths.
    for (int view = 0; view < SEATS; ++view)
        if (CSeatBoard* board = GetSeatBoard(view)) {
            board->ClearPlayer();
            board->SetPlayer(ViewToChair(view));
        }
}

void CPlDkGameScene::ResetSeatBoards()
{
    CCardGameScene::ResetSeatBoards();
    if (m_card_counter != nullptr)
        m_card_counter->DrawCounter();
}

// --- Layout

void CPlDkGameScene::LayoutScene()
{
    const engine::EngineRect area = GetArea();
    const int32_t left = area.left;
    const int32_t top = area.top;
    const int32_t right = area.right;
    const int32_t bottom = area.bottom;
    const int32_t w = area.Width();
    const int32_t h = area.Height();

    PublishCardMetrics(w, h);
    const Point bubbles[SEATS] = { { left + w / 2 + 200, bottom - 200 },
                                   { left + 150, top + h / 2 + 150 },
                                   { left + w / 2 - 200, top + 135 },
                                   { right - 147, top + h / 2 - 150 } };
    for (int view = 0; view < SEATS; ++view) {
        const Point at = bubbles[view];
        Place(m_bubble_frames[static_cast<size_t>(view)], at.x, at.y);
        Place(m_bubble_texts[static_cast<size_t>(view)], at.x, at.y + CHAT_TEXT_OFFSET[view]);
    }

    Place(m_result_box, left + w / 2, top + h / 2);
    Place(m_set_board, left + w / 2, top + h / 2);
    Place(m_qr_button, left + 55, h - 50);

    for (int i = 0; i < m_sprites.Count(); ++i) {
        if (CCardSprite* sprite = m_sprites.Sprite(i)) {
            sprite->SetMainGameRect(area);
            sprite->LoadBackImages();
            sprite->UpdateImage();
        }
    }
    for (CCardSprite* sprite : { static_cast<CCardSprite*>(m_turned_card) })
        if (sprite != nullptr) {
            sprite->SetMainGameRect(area);
            sprite->LoadBackImages();
        }
    for (CFlippedCardSprite* sprite : m_score_sprites)
        if (sprite != nullptr) {
            sprite->SetMainGameRect(area);
            sprite->UpdateImage();
        }
    for (int view = 0; view < SEATS; ++view)
        if (CSeatBoard* board = GetSeatBoard(view)) {
            board->SetView(view);
            board->SetMainGameRect(area);
            board->PlaceBoard();
        }
    if (m_hand != nullptr)
        for (int chair = 0; chair < SEATS; ++chair)
            (void)m_hand->RenumberHand(chair);
    if (const CCardSprite* first = m_sprites.Sprite(0))
        SetIntSetting(SETTING_LARGE_CARD_HEIGHT, first->GetCardHeight());

    PlaceStartButtonAndSlogan();

    engine::CGuiButton* pass = GetButton(Button::Pass);
    if (pass != nullptr)
        PlacePlayButtons();

    if (m_clock != nullptr) {
        const client::CGameStateHolder* state = GetGameState();
        const int active = state != nullptr ? state->GetTableWord14() : -1;
        const bool in_order = state != nullptr && (state->GetTableWord15() & TURN_ORDER_FLAG) != 0;
        if (!in_order) {
            Place(m_clock, OFF_SCREEN, OFF_SCREEN);
        } else if (IsChair(active) && GetSeatBoard(ChairToView(active)) != nullptr) {
            const Point at = ClockPlace(active);
            Place(m_clock, at.x, at.y);
        }
    }

    const int32_t row_y = bottom - 17;
    PlaceButtonRow(SORT_ROW, right, row_y);
    Place(m_510k_button, right - 45, row_y);
    Place(m_counter_button, right - 185, row_y);
    Place(GetButton(Button::CheckResult), left + 107, top + h - 18);
    Place(GetButton(Button::AskCardView), left + 43, top + h - 20);

    if (pass != nullptr && m_pass_hint != nullptr) {
        const int32_t y_ref =
            top + h - GetIntSetting(SETTING_LARGE_CARD_HEIGHT) - GetIntSetting(SETTING_BOARD_SMALL_HEIGHT) - 30;
        Place(m_pass_hint, left + w / 2, y_ref - pass->GetHeight() / 2 + 28);
    }
    if (m_info_box != nullptr) {
        const double inset = App().IsMatch() ? 0.0 : 10.0;
        Place(m_info_box, left + inset + m_info_box->GetWidth() / 2, top + inset + m_info_box->GetHeight() / 2);
    }
    Place(m_score_panel, left + w / 2 - 5, top + h / 2);
    if (m_card_counter != nullptr) {
        m_card_counter->SetMainGameRect(area);
        m_card_counter->Relayout();
    }
    Place(m_waiting, left + w / 2, top + 3 * h / 4);

    Place(GetButton(Button::AutoPlay), w - left - 40, bottom - 60);
    Place(m_last_throw_button, w - left - 40, bottom - 120);
    Place(m_arrange_button, w - left - 40, bottom - 90);
    Place(m_restore_button, w - left - 40, bottom - 90);

    for (int chair = 0; chair < SEATS; ++chair)
        RelayCards(chair);
    if (auto* frame = App().Links().TableFrame(); frame != nullptr && m_qr != nullptr)
        m_qr->Place(h, frame->UpdateMaximizedFlag() != 0);
    if (m_last_throw)
        StandOwnLastPlayAside();
    RefreshView();
}

// --- Resets

void CPlDkGameScene::ResetTable()
{
    HideLastThrow();
    CCardGameScene::ResetTable();
    m_new_lead = true;
    m_game_over = false;
    m_chair_count = SEATS;
    m_last = LastPlay {};
    m_timeout_ticks = 0;
    m_hint_index = 0;
    m_auto_play_off_time = 0;
    if (m_finder != nullptr)
        m_finder->ClearHints();
    m_hand_points.fill(0);
    m_pass_counts.fill(0);
    m_last_plays.Clear();
    m_score_used = 0;
    ResetScoreSprites();
    // No points lie on a reset table (a replay stopped in mid-trick shows
    // its start again).
    UpdateScorePanel(0);
    for (int view = 0; view < SEATS; ++view)
        if (CSeatBoard* board = GetSeatBoard(view)) {
            board->SetView(view);
            board->ResetRound();
        }
    ResetPlayerScores();
}

void CPlDkGameScene::ResetScoreSprites()
{
    for (int i = 0; i < SCORE_SPRITES; ++i)
        if (CFlippedCardSprite* sprite = m_score_sprites[static_cast<size_t>(i)]) {
            sprite->Reset();
            sprite->Record().row_index = i;
        }
}

void CPlDkGameScene::ResetPlayerScores()
{
    client::CPlDkGameState* state = GetPlDkGameState();
    if (state == nullptr)
        return;
    rules::TableGameData& data = state->GetTableData();
    for (int32_t& points : data.points_won)
        points = 0;
    data.last_play_chair = -1;
    data.new_trick = 1;
}

void CPlDkGameScene::ClearTable()
{
    StopClock();
    for (int i = 0; i < m_sprites.Count(); ++i) {
        if (CCardSprite* sprite = GetSprite(i))
            sprite->Reset();
        m_sprites.At(i).row_index = i;
        m_sprites.Redraw(i);
    }
    ResetScoreSprites();
    m_score_used = 0;
    for (int chair = 0; chair < SEATS; ++chair) {
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
            board->ResetRound();
        m_hand_points[static_cast<size_t>(chair)] = 0;
        PlaceCardCount(chair, 0);
    }
    SetActive(m_result_box, false);
    SetActive(m_extra_board, false);
    SetActive(m_score_panel, false);
    HidePlayButtons();
    ShowSortButtons(false);
    if (auto* frame = App().Links().TableFrame()) {
        frame->HideMatchWaitAnimations();
        frame->OnRoundEnd();
    }
    if (m_card_counter != nullptr) {
        m_card_counter->Reset();
        m_card_counter->Relayout();
        SetActive(m_card_counter, false);
    }
    m_last_plays.Clear();
}

void CPlDkGameScene::StopClock()
{
    CCardGameScene::StopClock();
    HideLastThrow();
}

} // namespace scene
