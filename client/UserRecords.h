// The records of one user as the client keeps them and as the hall and the
// server send them: GameUserRecord (the application's seat and other-user
// records), TablePlayerRecord (behind a TableHeader) and ServerPlayerEntry (in
// the server's table records).
// Owner: plain values, held by CClientRecords. Any thread.
// Wire layout: little-endian 32-bit words with zero-terminated GBK texts at
// fixed places; the offsets below are binding (checked by static_assert). Read
// and write them only through RecordCodec.h; a text read from a peer need not
// be terminated, so read it with FieldText.
#pragma once

#include <cstddef>
#include <cstdint>

#include "client/RecordCodec.h"

namespace client {

/// Chairs are 0..MAX_CHAIRS - 1 at every table; a chair word from a peer is
/// checked with IsValidChair before it picks a seat or is kept in a record.
inline constexpr int MAX_CHAIRS = 8;

[[nodiscard]] constexpr bool IsValidChair(int64_t chair) { return chair >= 0 && chair < MAX_CHAIRS; }

/// Flag bits of GameUserRecord::flags and TablePlayerRecord::flags.
inline constexpr int32_t USER_FLAG_MEMBER_BADGE = 0x1;
inline constexpr int32_t USER_FLAG_HIGHLIGHT_NAME = 0x1000;

/// One user: 80 words, 320 bytes.
struct GameUserRecord {
    static constexpr size_t BYTES = 320;

    int32_t user_id = 0; ///< 0: empty record
    int32_t flags = 0;
    int32_t status = 0;
    int32_t reserved3[2] {};
    char name[32] {};
    char second_name[16] {};
    int32_t statistics[3] {}; ///< words 17-19
    int32_t silver = 0;
    int32_t level = 0;
    char level_title[16] {};
    int32_t score = 0;
    int32_t online_minutes = 0;
    int32_t statistics2[2] {}; ///< words 28, 29
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t games = 0;
    int32_t online_seconds = 0;
    int32_t table_no = 0;
    int32_t chair = 0;
    int32_t look_on = 0;
    int32_t reserved38[3] {};
    int32_t value41 = 0;
    int32_t reserved42[38] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.user_id), v(r.flags), v(r.status), v(r.reserved3), v(r.name), v(r.second_name);
        v(r.statistics), v(r.silver), v(r.level), v(r.level_title), v(r.score), v(r.online_minutes);
        v(r.statistics2), v(r.wins), v(r.losses), v(r.draws), v(r.games), v(r.online_seconds);
        v(r.table_no), v(r.chair), v(r.look_on), v(r.reserved38), v(r.value41), v(r.reserved42);
    }
};
static_assert(sizeof(GameUserRecord) == GameUserRecord::BYTES);
static_assert(FieldListBytes<GameUserRecord>() == GameUserRecord::BYTES);
static_assert(offsetof(GameUserRecord, name) == 20 && offsetof(GameUserRecord, second_name) == 52);
static_assert(offsetof(GameUserRecord, silver) == 80 && offsetof(GameUserRecord, level_title) == 88);
static_assert(offsetof(GameUserRecord, score) == 104 && offsetof(GameUserRecord, wins) == 120);
static_assert(offsetof(GameUserRecord, chair) == 144 && offsetof(GameUserRecord, value41) == 164);

/// One player behind a TableHeader: 72 words, 288 bytes.
struct TablePlayerRecord {
    static constexpr size_t BYTES = 288;

    int32_t user_id = 0;
    int32_t flags = 0;
    int32_t statistics[3] {}; ///< words 2-4
    char name[32] {};
    char second_name[16] {};
    int32_t reserved17[5] {};
    int32_t rank_badge_present = 0; ///< word 22
    int32_t reserved23 = 0;
    int32_t rank_badge_value = 0; ///< word 24
    int32_t word25 = 0;
    int32_t reserved26[20] {};
    int32_t word46 = 0;
    int32_t score = 0;  ///< word 47
    int32_t silver = 0; ///< word 48
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t games = 0;
    int32_t word53 = 0;
    int32_t word54 = 0;
    int32_t reserved55[11] {};
    int32_t word66 = 0;
    int32_t reserved67[5] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.user_id), v(r.flags), v(r.statistics), v(r.name), v(r.second_name), v(r.reserved17);
        v(r.rank_badge_present), v(r.reserved23), v(r.rank_badge_value), v(r.word25), v(r.reserved26);
        v(r.word46), v(r.score), v(r.silver), v(r.wins), v(r.losses), v(r.draws), v(r.games);
        v(r.word53), v(r.word54), v(r.reserved55), v(r.word66), v(r.reserved67);
    }
};
static_assert(sizeof(TablePlayerRecord) == TablePlayerRecord::BYTES);
static_assert(FieldListBytes<TablePlayerRecord>() == TablePlayerRecord::BYTES);
static_assert(offsetof(TablePlayerRecord, name) == 20 && offsetof(TablePlayerRecord, second_name) == 52);
static_assert(offsetof(TablePlayerRecord, rank_badge_present) == 88);
static_assert(offsetof(TablePlayerRecord, rank_badge_value) == 96);
static_assert(offsetof(TablePlayerRecord, word46) == 184 && offsetof(TablePlayerRecord, score) == 188);
static_assert(offsetof(TablePlayerRecord, word54) == 216 && offsetof(TablePlayerRecord, word66) == 264);

/// One player in the server's table records: 34 words, 136 bytes.
struct ServerPlayerEntry {
    static constexpr size_t BYTES = 136;

    int32_t user_id = 0;
    int32_t flags = 0;
    int32_t status = 0;
    int32_t table_no = 0;
    int32_t chair = 0;
    int32_t statistics[2] {};  ///< seat words 17, 18
    int32_t statistics29 = 0;  ///< seat word 29
    int32_t statistics19 = 0;  ///< seat word 19
    char name[32] {};
    char second_name[16] {};
    int32_t silver = 0;
    int32_t level = 0;
    int32_t score = 0;
    int32_t statistics28 = 0; ///< seat word 28
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t games = 0;
    int32_t online_seconds = 0;
    int32_t reserved30[4] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.user_id), v(r.flags), v(r.status), v(r.table_no), v(r.chair), v(r.statistics);
        v(r.statistics29), v(r.statistics19), v(r.name), v(r.second_name), v(r.silver), v(r.level);
        v(r.score), v(r.statistics28), v(r.wins), v(r.losses), v(r.draws), v(r.games);
        v(r.online_seconds), v(r.reserved30);
    }
};
static_assert(sizeof(ServerPlayerEntry) == ServerPlayerEntry::BYTES);
static_assert(FieldListBytes<ServerPlayerEntry>() == ServerPlayerEntry::BYTES);
static_assert(offsetof(ServerPlayerEntry, name) == 36 && offsetof(ServerPlayerEntry, second_name) == 68);
static_assert(offsetof(ServerPlayerEntry, silver) == 84 && offsetof(ServerPlayerEntry, online_seconds) == 116);

} // namespace client
