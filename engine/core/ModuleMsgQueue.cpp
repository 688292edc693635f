#include "engine/core/ModuleMsgQueue.h"

#include <cassert>
#include <utility>

namespace engine {

void ModuleMsgQueue::Grow()
{
    std::vector<ModuleMessage> bigger(m_entries.size() * 2);
    for (uint32_t i = 0; i < m_count; ++i)
        bigger[i] = std::move(m_entries[(m_head + i) % m_entries.size()]);
    m_entries.swap(bigger);
    m_head = 0;
    m_tail = m_count;
}

void ModuleMsgQueue::Push(ModuleMessage message)
{
    if (m_count >= m_entries.size() - 1)
        Grow();
    m_entries[m_tail] = std::move(message);
    m_tail = static_cast<uint32_t>((m_tail + 1) % m_entries.size());
    ++m_count;
}

ModuleMessage ModuleMsgQueue::Take()
{
    assert(m_count > 0);
    ModuleMessage message = std::move(m_entries[m_head]);
    m_head = static_cast<uint32_t>((m_head + 1) % m_entries.size());
    --m_count;
    return message;
}

void ModuleMsgQueue::Clear()
{
    for (; m_count > 0; --m_count) {
        m_entries[m_head] = ModuleMessage {};
        m_head = static_cast<uint32_t>((m_head + 1) % m_entries.size());
    }
    m_head = m_tail = 0;
}

uint32_t ModuleMsgQueue::Collect(int32_t id, std::list<ModuleMessage>& list)
{
    uint32_t moved = 0;
    for (auto it = list.begin(); it != list.end();) {
        if (it->target == id) {
            Push(std::move(*it));
            it = list.erase(it);
            ++moved;
        } else {
            ++it;
        }
    }
    return moved;
}

} // namespace engine
