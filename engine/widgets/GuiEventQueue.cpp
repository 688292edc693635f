#include "engine/widgets/GuiEventQueue.h"

namespace engine {

CGuiEventQueue::~CGuiEventQueue() = default;

std::span<const uint8_t> CGuiEventQueue::PayloadOf(const EngineEvent& event)
{
    const auto* payload = reinterpret_cast<const std::vector<uint8_t>*>(event.param1);
    return payload != nullptr ? std::span<const uint8_t>(*payload) : std::span<const uint8_t>();
}

int CGuiEventQueue::Post(uint32_t target, uint32_t event_id, const void* data, size_t length)
{
    Waiting item;
    if (data == nullptr)
        length = 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    item.payload.assign(bytes, bytes + length);
    MakeEngineEvent(&item.event, target, event_id, 0, length);
    if (m_busy) {
        m_waiting.push_back(std::move(item));
    } else {
        m_busy = true;
        StartDelivery(std::move(item));
    }
    return m_busy ? 1 : 0;
}

int CGuiEventQueue::Next()
{
    m_busy = false;
    if (m_waiting.empty())
        return 0;
    m_busy = true;
    Waiting item = std::move(m_waiting.front());
    m_waiting.pop_front();
    StartDelivery(std::move(item));
    return 1;
}

void CGuiEventQueue::StartDelivery(Waiting item)
{
    // The queue delivers it itself in the next update, so that it still owns
    // the payload should the target be gone by then.
    m_in_flight.push_back(std::move(item));
    EngineEvent deliver;
    MakeEngineEvent(&deliver, GetId(), EVENT_DELIVER, 0, 0);
    PostEvent(deliver);
}

int CGuiEventQueue::OnEvent(const EngineEvent& event)
{
    if (event.id != EVENT_DELIVER)
        return CGuiObject::OnEvent(event);
    if (m_in_flight.empty())
        return 1;
    Waiting item = std::move(m_in_flight.front());
    m_in_flight.pop_front();
    if (item.event.id == 0 || FindObject(item.event.target) == nullptr) {
        // Nobody to take it: the copy goes with item, and the queue moves on.
        (void)Next();
        return 1;
    }
    EngineEvent delivered = item.event;
    delivered.param1 = item.payload.empty() ? 0 : reinterpret_cast<uintptr_t>(&item.payload);
    (void)SendEvent(delivered);
    return 1;
}

} // namespace engine
