#pragma once
// CFrameClock: milliseconds since the engine started, read once per frame by
// GameCore and shared by all modules of that frame.
//
// Owner: GameCore (one per manager). Thread: UI thread.
// The time comes from an injected platform::IClock (the system tick in the
// program, a manual clock in tests). The 32-bit tick wraps after ~49.7 days;
// the difference to the start is taken unsigned, so the frame time keeps
// counting across the wrap.

#include <cstdint>

#include "platform/Tick.h"

namespace engine {

class CFrameClock {
public:
    explicit CFrameClock(const platform::IClock& clock) : m_clock(clock) {}
    virtual ~CFrameClock() = default;
    CFrameClock(const CFrameClock&) = delete;
    CFrameClock& operator=(const CFrameClock&) = delete;

    /// Starts the clock offset milliseconds in the past.
    void Start(uint32_t offset_ms);
    /// Milliseconds since the start.
    [[nodiscard]] virtual uint32_t Now();

private:
    const platform::IClock& m_clock;
    uint32_t m_start_tick { 0 };
};

} // namespace engine
