#pragma once
// The requests the card tables read (and partly answer into): a throw, a
// pass and a bid. Word positions are those of the game's request records.
//
// Owner: the caller. Thread: the table's thread.
// Hazards: every field is untrusted until the table's checks have run.

#include "game/rules/CardPlay.h"

#include <cstdint>

namespace rules {

/// A throw: chair in word 3, the play from word 12. The play flow answers
/// into words 5, 6, 8 and 9.
struct ThrowRequest {
    int32_t word0 { 0 };
    int32_t word1 { 0 };
    int32_t word2 { 0 };
    int32_t chair { -1 };            // word 3
    int32_t word4 { 0 };
    int32_t next_chair { -1 };       // word 5: next to act (the thrower at the round end)
    int32_t place { 0 };             // word 6: the thrower's finishing place
    int32_t word7 { 0 };
    int32_t points_taken { 0 };      // word 8: trick points taken at the round end
    int32_t trick_points { 0 };      // word 9: points lying in the trick after the throw
    int32_t word10 { 0 };
    int32_t word11 { 0 };
    CardPlay play;                   // words 12-79
};
static_assert(sizeof(ThrowRequest) == 80 * 4);

/// A pass: chair in word 2; the table answers into words 4 to 7.
struct PassRequest {
    int32_t word0 { 0 };
    int32_t word1 { 0 };
    int32_t chair { -1 };            // word 2
    int32_t word3 { 0 };
    int32_t next_chair { -1 };       // word 4
    int32_t trick_won { 0 };         // word 5
    int32_t last_play_chair { -1 };  // word 6
    int32_t points_taken { 0 };      // word 7
};
static_assert(sizeof(PassRequest) == 8 * 4);

/// A bid: chair in word 3, pass flag in word 4, value in word 5.
struct BidRequest {
    int32_t word0 { 0 };
    int32_t word1 { 0 };
    int32_t word2 { 0 };
    int32_t chair { -1 };
    int32_t pass { 0 };
    int32_t value { 0 };
};
static_assert(sizeof(BidRequest) == 6 * 4);

} // namespace rules
