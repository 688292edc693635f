// CCardTable: the counter-level searches and the general finders. Every
// finder writes the weakest play of its type strictly above its threshold,
// so that calling it again with its own result walks upward to failure.
#include "game/rules/CardTable.h"

#include <algorithm>

namespace rules {
namespace {

int32_t ValueLimit(std::span<const int32_t> counters)
{
    return static_cast<int32_t>(std::min<size_t>(counters.size(), VALUE_COUNTERS));
}

} // namespace

std::optional<int32_t> CCardTable::SequenceThreshold(const CardPlay& play, int32_t type, int32_t count)
{
    if (play.type != type)
        return 0;
    if (play.count != count)
        return std::nullopt;
    return play.strength;
}

int32_t CCardTable::FindValueToBeat(std::span<const int32_t> counters, int32_t need, int32_t wild,
                                    int32_t threshold) const
{
    const int64_t bonus = need >= 5 ? 10000LL * (need - 4) : 0;
    int32_t found = -1;
    int64_t found_rank = 0;
    for (int32_t v = 0; v < ValueLimit(counters); ++v) {
        const int32_t have = counters[static_cast<size_t>(v)];
        if (have < 1 || static_cast<int64_t>(have) + wild < need)
            continue;
        const int64_t rank = Order(v) + bonus;
        if (rank > static_cast<int64_t>(StrengthKey(threshold)) && (found < 0 || rank < found_rank)) {
            found = v;
            found_rank = rank;
        }
    }
    return found;
}

int32_t CCardTable::FindStrongestValue(std::span<const int32_t> counters, int32_t need, int32_t wild) const
{
    int32_t found = -1;
    for (int32_t v = 0; v < ValueLimit(counters); ++v) {
        const int32_t have = counters[static_cast<size_t>(v)];
        if (have < 1 || static_cast<int64_t>(have) + wild < need)
            continue;
        if (found < 0 || Order(v) > Order(found))
            found = v;
    }
    return found;
}

int32_t CCardTable::TakeStrongestValue(std::span<int32_t> counters, int32_t need, int32_t& wild) const
{
    const int32_t v = FindStrongestValue(counters, need, wild);
    if (v < 0)
        return -1;
    int32_t& have = counters[static_cast<size_t>(v)];
    if (have >= need) {
        have -= need;
    } else {
        wild -= need - have;
        have = 0;
    }
    return v;
}

int32_t CCardTable::FindWeakestValueAbove(std::span<const int32_t> counters, int32_t threshold) const
{
    int32_t found = -1;
    for (int32_t v = 0; v < ValueLimit(counters); ++v) {
        if (counters[static_cast<size_t>(v)] < 1 || StrengthKey(Order(v)) <= StrengthKey(threshold))
            continue;
        if (found < 0 || Order(v) < Order(found))
            found = v;
    }
    return found;
}

int CCardTable::FindTriplePairToBeat(std::span<const int32_t> counters, int32_t wild, int32_t threshold,
                                     int32_t& triple_out, int32_t& pair_out) const
{
    const bool all_wild_pair = PairMayBeAllWild();
    bool found = false;
    int64_t best = 0;
    for (int32_t t = 0; t < ValueLimit(counters); ++t) {
        const int32_t have_t = counters[static_cast<size_t>(t)];
        if (have_t < 1 || static_cast<int64_t>(have_t) + wild < 3)
            continue;
        const int32_t wild_left = wild - std::max(0, 3 - have_t);
        for (int32_t p = 1; p < ValueLimit(counters); ++p) {
            const int32_t have_p = counters[static_cast<size_t>(p)];
            if (p == t || static_cast<int64_t>(have_p) + wild_left < 2)
                continue;
            // Two wild cards alone stand only for an ordinary value.
            if (have_p < 1 && (!all_wild_pair || p > 13))
                continue;
            const int64_t strength = static_cast<int64_t>(Order(t)) * 10000 + Order(p);
            if (strength > StrengthKey(threshold) && (!found || strength < best)) {
                found = true;
                best = strength;
                triple_out = t;
                pair_out = p;
            }
        }
    }
    return found ? 1 : 0;
}

int CCardTable::PickCards(std::span<int32_t> dest, std::span<int32_t> hand, int32_t value, int32_t number,
                          int32_t suit) const
{
    size_t end = CardsBeforeEnd(dest).size();
    const size_t start = end;
    auto take = [&](auto&& wanted) {
        for (int32_t& id : hand) {
            if (end >= dest.size() || static_cast<int32_t>(end - start) >= number)
                return;
            if (IsCard(id) && wanted(id)) {
                dest[end++] = id;
                id = NO_CARD;
            }
        }
    };
    const bool wild_rule = (m_options & 0x1) != 0;
    take([&](int32_t id) {
        return !(wild_rule && IsWildCard(id)) && GetCardValue(id, 0) == value && (suit < 0 || GetCardSuit(id, 0) == suit);
    });
    take([&](int32_t id) { return wild_rule && IsWildCard(id); });
    std::sort(dest.begin() + static_cast<ptrdiff_t>(start), dest.begin() + static_cast<ptrdiff_t>(end));
    return static_cast<int>(end - start);
}

int CCardTable::FindSingle(std::span<const int32_t> cards, CardPlay& play) const
{
    if (cards.empty())
        return 0;
    const int32_t level = GetLevelValue();
    int32_t chosen = NO_CARD;
    int32_t chosen_order = 0;
    for (int32_t id : CardsBeforeEnd(cards)) {
        if (!IsCard(id))
            continue;
        const int32_t order = GetValueOrder(GetCardValue(id, m_options), level, m_options);
        if (StrengthKey(order) > StrengthKey(play.strength) && (chosen == NO_CARD || order < chosen_order)) {
            chosen = id;
            chosen_order = order;
        }
    }
    if (chosen == NO_CARD)
        return 0;
    WritePlay(play, CARD_TYPE_SINGLE, CARD_TYPE_SINGLE, chosen_order, 1);
    play.cards[0] = chosen;
    return 1;
}

int CCardTable::FindSameValue(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild,
                              CardPlay& play, int32_t need, int32_t type) const
{
    if (cards.empty() || counters.empty())
        return 0;
    const int32_t v = FindValueToBeat(counters, need, wild, play.strength);
    if (v < 0)
        return 0;
    auto hand = CopyHand(cards);
    WritePlay(play, type, type, Order(v), need);
    PickCards(play.cards, hand, v, need, -1);
    return 1;
}

int CCardTable::FindPair(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play) const
{
    return FindSameValue(cards, counters, wild, play, 2, CARD_TYPE_PAIR);
}

int CCardTable::FindTriple(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play) const
{
    return FindSameValue(cards, counters, wild, play, 3, CARD_TYPE_TRIPLE);
}

int CCardTable::FindTriplePair(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play) const
{
    if (cards.empty() || counters.empty())
        return 0;
    int32_t t = -1;
    int32_t p = -1;
    if (!FindTriplePairToBeat(counters, wild, play.strength, t, p))
        return 0;
    auto hand = CopyHand(cards);
    WritePlay(play, CARD_TYPE_TRIPLE_PAIR, CARD_TYPE_TRIPLE_PAIR, Order(t) * 10000 + Order(p), 5);
    PickCards(play.cards, hand, t, 3, -1);
    PickCards(play.cards, hand, p, 2, -1);
    return 1;
}

int CCardTable::FindValueRun(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild,
                             CardPlay& play, int32_t length, int32_t shortest, int32_t longest, int32_t type,
                             int32_t mask) const
{
    if (cards.empty() || counters.empty() || length < 0 || length > PLAY_CARDS)
        return 0;
    const int32_t threshold = play.type == type ? play.strength : 0;
    int32_t v = -1;
    int32_t found_length = length;
    if (length > 0) {
        v = FindValueToBeat(counters, length, wild, threshold);
    } else {
        for (int32_t need = shortest; need <= longest && v < 0; ++need) {
            v = FindValueToBeat(counters, need, wild, threshold);
            found_length = need;
        }
    }
    if (v < 0)
        return 0;
    auto hand = CopyHand(cards);
    WritePlay(play, type, mask, Order(v) + 10000 * (found_length - 4), found_length);
    PickCards(play.cards, hand, v, found_length, -1);
    return 1;
}

int CCardTable::FindBomb(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                         int32_t length) const
{
    return FindValueRun(cards, counters, wild, play, length, 4, 4 * m_rule.decks, CARD_TYPE_BOMB,
                        BEAT_MASK_GENERAL_BOMB);
}

int CCardTable::FindBigBomb(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                            int32_t length) const
{
    return FindValueRun(cards, counters, wild, play, length, 6, 10, CARD_TYPE_BIG_BOMB, 0);
}

int CCardTable::FindStraight(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                             int32_t length) const
{
    const bool top_down = PicksSequencesFromTheTop();
    if (cards.empty() || counters.empty() || length != 5)
        return 0;
    const std::optional<int32_t> limit = SequenceThreshold(play, CARD_TYPE_STRAIGHT, 5);
    if (!limit)
        return 0;
    const int32_t threshold = *limit;
    for (int32_t start = 2; start <= 9; ++start) {
        int present = 0;
        for (int32_t v = start; v < start + 5; ++v)
            present += CounterAt(counters, v) > 0 ? 1 : 0;
        if (present + wild < 5 || StrengthKey(start + 100) <= StrengthKey(threshold))
            continue;
        auto hand = CopyHand(cards);
        WritePlay(play, CARD_TYPE_STRAIGHT, CARD_TYPE_STRAIGHT, start + 100, 5);
        for (int32_t i = 0; i < 5; ++i)
            PickCards(play.cards, hand, top_down ? start + 4 - i : start + i, 1, -1);
        return 1;
    }
    return 0;
}

int CCardTable::FindSequence(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild,
                             CardPlay& play, int32_t runs, int32_t width, int32_t type, bool top_down) const
{
    if (cards.empty() || counters.empty() || runs < 1 || runs > 13 || runs * width > PLAY_CARDS)
        return 0;
    const std::optional<int32_t> limit = SequenceThreshold(play, type, runs * width);
    if (!limit)
        return 0;
    const int32_t threshold = *limit;
    for (int32_t start = 2; start <= 14 - runs; ++start) {
        int32_t missing = 0;
        for (int32_t v = start; v < start + runs; ++v)
            missing += std::max(0, width - CounterAt(counters, v));
        if (missing > wild || StrengthKey(start + 1000 * runs) <= StrengthKey(threshold))
            continue;
        auto hand = CopyHand(cards);
        WritePlay(play, type, type, start + 1000 * runs, runs * width);
        for (int32_t i = 0; i < runs; ++i)
            PickCards(play.cards, hand, top_down ? start + runs - 1 - i : start + i, width, -1);
        return 1;
    }
    return 0;
}

int CCardTable::FindPairSeq(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                            int32_t pairs) const
{
    return pairs >= GetMinimumPairs()
        ? FindSequence(cards, counters, wild, play, pairs, 2, CARD_TYPE_PAIR_SEQ, PicksSequencesFromTheTop())
        : 0;
}

int CCardTable::FindTripleSeq(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                              int32_t triples) const
{
    return triples >= 2
        ? FindSequence(cards, counters, wild, play, triples, 3, CARD_TYPE_TRIPLE_SEQ, PicksSequencesFromTheTop())
        : 0;
}

int CCardTable::FindTripleSeqPairs(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild,
                                   CardPlay& play, int32_t triples) const
{
    const int32_t n = triples;
    if (cards.empty() || counters.empty() || n < 2 || n > 12)
        return 0;
    const std::optional<int32_t> limit = SequenceThreshold(play, CARD_TYPE_TRIPLE_SEQ_PAIRS, 5 * n);
    if (!limit)
        return 0;
    const int32_t threshold = *limit;
    bool found = false;
    int64_t best = 0;
    int32_t best_t = 0;
    int32_t best_p = 0;
    for (int32_t t = 2; t <= 14 - n; ++t) {
        Counters left {};
        for (int32_t v = 0; v < ValueLimit(counters); ++v)
            left[static_cast<size_t>(v)] = counters[static_cast<size_t>(v)];
        int32_t missing_t = 0;
        for (int32_t v = t; v < t + n; ++v) {
            missing_t += std::max(0, 3 - left[static_cast<size_t>(v)]);
            left[static_cast<size_t>(v)] = std::max(0, left[static_cast<size_t>(v)] - 3);
        }
        for (int32_t p = 2; p <= 14 - n; ++p) {
            int32_t missing = missing_t;
            for (int32_t v = p; v < p + n; ++v)
                missing += std::max(0, 2 - left[static_cast<size_t>(v)]);
            const int64_t strength = p + 10000LL * n + 100LL * t;
            if (missing <= wild && strength > StrengthKey(threshold) && (!found || strength < best)) {
                found = true;
                best = strength;
                best_t = t;
                best_p = p;
            }
        }
    }
    if (!found)
        return 0;
    auto hand = CopyHand(cards);
    WritePlay(play, CARD_TYPE_TRIPLE_SEQ_PAIRS, CARD_TYPE_TRIPLE_SEQ_PAIRS, static_cast<int32_t>(best), 5 * n);
    for (int32_t v = best_t; v < best_t + n; ++v)
        PickCards(play.cards, hand, v, 3, -1);
    for (int32_t v = best_p; v < best_p + n; ++v)
        PickCards(play.cards, hand, v, 2, -1);
    return 1;
}

int CCardTable::FindStraightFlush(std::span<const int32_t> cards, CardPlay& play, int32_t length) const
{
    if (cards.empty() || length < 1 || length > 13)
        return 0;
    bool present[4][VALUE_COUNTERS] {};
    int32_t wild = 0;
    const bool wild_rule = (m_options & 0x1) != 0;
    for (int32_t id : CardsBeforeEnd(cards)) {
        if (!IsCard(id))
            continue;
        if (wild_rule && IsWildCard(id)) {
            ++wild;
            continue;
        }
        const int32_t suit = GetCardSuit(id, 0);
        const int32_t value = GetCardValue(id, 0);
        if (suit >= 0 && suit < 4 && value >= 0 && value < VALUE_COUNTERS)
            present[suit][value] = true;
    }
    const int32_t threshold = play.type == CARD_TYPE_STRAIGHT_FLUSH ? play.strength : 0;
    int32_t chosen_suit = -1;
    int32_t chosen_start = 0;
    for (int32_t suit = 0; suit < 4; ++suit) {
        for (int32_t start = 1; start <= 14 - length; ++start) {
            int32_t have = 0;
            for (int32_t v = start; v < start + length; ++v)
                have += present[suit][v] ? 1 : 0;
            if (have + wild >= length && StrengthKey(start + 100) > StrengthKey(threshold) && (chosen_suit < 0 || start < chosen_start)) {
                chosen_suit = suit;
                chosen_start = start;
            }
        }
    }
    bool ace_low = false;
    if (length == 5 && threshold == 0) {
        for (int32_t suit = 0; suit < 4; ++suit) {
            const int32_t have = (present[suit][13] ? 1 : 0) + present[suit][1] + present[suit][2] + present[suit][3] + present[suit][4];
            if (have + wild >= length) {
                chosen_suit = suit;
                ace_low = true;
            }
        }
    }
    if (chosen_suit < 0)
        return 0;
    auto hand = CopyHand(cards);
    WritePlay(play, CARD_TYPE_STRAIGHT_FLUSH, 0, ace_low ? 100 : chosen_start + 100, length);
    if (ace_low) {
        PickCards(play.cards, hand, 13, 1, chosen_suit);
        for (int32_t v = 1; v <= 4; ++v)
            PickCards(play.cards, hand, v, 1, chosen_suit);
    } else {
        for (int32_t v = chosen_start; v < chosen_start + length; ++v)
            PickCards(play.cards, hand, v, 1, chosen_suit);
    }
    return 1;
}

int CCardTable::FindFourJokers(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play) const
{
    if (cards.empty() || counters.size() < VALUE_COUNTERS)
        return 0;
    if (counters[VALUE_SMALL_JOKER] != 2 || counters[VALUE_BIG_JOKER] != 2)
        return 0;
    if (play.type == CARD_TYPE_FOUR_JOKERS && play.strength != 0)
        return 0;
    int32_t small[2] = { NO_CARD, NO_CARD };
    int32_t big[2] = { NO_CARD, NO_CARD };
    int smalls = 0;
    int bigs = 0;
    for (int32_t id : CardsBeforeEnd(cards)) {
        if (!IsCard(id))
            continue;
        if (id % 54 == 52 && smalls < 2)
            small[smalls++] = id;
        else if (id % 54 == 53 && bigs < 2)
            big[bigs++] = id;
    }
    if (smalls < 2 || bigs < 2)
        return 0;
    WritePlay(play, CARD_TYPE_FOUR_JOKERS, BEAT_MASK_WITH_FOUR_JOKERS, 1, 4);
    play.cards[0] = small[0];
    play.cards[1] = small[1];
    play.cards[2] = big[0];
    play.cards[3] = big[1];
    return 1;
}

} // namespace rules
