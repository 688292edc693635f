#include "platform/Tick.h"

#include <ctime>

namespace platform {

uint32_t GetTickCount()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

uint32_t CSystemClock::GetTickCount() const
{
    return platform::GetTickCount();
}

CSystemClock& CSystemClock::Instance()
{
    static CSystemClock s_clock;
    return s_clock;
}

} // namespace platform
