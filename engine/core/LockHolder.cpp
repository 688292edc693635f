#include "engine/core/LockHolder.h"

namespace engine {

CLockHolder::~CLockHolder()
{
    while (IsHeldByCurrentThread())
        Leave();
}

void CLockHolder::Enter()
{
    m_mutex.lock();
    m_owner.store(std::this_thread::get_id());
    m_depth.fetch_add(1);
}

void CLockHolder::Leave()
{
    if (!IsHeldByCurrentThread())
        return;
    if (m_depth.fetch_sub(1) == 1)
        m_owner.store(std::thread::id {});
    m_mutex.unlock();
}

bool CLockHolder::IsHeldByCurrentThread() const
{
    return m_depth.load() > 0 && m_owner.load() == std::this_thread::get_id();
}

} // namespace engine
