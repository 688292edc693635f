// The ordered play search shared by the classification and the hint.
#include "game/scene/PlaySearch.h"

#include "game/rules/PlDkTable.h"

#include <algorithm>
#include <array>

namespace scene {
namespace {

using namespace rules;

/// Singles to triple sequences with pairs: each is laid on its own type.
constexpr std::array<PlaySearchStep, 8> SAME_TYPE_STEPS = { {
    { CARD_TYPE_SINGLE, PlayFinder::Single, CARD_TYPE_SINGLE },
    { CARD_TYPE_PAIR, PlayFinder::Pair, CARD_TYPE_PAIR },
    { CARD_TYPE_TRIPLE, PlayFinder::Triple, CARD_TYPE_TRIPLE },
    { CARD_TYPE_TRIPLE_PAIR, PlayFinder::TriplePair, CARD_TYPE_TRIPLE_PAIR },
    { CARD_TYPE_STRAIGHT, PlayFinder::Straight, CARD_TYPE_STRAIGHT, 5, 12 },
    { CARD_TYPE_PAIR_SEQ, PlayFinder::PairSeq, CARD_TYPE_PAIR_SEQ, 2, 12 },
    { CARD_TYPE_TRIPLE_SEQ, PlayFinder::TripleSeq, CARD_TYPE_TRIPLE_SEQ, 2, 12 },
    { CARD_TYPE_TRIPLE_SEQ_PAIRS, PlayFinder::TripleSeqPairs, CARD_TYPE_TRIPLE_SEQ_PAIRS, 2, 12 },
} };

template<size_t N>
constexpr std::array<PlaySearchStep, 8 + N> AfterSameType(const std::array<PlaySearchStep, N>& rest)
{
    std::array<PlaySearchStep, 8 + N> steps {};
    for (size_t i = 0; i < 8; ++i)
        steps[i] = SAME_TYPE_STEPS[i];
    for (size_t i = 0; i < N; ++i)
        steps[8 + i] = rest[i];
    return steps;
}

constexpr auto HINT_STEPS = AfterSameType(std::array<PlaySearchStep, 6> { {
    { CARD_TYPE_510K, PlayFinder::Mixed510K, BEAT_MASK_510K },
    { CARD_TYPE_510K_SUITED, PlayFinder::Suited510K, BEAT_MASK_510K_SUITED },
    { CARD_TYPE_BOMB, PlayFinder::Bomb, BEAT_MASK_PLDK_BOMB, 4, 12 },
    { CARD_TYPE_STRAIGHT_FLUSH, PlayFinder::StraightFlush, 0, 5, 5 },
    { CARD_TYPE_BIG_BOMB, PlayFinder::BigBomb, 0 },
    { CARD_TYPE_FOUR_JOKERS, PlayFinder::FourJokers, BEAT_MASK_WITH_FOUR_JOKERS },
} });

// The sequences take the hint's lengths; the bombs run one length per step.
constexpr auto CLASSIFY_STEPS = AfterSameType(std::array<PlaySearchStep, 8> { {
    { CARD_TYPE_BOMB, PlayFinder::Bomb, BEAT_MASK_GENERAL_BOMB, 4, 4 },
    { CARD_TYPE_BOMB, PlayFinder::Bomb, BEAT_MASK_GENERAL_BOMB, 5, 5 },
    { CARD_TYPE_BOMB, PlayFinder::Bomb, BEAT_MASK_GENERAL_BOMB, 6, 6 },
    { CARD_TYPE_BOMB, PlayFinder::Bomb, BEAT_MASK_GENERAL_BOMB, 7, 7 },
    { CARD_TYPE_BOMB, PlayFinder::Bomb, BEAT_MASK_GENERAL_BOMB, 8, 8 },
    { CARD_TYPE_STRAIGHT_FLUSH, PlayFinder::StraightFlush, 0, 5, 5 },
    { CARD_TYPE_BIG_BOMB, PlayFinder::BigBomb, 0 },
    { CARD_TYPE_FOUR_JOKERS, PlayFinder::FourJokers, BEAT_MASK_WITH_FOUR_JOKERS },
} });

int RunFinder(const CCardTable& table, const CPlDkTable* pldk, PlayFinder finder, std::span<const int32_t> hand,
              std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t length, int32_t suit)
{
    switch (finder) {
    case PlayFinder::Single: return table.FindSingle(hand, play);
    case PlayFinder::Pair: return table.FindPair(hand, counters, wild, play);
    case PlayFinder::Triple: return table.FindTriple(hand, counters, wild, play);
    case PlayFinder::TriplePair: return table.FindTriplePair(hand, counters, wild, play);
    case PlayFinder::Straight: return table.FindStraight(hand, counters, wild, play, length);
    case PlayFinder::PairSeq: return table.FindPairSeq(hand, counters, wild, play, length);
    case PlayFinder::TripleSeq: return table.FindTripleSeq(hand, counters, wild, play, length);
    case PlayFinder::TripleSeqPairs: return table.FindTripleSeqPairs(hand, counters, wild, play, length);
    case PlayFinder::Mixed510K: return pldk ? pldk->FindMixed510K(hand, counters, play) : 0;
    case PlayFinder::Suited510K: return pldk ? pldk->FindSuited510K(hand, counters, play, suit) : 0;
    case PlayFinder::Bomb: return table.FindBomb(hand, counters, wild, play, length);
    case PlayFinder::StraightFlush: return table.FindStraightFlush(hand, play, length);
    case PlayFinder::BigBomb: return table.FindBigBomb(hand, counters, wild, play, length);
    case PlayFinder::FourJokers: return table.FindFourJokers(hand, counters, play);
    }
    return 0;
}

} // namespace

std::span<const PlaySearchStep> PlDkHintSteps()
{
    return HINT_STEPS;
}

std::span<const PlaySearchStep> CardGameClassifySteps()
{
    return CLASSIFY_STEPS;
}

SelectionReading ReadSelection(CCardTable& table, int chair, std::span<const int32_t> cards, const LastPlay& last,
                               int32_t type_mask)
{
    SelectionReading reading;
    std::array<int32_t, PLAY_CARDS> list_cards;
    list_cards.fill(NO_CARD);
    size_t n = 0;
    for (int32_t id : cards) {
        if (id != NO_CARD && n < list_cards.size())
            list_cards[n++] = id;
    }
    if (n == 0)
        return reading;
    CardPlayList list;
    list.Clear();
    reading.has_reading = table.AnalyseCards(chair, list_cards, list, type_mask) != 0 && list.count > 0;
    if (!reading.has_reading)
        return reading;
    if (last.IsLeading())
        table.PickLeadCandidate(list);
    else if (!table.PickBeatingCandidate(last.play, list))
        return reading;
    reading.chosen = list.plays[0];
    return reading;
}

int RunPlaySearch(const CCardTable& table, const CPlDkTable* pldk, std::span<const PlaySearchStep> steps,
                  std::span<const int32_t> hand, std::span<int32_t> out, const CardPlay& to_beat, CardPlay& found,
                  int32_t type_mask, int32_t suit, LengthOrder lengths)
{
    // The finders stop at the first -1; the caller's hand may have gaps.
    std::array<int32_t, PLAY_CARDS> cards;
    cards.fill(NO_CARD);
    size_t n = 0;
    for (int32_t id : hand) {
        if (id != NO_CARD && n < cards.size())
            cards[n++] = id;
    }
    std::array<int32_t, VALUE_COUNTERS> counters {};
    int32_t wild = 0;
    table.CountValues(std::span(cards).first(n), counters, wild);
    found = to_beat;
    const int32_t beat_type = to_beat.type;
    bool hit = false;
    for (const PlaySearchStep& step : steps) {
        if (!(step.type & type_mask) || (beat_type & step.laid_on) != beat_type)
            continue;
        const int32_t first = lengths == LengthOrder::ShortestFirst ? step.shortest : step.longest;
        const int32_t last = lengths == LengthOrder::ShortestFirst ? step.longest : step.shortest;
        const int32_t delta = first <= last ? 1 : -1;
        for (int32_t length = first;; length += delta) {
            // Each finder starts from the play to beat, whatever a failed
            // one left behind.
            CardPlay attempt = to_beat;
            if (RunFinder(table, pldk, step.finder, cards, counters, wild, attempt, length, suit)) {
                found = attempt;
                hit = true;
                break;
            }
            if (length == last)
                break;
        }
        if (hit)
            break;
    }
    if (!hit) {
        found = to_beat;
        return 0;
    }
    const std::span<const int32_t> ids = found.Cards();
    const size_t copied = std::min(out.size(), ids.size());
    std::copy_n(ids.begin(), copied, out.begin());
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(copied), out.end(), NO_CARD);
    return 1;
}

} // namespace scene
