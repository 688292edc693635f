#include "client/CGameConnectionWatch.h"

#include <algorithm>

#include "platform/Tick.h"

namespace client {

void CServerWatch::Reset(uint32_t now, uint64_t bytes_received)
{
    m_timeouts_in_a_row = 0;
    m_bytes_received = bytes_received;
    m_heard_tick = now;
    m_excused = false;
}

void CServerWatch::OnAnswer()
{
    m_timeouts_in_a_row = 0;
}

CServerWatch::Verdict CServerWatch::OnTimedOut(bool in_round)
{
    if (m_timeouts_in_a_row < TIMEOUTS_IN_A_ROW)
        ++m_timeouts_in_a_row;
    return in_round && m_timeouts_in_a_row >= TIMEOUTS_IN_A_ROW ? Verdict::Gone : Verdict::Alive;
}

CServerWatch::Verdict CServerWatch::OnLook(uint32_t now, uint64_t bytes_received, bool in_round,
                                           std::optional<int32_t> turn_seconds_left)
{
    // Silence outside a round is no sign: the span starts again at each look.
    if (bytes_received != m_bytes_received || !in_round) {
        m_bytes_received = bytes_received;
        m_heard_tick = now;
        m_excused = false;
        return Verdict::Alive;
    }
    if (!turn_seconds_left) {
        m_excused = false;
    } else if (!m_excused) {
        m_excused = true;
        m_excuse_tick = now;
        m_excuse_ms = static_cast<uint32_t>(std::clamp(*turn_seconds_left, 0, MAX_TURN_SECONDS)) * 1000 + TURN_GRACE_MS;
    }
    if (m_excused && !platform::HasElapsed(m_excuse_tick, now, m_excuse_ms))
        return Verdict::Alive;
    return platform::HasElapsed(m_heard_tick, now, SILENCE_LIMIT_MS) ? Verdict::Gone : Verdict::Alive;
}

} // namespace client
