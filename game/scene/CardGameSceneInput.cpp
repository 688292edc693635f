// The card table's event dispatcher and what the player does with the mouse:
// presses, drags and hovers over the cards, the buttons, presses on the bare
// table, the start button, quitting, the sound setting and the result box's
// drag and character picture.
#include <algorithm>
#include <string>
#include <vector>

#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/CGameFrameWnd.h"
#include "client/CGameStateHolder.h"
#include "client/CPlDkApp.h"
#include "client/panel/CGameFrameUI.h"
#include "client/panel/CharacterImage.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/core/ModuleServices.h"
#include "engine/widgets/GuiButton.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/CardGameSelection.h"
#include "game/scene/GameSetBoard.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SeatBoard.h"
#include "platform/Message.h"

namespace scene {
namespace {

using detail::InputOf;
using detail::SetActive;

constexpr uint32_t GAMEMSG_REFRESH_SEATS_AND_PILES = 80000012;
constexpr uint32_t GAMEMSG_UPDATE_SEAT_SCORES = 80000022;
constexpr uint32_t GAMEMSG_REDRAW_OWN_SEAT = 80000052;
constexpr uint32_t GAMEMSG_STOP_CLOCK = 80000053;
constexpr int32_t CHARACTER_WIDTH = 135;
constexpr int32_t CHARACTER_HEIGHT = 270;
constexpr int32_t CHARACTER_LEFT_OF_BOX = 67;
constexpr uint32_t CHARACTER_KEY = 0xFF00FF;
constexpr uint32_t CHARACTER_FOLLOW_FLAGS = 0x13C0EB;

} // namespace

int CCardGameScene::OnEvent(const engine::EngineEvent& event)
{
    if (event.id >= GAMEMSG_CARD_LBUTTON_DOWN && event.id <= GAMEMSG_CARD_MOVE_DONE)
        return OnCardSpriteEvent(event);
    if (event.id >= GAMEMSG_BTN_THROW && event.id <= GAMEMSG_OPTION_4)
        return OnButtonEvent(event);
    switch (event.id) {
    case GAMEMSG_AUTO_PASS:
    case GAMEMSG_CHARACTER_AREA:
        OnBackgroundEvent(event);
        return 1;
    case panel::GAMEMSG_RESET_SEAT_BOARDS:
    case panel::GAMEMSG_REFRESH_MAIN_GAME:
        ResetSeatBoards();
        return 1;
    case GAMEMSG_BTN_START:
        OnBtnStart();
        return 1;
    case GAMEMSG_CARD_VIEW_ANSWER:
        ForgetLookOnQuestions(static_cast<int32_t>(event.param1));
        SendCardViewSetting(static_cast<int32_t>(event.param1), static_cast<int32_t>(event.param2));
        return 1;
    case panel::GAMEMSG_REFRESH_SEAT_BOARDS:
        RefreshSeatBoards();
        return 1;
    case GAMEMSG_REFRESH_SEATS_AND_PILES:
    case GAMEMSG_REFRESH_SEATS_AND_PILES + 1:
        RefreshSeatBoardsAndPiles();
        return 1;
    case panel::GAMEMSG_RANDOM_TABLE:
        OnRandomTable();
        return 1;
    case panel::GAMEMSG_TABLE_CHANGED:
        OnTableChanged();
        return 1;
    case GAMEMSG_UPDATE_SEAT_SCORES:
        UpdateSeatScores();
        return 1;
    case panel::GAMEMSG_REFRESH_OWN_SEAT:
        RefreshOwnSeatBoard();
        return 1;
    case GAMEMSG_REDRAW_OWN_SEAT:
        RedrawOwnSeatBoard();
        return 1;
    case GAMEMSG_STOP_CLOCK:
        StopClock();
        return 1;
    case GAMEMSG_TOGGLE_GAMESET_BOARD:
        return 1;
    case GAMEMSG_SETTINGS_CHANGED:
        ApplySoundSetting();
        return 1;
    case GAMEMSG_CHANGE_TABLE:
        OnChangeTable();
        return 1;
    case GAMEMSG_ROOM_CONFIG_REQUEST:
        OnRoomConfigRequest();
        return 1;
    case GAMEMSG_DEAL_TICK:
        OnDealTick();
        return 1;
    case GAMEMSG_CLOCK_TICK:
        if (IsClockRunning())
            OnClockTick();
        return 1;
    case GAMEMSG_CLOSE_RESULT_BOX:
        // The result box's drag; the same number is the settings board's
        // own event, which never comes here.
        if (const engine::InputState* input = InputOf(event);
            input != nullptr && m_result_box != nullptr && (input->state & engine::InputState::LEFT_DOWN) != 0) {
            m_result_box->MoveTo(m_result_box->GetX() + input->dx, m_result_box->GetY() + input->dy);
            m_result_box->Invalidate();
        }
        return 1;
    case GAMEMSG_ROUND_OVER:
        OnTableReset();
        return 1;
    case GAMEMSG_SHOW_CHARACTER:
        ShowCharacterImage(static_cast<int32_t>(event.param1));
        return 1;
    case GAMEMSG_HIDE_CHARACTER:
        HideCharacterImage();
        return 1;
    default:
        return client::CGameScene::OnEvent(event);
    }
}

int CCardGameScene::OnButtonEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case GAMEMSG_BTN_THROW:
        OnBtnThrow();
        break;
    case GAMEMSG_BTN_PASS:
        OnBtnPass();
        break;
    case GAMEMSG_BTN_HINT:
        OnBtnHint();
        break;
    case GAMEMSG_BTN_ASK_CARD_VIEW:
    case GAMEMSG_BTN_ASK_CARD_VIEW2:
        OnBtnAskCardView();
        break;
    case GAMEMSG_BTN_CHECK_RESULT:
        OnBtnCheckResult();
        break;
    case GAMEMSG_RESULT_CLOSE:
        OnResultClose();
        break;
    case GAMEMSG_RESULT_CONTINUE:
        OnResultContinue();
        break;
    case GAMEMSG_BTN_SELECT_SINGLES:
    case GAMEMSG_BTN_SELECT_PAIRS:
    case GAMEMSG_BTN_SELECT_TRIPLES:
    case GAMEMSG_BTN_SELECT_BOMBS:
        OnBtnSelect(event.id);
        break;
    case GAMEMSG_BTN_SORT_BY_SIZE:
        OnBtnSortBySize();
        break;
    case GAMEMSG_BTN_SORT_BY_COUNT:
        OnBtnSortByCount();
        break;
    case GAMEMSG_BTN_SORT_BY_SUIT:
        OnBtnSortBySuit();
        break;
    case GAMEMSG_BTN_AUTO_PLAY:
        OnBtnAutoPlay();
        break;
    case GAMEMSG_BTN_QUIT:
        if (const client::CGameFrameWnd* window = App().GetMainWindow())
            (void)platform::PostMessage(window->GetHandle(), platform::WM_CLOSE);
        break;
    case GAMEMSG_OPTION_1:
    case GAMEMSG_OPTION_1 + 1:
    case GAMEMSG_OPTION_1 + 2:
        SendOptionRequest(0, static_cast<int32_t>(event.id - GAMEMSG_OPTION_1 + 1));
        break;
    case GAMEMSG_OPTION_4:
        SendOptionRequest(1, 0);
        break;
    default:
        break;
    }
    return 1;
}

void CCardGameScene::OnBackgroundEvent(const engine::EngineEvent& event)
{
    if (event.id == GAMEMSG_AUTO_PASS) {
        OnBtnPass();
        return;
    }
    const engine::InputState* input = InputOf(event);
    if (event.id != GAMEMSG_CHARACTER_AREA || !m_auto_play || input == nullptr || input->hovered != 0)
        return;
    const engine::EngineRect area = GetArea();
    if (input->x >= area.left && input->x < area.right && input->y >= area.top && input->y < area.bottom)
        OnBtnAutoPlay();
}

int CCardGameScene::OnCardSpriteEvent(const engine::EngineEvent& event)
{
    if (m_hand == nullptr)
        return 0;
    if (event.id == GAMEMSG_PASS_HINT_AREA) {
        const engine::InputState* input = InputOf(event);
        if (input == nullptr || input->hovered != 0)
            return 0;
        m_hand->LowerAllCards();
        CheckSelection();
        return 1;
    }
    if (event.id == GAMEMSG_CARD_RBUTTON_DOWN) {
        OnBtnThrow();
        return 1;
    }
    const int index = m_sprites.IndexOf(static_cast<uint32_t>(event.param1));
    CCardSprite* sprite = GetSprite(index);
    if (sprite == nullptr)
        return 0;
    const client::CClientRecords& records = App().Records();
    CardSpriteState& card = m_sprites.At(index);
    const bool in_hand = card.state == CARD_STATE_HAND;
    const bool own = in_hand && card.chair == records.GetChairNO();
    const bool selectable = own && !records.IsLookOn();
    switch (event.id) {
    case GAMEMSG_CARD_LBUTTON_DOWN:
        if (!selectable)
            return 0;
        m_drag_start = card.view == 0 ? card.row_index : -1;
        if (card.view == 0) {
            card.drag_mark = true;
            m_sprites.Redraw(index);
        }
        return 1;
    case GAMEMSG_CARD_LBUTTON_UP:
        if (!selectable)
            return 0;
        ApplyDragSelection();
        return 1;
    case GAMEMSG_CARD_MOUSE_MOVE: {
        const engine::InputState* input = InputOf(event);
        if (!selectable || card.view != 0 || input == nullptr)
            return 0;
        if (m_drag_start == -1) {
            m_drag_start = card.row_index;
            return 1;
        }
        // The card under the cursor that lies on top; the drag runs to it.
        const std::vector<int> hand = m_hand->HandSprites(records.GetChairNO());
        int32_t last_row = 0;
        int32_t under = -1;
        double under_depth = 0.0;
        for (int i : hand) {
            last_row = std::max(last_row, m_sprites.At(i).row_index);
            const CCardSprite* s = GetSprite(i);
            const engine::CEngineObject* face = s != nullptr ? s->GetFace() : nullptr;
            if (face == nullptr || input->x < face->GetLeft() || input->x >= face->GetRight())
                continue;
            if (under == -1 || face->GetZ() > under_depth) {
                under = m_sprites.At(i).row_index;
                under_depth = face->GetZ();
            }
        }
        if (under == -1)
            under = card.x < input->x ? last_row : 0;
        const int32_t low = std::min(m_drag_start, under);
        const int32_t high = std::max(m_drag_start, under);
        for (int i : hand) {
            CardSpriteState& s = m_sprites.At(i);
            s.drag_mark = s.row_index >= low && s.row_index <= high;
            m_sprites.Redraw(i);
        }
        return 1;
    }
    case GAMEMSG_CARD_MOUSE_ENTER:
        if (card.view != 0 || !in_hand)
            return 0;
        SetCursorObject(m_arrow_cursor);
        if (own && !sprite->IsHovered()) {
            for (int i : m_hand->HandSprites(records.GetChairNO()))
                if (CCardSprite* other = GetSprite(i); other != nullptr && i != index && other->IsHovered())
                    other->LeaveHover();
            sprite->EnterHover();
        }
        return 1;
    case GAMEMSG_CARD_MOUSE_LEAVE:
        SetCursorObject(m_hand_cursor);
        sprite->LeaveHover();
        return 1;
    default:
        return 0;
    }
}

void CCardGameScene::ApplyDragSelection()
{
    if (m_hand == nullptr)
        return;
    std::vector<int> swept;
    for (int i : m_hand->HandSprites(App().Records().GetChairNO()))
        if (m_sprites.At(i).drag_mark)
            swept.push_back(i);
    // Swept cards that end up raised carry their raise time, so the pointer
    // resting on them does not tint them at once.
    const SweepRules rules {
        [this] { return AutoSelectPlay(); },
        [this](std::span<const int32_t> cards, std::span<int32_t> out, const rules::CardPlay& to_beat,
               rules::CardPlay& found, int32_t type) { return MatchPlayType(cards, out, to_beat, found, type, 0); },
    };
    if (scene::ApplyDragSelection(*m_hand, GetLastCardPlay(), rules) == DragSelection::Raised)
        for (int i : swept)
            if (CCardSprite* sprite = GetSprite(i); sprite != nullptr && m_sprites.At(i).raised)
                sprite->RaiseStamped();
    (void)LoadSound("Snd_HitCard", 1);
    CheckSelection();
}

int CCardGameScene::AutoSelectPlay()
{
    return m_hand != nullptr ? scene::AutoSelectPlay(*m_hand, GetLastCardPlay()) : 0;
}

int CCardGameScene::MatchPlayType(std::span<const int32_t> cards, std::span<int32_t> out,
                                  const rules::CardPlay& to_beat, rules::CardPlay& found, int32_t type_mask,
                                  int rule_flag)
{
    return scene::MatchPlayType(cards, out, to_beat, found, type_mask, rule_flag);
}

void CCardGameScene::OnBtnStart()
{
    SetActive(GetButton(Button::Start), false);
    m_auto_play_ticks = 0;
    const client::CGameStateHolder* state = GetGameState();
    if (state != nullptr && state->IsTableWord15Set())
        return;
    ClearTable();
    for (int chair = 0; chair < std::min(App().GetChairCount(), m_chair_count); ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)); board != nullptr && state != nullptr
            && state->IsSeatFlagged(chair))
            board->ShowReady();
    auto* connection = App().Links().SceneRequests();
    if (connection == nullptr)
        return;
    const client::CClientRecords& records = App().Records();
    std::string error;
    if (records.HasRoomConfig40() && records.HasRoomConfig80()) {
        if (connection->Request201165(error) == 0)
            ShowStartButton();
        return;
    }
    if (connection->UserStart(error) != 0 || App().IsStandAlone())
        return;
    // The refusal is told on a board of the frame, which closes the window
    // once it is answered; the table goes on meanwhile.
    if (const client::ITableFrame* frame = App().Links().TableFrame()) {
        client::MessageBoardRequest board;
        board.text = error;
        board.answer_event.target = frame->GetFrameObjectId();
        board.answer_event.id = panel::FRAME_EVENT_CLOSE_WINDOW;
        App().ShowMessageBoard(board);
    } else if (const client::CGameFrameWnd* window = App().GetMainWindow()) {
        (void)platform::PostMessage(window->GetHandle(), platform::WM_CLOSE);
    }
}

void CCardGameScene::ApplySoundSetting()
{
    const auto* app = dynamic_cast<const client::CPlDkApp*>(&App());
    if (engine::IMusicModule* music = GetMusicModule(); music != nullptr && app != nullptr)
        music->SetFlag(app->GetSoundEffectSetting() != 0 ? 0 : 1);
}

void CCardGameScene::ShowCharacterImage(int32_t character)
{
    if (m_result_box == nullptr)
        return;
    if (m_character == nullptr) {
        m_character = NewCanvasObject(CHARACTER_WIDTH, CHARACTER_HEIGHT, CHARACTER_KEY);
        if (m_character == nullptr)
            return;
        m_character->MoveTo(m_result_box->GetLeft() - CHARACTER_LEFT_OF_BOX, m_result_box->GetY());
        m_character->SetZ(m_result_box->GetZ());
        (void)m_result_box->AddFollower(m_character, CHARACTER_FOLLOW_FLAGS);
    }
    m_character->Clear();
    std::string name;
    panel::GetCharacterImagePath(App(), name, character, panel::CHARACTER_IMAGE_LARGE);
    if (!name.empty()) {
        engine::ImageRef image;
        m_character->DrawImage(GetImage(image, name, 0), 0, 0, 0, 0, 0.0, 1.0);
    }
    SetActive(m_character, true);
}

void CCardGameScene::HideCharacterImage() { SetActive(m_character, false); }

} // namespace scene
