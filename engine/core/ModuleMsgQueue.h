#pragma once
// ModuleMsgQueue: the per-module ring of module messages that GameCore fills
// from its posted list before each tick of the module.
//
// Owner: EngineModule (one each). Thread: UI thread (inside the engine tick).
//
// The ring starts with 16 entries and doubles when it is one short of full.
// Growth copies the waiting entries in order to the start of the new array,
// so a ring that has wrapped keeps its order. GetWaiting counts what was
// pushed and not taken. Messages are moved in and out; Clear and the
// destructor free the payloads of the messages still waiting.

#include <cstdint>
#include <list>
#include <vector>

#include "engine/core/VelotrixDefs.h"

namespace engine {

class ModuleMsgQueue {
public:
    static constexpr uint32_t INITIAL_CAPACITY = 16;

    ModuleMsgQueue() : m_entries(INITIAL_CAPACITY) {}

    void Push(ModuleMessage message);
    /// The oldest entry; the queue must not be empty.
    ModuleMessage Take();
    /// Moves every message of list whose target is id into the ring, in list
    /// order; returns how many moved.
    uint32_t Collect(int32_t id, std::list<ModuleMessage>& list);
    /// Empties the ring, freeing the waiting payloads; the array keeps its size.
    void Clear();

    [[nodiscard]] uint32_t GetWaiting() const { return m_count; }
    [[nodiscard]] uint32_t GetCapacity() const { return static_cast<uint32_t>(m_entries.size()); }
    [[nodiscard]] uint32_t GetHead() const { return m_head; }
    [[nodiscard]] uint32_t GetTail() const { return m_tail; }

private:
    void Grow();

    std::vector<ModuleMessage> m_entries;
    uint32_t m_head { 0 };
    uint32_t m_tail { 0 };
    uint32_t m_count { 0 };
};

} // namespace engine
