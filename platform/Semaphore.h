#pragma once
// A counting semaphore with a maximum count and timed waits.
//
// Owner: whoever creates it; waiters must not outlive it. Threads: any.

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/Event.h"

namespace platform {

class CSemaphore {
public:
    CSemaphore(uint32_t initial_count, uint32_t maximum_count);
    CSemaphore(const CSemaphore&) = delete;
    CSemaphore& operator=(const CSemaphore&) = delete;

    // Adds `count`. False (and nothing added) when that would pass the maximum.
    [[nodiscard]] bool Release(uint32_t count = 1);
    // Takes one unit, waiting up to `timeout_ms`. False on time-out.
    [[nodiscard]] bool Wait(uint32_t timeout_ms = WAIT_FOREVER);
    [[nodiscard]] uint32_t GetCount() const;

private:
    uint32_t m_count;
    const uint32_t m_maximum;
    mutable std::mutex m_mutex;
    std::condition_variable m_condition;
};

} // namespace platform
