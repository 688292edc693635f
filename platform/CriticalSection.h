#pragma once
// A re-entrant lock (the same thread may take it again) and its scoped holder.
//
// Owner: the object whose data it guards. Threads: any.
// Hazards: never call out to a handler, post-and-wait, or SendMessage while
// holding it unless the callee is known not to take it on another thread.

#include <mutex>

namespace platform {

class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    [[nodiscard]] bool TryLock() { return m_mutex.try_lock(); }

    // For std::lock_guard / std::unique_lock.
    void lock() { Lock(); }
    void unlock() { Unlock(); }
    [[nodiscard]] bool try_lock() { return TryLock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a CCriticalSection for its lifetime.
class CSectionLock {
public:
    explicit CSectionLock(CCriticalSection& section) : m_section(section) { m_section.Lock(); }
    ~CSectionLock() { m_section.Unlock(); }
    CSectionLock(const CSectionLock&) = delete;
    CSectionLock& operator=(const CSectionLock&) = delete;

private:
    CCriticalSection& m_section;
};

} // namespace platform
