// CGameNotifyHandler: the dispatch table, the last-message record, and the
// handlers of the table and its players.
#include "client/CGameNotifyHandler.h"
#include "client/TextFunctions.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "client/CGameApp.h"
#include "client/CGameFrameWnd.h"
#include "client/CGameStateHolder.h"
#include "client/CRefusalLog.h"
#include "client/ClientText.h"
#include "client/HallRecords.h"
#include "net/NetLog.h"
#include "platform/MessageBox.h"
#include "platform/RemoteWindow.h"
#include "platform/Tick.h"

namespace client {

namespace {

constexpr size_t WORDS(size_t count) { return count * 4; }

constexpr int32_t PLAYER_CALL_COLOR = 32768;
constexpr int32_t EXIT_ANSWER_COLOR = 2906200;
constexpr size_t INFO_ENTRIES_AT = 20;
constexpr size_t INFO_ENTRY_BYTES = 52;
constexpr size_t INFO_TITLE_AT = 20;
constexpr size_t INFO_TITLE_BYTES = 32;
constexpr size_t RANDOM_TABLE_HEAD_BYTES = 64;
constexpr const char* SORRY_PICTURE = "vur抱歉";

using Handler = CGameNotifyHandler;
using Body = CGameNotifyHandler::Body;

} // namespace

int32_t BodyWord(std::span<const uint8_t> body, size_t index)
{
    return detail::LoadI32(body.data() + index * 4);
}

std::string BodyTextAt(std::span<const uint8_t> body, size_t offset)
{
    if (offset >= body.size())
        return {};
    return FieldText(reinterpret_cast<const char*>(body.data() + offset), body.size() - offset);
}

CGameNotifyHandler::CGameNotifyHandler(CGameApp& app) : m_app(app), m_tick([] { return platform::GetTickCount(); })
{
}

void CGameNotifyHandler::Dispatch(uint32_t id, Body data)
{
    static constexpr Entry<Handler> HANDLERS[] = {
        { 201200, WORDS(5), &Handler::OnPlayerCall },
        { 201210, 0, &Handler::OnPlayerChat },
        { 201212, 0, &Handler::OnForcedExitAsk },
        { 201213, WORDS(6), &Handler::OnExitAnswer },
        { 210530, 0, &Handler::OnServerMessageBox },
        { GR_PLAYER_EXITED, 0, &Handler::OnTableClosed },
        { GR_PLAYER_LEAVE, WORDS(9), &Handler::OnLookOnTargetLeft },
        { GR_PLAYER_ENTER, ServerPlayerEntry::BYTES, &Handler::OnPlayerEnter },
        { GR_LOOKER_LEAVE, WORDS(1), &Handler::OnLookerLeave },
        { GR_ID_211025, WORDS(1), &Handler::OnHallTableNotice },
        { GR_RANDOM_TABLE, WORDS(3), &Handler::OnRandomTable },
        { GR_ID_211030, WORDS(1), &Handler::OnPlayerInfoUpdate },
        { GR_END_SILVER_LOW, WORDS(1), &Handler::OnSilverNotEnough },
        { GR_END_PLAYER_UNSEATED, 0, &Handler::OnPlayerNotSeated },
        { GR_END_SCORE_LOW, WORDS(1), &Handler::OnScoreTooLow },
        { GR_END_SCORE_OVER, WORDS(1), &Handler::OnScoreTooHigh },
        { GR_END_USER_ROUNDS_OVER, WORDS(4), &Handler::OnUserRoundsLimit },
        { GR_END_TABLE_ROUNDS_OVER, WORDS(3), &Handler::OnTableRoundsLimit },
        { GR_END_OUT_OF_HOURS, WORDS(3), &Handler::OnOutsideOpeningHours },
        { GR_END_SERVER_TEXT, WORDS(2), &Handler::OnServerText },
        { GR_MATCH_STAGE, 0, &Handler::OnMatchStage },
        { GR_ID_211170, WORDS(2), &Handler::OnMatchScores },
        { GR_ID_211190, 0, &Handler::OnMatchOut },
        { GR_ID_211191, 0, &Handler::OnMatchOutInfo },
        { GR_MATCH_BEGIN, 0, &Handler::OnMatchBegin },
        { GR_ID_211200, 0, &Handler::OnChatRecord },
        { GR_MATCH_SYSTEM_CANCEL, 0, &Handler::OnMatchSystemCancel },
        { GR_ID_211202, 0, &Handler::OnNotify211202 },
        { GR_MATCH_SIGNUP_OK, 0, &Handler::OnSignUpOk },
        { GR_MATCH_WITHDRAW_OK, 0, &Handler::OnWithdrawOk },
        { GR_MATCH_SIGNUP_FAILED, WORDS(4), &Handler::OnSignUpFailed },
        { GR_MATCH_WITHDRAW_FAILED, WORDS(4), &Handler::OnWithdrawFailed },
        { GR_MATCH_OUT_FULL, WORDS(3), &Handler::OnEliminationFull },
        { GR_MATCH_TABLES_LEFT, 0, &Handler::OnMatchTablesLeft },
        { GR_GAME_TIMEOUT, 0, &Handler::OnGameTimeout },
        { GR_ID_211241, 0, &Handler::OnMatchNotice },
        { GR_ID_211242, WORDS(3), &Handler::OnRoundEventNotice },
        { GR_ID_211243, WORDS(6), &Handler::OnSystemBoardText },
        { GR_ID_211400, WORDS(8), &Handler::OnAdvertUrl },
        { GR_MATCH_OVER, WORDS(8), &Handler::OnResultBox },
        { GR_ID_211510, 0, &Handler::OnPlayerStats },
        { GR_ID_211600, 0, &Handler::OnPlayerValue },
        { GR_TABLE_CHANGED, 0, &Handler::OnTableChanged },
        { GR_IDLE_ROUNDS_WARNING, WORDS(3), &Handler::OnIdleRounds },
        { GR_ID_211900, 0, &Handler::OnAmuletNotice },
        { GR_ID_211910, 0, &Handler::OnSeatTexts },
        { GR_ID_211920, 0, &Handler::OnSceneData },
    };
    (void)RunEntry(*this, HANDLERS, id, data);
}

void CGameNotifyHandler::OnAfterDispatch(uint32_t id, Body data)
{
    SetLastMessage(id, GetSubId(id, data), data.size());
    // Shown only now, outside the engine's lock: a modal box's own loop must
    // not run inside a dispatch.
    std::vector<std::string> boxes;
    boxes.swap(m_pending_boxes);
    const CGameFrameWnd* window = m_app.GetMainWindow();
    for (const std::string& text : boxes)
        (void)platform::ShowMessageBox(window ? window->GetHandle() : platform::WindowHandle::None, text,
                                       m_app.GetGameCode(), platform::MB_OK);
}

std::array<int32_t, 4> CGameNotifyHandler::GetPreviousRecord() const
{
    return { static_cast<int32_t>(m_last.id), m_last.sub_id, static_cast<int32_t>(m_last.length),
             static_cast<int32_t>(m_last.tick) };
}

void CGameNotifyHandler::SetLastMessage(uint32_t id, int32_t sub_id, size_t length)
{
    m_last.id = id;
    m_last.sub_id = sub_id;
    m_last.length = static_cast<uint32_t>(std::min<size_t>(length, UINT32_MAX));
    m_last.tick = m_tick ? m_tick() : 0;
}

void CGameNotifyHandler::Refuse(uint32_t id, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CRefusalLog::Instance().RefuseV(id, format, args);
    va_end(args);
    MarkRefused();
}

void CGameNotifyHandler::RefuseChair(uint32_t id, int32_t chair)
{
    CRefusalLog::Instance().RefuseChair(id, chair);
    MarkRefused();
}

void CGameNotifyHandler::RefuseShortBody(uint32_t id, size_t length, size_t min_bytes)
{
    Refuse(id, "%zu bytes, at least %zu expected", length, min_bytes);
}

void CGameNotifyHandler::RefuseRecord(uint32_t id, size_t length)
{
    Refuse(id, "%zu bytes, not a sound record", length);
}

bool CGameNotifyHandler::HasMainWindow() const { return m_app.GetMainWindow() != nullptr; }

void CGameNotifyHandler::ShowEndOfTableBoard(const ExitBoardRequest& request)
{
    if (HasMainWindow())
        m_app.ShowExitMessageBoard(request);
}

int CGameNotifyHandler::ChairCount() const { return std::clamp(m_app.GetChairCount(), 0, MAX_CHAIRS); }

void CGameNotifyHandler::SendToMainGame(uint32_t event_id, uintptr_t param1)
{
    if (IMainGame* game = m_app.Links().main_game)
        game->SendGameEvent(event_id, param1);
}

void CGameNotifyHandler::SendToSidePanel(uint32_t event_id, uintptr_t param1)
{
    if (ISidePanel* panel = m_app.Links().side_panel)
        panel->SendPanelEvent(event_id, param1);
}

// --- Players and lookers

void CGameNotifyHandler::OnPlayerCall(Body body)
{
    const CClientRecords& records = m_app.Records();
    const int32_t callee = BodyWord(body, 4);
    const std::string caller_name = records.GetMarkupName(records.FindUser(BodyWord(body, 0)), NameKind::Display);
    const std::string callee_name = records.GetMarkupName(records.FindUser(callee), NameKind::Display);
    m_app.ShowSystemMessage(
        FormatText(" %s呼叫 <c=%d>%s\n", caller_name.c_str(), PLAYER_CALL_COLOR, callee_name.c_str()));
    if (callee != 0 && callee == records.GetUserID())
        if (IFrameUI* frame = m_app.Links().frame_ui)
            frame->PlayFrameSound("SndAhoo");
}

void CGameNotifyHandler::OnPlayerChat(Body body)
{
    SendToSidePanel(GAMEMSG_PLAYER_CHAT, reinterpret_cast<uintptr_t>(&body));
}

void CGameNotifyHandler::OnForcedExitAsk(Body body)
{
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->ShowExitRequest(body);
}

void CGameNotifyHandler::OnExitAnswer(Body body)
{
    const CClientRecords& records = m_app.Records();
    const bool agreed = BodyWord(body, 5) != 0;
    const std::string answerer = records.GetMarkupName(records.FindUser(BodyWord(body, 0)), NameKind::User);
    const std::string asker = records.GetMarkupName(records.FindUser(BodyWord(body, 4)), NameKind::User);
    m_app.ShowSystemMessage(FormatText(" <c=%d>%s%s%s的退出请求 \r\n", EXIT_ANSWER_COLOR, answerer.c_str(),
                                       agreed ? "答应" : "拒绝", asker.c_str()));
    if (!agreed)
        if (CGameStateHolder* state = m_app.GetGameStateHolder())
            state->SetExitRequestTick(0);
}

void CGameNotifyHandler::OnPlayerInfoUpdate(Body body)
{
    const int32_t count = BodyWord(body, 0);
    const size_t room = body.size() < INFO_ENTRIES_AT ? 0 : (body.size() - INFO_ENTRIES_AT) / INFO_ENTRY_BYTES;
    if (count < 0 || static_cast<size_t>(count) > room) {
        RefuseShortBody(GR_ID_211030, body.size(),
                        INFO_ENTRIES_AT + INFO_ENTRY_BYTES * static_cast<size_t>(std::max(count, 0)));
        return;
    }
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        const Body entry = body.subspan(INFO_ENTRIES_AT + i * INFO_ENTRY_BYTES, INFO_ENTRY_BYTES);
        GameUserRecord* user = m_app.Records().FindUser(BodyWord(entry, 0));
        if (user == nullptr)
            continue;
        user->silver = BodyWord(entry, 3);
        user->score = BodyWord(entry, 2);
        user->level = BodyWord(entry, 4);
        CopyTextField(user->level_title,
                      FieldText(reinterpret_cast<const char*>(entry.data() + INFO_TITLE_AT), INFO_TITLE_BYTES));
    }
}

void CGameNotifyHandler::OnLookerLeave(Body body)
{
    const GameUserRecord* user = m_app.Records().FindUser(BodyWord(body, 0));
    if (user != nullptr)
        if (IFrameUI* frame = m_app.Links().frame_ui)
            frame->NotifyLookerLeave(*user);
}

void CGameNotifyHandler::OnPlayerEnter(Body body)
{
    CClientRecords& records = m_app.Records();
    ServerPlayerEntry entry;
    if (!ReadRecord(body, entry))
        return;
    if (entry.user_id <= 0 || !IsTableChair(entry.chair)) {
        Refuse(GR_PLAYER_ENTER, "player %d at chair %d, not a player at the table", entry.user_id, entry.chair);
        return;
    }
    if (m_app.IsPlaying() && (records.GetRoomConfigs() & ROOM_CONFIG_ENTER_WHILE_PLAYING) == 0)
        return;
    GameTableRecord& table = records.Table();
    if (!records.IsChairOccupied(entry.chair))
        table.player_count = std::min(table.player_count + 1, ChairCount());
    GameUserRecord& seat = *records.Seat(entry.chair);
    seat = GameUserRecord {};
    records.FillSeatRecord(seat, entry);
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->NotifyPlayerEnter(seat);
}

void CGameNotifyHandler::OnLookOnTargetLeft(Body body)
{
    CClientRecords& records = m_app.Records();
    if (m_app.IsPlaying() && (records.GetRoomConfigs() & ROOM_CONFIG_ENTER_WHILE_PLAYING) == 0)
        return;
    const int32_t chair = BodyWord(body, 1);
    GameUserRecord* user = records.FindUser(BodyWord(body, 0));
    if (user == nullptr || user->table_no != BodyWord(body, 7) || user->chair != chair || user->look_on != 0)
        return;
    if (!IsTableChair(chair))
        return;
    if (chair == records.GetChairNO()) {
        if (records.IsLookOn())
            m_app.ShowExitMessageBoard({ FormatText("%s 已经离开，旁观结束。", records.GetSeatDisplayName(chair).c_str()),
                                         10, 48, SORRY_PICTURE });
        else if (BodyWord(body, 8) != 0)
            m_app.ShowExitMessageBoard({ "其他玩家同意您退出游戏！", 10, 48, "vur胜利" });
    }
    GameUserRecord& seat = *records.Seat(chair);
    if (seat.user_id != 0)
        if (IFrameUI* frame = m_app.Links().frame_ui)
            frame->NotifyPlayerLeave(seat);
    seat = GameUserRecord {};
    GameTableRecord& table = records.Table();
    table.player_count = std::max(table.player_count - 1, 0);
    *user = GameUserRecord {};
}

// --- The table

void CGameNotifyHandler::OnTableClosed(Body)
{
    if (CGameFrameWnd* window = m_app.GetMainWindow())
        window->SetHallRequestOn(false);
    const AppLinks& links = m_app.Links();
    if (links.wait_dialog)
        links.wait_dialog->Hide();
    if (links.connection)
        links.connection->Close();
}

void CGameNotifyHandler::OnHallTableNotice(Body body)
{
    if (m_app.IsStandAlone())
        return;
    const CGameFrameWnd* window = m_app.GetMainWindow();
    (void)platform::PostRemoteMessage(m_app.GetHallWindow(), UM_HALL_TABLE_NOTICE,
                                      window ? window->GetRemoteHandle() : 0, BodyWord(body, 0));
}

void CGameNotifyHandler::OnRandomTable(Body body)
{
    if (!m_app.Records().ApplyTableInfo(body)) {
        RefuseRecord(GR_RANDOM_TABLE, body.size());
        return;
    }
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->NotifyRandomTable();
    // The table record has just accepted the count and found the entries
    // within the body, so the record after them starts inside it.
    const size_t count = static_cast<size_t>(BodyWord(body, 2));
    OnRandomTableStart(body.subspan(RANDOM_TABLE_HEAD_BYTES + count * ServerPlayerEntry::BYTES));
}

void CGameNotifyHandler::OnTableChanged(Body body)
{
    if (!m_app.Records().ApplyTableSeats(body)) {
        RefuseRecord(GR_TABLE_CHANGED, body.size());
        return;
    }
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->NotifyTableChanged();
}

void CGameNotifyHandler::OnPlayerStats(Body body) { (void)m_app.ApplySingleResult(body); }

void CGameNotifyHandler::OnPlayerValue(Body body) { (void)m_app.ApplySilverChange(body); }

void CGameNotifyHandler::OnSeatTexts(Body body) { (void)m_app.ApplySeatNames(body); }

void CGameNotifyHandler::OnSceneData(Body body)
{
    SendToMainGame(GAMEMSG_ID_80000063, reinterpret_cast<uintptr_t>(&body));
}

void CGameNotifyHandler::OnAmuletNotice(Body body)
{
    SendToSidePanel(GAMEMSG_AMULET_NOTICE, reinterpret_cast<uintptr_t>(&body));
    SendToMainGame(GAMEMSG_AMULET_NOTICE, reinterpret_cast<uintptr_t>(&body));
}

void CGameNotifyHandler::OnChatRecord(Body body)
{
    SendToSidePanel(GAMEMSG_CHAT_RECORD, reinterpret_cast<uintptr_t>(&body));
}

void CGameNotifyHandler::OnServerMessageBox(Body body) { m_pending_boxes.push_back(BodyTextAt(body, 0)); }

} // namespace client
