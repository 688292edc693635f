#pragma once
// An event object: manual-reset (stays signalled until Reset, releases every
// waiter) or auto-reset (releases one waiter and resets itself).
//
// Owner: whoever creates it; waiters must not outlive it. Threads: any.
// Hazards: a timed wait takes milliseconds; WAIT_FOREVER never returns unless set.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

inline constexpr uint32_t WAIT_FOREVER = 0xFFFFFFFFu;

enum class EventReset { Manual, Automatic };

class CEvent {
public:
    explicit CEvent(EventReset reset = EventReset::Automatic, bool initially_set = false)
        : m_manual(reset == EventReset::Manual), m_set(initially_set)
    {
    }
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set();
    void Reset();
    // True when the event was signalled within `timeout_ms` (0 = just test).
    [[nodiscard]] bool Wait(uint32_t timeout_ms = WAIT_FOREVER);
    [[nodiscard]] bool IsSet() const;

private:
    const bool m_manual;
    bool m_set;
    mutable std::mutex m_mutex;
    std::condition_variable m_condition;
};

} // namespace platform
