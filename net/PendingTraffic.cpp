#include "net/PendingTraffic.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace net {

CPendingTraffic::CPendingTraffic() : m_wake_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CPendingTraffic::~CPendingTraffic()
{
    if (m_wake_fd >= 0)
        ::close(m_wake_fd);
}

CPendingTicket CPendingTraffic::Take(size_t bytes)
{
    m_messages.fetch_add(1);
    m_bytes.fetch_add(bytes);
    return CPendingTicket(shared_from_this(), bytes);
}

bool CPendingTraffic::IsOverLimit() const { return m_messages.load() > MAX_MESSAGES || m_bytes.load() > MAX_BYTES; }

bool CPendingTraffic::IsAtResumeLevel() const
{
    return m_messages.load() <= RESUME_MESSAGES && m_bytes.load() <= RESUME_BYTES;
}

bool CPendingTraffic::PauseNeeded()
{
    if (!m_paused && !IsOverLimit())
        return false;
    // Arm the wake-up before looking at the counts, so a release in between
    // is not missed: it either shows in the counts or signals.
    m_wake_armed.store(true);
    if (IsAtResumeLevel()) {
        m_wake_armed.store(false);
        m_paused = false;
        return false;
    }
    m_paused = true;
    return true;
}

void CPendingTraffic::ClearWake()
{
    uint64_t count = 0;
    (void)!read(m_wake_fd, &count, sizeof count);
}

void CPendingTraffic::Release(size_t bytes)
{
    m_messages.fetch_sub(1);
    m_bytes.fetch_sub(bytes);
    if (IsAtResumeLevel() && m_wake_armed.exchange(false) && m_wake_fd >= 0) {
        const uint64_t one = 1;
        (void)!write(m_wake_fd, &one, sizeof one);
    }
}

} // namespace net
