// CGameNotifyHandler: the dispatch table, the last-message record, and the
// handlers of the table and its players.
#include "client/CGameNotifyHandler.h"
#include "client/TextFunctions.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/CGameFrameWnd.h"
#include "client/CGameStateHolder.h"
#include "client/CRefusalLog.h"
#include "client/ClientText.h"
#include "client/HallRecords.h"
#include "net/NetLog.h"
#include "platform/RemoteWindow.h"
#include "platform/Tick.h"

namespace client {

namespace {


constexpr int32_t PLAYER_CALL_COLOR = 32768;
constexpr int32_t EXIT_ANSWER_COLOR = 2906200;
constexpr size_t INFO_ENTRIES_AT = 20;
constexpr size_t INFO_ENTRY_BYTES = 52;
constexpr size_t INFO_TITLE_BYTES = 32;
constexpr size_t RANDOM_TABLE_HEAD_BYTES = 64;
constexpr const char* SORRY_PICTURE = "vur抱歉";

using Handler = CGameNotifyHandler;
using Body = CGameNotifyHandler::Body;

} // namespace

CGameNotifyHandler::CGameNotifyHandler(CGameApp& app) : m_app(app), m_tick([] { return platform::GetTickCount(); })
{
}

void CGameNotifyHandler::Dispatch(uint32_t id, Body data)
{
    static constexpr Entry<Handler> HANDLERS[] = {
        { GR_CALL_PLAYER, &Handler::OnPlayerCall },
        { 201210, &Handler::OnPlayerChat },
        { 201212, &Handler::OnForcedExitAsk },
        { GR_ANSWER_EXIT, &Handler::OnExitAnswer },
        { 210530, &Handler::OnServerMessageBox },
        { GR_PLAYER_EXITED, &Handler::OnTableClosed },
        { GR_PLAYER_LEAVE, &Handler::OnLookOnTargetLeft },
        { GR_PLAYER_ENTER, &Handler::OnPlayerEnter },
        { GR_LOOKER_LEAVE, &Handler::OnLookerLeave },
        { GR_ID_211025, &Handler::OnHallTableNotice },
        { GR_RANDOM_TABLE, &Handler::OnRandomTable },
        { GR_ID_211030, &Handler::OnPlayerInfoUpdate },
        { GR_END_SILVER_LOW, &Handler::OnSilverNotEnough },
        { GR_END_PLAYER_UNSEATED, &Handler::OnPlayerNotSeated },
        { GR_END_SCORE_LOW, &Handler::OnScoreTooLow },
        { GR_END_SCORE_OVER, &Handler::OnScoreTooHigh },
        { GR_END_USER_ROUNDS_OVER, &Handler::OnUserRoundsLimit },
        { GR_END_TABLE_ROUNDS_OVER, &Handler::OnTableRoundsLimit },
        { GR_END_OUT_OF_HOURS, &Handler::OnOutsideOpeningHours },
        { GR_END_SERVER_TEXT, &Handler::OnServerText },
        { GR_MATCH_STAGE, &Handler::OnMatchStage },
        { GR_ID_211170, &Handler::OnMatchScores },
        { GR_ID_211190, &Handler::OnMatchOut },
        { GR_ID_211191, &Handler::OnMatchOutInfo },
        { GR_MATCH_BEGIN, &Handler::OnMatchBegin },
        { GR_ID_211200, &Handler::OnChatRecord },
        { GR_MATCH_SYSTEM_CANCEL, &Handler::OnMatchSystemCancel },
        { GR_ID_211202, &Handler::OnNotify211202 },
        { GR_MATCH_SIGNUP_OK, &Handler::OnSignUpOk },
        { GR_MATCH_WITHDRAW_OK, &Handler::OnWithdrawOk },
        { GR_MATCH_SIGNUP_FAILED, &Handler::OnSignUpFailed },
        { GR_MATCH_WITHDRAW_FAILED, &Handler::OnWithdrawFailed },
        { GR_MATCH_OUT_FULL, &Handler::OnEliminationFull },
        { GR_MATCH_TABLES_LEFT, &Handler::OnMatchTablesLeft },
        { GR_GAME_TIMEOUT, &Handler::OnGameTimeout },
        { GR_ID_211241, &Handler::OnMatchNotice },
        { GR_ID_211242, &Handler::OnRoundEventNotice },
        { GR_ID_211243, &Handler::OnSystemBoardText },
        { GR_ID_211400, &Handler::OnAdvertUrl },
        { GR_MATCH_OVER, &Handler::OnResultBox },
        { GR_ID_211510, &Handler::OnPlayerStats },
        { GR_ID_211600, &Handler::OnPlayerValue },
        { GR_TABLE_CHANGED, &Handler::OnTableChanged },
        { GR_IDLE_ROUNDS_WARNING, &Handler::OnIdleRounds },
        { GR_ID_211900, &Handler::OnAmuletNotice },
        { GR_ID_211910, &Handler::OnSeatTexts },
        { GR_ID_211920, &Handler::OnSceneData },
    };
    (void)RunEntry(*this, HANDLERS, id, data);
}

void CGameNotifyHandler::OnAfterDispatch(uint32_t id, Body data)
{
    SetLastMessage(id, GetSubId(id, data), data.size());
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
}

void CGameNotifyHandler::RefuseChair(uint32_t id, int32_t chair)
{
    CRefusalLog::Instance().RefuseChair(id, chair);
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
    const auto words = LeadingWords<5>(GR_CALL_PLAYER, body);
    if (!words)
        return;
    const int32_t callee = (*words)[4];
    const CClientRecords& records = m_app.Records();
    const std::string caller_name = records.GetMarkupName(records.FindUser((*words)[0]), NameKind::Display);
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
    const auto words = LeadingWords<6>(GR_ANSWER_EXIT, body);
    if (!words)
        return;
    const bool agreed = (*words)[5] != 0;
    const CClientRecords& records = m_app.Records();
    const std::string answerer = records.GetMarkupName(records.FindUser((*words)[0]), NameKind::User);
    const std::string asker = records.GetMarkupName(records.FindUser((*words)[4]), NameKind::User);
    m_app.ShowSystemMessage(FormatText(" <c=%d>%s%s%s的退出请求 \r\n", EXIT_ANSWER_COLOR, answerer.c_str(),
                                       agreed ? "答应" : "拒绝", asker.c_str()));
    if (!agreed)
        if (CGameStateHolder* state = m_app.GetGameStateHolder())
            state->SetExitRequestTick(0);
}

void CGameNotifyHandler::OnPlayerInfoUpdate(Body body)
{
    // A negative count reads as a huge one, so it is refused with the rest.
    platform::CByteReader in(body);
    const uint32_t count = in.ReadU32();
    in.Skip(INFO_ENTRIES_AT - 4);
    platform::CByteReader entries(in.ReadBytes(count * INFO_ENTRY_BYTES));
    if (RefuseIfShort(GR_ID_211030, in))
        return;
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t user_id = entries.ReadI32();
        entries.Skip(4);
        const int32_t score = entries.ReadI32();
        const int32_t silver = entries.ReadI32();
        const int32_t level = entries.ReadI32();
        const Body title = entries.ReadBytes(INFO_TITLE_BYTES);
        if (GameUserRecord* user = m_app.Records().FindUser(user_id)) {
            user->silver = silver;
            user->score = score;
            user->level = level;
            CopyTextField(user->level_title, FieldText(title));
        }
    }
}

void CGameNotifyHandler::OnLookerLeave(Body body)
{
    const auto words = LeadingWords<1>(GR_LOOKER_LEAVE, body);
    if (!words)
        return;
    if (const GameUserRecord* user = m_app.Records().FindUser((*words)[0]))
        if (IFrameUI* frame = m_app.Links().frame_ui)
            frame->NotifyLookerLeave(*user);
}

void CGameNotifyHandler::OnPlayerEnter(Body body)
{
    CClientRecords& records = m_app.Records();
    ServerPlayerEntry entry;
    platform::CByteReader in(body);
    platform::ReadFields(in, entry);
    if (RefuseIfShort(GR_PLAYER_ENTER, in))
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
    const auto words = LeadingWords<9>(GR_PLAYER_LEAVE, body);
    if (!words)
        return;
    const int32_t chair = (*words)[1];
    CClientRecords& records = m_app.Records();
    if (m_app.IsPlaying() && (records.GetRoomConfigs() & ROOM_CONFIG_ENTER_WHILE_PLAYING) == 0)
        return;
    GameUserRecord* user = records.FindUser((*words)[0]);
    if (user == nullptr || user->table_no != (*words)[7] || user->chair != chair || user->look_on != 0)
        return;
    if (!IsTableChair(chair))
        return;
    if (chair == records.GetChairNO()) {
        if (records.IsLookOn())
            m_app.ShowExitMessageBoard({ FormatText("%s 已经离开，旁观结束。", records.GetName(records.Seat(chair), NameKind::Display).c_str()),
                                         10, 48, SORRY_PICTURE });
        else if ((*words)[8] != 0)
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
    const auto notice = LeadingWords<1>(GR_ID_211025, body);
    if (!notice || m_app.IsStandAlone())
        return;
    const CGameFrameWnd* window = m_app.GetMainWindow();
    (void)platform::PostRemoteMessage(m_app.GetHallWindow(), UM_HALL_TABLE_NOTICE,
                                      window ? window->GetRemoteHandle() : 0, (*notice)[0]);
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
    platform::CByteReader in(body);
    const auto count = static_cast<uint32_t>(in.ReadWords<3>()[2]);
    in.Skip(RANDOM_TABLE_HEAD_BYTES - WORDS(3) + count * ServerPlayerEntry::BYTES);
    OnRandomTableStart(in.ReadRest());
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

void CGameNotifyHandler::OnServerMessageBox(Body body)
{
    // The frame's own box: the window goes on drawing and the notifications
    // after this one are handled while it waits for its OK.
    const std::string text = FieldText(body);
    IFrameUI* frame = m_app.Links().frame_ui;
    if (frame == nullptr || !frame->ShowServerMessageBox(text))
        net::LogPrintf("a server message box (%zu bytes) has no frame to show it", text.size());
}

} // namespace client
