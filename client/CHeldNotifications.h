#pragma once
// CHeldNotifications: the server messages the main window takes while one of
// the connection's requests waits for its answer, kept in arrival order until
// they are handed back (CGameConnection::HoldNotification).
//
// A held message lets go of its flow-control ticket (net/PendingTraffic.h) at
// once: the socket worker stops reading while its owner keeps that many
// messages unhandled, and a worker that stops reading never reads the answer
// the wait is for. The queue keeps bounds of its own instead, far above what
// an honest server sends during one wait (a request waits at most 30 s): past
// MAX_MESSAGES or MAX_BYTES the server is flooding, the queue is emptied and
// every later message but the socket's own events (closed, error) is dropped
// until Reset, so the lost-connection road still finds its event.
//
// Owner: the connection. Thread: UI thread only.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "platform/Message.h"

namespace client {

class CHeldNotifications {
public:
    static constexpr size_t MAX_MESSAGES = 16384;
    static constexpr size_t MAX_BYTES = 16u * 1024 * 1024;

    enum class Outcome : uint8_t {
        Held,       ///< queued, to be handed back in order
        Overflowed, ///< this message broke a bound: the queue was emptied
        Dropped,    ///< the queue overflowed before: freed at once
    };

    /// Takes the message (its payload moves in or is freed).
    Outcome Hold(platform::Message& msg);
    /// The oldest held message, nullopt when none.
    [[nodiscard]] std::optional<platform::Message> TakeFirst();
    [[nodiscard]] bool IsEmpty() const { return m_held.empty(); }
    [[nodiscard]] size_t GetCount() const { return m_held.size(); }
    [[nodiscard]] size_t GetBytes() const { return m_bytes; }
    [[nodiscard]] platform::WindowHandle GetFirstWindow() const { return m_held.front().window; }
    /// A bound was broken since the last Reset: all but the socket's events are dropped.
    [[nodiscard]] bool HasOverflowed() const { return m_overflowed; }
    /// A new connection: holding is allowed again (what is held stays).
    void Reset() { m_overflowed = false; }

private:
    std::deque<platform::Message> m_held;
    size_t m_bytes { 0 };
    bool m_overflowed { false };
};

} // namespace client
