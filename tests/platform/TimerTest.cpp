#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Watchdog.h"
#include "platform/Message.h"
#include "platform/Tick.h"

using namespace platform;
using platform::testing::CWatchdog;

namespace {

constexpr uintptr_t TICK_TIMER = 1;
constexpr uintptr_t STOP_TIMER = 2;

// Runs a loop with a `period_ms` timer for `run_ms`; each tick runs `on_tick`.
// Returns the ticks seen.
int CountTicks(uint32_t period_ms, uint32_t run_ms, const std::function<void()>& on_tick = {})
{
    int ticks = 0;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        if (msg.id == WM_TIMER && msg.wparam == TICK_TIMER) {
            ++ticks;
            if (on_tick)
                on_tick();
        } else if (msg.id == WM_TIMER && msg.wparam == STOP_TIMER) {
            PostQuitMessage(0);
        }
        return 0;
    });
    EXPECT_EQ(SetTimer(window, TICK_TIMER, period_ms), TICK_TIMER);
    EXPECT_EQ(SetTimer(window, STOP_TIMER, run_ms), STOP_TIMER);
    RunMessageLoop();
    (void)DestroyWindow(window);
    return ticks;
}

} // namespace

TEST(Timer, FiveMillisecondTimerKeepsItsRate)
{
    CWatchdog watchdog(10000, "5 ms timer");
    const int ticks = CountTicks(5, 1000);
    EXPECT_GE(ticks, 150); // loose: the machine may be busy; a stopped timer gives 0
    EXPECT_LE(ticks, 201);
}

TEST(Timer, HandlingTimeDoesNotAccumulateAsDrift)
{
    CWatchdog watchdog(10000, "drifting timer");
    // Each tick spends 3 ms of a 10 ms period; a timer rescheduled from the end
    // of handling would give ~77 ticks in a second.
    const int ticks = CountTicks(10, 1000, [] { std::this_thread::sleep_for(std::chrono::milliseconds(3)); });
    EXPECT_GE(ticks, 88);
    EXPECT_LE(ticks, 100);
}

TEST(Timer, MissedTicksAreCoalescedNotQueued)
{
    CWatchdog watchdog(10000);
    int ticks = 0;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        ticks += (msg.id == WM_TIMER) ? 1 : 0;
        return 0;
    });
    ASSERT_EQ(SetTimer(window, TICK_TIMER, 5), TICK_TIMER);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // twenty periods missed
    EXPECT_TRUE(PumpWaitingMessages());
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(Timer, KillTimerAndDestroyWindowStopTheTimer)
{
    CWatchdog watchdog(10000);
    int ticks = 0;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        ticks += (msg.id == WM_TIMER) ? 1 : 0;
        return 0;
    });
    EXPECT_EQ(SetTimer(window, 0, 5), 0u);
    EXPECT_EQ(SetTimer(WindowHandle::None, 3, 5), 0u);
    ASSERT_EQ(SetTimer(window, TICK_TIMER, 5), TICK_TIMER);
    EXPECT_TRUE(KillTimer(window, TICK_TIMER));
    EXPECT_FALSE(KillTimer(window, TICK_TIMER));
    EXPECT_FALSE(WaitMessage(30));
    EXPECT_TRUE(PumpWaitingMessages());
    EXPECT_EQ(ticks, 0);

    ASSERT_EQ(SetTimer(window, TICK_TIMER, 5), TICK_TIMER);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(WaitMessage(30));
    EXPECT_EQ(ticks, 0);
}

TEST(Timer, ATimerSetFromAnotherThreadWakesTheLoop)
{
    CWatchdog watchdog(10000);
    int ticks = 0;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        if (msg.id == WM_TIMER) {
            ++ticks;
            PostQuitMessage(0);
        }
        return 0;
    });
    std::thread setter([window] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        (void)SetTimer(window, TICK_TIMER, 10);
    });
    const uint32_t start = GetTickCount();
    RunMessageLoop();
    setter.join();
    EXPECT_EQ(ticks, 1);
    EXPECT_LT(TicksBetween(start, GetTickCount()), 1000u);
    EXPECT_TRUE(DestroyWindow(window));
}
