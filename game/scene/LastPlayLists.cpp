#include "game/scene/LastPlayLists.h"

#include <algorithm>

namespace scene {
namespace {

bool IsSeat(int32_t chair)
{
    return chair >= 0 && chair < LAST_PLAY_SEATS;
}

} // namespace

void CLastPlayLists::Clear()
{
    for (auto& list : m_lists)
        list.fill(-1);
    m_keep = false;
}

void CLastPlayLists::SetSeatState(int chair, int32_t state)
{
    if (IsSeat(chair))
        m_seat_state[size_t(chair)] = state;
}

void CLastPlayLists::SetList(int chair, std::span<const int32_t> cards)
{
    if (!IsSeat(chair))
        return;
    auto& list = m_lists[size_t(chair)];
    list.fill(-1);
    std::copy_n(cards.begin(), std::min(cards.size(), list.size()), list.begin());
}

bool CLastPlayLists::RetirePlayedCards(ICardSpriteSet& sprites, int32_t chair)
{
    if (chair != -1 && !IsSeat(chair))
        return false;
    const auto taken = [&](const CardSpriteState& s) {
        return s.state == CARD_STATE_PLAYED && IsSeat(s.chair) && (chair == -1 || s.chair == chair);
    };
    bool any = false;
    for (int i = 0; i < sprites.Count() && !any; ++i)
        any = taken(sprites.At(i));
    if (!any)
        return false;
    if (chair != -1 && !m_keep)
        m_lists[size_t(chair)].fill(-1);
    else
        Clear();
    std::array<size_t, LAST_PLAY_SEATS> filled {};
    for (int i = 0; i < sprites.Count(); ++i) {
        CardSpriteState& s = sprites.At(i);
        if (!taken(s))
            continue;
        s.state = CARD_STATE_OLD_PLAY;
        sprites.Redraw(i);
        size_t& next = filled[size_t(s.chair)];
        if (next < LAST_PLAY_SLOTS)
            m_lists[size_t(s.chair)][next++] = s.card;
    }
    return true;
}

bool CLastPlayLists::IsInLastPlay(int32_t card) const
{
    if (card == -1)
        return false;
    for (int seat = 0; seat < LAST_PLAY_SEATS; ++seat) {
        if (m_seat_state[size_t(seat)] >= LAST_PLAY_UNMARKED_STATE)
            continue;
        for (const int32_t entry : m_lists[size_t(seat)])
            if (entry == card)
                return true;
    }
    return false;
}

bool CLastPlayLists::HasLastPlay() const
{
    for (const auto& list : m_lists)
        for (const int32_t entry : list)
            if (entry != -1)
                return true;
    return false;
}

} // namespace scene
