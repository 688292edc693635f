// This game's events and buttons on the table: the settings board, the card
// counter, the sort buttons with the arranged groups (理牌 and 恢复),
// auto-play, the QR-code panel's buttons, the quick-talk phrases with their
// chat bubbles, this game's game data and the sound settings.
#include <algorithm>
#include <vector>
#include <array>

#include "client/CCardGameConnection.h"
#include "client/CCardGameNotifyHandler.h"
#include "client/CPlDkApp.h"
#include "client/CRefusalLog.h"
#include "client/TextFunctions.h"
#include "client/panel/PanelText.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/core/ModuleServices.h"
#include "engine/widgets/GuiButton.h"
#include "game/scene/CardCounter.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/GameSetBoard.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkHandOperations.h"
#include "game/scene/PlDkPlayFinder.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/QrCodePanel.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SceneText.h"
#include "platform/ByteOrder.h"

namespace scene {
namespace {

using detail::InputOf;
using detail::SetActive;
using detail::SetEnabled;

constexpr uint32_t LAST_THROW_SHOWN_MS = 3000;
constexpr uint32_t JUDGE_ANSWER_WAIT_MS = 500;
constexpr uint32_t BUBBLE_SHOWN_MS = 1500;
constexpr int32_t BUBBLE_MARGIN = 10;
constexpr int MAX_GROUP = 9;
constexpr int32_t TALK_LEFT = 10;
constexpr int32_t TALK_RIGHT_GAP = 20;
constexpr const char* MUSIC_NAME = "default";
constexpr uint32_t MUSIC_REPEATS = 10000;

/// An event to the object itself, delivered when an action ends.
engine::EngineEvent SelfEvent(const engine::CEngineObject& object, uint32_t id)
{
    engine::EngineEvent event;
    engine::MakeEngineEvent(&event, object.GetId(), id, 0, 0);
    return event;
}

/// Two little-endian words.
std::array<uint8_t, 8> TwoWords(int32_t first, int32_t second)
{
    std::array<uint8_t, 8> body {};
    platform::StoreU32LE(body.data(), static_cast<uint32_t>(first));
    platform::StoreU32LE(body.data() + 4, static_cast<uint32_t>(second));
    return body;
}

} // namespace

// --- The dispatcher

int CPlDkGameScene::OnEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case GAMEMSG_TOGGLE_GAMESET_BOARD:
        if (m_set_board != nullptr) {
            if (m_set_board->IsActive()) {
                SetActive(m_set_board, false);
            } else {
                m_set_board->SetZ(SETTINGS_BOARD_DEPTH);
                SetActive(m_set_board, true);
            }
        }
        return 0;
    case GAMEMSG_SETTINGS_CHANGED:
        OnSettingsChanged();
        return 0;
    case GAMEMSG_CHARACTER_AREA: {
        // Any press on the table ends auto-play, but one on the auto-play
        // button is left to that button's click: ending it here as well
        // would make the click ask to switch it on again at once.
        // (The press names the object it hit: the button's picture.)
        const engine::InputState* input = InputOf(event);
        engine::CGuiButton* button = GetButton(Button::AutoPlay);
        const bool on_button = input != nullptr && button != nullptr
            && (input->hovered == button->GetId() || input->hovered == button->GetVisual()->GetId());
        if (m_auto_play && !on_button)
            OnBtnAutoPlay();
        return 0;
    }
    case GAMEMSG_BTN_CARD_COUNTER:
        ToggleCardCounter();
        return 0;
    case GAMEMSG_CHAT_BUBBLE_TIMER:
        StartPlay();
        return 0;
    case GAMEMSG_SAVE_REPLAY:
        if (m_save_button != nullptr) {
            ShowReplaySavedNotice();
            SetEnabled(m_save_button, false);
        }
        return 0;
    case GAMEMSG_PARTNER_STEP:
        RestoreRunningGame();
        return 0;
    case GAMEMSGEX_JUDGE_SINGLE_WIN: {
        if (IsLookOn())
            return 1;
        const auto* sprite = FindObjectAs<CCardSprite>(static_cast<uint32_t>(event.param1));
        if (sprite == nullptr)
            return 0;
        client::DebugTrace("GAMEMSGEX_JUDGE_SINGLE_WIN");
        (void)SendGameData(GAMEDATA_JUDGE_SINGLE_WIN, TwoWords(OwnChair(), sprite->Record().card),
                           GameDataQuery::Yes);
        return 0;
    }
    case GAMEMSGEX_JUDGE_PLAY_SND: {
        const int32_t phrase = m_talk_page * TALK_ROWS + m_talk_row;
        if (m_talk_row < 0 || m_talk_row >= TALK_ROWS || phrase < 0 || phrase >= QUICK_TALK_PHRASES)
            return 0;
        client::DebugTrace("GAMEMSGEX_JUDGE_PLAY_SND");
        (void)SendGameData(GAMEDATA_JUDGE_PLAY_SND, TwoWords(OwnChair(), phrase));
        return 0;
    }
    case GAMEMSG_TALK_PANEL_DRAG:
        if (const engine::InputState* input = InputOf(event); input != nullptr && m_talk_panel != nullptr) {
            m_talk_panel->MoveTo(m_talk_panel->GetX() + input->dx, m_talk_panel->GetY() + input->dy);
            m_talk_panel->Invalidate();
        }
        return 0;
    case GAMEMSG_TALK_PANEL_CLICK:
        if (const engine::InputState* input = InputOf(event); input != nullptr && m_talk_panel != nullptr) {
            const double width = m_talk_panel->GetWidth();
            const auto x = static_cast<int32_t>(input->x - m_talk_panel->GetX() + width / 2);
            const auto y = static_cast<int32_t>(input->y - m_talk_panel->GetY() + m_talk_panel->GetHeight() / 2);
            m_talk_row = TalkPanelRow(x, y, static_cast<int32_t>(width));
            RedrawTalkPanel();
        }
        return 0;
    case GAMEMSG_HIDE_LAST_THROW:
        // The end of the showing it was timed for; a showing the table
        // ended early and a later press began keeps its own time.
        if (event.param1 == m_last_throw_serial)
            HideLastThrow();
        return 0;
    case GAMEMSG_BTN_LAST_THROW:
        if (!m_last_throw) {
            const uint32_t serial = ShowLastThrow();
            engine::EngineEvent hide = SelfEvent(*this, GAMEMSG_HIDE_LAST_THROW);
            hide.param1 = serial;
            (void)AddWaitFramesAction(this, LAST_THROW_SHOWN_MS, &hide);
        }
        return 0;
    case GAMEMSG_VOICE_PANEL_1:
    case GAMEMSG_VOICE_PANEL_2:
        m_talk_page = event.id == GAMEMSG_VOICE_PANEL_1 ? 0 : 1;
        if (m_talk_panel != nullptr)
            RedrawTalkPanel();
        return 0;
    case GAMEMSG_TALK_PANEL_CLOSE:
        if (m_talk_panel != nullptr && m_talk_panel->IsActive()) {
            m_talk_row = -1;
            SetActive(m_talk_panel, false);
        }
        return 0;
    case GAMEMSG_BTN_ARRANGE:
        ArrangeSelection();
        return 0;
    case GAMEMSG_BTN_RESTORE:
        RestoreArrangement();
        return 0;
    case GAMEMSG_BTN_SORT_510K:
        Select510K();
        UpdateArrangeButtons();
        return 0;
    case GAMEMSG_BTN_QR_CODE:
        if (m_qr != nullptr) {
            // A replay has no server to send the code: its panel shows the
            // mobile site's, where the panel's open-site button leads.
            if (App().IsReplayMode() && m_qr->GetCodeImage() == nullptr)
                (void)m_qr->ShowQRCodePanel(QR_MOBILE_SITE_URL);
            auto* frame = App().Links().TableFrame();
            m_qr->OnQrButton(frame != nullptr && frame->UpdateMaximizedFlag() == 0);
        }
        return 0;
    case GAMEMSG_QR_CLOSE:
        if (m_qr != nullptr)
            m_qr->Close();
        return 0;
    case GAMEMSG_QR_OPEN_SITE:
        CQrCodePanel::OpenMobileSite(App());
        return 0;
    case GAMEMSG_CHANGE_TABLE_STATE:
        SetEnabled(m_change_button, true);
        return 0;
    default:
        return CCardGameScene::OnEvent(event);
    }
}

int CPlDkGameScene::OnButtonEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case GAMEMSG_BTN_THROW:
    case GAMEMSG_BTN_PASS:
        // A play made by hand ends auto-play first.
        if (m_auto_play)
            OnBtnAutoPlay();
        if (event.id == GAMEMSG_BTN_THROW)
            OnBtnThrow();
        else
            OnBtnPass();
        return 1;
    case GAMEMSG_BTN_SELECT_SINGLES:
    case GAMEMSG_BTN_SELECT_PAIRS:
    case GAMEMSG_BTN_SELECT_TRIPLES:
    case GAMEMSG_BTN_SELECT_BOMBS:
        OnBtnSelect(event.id);
        UpdateArrangeButtons();
        return 1;
    default:
        return CCardGameScene::OnButtonEvent(event);
    }
}

// --- Settings and the card counter

void CPlDkGameScene::OnSettingsChanged()
{
    const client::CPlDkApp* app = PlDkApp();
    engine::IMusicModule* music = GetMusicModule();
    if (app == nullptr || music == nullptr)
        return;
    const bool effects_off = app->GetSoundEffectSetting() == 0;
    music->SetFlag(effects_off ? 1 : 0);
    // The mute flag silences effects only: the music is started and freed
    // with the flag cleared for the call.
    if (effects_off)
        music->SetFlag(0);
    if (app->GetMusicSetting() == 0) {
        music->FreeSound(MUSIC_NAME);
        m_music_channel = 0;
    } else if (m_music_channel == 0 || !music->IsPlaying(m_music_channel)) {
        m_music_channel = music->LoadSound(MUSIC_NAME, MUSIC_REPEATS, engine::EngineEvent {});
    }
    if (effects_off)
        music->SetFlag(1);
}

void CPlDkGameScene::ToggleCardCounter()
{
    if (m_card_counter == nullptr)
        return;
    if (m_card_counter->IsActive()) {
        SetActive(m_card_counter, false);
        return;
    }
    const engine::EngineRect area = GetArea();
    const double button_height = m_counter_button != nullptr ? m_counter_button->GetHeight() : 0.0;
    m_card_counter->MoveTo(area.right - m_card_counter->GetWidth() / 2,
                           area.bottom - button_height - m_card_counter->GetHeight() / 2);
    m_card_counter->DrawCounter();
    SetActive(m_card_counter, true);
}

// --- Sorting and arranged groups

void CPlDkGameScene::SortHand(int32_t sort_type)
{
    if (m_hand != nullptr)
        m_hand->SortHand(sort_type);
}

void CPlDkGameScene::ApplySortType(int32_t sort_type)
{
    m_hint_index = 0;
    m_sort_type = sort_type;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& s = m_sprites.At(i);
        if (s.group == 0 && !s.raised)
            continue;
        s.group = 0;
        s.raised = false;
        s.moving = false;
        m_sprites.Redraw(i);
    }
    if (MayArrange()) {
        SetActive(m_arrange_button, true);
        SetActive(m_restore_button, false);
    }
    SortHand(m_sort_type);
    (void)LoadSound("snd_sort", 1);
}

void CPlDkGameScene::OnBtnSortBySize()
{
    int32_t type = m_sort_type == SORT_BY_SUIT ? m_previous_sort_type : m_sort_type;
    type = type == SORT_BY_VALUE_DOWN ? SORT_BY_VALUE_UP : SORT_BY_VALUE_DOWN;
    if (engine::CGuiButton* button = GetButton(Button::SortBig)) {
        engine::ImageRef image;
        button->SetImage(GetImage(image, type == SORT_BY_VALUE_UP ? "btn_SortSmall" : "btn_SortBig", 0));
        button->Invalidate();
    }
    ApplySortType(type);
}

void CPlDkGameScene::OnBtnSortByCount()
{
    int32_t type = SORT_BY_COUNT_DOWN;
    if (m_sort_type == SORT_BY_COUNT_DOWN)
        type = SORT_BY_COUNT_UP;
    else if (m_sort_type != SORT_BY_COUNT_UP)
        m_previous_sort_type = m_sort_type;
    ApplySortType(type);
}

void CPlDkGameScene::OnBtnSortBySuit()
{
    int32_t type = SORT_BY_SUIT;
    if (m_sort_type == SORT_BY_SUIT)
        type = m_previous_sort_type;
    else
        m_previous_sort_type = m_sort_type;
    ApplySortType(type);
}

bool CPlDkGameScene::IsOwnHandSprite(const CardSpriteState& s) const
{
    return s.chair == OwnChair() && s.state == CARD_STATE_HAND;
}

int32_t CPlDkGameScene::CompactGroups()
{
    // Groups 1 to 9 are numbered again from 1 in their order; a group above
    // 9 (a tenth arranged group) keeps its number.
    std::array<int32_t, MAX_GROUP + 1> renumber {};
    int32_t next = 1;
    for (int32_t group = 1; group <= MAX_GROUP; ++group) {
        for (int i = 0; i < m_sprites.Count(); ++i)
            if (IsOwnHandSprite(m_sprites.At(i)) && m_sprites.At(i).group == group) {
                renumber[static_cast<size_t>(group)] = next++;
                break;
            }
    }
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& s = m_sprites.At(i);
        if (IsOwnHandSprite(s) && s.group >= 1 && s.group <= MAX_GROUP)
            s.group = renumber[static_cast<size_t>(s.group)];
    }
    return next;
}

bool CPlDkGameScene::MayArrange() const
{
    // Watchers and replays show the hands as they were held.
    return !IsLookOn() && !App().IsReplayMode();
}

void CPlDkGameScene::ArrangeSelection()
{
    if (!MayArrange())
        return;
    const int32_t next = CompactGroups();
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& s = m_sprites.At(i);
        if (!IsOwnHandSprite(s) || !s.raised)
            continue;
        s.group = next;
        s.raised = false;
        s.moving = false;
        m_sprites.Redraw(i);
    }
    (void)CompactGroups();
    FinishArrangement();
}

void CPlDkGameScene::RestoreArrangement()
{
    if (!MayArrange())
        return;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& s = m_sprites.At(i);
        s.group = 0;
        s.raised = false;
        s.moving = false;
        m_sprites.Redraw(i);
    }
    FinishArrangement();
}

void CPlDkGameScene::FinishArrangement()
{
    SortHand(m_sort_type);
    UpdateArrangeButtons();
    RelayCards(OwnChair());
}

void CPlDkGameScene::UpdateArrangeButtons()
{
    if (IsLookOn())
        return;
    if (!MayArrange()) {
        SetActive(m_arrange_button, false);
        SetActive(m_restore_button, false);
        return;
    }
    int raised = 0;
    int grouped = 0;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (!IsOwnHandSprite(s) || s.card < 0)
            continue;
        raised += s.raised ? 1 : 0;
        grouped += s.group > 0 ? 1 : 0;
    }
    const bool restore = raised == 0 && grouped > 0;
    SetActive(m_arrange_button, !restore);
    SetActive(m_restore_button, restore);
}

// --- Auto-play

void CPlDkGameScene::OnBtnAutoPlay()
{
    const int own = OwnChair();
    // Only a seated player hands his own seat to auto-play. This game
    // switches it here and now; the table is not told.
    if (IsLookOn() || !IsChair(own))
        return;
    if (m_auto_play) {
        m_auto_play = false;
        SetAutoPlayOff(own);
        return;
    }
    // A closed table plays no turn any more, not even for auto-play.
    if (IsTableClosed())
        return;
    const uint32_t since = GetTime() - m_auto_play_off_time;
    if (m_auto_play_switched_off && since < AUTO_PLAY_COOL_DOWN_MS) {
        const int wait = static_cast<int>((AUTO_PLAY_COOL_DOWN_MS - since) / 1000 + 1);
        Chat(panel::FormatText(" <z=qv系统通知> #b您还需要%d秒才能再次开启托管功能!\r\n", wait));
        return;
    }
    m_auto_play = true;
    SetAutoPlayOn(own);
}

void CPlDkGameScene::SetAutoPlayOn(int chair)
{
    if (!IsChair(chair))
        return;
    if (chair == OwnChair() && !IsLookOn())
        SetAutoPlay(true);
    if (CSeatBoard* board = GetChairBoard(chair))
        board->ShowAutoPlay(true);
}

void CPlDkGameScene::SetAutoPlayOff(int chair)
{
    if (!IsChair(chair))
        return;
    // Another chair's auto-play ending leaves the own switch alone.
    if (chair == OwnChair() && !IsLookOn()) {
        m_auto_play_off_time = GetTime();
        m_auto_play_switched_off = true;
        SetAutoPlay(false);
    }
    if (CSeatBoard* board = GetChairBoard(chair))
        board->ShowAutoPlay(false);
}

// --- Selection assists

bool CPlDkGameScene::AssistSelection()
{
    if (m_finder == nullptr || !m_finder->AssistSelection(GetLastCardPlay()))
        return false;
    CheckSelection();
    (void)LoadSound("Snd_HitCard", 1);
    return true;
}

void CPlDkGameScene::AssistSelectionAlt()
{
    if (m_finder == nullptr || GetLastCardPlay().IsLeading())
        return;
    m_finder->AssistSelectionAlt(GetLastCardPlay());
    CheckSelection();
}

// --- Game data

bool CPlDkGameScene::OnGameData(std::span<const uint8_t> body)
{
    const int32_t sub_id = client::GameDataSubId(body);
    if (sub_id != GAMEDATA_JUDGE_SINGLE_WIN && sub_id != GAMEDATA_JUDGE_PLAY_SND && sub_id != GAMEDATA_SCORE_CARDS)
        return CCardGameScene::OnGameData(body);
    const auto game_data = GameDataOf(body);
    if (!game_data)
        return false;
    const std::span<const uint8_t> data = *game_data;
    switch (sub_id) {
    case GAMEDATA_JUDGE_SINGLE_WIN: {
        const engine::EngineEvent next = SelfEvent(*this, GAMEMSG_CHAT_BUBBLE_TIMER);
        (void)AddWaitFramesAction(this, JUDGE_ANSWER_WAIT_MS, &next);
        break;
    }
    case GAMEDATA_JUDGE_PLAY_SND: {
        const auto words = client::LeadingWords<2>(client::GR_GAME_DATA, data);
        if (!words)
            return false;
        ShowQuickTalk((*words)[0], (*words)[1]);
        break;
    }
    default:
        return OnScoreCards(data);
    }
    return true;
}

bool CPlDkGameScene::OnGameDataHand(int32_t sub_id, std::span<const uint8_t> body)
{
    return sub_id != GAMEDATA_HAND || OnSetHandCards(body);
}

void CPlDkGameScene::SendJudgeSingleWin()
{
    if (IsLookOn())
        return;
    client::DebugTrace("GAMEMSGEX_JUDGE_SINGLE_WIN");
    (void)SendGameData(GAMEDATA_JUDGE_SINGLE_WIN, TwoWords(OwnChair(), 0), GameDataQuery::Yes);
}

void CPlDkGameScene::ShowQuickTalk(int32_t chair, int32_t phrase)
{
    if (!IsChair(chair) || phrase < 0 || phrase >= QUICK_TALK_PHRASES)
        return;
    const std::string_view text = GetQuickTalkPhrase(phrase);
    Chat(panel::FormatText(" %s说：%.*s\r\n", SeatMarkupName(chair, client::NameKind::Display).c_str(),
                           static_cast<int>(text.size()), text.data()));
    const int view = ChairToView(chair);
    if (view >= 0 && view < SEATS) {
        engine::CCanvasObject* frame = m_bubble_frames[static_cast<size_t>(view)];
        engine::CCanvasObject* words = m_bubble_texts[static_cast<size_t>(view)];
        if (words != nullptr) {
            words->Clear();
            words->SetMargins(BUBBLE_MARGIN, BUBBLE_MARGIN);
            words->DrawMarkup(text, BUBBLE_MARGIN);
            words->Invalidate();
        }
        if (frame != nullptr) {
            // A new phrase replaces the one still shown.
            CancelObjectActions(frame->GetId());
            (void)BeginGroup();
            (void)AddActivateAction(frame, 1);
            if (words != nullptr)
                (void)AddActivateAction(words, 1);
            (void)NextGroup();
            (void)AddWaitFramesAction(frame, BUBBLE_SHOWN_MS, nullptr);
            (void)NextGroup();
            (void)AddActivateAction(frame, 0);
            if (words != nullptr)
                (void)AddActivateAction(words, 0);
            EndGroup();
        }
    }
    if (m_talk_panel != nullptr && m_talk_panel->IsActive() && chair == OwnChair())
        SetActive(m_talk_panel, false);
}

bool CPlDkGameScene::OnScoreCards(std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    std::vector<int32_t> cards(SCORE_SPRITES);
    for (int32_t& card : cards)
        card = in.ReadI32();
    const int32_t count = in.ReadI32();
    const int32_t chair = in.ReadI32();
    if (client::RefuseIfShort(client::GR_GAME_DATA, in))
        return false;
    if (IsChair(chair)) {
        cards.resize(static_cast<size_t>(std::clamp<int32_t>(count, 0, SCORE_SPRITES)));
        GiveScoreCards(chair, cards);
    }
    return true;
}

// --- The quick-talk panel

int32_t CPlDkGameScene::TalkPanelRow(int32_t x, int32_t y, int32_t panel_width)
{
    if (y < TALK_FIRST_ROW || x < TALK_LEFT || x > panel_width - TALK_RIGHT_GAP)
        return -1;
    const int32_t inside = (y - TALK_FIRST_ROW) % TALK_ROW_HEIGHT;
    const int32_t row = (y - TALK_FIRST_ROW) / TALK_ROW_HEIGHT;
    // The strip between two rows is no row, and a page has ten rows only.
    if (inside < 2 || inside > 24 || row >= TALK_ROWS)
        return -1;
    return row;
}

} // namespace scene
