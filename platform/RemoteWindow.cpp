#include "platform/RemoteWindow.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/Path.h"
#include "platform/Tick.h"

namespace platform {

namespace {

constexpr int LISTEN_BACKLOG = 16;
constexpr int POLL_SLICE_MS = 50;
// A peer that connects but sends nothing holds the endpoint this long at most.
constexpr uint32_t PACKET_WAIT_MS = 1000;

std::mutex s_folder_mutex;
std::string s_folder_override;

class CSocketFd {
public:
    explicit CSocketFd(int fd) : m_fd(fd) {}
    ~CSocketFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CSocketFd(const CSocketFd&) = delete;
    CSocketFd& operator=(const CSocketFd&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

std::optional<sockaddr_un> MakeAddress(RemoteHandle handle)
{
    const std::string path = GetEndpointPath(handle);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// A connected socket to the endpoint, or -1.
int ConnectTo(RemoteHandle handle)
{
    const std::optional<sockaddr_un> address = MakeAddress(handle);
    if (!address)
        return -1;
    CSocketFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (fd.Get() < 0)
        return -1;
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0)
        return -1;
    return fd.Release();
}

bool WaitReadable(int fd, uint32_t timeout_ms)
{
    const uint32_t start = GetTickCount();
    for (;;) {
        const uint32_t elapsed = GetTickCount() - start;
        if (elapsed >= timeout_ms)
            return false;
        pollfd poll_fd { fd, POLLIN, 0 };
        const int ready = ::poll(&poll_fd, 1, static_cast<int>(timeout_ms - elapsed));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool SendPacket(int fd, const std::vector<uint8_t>& bytes)
{
    ssize_t sent;
    do {
        sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(bytes.size());
}

} // namespace

std::vector<uint8_t> EncodeRemotePacket(const RemotePacket& packet)
{
    std::vector<uint8_t> out(REMOTE_HEADER_BYTES + packet.data.size());
    CByteWriter writer(out);
    writer.WriteU32(REMOTE_PACKET_MAGIC);
    writer.WriteU32(static_cast<uint32_t>(packet.kind));
    writer.WriteU32(packet.message_id);
    writer.WriteU64(packet.wparam);
    writer.WriteU64(static_cast<uint64_t>(packet.lparam));
    writer.WriteU64(packet.copy_kind);
    writer.WriteU32(static_cast<uint32_t>(packet.data.size()));
    writer.WriteBytes(packet.data);
    return out;
}

std::optional<RemotePacket> ParseRemotePacket(std::span<const uint8_t> bytes)
{
    CByteReader in(bytes);
    const uint32_t magic = in.ReadU32();
    const uint32_t kind = in.ReadU32();
    RemotePacket packet;
    packet.message_id = in.ReadU32();
    packet.wparam = in.ReadU64();
    packet.lparam = static_cast<int64_t>(in.ReadU64());
    packet.copy_kind = in.ReadU64();
    const uint32_t size = in.ReadU32();
    if (!in.Ok() || magic != REMOTE_PACKET_MAGIC || size > REMOTE_MAX_DATA_BYTES || size != in.Remaining())
        return std::nullopt;
    if (kind == static_cast<uint32_t>(RemotePacketKind::Posted)) {
        // A posted WM_COPYDATA would carry a number where a record pointer belongs.
        if (size != 0 || packet.message_id == WM_COPYDATA)
            return std::nullopt;
        packet.kind = RemotePacketKind::Posted;
    } else if (kind == static_cast<uint32_t>(RemotePacketKind::CopyData)) {
        packet.kind = RemotePacketKind::CopyData;
        const std::span<const uint8_t> data = in.ReadBytes(size);
        packet.data.assign(data.begin(), data.end());
    } else {
        return std::nullopt;
    }
    return packet;
}

std::string GetEndpointFolder()
{
    std::string folder;
    {
        std::lock_guard lock(s_folder_mutex);
        folder = s_folder_override;
    }
    if (folder.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime != nullptr && runtime[0] == '/')
            folder = std::string(runtime) + "/pldk/";
        else
            folder = "/tmp/pldk-" + std::to_string(::getuid()) + "/";
    }
    if (folder.back() != '/')
        folder += '/';
    // Private to the user: other users cannot reach our windows.
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

void SetEndpointFolder(const std::string& os_folder)
{
    std::lock_guard lock(s_folder_mutex);
    s_folder_override = os_folder;
}

std::string GetEndpointPath(RemoteHandle handle)
{
    return GetEndpointFolder() + "window-" + std::to_string(handle) + ".sock";
}

RemoteHandle MakeProcessRemoteHandle(uint32_t slot)
{
    // Process ids stay below 2^22, so the slot in the top byte keeps the
    // numbers of different processes apart.
    return static_cast<RemoteHandle>(::getpid()) | (slot & 0xFF) << 24;
}

bool IsRemoteWindow(RemoteHandle handle)
{
    if (handle == 0)
        return false;
    CSocketFd fd(ConnectTo(handle));
    return fd.Get() >= 0;
}

bool PostRemoteMessage(RemoteHandle handle, uint32_t id, uint64_t wparam, int64_t lparam)
{
    if (handle == 0)
        return false;
    CSocketFd fd(ConnectTo(handle));
    if (fd.Get() < 0)
        return false;
    RemotePacket packet;
    packet.kind = RemotePacketKind::Posted;
    packet.message_id = id;
    packet.wparam = wparam;
    packet.lparam = lparam;
    return SendPacket(fd.Get(), EncodeRemotePacket(packet));
}

std::optional<int64_t> SendRemoteCopyData(RemoteHandle handle, uint64_t wparam, uint64_t kind,
                                          std::span<const uint8_t> data, uint32_t timeout_ms)
{
    if (handle == 0 || data.size() > REMOTE_MAX_DATA_BYTES)
        return std::nullopt;
    CSocketFd fd(ConnectTo(handle));
    if (fd.Get() < 0)
        return std::nullopt;
    RemotePacket packet;
    packet.kind = RemotePacketKind::CopyData;
    packet.message_id = WM_COPYDATA;
    packet.wparam = wparam;
    packet.copy_kind = kind;
    packet.data.assign(data.begin(), data.end());
    if (!SendPacket(fd.Get(), EncodeRemotePacket(packet)) || !WaitReadable(fd.Get(), timeout_ms))
        return std::nullopt;
    uint8_t answer[8] = {};
    if (::recv(fd.Get(), answer, sizeof(answer), 0) != static_cast<ssize_t>(sizeof(answer)))
        return std::nullopt;
    CByteReader in(answer);
    return static_cast<int64_t>(in.ReadU64());
}

std::unique_ptr<CRemoteWindowEndpoint> CRemoteWindowEndpoint::Open(RemoteHandle handle, WindowHandle target)
{
    return Open(handle, [target](Message& msg) -> intptr_t {
        if (msg.id != WM_COPYDATA) {
            // Only private messages, whose parameters are plain numbers.
            if (msg.id >= WM_USER)
                PostMessage(target, msg.id, msg.wparam, msg.lparam);
            return 0;
        }
        return TrySendMessage(target, WM_COPYDATA, msg.wparam, msg.lparam).value_or(0);
    });
}

std::unique_ptr<CRemoteWindowEndpoint> CRemoteWindowEndpoint::Open(RemoteHandle handle, WindowProc handler)
{
    const std::optional<sockaddr_un> address = MakeAddress(handle);
    if (handle == 0 || !address || !handler)
        return nullptr;
    // A file left by a program that ended without closing its endpoint is
    // taken over; one that somebody still listens on is not.
    if (IsRemoteWindow(handle))
        return nullptr;
    ::unlink(address->sun_path);
    CSocketFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (fd.Get() < 0 || ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0
        || ::listen(fd.Get(), LISTEN_BACKLOG) != 0)
        return nullptr;
    return std::unique_ptr<CRemoteWindowEndpoint>(
        new CRemoteWindowEndpoint(handle, std::move(handler), fd.Release(), address->sun_path));
}

CRemoteWindowEndpoint::CRemoteWindowEndpoint(RemoteHandle handle, WindowProc handler, int listen_fd,
                                             std::string path)
    : m_handle(handle), m_handler(std::move(handler)), m_listen_fd(listen_fd), m_path(std::move(path))
{
    m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
}

CRemoteWindowEndpoint::~CRemoteWindowEndpoint()
{
    m_thread.request_stop();
    if (m_thread.joinable())
        m_thread.join();
    ::unlink(m_path.c_str());
    ::close(m_listen_fd);
}

void CRemoteWindowEndpoint::Run(std::stop_token stop)
{
    // The stop request wakes the wait, which otherwise sleeps until a peer
    // connects (in slices only when no event descriptor could be had). The
    // callback runs on the thread that asks for the stop, possibly while this
    // one leaves the loop: the descriptor is declared first, so that it is
    // closed only after the callback's destruction has waited for a running
    // call to end.
    const CSocketFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    const int wake_fd = wake.Get();
    const std::stop_callback on_stop(stop, [wake_fd] {
        const uint64_t one = 1;
        if (wake_fd >= 0)
            (void)!::write(wake_fd, &one, sizeof one);
    });
    while (!stop.stop_requested()) {
        pollfd poll_fds[2] = { { m_listen_fd, POLLIN, 0 }, { wake_fd, POLLIN, 0 } };
        if (::poll(poll_fds, 2, wake_fd >= 0 ? -1 : POLL_SLICE_MS) <= 0 || (poll_fds[0].revents & POLLIN) == 0)
            continue;
        CSocketFd connection(::accept4(m_listen_fd, nullptr, nullptr, SOCK_CLOEXEC));
        if (connection.Get() >= 0)
            Serve(connection.Get());
    }
}

void CRemoteWindowEndpoint::Serve(int connection)
{
    if (!WaitReadable(connection, PACKET_WAIT_MS))
        return;
    std::vector<uint8_t> buffer(REMOTE_HEADER_BYTES + REMOTE_MAX_DATA_BYTES);
    msghdr header {};
    iovec vector { buffer.data(), buffer.size() };
    header.msg_iov = &vector;
    header.msg_iovlen = 1;
    const ssize_t received = ::recvmsg(connection, &header, MSG_DONTWAIT);
    if (received <= 0 || (header.msg_flags & MSG_TRUNC) != 0)
        return;
    std::optional<RemotePacket> packet =
        ParseRemotePacket(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(received)));
    if (!packet)
        return;
    Message msg;
    msg.id = packet->message_id;
    msg.wparam = static_cast<uintptr_t>(packet->wparam);
    msg.lparam = static_cast<intptr_t>(packet->lparam);
    if (packet->kind == RemotePacketKind::Posted) {
        m_handler(msg);
        return;
    }
    // A copy-data message: the record points into the packet, which lives
    // until the answer is sent.
    CopyDataRecord record;
    record.kind = static_cast<uintptr_t>(packet->copy_kind);
    record.size = static_cast<uint32_t>(packet->data.size());
    record.data = packet->data.empty() ? nullptr : packet->data.data();
    msg.id = WM_COPYDATA;
    msg.lparam = reinterpret_cast<intptr_t>(&record);
    const intptr_t answer = m_handler(msg);
    std::vector<uint8_t> reply(8);
    CByteWriter writer(reply);
    writer.WriteU64(static_cast<uint64_t>(answer));
    SendPacket(connection, reply);
}

} // namespace platform
