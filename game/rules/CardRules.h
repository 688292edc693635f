#pragma once
// How a card id is read: the six card callbacks (value, suit, raw value,
// points, card order, value order), their defaults, and the free functions
// through which every rule reads a card.
//
// Card ids: -1 is no card; id % 54 is the card within its deck (0-51 ordinary,
// 52 small joker, 53 big joker); value = id % 54 % 13 + 1 (1 is the 2, 13 the
// ace), jokers 14 and 15; suit = id % 54 / 13, jokers 5. Orders: jokers 21
// and 22, the level value 20, any other value itself (level -1: no promotion).
//
// Owner: the callback set is program-wide; every CCardTable constructor
// stores the set it is given (all tables here pass the defaults).
// Thread: the UI thread only; the set is written without a lock.
// Hazards: a negative id reads as value 0 and suit -1 (never a real card);
// value counters have 16 entries, indexed by value.

#include <algorithm>
#include <cstdint>
#include <span>

namespace rules {

inline constexpr int VALUE_COUNTERS = 16;
inline constexpr int32_t VALUE_SMALL_JOKER = 14;
inline constexpr int32_t VALUE_BIG_JOKER = 15;
inline constexpr int32_t SUIT_JOKER = 5;

using CardReadFn = int32_t (*)(int32_t card, int32_t context);
using CardOrderFn = int32_t (*)(int32_t card, int32_t level, int32_t context);
using ValueOrderFn = int32_t (*)(int32_t value, int32_t level, int32_t context);

struct CardCallbacks {
    CardReadFn value;
    CardReadFn suit;
    CardReadFn raw_value;
    CardReadFn points;
    CardOrderFn card_order;
    ValueOrderFn value_order;
};

[[nodiscard]] int32_t DefaultCardValue(int32_t card, int32_t context);
[[nodiscard]] int32_t DefaultCardSuit(int32_t card, int32_t context);
[[nodiscard]] int32_t DefaultCardRawValue(int32_t card, int32_t context);
[[nodiscard]] int32_t DefaultCardScore(int32_t card, int32_t context);
[[nodiscard]] int32_t DefaultCardOrder(int32_t card, int32_t level, int32_t context);
[[nodiscard]] int32_t DefaultValueOrder(int32_t value, int32_t level, int32_t context);
[[nodiscard]] CardCallbacks DefaultCardCallbacks();

/// Stores the program-wide set (missing entries fall back to the defaults).
void SetCardCallbacks(const CardCallbacks& callbacks);

[[nodiscard]] int32_t GetCardValue(int32_t card, int32_t context = 0);
[[nodiscard]] int32_t GetCardSuit(int32_t card, int32_t context = 0);
[[nodiscard]] int32_t GetCardRawValue(int32_t card, int32_t context = 0);
[[nodiscard]] int32_t GetValueOrder(int32_t value, int32_t level, int32_t context = 0);
[[nodiscard]] int32_t GetCardOrder(int32_t card, int32_t level, int32_t context = 0);
/// The score cards by value (GetCardValue) and their points: a 5 counts 5,
/// a 10 or a K counts 10.
inline constexpr int32_t VALUE_FIVE = 4;
inline constexpr int32_t VALUE_TEN = 9;
inline constexpr int32_t VALUE_KING = 12;
inline constexpr int32_t POINTS_FIVE = 5;
inline constexpr int32_t POINTS_TEN_OR_KING = 10;

/// Points of a card through the raw value: 5 for a five, 10 for a ten or king.
[[nodiscard]] int32_t GetCardPoints(int32_t card);

/// The cards of an array up to its first -1 (or all of it).
[[nodiscard]] inline std::span<const int32_t> CardsBeforeEnd(std::span<const int32_t> cards)
{
    return cards.first(static_cast<size_t>(std::find(cards.begin(), cards.end(), int32_t { -1 }) - cards.begin()));
}

/// The counter of a value, 0 for a value outside the counters.
[[nodiscard]] inline int32_t CounterAt(std::span<const int32_t> counters, int32_t value)
{
    return value >= 0 && static_cast<size_t>(value) < counters.size() ? counters[static_cast<size_t>(value)] : 0;
}

/// Adds 1 to the counter of each card's value, up to the first negative id;
/// values outside the counters are skipped. Returns the cards counted.
int CountCardsByValue(std::span<const int32_t> cards, std::span<int32_t> counters, int32_t context = 0);

} // namespace rules
