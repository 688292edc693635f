// CServerChannel: the server's side of the client's protocol on a loopback
// port, for the network tests and the stand-in game server (peers/). It
// takes one client at a time, reads its greeting block, joins its frames into
// messages (the same checks the client makes) and lets its owner answer them,
// send messages of its own, or send raw bytes.
// Owner: a test or the stand-in server. Threads: one server thread reads and
// calls on_message; any thread sends and waits (sends are serialised by a
// lock). Every wait has a deadline.
// Hazards: loopback only (127.0.0.1), never any other address.
#pragma once

#include "net/CommRecords.h"
#include "net/PacketFrame.h"
#include "net/PacketKeys.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace net {

/// A listening socket on 127.0.0.1 at `requested` (0: a free port the system
/// chooses), the port written to `port`; -1 when it cannot listen.
[[nodiscard]] int ListenOnLoopback(uint16_t requested, uint16_t& port, int backlog = 4);

struct ServerMessage {
    uint32_t serial { 0 };
    uint32_t answer_wanted { 0 };
    RequestRecord request;
};

class CServerChannel {
public:
    struct Options {
        size_t part_limit { MAX_PART_LIMIT };
        bool expect_greeting { true };      ///< the client sends a greeting block first
        std::vector<uint8_t> hello;         ///< raw bytes sent as soon as a client connects (if any)
        CodecSettings codec { PACKET_KEY, PACKET_KEY_BITS, 0x100, 0 };
        bool with_crc { true };
        uint16_t port { 0 };                ///< 0: a free port the system chooses
    };

    CServerChannel();
    explicit CServerChannel(Options options);
    ~CServerChannel();
    CServerChannel(const CServerChannel&) = delete;
    CServerChannel& operator=(const CServerChannel&) = delete;

    /// Listens on 127.0.0.1 on a free port and starts the server thread.
    [[nodiscard]] bool Start();
    void Stop();
    [[nodiscard]] uint16_t GetPort() const { return m_port; }

    /// Waits until a client is connected and greeted. With `nth` above 0 it
    /// must be at least the nth client accepted (an earlier one may not have
    /// been seen to leave yet).
    [[nodiscard]] bool WaitForClient(uint32_t timeout_ms, int nth = 0);
    /// The greeting block's bytes once it came (empty before).
    [[nodiscard]] std::vector<uint8_t> GetGreeting() const;
    [[nodiscard]] std::optional<ServerMessage> WaitForMessage(uint32_t timeout_ms);
    /// Frames the client sent that failed the checks.
    [[nodiscard]] int GetFrameErrors() const { return m_frame_errors.load(); }

    /// The frames of one message (kind 1) or answer (kind 2), ready to send.
    [[nodiscard]] std::vector<uint8_t> BuildFrames(uint32_t kind, uint32_t serial, uint32_t id,
                                                   std::span<const uint8_t> data, uint32_t answer_wanted = 0);
    bool SendAnswer(uint32_t serial, uint32_t id, std::span<const uint8_t> data);
    bool SendNotification(uint32_t id, std::span<const uint8_t> data);
    bool SendRaw(std::span<const uint8_t> bytes);
    /// Closes the client's connection (the client sees the peer close).
    void DisconnectClient();

    /// Called on the server thread for every message (after it is queued for
    /// WaitForMessage), for automatic replies.
    std::function<void(CServerChannel&, const ServerMessage&)> on_message;

private:
    void Run();
    void ServeClient(int client);

    Options m_options;
    int m_listen { -1 };
    int m_stop_fd { -1 };
    uint16_t m_port { 0 };
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_client { -1 };
    int m_clients_accepted { 0 };
    bool m_greeting_done { false };
    std::vector<uint8_t> m_greeting;
    std::deque<ServerMessage> m_messages;

    std::mutex m_send_mutex;
    uint32_t m_frame_sequence { 0 };
    uint32_t m_own_serial { 0 };
    std::atomic<int> m_frame_errors { 0 };
};

} // namespace net
