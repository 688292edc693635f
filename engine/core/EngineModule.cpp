#include "engine/core/EngineModule.h"

#include "engine/core/GameCore.h"

#include <utility>

namespace engine {

int EngineModule::Tick(uint32_t now)
{
    if (!IsEnabled())
        return 0;
    if (now - m_last_update <= m_interval)
        return 1;
    m_last_update = now;
    Update();
    return 1;
}

uint32_t EngineModule::GetWorkDueIn(uint32_t /*now*/) const
{
    return 0;
}

uint32_t EngineModule::GetUpdateDueIn(uint32_t now) const
{
    const uint32_t work = m_queue.GetWaiting() > 0 ? 0 : GetWorkDueIn(now);
    if (work == NO_WORK_DUE)
        return NO_WORK_DUE;
    // Update runs once more than the interval has passed since the last one.
    const uint32_t interval_left = TimeLeftIn(uint64_t(m_interval) + 1, uint32_t(now - m_last_update));
    return work > interval_left ? work : interval_left;
}

void EngineModule::Attach(GameCore* manager)
{
    m_manager = manager;
    ++m_references;
}

uint32_t EngineModule::PumpMessages(std::list<ModuleMessage>& posted)
{
    if (m_queue.GetWaiting() > GetQueueLimit()) {
        SendMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_QUEUE_OVERFLOW, static_cast<uintptr_t>(GetId()), 0);
        m_queue.Clear();
    }
    return m_queue.Collect(GetId(), posted);
}

void EngineModule::DispatchQueued()
{
    // A handler may post to this module again; those messages go to the
    // manager's posted list, not into this ring, so the walk ends.
    while (m_queue.GetWaiting() > 0) {
        // The message, and what it owns, goes at the end of each turn.
        const ModuleMessage message = m_queue.Take();
        OnMessage(message.id, message.param1, message.param2);
    }
    m_queue.Clear();
}

EngineModule* EngineModule::GetModule(int32_t id) const
{
    return m_manager != nullptr ? m_manager->GetModule(id) : nullptr;
}

int32_t EngineModule::SendMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2) const
{
    return m_manager != nullptr ? m_manager->SendMessage(target, message_id, param1, param2) : 0;
}

int32_t EngineModule::SendMessage(ModuleMessage message) const
{
    return m_manager != nullptr ? m_manager->SendMessage(std::move(message)) : 0;
}

int32_t EngineModule::PostMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2) const
{
    return m_manager != nullptr ? m_manager->PostMessage(target, message_id, param1, param2) : 0;
}

int32_t EngineModule::PostMessage(ModuleMessage message) const
{
    return m_manager != nullptr ? m_manager->PostMessage(std::move(message)) : 0;
}

} // namespace engine
