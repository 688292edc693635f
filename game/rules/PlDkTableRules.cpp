// CPlDkTable: this game's reading of plays: its analysis order with the 510K
// types, the beat exceptions of bombs and four jokers, bombs filled by
// jokers, longer minimum sequences and its triple sequence with any pairs.
#include "game/rules/PlDkTable.h"

#include <algorithm>

namespace rules {
std::span<const int32_t> CPlDkTable::GetAnalysisOrder() const
{
    static constexpr int32_t order[] = { CARD_TYPE_SINGLE, CARD_TYPE_PAIR, CARD_TYPE_TRIPLE, CARD_TYPE_TRIPLE_PAIR,
        CARD_TYPE_STRAIGHT, CARD_TYPE_PAIR_SEQ, CARD_TYPE_TRIPLE_SEQ, CARD_TYPE_TRIPLE_SEQ_PAIRS, CARD_TYPE_510K,
        CARD_TYPE_510K_SUITED, CARD_TYPE_BOMB, CARD_TYPE_STRAIGHT_FLUSH, CARD_TYPE_BIG_BOMB, CARD_TYPE_FOUR_JOKERS,
        CARD_TYPE_ANY };
    return order;
}

int CPlDkTable::AddCandidate(int32_t type, std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    switch (type) {
    case CARD_TYPE_510K: return AddMixed510KCandidate(cards, valid, list);
    case CARD_TYPE_510K_SUITED: return AddSuited510KCandidate(cards, valid, list);
    default: return CCardTable::AddCandidate(type, cards, valid, list);
    }
}

bool CPlDkTable::Replaces(const CardPlay& best, int32_t best_count, const CardPlay& entry,
                          bool same_count_for_sequences) const
{
    if (!CCardTable::Replaces(best, best_count, entry, same_count_for_sequences))
        return false;
    if (entry.type == best.type)
        return !(same_count_for_sequences && IsSequenceType(best.type) && entry.count != best_count);
    if (entry.type == CARD_TYPE_BOMB && best.type == CARD_TYPE_FOUR_JOKERS)
        return entry.count >= 7;
    if (entry.type == CARD_TYPE_FOUR_JOKERS && best.type == CARD_TYPE_BOMB)
        return best_count < 7;
    return true;
}

int CPlDkTable::CanBeat(const CardPlay& last, const CardPlay& play) const
{
    // Four jokers and bombs of seven or more cards stand above each other.
    if (play.type == CARD_TYPE_FOUR_JOKERS && last.type == CARD_TYPE_BOMB && last.count >= 7)
        return 0;
    if (play.type == CARD_TYPE_BOMB && last.type == CARD_TYPE_FOUR_JOKERS && play.count <= 6)
        return 0;
    return CCardTable::CanBeat(last, play);
}

int CPlDkTable::AddSameValueCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list, int32_t need,
                                      int32_t type)
{
    if (cards.empty() || list.count < 0 || list.count >= PLAY_LIST_SIZE || valid != need)
        return 0;
    Counters counters {};
    int32_t wild = 0;
    CountValues(cards, counters, wild);
    if (wild != 0 || CountWildValues(counters, -1) != valid)
        return type == CARD_TYPE_PAIR ? CCardTable::AddPairCandidate(cards, valid, list)
                                      : CCardTable::AddTripleCandidate(cards, valid, list);
    // Wild jokers alone read as the weakest set: value 2 (the 3).
    CardPlay& entry = list.plays[static_cast<size_t>(list.count++)];
    WritePlay(entry, type, type, Order(2), need);
    int next = 0;
    for (int32_t id : cards) {
        if (next < need && IsCard(id))
            entry.cards[next++] = id;
    }
    return 1;
}

int CPlDkTable::AddPairCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    return AddSameValueCandidate(cards, valid, list, 2, CARD_TYPE_PAIR);
}

int CPlDkTable::AddTripleCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    return AddSameValueCandidate(cards, valid, list, 3, CARD_TYPE_TRIPLE);
}

int CPlDkTable::AddMixed510KCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (cards.empty() || list.count < 0 || list.count >= PLAY_LIST_SIZE || valid != 3)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t, CardPlay& p) { return FindMixed510K(cards, c, p); });
}

int CPlDkTable::AddSuited510KCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (cards.empty() || list.count < 0 || list.count >= PLAY_LIST_SIZE || valid != 3)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t, CardPlay& p) { return FindSuited510K(cards, c, p, -1); });
}

int CPlDkTable::FindBomb(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                         int32_t length) const
{
    if (cards.empty() || counters.size() < VALUE_COUNTERS || length < 0 || length > PLAY_CARDS)
        return 0;
    const bool vs_bomb = play.type == CARD_TYPE_BOMB;
    const bool vs_four_jokers = play.type == CARD_TYPE_FOUR_JOKERS;
    int32_t min_length = 4;
    if (vs_four_jokers) {
        if (length == 0)
            min_length = 7;
        else if (length < 7)
            return 0;
    }
    const int32_t jokers = counters[VALUE_SMALL_JOKER] + counters[VALUE_BIG_JOKER];
    // Natural jokers fill a bomb of ordinary cards; they never fill twice.
    Counters without_jokers {};
    std::copy_n(counters.begin(), VALUE_COUNTERS, without_jokers.begin());
    without_jokers[VALUE_SMALL_JOKER] = 0;
    without_jokers[VALUE_BIG_JOKER] = 0;
    auto try_length = [&](int32_t L, int32_t threshold) {
        int32_t v = FindValueToBeat(counters, L, wild, threshold);
        if (v >= 0)
            return v;
        if (L > play.count)
            threshold = 0;
        for (int32_t j = 1; j <= jokers && L - j >= 3; ++j) {
            v = FindValueToBeat(without_jokers, L, j, threshold);
            if (v >= 0)
                return v;
        }
        return -1;
    };
    const int32_t threshold = vs_bomb ? play.strength : 0;
    int32_t value = -1;
    int32_t found_length = length;
    if (length == 0) {
        for (int32_t L = min_length; L <= 4 * m_rule.decks && value < 0; ++L) {
            if (L < play.count)
                continue;
            value = try_length(L, threshold);
            found_length = L;
        }
    } else if ((!vs_bomb || play.count <= length) && (!vs_four_jokers || length >= min_length)) {
        value = try_length(length, threshold);
    }
    if (value < 0)
        return 0;
    // Built aside: a failed search leaves the caller's play as it was.
    auto hand = CopyHand(cards);
    CardPlay found;
    WritePlay(found, CARD_TYPE_BOMB, BEAT_MASK_PLDK_BOMB, Order(value) + 10000 * (found_length - 4), found_length);
    int32_t placed = PickCards(found.cards, hand, value, found_length, -1);
    for (const int32_t kind : { 52, 53 }) {
        for (int32_t& id : hand) {
            if (placed >= found_length)
                break;
            if (IsCard(id) && id % 54 == kind) {
                found.cards[placed++] = id;
                id = NO_CARD;
            }
        }
    }
    if (placed != found_length)
        return 0;
    play = found;
    return 1;
}

int CPlDkTable::TryTripleSeqPairsRun(std::span<const int32_t> counters, int32_t wild, int32_t threshold,
                                     std::span<const int32_t> run, int32_t base_strength, std::span<int32_t> pairs_out,
                                     int32_t& strength_out) const
{
    Counters left {};
    std::copy_n(counters.begin(), std::min<size_t>(counters.size(), VALUE_COUNTERS), left.begin());
    int32_t missing = 0;
    for (int32_t v : run) {
        if (left[static_cast<size_t>(v)] >= 4)
            return 0;
        missing += 3 - left[static_cast<size_t>(v)];
        left[static_cast<size_t>(v)] = 0;
    }
    if (missing > wild)
        return 0;
    const int32_t wild_left = wild - missing;
    const int n = static_cast<int>(run.size());
    // Sets of n different pair values from 1 to 13, in ascending
    // lexicographic order; the first that fits and beats is taken.
    std::array<int32_t, 13> pick {};
    for (int i = 0; i < n; ++i)
        pick[static_cast<size_t>(i)] = i + 1;
    while (true) {
        int32_t cost = 0;
        int64_t sum = 0;
        for (int i = 0; i < n; ++i) {
            const int32_t v = pick[static_cast<size_t>(i)];
            cost += std::max(0, 2 - left[static_cast<size_t>(v)]);
            sum += GetValueOrder(v, 1);
        }
        const int64_t strength = base_strength + sum;
        if (cost <= wild_left && strength > StrengthKey(threshold)) {
            std::copy_n(pick.begin(), n, pairs_out.begin());
            strength_out = static_cast<int32_t>(strength);
            return 1;
        }
        int i = n - 1;
        while (i >= 0 && pick[static_cast<size_t>(i)] == 13 - (n - 1 - i))
            --i;
        if (i < 0)
            return 0;
        ++pick[static_cast<size_t>(i)];
        for (int k = i + 1; k < n; ++k)
            pick[static_cast<size_t>(k)] = pick[static_cast<size_t>(k - 1)] + 1;
    }
}

int CPlDkTable::FindTripleSeqPairs(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild,
                                   CardPlay& play, int32_t triples) const
{
    const int32_t n = triples;
    if (cards.empty() || counters.empty() || n < 2 || n > 12)
        return 0;
    const std::optional<int32_t> limit = SequenceThreshold(play, CARD_TYPE_TRIPLE_SEQ_PAIRS, 5 * n);
    if (!limit)
        return 0;
    const int32_t threshold = *limit;
    std::array<int32_t, 13> run {};
    std::array<int32_t, 13> pairs {};
    int32_t strength = 0;
    bool found = false;
    for (int32_t s = 1; s <= 14 - n && !found; ++s) {
        for (int32_t i = 0; i < n; ++i)
            run[static_cast<size_t>(i)] = s + i;
        found = TryTripleSeqPairsRun(counters, wild, threshold, std::span(run).first(static_cast<size_t>(n)),
                                     s * 10000, pairs, strength);
    }
    if (!found && CounterAt(counters, 13) > 0) {
        run[0] = 13;
        for (int32_t i = 1; i < n; ++i)
            run[static_cast<size_t>(i)] = i;
        found = TryTripleSeqPairsRun(counters, wild, threshold, std::span(run).first(static_cast<size_t>(n)), 0, pairs,
                                     strength);
    }
    if (!found)
        return 0;
    auto hand = CopyHand(cards);
    WritePlay(play, CARD_TYPE_TRIPLE_SEQ_PAIRS, CARD_TYPE_TRIPLE_SEQ_PAIRS, strength, 5 * n);
    // Triples from the top of the run down; the ace-low run (ace first in
    // `run`) thus ends with the ace.
    for (int32_t i = n - 1; i >= 0; --i)
        PickCards(play.cards, hand, run[static_cast<size_t>(i)], 3, -1);
    for (int32_t i = 0; i < n; ++i)
        PickCards(play.cards, hand, pairs[static_cast<size_t>(i)], 2, -1);
    return 1;
}

int CPlDkTable::FindFourJokers(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play) const
{
    if (play.type == CARD_TYPE_BOMB && play.count >= 7)
        return 0;
    if (!CCardTable::FindFourJokers(cards, counters, play))
        return 0;
    play.beat_mask = BEAT_MASK_PLDK_BOMB;
    return 1;
}

namespace {

// Per suit, how many natural fives, tens and kings the cards hold.
struct FiveTenKing {
    int32_t count[4][3] {};
};

FiveTenKing CountFiveTenKing(const CPlDkTable& table, std::span<const int32_t> cards)
{
    FiveTenKing tally;
    const bool wild_rule = (table.GetOptions() & OPTION_JOKERS_WILD) != 0;
    for (int32_t id : CardsBeforeEnd(cards)) {
        if (!table.IsCard(id) || (wild_rule && table.IsWildCard(id)))
            continue;
        const int32_t suit = GetCardSuit(id, 0);
        const int32_t value = GetCardValue(id, 0);
        const int slot = value == VALUE_FIVE ? 0 : (value == VALUE_TEN ? 1 : (value == VALUE_KING ? 2 : -1));
        if (slot >= 0 && suit >= 0 && suit < 4)
            ++tally.count[suit][slot];
    }
    return tally;
}

// Appends one king, one ten and one five (of `suit`, or of any suit with
// cards left in `left`) from the cards.
bool PickFiveTenKing(const CPlDkTable& table, std::span<const int32_t> cards, CardPlay& play, int32_t suit,
                     const FiveTenKing* left)
{
    const int32_t values[3] = { VALUE_KING, VALUE_TEN, VALUE_FIVE };
    const int slots[3] = { 2, 1, 0 };
    const bool wild_rule = (table.GetOptions() & OPTION_JOKERS_WILD) != 0;
    for (int i = 0; i < 3; ++i) {
        int32_t chosen = NO_CARD;
        for (int32_t id : CardsBeforeEnd(cards)) {
            if (!table.IsCard(id) || (wild_rule && table.IsWildCard(id)) || GetCardValue(id, 0) != values[i])
                continue;
            const int32_t card_suit = GetCardSuit(id, 0);
            if (card_suit < 0 || card_suit > 3)
                continue;
            if ((suit >= 0 && card_suit != suit) || (left && left->count[card_suit][slots[i]] < 1))
                continue;
            chosen = id;
            break;
        }
        if (chosen == NO_CARD)
            return false;
        play.cards[i] = chosen;
    }
    return true;
}

} // namespace

int CPlDkTable::FindMixed510K(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play) const
{
    if (cards.empty() || counters.empty())
        return 0;
    if (!CounterAt(counters, VALUE_FIVE) || !CounterAt(counters, VALUE_TEN) || !CounterAt(counters, VALUE_KING))
        return 0;
    if (play.type == CARD_TYPE_BOMB || play.type == CARD_TYPE_FOUR_JOKERS || play.type == CARD_TYPE_510K
        || play.type == CARD_TYPE_510K_SUITED)
        return 0;
    FiveTenKing left = CountFiveTenKing(*this, cards);
    // Complete suited sets are not spent on a mixed 510K.
    for (auto& suit : left.count) {
        const int32_t sets = std::min({ suit[0], suit[1], suit[2] });
        for (int32_t& n : suit)
            n -= sets;
    }
    int32_t totals[3] {};
    for (const auto& suit : left.count) {
        for (int i = 0; i < 3; ++i)
            totals[i] += suit[i];
    }
    if (!totals[0] || !totals[1] || !totals[2])
        return 0;
    CardPlay found;
    WritePlay(found, CARD_TYPE_510K, BEAT_MASK_510K, Order(VALUE_KING), 3);
    if (!PickFiveTenKing(*this, cards, found, -1, &left))
        return 0;
    play = found;
    return 1;
}

int CPlDkTable::FindSuited510K(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play,
                               int32_t suit) const
{
    if (cards.empty() || counters.empty() || suit < -1 || suit > 3)
        return 0;
    if (!CounterAt(counters, VALUE_FIVE) || !CounterAt(counters, VALUE_TEN) || !CounterAt(counters, VALUE_KING))
        return 0;
    if (play.type == CARD_TYPE_BOMB || play.type == CARD_TYPE_FOUR_JOKERS)
        return 0;
    const FiveTenKing tally = CountFiveTenKing(*this, cards);
    auto holds = [&tally](int s) { return tally.count[s][0] > 0 && tally.count[s][1] > 0 && tally.count[s][2] > 0; };
    int32_t chosen = -1;
    if (suit < 0) {
        const bool above = play.type == CARD_TYPE_510K_SUITED;
        for (int s = 0; s < 4; ++s) {
            if (holds(s) && (!above || StrengthKey(s) > StrengthKey(play.strength)))
                chosen = s;
        }
    } else if (holds(suit) && StrengthKey(suit) > StrengthKey(play.strength)) {
        chosen = suit;
    }
    if (chosen < 0)
        return 0;
    CardPlay found;
    WritePlay(found, CARD_TYPE_510K_SUITED, BEAT_MASK_510K_SUITED, chosen, 3);
    if (!PickFiveTenKing(*this, cards, found, chosen, nullptr))
        return 0;
    play = found;
    return 1;
}

} // namespace rules
