// CPendingTraffic: how many of one connection's received messages its owner
// has not let go yet (handled, or dropped unhandled), and their bytes. The
// socket worker stops reading while the owner is that far behind and reads
// on once it has caught up, so TCP's flow control holds a flooding server
// back instead of the owner's queue growing without bound.
// CPendingTicket: carried by each posted message; dropping it un-counts the
// message.
//
// Owner: shared (std::shared_ptr) by the socket client and every ticket, so a
// message that outlives its client or connection releases safely.
// Threads: Take and the tickets from any thread; PauseNeeded and ClearWake
// from the worker only. Counts are atomic; the wake descriptor (an eventfd)
// is signalled once per pause, when a release brings the counts down to the
// resume levels.
// Hazards: a receiver that keeps received payloads instead of handling them
// keeps the worker from reading once MAX_MESSAGES or MAX_BYTES are held;
// keep the records, not the payload, when a message must live on.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace net {

class CPendingTicket;

class CPendingTraffic : public std::enable_shared_from_this<CPendingTraffic> {
public:
    static constexpr uint32_t MAX_MESSAGES = 4096;          ///< reading stops above this many
    static constexpr uint64_t MAX_BYTES = 8u * 1024 * 1024; ///< or above this many bytes
    static constexpr uint32_t RESUME_MESSAGES = MAX_MESSAGES / 2; ///< and goes on at or below both
    static constexpr uint64_t RESUME_BYTES = MAX_BYTES / 2;

    CPendingTraffic();
    ~CPendingTraffic();
    CPendingTraffic(const CPendingTraffic&) = delete;
    CPendingTraffic& operator=(const CPendingTraffic&) = delete;

    /// False when the wake descriptor could not be made.
    [[nodiscard]] bool IsValid() const { return m_wake_fd >= 0; }
    /// Counts one message of `bytes`; the ticket un-counts it when dropped.
    [[nodiscard]] CPendingTicket Take(size_t bytes);

    /// Worker: true when reading must pause. Arms the wake-up, so call it
    /// right before waiting on GetWakeFd().
    [[nodiscard]] bool PauseNeeded();
    /// Worker: empties the wake descriptor after it fired.
    void ClearWake();
    [[nodiscard]] int GetWakeFd() const { return m_wake_fd; }

    [[nodiscard]] uint32_t GetMessages() const { return m_messages.load(); }
    [[nodiscard]] uint64_t GetBytes() const { return m_bytes.load(); }

private:
    friend class CPendingTicket;
    void Release(size_t bytes);
    [[nodiscard]] bool IsOverLimit() const;
    [[nodiscard]] bool IsAtResumeLevel() const;

    std::atomic<uint32_t> m_messages { 0 };
    std::atomic<uint64_t> m_bytes { 0 };
    bool m_paused { false };                 ///< worker only
    std::atomic<bool> m_wake_armed { false }; ///< a release at the resume levels signals once
    int m_wake_fd { -1 };
};

class CPendingTicket {
public:
    CPendingTicket() = default;
    CPendingTicket(std::shared_ptr<CPendingTraffic> traffic, size_t bytes)
        : m_traffic(std::move(traffic)), m_bytes(bytes)
    {
    }
    ~CPendingTicket() { Reset(); }
    CPendingTicket(CPendingTicket&& other) noexcept
        : m_traffic(std::move(other.m_traffic)), m_bytes(other.m_bytes)
    {
    }
    CPendingTicket& operator=(CPendingTicket&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_traffic = std::move(other.m_traffic);
            m_bytes = other.m_bytes;
        }
        return *this;
    }
    CPendingTicket(const CPendingTicket&) = delete;
    CPendingTicket& operator=(const CPendingTicket&) = delete;

    /// Un-counts the message now (once).
    void Reset()
    {
        if (m_traffic)
            m_traffic->Release(m_bytes);
        m_traffic.reset();
    }

private:
    std::shared_ptr<CPendingTraffic> m_traffic;
    size_t m_bytes { 0 };
};

} // namespace net
