#pragma once
// CGuiEventQueue: hands engine events to their handler one at a time. An
// event posted while none is being handled is delivered in the object
// module's next update; while one is being handled later events wait, first
// in first out, until the handler calls Next.
//
// Each event carries a copy of the poster's payload, which the queue owns
// from the post to the end of the delivery: the handler borrows it with
// PayloadOf while the event is delivered (param2 is its length in bytes) and
// copies what it keeps. An event that cannot be delivered (no target, id 0,
// or a target that is gone) is dropped with its copy and the queue moves on
// to the next one, so nothing leaks and nothing waits for a Next that never
// comes.
//
// Owner: the object module; no picture of its own. Thread: UI thread;
// posting from a handler is allowed (it queues).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

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

    /// The payload of an event being delivered, valid until its handler
    /// returns (empty for length 0).
    [[nodiscard]] static std::span<const uint8_t> PayloadOf(const EngineEvent& event);

private:
    struct Waiting {
        EngineEvent event;
        std::vector<uint8_t> payload;
    };
    void StartDelivery(Waiting item);

    std::deque<Waiting> m_waiting;
    std::deque<Waiting> m_in_flight; ///< Started, delivered in order by the queue's own events.
    bool m_busy { false };
};

} // namespace engine
