#pragma once
// A reading of cards as one play (CardPlay), the readings of one selection
// (CardPlayList) and the play-type flags CARD_TYPE_* with the beat masks.
//
// Owner: plain values. Thread: any.
// Hazards: card arrays hold ids with -1 behind the last card; a cleared
// CardPlay (type 0, strength 0) is the "nothing to beat" play.

#include <cstddef>
#include <cstdint>
#include <span>

namespace rules {

inline constexpr int32_t NO_CARD = -1;
inline constexpr int PLAY_CARDS = 64;
inline constexpr int PLAY_LIST_SIZE = 5;

inline constexpr int32_t CARD_TYPE_SINGLE = 0x1;
inline constexpr int32_t CARD_TYPE_PAIR = 0x2;
inline constexpr int32_t CARD_TYPE_TRIPLE = 0x4;
inline constexpr int32_t CARD_TYPE_TRIPLE_PAIR = 0x20;
inline constexpr int32_t CARD_TYPE_STRAIGHT = 0x40;
inline constexpr int32_t CARD_TYPE_PAIR_SEQ = 0x100;
inline constexpr int32_t CARD_TYPE_TRIPLE_SEQ = 0x200;
inline constexpr int32_t CARD_TYPE_TRIPLE_SEQ_PAIRS = 0x400;
inline constexpr int32_t CARD_TYPE_BOMB = 0x1000;
inline constexpr int32_t CARD_TYPE_STRAIGHT_FLUSH = 0x4000;
inline constexpr int32_t CARD_TYPE_BIG_BOMB = 0x8000;
inline constexpr int32_t CARD_TYPE_FOUR_JOKERS = 0x80000;
inline constexpr int32_t CARD_TYPE_510K = 0x100000;
inline constexpr int32_t CARD_TYPE_510K_SUITED = 0x200000;
inline constexpr int32_t CARD_TYPE_ANY = 0x10000000;
inline constexpr int32_t CARD_TYPE_PASS = 0x20000000; ///< used by the scene only

/// Single to triple sequence with pairs, and the bomb.
inline constexpr int32_t BEAT_MASK_GENERAL_BOMB = 0x1767;
/// The general mask plus four jokers (also the scene's search mask).
inline constexpr int32_t BEAT_MASK_WITH_FOUR_JOKERS = 0x81767;
/// This game's bombs and four jokers also cover both 510K types.
inline constexpr int32_t BEAT_MASK_PLDK_BOMB = 0x381767;
inline constexpr int32_t BEAT_MASK_510K = 0x100767;
inline constexpr int32_t BEAT_MASK_510K_SUITED = 0x300767;

/// One reading (272 bytes).
struct CardPlay {
    int32_t type { 0 };
    int32_t beat_mask { 0 };
    int32_t strength { 0 };
    int32_t count { 0 };
    int32_t cards[PLAY_CARDS];

    CardPlay() { Clear(); }
    void Clear();
    /// The first `count` ids (clamped to 0..64).
    [[nodiscard]] std::span<const int32_t> Cards() const;

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.type), v(r.beat_mask), v(r.strength), v(r.count), v(r.cards);
    }
};
static_assert(sizeof(CardPlay) == 272);

/// The readings of one selection (1364 bytes).
struct CardPlayList {
    CardPlay plays[PLAY_LIST_SIZE];
    int32_t count { 0 };

    void Clear();
};
static_assert(sizeof(CardPlayList) == 1364);

/// The straight and the three sequence types: a play of these beats one of
/// its own type only with the same card count.
[[nodiscard]] constexpr bool IsSequenceType(int32_t type)
{
    return type == CARD_TYPE_STRAIGHT || type == CARD_TYPE_PAIR_SEQ || type == CARD_TYPE_TRIPLE_SEQ
        || type == CARD_TYPE_TRIPLE_SEQ_PAIRS;
}

/// Strengths are never negative on the table and compare as unsigned numbers.
[[nodiscard]] constexpr uint32_t StrengthKey(int32_t strength)
{
    return static_cast<uint32_t>(strength);
}

inline constexpr size_t CARD_PLAY_BYTES = 272;
void WriteCardPlay(const CardPlay& play, std::span<uint8_t> out);
/// Refuses short input, a count outside 0..64 and ids below -1.
[[nodiscard]] bool ReadCardPlay(std::span<const uint8_t> in, CardPlay& play);

} // namespace rules
