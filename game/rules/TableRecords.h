#pragma once
// The table model's records: the table header it copies on entering a table,
// the round-start record, the round result, the result header and per-player
// results, and the settlement of a leaving player. All fields are signed
// 32-bit little-endian words (names are 16-byte GBK text fields); the layouts
// are fixed because the records travel to peers and into replay files.
//
// Owner: plain values; whoever holds one owns it. Thread: any.
// Hazards: the in-memory structs are never cast over bytes; use the Write/Read
// functions below, which go field by field.

#include <cstddef>
#include <cstdint>
#include <span>

namespace rules {

inline constexpr int MAX_CHAIRS = 8;
inline constexpr int LEVEL_NAME_SIZE = 16;

/// The 61-word header received on entering a table. The table reads words 1
/// (a header is present), 30 (round number), 31 (base score) and 34 (idle
/// tables are kicked) and carries the rest unchanged.
struct TableHeader {
    static constexpr int WORDS = 61;
    static constexpr int PRESENT = 1;
    static constexpr int ROUND_NUMBER = 30;
    static constexpr int BASE_SCORE = 31;
    static constexpr int KICK_IDLE = 34;
    uint32_t words[WORDS] {};
};
static_assert(sizeof(TableHeader) == 244);

/// Published at a round start (88 bytes).
struct GameStartInfo {
    int32_t table_tag;
    int32_t room_grade;
    int32_t chair_count;
    int32_t base_score;
    int32_t base_deposit;
    int32_t chair_status[MAX_CHAIRS];
    int32_t round_number;
    int32_t kick_time;
    int32_t zero[7];

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.table_tag), v(r.room_grade), v(r.chair_count), v(r.base_score), v(r.base_deposit);
        v(r.chair_status), v(r.round_number), v(r.kick_time), v(r.zero);
    }
};
static_assert(sizeof(GameStartInfo) == 88);

/// The result of a round (432 bytes). Words 14-21 belong to the card game.
struct GameWinResult {
    int32_t relation_mode;                          // 0
    int32_t flags;                                  // 4
    int32_t chair_count;                            // 8
    int32_t round_number;                           // 12
    int32_t banker;                                 // 16
    int32_t team[MAX_CHAIRS];                       // 20
    int32_t friend_flag;                            // 52
    int32_t extra[8];                               // 56: the card game's raw results
    int32_t base_score;                             // 88
    int32_t base_deposit;                           // 92
    int32_t score_before[MAX_CHAIRS];               // 96
    int32_t silver_before[MAX_CHAIRS];              // 128
    int32_t score_change[MAX_CHAIRS];               // 160
    int32_t silver_change[MAX_CHAIRS];              // 192
    int32_t fee[MAX_CHAIRS];                        // 224
    int32_t level_after[MAX_CHAIRS];                // 256
    char level_name[MAX_CHAIRS][LEVEL_NAME_SIZE];   // 288
    int32_t room_deposit;                           // 416
    int32_t absent_mask;                            // 420
    int32_t unused[2];                              // 424

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.relation_mode), v(r.flags), v(r.chair_count), v(r.round_number), v(r.banker), v(r.team);
        v(r.friend_flag), v(r.extra), v(r.base_score), v(r.base_deposit), v(r.score_before), v(r.silver_before);
        v(r.score_change), v(r.silver_change), v(r.fee), v(r.level_after), v(r.level_name), v(r.room_deposit);
        v(r.absent_mask), v(r.unused);
    }
};
static_assert(sizeof(GameWinResult) == 432);
static_assert(offsetof(GameWinResult, extra) == 14 * 4);
static_assert(offsetof(GameWinResult, base_score) == 22 * 4);
static_assert(offsetof(GameWinResult, score_change) == 40 * 4);
static_assert(offsetof(GameWinResult, silver_change) == 48 * 4);
static_assert(offsetof(GameWinResult, level_name) == 72 * 4);
static_assert(offsetof(GameWinResult, room_deposit) == 104 * 4);

/// Result flags of ResultHeader::flags.
inline constexpr int32_t RESULT_FLAG_SILVER = 0x1;
inline constexpr int32_t RESULT_FLAG_BIG_WIN = 0x2;
inline constexpr int32_t RESULT_FLAG_LEAVE = 0x100;
inline constexpr int32_t RESULT_FLAG_CONTINUATION = 0x200;

/// Written before a list of PlayerResult (36 bytes).
struct ResultHeader {
    int32_t count;
    int32_t table_tag;
    int32_t game_id;
    int32_t word3;
    int32_t flags;
    int32_t word5;
    int32_t table_stamp;
    int32_t word7;
    int32_t word8;

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.count), v(r.table_tag), v(r.game_id), v(r.word3), v(r.flags), v(r.word5), v(r.table_stamp);
        v(r.word7), v(r.word8);
    }
};
static_assert(sizeof(ResultHeader) == 36);

/// One player's settled round (116 bytes).
struct PlayerResult {
    int32_t user_id;
    int32_t table_tag;
    int32_t room_grade;
    int32_t chair;
    int32_t game_id;
    int32_t base_score;
    int32_t base_deposit;
    int32_t score_before;
    int32_t silver_before;
    int32_t minutes;
    int32_t seconds;
    int32_t one;
    int32_t zero;
    int32_t win;
    int32_t loss;
    int32_t draw;
    int32_t score_change;
    int32_t silver_change;
    int32_t level_after;
    char level_name[LEVEL_NAME_SIZE];
    int32_t fee;
    int32_t unused[5];

    /// The field list in record order (platform/RecordFields.h).
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.user_id), v(r.table_tag), v(r.room_grade), v(r.chair), v(r.game_id), v(r.base_score);
        v(r.base_deposit), v(r.score_before), v(r.silver_before), v(r.minutes), v(r.seconds), v(r.one), v(r.zero);
        v(r.win), v(r.loss), v(r.draw), v(r.score_change), v(r.silver_change), v(r.level_after), v(r.level_name);
        v(r.fee), v(r.unused);
    }
};
static_assert(sizeof(PlayerResult) == 116);
static_assert(offsetof(PlayerResult, level_name) == 19 * 4);
static_assert(offsetof(PlayerResult, fee) == 23 * 4);

/// The settlement of one leaving player (64 bytes).
struct LeaveResult {
    int32_t user_id;
    int32_t chair;
    int32_t round_number;
    int32_t penalty;
    int32_t base_score;
    int32_t base_deposit;
    int32_t score;
    int32_t silver;
    int32_t score_change;
    int32_t silver_change;
    int32_t fee;
    int32_t level_after;
    char level_name[LEVEL_NAME_SIZE];
};
static_assert(sizeof(LeaveResult) == 64);

/// Byte images of the records, little-endian, field by field through the
/// records' field lists (platform/RecordFields.h). Writers check the buffer's
/// size in every build (the caller sizes it from the constant); readers
/// refuse short input with false and leave the record zeroed, and end each
/// level name inside its field.
inline constexpr size_t GAME_START_INFO_BYTES = 88;
inline constexpr size_t GAME_WIN_RESULT_BYTES = 432;
inline constexpr size_t RESULT_HEADER_BYTES = 36;
inline constexpr size_t PLAYER_RESULT_BYTES = 116;

void WriteGameStartInfo(const GameStartInfo& record, std::span<uint8_t> out);
void WriteGameWinResult(const GameWinResult& record, std::span<uint8_t> out);
void WriteResultHeader(const ResultHeader& record, std::span<uint8_t> out);
void WritePlayerResult(const PlayerResult& record, std::span<uint8_t> out);
[[nodiscard]] bool ReadGameWinResult(std::span<const uint8_t> in, GameWinResult& record);
[[nodiscard]] bool ReadResultHeader(std::span<const uint8_t> in, ResultHeader& record);
[[nodiscard]] bool ReadPlayerResult(std::span<const uint8_t> in, PlayerResult& record);

} // namespace rules
