#pragma once
// CTimerSchedule: when a repeating window timer is next due. Its ticks keep
// their phase: every due time is the start plus a whole number of periods,
// whatever time handling takes or how long the timer sleeps.
//
// A timer may sleep (DeferTimer in Message.h): it then skips its ticks until
// the first phase point at or after the end of the sleep, unless its thread
// takes another message meanwhile; that wakes it, and its next tick is the
// first phase point after the wake, as if it had never slept.
//
// Owner: the message loop's timer record (a value). Thread: its queue's mutex.
// Pure arithmetic on the time points it is given, so tests drive it with any
// times they like.

#include <algorithm>
#include <condition_variable> // steady_clock and durations (<chrono> is out under GBK)

namespace platform {

class CTimerSchedule {
public:
    using Clock = std::chrono::steady_clock;
    using Duration = Clock::duration;

    /// First due one period after `start`; a period below 1 ms counts as 1 ms.
    CTimerSchedule(Duration period, Clock::time_point start)
        : m_period(std::max<Duration>(period, std::chrono::milliseconds(1))), m_due(start + m_period)
    {
    }

    [[nodiscard]] Clock::time_point Due() const { return m_due; }
    [[nodiscard]] Duration Period() const { return m_period; }
    [[nodiscard]] bool IsAsleep() const { return m_asleep; }

    /// Restarts with a new period, first due one period after `now`, awake.
    void Restart(Duration period, Clock::time_point now) { *this = CTimerSchedule(period, now); }

    /// True when a tick is due at `now`; it is then taken: ticks missed
    /// meanwhile are coalesced into it and the next is the first phase point
    /// after `now`. A sleeping timer wakes with the tick.
    bool Take(Clock::time_point now)
    {
        if (m_due > now)
            return false;
        m_due = FirstPointAfter(now);
        m_asleep = false;
        return true;
    }

    /// Skips the ticks until the first phase point at or after now + span.
    void Sleep(Clock::time_point now, Duration span)
    {
        const Clock::time_point until = now + std::max<Duration>(span, Duration::zero());
        if (until <= m_due)
            return; // no tick is skipped
        m_due = FirstPointAfter(until - Duration(1));
        m_asleep = true;
    }

    /// Something else happened on the thread at `now`: a sleeping timer is
    /// due again at the first phase point after `now` (or sooner, when its
    /// sleep ends before that).
    void Wake(Clock::time_point now)
    {
        if (!m_asleep)
            return;
        m_asleep = false;
        m_due = std::min(m_due, FirstPointAfter(now));
    }

private:
    /// The first phase point strictly after `when`.
    [[nodiscard]] Clock::time_point FirstPointAfter(Clock::time_point when) const
    {
        // Phase points are m_due + k * period for any whole k.
        if (when < m_due) {
            const auto back = (m_due - when - Duration(1)) / m_period; // whole periods still ahead of `when`
            return m_due - back * m_period;
        }
        return m_due + ((when - m_due) / m_period + 1) * m_period;
    }

    Duration m_period;
    Clock::time_point m_due;
    bool m_asleep { false };
};

} // namespace platform
