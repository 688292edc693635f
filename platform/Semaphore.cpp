#include "platform/Semaphore.h"


namespace platform {

CSemaphore::CSemaphore(uint32_t initial_count, uint32_t maximum_count)
    : m_count(initial_count < maximum_count ? initial_count : maximum_count), m_maximum(maximum_count)
{
}

bool CSemaphore::Release(uint32_t count)
{
    {
        std::lock_guard lock(m_mutex);
        if (count == 0 || count > m_maximum - m_count)
            return false;
        m_count += count;
    }
    if (count == 1)
        m_condition.notify_one();
    else
        m_condition.notify_all();
    return true;
}

bool CSemaphore::Wait(uint32_t timeout_ms)
{
    std::unique_lock lock(m_mutex);
    auto available = [this] { return m_count > 0; };
    if (timeout_ms == WAIT_FOREVER)
        m_condition.wait(lock, available);
    else if (!m_condition.wait_for(lock, std::chrono::milliseconds(timeout_ms), available))
        return false;
    --m_count;
    return true;
}

uint32_t CSemaphore::GetCount() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

} // namespace platform
