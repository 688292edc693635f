// Speed of the card rules: reading selections of a 27-card hand, and the full
// hint walk (every finder from the weakest play to failure) over that hand.
#include "game/rules/PlDkTable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <vector>

namespace {

using namespace rules;

std::vector<int32_t> DealtHand(uint32_t seed)
{
    std::vector<int32_t> deck(PLDK_TOTAL_CARDS);
    std::iota(deck.begin(), deck.end(), 0);
    std::mt19937 rng(seed);
    std::shuffle(deck.begin(), deck.end(), rng);
    std::vector<int32_t> hand(deck.begin(), deck.begin() + PLDK_HAND_SIZE);
    std::sort(hand.begin(), hand.end());
    hand.resize(PLAY_CARDS, NO_CARD);
    return hand;
}

// Steps through every k-subset of the 27 positions for k = 1..8.
class CSelectionWalker {
public:
    void Next(std::array<int32_t, PLAY_CARDS>& out, const std::vector<int32_t>& hand)
    {
        int i = m_k - 1;
        while (i >= 0 && m_index[static_cast<size_t>(i)] == PLDK_HAND_SIZE - m_k + i)
            --i;
        if (i < 0) {
            m_k = m_k % 8 + 1;
            for (int j = 0; j < m_k; ++j)
                m_index[static_cast<size_t>(j)] = j;
        } else {
            ++m_index[static_cast<size_t>(i)];
            for (int j = i + 1; j < m_k; ++j)
                m_index[static_cast<size_t>(j)] = m_index[static_cast<size_t>(j - 1)] + 1;
        }
        out.fill(NO_CARD);
        for (int j = 0; j < m_k; ++j)
            out[static_cast<size_t>(j)] = hand[static_cast<size_t>(m_index[static_cast<size_t>(j)])];
    }

private:
    int m_k { 1 };
    std::array<int, 8> m_index { 0, 1, 2, 3, 4, 5, 6, 7 };
};

constexpr int32_t SEARCH_MASK = BEAT_MASK_WITH_FOUR_JOKERS | CARD_TYPE_510K | CARD_TYPE_510K_SUITED;

void BM_ClassifySelection(benchmark::State& state)
{
    CPlDkTable table(static_cast<int32_t>(state.range(0)));
    const std::vector<int32_t> hand = DealtHand(7);
    CSelectionWalker walker;
    std::array<int32_t, PLAY_CARDS> selection {};
    for (auto _ : state) {
        walker.Next(selection, hand);
        CardPlayList list;
        benchmark::DoNotOptimize(table.AnalyseCards(0, selection, list, SEARCH_MASK));
        benchmark::DoNotOptimize(list);
    }
    state.SetLabel("per classification");
}
BENCHMARK(BM_ClassifySelection)->Arg(0)->Arg(OPTION_JOKERS_WILD);

template<typename Finder>
int WalkToFailure(Finder finder)
{
    CardPlay play;
    int steps = 0;
    while (finder(play))
        ++steps;
    return steps;
}

void BM_FullHintWalk(benchmark::State& state)
{
    CPlDkTable table(static_cast<int32_t>(state.range(0)));
    const std::vector<int32_t> hand = DealtHand(11);
    std::array<int32_t, 16> counters {};
    int32_t wild = 0;
    for (auto _ : state) {
        counters.fill(0);
        table.CountValues(hand, counters, wild);
        int steps = 0;
        steps += WalkToFailure([&](CardPlay& p) { return table.FindSingle(hand, p); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindPair(hand, counters, wild, p); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindTriple(hand, counters, wild, p); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindTriplePair(hand, counters, wild, p); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindStraight(hand, counters, wild, p, 5); });
        for (int32_t n = 3; n <= 6; ++n)
            steps += WalkToFailure([&](CardPlay& p) { return table.FindPairSeq(hand, counters, wild, p, n); });
        for (int32_t n = 2; n <= 4; ++n)
            steps += WalkToFailure([&](CardPlay& p) { return table.FindTripleSeq(hand, counters, wild, p, n); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindTripleSeqPairs(hand, counters, wild, p, 2); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindMixed510K(hand, counters, p); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindSuited510K(hand, counters, p, -1); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindBomb(hand, counters, wild, p, 0); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindStraightFlush(hand, p, 5); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindBigBomb(hand, counters, wild, p, 0); });
        steps += WalkToFailure([&](CardPlay& p) { return table.FindFourJokers(hand, counters, p); });
        benchmark::DoNotOptimize(steps);
    }
    state.SetLabel("per full hint walk of a 27-card hand");
}
BENCHMARK(BM_FullHintWalk)->Arg(0)->Arg(OPTION_JOKERS_WILD);

} // namespace

BENCHMARK_MAIN();
