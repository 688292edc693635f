// Speed of the hint button: one press (lower, assist, search, raise, check)
// on a 27-card hand with wild jokers against a bomb on the table, cycling
// through every play that beats it.
#include "game/scene/PlDkPlayFinder.h"

#include <benchmark/benchmark.h>

#include <memory>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {

using namespace rules;
using namespace scene;

int32_t Card(int32_t value, int32_t suit, int32_t deck = 0)
{
    return deck * 54 + suit * 13 + (value - 1);
}

// Two jokers (wild), two natural bombs, pairs, a 510K and singles: many
// plays beat a bomb of four 6s.
const std::vector<int32_t> HAND = {
    52, 53 + 54,
    Card(8, 0), Card(8, 1), Card(8, 2), Card(8, 3), Card(8, 0, 1),
    Card(11, 0), Card(11, 1), Card(11, 2), Card(11, 3),
    Card(13, 0), Card(13, 1), Card(13, 2),
    Card(4, 0), Card(9, 1), Card(12, 2), Card(4, 3),
    Card(2, 0), Card(2, 1), Card(3, 2), Card(5, 3), Card(6, 0), Card(7, 1),
    Card(10, 2), Card(1, 3), Card(1, 0),
};

void BM_HintPress(benchmark::State& state)
{
    if (HAND.size() != static_cast<size_t>(PLDK_HAND_SIZE)) {
        state.SkipWithError("the hand must hold 27 cards");
        return;
    }
    CCardSpriteRecords sprites(PLDK_TOTAL_CARDS);
    for (size_t k = 0; k < HAND.size(); ++k) {
        CardSpriteState& s = sprites.At(static_cast<int>(k));
        s.card = HAND[k];
        s.chair = 0;
        s.state = CARD_STATE_HAND;
        s.row_index = static_cast<int32_t>(k);
        s.face_up = true;
    }
    CPlDkChairMath chairs(0);
    CPlDkHandOperations hand(sprites, chairs);
    CPlDkPlayFinder finder(hand);
    LastPlay last;
    last.chair = 1;
    last.play.type = CARD_TYPE_BOMB;
    last.play.beat_mask = BEAT_MASK_PLDK_BOMB;
    last.play.strength = 5;
    last.play.count = 4;
    for (int i = 0; i < 4; ++i)
        last.play.cards[i] = Card(5, i);
    int64_t raised = 0;
    for (auto _ : state) {
        const HintPress press = finder.PressHint(last);
        if (press == HintPress::Raised || press == HintPress::Assisted)
            raised += finder.CheckSelection(last).throw_enabled ? 1 : 0;
        benchmark::DoNotOptimize(raised);
    }
    state.counters["throwable"] = benchmark::Counter(static_cast<double>(raised), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_HintPress)->Unit(benchmark::kMicrosecond);

// Dealt hands that hold both jokers of one deck (wild), against a bomb of
// four 6s; each of 64 hands is pressed through a whole hint cycle in turn.
void BM_HintPressDealt(benchmark::State& state)
{
    constexpr int HANDS = 64;
    std::vector<CCardSpriteRecords> tables;
    std::mt19937 rng(33);
    for (int h = 0; h < HANDS; ++h) {
        std::vector<int32_t> deck(PLDK_TOTAL_CARDS);
        std::iota(deck.begin(), deck.end(), 0);
        deck.erase(std::remove_if(deck.begin(), deck.end(), [](int32_t c) { return c == 52 || c == 53; }), deck.end());
        std::shuffle(deck.begin(), deck.end(), rng);
        deck.resize(PLDK_HAND_SIZE - 2);
        deck.push_back(52);
        deck.push_back(53);
        CCardSpriteRecords& sprites = tables.emplace_back(PLDK_TOTAL_CARDS);
        for (size_t k = 0; k < deck.size(); ++k) {
            CardSpriteState& s = sprites.At(static_cast<int>(k));
            s.card = deck[k];
            s.chair = 0;
            s.state = CARD_STATE_HAND;
            s.row_index = static_cast<int32_t>(k);
        }
    }
    CPlDkChairMath chairs(0);
    LastPlay last;
    last.chair = 1;
    last.play.type = CARD_TYPE_BOMB;
    last.play.beat_mask = BEAT_MASK_PLDK_BOMB;
    last.play.strength = 5;
    last.play.count = 4;
    for (int i = 0; i < 4; ++i)
        last.play.cards[i] = Card(5, i);
    int h = 0;
    int presses = 0;
    auto hand = std::make_unique<CPlDkHandOperations>(tables[0], chairs);
    auto finder = std::make_unique<CPlDkPlayFinder>(*hand);
    for (auto _ : state) {
        const HintPress press = finder->PressHint(last);
        if (press == HintPress::Raised || press == HintPress::Assisted)
            benchmark::DoNotOptimize(finder->CheckSelection(last).throw_enabled);
        if (++presses == 40 || press == HintPress::Pass) {
            // The next hand.
            presses = 0;
            h = (h + 1) % HANDS;
            finder.reset();
            hand = std::make_unique<CPlDkHandOperations>(tables[static_cast<size_t>(h)], chairs);
            finder = std::make_unique<CPlDkPlayFinder>(*hand);
        }
    }
}
BENCHMARK(BM_HintPressDealt)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
