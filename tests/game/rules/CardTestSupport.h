#pragma once
// Building card ids and selections in tests: Card(value, suit, deck) with
// value 1 the 2 up to 13 the ace, suit 0-3.

#include "game/rules/CardPlay.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace rules::test {

inline int32_t Card(int32_t value, int32_t suit, int32_t deck = 0)
{
    return deck * 54 + suit * 13 + (value - 1);
}
inline int32_t SmallJoker(int32_t deck = 0) { return deck * 54 + 52; }
inline int32_t BigJoker(int32_t deck = 0) { return deck * 54 + 53; }

/// A 64-entry card array, -1 behind the given ids.
inline std::vector<int32_t> Hand(std::initializer_list<int32_t> ids)
{
    std::vector<int32_t> cards(ids);
    cards.resize(PLAY_CARDS, NO_CARD);
    return cards;
}

} // namespace rules::test
