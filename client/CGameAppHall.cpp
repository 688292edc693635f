// The application's side of the hall: the command line, starting the hall or
// this program again, and the records and messages exchanged with the hall.
#include <cstdio>

#include "client/CGameApp.h"
#include "platform/ByteReader.h"
#include "client/CGameFrameWnd.h"
#include "client/ClientText.h"
#include "client/HallCommandLine.h"
#include "client/HallLaunchData.h"
#include "client/HallPaths.h"
#include "client/HallRecords.h"
#include "net/NetLog.h"
#include "platform/Cursor.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "platform/Process.h"
#include "platform/Window.h"

namespace client {

namespace {

constexpr uint32_t SIGN_WAIT_MS = 6000;
constexpr uint32_t LAUNCH_FAILURE_PAUSE_MS = 2000;
/// The slot of the endpoint that receives the hall's sign replies.
constexpr uint32_t SIGN_ENDPOINT_SLOT = 1;
/// Word 72 of a match room's launch data: the notice period in seconds.
constexpr size_t NOTICE_PERIOD_OFFSET = 72 * 4;

} // namespace

bool CGameApp::ParseHallCommandLine()
{
    if (IsStandAlone())
        return true;
    std::optional<HallLaunchFields> fields = client::ParseHallCommandLine(m_command_line);
    if (!fields) {
        const int answer = platform::ShowMessageBox(platform::WindowHandle::None,
                                                    "该程序必须从游戏大厅中启动,是否启动游戏大厅？\r\n\r\n(frame2.0)",
                                                    m_game_code, platform::MB_YESNO | platform::MB_ICONINFORMATION);
        if (answer == platform::IDYES)
            LaunchHall();
        return false;
    }
    m_records.Launch() = *fields;
    return true;
}

void CGameApp::LaunchHall()
{
    (void)platform::StartProcess(GetHallExePath(), {});
}

void CGameApp::Relaunch()
{
    m_records.Launch().restart_marker = 1;
    m_records.Launch().look_on = 0;
    (void)platform::StartProcess(platform::GetProgramPath(), { FormatHallCommandLine(m_records.Launch()) });
}

bool CGameApp::RunSelfWithArgs(const std::string& text)
{
    m_records.Launch().restart_marker = 1;
    m_records.Launch().look_on = 0;
    return platform::StartProcess(platform::GetProgramPath(), { text }).has_value();
}

platform::RemoteHandle CGameApp::GetHallWindow() const
{
    return static_cast<platform::RemoteHandle>(m_records.GetHallWnd());
}

bool CGameApp::IsHallWindowAlive() const
{
    return platform::IsRemoteWindow(GetHallWindow());
}

void CGameApp::NotifyHallStarted(platform::RemoteHandle window)
{
    if (m_links.comm_thread && m_main_window)
        platform::PostThreadMessage(m_links.comm_thread->GetThreadId(), UM_COMM_SET_TARGET,
                                    platform::HandleToParam(m_main_window->GetHandle()));
    if (IsStandAlone() || !IsHallWindowAlive())
        return;
    if (IsMatch())
        platform::PostRemoteMessage(GetHallWindow(), UM_HALL_MATCH_WINDOW, window, m_records.GetUserID());
    else
        platform::PostRemoteMessage(GetHallWindow(), UM_HALL_GAME_WINDOW, window, m_records.Launch().table_no);
}

void CGameApp::ReportStatusToHall(int32_t status)
{
    if (m_relaunch_on_exit || IsStandAlone() || !IsHallWindowAlive())
        return;
    HallStatusRecord record;
    record.status = status;
    record.user_id = m_records.GetUserID();
    record.table_no = m_records.Launch().table_no;
    record.chair = m_records.GetChairNO();
    record.version_value1 = m_version_value1;
    record.look_on = m_records.Launch().look_on;
    record.status_kind = m_hall_status_kind ? 1 : 0;
    record.game_id = m_records.GetGameID();
    record.version_value2 = m_version_value2;
    const uint32_t kind = m_hall_status_kind ? COPYDATA_STATUS_EX : COPYDATA_STATUS;
    (void)platform::SendRemoteCopyData(GetHallWindow(), static_cast<uint32_t>(status), kind, RecordBytes(record),
                                       HALL_SEND_TIMEOUT_MS);
}

bool CGameApp::AskHallOpenURL(const std::string& url, int32_t mode)
{
    if (!IsHallWindowAlive())
        return false;
    OpenUrlRecord record;
    record.window = m_main_window ? static_cast<int32_t>(m_main_window->GetRemoteHandle()) : 0;
    record.user_id = m_records.GetUserID();
    record.game_id = m_records.GetGameID();
    record.hall_value3 = m_records.Launch().hall_value3;
    record.mode = mode;
    (void)platform::SendRemoteCopyData(GetHallWindow(), static_cast<uint32_t>(record.window), COPYDATA_OPEN_URL,
                                       MakeOpenUrlPayload(record, url), HALL_SEND_TIMEOUT_MS);
    return true;
}

bool CGameApp::EnsureSignEndpoint()
{
    if (m_sign_endpoint)
        return true;
    m_sign_endpoint = platform::CRemoteWindowEndpoint::Open(
        platform::MakeProcessRemoteHandle(SIGN_ENDPOINT_SLOT), [this](platform::Message& msg) -> intptr_t {
            if (msg.id != platform::WM_COPYDATA)
                return 0;
            const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(msg.lparam);
            if (record->kind != COPYDATA_SIGN_REPLY)
                return 0;
            const auto* bytes = static_cast<const uint8_t*>(record->data);
            OnSignReply(DecipherCopyData(std::span<const uint8_t>(bytes, bytes ? record->size : 0)));
            return 1;
        });
    return m_sign_endpoint != nullptr;
}

std::string CGameApp::RequestHallSign()
{
    if (!IsHallWindowAlive() || !EnsureSignEndpoint())
        return {};
    auto answered = std::make_shared<platform::CEvent>(platform::EventReset::Manual);
    int32_t id = 0;
    {
        // The id is known to the list before the hall can answer it.
        std::lock_guard lock(m_sign_mutex);
        id = m_next_sign_id++;
        m_sign_requests.push_back(
            SignRequest { id, m_records.GetUserID(), {}, answered, platform::GetCurrentThreadId() });
    }
    if (!platform::PostRemoteMessage(GetHallWindow(), UM_HALL_SIGN_REQUEST, m_sign_endpoint->GetHandle(), id))
        return {};
    // The window stays painted while the hall is asked.
    if (platform::PumpMessagesUntil([&] { return answered->IsSet(); }, SIGN_WAIT_MS) != platform::WaitOutcome::Done)
        return {};
    std::lock_guard lock(m_sign_mutex);
    for (const SignRequest& request : m_sign_requests) {
        if (request.id == id)
            return request.token;
    }
    return {};
}

void CGameApp::OnSignReply(std::span<const uint8_t> payload)
{
    SignReplyRecord reply;
    if (!ReadRecord(payload, reply))
        return;
    std::lock_guard lock(m_sign_mutex);
    for (SignRequest& request : m_sign_requests) {
        if (request.id != reply.request_id)
            continue;
        if (reply.user_id == request.user_id)
            request.token = platform::CutGbkText(FieldText(reply.token), SignReplyRecord::TOKEN_MAX);
        request.answered->Set();
        platform::PostThreadMessage(request.waiter, platform::WM_NULL);
        return;
    }
    net::LogPrintf("sign reply for unknown request %d ignored", reply.request_id);
}

std::string CGameApp::GetSignParams(const std::string& url, bool with_sign)
{
    if (!with_sign)
        return url;
    const std::string token = RequestHallSign();
    char query[300];
    std::snprintf(query, sizeof(query), "uid=%d&sign=%s", m_records.GetUserID(), token.c_str());
    return AppendUrlQuery(url, query);
}

void CGameApp::OnHallCopyData(uint32_t kind, std::span<const uint8_t> payload)
{
    switch (kind) {
    case COPYDATA_LAUNCH:
        HandleLaunchData(payload);
        return;
    case COPYDATA_USER:
        if (const GameUserRecord* looker = AddLookerFromHall(m_records, payload); looker && m_links.frame_ui)
            m_links.frame_ui->NotifyLookerEnter(*looker);
        return;
    case COPYDATA_HALL_REQUEST:
        HandleHallRequest(payload);
        return;
    case COPYDATA_SHOW_USER:
        HandleShowUser(payload);
        return;
    case COPYDATA_SIGN_REPLY:
        OnSignReply(payload);
        return;
    case COPYDATA_IGNORED:
        return;
    default:
        net::LogPrintf("hall record of kind %u (%zu bytes) ignored", kind, payload.size());
        return;
    }
}

void CGameApp::HandleLaunchData(std::span<const uint8_t> payload)
{
    bool ok = false;
    if (IsMatch()) {
        platform::CByteReader in(payload);
        in.Skip(NOTICE_PERIOD_OFFSET);
        const int32_t notice_period = in.ReadI32();
        if (in.Ok() && m_main_window)
            m_main_window->StartNoticeTimer(notice_period);
        ok = InitMatchFromHall(payload);
    } else {
        ok = InitGameFromHall(payload);
    }
    if (ok) {
        PostToMainWindow(UM_GAME_INIT_DONE);
        return;
    }
    const char* text = IsMatch() ? "比赛程序初始化失败!" : "游戏程序初始化失败!";
    net::LogPrintf("%s", text);
    if (m_links.wait_dialog)
        m_links.wait_dialog->ShowText(text);
    Sleep(LAUNCH_FAILURE_PAUSE_MS);
    PostToMainWindow(platform::WM_CLOSE);
}

bool CGameApp::InitMatchFromHall(std::span<const uint8_t> payload)
{
    if (!ApplyMatchLaunchData(m_records, payload))
        return false;
    if (m_main_window && m_main_window->GetNativeWindow())
        m_main_window->GetNativeWindow()->SetTitle(m_records.GetMatchName());
    return true;
}

bool CGameApp::InitGameFromHall(std::span<const uint8_t> payload)
{
    return ApplyGameLaunchData(m_records, payload);
}

void CGameApp::HandleHallRequest(std::span<const uint8_t> payload)
{
    HallRequestRecord request;
    if (!m_main_window || !m_main_window->IsHallRequestOn() || !ReadRecord(payload, request))
        return;
    if (request.table_no != m_records.Launch().table_no || request.hall_window != static_cast<int32_t>(GetHallWindow()))
        return;
    if (!m_records.IsLookOn() && m_links.connection)
        m_links.connection->LeaveTable(request.user_id, request.chair);
    m_main_window->OnPlayerQuit(request.chair);
}

void CGameApp::HandleShowUser(std::span<const uint8_t> payload)
{
    GameUserRecord user;
    if (!m_links.frame_ui || !ReadRecord(payload, user))
        return;
    m_links.frame_ui->ShowPlayerDetailFull(payload);
    if (m_links.frame_ui->GetPlayerBoardSmallUser() == user.user_id)
        return;
    int x = 0;
    int y = 0;
    if (platform::GetCursorPos(x, y) && m_main_window) {
        int origin_x = 0;
        int origin_y = 0;
        if (platform::ClientToScreen(m_main_window->GetHandle(), origin_x, origin_y)) {
            x -= origin_x;
            y -= origin_y;
        }
    }
    m_links.frame_ui->ShowPlayerBoardSmall(user.user_id, x, y);
}

} // namespace client
