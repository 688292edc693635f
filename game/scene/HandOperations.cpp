// Hand operations of the card-game table over the card sprites.
#include "game/scene/HandOperations.h"

#include "game/rules/CardRules.h"

#include <algorithm>
#include <array>
#include <limits>

namespace scene {
namespace {

/// Writes ids to out in order, -1 behind; answers the ids written.
int WriteCards(std::span<int32_t> out, const std::vector<int32_t>& ids)
{
    const size_t n = std::min(out.size(), ids.size());
    std::copy_n(ids.begin(), n, out.begin());
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), int32_t { -1 });
    return static_cast<int>(n);
}

int32_t CounterOf(std::span<const int32_t> counters, int32_t card)
{
    return rules::CounterAt(counters, rules::GetCardValue(card));
}

} // namespace

CHandOperations::CHandOperations(ICardSpriteSet& sprites, const CChairMath& chairs, int32_t level)
    : m_sprites(sprites)
    , m_chairs(chairs)
    , m_level(level)
{
}

bool CHandOperations::IsOwnHand(const CardSpriteState& s) const
{
    return s.state == CARD_STATE_HAND && s.chair == m_chairs.GetOwnChair() && m_chairs.IsValidChair(s.chair);
}

std::vector<int> CHandOperations::HandSprites(int chair) const
{
    std::vector<int> hand;
    if (!m_chairs.IsValidChair(chair))
        return hand;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.state == CARD_STATE_HAND && s.chair == chair)
            hand.push_back(i);
    }
    std::stable_sort(hand.begin(), hand.end(),
                     [this](int a, int b) { return m_sprites.At(a).row_index < m_sprites.At(b).row_index; });
    return hand;
}

int CHandOperations::GetHandCards(std::span<int32_t> out) const
{
    std::vector<int32_t> ids;
    for (int i : HandSprites(m_chairs.GetOwnChair())) {
        if (m_sprites.At(i).card != -1)
            ids.push_back(m_sprites.At(i).card);
    }
    return WriteCards(out, ids);
}

int CHandOperations::GetRaisedCards(std::span<int32_t> out) const
{
    std::vector<int32_t> ids;
    for (int i : HandSprites(m_chairs.GetOwnChair())) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.raised && s.card != -1)
            ids.push_back(s.card);
    }
    return WriteCards(out, ids);
}

int CHandOperations::GetCardsWithCount(std::span<int32_t> out, int n) const
{
    std::array<int32_t, VALUE_SLOTS> counters {};
    CountHandByValue(counters);
    std::vector<int32_t> ids;
    for (int i : HandSprites(m_chairs.GetOwnChair())) {
        const int32_t card = m_sprites.At(i).card;
        if (card != -1 && CounterOf(counters, card) == n)
            ids.push_back(card);
    }
    return WriteCards(out, ids);
}

void CHandOperations::CountHandByValue(std::span<int32_t> counters) const
{
    std::fill(counters.begin(), counters.end(), 0);
    for (int i : HandSprites(m_chairs.GetOwnChair())) {
        const int32_t value = rules::GetCardValue(m_sprites.At(i).card);
        if (value > 0 && static_cast<size_t>(value) < counters.size())
            ++counters[static_cast<size_t>(value)];
    }
}

int CHandOperations::CountRaisedCards() const
{
    int n = 0;
    for (int i : HandSprites(m_chairs.GetOwnChair()))
        n += m_sprites.At(i).raised ? 1 : 0;
    return n;
}

int CHandOperations::CountSprites(int chair, int32_t state) const
{
    int n = 0;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        n += (chair == -1 || s.chair == chair) && s.state == state ? 1 : 0;
    }
    return n;
}

int CHandOperations::CountValues(std::span<const int32_t> cards)
{
    std::array<int32_t, VALUE_SLOTS> counters {};
    for (int32_t card : cards) {
        const int32_t value = card >= 0 ? rules::GetCardValue(card) : 0;
        if (value > 0 && value < VALUE_SLOTS)
            ++counters[static_cast<size_t>(value)];
    }
    return static_cast<int>(std::count_if(counters.begin(), counters.end(), [](int32_t c) { return c > 0; }));
}

int CHandOperations::SortCardsByOrder(std::span<int32_t> cards, int32_t level)
{
    auto key = [level](int32_t card) {
        return card == -1 ? std::numeric_limits<int64_t>::min()
                          : static_cast<int64_t>(rules::GetCardOrder(card, level)) * 1000 + card;
    };
    std::stable_sort(cards.begin(), cards.end(), [&key](int32_t a, int32_t b) { return key(a) > key(b); });
    return static_cast<int>(std::count_if(cards.begin(), cards.end(), [](int32_t c) { return c != -1; }));
}

int CHandOperations::FindSpriteByCard(int32_t card) const
{
    for (int i = 0; i < m_sprites.Count(); ++i) {
        if (m_sprites.At(i).card == card)
            return i;
    }
    return -1;
}

int CHandOperations::FindHandSprite(int chair, int32_t card) const
{
    int first = -1;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.state != CARD_STATE_HAND || s.chair != chair)
            continue;
        if (s.card == card)
            return i;
        if (first < 0)
            first = i;
    }
    return first;
}

int CHandOperations::FindHandSpriteAt(int chair, int32_t row_index) const
{
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.state == CARD_STATE_HAND && s.chair == chair && s.row_index == row_index)
            return i;
    }
    return -1;
}

void CHandOperations::LowerAllCards()
{
    for (int i : HandSprites(m_chairs.GetOwnChair())) {
        CardSpriteState& s = m_sprites.At(i);
        if (!s.raised)
            continue;
        s.raised = false;
        s.moving = false;
        m_sprites.Redraw(i);
    }
}

int CHandOperations::RaiseValue(int32_t value)
{
    int raised = 0;
    for (int i : HandSprites(m_chairs.GetOwnChair())) {
        CardSpriteState& s = m_sprites.At(i);
        if (s.card == -1 || rules::GetCardValue(s.card) != value)
            continue;
        s.raised = true;
        m_sprites.Redraw(i);
        ++raised;
    }
    return raised;
}

int CHandOperations::RaiseCards(std::span<const int32_t> cards)
{
    int raised = 0;
    for (int32_t card : cards) {
        if (card == -1)
            continue;
        // The exact sprite only: FindHandSprite's fallback to the first hand
        // sprite would raise a card that is not in the list.
        const int i = FindHandSprite(m_chairs.GetOwnChair(), card);
        if (i < 0 || m_sprites.At(i).card != card)
            continue;
        m_sprites.At(i).raised = true;
        m_sprites.Redraw(i);
        ++raised;
    }
    return raised;
}

int CHandOperations::RaiseSmallestWithCount(int n)
{
    std::array<int32_t, VALUE_SLOTS> counters {};
    CountHandByValue(counters);
    int32_t best_value = 0;
    int32_t best_order = 100000;
    for (int32_t v = 0; v < VALUE_SLOTS; ++v) {
        if (counters[static_cast<size_t>(v)] != n)
            continue;
        const int32_t order = rules::GetValueOrder(v, m_level);
        if (order < best_order) {
            best_order = order;
            best_value = v;
        }
    }
    return RaiseValue(best_value);
}

int CHandOperations::RaiseValuesWithCount(int n)
{
    std::array<int32_t, VALUE_SLOTS> counters {};
    CountHandByValue(counters);
    int raised = 0;
    for (int i : HandSprites(m_chairs.GetOwnChair())) {
        CardSpriteState& s = m_sprites.At(i);
        if (s.card == -1 || CounterOf(counters, s.card) != n)
            continue;
        s.raised = true;
        m_sprites.Redraw(i);
        ++raised;
    }
    return raised;
}

int CHandOperations::RaiseLeadCards()
{
    std::array<int32_t, 64> hand {};
    const int n = GetHandCards(hand);
    if (SortCardsByOrder(std::span(hand).first(static_cast<size_t>(n)), m_level) == 0)
        return 0;
    const int32_t value = rules::GetCardValue(hand[static_cast<size_t>(n - 1)]);
    std::array<int32_t, VALUE_SLOTS> counters {};
    CountHandByValue(counters);
    if (rules::CounterAt(counters, value) <= 3)
        return RaiseValue(value);
    for (int count = 1; count <= 8; ++count) {
        if (const int raised = RaiseSmallestWithCount(count))
            return raised;
    }
    return 0;
}

int CHandOperations::RenumberHand(int chair)
{
    std::vector<int> hand;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.state == CARD_STATE_HAND && s.chair == chair)
            hand.push_back(i);
    }
    const int n = static_cast<int>(hand.size());
    const bool own_view = m_chairs.ChairToView(chair) == 0;
    for (int k = 0; k < n; ++k) {
        CardSpriteState& s = m_sprites.At(hand[static_cast<size_t>(k)]);
        if (!own_view)
            s.row_index = k;
        s.row_count = n;
    }
    if (!own_view)
        SortHandByOrder(chair);
    // Drawn once the places are final: a face-up hand (a replay, the cards
    // left at a round's end) is reordered by the sort, and the card count
    // goes beside the card drawn at the fan's end.
    for (const int i : hand)
        m_sprites.Redraw(i);
    PlaceCardCount(chair, n);
    return n;
}

void CHandOperations::SortHandByOrder(int chair)
{
    std::vector<int> hand = HandSprites(chair);
    auto order = [this](int i) {
        const int32_t card = m_sprites.At(i).card;
        return card == -1 ? 0 : rules::GetCardOrder(card, m_level);
    };
    std::stable_sort(hand.begin(), hand.end(), [&order](int a, int b) { return order(a) < order(b); });
    for (size_t k = 0; k < hand.size(); ++k)
        m_sprites.At(hand[k]).row_index = static_cast<int32_t>(k);
}

bool CHandOperations::SortsDescending(int type)
{
    return type == SORT_BY_VALUE_DOWN || type == SORT_BY_SUIT || type == SORT_BY_COUNT_DOWN;
}

int64_t CHandOperations::SortKey(int type, int sprite, std::span<const int32_t> counters,
                                 std::span<const int32_t> marked) const
{
    const CardSpriteState& s = m_sprites.At(sprite);
    const bool keyed = type == SORT_BY_VALUE_DOWN || type == SORT_BY_SUIT || type == SORT_BY_VALUE_UP
        || type == SORT_BY_COUNT_UP || type == SORT_BY_COUNT_DOWN;
    if (!keyed)
        return s.row_index;
    return s.card == -1 ? 0 : CardSortKey(type, s, counters, marked);
}

int64_t CHandOperations::CardSortKey(int type, const CardSpriteState& s, std::span<const int32_t> counters,
                                     std::span<const int32_t>) const
{
    const int64_t order = rules::GetCardOrder(s.card, m_level);
    const int64_t suit = rules::GetCardSuit(s.card);
    switch (type) {
    case SORT_BY_SUIT: return suit * 1000 + order;
    case SORT_BY_COUNT_UP:
    case SORT_BY_COUNT_DOWN: return CounterOf(counters, s.card) * int64_t { 100000 } + order * 10 + suit;
    default: return order * 10 + suit;
    }
}

void CHandOperations::SortHand(int type)
{
    std::vector<int> hand = HandSprites(m_chairs.GetOwnChair());
    if (hand.empty())
        return;
    std::array<int32_t, VALUE_SLOTS> counters {};
    CountHandByValue(counters);
    const std::vector<int32_t> marked = MarkedCards(type);
    std::vector<int64_t> keys(hand.size());
    for (size_t k = 0; k < hand.size(); ++k)
        keys[k] = SortKey(type, hand[k], counters, marked);
    // The exchange sort: each place takes every later key strictly better.
    const bool descending = SortsDescending(type);
    for (size_t i = 0; i < hand.size(); ++i) {
        for (size_t j = i + 1; j < hand.size(); ++j) {
            if (descending ? keys[j] > keys[i] : keys[j] < keys[i]) {
                std::swap(keys[i], keys[j]);
                std::swap(hand[i], hand[j]);
            }
        }
    }
    const auto leftmost = std::min_element(hand.begin(), hand.end(),
                                           [this](int a, int b) { return m_sprites.At(a).x < m_sprites.At(b).x; });
    const int32_t base_x = m_sprites.At(*leftmost).x;
    const int32_t base_y = m_sprites.At(*leftmost).y;
    for (size_t k = 0; k < hand.size(); ++k) {
        CardSpriteState& s = m_sprites.At(hand[k]);
        s.row_index = static_cast<int32_t>(k);
        s.x = base_x + static_cast<int32_t>(k) * m_sprites.GetOverlapStepX(hand[k]);
        s.y = base_y;
        m_sprites.Redraw(hand[k]);
    }
}

int CHandOperations::SetChairCards(int chair, std::span<const int32_t> cards)
{
    std::vector<int32_t> sorted(cards.begin(), cards.end());
    const int real = SortCardsByOrder(sorted, m_level);
    std::vector<int> hand;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.state == CARD_STATE_HAND && s.chair == chair)
            hand.push_back(i);
    }
    if (real == 0 || real != static_cast<int>(hand.size()))
        return 0;
    for (int k = 0; k < real; ++k) {
        CardSpriteState& s = m_sprites.At(hand[static_cast<size_t>(k)]);
        s.card = sorted[static_cast<size_t>(k)];
        s.row_index = k;
        s.row_count = real;
        s.face_up = true;
        m_sprites.Redraw(hand[static_cast<size_t>(k)]);
    }
    return 1;
}

} // namespace scene
