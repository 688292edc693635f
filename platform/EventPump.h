#pragma once
// A source of outside events (the SDL window system) that a thread's message
// loop pumps: while the loop waits it waits through the pump, and a post from
// another thread wakes the pump.
//
// Owner: the thread that installs it; it must stay alive until removed.
// Threads: Pump and WaitForEvents run on the owning thread; Wake on any thread.

#include <cstdint>

namespace platform {

class IEventPump {
public:
    virtual ~IEventPump() = default;
    // Turns pending outside events into posted messages. Must not block.
    virtual void Pump() = 0;
    // Blocks until an outside event or Wake(), at most timeout_ms.
    virtual void WaitForEvents(uint32_t timeout_ms) = 0;
    // Ends a WaitForEvents early. Called from any thread.
    virtual void Wake() = 0;
};

// Installs (or with nullptr removes) the calling thread's pump.
void SetThreadEventPump(IEventPump* pump);

} // namespace platform
