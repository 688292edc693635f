// This game's sort keys and the 510K selection.
#include "game/scene/PlDkHandOperations.h"

#include "game/rules/CardRules.h"

#include <algorithm>
#include <array>

namespace scene {
namespace {

constexpr int SUITS = 4;

/// Index 0, 1, 2 for a 5, 10 or K; -1 otherwise.
int KindOf(int32_t card)
{
    switch (rules::GetCardValue(card)) {
    case VALUE_FIVE: return 0;
    case VALUE_TEN: return 1;
    case VALUE_KING: return 2;
    default: return -1;
    }
}

} // namespace

std::vector<int32_t> CPlDkHandOperations::Collect510KSets(std::span<const int32_t> cards)
{
    // pile[suit][kind]: the cards not yet taken, in hand order.
    std::array<std::array<std::vector<int32_t>, 3>, SUITS> pile;
    for (int32_t card : cards) {
        const int kind = card >= 0 ? KindOf(card) : -1;
        const int32_t suit = rules::GetCardSuit(card);
        if (kind >= 0 && suit >= 0 && suit < SUITS)
            pile[static_cast<size_t>(suit)][static_cast<size_t>(kind)].push_back(card);
    }
    std::vector<int32_t> taken;
    for (auto& suit : pile) {
        const size_t sets = std::min({ suit[0].size(), suit[1].size(), suit[2].size() });
        for (auto& kind : suit) {
            taken.insert(taken.end(), kind.begin(), kind.begin() + static_cast<std::ptrdiff_t>(sets));
            kind.erase(kind.begin(), kind.begin() + static_cast<std::ptrdiff_t>(sets));
        }
    }
    std::array<std::vector<int32_t>, 3> left;
    for (const auto& suit : pile) {
        for (size_t kind = 0; kind < 3; ++kind)
            left[kind].insert(left[kind].end(), suit[kind].begin(), suit[kind].end());
    }
    const size_t mixed = std::min({ left[0].size(), left[1].size(), left[2].size() });
    for (const auto& kind : left)
        taken.insert(taken.end(), kind.begin(), kind.begin() + static_cast<std::ptrdiff_t>(mixed));
    return taken;
}

int CPlDkHandOperations::Select510K()
{
    std::array<int32_t, 64> hand {};
    const int n = GetHandCards(hand);
    const std::vector<int32_t> sets = Collect510KSets(std::span(hand).first(static_cast<size_t>(n)));
    std::vector<int> sprites;
    for (int32_t card : sets) {
        const int i = FindHandSprite(m_chairs.GetOwnChair(), card);
        if (i >= 0 && m_sprites.At(i).card == card)
            sprites.push_back(i);
    }
    const bool remove = !sprites.empty()
        && std::all_of(sprites.begin(), sprites.end(), [this](int i) { return m_sprites.At(i).raised; });
    for (int i : sprites) {
        m_sprites.At(i).raised = !remove;
        if (remove)
            m_sprites.At(i).moving = false;
        m_sprites.Redraw(i);
    }
    return static_cast<int>(sprites.size());
}

std::vector<int32_t> CPlDkHandOperations::MarkedCards(int type) const
{
    if (type != SORT_BY_COUNT_UP && type != SORT_BY_COUNT_DOWN)
        return {};
    std::array<int32_t, 64> hand {};
    const int n = GetHandCards(hand);
    return Collect510KSets(std::span(hand).first(static_cast<size_t>(n)));
}

int64_t CPlDkHandOperations::CardSortKey(int type, const CardSpriteState& s, std::span<const int32_t> counters,
                                         std::span<const int32_t> marked) const
{
    // Arranged groups weigh above every card key, so a group stays together.
    const int64_t order = rules::GetCardOrder(s.card, m_level);
    const int64_t suit = rules::GetCardSuit(s.card);
    const int64_t group = s.group;
    switch (type) {
    case SORT_BY_SUIT: return order + 1000 * (suit - 100 + 100 * group);
    case SORT_BY_COUNT_UP:
    case SORT_BY_COUNT_DOWN: {
        if (std::find(marked.begin(), marked.end(), s.card) != marked.end())
            return 10 * (order - 699000 + 1000000 * group) + suit;
        const int64_t count = rules::CounterAt(counters, rules::GetCardValue(s.card));
        return 10 * (order + 100000 * (count - 10 + 10 * group)) + suit;
    }
    default: return suit + 10 * (order - 10000 + 10000 * group);
    }
}

} // namespace scene
