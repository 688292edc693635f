#include "net/SocketClient.h"

#include "net/FrameAssembler.h"
#include "net/NetLog.h"
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
#include <cstdio>
#include <vector>

namespace net {

namespace {

std::atomic<uint32_t> s_cookie_counter { 0 };

constexpr uint32_t WORKER_READY_STEPS = 51;
constexpr uint32_t WORKER_READY_STEP_MS = 100;

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

} // namespace

CSocketClient::CInFlight::CInFlight(CSocketClient& client) : m_client(client)
{
    std::lock_guard guard(m_client.m_in_flight_lock);
    ++m_client.m_requests_in_flight;
}

CSocketClient::CInFlight::~CInFlight()
{
    std::lock_guard guard(m_client.m_in_flight_lock);
    if (--m_client.m_requests_in_flight == 0)
        m_client.m_in_flight_done.notify_all();
}

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
    m_pending = std::make_shared<CPendingTraffic>();
    if (m_stop_fd < 0 || !m_pending->IsValid()) {
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
    if (mode == MODE_WAIT_FIRST_BYTES && (!WaitPeerEvent(*peer, wait_timeout_ms) || peer->IsClosed())) {
        Close();
        return RESULT_FAILED;
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
    {
        std::unique_lock lock(m_in_flight_lock);
        m_in_flight_done.wait_for(lock, std::chrono::milliseconds(CLOSE_WAIT_MS),
                                  [this] { return m_requests_in_flight == 0; });
    }
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
    SetPeer(host, port, peer);
    return peer;
}

void CSocketClient::SetPeer(const char* host, uint16_t port, PeerPointer peer)
{
    std::lock_guard guard(m_lock);
    m_peers[PeerKey(host, port)] = std::move(peer);
}

CSocketClient::PeerPointer CSocketClient::FindPeer(const char* host, uint16_t port)
{
    if (host) {
        std::lock_guard guard(m_lock);
        const auto found = m_peers.find(PeerKey(host, port));
        if (found != m_peers.end())
            return found->second;
    }
    return GetFirstPeer();
}

CSocketClient::PeerPointer CSocketClient::GetFirstPeer()
{
    std::lock_guard guard(m_lock);
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

void CSocketClient::OnRefused(const std::string& reason) { LogPrintf("server message refused: %s", reason.c_str()); }

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
    const std::shared_ptr<CPendingTraffic> pending = m_pending;
    // Every way of stopping wakes the wait, so it sleeps until traffic comes.
    const std::stop_callback on_stop(stop, [this] { SignalFd(m_stop_fd); });
    bool reading = true;
    while (!stop.stop_requested() && !m_stopping.load()) {
        // While the owner is behind, the socket is left unread (TCP holds the
        // server back) and a release by the owner wakes the worker.
        const bool paused = reading && pending->PauseNeeded();
        pollfd fds[3] = { { m_stop_fd, POLLIN, 0 },
                          { reading && !paused ? m_socket.load() : -1, POLLIN, 0 },
                          { paused ? pending->GetWakeFd() : -1, POLLIN, 0 } };
        const int ready = poll(fds, 3, -1);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[0].revents)
            break;
        if (fds[2].revents)
            pending->ClearWake();
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR))
            reading = OnRead();
    }
}

bool CSocketClient::OnRead()
{
    m_read_passes.fetch_add(1);
    int socket_error = 0;
    switch (ReadAvailable(socket_error)) {
    case ReadOutcome::Drained:
    case ReadOutcome::Paused:
    case ReadOutcome::Stopped:
        return true;
    case ReadOutcome::EndOfStream:
        OnClose();
        return false;
    case ReadOutcome::SocketError:
    case ReadOutcome::BadFrame:
        // The stream cannot be followed any more: one event, no more reading.
        OnSocketError();
        return false;
    }
    return false;
}

CSocketClient::ReadOutcome CSocketClient::ReadAvailable(int& socket_error)
{
    const bool first_pass = m_read_passes.load() == 1;
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
    context.refuse = [this](const std::string& reason) { OnRefused(reason); };
    // A peer that sends without pause must not keep the worker from a Close,
    // nor from pausing when the owner falls behind.
    while (!m_stopping.load()) {
        if (m_pending->PauseNeeded())
            return ReadOutcome::Paused;
        const ssize_t got = Recv(socket, block);
        if (got == 0)
            return ReadOutcome::EndOfStream;
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return ReadOutcome::Drained;
            socket_error = errno;
            return ReadOutcome::SocketError;
        }
        m_bytes_received.fetch_add(uint64_t(got));
        const PeerPointer peer = GetFirstPeer();
        if (!peer || OnUnhandled(*peer, block.data(), size_t(got)))
            continue;
        // The first bytes after opening in MODE_WAIT_FIRST_BYTES are the
        // server's hello: they only release the opener. The pass ends with
        // them: the released opener may send at once, and the answer must be
        // read as a frame, not thrown away with the hello.
        if (first_pass && SignalPeerEvent(*peer)) {
            peer->m_receive_buffer.Discard(peer->m_receive_buffer.GetSize());
            return ReadOutcome::Drained;
        }
        peer->m_receive_buffer.Append(block.data(), size_t(got));
        if (!CFrameAssembler::ProcessReceiveBuffer(*peer, context, post))
            return ReadOutcome::BadFrame;
    }
    return ReadOutcome::Stopped;
}

ssize_t CSocketClient::Recv(int socket, std::span<uint8_t> block)
{
    for (;;) {
        const ssize_t got = recv(socket, block.data(), block.size(), MSG_DONTWAIT);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

void CSocketClient::OnClose()
{
    PostSocketEvent(COMM_EVENT_CLOSED);
    MarkPeersClosed();
}

void CSocketClient::OnSocketError()
{
    PostSocketEvent(COMM_EVENT_SOCKET_ERROR);
    MarkPeersClosed();
}

void CSocketClient::GiveUp()
{
    if (m_stopping.load())
        return;
    PostSocketEvent(COMM_EVENT_CLOSED);
    m_stopping.store(true);
    SignalFd(m_stop_fd);
    MarkPeersClosed();
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
    message->pending = m_pending->Take(message->CountedBytes());
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
    const CInFlight in_flight(*this);
    timed_out = 0;
    const PeerPointer peer = FindPeer(host, port);
    if (!peer || peer->IsClosed())
        return RESULT_FAILED;
    CodecSettings codec = GetCodec();
    if (cipher_flags != 0)
        codec.cipher_flags = cipher_flags;
    if (compression_flags != 0)
        codec.compression_flags = compression_flags;
    CByteBuffer parts;
    if (!WriteRequest(request, codec, parts))
        return RESULT_FAILED;

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

    // The state is looked at after every wake-up (which resets the event), so
    // an answer or a close signalled between a look and a reset is not lost.
    const uint32_t start = platform::GetTickCount();
    for (;;) {
        switch (GetAnswerState(*peer, serial, answer)) {
        case AnswerState::Answered:
            return RESULT_OK;
        case AnswerState::Ended:
            timed_out = 1;
            return RESULT_FAILED;
        case AnswerState::Waiting:
            break;
        }
        const uint32_t waited = platform::TicksBetween(start, platform::GetTickCount());
        const uint32_t remaining = waited >= wait_timeout_ms ? 0 : wait_timeout_ms - waited;
        if (!WaitPeerEvent(*peer, remaining)) {
            // One last look: the answer may have come with the time-out.
            if (GetAnswerState(*peer, serial, answer) == AnswerState::Answered)
                return RESULT_OK;
            timed_out = 1;
            return RESULT_FAILED;
        }
    }
}

bool CSocketClient::WriteRequest(const RequestRecord& request, const CodecSettings& codec, CByteBuffer& parts)
{
    CByteBuffer encoded;
    if (!EncodeMessage(request, codec, encoded))
        return false;
    SplitIntoParts(encoded, m_part_limit, parts);
    return true;
}

bool CSocketClient::WaitPeerEvent(CPeerRecord& peer, uint32_t timeout_ms)
{
    if (!peer.m_answer_event.Wait(timeout_ms))
        return false;
    peer.m_answer_event.Reset();
    return true;
}

CSocketClient::AnswerState CSocketClient::GetAnswerState(CPeerRecord& peer, uint32_t serial, RequestRecord& answer)
{
    if (peer.TakeAnswer(serial, answer))
        return AnswerState::Answered;
    if (peer.IsClosed() || m_stopping.load())
        return AnswerState::Ended;
    return AnswerState::Waiting;
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
        [this](std::span<const uint8_t> frame) { return SendFrame(frame); });
    return sent ? serial : 0;
}

bool CSocketClient::SendFrame(std::span<const uint8_t> frame) { return SendAll(frame) == frame.size(); }

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
