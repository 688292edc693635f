#pragma once
// The ordered play search shared by the card-game table's classification and
// this game's hint: a table of steps, each a play type with its finder, the
// types of play it may be laid on and the lengths to try. The first finder
// that succeeds ends the search, so the play found is the weakest of the
// first type (in table order) that beats the play given.
//
// Owner: none (free functions over a caller's table). Thread: the table's.
// Hazards: hand spans hold card ids with -1 entries skipped; the output span
// receives at most its size of ids.

#include "game/rules/CardTable.h"

#include <cstdint>
#include <optional>
#include <span>

namespace rules {
class CPlDkTable;
}

namespace scene {

/// The play on the table: the chair that made it (-1 when the own chair
/// leads) and the play.
struct LastPlay {
    int32_t chair { -1 };
    rules::CardPlay play;

    [[nodiscard]] bool IsLeading() const { return chair == -1; }
};

/// A selection read by a rules table: whether it reads as a play at all,
/// and the reading kept (the strongest when leading, the one that beats the
/// last play otherwise; none when nothing beats it).
struct SelectionReading {
    bool has_reading { false };
    std::optional<rules::CardPlay> chosen;
};
[[nodiscard]] SelectionReading ReadSelection(rules::CCardTable& table, int chair, std::span<const int32_t> cards,
                                             const LastPlay& last, int32_t type_mask);

enum class PlayFinder : uint8_t {
    Single,
    Pair,
    Triple,
    TriplePair,
    Straight,
    PairSeq,
    TripleSeq,
    TripleSeqPairs,
    Mixed510K,
    Suited510K,
    Bomb,
    StraightFlush,
    BigBomb,
    FourJokers,
};

struct PlaySearchStep {
    int32_t type;            ///< the CARD_TYPE_* flag this step finds
    PlayFinder finder;
    int32_t laid_on;         ///< the step runs when (type to beat & laid_on) == type to beat
    int32_t shortest { 0 };  ///< lengths tried, shortest first (0, 0: the finder's own)
    int32_t longest { 0 };
};

enum class LengthOrder : uint8_t { ShortestFirst, LongestFirst };

/// This game's hint order.
[[nodiscard]] std::span<const PlaySearchStep> PlDkHintSteps();
/// The card-game table's classification order.
[[nodiscard]] std::span<const PlaySearchStep> CardGameClassifySteps();

/// Runs the steps against `to_beat` on the table (the 510K steps need this
/// game's table and are skipped on another). On success `found` holds the
/// play, its ids are copied to `out` (-1 behind) and the answer is 1; else
/// `found` holds `to_beat` and the answer is 0.
int RunPlaySearch(const rules::CCardTable& table, const rules::CPlDkTable* pldk, std::span<const PlaySearchStep> steps,
                  std::span<const int32_t> hand, std::span<int32_t> out, const rules::CardPlay& to_beat,
                  rules::CardPlay& found, int32_t type_mask, int32_t suit, LengthOrder lengths);

} // namespace scene
