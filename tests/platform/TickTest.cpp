#include <gtest/gtest.h>
#include <algorithm>
#include <thread>

#include "platform/Random.h"
#include "platform/Tick.h"

using namespace platform;

TEST(Tick, ElapsedSurvivesTheWrap)
{
    const uint32_t start = 0xFFFFFFF0u;
    EXPECT_EQ(TicksBetween(start, 0x10u), 0x20u);
    EXPECT_TRUE(HasElapsed(start, 0x10u, 0x20u));
    EXPECT_FALSE(HasElapsed(start, 0x0Fu, 0x20u));
    EXPECT_FALSE(HasElapsed(start, start, 1));
    EXPECT_TRUE(HasElapsed(start, start, 0));
}

TEST(Tick, ManualClockAdvancesAcrossTheWrap)
{
    CManualClock clock(0xFFFFFFFEu);
    const uint32_t start = clock.GetTickCount();
    clock.Advance(5);
    EXPECT_EQ(clock.GetTickCount(), 3u);
    EXPECT_TRUE(HasElapsed(start, clock.GetTickCount(), 5));
    const IClock& as_interface = clock;
    clock.Set(100);
    EXPECT_EQ(as_interface.GetTickCount(), 100u);
}

TEST(Tick, SystemTickMovesInMilliseconds)
{
    const uint32_t before = CSystemClock::Instance().GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t passed = TicksBetween(before, GetTickCount());
    EXPECT_GE(passed, 29u);
    EXPECT_LT(passed, 2000u);
}

TEST(Random, FillsWholeBuffersWithVaryingBytes)
{
    std::vector<uint8_t> first(4096, 0);
    std::vector<uint8_t> second(4096, 0);
    ASSERT_TRUE(GetRandomBytes(first));
    ASSERT_TRUE(GetRandomBytes(second));
    EXPECT_NE(first, second);
    // The last bytes are filled too (no short read left as zeros).
    EXPECT_FALSE(std::all_of(first.end() - 32, first.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(GetRandomBytes({}));
}
