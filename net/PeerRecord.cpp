#include "net/PeerRecord.h"

namespace net {

void CPeerRecord::ExpectAnswer(uint32_t serial)
{
    std::lock_guard guard(m_answer_state_lock);
    m_answer_buffer.Reset();
    m_expected_serial = serial;
    m_last_answer_part = 0;
}

void CPeerRecord::CancelExpectationLocked()
{
    m_expected_serial = 0;
    m_last_answer_part = 0;
    m_answer_buffer.Reset();
}

void CPeerRecord::DeliverAnswer(uint32_t serial, RequestRecord answer)
{
    {
        std::lock_guard guard(m_answer_lock);
        m_answer = std::move(answer);
        m_answer_serial = serial;
    }
    m_answer_event.Set();
}

bool CPeerRecord::TakeAnswer(uint32_t serial, RequestRecord& out)
{
    std::lock_guard guard(m_answer_lock);
    if (!m_answer || m_answer_serial != serial)
        return false;
    out = std::move(*m_answer);
    m_answer.reset();
    m_answer_serial = 0;
    return true;
}

void CPeerRecord::MarkClosed()
{
    m_closed.fetch_add(1);
    m_answer_event.Set();
}

} // namespace net
