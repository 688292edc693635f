#pragma once
// CGuiEventQueue: hands engine events to their handler one at a time. An
// event posted while none is being handled is delivered in the object
// module's next update; while one is being handled later events wait, first
// in first out, until the handler calls Next.
//
// Each event carries in param1 a heap copy of the poster's payload (0 when
// the length is 0) and in param2 its length in bytes. The queue owns every
// copy until the event is delivered; the handler then owns it and takes it
// with TakePayload. An event that cannot be delivered (no target, id 0, or a
// target that is gone) has its copy freed and the queue moves on to the next
// one, so nothing leaks and nothing waits for a Next that never comes.
//
// Owner: the object module; no picture of its own. Thread: UI thread;
// posting from a handler is allowed (it queues).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

#include "engine/core/GuiObject.h"

namespace engine {

class CGuiEventQueue : public CGuiObject {
public:
    /// The queue's own event that carries the next delivery to it.
    static constexpr uint32_t EVENT_DELIVER = 80000001;

    ~CGuiEventQueue() override;
    int OnEvent(const EngineEvent& event) override;

    /// Copies the payload and delivers or queues the event. Answers the busy
    /// flag (1 afterwards).
    virtual int Post(uint32_t target, uint32_t event_id, const void* data, size_t length);
    /// The handler has finished: delivers the next waiting event (1) or goes
    /// idle (0).
    virtual int Next();
    /// Holds back the next Post until Next.
    virtual void SetBusy() { m_busy = true; }

    [[nodiscard]] bool IsBusy() const { return m_busy; }
    [[nodiscard]] size_t GetWaitingCount() const { return m_waiting.size(); }

    /// Takes the payload copy of a delivered event (null for length 0).
    [[nodiscard]] static std::unique_ptr<uint8_t[]> TakePayload(const EngineEvent& event);

private:
    struct Waiting {
        EngineEvent event;
        std::unique_ptr<uint8_t[]> payload;
    };
    void StartDelivery(Waiting item);

    std::deque<Waiting> m_waiting;
    std::deque<Waiting> m_in_flight; ///< Started, delivered in order by the queue's own events.
    bool m_busy { false };
};

} // namespace engine
