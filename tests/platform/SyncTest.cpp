#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Watchdog.h"
#include "platform/Sync.h"
#include "platform/Tick.h"

using namespace platform;
using platform::testing::CWatchdog;

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads)
{
    CWatchdog watchdog(10000);
    CCriticalSection section;
    {
        CSectionLock outer(section);
        CSectionLock inner(section); // same thread again: no deadlock
        std::atomic<bool> other_got_it { true };
        std::thread other([&] { other_got_it = section.TryLock(); });
        other.join();
        EXPECT_FALSE(other_got_it);
    }
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CSectionLock lock(section);
                ++counter;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
}

TEST(Event, AutoResetReleasesOneWaiterManualResetReleasesAll)
{
    CWatchdog watchdog(10000);
    CEvent automatic;
    automatic.Set();
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0)); // reset itself

    CEvent manual(EventReset::Manual);
    std::atomic<int> released { 0 };
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] { released += manual.Wait(5000) ? 1 : 0; });
    manual.Set();
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(released, 3);
    EXPECT_TRUE(manual.IsSet());
    manual.Reset();
    EXPECT_FALSE(manual.Wait(0));
}

TEST(Event, TimedWaitTimesOut)
{
    CEvent event;
    const uint32_t start = GetTickCount();
    EXPECT_FALSE(event.Wait(50));
    const uint32_t waited = TicksBetween(start, GetTickCount());
    EXPECT_GE(waited, 49u);
    EXPECT_LT(waited, 2000u);
}

TEST(Semaphore, CountsAndKeepsItsMaximum)
{
    CWatchdog watchdog(10000);
    CSemaphore semaphore(1, 2);
    EXPECT_TRUE(semaphore.Wait(0));
    EXPECT_FALSE(semaphore.Wait(20));
    EXPECT_TRUE(semaphore.Release(2));
    EXPECT_FALSE(semaphore.Release(1)); // past the maximum: refused, count unchanged
    EXPECT_EQ(semaphore.GetCount(), 2u);
    EXPECT_TRUE(semaphore.Wait(0));
    EXPECT_TRUE(semaphore.Wait(0));
    // A waiter is released by a unit from another thread.
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        (void)semaphore.Release(1);
    });
    EXPECT_TRUE(semaphore.Wait(5000));
    releaser.join();
    EXPECT_EQ(CSemaphore(5, 2).GetCount(), 2u);
}
