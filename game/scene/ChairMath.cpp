// Chairs and seat views of the card-game table and of this game's table.
#include "game/scene/ChairMath.h"

#include "game/rules/PlDkTable.h"

#include <algorithm>
#include <string>

namespace scene {

CChairMath::CChairMath(int chair_count, int own_chair)
    : m_count(std::max(chair_count, 1))
    , m_own_chair(own_chair)
{
}

int CChairMath::PrevChair(int chair) const
{
    return IsValidChair(chair) ? (chair - 1 + m_count) % m_count : -1;
}

int CChairMath::NextChair(int chair) const
{
    return IsValidChair(chair) ? (chair + 1) % m_count : -1;
}

int CChairMath::ViewToChair(int view) const
{
    if (view < 0 || view >= m_count || !IsValidChair(m_own_chair))
        return -1;
    int chair = m_own_chair;
    for (int step = 0; step < view && chair >= 0; ++step)
        chair = NextChair(chair);
    return chair;
}

int CChairMath::ChairToView(int chair) const
{
    if (!IsValidChair(chair) || !IsValidChair(m_own_chair))
        return -1;
    int at = m_own_chair;
    for (int step = 0; step < m_count; ++step) {
        if (at == chair)
            return step;
        at = NextChair(at);
        if (at < 0)
            break;
    }
    return -1;
}

int CChairMath::PrevView(int view) const
{
    return ChairToView(PrevChair(ViewToChair(view)));
}

int CChairMath::NextView(int view) const
{
    return ChairToView(NextChair(ViewToChair(view)));
}

bool CChairMath::IsPartnerChair(int chair) const
{
    return IsValidChair(chair) && IsValidChair(m_own_chair) && chair == PrevChair(PrevChair(m_own_chair));
}

std::vector<int> CChairMath::ChairsPassed(int from, int to) const
{
    if (!IsValidChair(to))
        return {};
    std::vector<int> passed;
    int at = from;
    for (int step = 0; step < m_count && IsValidChair(at); ++step) {
        at = PrevChair(at);
        if (!IsValidChair(at))
            break;
        passed.push_back(at);
        if (at == to)
            return passed;
    }
    return { to };
}

CPlDkChairMath::CPlDkChairMath(int own_chair, ChairTrace trace)
    : CChairMath(CHAIRS, own_chair)
    , m_trace(std::move(trace))
{
}

void CPlDkChairMath::SetSwap(int turned_holder, int other_holder)
{
    m_turned_holder = turned_holder;
    m_other_holder = other_holder;
}

int CPlDkChairMath::PrevChair(int chair) const
{
    if (!IsValidChair(chair))
        return -1;
    // No turned card yet (its holder -1): the plain ring.
    if (!IsValidChair(m_turned_holder))
        return (chair + CHAIRS - 1) % CHAIRS;
    return rules::CPlDkTable::GetPrevChairAfterSwap(chair, m_other_holder, m_turned_holder, CHAIRS);
}

int CPlDkChairMath::NextChair(int chair) const
{
    return PrevChair(PrevChair(PrevChair(chair)));
}

int CPlDkChairMath::ViewToChair(int view) const
{
    if ((view < 0 || view >= CHAIRS) && m_trace)
        m_trace(std::to_string(BAD_VIEW_TRACE));
    return CChairMath::ViewToChair(view);
}

int CPlDkChairMath::ChairToViewTraced(int chair, int mode) const
{
    const int view = ChairToView(chair);
    if (view < 0 && mode != 0 && m_trace)
        m_trace(std::to_string(chair));
    return view;
}

int CPlDkChairMath::PrevView(int view) const
{
    return ChairToViewTraced(PrevChair(ViewToChair(view)), 1);
}

int CPlDkChairMath::NextView(int view) const
{
    return ChairToViewTraced(NextChair(ViewToChair(view)), 1);
}

} // namespace scene
