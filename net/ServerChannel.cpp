#include "net/ServerChannel.h"

#include "net/FrameAssembler.h"
#include "net/WireBytes.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace net {

namespace {

constexpr size_t MAX_GREETING = 65536;

} // namespace

int ListenOnLoopback(uint16_t requested, uint16_t& port, int backlog)
{
    port = 0;
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return -1;
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(requested);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, backlog) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

CServerChannel::CServerChannel() : CServerChannel(Options {}) {}

CServerChannel::CServerChannel(Options options) : m_options(std::move(options)) {}

CServerChannel::~CServerChannel() { Stop(); }

bool CServerChannel::Start()
{
    m_listen = ListenOnLoopback(m_options.port, m_port);
    m_stop_fd = eventfd(0, EFD_CLOEXEC);
    if (m_listen < 0 || m_stop_fd < 0)
        return false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CServerChannel::Stop()
{
    if (m_stop_fd >= 0) {
        const uint64_t one = 1;
        (void)!write(m_stop_fd, &one, sizeof one);
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int* fd : { &m_listen, &m_stop_fd }) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void CServerChannel::Run()
{
    for (;;) {
        pollfd fds[2] = { { m_listen, POLLIN, 0 }, { m_stop_fd, POLLIN, 0 } };
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        if (fds[0].revents & POLLIN) {
            const int client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0)
                ServeClient(client);
        }
    }
}

void CServerChannel::ServeClient(int client)
{
    {
        std::lock_guard guard(m_mutex);
        m_client = client;
        ++m_clients_accepted;
        m_greeting_done = !m_options.expect_greeting;
        m_greeting.clear();
    }
    m_changed.notify_all();
    if (!m_options.hello.empty())
        SendRaw(m_options.hello);

    CPeerRecord peer;
    CByteBuffer pending;
    CFrameAssembler::Context context;
    context.codec = m_options.codec;
    context.part_limit = m_options.part_limit;
    const CFrameAssembler::PostFunction post = [this](std::unique_ptr<CommMessage> message) {
        ServerMessage received;
        received.serial = message->conn.message_serial;
        received.answer_wanted = message->conn.answer_wanted;
        received.request = CopyRequestRecord(message->request);
        {
            std::lock_guard guard(m_mutex);
            m_messages.push_back(std::move(received));
        }
        m_changed.notify_all();
        if (on_message) {
            ServerMessage copy;
            copy.serial = message->conn.message_serial;
            copy.answer_wanted = message->conn.answer_wanted;
            copy.request = std::move(message->request);
            on_message(*this, copy);
        }
    };
    uint8_t block[4096];
    bool greeting_done = !m_options.expect_greeting;
    for (;;) {
        pollfd fds[2] = { { client, POLLIN, 0 }, { m_stop_fd, POLLIN, 0 } };
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        const ssize_t got = recv(client, block, sizeof block, 0);
        if (got <= 0)
            break;
        if (!greeting_done) {
            pending.Append(block, size_t(got));
            if (pending.GetSize() < 4)
                continue;
            const uint32_t length = LoadU32LE(pending.GetAt(0));
            if (length > MAX_GREETING)
                break;
            if (pending.GetSize() < 4 + size_t(length))
                continue;
            {
                std::lock_guard guard(m_mutex);
                m_greeting.assign(pending.GetAt(4), pending.GetAt(4) + length);
                m_greeting_done = true;
            }
            m_changed.notify_all();
            greeting_done = true;
            pending.Discard(4 + size_t(length));
            peer.m_receive_buffer.Append(pending.GetAt(0), pending.GetSize());
        } else {
            peer.m_receive_buffer.Append(block, size_t(got));
        }
        if (!CFrameAssembler::ProcessReceiveBuffer(peer, context, post))
            m_frame_errors.fetch_add(1);
    }
    {
        std::lock_guard guard(m_mutex);
        std::lock_guard send_guard(m_send_mutex);
        m_client = -1;
        ::close(client);
    }
    m_changed.notify_all();
}

bool CServerChannel::WaitForClient(uint32_t timeout_ms, int nth)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this, nth] {
        return m_client >= 0 && m_greeting_done && m_clients_accepted >= nth;
    });
}

std::vector<uint8_t> CServerChannel::GetGreeting() const
{
    std::lock_guard guard(m_mutex);
    return m_greeting;
}

std::optional<ServerMessage> CServerChannel::WaitForMessage(uint32_t timeout_ms)
{
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return !m_messages.empty(); }))
        return std::nullopt;
    ServerMessage message = std::move(m_messages.front());
    m_messages.pop_front();
    return message;
}

std::vector<uint8_t> CServerChannel::BuildFrames(uint32_t kind, uint32_t serial, uint32_t id,
                                                  std::span<const uint8_t> data, uint32_t answer_wanted)
{
    const RequestRecord record = RequestRecord::Make(id, data);
    CByteBuffer encoded;
    if (!EncodeMessage(record, m_options.codec, encoded))
        return {};
    CByteBuffer parts;
    SplitIntoParts(encoded, m_options.part_limit, parts);
    PacketHeader header;
    header.kind = kind;
    header.message_serial = serial;
    header.answer_wanted = answer_wanted;
    std::vector<uint8_t> frames;
    std::lock_guard guard(m_send_mutex);
    const bool framed = FrameParts(
        parts.Bytes(), header, m_options.with_crc, [this] { return ++m_frame_sequence; },
        [&frames](std::span<const uint8_t> frame) {
            frames.insert(frames.end(), frame.begin(), frame.end());
            return true;
        });
    return framed ? frames : std::vector<uint8_t> {};
}

bool CServerChannel::SendAnswer(uint32_t serial, uint32_t id, std::span<const uint8_t> data)
{
    return SendRaw(BuildFrames(FRAME_KIND_ANSWER, serial, id, data));
}

bool CServerChannel::SendNotification(uint32_t id, std::span<const uint8_t> data)
{
    uint32_t serial;
    {
        std::lock_guard guard(m_send_mutex);
        serial = ++m_own_serial;
    }
    return SendRaw(BuildFrames(FRAME_KIND_MESSAGE, serial, id, data));
}

bool CServerChannel::SendRaw(std::span<const uint8_t> bytes)
{
    std::lock_guard guard(m_send_mutex);
    int client;
    {
        // m_client is only written with both locks held.
        client = m_client;
    }
    if (client < 0)
        return false;
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return false;
        }
        sent += size_t(n);
    }
    return true;
}

void CServerChannel::DisconnectClient()
{
    std::lock_guard guard(m_send_mutex);
    if (m_client >= 0)
        shutdown(m_client, SHUT_RDWR);
}

} // namespace net
