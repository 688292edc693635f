#pragma once
// Ends the test program when a test runs past its deadline, so a deadlock
// fails the run instead of hanging it.

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/Event.h"

namespace platform::testing {

class CWatchdog {
public:
    explicit CWatchdog(uint32_t deadline_ms, const char* what = "test")
        : m_thread([this, deadline_ms, what] {
            if (!m_done.Wait(deadline_ms)) {
                std::fprintf(stderr, "deadline of %u ms passed in %s: probably a deadlock\n", deadline_ms, what);
                std::abort();
            }
        })
    {
    }
    ~CWatchdog()
    {
        m_done.Set();
        m_thread.join();
    }

private:
    CEvent m_done { EventReset::Manual };
    std::thread m_thread;
};

} // namespace platform::testing
