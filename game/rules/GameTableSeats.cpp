// CGameTable: teams, banker, seat order and seat labels.
#include "game/rules/GameTable.h"

#include <set>

namespace rules {

int CGameTable::GetNextChair(int chair) const
{
    return ((chair + 1) % m_chair_count + m_chair_count) % m_chair_count;
}

int CGameTable::GetPrevChair(int chair) const
{
    return ((chair - 1) % m_chair_count + m_chair_count) % m_chair_count;
}

int CGameTable::ResetTeams()
{
    for (int c = 0; c < m_chair_count; ++c)
        m_teams[c] = c;
    return m_chair_count;
}

void CGameTable::SetTeam(int chair, int32_t team)
{
    if (IsValidChair(chair))
        m_teams[chair] = team;
}

int CGameTable::GetTeamCount() const
{
    std::set<int32_t> teams;
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_teams[c] != -1)
            teams.insert(m_teams[c]);
    }
    return static_cast<int>(teams.size());
}

int CGameTable::GetTeamSize(int32_t team) const
{
    if (team == -1)
        return 0;
    int count = 0;
    for (int c = 0; c < m_chair_count; ++c)
        count += m_teams[c] == team ? 1 : 0;
    return count;
}

int CGameTable::GetOtherTeamsSize(int32_t team) const
{
    int count = 0;
    for (int c = 0; c < m_chair_count; ++c)
        count += (m_teams[c] != team && m_teams[c] != -1) ? 1 : 0;
    return count;
}

int CGameTable::FindTeamChair(int chair, int32_t team) const
{
    if (!IsValidChair(chair))
        return -1;
    for (int c = GetPrevChair(chair); c != chair; c = GetPrevChair(c)) {
        if (m_teams[c] == team)
            return c;
    }
    return -1;
}

int CGameTable::FindOtherTeamChair(int chair, int32_t team) const
{
    if (!IsValidChair(chair))
        return -1;
    for (int c = GetPrevChair(chair); c != chair; c = GetPrevChair(c)) {
        if (m_teams[c] != team)
            return c;
    }
    return -1;
}

int32_t CGameTable::RandomBelow(int32_t n) const
{
    return rules::RandomBelow(n, *m_env.clock, *m_env.random);
}

int CGameTable::GetBankerChair()
{
    return RandomBelow(m_chair_count);
}

int CGameTable::GetNextBanker(std::span<const int32_t>)
{
    return RandomBelow(m_chair_count);
}

int CGameTable::StartDeal()
{
    m_banker = GetBankerChair();
    return m_banker;
}

int CGameTable::BeginBankerTurn()
{
    SetCurrentChair(m_banker);
    return GetCurrentChair();
}

int CGameTable::InitRound(std::span<const int32_t> info)
{
    m_banker = GetNextBanker(info);
    OnRoundRestored(info);
    m_round_value = info.size() > 1 ? info[1] : 0;
    Reset(0);
    return 1;
}

int CGameTable::UpdateFirstRoundFlag()
{
    if (m_round_number == 1)
        m_first_round = 1;
    return m_first_round;
}

uint32_t CGameTable::SetRelationMode(int flag)
{
    m_relation_mode = flag ? 8u : 4u;
    return m_relation_mode;
}

uint32_t CGameTable::SetRelationMode2()
{
    m_relation_mode = 2;
    return m_relation_mode;
}

int CGameTable::IsFriend(int chair) const
{
    if (!IsValidChair(chair))
        return 0;
    const int32_t banker_team = IsValidChair(m_banker) ? m_teams[m_banker] : -1;
    if (m_relation_mode & 0x1)
        return m_teams[chair] == banker_team ? 1 : 0;
    if (m_relation_mode & (0x4 | 0x8))
        return m_teams[chair] != banker_team ? 1 : 0;
    return 0;
}

std::string CGameTable::GetSeatLabel(int chair)
{
    static const char* const labels[MAX_CHAIRS] = { "【甲】", "【乙】", "【丙】", "【丁】", "【戊】", "【己】", "【庚】", "【辛】" };
    std::string text = "游戏玩家";
    if (chair >= 0 && chair < MAX_CHAIRS)
        text += labels[chair];
    return text;
}

} // namespace rules
