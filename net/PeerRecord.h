// CPeerRecord: the per-connection state of the socket client: the receive
// buffer, the message being assembled, the expected answer and its assembly,
// the answer slot with its event, and the serial and sequence counters.
// Owner: the socket client's peer map, shared (std::shared_ptr) with any
// request that waits on it, so a waiter never outlives the record.
// Threads: the receive buffer and message assembly belong to the socket
// worker thread; the answer state is guarded by the answer-state lock, the
// answer slot by the answer lock; counters and the closed count are atomic.
#pragma once

#include "net/ByteBuffer.h"
#include "net/CommRecords.h"

#include "platform/Event.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

namespace net {

class CPeerRecord {
public:
    CPeerRecord() = default;
    CPeerRecord(const CPeerRecord&) = delete;
    CPeerRecord& operator=(const CPeerRecord&) = delete;

    /// Registers `serial` as the answer awaited (clears the answer assembly).
    void ExpectAnswer(uint32_t serial);
    /// Expected serial 0, last part 0, answer assembly cleared. Answer-state lock held by the caller.
    void CancelExpectationLocked();
    /// Puts a decoded answer into the slot and sets the answer event.
    void DeliverAnswer(uint32_t serial, RequestRecord answer);
    /// Moves the slot's answer out when it answers `serial`.
    [[nodiscard]] bool TakeAnswer(uint32_t serial, RequestRecord& out);

    [[nodiscard]] bool IsClosed() const { return m_closed.load() > 0; }
    /// Marks the peer closed and wakes anyone waiting for an answer.
    void MarkClosed();

    // Worker thread only.
    CByteBuffer m_receive_buffer;
    CByteBuffer m_message_buffer;
    uint32_t m_assembling_serial { 0 }; ///< 0 when nothing is being assembled
    uint32_t m_last_part { 0 };

    // Guarded by m_answer_state_lock.
    std::mutex m_answer_state_lock;
    CByteBuffer m_answer_buffer;
    uint32_t m_expected_serial { 0 };
    uint32_t m_last_answer_part { 0 };

    platform::CEvent m_answer_event { platform::EventReset::Manual };
    std::atomic<uint32_t> m_message_serial { 0 };
    std::atomic<uint32_t> m_frame_sequence { 0 };

private:
    std::atomic<int> m_closed { 0 };
    std::mutex m_answer_lock;
    std::optional<RequestRecord> m_answer;
    uint32_t m_answer_serial { 0 };
};

} // namespace net
