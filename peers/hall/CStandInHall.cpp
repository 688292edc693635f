#include "peers/hall/CStandInHall.h"
#include "peers/StandInSeats.h"

#include <csignal>
#include <vector>

#include "client/ClientText.h"
#include "client/HallCommandLine.h"
#include "client/HallRecords.h"
#include "client/RoomRecords.h"
#include "client/UserRecords.h"
#include "platform/Tick.h"

namespace peers {

namespace {

constexpr uintptr_t WATCH_TIMER = 1;
constexpr uint32_t WATCH_MS = 50;
constexpr int TIMED_OUT_EXIT = 3;

std::vector<uint8_t> MakeLaunchData(const HallOptions& options)
{
    client::GameRoomRecord room;
    room.room_id = 1;
    room.room_value3 = 3;
    client::CopyTextField(room.area_name, "本机大厅");
    client::CopyTextField(room.advert_host, options.server);
    client::CopyTextField(room.notice_host, options.server);
    client::CopyTextField(room.room_name, "本机房间");
    client::GameTableRecord table;
    table.table_no = options.table_no;
    table.player_count = std::clamp(options.players, 1, 4);

    std::vector<uint8_t> payload(client::GameRoomRecord::NORMAL_ROOM_BYTES + client::GameTableRecord::BYTES
                                 + static_cast<size_t>(table.player_count) * client::GameUserRecord::BYTES);
    std::array<uint8_t, client::GameRoomRecord::BYTES> room_bytes = client::RecordBytes(room);
    std::copy_n(room_bytes.begin(), client::GameRoomRecord::NORMAL_ROOM_BYTES, payload.begin());
    size_t at = client::GameRoomRecord::NORMAL_ROOM_BYTES;
    client::WriteRecord(table, std::span(payload).subspan(at));
    at += client::GameTableRecord::BYTES;
    // The player first, then the computer players the stand-in server seats.
    for (int32_t i = 0; i < table.player_count; ++i) {
        client::GameUserRecord user;
        const int32_t chair = (options.chair_no + i) % 4;
        user.user_id = SeatUserId(chair, options.chair_no, options.user_id);
        user.chair = chair;
        user.table_no = options.table_no;
        user.silver = 10000;
        client::CopyTextField(user.name, SeatName(chair, options.chair_no, user.user_id));
        client::WriteRecord(user, std::span(payload).subspan(at));
        at += client::GameUserRecord::BYTES;
    }
    return client::EncipherCopyData(payload);
}

} // namespace

std::atomic<bool> CStandInHall::s_close_requested { false };

CStandInHall::CStandInHall(HallOptions options, std::FILE* log) : m_options(std::move(options)), m_log(log) {}

CStandInHall::~CStandInHall()
{
    m_endpoint.reset();
    Destroy();
}

bool CStandInHall::Start()
{
    if (!Create())
        return false;
    const platform::RemoteHandle handle = platform::MakeProcessRemoteHandle();
    m_endpoint = platform::CRemoteWindowEndpoint::Open(handle, GetHandle());
    if (!m_endpoint) {
        m_log.Printf("endpoint %u could not be opened", handle);
        return false;
    }
    client::HallLaunchFields fields;
    fields.game_id = m_options.game_id;
    fields.server_ip = m_options.server;
    fields.hall_value3 = 3;
    fields.hall_window = handle;
    fields.hall_value5 = 5;
    fields.user_id = m_options.user_id;
    fields.table_no = m_options.table_no;
    fields.chair_no = m_options.chair_no;
    fields.game_name = "pldk";
    fields.server_port = m_options.port;
    const std::string command_line = client::FormatHallCommandLine(fields);
    m_log.Printf("hall %u starts %s %s", handle, m_options.client_path.c_str(), command_line.c_str());
    m_client = platform::StartProcess(m_options.client_path, { command_line });
    if (!m_client) {
        m_log.Printf("client could not be started");
        return false;
    }
    m_started_at = platform::GetTickCount();
    platform::SetTimer(GetHandle(), WATCH_TIMER, WATCH_MS);
    return true;
}

intptr_t CStandInHall::WindowProc(platform::Message& msg)
{
    switch (msg.id) {
    case client::UM_HALL_GAME_WINDOW:
        OnGameWindow(static_cast<platform::RemoteHandle>(msg.wparam), msg.lparam);
        return 0;
    case client::UM_HALL_MATCH_WINDOW:
        m_log.Printf("match-window %u user %ld", static_cast<unsigned>(msg.wparam), static_cast<long>(msg.lparam));
        return 0;
    case client::UM_HALL_SIGN_REQUEST:
        OnSignRequest(static_cast<platform::RemoteHandle>(msg.wparam), msg.lparam);
        return 0;
    case platform::WM_COPYDATA:
        return OnCopyData(msg.wparam, *reinterpret_cast<const platform::CopyDataRecord*>(msg.lparam));
    case platform::WM_TIMER:
        OnTimer();
        return 0;
    default:
        if (msg.id >= platform::WM_USER)
            m_log.Printf("message 0x%X %lu %ld", msg.id, static_cast<unsigned long>(msg.wparam), static_cast<long>(msg.lparam));
        return 0;
    }
}

void CStandInHall::OnGameWindow(platform::RemoteHandle window, int64_t table_no)
{
    m_log.Printf("game-window %u table %ld", window, static_cast<long>(table_no));
    const std::optional<int64_t> answer = platform::SendRemoteCopyData(
        window, platform::MakeProcessRemoteHandle(), client::COPYDATA_LAUNCH, MakeLaunchData(m_options),
        client::HALL_SEND_TIMEOUT_MS);
    m_log.Printf("launch %s", answer ? "delivered" : "not delivered");
}

void CStandInHall::OnSignRequest(platform::RemoteHandle reply_window, int64_t request_id)
{
    client::SignReplyRecord reply;
    reply.user_id = m_options.user_id;
    reply.request_id = static_cast<int32_t>(request_id);
    char token[64];
    std::snprintf(token, sizeof(token), "standin-%ld", static_cast<long>(request_id));
    client::CopyTextField(reply.token, token);
    const auto answer = platform::SendRemoteCopyData(reply_window, 0, client::COPYDATA_SIGN_REPLY,
                                                     client::EncipherCopyData(client::RecordBytes(reply)),
                                                     client::HALL_SEND_TIMEOUT_MS);
    m_log.Printf("sign %ld %s", static_cast<long>(request_id), answer ? "answered" : "not answered");
}

intptr_t CStandInHall::OnCopyData(uint64_t wparam, const platform::CopyDataRecord& record)
{
    const auto* bytes = static_cast<const uint8_t*>(record.data);
    const std::span<const uint8_t> payload(bytes, bytes ? record.size : 0);
    const uint32_t kind = static_cast<uint32_t>(record.kind);
    if (kind == client::COPYDATA_STATUS || kind == client::COPYDATA_STATUS_EX) {
        client::HallStatusRecord status;
        if (!client::ReadRecord(payload, status)) {
            m_log.Printf("status kind %u short (%zu bytes)", kind, payload.size());
            return 0;
        }
        m_log.Printf("status kind %u wparam %lu status %d user %d table %d chair %d game %d look-on %d version %d %d", kind,
            static_cast<unsigned long>(wparam), status.status, status.user_id, status.table_no, status.chair,
            status.game_id, status.look_on, status.version_value1, status.version_value2);
        return 1;
    }
    if (kind == client::COPYDATA_OPEN_URL) {
        client::OpenUrlRecord request;
        if (!client::ReadRecord(client::DecipherCopyData(payload), request)) {
            m_log.Printf("open-url short (%zu bytes)", payload.size());
            return 0;
        }
        m_log.Printf("open-url mode %d user %d %s", request.mode, request.user_id, client::FieldText(request.url).c_str());
        return 1;
    }
    m_log.Printf("copy-data kind %u (%zu bytes)", kind, payload.size());
    return 0;
}

void CStandInHall::OnTimer()
{
    if (!m_client)
        return;
    if (const std::optional<int> code = platform::WaitProcess(*m_client, 0)) {
        m_log.Printf("client-ended %d", *code);
        m_client.reset();
        m_exit_code = *code;
        platform::PostQuitMessage(*code);
        return;
    }
    const bool close_due = m_options.close_after_ms > 0
        && platform::GetTickCount() - m_started_at >= m_options.close_after_ms;
    if (m_endpoint && (close_due || s_close_requested)) {
        m_log.Printf("hall closes its window");
        m_endpoint.reset();
    }
    if (platform::GetTickCount() - m_started_at >= m_options.timeout_ms) {
        m_log.Printf("client did not end in time; stopping it");
        ::kill(*m_client, SIGTERM);
        (void)platform::WaitProcess(*m_client, 5000);
        m_client.reset();
        m_exit_code = TIMED_OUT_EXIT;
        platform::PostQuitMessage(TIMED_OUT_EXIT);
    }
}

} // namespace peers
