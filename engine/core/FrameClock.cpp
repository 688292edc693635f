#include "engine/core/FrameClock.h"

namespace engine {

void CFrameClock::Start(uint32_t offset_ms)
{
    m_start_tick = m_clock.GetTickCount() - offset_ms;
    m_last_time = 0;
}

uint32_t CFrameClock::Now()
{
    m_last_time = platform::TicksBetween(m_start_tick, m_clock.GetTickCount());
    return m_last_time;
}

} // namespace engine
