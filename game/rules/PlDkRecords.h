#pragma once
// This game's records: the round state block TableGameData (6528 bytes, also
// the table-information record a client receives), its deck records and chair
// groups, the deal record, and this game's start and win records.
//
// Owner: plain values; the table owns its block, the client's game-state
// holder owns its copy. Thread: any.
// Hazards: offsets are fixed (peers and replays rely on them) and checked by
// static_assert; bytes are read and written only through the functions at the
// end, field by field, little-endian.

#include "game/rules/CardPlay.h"
#include "game/rules/RecordHeader.h"
#include "game/rules/TableRecords.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace rules {

inline constexpr int PLDK_CHAIRS = 4;
inline constexpr int PLDK_TOTAL_CARDS = 108;
inline constexpr int PLDK_HAND_SLOTS = 32;
inline constexpr int PLDK_HAND_SIZE = 27;
inline constexpr int PLDK_HISTORY_ROUNDS = 30;

/// Where a card is (DeckCard::place).
inline constexpr int32_t CARD_PLACE_DECK = 0;
inline constexpr int32_t CARD_PLACE_HAND = 1;
inline constexpr int32_t CARD_PLACE_TRICK = 2;
inline constexpr int32_t CARD_PLACE_PLAYED = 3;

/// One card of the deck in deal order (8 words).
struct DeckCard {
    int32_t card;
    int32_t value;
    int32_t suit;
    int32_t raw_value;
    int32_t place;
    int32_t holder;      ///< chair, -1 in the deck
    int32_t order;       ///< deal position, or the index in its play
    int32_t play_count;  ///< card count of the play it belongs to; in a client's record: its holder's card count

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.card), v(r.value), v(r.suit), v(r.raw_value), v(r.place), v(r.holder), v(r.order), v(r.play_count);
    }
};
static_assert(sizeof(DeckCard) == 32);

/// Per-chair turn and bonus words (11 words).
struct ChairGroup {
    int32_t pass_time_limit;   ///< limit given when a pass hands the turn to the chair
    int32_t throw_wait;        ///< seconds a chair may think before a throw
    int32_t think_seconds;
    int32_t card_count;        ///< written when the record is filled for a client
    int32_t away_throws;       ///< throws made while the chair was away
    int32_t bomb_bonus;
    int32_t unused[5];

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.pass_time_limit), v(r.throw_wait), v(r.think_seconds), v(r.card_count), v(r.away_throws);
        v(r.bomb_bonus), v(r.unused);
    }
};
static_assert(sizeof(ChairGroup) == 44);


/// The round state block (6528 bytes).
struct TableGameData {
    int32_t head[20];                      // 0: common header in a client's record; word 17 (offset 68) is the first turn's limit
    int32_t reserved_80;                   // 80
    int32_t card_slots[32];                // 84
    int32_t reserved_212[37];              // 212
    int32_t head_partner;                  // 360 (header word 90)
    int32_t head_turned_card;              // 364
    int32_t head_turned_position;          // 368
    int32_t reserved_372[4];               // 372
    int32_t turn_seconds;                  // 388: seconds the current turn has run (client record)
    int32_t reserved_392[3];               // 392
    int32_t last_play_chair;               // 404: -1 while the trick is open
    CardPlay last_play;                    // 408
    int32_t deal_position;                 // 680
    int32_t level_value;                   // 684
    int32_t chair_status[MAX_CHAIRS];      // 688 (client record)
    DeckCard deck[PLDK_TOTAL_CARDS];       // 720
    int32_t finished[PLDK_CHAIRS];         // 4176
    int32_t place[PLDK_CHAIRS];            // 4192
    int32_t points_won[PLDK_CHAIRS];       // 4208
    int32_t trick_points;                  // 4224
    int32_t settle_score[PLDK_CHAIRS];     // 4228
    int32_t bomb_result[PLDK_CHAIRS];      // 4244
    int32_t history[MAX_CHAIRS][PLDK_HISTORY_ROUNDS]; // 4260 (client record)
    int32_t history_total[MAX_CHAIRS];     // 5220 (client record)
    int32_t partner_chair;                 // 5252 (client record)
    int32_t turned_card;                   // 5256 (client record)
    int32_t turned_position;               // 5260 (client record)
    int32_t trick_score_cards[24];         // 5264
    int32_t trick_score_count;             // 5360
    int32_t last_trick_winner;             // 5364
    int32_t reserved_5368[96];             // 5368: -1 filled
    int32_t reserved_5752[4];              // 5752
    int32_t hand_points[PLDK_CHAIRS];      // 5768
    int32_t trick_cards[PLDK_CHAIRS][PLDK_HAND_SLOTS]; // 5784
    int32_t pass_count[PLDK_CHAIRS];       // 6296
    int32_t new_trick;                     // 6312
    int32_t first_throw;                   // 6316
    int32_t reserved_6320[4];              // 6320
    ChairGroup chair_groups[PLDK_CHAIRS];  // 6336
    int32_t reserved_6512[4];              // 6512

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.head), v(r.reserved_80), v(r.card_slots), v(r.reserved_212), v(r.head_partner);
        v(r.head_turned_card), v(r.head_turned_position), v(r.reserved_372), v(r.turn_seconds), v(r.reserved_392);
        v(r.last_play_chair), v(r.last_play), v(r.deal_position), v(r.level_value), v(r.chair_status), v(r.deck);
        v(r.finished), v(r.place), v(r.points_won), v(r.trick_points), v(r.settle_score), v(r.bomb_result);
        v(r.history), v(r.history_total), v(r.partner_chair), v(r.turned_card), v(r.turned_position);
        v(r.trick_score_cards), v(r.trick_score_count), v(r.last_trick_winner), v(r.reserved_5368);
        v(r.reserved_5752), v(r.hand_points), v(r.trick_cards), v(r.pass_count), v(r.new_trick), v(r.first_throw);
        v(r.reserved_6320), v(r.chair_groups), v(r.reserved_6512);
    }
};
static_assert(sizeof(TableGameData) == 6528);
static_assert(offsetof(TableGameData, card_slots) == 84);
static_assert(offsetof(TableGameData, head_partner) == 360);
static_assert(offsetof(TableGameData, turn_seconds) == 388);
static_assert(offsetof(TableGameData, last_play_chair) == 404);
static_assert(offsetof(TableGameData, last_play) == 408);
static_assert(offsetof(TableGameData, deal_position) == 680);
static_assert(offsetof(TableGameData, level_value) == 684);
static_assert(offsetof(TableGameData, chair_status) == 688);
static_assert(offsetof(TableGameData, deck) == 720);
static_assert(offsetof(TableGameData, finished) == 4176);
static_assert(offsetof(TableGameData, place) == 4192);
static_assert(offsetof(TableGameData, points_won) == 4208);
static_assert(offsetof(TableGameData, trick_points) == 4224);
static_assert(offsetof(TableGameData, settle_score) == 4228);
static_assert(offsetof(TableGameData, bomb_result) == 4244);
static_assert(offsetof(TableGameData, history) == 4260);
static_assert(offsetof(TableGameData, history_total) == 5220);
static_assert(offsetof(TableGameData, partner_chair) == 5252);
static_assert(offsetof(TableGameData, turned_card) == 5256);
static_assert(offsetof(TableGameData, turned_position) == 5260);
static_assert(offsetof(TableGameData, trick_score_cards) == 5264);
static_assert(offsetof(TableGameData, trick_score_count) == 5360);
static_assert(offsetof(TableGameData, last_trick_winner) == 5364);
static_assert(offsetof(TableGameData, reserved_5368) == 5368);
static_assert(offsetof(TableGameData, reserved_5752) == 5752);
static_assert(offsetof(TableGameData, hand_points) == 5768);
static_assert(offsetof(TableGameData, trick_cards) == 5784);
static_assert(offsetof(TableGameData, pass_count) == 6296);
static_assert(offsetof(TableGameData, new_trick) == 6312);
static_assert(offsetof(TableGameData, first_throw) == 6316);
static_assert(offsetof(TableGameData, chair_groups) == 6336);
static_assert(offsetof(TableGameData, reserved_6512) == 6512);

/// The deal record for one receiving chair (404 bytes).
struct DealInfo {
    int32_t head[20];
    int32_t hand_size;                     // word 20: 27
    int32_t hand[PLDK_HAND_SLOTS];         // words 21-52
    int32_t partner_hand[PLDK_HAND_SLOTS]; // words 53-84
    int32_t unused_85[5];
    int32_t partner;                       // word 90
    int32_t turned_card;                   // word 91
    int32_t turned_position;               // word 92
    int32_t hand_points[PLDK_CHAIRS];      // words 93-96
    int32_t unused_97[4];

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.head), v(r.hand_size), v(r.hand), v(r.partner_hand), v(r.unused_85), v(r.partner), v(r.turned_card);
        v(r.turned_position), v(r.hand_points), v(r.unused_97);
    }
};
static_assert(sizeof(DealInfo) == 404);
static_assert(offsetof(DealInfo, partner) == 90 * 4);

/// This game's round-start record (1096 bytes).
struct PlDkGameStartInfo {
    GameStartInfo base;
    int32_t history[MAX_CHAIRS][PLDK_HISTORY_ROUNDS]; // 88
    int32_t history_total[MAX_CHAIRS];                // 1048
    int32_t unused[4];                                // 1080

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.base), v(r.history), v(r.history_total), v(r.unused);
    }
};
static_assert(sizeof(PlDkGameStartInfo) == 1096);
static_assert(offsetof(PlDkGameStartInfo, history_total) == 1048);

/// This game's round result (1544 bytes); the first 432 bytes are the base.
struct PlDkGameWinResult {
    GameWinResult base;
    int32_t place[PLDK_CHAIRS];                        // 432
    int32_t cards_left[PLDK_CHAIRS][PLDK_HAND_SLOTS];  // 448
    int32_t cards_left_count[PLDK_CHAIRS];             // 960
    int32_t five;                                      // 976: the value 5
    int32_t unused_980;                                // 980
    int32_t bomb_part[PLDK_CHAIRS];                    // 984
    int32_t settle_score[PLDK_CHAIRS];                 // 1000
    int32_t dealt_hands[PLDK_CHAIRS][PLDK_HAND_SLOTS]; // 1016
    int32_t unused_1528[4];                            // 1528

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.base), v(r.place), v(r.cards_left), v(r.cards_left_count), v(r.five), v(r.unused_980);
        v(r.bomb_part), v(r.settle_score), v(r.dealt_hands), v(r.unused_1528);
    }
};
static_assert(sizeof(PlDkGameWinResult) == 1544);
static_assert(offsetof(PlDkGameWinResult, place) == 432);
static_assert(offsetof(PlDkGameWinResult, cards_left) == 448);
static_assert(offsetof(PlDkGameWinResult, cards_left_count) == 960);
static_assert(offsetof(PlDkGameWinResult, five) == 976);
static_assert(offsetof(PlDkGameWinResult, bomb_part) == 984);
static_assert(offsetof(PlDkGameWinResult, settle_score) == 1000);
static_assert(offsetof(PlDkGameWinResult, dealt_hands) == 1016);

/// Fills a block with its initial state (zero; last-play chair -1, level 1,
/// card slots and the -1 runs filled, throw-wait 20 per chair, new trick 1).
/// A null block is ignored.
void InitTableGameData(TableGameData* block);

inline constexpr size_t TABLE_GAME_DATA_BYTES = 6528;
inline constexpr size_t PLDK_GAME_WIN_BYTES = 1544;
inline constexpr size_t DEAL_INFO_BYTES = 404;

void WriteTableGameData(const TableGameData& block, std::span<uint8_t> out);
/// Reads a received table-information record. Refuses (false, block left
/// untouched) short input and records whose card ids, chairs, places or play
/// counts are out of range, so a reader may index with them.
[[nodiscard]] bool ReadTableGameData(std::span<const uint8_t> in, TableGameData& block);
void WritePlDkGameWinResult(const PlDkGameWinResult& record, std::span<uint8_t> out);
[[nodiscard]] bool ReadPlDkGameWinResult(std::span<const uint8_t> in, PlDkGameWinResult& record);
void WriteDealInfo(const DealInfo& record, std::span<uint8_t> out);

} // namespace rules
