// The requests of the framework to the game server: each lays out its record
// of 32-bit words from the application's values, sends it and, when it
// waits, acts on the answer code.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "client/AnswerCodes.h"
#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/ClientText.h"
#include "client/CRefusalLog.h"
#include "client/MachineId.h"
#include "platform/Tick.h"

namespace client {

namespace {

// The seat block takes words 0-3; a request of only the seat block is sent
// as 32 bytes, and the values of other requests follow the block directly.
constexpr size_t SEAT_BLOCK_BYTES = 32;
constexpr size_t MACHINE_ID_BYTES = 32;
constexpr size_t LOGON_RECORD_BYTES = 108;
constexpr size_t ENTER_RECORD_BYTES = 176;
constexpr size_t LEAVE_RECORD_BYTES = 96;
constexpr size_t TEXT_RECORD_BYTES = 128;
constexpr size_t TEXT_RECORD_LIMIT = 62;
constexpr size_t STATE_BLOCK2_AT = 60;
constexpr int32_t GR_STOP_COUNTDOWN = GR_OK;

const char* const TEXT_OBJECT_MISSING = "对象不存在。";
const char* const TEXT_LOGON_NOT_ANSWERED = "服务器未回应登入请求!";
const char* const TEXT_SERVER_BUSY = "服务器繁忙，请稍候再试。";
const char* const TEXT_UPDATING = "服务正在更新中，请稍候再试。";
const char* const TEXT_LOGON_ANSWER_DAMAGED = "服务器的登入应答有误，请稍候再试。";

/// Whether the player entries a log-on answer names (word 2) are at most a
/// table's and fit the answer; an answer that ends before the word names
/// none. Refused (and logged) otherwise.
bool LogonEntriesFit(const RequestAnswer& answer)
{
    const std::optional<int32_t> count = answer.Word(2);
    if (!count)
        return true;
    if (*count < 0 || *count > MAX_CHAIRS) {
        CRefusalLog::Instance().Refuse(GR_LOGON, "the answer names %d players, at most %d", *count, MAX_CHAIRS);
        return false;
    }
    const size_t needed = STATE_BLOCK2_AT + static_cast<size_t>(*count) * ServerPlayerEntry::BYTES;
    if (needed > answer.data.size()) {
        CRefusalLog::Instance().Refuse(GR_LOGON, "%d players need %zu bytes, %zu received", *count, needed,
                                       answer.data.size());
        return false;
    }
    return true;
}

} // namespace

std::string CGameConnection::MachineId() const
{
    return GetMachineID();
}

bool CGameConnection::CheckVersion(std::string& error, int32_t& major, int32_t& minor)
{
    RequestAnswer answer;
    const int sent = SendRequest(error, GR_CHECK_VERSION, {}, answer, RequestWait::Yes);
    const std::optional<int32_t> server_major = answer.Word(0);
    const std::optional<int32_t> server_minor = answer.Word(1);
    if (sent == 0 || !server_major || !server_minor) {
        error = TEXT_SERVER_BUSY;
        return false;
    }
    const int32_t own_major = GetApp().GetMajorVersion();
    const int32_t own_minor = GetApp().GetMinorVersion();
    if (*server_major > own_major) {
        error = "您的游戏程序太旧了,必须下载新的程序才能玩游戏。";
        major = *server_major;
        return false;
    }
    if (*server_major < own_major) {
        error = TEXT_UPDATING;
        return false;
    }
    if (*server_minor > own_minor) {
        error = "您的游戏程序需要更新。";
        minor = *server_minor;
        return false;
    }
    if (*server_minor < own_minor) {
        error = TEXT_UPDATING;
        return false;
    }
    return true;
}

bool CGameConnection::Logon(std::string& error)
{
    CGameApp& app = GetApp();
    const CClientRecords& records = app.Records();
    const GameUserRecord* own = records.FindUser(records.GetUserID());
    if (own == nullptr) {
        error = TEXT_OBJECT_MISSING;
        return false;
    }
    const bool with_entry = records.HasRoomConfig40();
    CRequestBody body(LOGON_RECORD_BYTES + (with_entry ? ServerPlayerEntry::BYTES : 0));
    body.Word(0, own->user_id).Word(1, own->flags).Word(2, records.GetGameID()).Word(3, records.GetRoomID());
    body.Word(4, records.GetTableNO()).Word(5, records.GetChairNO()).Text(6 * 4, MachineId(), MACHINE_ID_BYTES);
    body.Word(14, records.IsLookOn() ? 1 : 0).Word(18, 0).Word(22, records.Room().room_value76);
    if (with_entry)
        body.Bytes(LOGON_RECORD_BYTES, RecordBytes(CClientRecords::MakeServerPlayerEntry(*own)));

    RequestAnswer answer;
    if (SendRequest(error, GR_LOGON, body.Span(), answer, RequestWait::Yes) == 0) {
        if (answer.code != GR_ERR_TIMEOUT && answer.code != GR_ERR_NOT_CONNECTED && error.empty())
            error = TEXT_LOGON_NOT_ANSWERED;
        return false;
    }
    switch (answer.code) {
    case GR_ID_210200:
        app.SetLogonWord(0);
        OnLogonReply210200(answer);
        return true;
    case GR_ID_210210:
        if (records.HasRoomConfig40() && !records.IsLookOn() && !LogonEntriesFit(answer)) {
            error = TEXT_LOGON_ANSWER_DAMAGED;
            return false;
        }
        app.SetLogonWord(records.IsLookOn() ? 0 : 1);
        OnLogonReply210210(answer);
        return true;
    case GR_ID_210220:
        app.SetLogonWord(0);
        OnLogonReply210220(answer);
        return true;
    default:
        return false;
    }
}

void CGameConnection::OnLogonReply210200(const RequestAnswer& answer)
{
    GetApp().LoadStateBlock(answer.data);
    GetApp().OnLogonReply210200();
}

void CGameConnection::OnLogonReply210210(const RequestAnswer& answer)
{
    CGameApp& app = GetApp();
    std::span<const uint8_t> rest = answer.data;
    if (app.Records().HasRoomConfig40() && !app.Records().IsLookOn()) {
        // The state block follows the player entries; an answer too short
        // for the count it names gives no state block.
        const std::optional<int32_t> count = answer.Word(2);
        const size_t at = count && *count >= 0 && *count <= MAX_CHAIRS
            ? STATE_BLOCK2_AT + static_cast<size_t>(*count) * ServerPlayerEntry::BYTES
            : answer.data.size();
        if (app.Records().ApplyOtherSeats(answer.data) && at <= answer.data.size())
            rest = std::span<const uint8_t>(answer.data).subspan(at);
        else
            rest = {};
    }
    app.LoadStateBlock2(rest);
    app.OnLogonReply210210();
}

void CGameConnection::OnLogonReply210220(const RequestAnswer& answer)
{
    GetApp().LoadStateBlock2(answer.data);
    GetApp().OnLogonReply210220();
}

bool CGameConnection::EnterGame(std::string& error)
{
    CGameApp& app = GetApp();
    const CClientRecords& records = app.Records();
    const GameUserRecord* own = records.FindUser(records.GetUserID());
    if (own == nullptr) {
        error = TEXT_OBJECT_MISSING;
        return false;
    }
    CRequestBody body(ENTER_RECORD_BYTES);
    body.Word(0, own->user_id).Word(1, own->flags).Word(2, records.GetGameID()).Word(3, records.GetTableHeaderWord1());
    body.Word(4, records.GetRoomID()).Word(5, records.GetTableNO()).Word(6, records.GetChairNO());
    body.Text(7 * 4, MachineId(), MACHINE_ID_BYTES).Word(15, records.IsLookOn() ? 1 : 0);
    body.Word(16, records.Room().room_value74).Word(17, records.Room().room_value76);

    RequestAnswer answer;
    if (SendRequest(error, GR_ENTER_GAME, body.Span(), answer, RequestWait::Yes) == 0) {
        if (answer.code != GR_ERR_TIMEOUT && answer.code != GR_ERR_NOT_CONNECTED && error.empty())
            error = TEXT_LOGON_NOT_ANSWERED;
        return false;
    }
    const std::span<const uint8_t> reply = answer.data;
    using Forwarder = void (CGameApp::*)(std::span<const uint8_t>);
    static constexpr std::pair<int32_t, Forwarder> FORWARDERS[] = {
        { GR_ENTER_NOT_SIGNED_UP, &CGameApp::OnEnterNotSignedUp },
        { GR_ENTER_WASHED_OUT, &CGameApp::OnEnterWashedOut },
        { GR_ENTER_MATCH_STARTED, &CGameApp::OnEnterMatchStarted },
        { GR_ENTER_MATCH_ENDED, &CGameApp::OnEnterMatchEnded },
        { GR_ENTER_SYSTEM_CANCEL, &CGameApp::OnEnterSystemCancel },
        { GR_ENTER_SELF_CANCEL, &CGameApp::OnEnterSelfCancel },
        { GR_ENTER_SIGNUP_CHECKING, &CGameApp::OnEnterSignUpChecking },
        { GR_ENTER_SIGNUP_REJECTED, &CGameApp::OnEnterSignUpRejected },
        { GR_ENTER_MATCH_LATE, &CGameApp::OnEnterMatchLate },
    };
    if (answer.code == GR_ENTER_OK)
        return app.ApplyMatchPlayerInfo(reply);
    if (answer.code == GR_SERVER_MESSAGE_BOX) {
        app.ShowTextAndQuit(std::string(reply.begin(), std::find(reply.begin(), reply.end(), uint8_t { 0 })));
        return true;
    }
    for (const auto& [code, forward] : FORWARDERS) {
        if (code == answer.code) {
            (app.*forward)(reply);
            return true;
        }
    }
    return false;
}

int CGameConnection::AskExit()
{
    std::string error;
    RequestAnswer answer;
    if (SendRequest(error, GR_ASK_EXIT, SeatBlock(SEAT_BLOCK_BYTES).Span(), answer, RequestWait::Yes) == 0)
        return 0;
    if (const std::optional<int32_t> options = answer.Word(0))
        GetApp().Records().Room().options = *options;
    return answer.code == GR_EXIT_ALLOWED ? 1 : 0;
}

int CGameConnection::Request201140(std::string& error)
{
    RequestAnswer answer;
    return SendRequest(error, GR_ID_201140, SeatBlock(SEAT_BLOCK_BYTES).Span(), answer, RequestWait::Yes);
}

int CGameConnection::Request201165Kind(std::string& error, uint32_t request_id)
{
    RequestAnswer answer;
    if (SendRequest(error, request_id, SeatBlock(SEAT_BLOCK_BYTES).Span(), answer, RequestWait::Yes) == 0)
        return 0;
    switch (answer.code) {
    case GR_STOP_COUNTDOWN:
        if (IMainGame* game = GetApp().Links().main_game)
            game->StopCountdown();
        return 1;
    case GR_SILVER_TOO_LITTLE:
        GetApp().CheckSilverTooLittle(answer.data);
        break;
    case GR_SILVER_TOO_MUCH:
        GetApp().CheckSilverTooMuch(answer.data);
        break;
    default:
        break;
    }
    return request_id == GR_ID_201302 ? 0 : 1;
}

int CGameConnection::Request201165(std::string& error)
{
    return Request201165Kind(error, GR_ID_201165);
}

int CGameConnection::Request201302(std::string& error)
{
    const CClientRecords& records = GetApp().Records();
    if (records.IsLookOn() || !records.HasRoomConfig02() || !records.HasRoomConfig80())
        return 0;
    return Request201165Kind(error, GR_ID_201302);
}

int CGameConnection::UserStart(std::string& error)
{
    RequestAnswer answer;
    return SendRequest(error, GR_USER_START, SeatBlock(SEAT_BLOCK_BYTES).Span(), answer, RequestWait::No);
}

int CGameConnection::Request201161(std::string& error)
{
    RequestAnswer answer;
    return SendRequest(error, GR_ID_201161, SeatBlock(SEAT_BLOCK_BYTES).Span(), answer, RequestWait::No);
}

int CGameConnection::LeaveRecord(uint32_t request_id, int32_t user_id, int32_t chair, std::string& error,
                                 RequestAnswer& answer, RequestWait wait)
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(LEAVE_RECORD_BYTES);
    body.Word(0, user_id).Word(1, records.GetRoomID()).Word(2, records.GetTableNO()).Word(3, chair);
    body.Word(4, user_id != records.GetUserID() ? 1 : 0).Word(5, records.GetTableNO());
    body.Word(6, records.GetChairNO()).Word(7, records.GetUserID()).Text(8 * 4, MachineId(), MACHINE_ID_BYTES);
    return SendRequest(error, request_id, body.Span(), answer, wait);
}

bool CGameConnection::LeaveTable(int32_t user_id, int32_t chair)
{
    std::string error;
    RequestAnswer answer;
    return LeaveRecord(GR_LEAVE_TABLE, user_id, chair, error, answer, RequestWait::No) != 0;
}

int CGameConnection::LeaveGame(std::string& error, int32_t user_id, int32_t chair)
{
    RequestAnswer answer;
    if (LeaveRecord(GR_LEAVE_GAME, user_id, chair, error, answer, RequestWait::Yes) == 0)
        return 0;
    if (answer.code == GR_LEAVE_KEEP_PLAYING) {
        error = "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)";
        return 1;
    }
    if (answer.code == GR_LEAVE_RANDOM_WAIT) {
        char text[128];
        std::snprintf(text, sizeof(text), "系统已经为您分配了随机桌位，\r\n\r\n必须再等 %d 秒钟才能离开。",
                      answer.Word(0).value_or(0));
        error = text;
        return 1;
    }
    return 0;
}

int CGameConnection::Request201210(const std::string& text)
{
    CRequestBody body = SeatBlock(TEXT_RECORD_BYTES);
    body.Text(4 * 4, MachineId(), MACHINE_ID_BYTES).Text(12 * 4, text, TEXT_RECORD_LIMIT);
    return SendWithoutWaiting(GR_ID_201210, body.Span());
}

int CGameConnection::SendChat(const std::string& line)
{
    CRequestBody body = SeatBlock(TEXT_RECORD_BYTES);
    body.Text(4 * 4, MachineId(), MACHINE_ID_BYTES).Text(12 * 4, line, TEXT_RECORD_LIMIT);
    return SendWithoutWaiting(GR_CHAT, body.Span());
}

int CGameConnection::CallPlayer(int32_t user_id)
{
    CRequestBody body = SeatBlock(40);
    body.Word(4, user_id).Word(5, GetApp().Records().GetUserChairNO(user_id));
    return SendWithoutWaiting(GR_CALL_PLAYER, body.Span());
}

int CGameConnection::Request201180(int32_t value)
{
    return SendWithoutWaiting(GR_ID_201180, SeatBlock(36).Word(4, value).Span());
}

int CGameConnection::Request201221()
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(32);
    body.Word(0, records.GetUserID()).Word(1, records.GetTableHeaderWord1()).Word(2, records.GetRoomID());
    body.Word(3, records.Room().room_value76);
    return SendWithoutWaiting(GR_ID_201221, body.Span());
}

void CGameConnection::ReportBadMessage(uint32_t message_id, std::span<const uint8_t> data,
                                       std::span<const int32_t, 4> previous)
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(128);
    body.Word(0, records.GetUserID()).Word(1, records.GetRoomID()).Word(2, records.GetTableNO());
    body.Word(3, records.GetTableNO()).Word(4, records.IsLookOn() ? 1 : 0).Word(5, static_cast<int32_t>(message_id));
    body.Word(6, BadMessageSubId(message_id, data)).Word(7, static_cast<int32_t>(data.size()));
    body.Word(8, static_cast<int32_t>(platform::GetTickCount()));
    for (size_t i = 0; i < previous.size(); ++i)
        body.Word(9 + i, previous[i]);
    (void)SendWithoutWaiting(GR_REPORT_BAD_MESSAGE, body.Span());
}

int CGameConnection::Request201230(int32_t value)
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(32);
    body.Word(0, records.GetRoomID()).Word(1, records.GetUserID()).Word(2, value);
    return SendWithoutWaiting(GR_ID_201230, body.Span());
}

int CGameConnection::MatchSignup()
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(56);
    body.Word(0, records.GetUserID()).Word(1, records.GetGameID()).Word(2, records.GetRoomID());
    return SendWithoutWaiting(GR_MATCH_SIGNUP, body.Span());
}

int CGameConnection::MatchWithdraw()
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(56);
    body.Word(0, records.GetUserID()).Word(1, records.GetGameID()).Word(2, records.GetRoomID());
    return SendWithoutWaiting(GR_MATCH_WITHDRAW, body.Span());
}

int CGameConnection::AskForcedExit(std::span<const uint8_t, 64> record)
{
    return SendWithoutWaiting(GR_ASK_FORCED_EXIT, SeatBlock(84).Bytes(20, record).Span());
}

int CGameConnection::AnswerExit(int32_t first, int32_t second)
{
    return SendWithoutWaiting(GR_ANSWER_EXIT, SeatBlock(40).Word(4, first).Word(5, second).Span());
}

int CGameConnection::SetCardView(int32_t first, int32_t second)
{
    return SendWithoutWaiting(GR_SET_CARD_VIEW, SeatBlock(40).Word(4, first).Word(5, second).Span());
}

int CGameConnection::ChangeTable(std::string& error)
{
    if (GetApp().Records().IsLookOn())
        return 0;
    RequestAnswer answer;
    if (SendRequest(error, GR_CHANGE_TABLE, SeatBlock(SEAT_BLOCK_BYTES).Span(), answer, RequestWait::Yes) == 0)
        return 0;
    if (answer.code == GR_CHANGE_TABLE_TOO_OFTEN)
        GetApp().ShowSystemMessage(" <z=qv系统通知> <c=255>您的换桌操作过于频繁，请稍等片刻!\r\n");
    return 1;
}

} // namespace client
