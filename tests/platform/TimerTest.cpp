#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "TimerProbe.h"
#include "Watchdog.h"
#include "platform/Message.h"
#include "platform/Tick.h"

using namespace platform;
using platform::testing::CWatchdog;
using platform::testing::ExpectFiveMillisecondRate;
using platform::testing::RunTimer;
using platform::testing::TimerRun;
using platform::testing::CountBelow;

namespace {

constexpr uintptr_t TICK_TIMER = 1;

} // namespace

TEST(Timer, FiveMillisecondTimerKeepsItsRate)
{
    CWatchdog watchdog(10000, "5 ms timer");
    ExpectFiveMillisecondRate(RunTimer(5, 1000));
}

TEST(Timer, LateTicksDoNotShiftTheSchedule)
{
    CWatchdog watchdog(10000, "drifting timer");
    // Every other tick takes 30 ms of a 20 ms period, so the tick after it
    // comes 10 ms late. A timer that keeps its phase is due again 10 ms after
    // that late tick; one rescheduled from when it was taken waits a whole
    // period and so shifts by every delay. The quick ticks show which: idle
    // gaps after them stay below a period. A busy machine only makes ticks
    // later, and so gaps shorter, so a few short gaps are proof enough.
    int handled = 0;
    const TimerRun run = RunTimer(20, 1000, [&handled] {
        if (handled++ % 2 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
    });
    EXPECT_LE(run.Count(), static_cast<size_t>(run.Length() / 20.0) + 1);
    ASSERT_GE(run.Count(), 10u);
    std::vector<double> after_quick_ticks;
    const std::vector<double> idle = run.IdleGaps();
    for (size_t i = 1; i < idle.size(); i += 2)
        after_quick_ticks.push_back(idle[i]);
    EXPECT_GE(CountBelow(after_quick_ticks, 16.0), 3u);
}

TEST(Timer, MissedTicksAreCoalescedNotQueued)
{
    CWatchdog watchdog(10000);
    int ticks = 0;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        ticks += (msg.id == WM_TIMER) ? 1 : 0;
        return 0;
    });
    ASSERT_EQ(SetTimer(window, TICK_TIMER, 20), TICK_TIMER);
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // ten periods missed
    EXPECT_TRUE(PumpWaitingMessages());
    EXPECT_GE(ticks, 1);
    EXPECT_LE(ticks, 2); // a second one only when the pump itself took a period
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
