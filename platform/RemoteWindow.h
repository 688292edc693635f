#pragma once
// Windows of other programs: the hall and the client know each other's main
// window by a number (the hall passes its number on the client's command
// line; the client tells the hall its own by a posted message). On this
// system such a number names a local endpoint: a Unix domain socket
// "window-<number>.sock" in the endpoint folder ($XDG_RUNTIME_DIR/pldk, or
// pldk-<uid> in the temporary folder; created private to the user). Posted
// messages and WM_COPYDATA records travel over it; a program that owns a
// remote window opens a CRemoteWindowEndpoint, which hands what arrives to a
// window of its own message system: posted private messages (WM_USER and
// above, whose parameters are plain numbers) are posted to it, and a
// copy-data record is sent to it (WM_COPYDATA, lparam a CopyDataRecord valid
// during the call) and its answer goes back to the sender.
//
// Wire layout of one packet (one SOCK_SEQPACKET packet per connection,
// little-endian): u32 magic "PLRW", u32 packet kind (1 posted, 2 copy-data),
// u32 message id, u64 wparam, i64 lparam, u64 copy-data kind, u32 data size,
// then exactly that many data bytes (copy-data only, at most
// REMOTE_MAX_DATA_BYTES). A copy-data packet is answered with the handler's
// result as one i64 packet.
//
// Owner: the endpoint object owns its socket, its file and its thread.
// Threads: the free functions may be called from any thread; the endpoint's
// worker thread only posts or sends to its target window.
// Hazards: packets come from other programs: ParseRemotePacket checks every
// length and kind before anything is used. A window that is gone is an
// endpoint nobody listens on: posting fails, sending answers std::nullopt.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/Message.h"

namespace platform {

// The number by which other programs know a window of ours.
using RemoteHandle = uint32_t;

inline constexpr uint32_t REMOTE_PACKET_MAGIC = 0x57524C50; // "PLRW"
inline constexpr size_t REMOTE_HEADER_BYTES = 40;
inline constexpr size_t REMOTE_MAX_DATA_BYTES = 256 * 1024;

enum class RemotePacketKind : uint32_t { Posted = 1, CopyData = 2 };

struct RemotePacket {
    RemotePacketKind kind { RemotePacketKind::Posted };
    uint32_t message_id { 0 };
    uint64_t wparam { 0 };
    int64_t lparam { 0 };
    uint64_t copy_kind { 0 };
    std::vector<uint8_t> data;
};

[[nodiscard]] std::vector<uint8_t> EncodeRemotePacket(const RemotePacket& packet);
// std::nullopt for a short packet, a wrong magic or kind, a data size that
// disagrees with the bytes given or exceeds the limit, or data on a posted message.
[[nodiscard]] std::optional<RemotePacket> ParseRemotePacket(std::span<const uint8_t> bytes);

// The folder of the endpoints (OS path, ending in '/'), created on first use.
[[nodiscard]] std::string GetEndpointFolder();
// Overrides the folder (tests); an empty text clears the override.
void SetEndpointFolder(const std::string& os_folder);
// The OS path of a remote window's endpoint.
[[nodiscard]] std::string GetEndpointPath(RemoteHandle handle);
// A number for one of this process's remote windows (slot 0 to 255) that no
// other running program uses.
[[nodiscard]] RemoteHandle MakeProcessRemoteHandle(uint32_t slot = 0);

// Whether some program listens on the endpoint of `handle` now.
[[nodiscard]] bool IsRemoteWindow(RemoteHandle handle);
// Posts a message to a remote window. False when it is not there.
bool PostRemoteMessage(RemoteHandle handle, uint32_t id, uint64_t wparam, int64_t lparam);
// Sends WM_COPYDATA (wparam, kind, data) and waits up to `timeout_ms` for the
// handler's answer; std::nullopt when the window is not there, the data is too
// large or no answer came in time.
[[nodiscard]] std::optional<int64_t> SendRemoteCopyData(RemoteHandle handle, uint64_t wparam, uint64_t kind,
                                                        std::span<const uint8_t> data, uint32_t timeout_ms);

class CRemoteWindowEndpoint {
public:
    // Listens on the endpoint of `handle` for `target`, a window of this
    // process. Null when the endpoint cannot be made (bad folder, name in
    // use by a running program).
    [[nodiscard]] static std::unique_ptr<CRemoteWindowEndpoint> Open(RemoteHandle handle, WindowHandle target);
    // As above, handing every message to `handler` on the endpoint's own
    // thread instead (for answers awaited while the UI thread is blocked).
    // Every posted id reaches it; WM_COPYDATA is always a copy-data message
    // with its CopyDataRecord in lparam (a posted WM_COPYDATA is refused).
    [[nodiscard]] static std::unique_ptr<CRemoteWindowEndpoint> Open(RemoteHandle handle, WindowProc handler);
    ~CRemoteWindowEndpoint();
    CRemoteWindowEndpoint(const CRemoteWindowEndpoint&) = delete;
    CRemoteWindowEndpoint& operator=(const CRemoteWindowEndpoint&) = delete;

    [[nodiscard]] RemoteHandle GetHandle() const { return m_handle; }

private:
    CRemoteWindowEndpoint(RemoteHandle handle, WindowProc handler, int listen_fd, std::string path);
    void Run(std::stop_token stop);
    void Serve(int connection);

    RemoteHandle m_handle;
    WindowProc m_handler;
    int m_listen_fd;
    std::string m_path;
    std::jthread m_thread;
};

} // namespace platform
