#include "client/CGameConnection.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "client/AnswerCodes.h"
#include "client/CGameApp.h"
#include "client/CRefusalLog.h"
#include "client/RecordCodec.h"
#include "net/CommRecords.h"
#include "platform/ByteReader.h"
#include "net/NetLog.h"
#include "net/NetMessages.h"
#include "platform/Event.h"
#include "platform/Ini.h"
#include "platform/Message.h"
#include "platform/Text.h"
#include "platform/Tick.h"

namespace client {

namespace {

constexpr const char* PROXY_SECTION = "PROXY";
constexpr int DEFAULT_PROXY_PORT = 1080;
constexpr int DEFAULT_PROXY_TYPE = 3;
constexpr size_t PROXY_TEXT_MAX = 31;
constexpr uintptr_t TIMER_LOOK = 1;

// The connection's look timer, on the UI thread.
class CLookWindow final : public platform::CMessageWindow {
public:
    explicit CLookWindow(CGameConnection& connection) : m_connection(connection) {}
    ~CLookWindow() override { Destroy(); }

protected:
    intptr_t WindowProc(platform::Message& msg) override
    {
        if (msg.id == platform::WM_TIMER && msg.wparam == TIMER_LOOK)
            m_connection.LookAtServer(platform::GetTickCount());
        return 0;
    }

private:
    CGameConnection& m_connection;
};

} // namespace

std::optional<int32_t> RequestAnswer::Word(size_t index) const
{
    platform::CByteReader in(data);
    in.Skip(index > SIZE_MAX / 4 ? SIZE_MAX : index * 4);
    const int32_t word = in.ReadI32();
    if (!in.Ok())
        return std::nullopt;
    return word;
}

CRequestBody& CRequestBody::Word(size_t index, int32_t value)
{
    detail::StoreI32(m_bytes.data() + index * 4, value);
    return *this;
}

CRequestBody& CRequestBody::Text(size_t offset, const std::string& text, size_t limit)
{
    const std::string cut = platform::CutGbkText(text.c_str(), limit - 1);
    std::copy(cut.begin(), cut.end(), m_bytes.begin() + static_cast<ptrdiff_t>(offset));
    return *this;
}

CRequestBody& CRequestBody::Bytes(size_t offset, std::span<const uint8_t> bytes)
{
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<ptrdiff_t>(offset));
    return *this;
}

CGameConnection::CGameConnection(CGameApp& app)
    : net::CSocketClient(nullptr, 0, 0, 0, CRC_SETTING, PART_LIMIT), m_app(app)
{
}

CGameConnection::~CGameConnection()
{
    m_look_window.reset();
    Close();
}

void CGameConnection::SetCipherKey(std::span<const uint8_t> key_block)
{
    SetTransform(key_block.data(), 128, CIPHER_AES, 0);
}

void CGameConnection::LoadProxySettings(const std::string& ini_path)
{
    m_need_proxy = platform::GetProfileInt(PROXY_SECTION, "Need", 0, ini_path);
    m_proxy_port = platform::GetProfileInt(PROXY_SECTION, "Port", DEFAULT_PROXY_PORT, ini_path);
    m_proxy_type = platform::GetProfileInt(PROXY_SECTION, "Sock", DEFAULT_PROXY_TYPE, ini_path);
    m_proxy_host = platform::CutGbkText(platform::GetProfileString(PROXY_SECTION, "Host", "", ini_path), PROXY_TEXT_MAX);
    m_proxy_user = platform::CutGbkText(platform::GetProfileString(PROXY_SECTION, "User", "", ini_path), PROXY_TEXT_MAX);
    m_proxy_password =
        platform::CutGbkText(platform::GetProfileString(PROXY_SECTION, "pwd", "", ini_path), PROXY_TEXT_MAX);
}

bool CGameConnection::Connect(const std::string& name, const std::string& host, int32_t port, bool& proxy_failed)
{
    proxy_failed = false;
    Close();
    const auto* greeting = reinterpret_cast<const uint8_t*>(GAME_GREETING);
    const uint16_t port16 = static_cast<uint16_t>(port);
    int result = RESULT_FAILED;
    if (m_need_proxy == 0) {
        result = Create(host.c_str(), port16, CONNECT_TIMEOUT_S, platform::WindowHandle::None, m_notify_thread,
                        MODE_SEND_GREETING, greeting, sizeof(GAME_GREETING), GREETING_WAIT_MS);
    } else {
        if (m_proxy.ConnectViaProxy(host.c_str(), port16, m_proxy_type, m_proxy_host,
                                    static_cast<uint16_t>(m_proxy_port), m_proxy_user, m_proxy_password,
                                    CONNECT_TIMEOUT_S) == 0) {
            proxy_failed = true;
            return false;
        }
        result = Attach(m_proxy.DetachSocket(), platform::WindowHandle::None, m_notify_thread, MODE_SEND_GREETING,
                        greeting, sizeof(GAME_GREETING), GREETING_WAIT_MS, nullptr, 0);
    }
    if (result != RESULT_OK)
        return false;
    m_server_port = port;
    m_server_name = name;
    m_server_host = host;
    m_given_up = false;
    m_held.Reset();
    m_watch.Reset(platform::GetTickCount(), GetBytesReceived());
    if (!m_look_window) {
        auto window = std::make_unique<CLookWindow>(*this);
        if (window->Create() && platform::SetTimer(window->GetHandle(), TIMER_LOOK, CServerWatch::LOOK_PERIOD_MS) != 0)
            m_look_window = std::move(window);
    }
    return true;
}

void CGameConnection::Close()
{
    m_proxy.Close();
    net::CSocketClient::Close();
}

uint32_t CGameConnection::GetRequestTimeout(uint32_t request_id) const
{
    switch (request_id) {
    case GR_LOGON:
    case GR_ENTER_GAME:
    case GR_ID_214000:
    case GR_ID_214010:
        return 30;
    case GR_CHECK_VERSION:
        return 15;
    case GR_ASK_EXIT:
        return 5;
    default:
        return 10;
    }
}

void CGameConnection::GetErrorText(std::string& text, int32_t code) const
{
    client::GetErrorText(text, code);
}

int CGameConnection::SendRequest(std::string& error, uint32_t request_id, std::span<const uint8_t> data,
                                 RequestAnswer& answer, RequestWait wait)
{
    answer.data.clear();
    if (IsConnected() == 0 || m_given_up) {
        answer.code = GR_ERR_NOT_CONNECTED;
        error = TEXT_NOT_CONNECTED;
        return 0;
    }
    net::ConnRecord conn;
    conn.socket = GetSocket();
    conn.answer_wanted = wait == RequestWait::Yes ? 1 : 0;
    const uint32_t timeout_ms = GetRequestTimeout(request_id) * 1000;
    const uint32_t start = platform::GetTickCount();
    net::RequestRecord reply;
    int timed_out = 0;
    bool quit = false;
    if (SendAndWait(conn, net::RequestRecord::Make(request_id, data), reply, timed_out, timeout_ms, quit)
        != RESULT_OK) {
        if (quit || m_given_up) {
            // The connection ended under the wait: the lost connection tells it.
            answer.code = GR_ERR_NOT_CONNECTED;
            error = TEXT_NOT_CONNECTED;
        } else if (timed_out != 0) {
            answer.code = GR_ERR_TIMEOUT;
            error = TEXT_REQUEST_TIMEOUT;
            // A wait that a close ended is the lost connection's to tell.
            if (IsConnected() != 0)
                OnRequestTimedOut(request_id);
        } else {
            error = TEXT_SEND_FAILED;
        }
        return 0;
    }
    if (wait == RequestWait::No) {
        answer.code = 0;
        return 1;
    }
    m_watch.OnAnswer();
    const int64_t elapsed = platform::GetTickCount() - start;
    m_latency_total += elapsed;
    ++m_latency_count;
    m_latency_max = std::max<int32_t>(m_latency_max, static_cast<int32_t>(std::min<int64_t>(elapsed, INT32_MAX)));
    answer.code = static_cast<int32_t>(reply.id);
    const std::span<const uint8_t> body = reply.Data();
    answer.data.assign(body.begin(), body.end());
    if (answer.code == GR_ERR_SERVER_TEXT) {
        // The body is the text itself; it need not be terminated.
        error = std::string(answer.data.begin(), std::find(answer.data.begin(), answer.data.end(), uint8_t { 0 }));
        answer.data.clear();
        return 0;
    }
    GetErrorText(error, answer.code);
    return 1;
}

int CGameConnection::SendAndWait(const net::ConnRecord& conn, const net::RequestRecord& request,
                                 net::RequestRecord& reply, int& timed_out, uint32_t timeout_ms, bool& quit)
{
    quit = false;
    if (conn.answer_wanted == 0)
        return net::CSocketClient::SendRequest(conn, request, reply, timed_out, timeout_ms, 0, 0, 1);
    // The socket client's wait blocks its thread, so it waits on a helper
    // thread while this thread keeps handling its messages: the window stays
    // painted and its timers run, as in a modal loop. Server messages are
    // held meanwhile (HoldNotification).
    std::atomic<bool> done { false };
    int result = RESULT_FAILED;
    const platform::ThreadId waiter = platform::GetCurrentThreadId();
    ++m_wait_depth;
    std::jthread helper([&] {
        result = net::CSocketClient::SendRequest(conn, request, reply, timed_out, timeout_ms, 0, 0, 1);
        done = true;
        platform::PostThreadMessage(waiter, platform::WM_NULL);
    });
    if (platform::PumpMessagesUntil([&] { return done.load(); }, platform::WAIT_FOREVER)
        == platform::WaitOutcome::Quit) {
        // The program ends and nobody waits for the answer any more: the
        // close wakes the helper at once. The quit stays for the outer loop.
        quit = true;
        net::LogPrintf("request %u: the wait ended with the program", request.id);
        Close();
    }
    helper.join();
    --m_wait_depth;
    if (m_wait_depth == 0 && !m_held.IsEmpty())
        (void)platform::PostMessage(m_held.GetFirstWindow(), UM_RELEASE_NOTIFICATIONS);
    return quit ? RESULT_FAILED : result;
}

bool CGameConnection::HoldNotification(platform::Message& msg)
{
    // Past a flood the queue drops all but the socket's events until the
    // next connection, also once no request waits any more.
    if (m_wait_depth == 0 && m_held.IsEmpty() && !m_held.HasOverflowed())
        return false;
    const bool was_empty = m_held.IsEmpty();
    if (m_held.Hold(msg) == CHeldNotifications::Outcome::Overflowed)
        GiveUpOnServer("it flooded a request's wait");
    if (m_wait_depth == 0 && was_empty && !m_held.IsEmpty())
        (void)platform::PostMessage(m_held.GetFirstWindow(), UM_RELEASE_NOTIFICATIONS);
    return true;
}

void CGameConnection::ReleaseNotifications(const std::function<void(platform::Message&)>& deliver)
{
    // A handler that sends a request waits inside `deliver`: what arrives
    // meanwhile joins the end of the queue. Called during a wait (its
    // release was posted before the wait began), it leaves them all held;
    // the wait's end asks again.
    while (m_wait_depth == 0) {
        std::optional<platform::Message> msg = m_held.TakeFirst();
        if (!msg)
            break;
        deliver(*msg);
    }
}

bool CGameConnection::IsInRound() const
{
    return IsConnected() != 0 && m_app.IsPlaying();
}

void CGameConnection::OnRequestTimedOut(uint32_t request_id)
{
    net::LogPrintf("request %u got no answer within %u s", request_id, GetRequestTimeout(request_id));
    m_app.ShowSystemMessage(TEXT_TIMEOUT_LINE);
    if (m_watch.OnTimedOut(IsInRound()) == CServerWatch::Verdict::Gone)
        GiveUpOnServer("requests timed out in a row");
}

void CGameConnection::LookAtServer(uint32_t now)
{
    const IMainGame* game = m_app.Links().main_game;
    const std::optional<int32_t> turn_left = game != nullptr ? game->GetTurnSecondsLeft() : std::nullopt;
    if (m_watch.OnLook(now, GetBytesReceived(), IsInRound(), turn_left) == CServerWatch::Verdict::Gone)
        GiveUpOnServer("the server has been silent too long");
}

void CGameConnection::GiveUpOnServer(const char* reason)
{
    if (m_given_up)
        return;
    m_given_up = true;
    net::LogPrintf("the game server is given up: %s", reason);
    GiveUp();
}

void CGameConnection::OnRefused(const std::string& reason)
{
    CRefusalLog::Instance().RefuseUnread(reason);
}

int CGameConnection::SendWithoutWaiting(uint32_t request_id, std::span<const uint8_t> data)
{
    std::string error;
    RequestAnswer answer;
    return SendRequest(error, request_id, data, answer, RequestWait::No);
}

CRequestBody CGameConnection::SeatBlock(size_t bytes) const
{
    const CClientRecords& records = m_app.Records();
    CRequestBody body(bytes);
    body.Word(0, records.GetUserID()).Word(1, records.GetRoomID()).Word(2, records.GetTableNO());
    body.Word(3, records.GetChairNO());
    return body;
}

int CGameConnection::SendPulse()
{
    const auto capped = [](int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, LATENCY_CAP_MS)); };
    const int32_t average = m_latency_count > 0 ? capped(m_latency_total / m_latency_count) : 0;
    const int32_t largest = m_latency_count > 0 ? capped(m_latency_max) : 0;
    CRequestBody body(16);
    body.Word(0, m_app.Records().GetUserID()).Word(1, average).Word(2, largest);
    m_latency_total = 0;
    m_latency_count = 0;
    m_latency_max = 0;
    return SendWithoutWaiting(GR_PULSE, body.Span());
}

} // namespace client
