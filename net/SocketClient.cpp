#include "net/SocketClient.h"

#include "net/FrameAssembler.h"
#include "net/NetMessages.h"
#include "net/SocketAddress.h"
#include "net/WireBytes.h"

#include "platform/Tick.h"

#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cstdio>
#include <vector>

namespace net {

namespace {

std::atomic<uint32_t> s_cookie_counter { 0 };

constexpr uint32_t WORKER_READY_STEPS = 51;
constexpr uint32_t WORKER_READY_STEP_MS = 100;
constexpr uint32_t WORKER_POLL_MS = 100;
constexpr int CLOSE_WAIT_STEPS = 30;

void SleepMilliseconds(uint32_t milliseconds)
{
    timespec span { time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L };
    while (nanosleep(&span, &span) != 0 && errno == EINTR) {
    }
}

void SignalFd(int fd)
{
    if (fd >= 0) {
        const uint64_t one = 1;
        (void)!write(fd, &one, sizeof one);
    }
}

std::string PeerKey(const char* host, uint16_t port)
{
    char key[300];
    std::snprintf(key, sizeof key, "%s:%d", host ? host : "", int(port));
    return key;
}

// Counts a request in flight for as long as it lives.
class CInFlight {
public:
    explicit CInFlight(std::atomic<int>& counter) : m_counter(counter) { m_counter.fetch_add(1); }
    ~CInFlight() { m_counter.fetch_sub(1); }
    CInFlight(const CInFlight&) = delete;
    CInFlight& operator=(const CInFlight&) = delete;

private:
    std::atomic<int>& m_counter;
};

} // namespace

uint32_t NextConnectionCookie()
{
    uint32_t cookie = s_cookie_counter.fetch_add(1) + 1;
    if (cookie == 0)
        cookie = s_cookie_counter.fetch_add(1) + 1;
    return cookie;
}

CSocketClient::CSocketClient(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags, uint32_t compression_flags,
                             uint32_t crc_setting, uint32_t part_limit)
    : m_key(key)
    , m_key_bits(key_bits)
    , m_cipher_flags(cipher_flags)
    , m_compression_flags(compression_flags)
    , m_crc_setting(crc_setting)
    , m_part_limit(std::clamp<size_t>(part_limit, 1, MAX_PART_LIMIT))
{
}

CSocketClient::~CSocketClient() { Close(); }

int CSocketClient::SetTransform(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags,
                                uint32_t compression_flags)
{
    std::lock_guard guard(m_lock);
    m_key = key;
    m_key_bits = key_bits;
    m_cipher_flags = cipher_flags;
    m_compression_flags = compression_flags;
    return RESULT_OK;
}

CodecSettings CSocketClient::GetCodec() const
{
    std::lock_guard guard(m_lock);
    return { m_key, m_key_bits, m_cipher_flags, m_compression_flags };
}

int CSocketClient::Create(const char* host, uint16_t port, uint32_t connect_timeout_s,
                          platform::WindowHandle owner_window, platform::ThreadId owner_thread, uint32_t mode,
                          const uint8_t* greeting, uint32_t greeting_length, uint32_t wait_timeout_ms)
{
    Close();
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0)
        return RESULT_FAILED;
    return Open(socket, owner_window, owner_thread, mode, greeting, greeting_length, wait_timeout_ms, host, port,
                connect_timeout_s, false);
}

int CSocketClient::Attach(int socket, platform::WindowHandle owner_window, platform::ThreadId owner_thread,
                          uint32_t mode, const uint8_t* greeting, uint32_t greeting_length, uint32_t wait_timeout_ms,
                          const char* host, uint16_t port)
{
    Close();
    if (socket < 0)
        return RESULT_FAILED;
    return Open(socket, owner_window, owner_thread, mode, greeting, greeting_length, wait_timeout_ms, host, port, 0,
                true);
}

int CSocketClient::Open(int socket, platform::WindowHandle owner_window, platform::ThreadId owner_thread,
                        uint32_t mode, const uint8_t* greeting, uint32_t greeting_length, uint32_t wait_timeout_ms,
                        const char* host, uint16_t port, uint32_t connect_timeout_s, bool already_connected)
{
    m_mode = mode;
    m_owner_window = owner_window;
    m_owner_thread = owner_thread;
    m_stopping.store(false);
    m_ready_event.Reset();
    m_stop_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_socket.store(socket);
    m_cookie.store(NextConnectionCookie());
    if (m_stop_fd < 0) {
        Close();
        return RESULT_FAILED;
    }
    if (!already_connected && !Connect(host, port, connect_timeout_s)) {
        Close();
        return RESULT_FAILED;
    }
    if (!SetNonBlocking(socket)) {
        Close();
        return RESULT_FAILED;
    }
    const PeerPointer peer = AddPeer(host, port);
    if (mode == MODE_SEND_GREETING && !SendRawBlock(greeting, greeting_length)) {
        Close();
        return RESULT_FAILED;
    }
    try {
        m_worker = std::jthread([this](std::stop_token stop) { WorkerLoop(stop); });
    } catch (...) {
        Close();
        return RESULT_FAILED;
    }
    if (!WaitWorkerReady()) {
        Close();
        return RESULT_FAILED;
    }
    if (mode == MODE_WAIT_FIRST_BYTES) {
        if (!peer->m_answer_event.Wait(wait_timeout_ms) || peer->IsClosed()) {
            Close();
            return RESULT_FAILED;
        }
        peer->m_answer_event.Reset();
    }
    return RESULT_OK;
}

bool CSocketClient::Connect(const char* host, uint16_t port, uint32_t timeout_s)
{
    sockaddr_in address {};
    if (!ResolveAddress(host, port, address))
        return false;
    return ConnectWithTimeout(m_socket.load(), address, timeout_s * 1000, m_stop_fd);
}

bool CSocketClient::WaitWorkerReady()
{
    // The worker sets the ready event as its first act; a stop ends the wait.
    for (uint32_t step = 0; step < WORKER_READY_STEPS; ++step) {
        if (m_ready_event.Wait(WORKER_READY_STEP_MS))
            return true;
        if (m_stopping.load())
            return false;
    }
    return false;
}

int CSocketClient::Close()
{
    m_stopping.store(true);
    SignalFd(m_stop_fd);
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_worker.join();
    }
    {
        std::lock_guard guard(m_send_lock);
        const int socket = m_socket.exchange(-1);
        if (socket >= 0)
            ::close(socket);
    }
    m_cookie.store(0);
    m_bytes_received.store(0);
    m_read_passes.store(0);
    MarkPeersClosed();
    for (int step = 0; step < CLOSE_WAIT_STEPS && m_requests_in_flight.load() > 0; ++step)
        SleepMilliseconds(100);
    RemoveAllPeers();
    std::lock_guard guard(m_send_lock);
    if (m_stop_fd >= 0) {
        ::close(m_stop_fd);
        m_stop_fd = -1;
    }
    return RESULT_OK;
}

int CSocketClient::IsConnected() const
{
    const int socket = m_socket.load();
    if (socket < 0)
        return 0;
    tcp_info info {};
    socklen_t length = sizeof info;
    if (getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return 0;
    return info.tcpi_state == TCP_ESTABLISHED ? 1 : 0;
}

CSocketClient::PeerPointer CSocketClient::AddPeer(const char* host, uint16_t port)
{
    auto peer = std::make_shared<CPeerRecord>();
    std::lock_guard guard(m_lock);
    m_peers[PeerKey(host, port)] = peer;
    return peer;
}

CSocketClient::PeerPointer CSocketClient::FindPeer(const char* host, uint16_t port)
{
    std::lock_guard guard(m_lock);
    if (host) {
        const auto found = m_peers.find(PeerKey(host, port));
        if (found != m_peers.end())
            return found->second;
    }
    return m_peers.empty() ? nullptr : m_peers.begin()->second;
}

void CSocketClient::MarkPeersClosed()
{
    std::lock_guard guard(m_lock);
    for (auto& [key, peer] : m_peers)
        peer->MarkClosed();
}

void CSocketClient::RemoveAllPeers()
{
    std::lock_guard guard(m_lock);
    m_peers.clear();
}

int CSocketClient::OnUnhandled(CPeerRecord&, const uint8_t*, size_t) { return 0; }

int CSocketClient::SignalPeerEvent(CPeerRecord& peer)
{
    if (m_mode != MODE_WAIT_FIRST_BYTES)
        return 0;
    peer.m_answer_event.Set();
    return 1;
}

void CSocketClient::WorkerLoop(std::stop_token stop)
{
    m_ready_event.Set();
    bool reading = true;
    while (!stop.stop_requested() && !m_stopping.load()) {
        pollfd fds[2] = { { m_stop_fd, POLLIN, 0 }, { reading ? m_socket.load() : -1, POLLIN, 0 } };
        const int ready = poll(fds, 2, int(WORKER_POLL_MS));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[0].revents)
            break;
        if (!reading || !(fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        bool end_of_stream = false;
        int socket_error = 0;
        if (!OnRead(end_of_stream, socket_error))
            PostSocketEvent(COMM_EVENT_SOCKET_ERROR);
        if (socket_error != 0) {
            PostSocketEvent(COMM_EVENT_SOCKET_ERROR);
            reading = false;
        } else if (end_of_stream) {
            PostSocketEvent(COMM_EVENT_CLOSED);
            reading = false;
        }
    }
}

bool CSocketClient::OnRead(bool& end_of_stream, int& socket_error)
{
    const uint32_t pass = m_read_passes.fetch_add(1) + 1;
    const int socket = m_socket.load();
    std::vector<uint8_t> block(std::max<size_t>(GetRecvChunkSize(), 1));
    CFrameAssembler::Context context;
    context.codec = GetCodec();
    context.part_limit = m_part_limit;
    context.socket = socket;
    context.cookie = m_cookie.load();
    const CFrameAssembler::PostFunction post = [this](std::unique_ptr<CommMessage> message) {
        PostIncoming(std::move(message));
    };
    // A peer that sends without pause must not keep the worker from a Close.
    while (!m_stopping.load()) {
        const ssize_t got = recv(socket, block.data(), block.size(), MSG_DONTWAIT);
        if (got == 0) {
            end_of_stream = true;
            return true;
        }
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                socket_error = errno;
            return true;
        }
        m_bytes_received.fetch_add(uint64_t(got));
        const PeerPointer peer = FindPeer(nullptr, 0);
        if (!peer || OnUnhandled(*peer, block.data(), size_t(got)))
            continue;
        // The first bytes after opening in MODE_WAIT_FIRST_BYTES are the
        // server's hello: they only release the opener. The pass ends with
        // them: the released opener may send at once, and the answer must be
        // read as a frame, not thrown away with the hello.
        if (pass == 1 && SignalPeerEvent(*peer)) {
            peer->m_receive_buffer.Discard(peer->m_receive_buffer.GetSize());
            return true;
        }
        peer->m_receive_buffer.Append(block.data(), size_t(got));
        if (!CFrameAssembler::ProcessReceiveBuffer(*peer, context, post))
            return false;
    }
    return true;
}

void CSocketClient::PostSocketEvent(uint32_t id)
{
    if (m_owner_window == platform::WindowHandle::None && m_owner_thread == 0)
        return;
    auto message = std::make_unique<CommMessage>();
    message->conn.socket = m_socket.load();
    message->conn.cookie = m_cookie.load();
    message->request.id = id;
    PostIncoming(std::move(message));
}

void CSocketClient::PostIncoming(std::unique_ptr<CommMessage> message)
{
    const auto conn = reinterpret_cast<uintptr_t>(&message->conn);
    const auto request = reinterpret_cast<intptr_t>(&message->request);
    if (m_owner_window != platform::WindowHandle::None)
        platform::PostMessage(m_owner_window, UM_COMM_MESSAGE, conn, request, std::move(message));
    else if (m_owner_thread != 0)
        platform::PostThreadMessage(m_owner_thread, UM_COMM_MESSAGE, conn, request, std::move(message));
    // Without an owner the records are freed here.
}

int CSocketClient::SendRequest(const ConnRecord& conn, const RequestRecord& request, RequestRecord& answer,
                               int& timed_out, uint32_t wait_timeout_ms, uint32_t cipher_flags,
                               uint32_t compression_flags, uint32_t crc_flag, const char* host, uint16_t port)
{
    const CInFlight in_flight(m_requests_in_flight);
    timed_out = 0;
    const PeerPointer peer = FindPeer(host, port);
    if (!peer || peer->IsClosed())
        return RESULT_FAILED;
    CodecSettings codec = GetCodec();
    if (cipher_flags != 0)
        codec.cipher_flags = cipher_flags;
    if (compression_flags != 0)
        codec.compression_flags = compression_flags;
    CByteBuffer encoded;
    if (!EncodeMessage(request, codec, encoded))
        return RESULT_FAILED;
    CByteBuffer parts;
    SplitIntoParts(encoded, m_part_limit, parts);

    const bool answer_wanted = conn.answer_wanted != 0;
    // Only a request that will wait clears the signal: a message sent without
    // waiting must not swallow the wake-up of a request that waits.
    if (answer_wanted)
        peer->m_answer_event.Reset();
    const uint32_t serial = SendMessage(*peer, parts, answer_wanted, crc_flag == 1 || m_crc_setting != 0);
    if (serial == 0)
        return RESULT_FAILED;
    if (!answer_wanted)
        return RESULT_OK;

    const uint32_t start = platform::GetTickCount();
    for (;;) {
        const uint32_t waited = platform::TicksBetween(start, platform::GetTickCount());
        const uint32_t remaining = waited >= wait_timeout_ms ? 0 : wait_timeout_ms - waited;
        if (!peer->m_answer_event.Wait(remaining) || peer->IsClosed() || m_stopping.load()) {
            timed_out = 1;
            return RESULT_FAILED;
        }
        if (peer->TakeAnswer(serial, answer))
            return RESULT_OK;
        // Woken by an answer to an older request: wait on for ours. Our
        // answer or a close that came between the wait and the reset is
        // looked for once more, as the reset may have cleared its signal.
        peer->m_answer_event.Reset();
        if (peer->TakeAnswer(serial, answer))
            return RESULT_OK;
        if (peer->IsClosed() || m_stopping.load()) {
            timed_out = 1;
            return RESULT_FAILED;
        }
    }
}

uint32_t CSocketClient::SendMessage(CPeerRecord& peer, CByteBuffer& parts, bool answer_wanted, bool with_crc)
{
    std::lock_guard guard(m_send_lock);
    if (peer.IsClosed() || m_socket.load() < 0 || !IsConnected())
        return 0;
    PacketHeader header;
    header.kind = FRAME_KIND_MESSAGE;
    header.answer_wanted = answer_wanted ? 1 : 0;
    uint32_t serial = peer.m_message_serial.fetch_add(1) + 1;
    if (serial == 0)
        serial = peer.m_message_serial.fetch_add(1) + 1;
    header.message_serial = serial;
    if (answer_wanted)
        peer.ExpectAnswer(serial);

    const bool sent = FrameParts(
        parts.Bytes(), header, with_crc, [&peer] { return peer.m_frame_sequence.fetch_add(1) + 1; },
        [this](std::span<const uint8_t> frame) { return SendAll(frame) == frame.size(); });
    return sent ? serial : 0;
}

bool CSocketClient::SendRawBlock(const uint8_t* bytes, uint32_t length)
{
    std::vector<uint8_t> block(4 + size_t(length));
    StoreU32LE(block.data(), length);
    if (length > 0 && bytes)
        std::copy(bytes, bytes + length, block.begin() + 4);
    std::lock_guard guard(m_send_lock);
    return SendAll(block) == block.size();
}

size_t CSocketClient::SendAll(std::span<const uint8_t> bytes)
{
    return SendWithWait(m_socket.load(), bytes, SEND_RETRY_WAIT_MS, m_stop_fd);
}

} // namespace net
