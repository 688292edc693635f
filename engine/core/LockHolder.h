#pragma once
// CLockHolder: a re-entrant lock with a count of how deep its owning thread
// holds it, so that it can be left safely when it is destroyed.
//
// Owner: GameCore (its tick lock), EngineModule, ObjectModule.
// Threads: Enter/Leave from any thread; re-entrant on the owning thread.
// Hazards: Leave must pair with an Enter on the same thread. Destroying a
// holder that the destroying thread still holds leaves it as often as it was
// entered; destroying one held by another thread is a caller bug.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace engine {

class CLockHolder {
public:
    CLockHolder() = default;
    ~CLockHolder();
    CLockHolder(const CLockHolder&) = delete;
    CLockHolder& operator=(const CLockHolder&) = delete;

    void Enter();
    /// Leaves once; does nothing when the calling thread does not hold it.
    void Leave();
    [[nodiscard]] bool IsHeldByCurrentThread() const;
    /// How many times the owning thread has entered it (0 when free).
    [[nodiscard]] int32_t GetDepth() const { return m_depth.load(); }

private:
    std::recursive_mutex m_mutex;
    std::atomic<std::thread::id> m_owner {};
    std::atomic<int32_t> m_depth { 0 };
};

/// Scoped Enter/Leave of a CLockHolder; leaves even when an exception passes.
class CLockScope {
public:
    explicit CLockScope(CLockHolder& holder) : m_holder(holder) { m_holder.Enter(); }
    ~CLockScope() { m_holder.Leave(); }
    CLockScope(const CLockScope&) = delete;
    CLockScope& operator=(const CLockScope&) = delete;

private:
    CLockHolder& m_holder;
};

} // namespace engine
