#pragma once
// The event pump of the SDL video thread: the thread's message loop waits
// through it, so SDL events and posted messages are both served without
// polling. Installed with the first CNativeWindow, removed with the last.
//
// Owner: Window.cpp (one per process; SDL video has a single thread).
// Threads: Pump/WaitForEvents on the SDL video thread; Wake on any thread.
// Hazards: Wake is coalesced, so posts from busy workers never fill SDL's queue.

#include <atomic>

#include "platform/EventPump.h"

namespace platform {

class CSdlEventPump final : public IEventPump {
public:
    // False when SDL's user event type cannot be registered.
    [[nodiscard]] bool Initialise();
    void Pump() override;
    void WaitForEvents(uint32_t timeout_ms) override;
    void Wake() override;

private:
    uint32_t m_wake_type { 0 };
    std::atomic<bool> m_wake_pending { false };
};

} // namespace platform
