// The card table's own events and buttons (clock tick, throw, pass, auto
// play), the automatic play when the own clock runs out, resuming a running
// game, and the game data the clients of a table exchange.
#include <algorithm>
#include <array>

#include "client/CCardGameConnection.h"
#include "client/CCardGameNotifyHandler.h"
#include "client/CGameApp.h"
#include "client/CGameFrameWnd.h"
#include "client/CPlDkApp.h"
#include "client/CGameStateHolder.h"
#include "client/CRefusalLog.h"
#include "client/panel/PanelText.h"
#include "engine/core/EngineEvent.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/CardRules.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/CardGameSelection.h"
#include "game/scene/ReplayPanel.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SeatBoard.h"
#include "platform/ByteOrder.h"

namespace scene {
namespace {

using detail::MAX_BODY_CARDS;
using detail::SetActive;
using detail::SetEnabled;

constexpr size_t PASS_WORDS = client::PASS_RECORD_BYTES / 4;
constexpr int32_t SETTING_BACK_COLOUR = 50014;
constexpr int32_t GAMEDATA_PLAYER_LAST = 19840332;
constexpr int32_t GAMEDATA_HAND_FIRST = 19840335;
/// A seat flag word of the last-play record: the chair's player is away.
constexpr int32_t CHAIR_AWAY_FLAGS = 0x8 | 0x20;
constexpr size_t STORED_HAND_BYTES = 128;

/// The least body each known sub-id needs (a chair word, a hand's head).
/// The cards counted by value.
std::array<int32_t, rules::VALUE_COUNTERS> CountByValue(std::span<const int32_t> cards)
{
    std::array<int32_t, rules::VALUE_COUNTERS> counts {};
    (void)rules::CountCardsByValue(rules::CardsBeforeEnd(cards), counts);
    return counts;
}

/// True when every value of the play occurs in it as often as in the hand
/// (the play splits no group of equal cards).
bool SplitsNoGroup(std::span<const int32_t> played, const std::array<int32_t, rules::VALUE_COUNTERS>& hand_counts)
{
    const std::array<int32_t, rules::VALUE_COUNTERS> counts = CountByValue(played);
    for (size_t v = 0; v < counts.size(); ++v)
        if (counts[v] != 0 && counts[v] != hand_counts[v])
            return false;
    return true;
}

} // namespace

void CCardGameScene::OnClockTick()
{
    if (m_clock == nullptr)
        return;
    const int32_t seconds = m_clock->GetValue();
    if (seconds < 0)
        return;
    if (seconds >= 1) {
        m_timeout_ticks = 0;
        m_clock->SetValue(seconds - 1);
        m_clock->Invalidate();
        if (m_auto_play && !App().Records().IsLookOn())
            AutoPlayStep();
        return;
    }
    if (m_timeout_ticks == 0)
        OnTurnTimeout();
    ++m_timeout_ticks;
    if (m_timeout_ticks % TIMEOUT_REPEAT == TIMEOUT_SEND_AT)
        (void)SendGameData(GAMEDATA_TIMEOUT, {});
}

void CCardGameScene::AutoPlayStep()
{
    const client::CClientRecords& records = App().Records();
    const engine::CGuiButton* throw_button = GetButton(Button::Throw);
    if (records.IsLookOn() || GetActiveChair() != records.GetChairNO()
        || (throw_button != nullptr && !throw_button->IsActive()))
        return;
    if (++m_auto_play_ticks >= m_auto_play_delay) {
        m_auto_play_ticks = 0;
        OnTurnTimeout();
    }
}

TurnRecord CCardGameScene::GetLastPlay() const
{
    const LastPlay last = GetLastCardPlay();
    TurnRecord record;
    record.chair = last.chair;
    const std::span<const int32_t> cards = last.play.Cards();
    std::copy_n(cards.begin(), std::min(cards.size(), record.cards.size()), record.cards.begin());
    return record;
}

void CCardGameScene::OnTurnTimeout()
{
    const client::CClientRecords& records = App().Records();
    const engine::CGuiButton* throw_button = GetButton(Button::Throw);
    if (records.IsLookOn() || GetActiveChair() != records.GetChairNO() || throw_button == nullptr
        || !throw_button->IsActive() || m_hand == nullptr)
        return;
    if (GetLastCardPlay().IsLeading()) {
        m_hand->LowerAllCards();
        (void)m_hand->RaiseLeadCards();
        CheckSelection();
        OnBtnThrow();
    } else {
        m_hand->LowerAllCards();
        m_hint_play.Clear();
        m_second_play.Clear();
        SelectBeatingPlay();
        std::array<int32_t, MAX_BODY_CARDS> raised {};
        const int r = m_hand->GetRaisedCards(raised);
        std::array<int32_t, MAX_BODY_CARDS> hand {};
        const int left = m_hand->GetHandCards(hand);
        if (r == 0)
            OnBtnPass();
        else if (r == left || !IsPartnerChair(GetLastCardPlay().chair))
            OnBtnThrow();
        else
            OnBtnPass();
    }
    if (!m_auto_play)
        OnBtnAutoPlay();
}

void CCardGameScene::SelectBeatingPlay()
{
    if (GetLastCardPlay().IsLeading() || m_hand == nullptr)
        return;
    m_hand->LowerAllCards();
    std::array<int32_t, MAX_BODY_CARDS> hand {};
    const int n = m_hand->GetHandCards(hand);
    const std::span<const int32_t> cards(hand.data(), static_cast<size_t>(n));
    const std::array<int32_t, rules::VALUE_COUNTERS> counts = CountByValue(cards);
    std::array<int32_t, MAX_BODY_CARDS> out {};
    auto search = [&](const rules::CardPlay& from, rules::CardPlay& found) {
        out.fill(-1);
        return ClassifyCards(cards, out, from, found, HINT_RULE_MASK, 0) != 0
            || ClassifyCards(cards, out, from, found, HINT_RULE_MASK, 1) != 0;
    };
    auto raise = [&](const rules::CardPlay& play) {
        (void)m_hand->RaiseCards(play.Cards());
        CheckSelection();
    };
    // Each search finds a stronger play, so the walk ends within the hand's
    // plays; the bound only guards against a rule table that repeats itself.
    rules::CardPlay from = GetLastCardPlay().play;
    for (int step = 0; step < 4 * MAX_BODY_CARDS * MAX_BODY_CARDS; ++step) {
        rules::CardPlay found;
        if (!search(from, found))
            break;
        if (SplitsNoGroup(found.Cards(), counts)) {
            raise(found);
            return;
        }
        from = found;
    }
    if (search(GetLastCardPlay().play, m_hint_play))
        raise(m_hint_play);
}

bool CCardGameScene::FindNoSplitHint()
{
    if (m_hand == nullptr)
        return false;
    std::array<int32_t, MAX_BODY_CARDS> hand {};
    const int n = m_hand->GetHandCards(hand);
    const std::span<const int32_t> cards(hand.data(), static_cast<size_t>(n));
    const auto counts = CountByValue(cards);
    // A copy: the walk never writes over the table's last play.
    rules::CardPlay from = m_second_play.type != 0 ? m_second_play : GetLastCardPlay().play;
    std::array<int32_t, MAX_BODY_CARDS> out {};
    for (int step = 0; step < MAX_BODY_CARDS * MAX_BODY_CARDS; ++step) {
        rules::CardPlay found;
        if (ClassifyCards(cards, out, from, found, HINT_RULE_MASK, 1) == 0)
            return false;
        if (SplitsNoGroup(found.Cards(), counts)) {
            m_second_play = found;
            (void)m_hand->RaiseCards(found.Cards());
            CheckSelection();
            (void)LoadSound("Snd_HitCard", 1);
            return true;
        }
        from = found;
    }
    return false;
}

void CCardGameScene::OnBtnHint()
{
    if (GetLastCardPlay().IsLeading() || m_hand == nullptr)
        return;
    m_hand->LowerAllCards();
    if (FindNoSplitHint())
        return;
    std::array<int32_t, MAX_BODY_CARDS> hand {};
    const int n = m_hand->GetHandCards(hand);
    const std::span<const int32_t> cards(hand.data(), static_cast<size_t>(n));
    std::array<int32_t, MAX_BODY_CARDS> out {};
    auto search_from = [&](const rules::CardPlay& from) {
        rules::CardPlay found;
        if (ClassifyCards(cards, out, from, found, HINT_RULE_MASK, 1) == 0)
            return false;
        m_hint_play = found;
        (void)m_hand->RaiseCards(found.Cards());
        CheckSelection();
        (void)LoadSound("Snd_HitCard", 1);
        return true;
    };
    if (m_hint_play.type != 0 && search_from(m_hint_play))
        return;
    if (m_hint_play.type != 0) {
        m_second_play.Clear();
        if (FindNoSplitHint()) {
            m_hint_play.Clear();
            return;
        }
    }
    if (!search_from(GetLastCardPlay().play))
        OnBtnPass();
}

void CCardGameScene::CheckSelection()
{
    if (App().Records().IsLookOn() || m_hand == nullptr)
        return;
    engine::CGuiButton* throw_button = GetButton(Button::Throw);
    SetEnabled(throw_button, false);
    if (CheckCardGameSelection(*m_hand, GetLastCardPlay()).throw_enabled)
        SetEnabled(throw_button, true);
}

void CCardGameScene::OnBtnThrow()
{
    const engine::CGuiButton* throw_button = GetButton(Button::Throw);
    if (App().Records().IsLookOn() || throw_button == nullptr || !throw_button->IsActive()
        || !throw_button->IsVisible() || m_hand == nullptr)
        return;
    std::array<int32_t, MAX_BODY_CARDS> cards {};
    const int n = m_hand->GetRaisedCards(cards);
    if (n <= 0)
        return;
    HidePlayButtons();
    // A play that could not be sent (no reading, no connection) or that the
    // server refused gives the turn back to the player instead of leaving it
    // without buttons; a taken one waits for the table's play event.
    if (ThrowSelection(std::span<const int32_t>(cards.data(), static_cast<size_t>(n))) != client::GR_OK)
        StartTurn();
}

int32_t CCardGameScene::ThrowSelection(std::span<const int32_t> cards)
{
    const client::CClientRecords& records = App().Records();
    const int own = records.GetChairNO();
    const std::optional<rules::CardPlay> play = ReadCardGameThrow(own, cards, GetLastCardPlay());
    auto* connection = TableRequests();
    if (!play || connection == nullptr)
        return client::GR_CARD_REQUEST_NOT_SENT;
    const ThrowIdentity who { records.GetUserID(), records.Room().room_id, records.GetTableNO() };
    const auto bytes = ThrowRequestBytes(MakeThrowRequest(who, own, PrevChair(own), 5, *play));
    std::string error;
    return connection->ThrowCards(error, bytes);
}

void CCardGameScene::OnBtnPass()
{
    const engine::CGuiButton* pass_button = GetButton(Button::Pass);
    const client::CClientRecords& records = App().Records();
    if (records.IsLookOn() || pass_button == nullptr || !pass_button->IsActive() || !pass_button->IsVisible())
        return;
    HidePlayButtons();
    if (m_hand != nullptr)
        m_hand->LowerAllCards();
    (void)SendPass(records.GetChairNO(), GetLastCardPlay().chair);
}

int32_t CCardGameScene::SendPass(int32_t chair, int32_t last_chair)
{
    client::ICardGameRequests* connection = TableRequests();
    if (connection == nullptr)
        return client::GR_CARD_REQUEST_NOT_SENT;
    const client::CClientRecords& records = App().Records();
    const std::array<int32_t, PASS_WORDS> words { records.GetUserID(), records.Room().room_id, chair,
                                                  records.GetTableNO(), last_chair };
    std::array<uint8_t, client::PASS_RECORD_BYTES> record {};
    for (size_t i = 0; i < words.size(); ++i)
        platform::StoreU32LE(record.data() + 4 * i, static_cast<uint32_t>(words[i]));
    std::string error;
    return connection->Pass(error, record);
}

void CCardGameScene::OnBtnAutoPlay()
{
    const int own = App().Records().GetChairNO();
    std::array<uint8_t, 4> body {};
    platform::StoreU32LE(body.data(), static_cast<uint32_t>(own));
    if (m_auto_play) {
        (void)SendGameData(GAMEDATA_AUTOPLAY_OFF, body);
        return;
    }
    const uint32_t since = GetTime() - m_auto_play_off_time;
    if (m_auto_play_switched_off && since < AUTO_PLAY_COOL_DOWN_MS) {
        const int wait = static_cast<int>((AUTO_PLAY_COOL_DOWN_MS - since) / 1000 + 1);
        App().ShowSystemMessage(
            panel::FormatText(" <z=qv系统通知> #b您还需要%d秒才能再次开启托管功能!\r\n", wait));
        return;
    }
    (void)SendGameData(GAMEDATA_AUTOPLAY_ON, body);
}

void CCardGameScene::SetAutoPlay(bool on)
{
    m_auto_play = on;
    if (!App().IsReplayMode())
        if (auto* frame = App().Links().TableFrame())
            frame->ShowAutoPlay(on);
    if (engine::CGuiButton* button = GetButton(Button::AutoPlay)) {
        engine::ImageRef image;
        button->SetImage(GetImage(image, on ? "btn_CancelAutoPlay" : "btn_AutoPlay", 0));
        button->Invalidate();
    }
}

client::ICardGameRequests* CCardGameScene::TableRequests() const
{
    // A replay plays back what the server said and never talks to one; a
    // closed table has done with its server for good.
    if (App().IsReplayMode() || App().IsStandAlone() || m_table_closed)
        return nullptr;
    return App().Links().CardGameRequests();
}

int32_t CCardGameScene::SendGameData(int32_t sub_id, std::span<const uint8_t> body, GameDataQuery query)
{
    auto* connection = TableRequests();
    if (connection == nullptr)
        return client::GR_CARD_REQUEST_NOT_SENT;
    if (query == GameDataQuery::No)
        return connection->SendGameRequest(sub_id, body, client::RequestWait::No);
    int32_t code = 0;
    const std::vector<uint8_t> answer = connection->QueryGameRequest(sub_id, body, code);
    // A request that could not be sent says so; it is not an empty answer.
    if (code == client::GR_CARD_REQUEST_NOT_SENT)
        return code;
    if (answer.empty())
        return 0;
    if (client::IGameNotifyHandler* handler = GetNotifyHandler())
        handler->Dispatch(client::GR_GAME_DATA, answer);
    return code;
}

client::IGameNotifyHandler* CCardGameScene::GetNotifyHandler() const
{
    if (const client::CGameFrameWnd* window = App().GetMainWindow(); window != nullptr
        && window->GetNotifyHandler() != nullptr)
        return window->GetNotifyHandler();
    auto* app = dynamic_cast<client::CPlDkApp*>(&App());
    return app != nullptr ? &app->GetNotifyHandler() : nullptr;
}

std::optional<std::span<const uint8_t>> CCardGameScene::GameDataOf(std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    in.Skip(16);
    const int32_t length = in.ReadI32();
    in.Skip(client::CARD_GAME_HEADER_BYTES - 20);
    if (client::RefuseIfShort(client::GR_GAME_DATA, in))
        return std::nullopt;
    if (length < 0 || static_cast<size_t>(length) > in.Remaining()) {
        client::CRefusalLog::Instance().Refuse(client::GR_GAME_DATA, "data of %d bytes, %zu received", length,
                                               in.Remaining());
        return std::nullopt;
    }
    return in.ReadBytes(static_cast<size_t>(length));
}

bool CCardGameScene::OnGameData(std::span<const uint8_t> body)
{
    const int32_t sub_id = client::GameDataSubId(body);
    const auto data = GameDataOf(body);
    if (!data)
        return false;
    if (sub_id >= GAMEDATA_PLAYER_BACK && sub_id <= GAMEDATA_PLAYER_LAST)
        return OnGameDataPlayer(sub_id, *data);
    if (sub_id >= GAMEDATA_HAND_FIRST && sub_id <= GAMEDATA_HAND)
        return OnGameDataHand(sub_id, *data);
    return true;
}

bool CCardGameScene::OnGameDataHand(int32_t sub_id, std::span<const uint8_t> body)
{
    return sub_id != GAMEDATA_HAND || OnSetHandCards(body);
}

bool CCardGameScene::OnGameDataPlayer(int32_t sub_id, std::span<const uint8_t> body)
{
    // Only these name a chair; the rest of the range (the own client's
    // rejoin and time-out, relayed back to it by the table) carry no body.
    if (sub_id != GAMEDATA_PLAYER_BACK && sub_id != GAMEDATA_AUTOPLAY_ON && sub_id != GAMEDATA_AUTOPLAY_OFF)
        return true;
    const auto words = client::LeadingWords<1>(client::GR_GAME_DATA, body);
    if (!words)
        return false;
    const int32_t chair = (*words)[0];
    if (m_chairs == nullptr || !m_chairs->IsValidChair(chair))
        return true;
    switch (sub_id) {
    case GAMEDATA_PLAYER_BACK: {
        CSeatBoard* board = GetSeatBoard(ChairToView(chair));
        if (board == nullptr || !board->IsOffline())
            return true;
        const std::string name = SeatMarkupName(chair, client::NameKind::Display);
        App().ShowSystemMessage(panel::FormatText(" <z=qv系统通知> <c=%d>%s重新回到了游戏!\r\n",
                                                  static_cast<int>(GetIntSetting(SETTING_BACK_COLOUR)), name.c_str()));
        board->ShowOffline(false);
        SetActive(m_clock, true);
        if (m_clock != nullptr && chair == GetActiveChair())
            m_clock->SetValue(m_chair_seconds[static_cast<size_t>(chair)]);
        break;
    }
    case GAMEDATA_AUTOPLAY_ON:
        OnAutoPlayOn(chair);
        break;
    case GAMEDATA_AUTOPLAY_OFF:
        OnAutoPlayOff(chair);
        break;
    default:
        break;
    }
    return true;
}

void CCardGameScene::OnAutoPlayOn(int chair)
{
    const client::CClientRecords& records = App().Records();
    if (chair == records.GetChairNO() && !records.IsLookOn()) {
        SetAutoPlay(true);
        App().ShowSystemMessage(" <m=qv系统通知> #r游戏托管已启动,单击鼠标解除!\r\n");
    }
    if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
        board->ShowAutoPlay(true);
}

void CCardGameScene::OnAutoPlayOff(int chair)
{
    const client::CClientRecords& records = App().Records();
    if (chair == records.GetChairNO() && !records.IsLookOn()) {
        m_auto_play_off_time = GetTime();
        m_auto_play_switched_off = true;
        SetAutoPlay(false);
        App().ShowSystemMessage(" <z=qv系统通知> #b游戏托管已解除!\r\n");
    }
    if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
        board->ShowAutoPlay(false);
}

void CCardGameScene::ResumeGame()
{
    const client::CClientRecords& records = App().Records();
    if (!records.IsLookOn())
        (void)SendGameData(GAMEDATA_REJOIN, {});
    if (m_hand != nullptr)
        for (int chair = 0; chair < m_chair_count; ++chair)
            (void)m_hand->RenumberHand(chair);
    StartClock();
    const client::CGameStateHolder* state = GetGameState();
    SetActiveChair(GetActiveChair(), state != nullptr ? state->GetTableWord16() : -1);
    if (App().IsMatch())
        ShowMatchInfoBox();
    else
        ShowGameInfoBox();
    if (m_hand != nullptr)
        m_hand->SortHand(1);
    ShowSortButtons(true);
    StartTurn();
    if (state == nullptr)
        return;
    const rules::TableGameData& table = state->GetTableData();
    const int chairs = std::min<int>(m_chair_count, static_cast<int>(std::size(table.chair_status)));
    for (int chair = 0; chair < chairs; ++chair) {
        if (chair == records.GetChairNO() && !records.IsLookOn())
            continue;
        if ((table.chair_status[chair] & CHAIR_AWAY_FLAGS) != 0)
            if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
                board->ShowOffline(true);
    }
}

std::optional<int32_t> CCardGameScene::GetTurnSecondsLeft() const
{
    if (App().IsReplayMode() || m_clock == nullptr || m_clock_action == 0 || m_chairs == nullptr
        || !m_chairs->IsValidChair(GetActiveChair()))
        return std::nullopt;
    return std::max(m_clock->GetValue(), 0);
}

bool CCardGameScene::IsClockRunning() const
{
    if (m_table_closed)
        return false;
    if (!App().IsReplayMode())
        return true;
    const auto* board = dynamic_cast<const CReplayPanel*>(GetReplayBoard());
    return board != nullptr && board->IsAdvancing();
}

bool CCardGameScene::TakeReplayHands()
{
    const auto* board = dynamic_cast<const CReplayPanel*>(GetReplayBoard());
    if (!App().IsReplayMode() || board == nullptr || m_hand == nullptr)
        return false;
    const std::optional<ReplayEvent> stored = board->GetReplayImage().GetSnapshot();
    if (!stored)
        return false;
    // One block of ids per chair; the ids before the first free slot.
    platform::CByteReader in(stored->data);
    for (int chair = 0; chair < m_chair_count; ++chair) {
        std::vector<int32_t> cards;
        platform::CByteReader block(in.ReadBytes(std::min(STORED_HAND_BYTES, in.Remaining())));
        for (int32_t card = block.ReadI32(); block.Ok() && card >= 0; card = block.ReadI32())
            cards.push_back(card);
        (void)m_hand->SetChairCards(chair, cards);
    }
    return true;
}

void CCardGameScene::RestoreRunningGame()
{
    if (TakeReplayHands())
        m_hand->SortHand(1);
    if (m_auto_play)
        if (CSeatBoard* own = GetSeatBoard(0))
            own->ShowAutoPlay(true);
    StartClock();
    const client::CGameStateHolder* state = GetGameState();
    SetActiveChair(GetActiveChair(), state != nullptr ? state->GetTableWord16() : -1);
    StartTurn();
    ShowSortButtons(true);
    m_auto_play_ticks = 0;
}

void CCardGameScene::OnTableReset()
{
    client::CGameStateHolder* state = GetGameState();
    if (state != nullptr && state->IsTableWord15Set())
        return;
    if (state != nullptr)
        state->ResetTableData();
    ClearTable();
    // Without a match list the seats are read afresh when players come back.
    const client::CClientRecords& records = App().Records();
    if (records.Ranking().EntryCount() != 0)
        return;
    const int players = std::min(records.GetTablePlayerCount(), m_chair_count);
    for (int chair = 0; chair < players; ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
            board->ClearPlayer();
}

} // namespace scene
