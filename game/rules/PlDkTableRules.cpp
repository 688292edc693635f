// CPlDkTable: this game's reading of plays: its analysis order with the 510K
// types, the beat exceptions of bombs and four jokers, bombs filled by
// jokers, longer minimum sequences and its triple sequence with any pairs.
#include "game/rules/PlDkTable.h"

#include <algorithm>

namespace rules {
namespace {

uint32_t U(int32_t strength)
{
    return static_cast<uint32_t>(strength);
}

bool IsSequenceType(int32_t type)
{
    return type == CARD_TYPE_STRAIGHT || type == CARD_TYPE_PAIR_SEQ || type == CARD_TYPE_TRIPLE_SEQ
        || type == CARD_TYPE_TRIPLE_SEQ_PAIRS;
}

int32_t CounterAt(std::span<const int32_t> counters, int32_t value)
{
    return value >= 0 && static_cast<size_t>(value) < counters.size() ? counters[static_cast<size_t>(value)] : 0;
}

size_t CardEnd(std::span<const int32_t> cards)
{
    return static_cast<size_t>(std::find(cards.begin(), cards.end(), NO_CARD) - cards.begin());
}

constexpr int32_t VALUE_FIVE = 4;
constexpr int32_t VALUE_TEN = 9;
constexpr int32_t VALUE_KING = 12;

} // namespace

int CPlDkTable::AnalyseCards(int, std::span<const int32_t> cards, CardPlayList& list, int32_t type_mask)
{
    const int valid = CountValidCards(cards);
    using AddFn = int (CPlDkTable::*)(std::span<const int32_t>, int, CardPlayList&);
    static const std::pair<int32_t, AddFn> order[] = {
        { CARD_TYPE_SINGLE, &CPlDkTable::AddSingleCandidate },
        { CARD_TYPE_PAIR, &CPlDkTable::AddPairCandidate },
        { CARD_TYPE_TRIPLE, &CPlDkTable::AddTripleCandidate },
        { CARD_TYPE_TRIPLE_PAIR, &CPlDkTable::AddTriplePairCandidate },
        { CARD_TYPE_STRAIGHT, &CPlDkTable::AddStraightCandidate },
        { CARD_TYPE_PAIR_SEQ, &CPlDkTable::AddPairSeqCandidate },
        { CARD_TYPE_TRIPLE_SEQ, &CPlDkTable::AddTripleSeqCandidate },
        { CARD_TYPE_TRIPLE_SEQ_PAIRS, &CPlDkTable::AddTripleSeqPairsCandidate },
        { CARD_TYPE_510K, &CPlDkTable::AddMixed510KCandidate },
        { CARD_TYPE_510K_SUITED, &CPlDkTable::AddSuited510KCandidate },
        { CARD_TYPE_BOMB, &CPlDkTable::AddBombCandidate },
        { CARD_TYPE_STRAIGHT_FLUSH, &CPlDkTable::AddStraightFlushCandidate },
        { CARD_TYPE_BIG_BOMB, &CPlDkTable::AddBigBombCandidate },
        { CARD_TYPE_FOUR_JOKERS, &CPlDkTable::AddFourJokersCandidate },
        { CARD_TYPE_ANY, &CPlDkTable::AddAnyCandidate },
    };
    for (const auto& [flag, add] : order) {
        if (type_mask & flag)
            (this->*add)(cards, valid, list);
    }
    return list.count > 0 ? 1 : 0;
}

bool CPlDkTable::Replaces(const CardPlay& best, int32_t best_count, const CardPlay& entry,
                          bool same_count_for_sequences) const
{
    if (best.type == 0 || (entry.beat_mask & best.type) == 0)
        return false;
    if (entry.type == best.type) {
        if (same_count_for_sequences && IsSequenceType(best.type) && entry.count != best_count)
            return false;
        return U(entry.strength) > U(best.strength);
    }
    if (entry.type == CARD_TYPE_BOMB && best.type == CARD_TYPE_FOUR_JOKERS)
        return entry.count >= 7;
    if (entry.type == CARD_TYPE_FOUR_JOKERS && best.type == CARD_TYPE_BOMB)
        return best_count < 7;
    return true;
}

int CPlDkTable::CanBeat(const CardPlay& last, const CardPlay& play) const
{
    if ((play.beat_mask & last.type) == 0)
        return 0;
    if (play.type == CARD_TYPE_FOUR_JOKERS && last.type == CARD_TYPE_BOMB && last.count >= 7)
        return 0;
    if (play.type == CARD_TYPE_BOMB && last.type == CARD_TYPE_FOUR_JOKERS && play.count <= 6)
        return 0;
    if (play.type == last.type)
        return U(play.strength) > U(last.strength) ? 1 : 0;
    return 1;
}

namespace {

// Wild jokers alone read as the weakest pair or triple: value 2 (the 3).
bool WriteWildOnly(CardPlay& entry, std::span<const int32_t> cards, int32_t type, int32_t count, int32_t strength,
                   const CCardTable& table)
{
    entry.Clear();
    entry.type = type;
    entry.beat_mask = type;
    entry.strength = strength;
    entry.count = count;
    int next = 0;
    for (int32_t id : cards) {
        if (next < count && table.IsCard(id))
            entry.cards[next++] = id;
    }
    return true;
}

} // namespace

int CPlDkTable::AddPairCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (cards.empty() || list.count < 0 || list.count >= PLAY_LIST_SIZE || valid != 2)
        return 0;
    Counters counters {};
    int32_t wild = 0;
    CountValues(cards, counters, wild);
    if (wild == 0 && CountWildValues(counters, -1) == valid) {
        WriteWildOnly(list.plays[static_cast<size_t>(list.count++)], cards, CARD_TYPE_PAIR, 2, Order(2), *this);
        return 1;
    }
    return CCardTable::AddPairCandidate(cards, valid, list);
}

int CPlDkTable::AddTripleCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (cards.empty() || list.count < 0 || list.count >= PLAY_LIST_SIZE || valid != 3)
        return 0;
    Counters counters {};
    int32_t wild = 0;
    CountValues(cards, counters, wild);
    if (wild == 0 && CountWildValues(counters, -1) == valid) {
        WriteWildOnly(list.plays[static_cast<size_t>(list.count++)], cards, CARD_TYPE_TRIPLE, 3, Order(2), *this);
        return 1;
    }
    return CCardTable::AddTripleCandidate(cards, valid, list);
}

int CPlDkTable::AddStraightCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    return CCardTable::AddStraightCandidate(cards, valid, list);
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

int CPlDkTable::FindTriplePairToBeat(std::span<const int32_t> counters, int32_t wild, int32_t threshold,
                                     int32_t& triple_out, int32_t& pair_out) const
{
    bool found = false;
    int64_t best = 0;
    const int32_t limit = static_cast<int32_t>(std::min<size_t>(counters.size(), VALUE_COUNTERS));
    for (int32_t t = 0; t < limit; ++t) {
        const int32_t have_t = counters[static_cast<size_t>(t)];
        if (have_t < 1 || static_cast<int64_t>(have_t) + wild < 3)
            continue;
        const int32_t wild_left = wild - std::max(0, 3 - have_t);
        for (int32_t p = 1; p < limit; ++p) {
            const int32_t have_p = counters[static_cast<size_t>(p)];
            if (p == t || static_cast<int64_t>(have_p) + wild_left < 2)
                continue;
            // A pair of two wild cards alone stands for an ordinary value.
            if (have_p < 1 && (p > 13 || wild_left < 2))
                continue;
            const int64_t strength = static_cast<int64_t>(Order(t)) * 10000 + Order(p);
            if (strength > U(threshold) && (!found || strength < best)) {
                found = true;
                best = strength;
                triple_out = t;
                pair_out = p;
            }
        }
    }
    return found ? 1 : 0;
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
    auto hand = CopyHand(cards);
    WritePlay(play, CARD_TYPE_BOMB, BEAT_MASK_PLDK_BOMB, Order(value) + 10000 * (found_length - 4), found_length);
    int32_t placed = PickCards(play.cards, hand, value, found_length, -1);
    for (const int32_t kind : { 52, 53 }) {
        for (int32_t& id : hand) {
            if (placed >= found_length)
                break;
            if (IsCard(id) && id % 54 == kind) {
                play.cards[placed++] = id;
                id = NO_CARD;
            }
        }
    }
    return placed == found_length ? 1 : 0;
}

int CPlDkTable::FindStraight(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                             int32_t length) const
{
    return FindStraightIn(cards, counters, wild, play, length, true);
}

int CPlDkTable::FindPairSeq(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                            int32_t pairs) const
{
    return pairs >= 3 ? FindSequence(cards, counters, wild, play, pairs, 2, CARD_TYPE_PAIR_SEQ, true) : 0;
}

int CPlDkTable::FindTripleSeq(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                              int32_t triples) const
{
    return triples >= 2 ? FindSequence(cards, counters, wild, play, triples, 3, CARD_TYPE_TRIPLE_SEQ, true) : 0;
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
        if (cost <= wild_left && strength > U(threshold)) {
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
    if (play.type == CARD_TYPE_TRIPLE_SEQ_PAIRS && play.count != 5 * n)
        return 0;
    const int32_t threshold = play.type == CARD_TYPE_TRIPLE_SEQ_PAIRS ? play.strength : 0;
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
    for (int32_t id : cards.first(CardEnd(cards))) {
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
        for (int32_t id : cards.first(CardEnd(cards))) {
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
            if (holds(s) && (!above || U(s) > U(play.strength)))
                chosen = s;
        }
    } else if (holds(suit) && U(suit) > U(play.strength)) {
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
