#pragma once
// Runs the calling thread's message loop with one timer and records when each
// WM_TIMER arrived, so that timer tests can judge rate and phase from the gaps
// between ticks instead of a tight count that a busy machine would break.

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Message.h"

namespace platform::testing {

struct TimerRun {
    std::vector<std::chrono::steady_clock::time_point> ticks; // arrival of each tick
    std::vector<std::chrono::steady_clock::time_point> ends;  // end of each tick's handling
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point stop;

    [[nodiscard]] size_t Count() const { return ticks.size(); }
    // Milliseconds from the end of handling tick i to the arrival of tick i + 1.
    [[nodiscard]] std::vector<double> IdleGaps() const
    {
        std::vector<double> gaps;
        for (size_t i = 0; i + 1 < ticks.size(); ++i)
            gaps.push_back(std::chrono::duration<double, std::milli>(ticks[i + 1] - ends[i]).count());
        return gaps;
    }
    // Milliseconds between the arrivals of consecutive ticks.
    [[nodiscard]] std::vector<double> Gaps() const
    {
        std::vector<double> gaps;
        for (size_t i = 0; i + 1 < ticks.size(); ++i)
            gaps.push_back(std::chrono::duration<double, std::milli>(ticks[i + 1] - ticks[i]).count());
        return gaps;
    }
    // Milliseconds from the last tick to the end of the run.
    [[nodiscard]] double QuietAtEnd() const
    {
        const auto last = ticks.empty() ? start : ticks.back();
        return std::chrono::duration<double, std::milli>(stop - last).count();
    }
    [[nodiscard]] double Length() const { return std::chrono::duration<double, std::milli>(stop - start).count(); }
};

// How many of `values` are below `limit`.
inline size_t CountBelow(const std::vector<double>& values, double limit)
{
    return static_cast<size_t>(std::count_if(values.begin(), values.end(), [limit](double v) { return v < limit; }));
}

// A `period_ms` timer runs until `run_ms` have passed (a second timer ends the
// loop); `on_tick` runs inside each tick's handling.
inline TimerRun RunTimer(uint32_t period_ms, uint32_t run_ms, const std::function<void()>& on_tick = {})
{
    constexpr uintptr_t TICK_TIMER = 1;
    constexpr uintptr_t STOP_TIMER = 2;
    TimerRun run;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        if (msg.id == WM_TIMER && msg.wparam == TICK_TIMER) {
            run.ticks.push_back(std::chrono::steady_clock::now());
            if (on_tick)
                on_tick();
            run.ends.push_back(std::chrono::steady_clock::now());
        } else if (msg.id == WM_TIMER && msg.wparam == STOP_TIMER) {
            PostQuitMessage(0);
        }
        return 0;
    });
    run.start = std::chrono::steady_clock::now();
    (void)SetTimer(window, TICK_TIMER, period_ms);
    (void)SetTimer(window, STOP_TIMER, run_ms);
    (void)RunMessageLoop();
    run.stop = std::chrono::steady_clock::now();
    (void)DestroyWindow(window);
    return run;
}

// The checks of a 5 ms timer run for a second, loose enough for a busy
// machine yet failing a timer that stops, runs slow (10 ms or more) or races:
// more ticks than periods cannot happen, few ticks or a long silence at the end
// mean a stopped timer, and a timer that keeps its phase follows a late tick
// with a short gap, so a fair share of gaps below 8 ms shows the 5 ms period.
inline void ExpectFiveMillisecondRate(const TimerRun& run)
{
    EXPECT_LE(run.Count(), static_cast<size_t>(run.Length() / 5.0) + 1);
    EXPECT_GE(run.Count(), 40u);
    EXPECT_LT(run.QuietAtEnd(), 250.0);
    const std::vector<double> gaps = run.Gaps();
    EXPECT_GE(CountBelow(gaps, 8.0) * 4, gaps.size()) << "most gaps are 8 ms or longer";
}

} // namespace platform::testing
