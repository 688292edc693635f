#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

#include "TimerProbe.h"
#include "Watchdog.h"
#include "platform/Message.h"
#include "platform/Tick.h"
#include "platform/TimerSchedule.h"

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

// The schedule of a 5 ms timer started at 0 ms, driven by steps at given
// times: the tick it takes and where its next tick lies, all in phase.
TEST(TimerSchedule, SleepsAndWakesInPhase)
{
    using Ms = std::chrono::milliseconds;
    enum class Step { Take, Sleep, Wake };
    struct Case {
        const char* what;
        std::vector<std::tuple<Step, int, int>> steps; // step, at ms, sleep span ms
        bool taken;                                    // of the last step (Take only)
        int due_ms;                                    // after the last step
        bool asleep;
    };
    const std::vector<Case> cases = {
        { "first tick one period after the start", {}, false, 5, false },
        { "not due yet", { { Step::Take, 4, 0 } }, false, 5, false },
        { "a late tick coalesces the missed ones", { { Step::Take, 17, 0 } }, true, 20, false },
        { "a sleep skips to the first point at its end", { { Step::Sleep, 3, 1000 } }, false, 1005, true },
        { "a sleep ending on a point takes that point", { { Step::Sleep, 0, 1000 } }, false, 1000, true },
        { "a sleep shorter than the period skips nothing", { { Step::Sleep, 1, 2 } }, false, 5, false },
        { "a wake in a sleep brings the next point back",
          { { Step::Sleep, 3, 1000 }, { Step::Wake, 417, 0 } }, false, 420, false },
        { "a wake on a point waits for the next one",
          { { Step::Sleep, 3, 1000 }, { Step::Wake, 415, 0 } }, false, 420, false },
        { "the woken tick is taken on time, the next follows in phase",
          { { Step::Sleep, 3, 1000 }, { Step::Wake, 417, 0 }, { Step::Take, 420, 0 } }, true, 425, false },
        { "a sleep that ran out ticks at its end",
          { { Step::Sleep, 3, 1000 }, { Step::Take, 1005, 0 } }, true, 1010, false },
        { "a wake while awake changes nothing", { { Step::Wake, 2, 0 } }, false, 5, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CTimerSchedule::Clock::time_point zero {};
        CTimerSchedule schedule(Ms(5), zero);
        bool taken = false;
        for (const auto& [step, at, span] : c.steps) {
            const auto now = zero + Ms(at);
            if (step == Step::Take)
                taken = schedule.Take(now);
            else if (step == Step::Sleep)
                schedule.Sleep(now, Ms(span));
            else
                schedule.Wake(now);
        }
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(schedule.Due(), zero + Ms(c.due_ms));
        EXPECT_EQ(schedule.IsAsleep(), c.asleep);
    }
}

// A timer put to sleep for an hour ticks right after the next message its
// thread takes, a posted one or another timer's, and then sleeps no more.
TEST(Timer, ASleepingTimerWakesWithTheNextMessage)
{
    CWatchdog watchdog(10000, "sleeping timer");
    constexpr uintptr_t OTHER_TIMER = 2;
    constexpr uint32_t UM_WORK = WM_USER + 7;
    std::vector<std::pair<uint32_t, uintptr_t>> seen;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        seen.emplace_back(msg.id, msg.wparam);
        if (msg.id == WM_TIMER && msg.wparam == OTHER_TIMER)
            KillTimer(msg.window, OTHER_TIMER);
        return 0;
    });
    auto next = [](Message& msg) {
        const bool got = GetMessage(msg);
        DispatchMessage(msg);
        return got;
    };
    ASSERT_EQ(SetTimer(window, TICK_TIMER, 5), TICK_TIMER);
    EXPECT_FALSE(DeferTimer(window, OTHER_TIMER, 3600000));
    for (const bool by_timer : { false, true }) {
        SCOPED_TRACE(by_timer ? "woken by another timer" : "woken by a posted message");
        seen.clear();
        ASSERT_TRUE(DeferTimer(window, TICK_TIMER, 3600000));
        if (by_timer)
            ASSERT_EQ(SetTimer(window, OTHER_TIMER, 20), OTHER_TIMER);
        else
            ASSERT_TRUE(PostMessage(window, UM_WORK, 1));
        Message msg;
        ASSERT_TRUE(next(msg));
        ASSERT_TRUE(next(msg)); // waits at most one period; an unwoken timer would end the test here
        ASSERT_TRUE(next(msg));
        const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
            by_timer ? std::pair<uint32_t, uintptr_t> { WM_TIMER, OTHER_TIMER } : std::pair<uint32_t, uintptr_t> { UM_WORK, 1 },
            { WM_TIMER, TICK_TIMER },
            { WM_TIMER, TICK_TIMER },
        };
        EXPECT_EQ(seen, expected);
    }
    EXPECT_TRUE(DestroyWindow(window));
}
