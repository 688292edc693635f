#include "client/CHeldNotifications.h"

#include <algorithm>

#include "net/CommRecords.h"
#include "net/NetLog.h"

namespace client {

namespace {

/// What a held message costs, counted as the socket client counts it.
size_t HeldBytes(const platform::Message& msg)
{
    if (const auto* message = msg.PayloadAs<net::CommMessage>())
        return message->CountedBytes();
    return sizeof(platform::Message);
}

bool IsSocketEvent(const platform::Message& msg)
{
    const auto* message = msg.PayloadAs<net::CommMessage>();
    return message != nullptr
        && (message->request.id == net::COMM_EVENT_CLOSED || message->request.id == net::COMM_EVENT_SOCKET_ERROR);
}

} // namespace

CHeldNotifications::Outcome CHeldNotifications::Hold(platform::Message& msg)
{
    Outcome outcome = Outcome::Held;
    const size_t bytes = HeldBytes(msg);
    if (!m_overflowed && (m_held.size() >= MAX_MESSAGES || bytes > MAX_BYTES - m_bytes)) {
        net::LogPrintf("server messages held during a request's wait: %zu of %zu bytes and one more of %zu bytes "
                       "break the bounds (%zu messages, %zu bytes); they and all until the next connection are "
                       "dropped",
                       m_held.size(), m_bytes, bytes, MAX_MESSAGES, MAX_BYTES);
        m_held.clear();
        m_bytes = 0;
        m_overflowed = true;
        outcome = Outcome::Overflowed;
    } else if (m_overflowed) {
        outcome = Outcome::Dropped;
    }
    if (m_overflowed && !IsSocketEvent(msg)) {
        msg.payload.reset();
        return outcome;
    }
    if (auto* message = msg.PayloadAs<net::CommMessage>())
        message->pending.Reset();
    m_bytes += bytes;
    m_held.push_back(std::move(msg));
    return outcome;
}

std::optional<platform::Message> CHeldNotifications::TakeFirst()
{
    if (m_held.empty())
        return std::nullopt;
    platform::Message msg = std::move(m_held.front());
    m_held.pop_front();
    m_bytes -= std::min(m_bytes, HeldBytes(msg));
    return msg;
}

} // namespace client
