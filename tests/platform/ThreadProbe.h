#pragma once
// Lets a test wait until another thread is asleep in the kernel (blocked on a
// lock, a condition or a wait) before it checks that something has not
// happened yet. A fixed sleep proves nothing on a loaded machine: the other
// thread may not have reached the lock at all.
//
// Use: the other thread publishes CurrentThreadTid() and then blocks;
// the test calls WaitUntilThreadSleeps(tid) and only then checks.

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/Tick.h"

namespace platform::testing {

/// The kernel's id of the calling thread.
[[nodiscard]] inline pid_t CurrentThreadTid()
{
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

/// The scheduler state letter of a thread of this process ('R', 'S', 'D', ...),
/// or 0 when the thread does not exist (any more).
[[nodiscard]] inline char ThreadState(pid_t tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return 0;
    const size_t name_end = line.rfind(')');
    if (name_end == std::string::npos || name_end + 2 >= line.size())
        return 0;
    return line[name_end + 2];
}

/// Waits until the thread published in `tid` (0 until then) sleeps in the
/// kernel; false when it has not within timeout_ms or it has ended.
[[nodiscard]] inline bool WaitUntilThreadSleeps(const std::atomic<pid_t>& tid, uint32_t timeout_ms = 5000)
{
    const uint32_t start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        const pid_t id = tid.load();
        if (id != 0) {
            const char state = ThreadState(id);
            if (state == 'S' || state == 'D')
                return true;
            if (state == 0)
                return false;
        }
        std::this_thread::yield();
    }
    return false;
}

} // namespace platform::testing
