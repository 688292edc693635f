#include "platform/Event.h"

// <chrono> itself does not compile with the GBK execution charset (a unit
// suffix literal); the durations come with <condition_variable>.


namespace platform {

void CEvent::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    if (m_manual)
        m_condition.notify_all();
    else
        m_condition.notify_one();
}

void CEvent::Reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool CEvent::IsSet() const
{
    std::lock_guard lock(m_mutex);
    return m_set;
}

bool CEvent::Wait(uint32_t timeout_ms)
{
    std::unique_lock lock(m_mutex);
    auto is_set = [this] { return m_set; };
    if (timeout_ms == WAIT_FOREVER)
        m_condition.wait(lock, is_set);
    else if (!m_condition.wait_for(lock, std::chrono::milliseconds(timeout_ms), is_set))
        return false;
    if (!m_manual)
        m_set = false;
    return true;
}

} // namespace platform
