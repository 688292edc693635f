// CGameTable: turns, time limits, the countdown and the table's settings file.
#include "game/rules/GameTable.h"

#include "platform/Text.h"

#include <algorithm>

namespace rules {
namespace {

uint32_t SecondsToMs(int32_t seconds)
{
    return static_cast<uint32_t>(std::clamp<int64_t>(static_cast<int64_t>(seconds) * 1000, 0, UINT32_MAX));
}

} // namespace

void CGameTable::BookThinkingTime(uint32_t now)
{
    if (IsValidChair(m_current_chair) && m_turn_start != 0)
        m_thinking[m_current_chair] += now - m_turn_start;
}

int CGameTable::StartTurn(int chair, int32_t seconds)
{
    const uint32_t now = Now();
    BookThinkingTime(now);
    m_current_chair = chair;
    m_current_stamp = now;
    m_turn_start = now;
    if (IsValidChair(chair))
        m_chair_turn_start[chair] = now;
    m_turn_limit = static_cast<uint32_t>(std::clamp<int64_t>((static_cast<int64_t>(seconds) + 1) * 1000, 0, UINT32_MAX));
    return chair;
}

int CGameTable::SetCurrentChair(int chair)
{
    if (chair != m_current_chair) {
        const uint32_t now = Now();
        BookThinkingTime(now);
        m_current_chair = chair;
        m_current_stamp = now;
        m_turn_start = now;
    }
    return chair;
}

void CGameTable::StampTime()
{
    m_current_stamp = Now();
}

bool CGameTable::IsTurnTimeout() const
{
    return Now() - m_turn_start >= m_turn_limit;
}

bool CGameTable::IsChairTimeout(int chair) const
{
    if (!IsValidChair(chair))
        return false;
    if (m_chair_status[chair] & CHAIR_AWAY)
        return true;
    return Now() - m_chair_turn_start[chair] > m_turn_limit;
}

bool CGameTable::IsTableStale() const
{
    const uint32_t now = Now();
    if (IsPlaying())
        return static_cast<uint64_t>(now - m_turn_start) >= 2ull * m_turn_limit + 10000u;
    return now - m_state_stamp > 120000u;
}

int CGameTable::GetActiveChair(int chair, int32_t seconds) const
{
    if (chair != m_current_chair && Now() - m_current_stamp > SecondsToMs(seconds))
        return m_current_chair;
    return chair;
}

bool CGameTable::IsWithin(int32_t seconds) const
{
    return seconds != 0 && Now() - m_round_start < SecondsToMs(seconds);
}

bool CGameTable::IsInCooldown(int chair, int32_t seconds) const
{
    if (!IsValidChair(chair) || IsPlaying() || m_round_number != 0 || !m_grace || m_waiting_marks[chair] == 0)
        return false;
    return Now() - m_waiting_marks[chair] < SecondsToMs(seconds);
}

int CGameTable::GetElapsedTime(int32_t& seconds_out, int32_t& minutes_out)
{
    if (m_round.elapsed_limit < 1)
        m_round.elapsed_limit = 60000;
    return ElapsedSince(m_round_start, Now(), seconds_out, minutes_out, m_round.elapsed_limit);
}

bool CGameTable::IsCountdownRunning() const
{
    return !IsPlaying() && IsCountdownEnabled() && m_countdown_start != 0;
}

int CGameTable::StartCountdown(int on, int32_t seconds)
{
    if (!IsCountdownEnabled())
        return 0;
    if (!on) {
        ClearCountdown();
        return 1;
    }
    if (IsCountdownRunning() || seconds < 1)
        return 0;
    m_countdown_start = Now();
    m_countdown_length = seconds;
    return 1;
}

int32_t CGameTable::GetCountdownRemaining(uint32_t now) const
{
    if (!IsCountdownRunning())
        return 0;
    const int64_t elapsed = std::max<int64_t>((now - m_countdown_start) / 1000u, 1);
    const int64_t remaining = m_countdown_length - elapsed;
    return remaining < 1 ? 2 : static_cast<int32_t>(remaining);
}

void CGameTable::ClearCountdown()
{
    m_countdown_start = 0;
    m_countdown_length = 0;
}

std::string CGameTable::GetServerIniPath() const
{
    const std::string module = m_env.settings->GetProgramFilePath();
    const size_t slash = module.find_last_of("\\/");
    if (slash == std::string::npos)
        return {};
    // The first four characters of the file name; a GBK character is two bytes.
    size_t end = slash + 1;
    for (int characters = 0; characters < 4 && end < module.size(); ++characters)
        end += (platform::IsGbkLeadByte(module[end]) && end + 1 < module.size()) ? 2 : 1;
    return module.substr(0, end) + "svr.ini";
}

int32_t CGameTable::GetKickTime() const
{
    const std::string path = GetServerIniPath();
    if (path.empty())
        return 120;
    return m_env.settings->GetProfileInt("SoloAlone", "KickTime", 120, path);
}

} // namespace rules
