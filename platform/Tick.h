#pragma once
// The 32-bit millisecond tick of the whole client, and the clock objects that
// let code take the tick from a test instead of the system.
//
// Owner: none (free functions and small value classes).
// Threads: every function and clock here may be called from any thread.
// Hazards: the tick wraps after about 49.7 days. Never compare two ticks with
// `<`; take the unsigned difference (`TicksBetween`, `HasElapsed`).

#include <atomic>
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start (CLOCK_MONOTONIC), cut to 32 bits.
[[nodiscard]] uint32_t GetTickCount();

// Milliseconds from `start` to `now`, correct across one wrap of the tick.
[[nodiscard]] constexpr uint32_t TicksBetween(uint32_t start, uint32_t now)
{
    return now - start;
}

// True when at least `span` milliseconds have passed from `start` to `now`.
[[nodiscard]] constexpr bool HasElapsed(uint32_t start, uint32_t now, uint32_t span)
{
    return static_cast<uint32_t>(now - start) >= span;
}

// A source of the tick. Code that keeps time takes an IClock& so that tests
// can drive it with a CManualClock.
class IClock {
public:
    virtual ~IClock() = default;
    [[nodiscard]] virtual uint32_t GetTickCount() const = 0;
};

// The system tick (platform::GetTickCount).
class CSystemClock final : public IClock {
public:
    [[nodiscard]] uint32_t GetTickCount() const override;
    // The one shared instance, for code that has no clock handed to it.
    [[nodiscard]] static CSystemClock& Instance();
};

// A clock that moves only when told to. Safe to read from other threads while
// the test thread sets or advances it.
class CManualClock final : public IClock {
public:
    explicit CManualClock(uint32_t start = 0) : m_now(start) {}
    [[nodiscard]] uint32_t GetTickCount() const override { return m_now.load(); }
    void Set(uint32_t now) { m_now.store(now); }
    // Wraps past 0xFFFFFFFF like the real tick.
    void Advance(uint32_t milliseconds) { m_now.fetch_add(milliseconds); }

private:
    std::atomic<uint32_t> m_now;
};

} // namespace platform
