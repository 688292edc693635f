#include "engine/core/FrameClock.h"

namespace engine {

void CFrameClock::Start(uint32_t offset_ms)
{
    m_start_tick = m_clock.GetTickCount() - offset_ms;
}

uint32_t CFrameClock::Now()
{
    return platform::TicksBetween(m_start_tick, m_clock.GetTickCount());
}

} // namespace engine
