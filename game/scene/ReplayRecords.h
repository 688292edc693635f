#pragma once
// The records of a ".qvrep" replay file, each with its field list in layout
// order (the record convention of platform/RecordFields.h): the two
// headers, the table and player records of the standard and the match
// variant, and the head of an event record. All integers are 32-bit
// little-endian; texts are zero-terminated GBK in fixed fields.
//
// Owner: plain values. Thread: any.
// Hazards: texts read from a file need not be terminated: read them with
// client::FieldText, write them with client::CopyTextField.

#include "client/RoomRecords.h"
#include "client/UserRecords.h"
#include "platform/RecordFields.h"

#include <cstddef>
#include <cstdint>

namespace scene {

using platform::FieldListBytes;

inline constexpr char REPLAY_MAGIC[] = "QvRep";

/// The standard header (108 bytes), stored uncompressed.
struct QvRepHeader {
    static constexpr size_t BYTES = 108;

    char magic[6] {};
    char game_code[10] {};
    int32_t game_id = 0;
    int32_t major_version = 0;
    int32_t minor_version = 0;
    int32_t reserved28[6] {};
    int32_t record_count = 0;
    uint32_t last_elapsed = 0;       ///< milliseconds
    int32_t snapshot_offset = -1;    ///< from the start of the header, -1: none
    int32_t body_length = 0;
    int32_t user_id = 0;
    int32_t chair = 0;
    int32_t start_date = 0;          ///< yyyymmdd
    int32_t start_time = 0;          ///< hhmmss
    int32_t end_date = 0;
    int32_t end_time = 0;
    int32_t reserved92[4] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.magic), v(r.game_code), v(r.game_id), v(r.major_version), v(r.minor_version), v(r.reserved28);
        v(r.record_count), v(r.last_elapsed), v(r.snapshot_offset), v(r.body_length), v(r.user_id), v(r.chair);
        v(r.start_date), v(r.start_time), v(r.end_date), v(r.end_time), v(r.reserved92);
    }
};
static_assert(FieldListBytes<QvRepHeader>() == QvRepHeader::BYTES);
static_assert(offsetof(QvRepHeader, record_count) == 52 && offsetof(QvRepHeader, end_time) == 88);

/// The match header (172 bytes): no game id, the code one byte earlier.
struct QvRepMatchHeader {
    static constexpr size_t BYTES = 172;

    char magic[5] {};                ///< no terminator
    char game_code[11] {};
    int32_t major_version = 0;
    int32_t minor_version = 0;
    int32_t reserved24[6] {};
    int32_t record_count = 0;
    uint32_t last_elapsed = 0;
    int32_t snapshot_offset = -1;
    int32_t body_length = 0;
    int32_t user_id = 0;
    int32_t chair = 0;
    char match_name[64] {};
    int32_t start_date = 0;
    int32_t start_time = 0;
    int32_t end_date = 0;
    int32_t end_time = 0;
    int32_t table_header_word1 = 0;
    int32_t reserved156[4] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.magic), v(r.game_code), v(r.major_version), v(r.minor_version), v(r.reserved24), v(r.record_count);
        v(r.last_elapsed), v(r.snapshot_offset), v(r.body_length), v(r.user_id), v(r.chair), v(r.match_name);
        v(r.start_date), v(r.start_time), v(r.end_date), v(r.end_time), v(r.table_header_word1), v(r.reserved156);
    }
};
static_assert(FieldListBytes<QvRepMatchHeader>() == QvRepMatchHeader::BYTES);
static_assert(offsetof(QvRepMatchHeader, record_count) == 48 && offsetof(QvRepMatchHeader, match_name) == 72);
static_assert(offsetof(QvRepMatchHeader, table_header_word1) == 152);

/// The standard table record (216 bytes), first in the body.
struct ReplayTableInfo {
    static constexpr size_t BYTES = 216;

    int32_t room_id = 0;
    int32_t table_no = 0;
    int32_t seat_count = 0;          ///< player records that follow
    int32_t zero12 = 0;
    int32_t room_options = 0;
    int32_t silver_room = 0;
    int32_t zero24 = 0;
    int32_t state_word8 = 0;
    int32_t state_word13 = 0;
    int32_t zero36[5] {};
    int32_t state_word10 = 0;
    int32_t state_word9 = 0;
    int32_t room_configs = 0;
    int32_t zero68[37] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.room_id), v(r.table_no), v(r.seat_count), v(r.zero12), v(r.room_options), v(r.silver_room);
        v(r.zero24), v(r.state_word8), v(r.state_word13), v(r.zero36), v(r.state_word10), v(r.state_word9);
        v(r.room_configs), v(r.zero68);
    }
};
static_assert(FieldListBytes<ReplayTableInfo>() == ReplayTableInfo::BYTES);
static_assert(offsetof(ReplayTableInfo, state_word10) == 56 && offsetof(ReplayTableInfo, room_configs) == 64);

/// The standard player record (192 bytes), a cut-down GameUserRecord.
struct ReplayPlayerInfo {
    static constexpr size_t BYTES = 192;

    int32_t user_id = 0;
    int32_t flags = 0;
    int32_t status = 0;
    int32_t chair = 0;
    int32_t statistics[3] {};
    char name[32] {};
    char second_name[16] {};
    int32_t silver = 0;
    int32_t level = 0;
    char level_title[16] {};
    int32_t score = 0;
    int32_t statistics2 = 0;
    int32_t results[5] {};           ///< wins, losses, draws, games, online seconds
    int32_t zero128[16] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.user_id), v(r.flags), v(r.status), v(r.chair), v(r.statistics), v(r.name), v(r.second_name);
        v(r.silver), v(r.level), v(r.level_title), v(r.score), v(r.statistics2), v(r.results), v(r.zero128);
    }
};
static_assert(FieldListBytes<ReplayPlayerInfo>() == ReplayPlayerInfo::BYTES);
static_assert(offsetof(ReplayPlayerInfo, name) == 28 && offsetof(ReplayPlayerInfo, level_title) == 84);
static_assert(offsetof(ReplayPlayerInfo, results) == 108);

/// The match table record (252 bytes), a cut-down TableHeader.
struct ReplayMatchTableInfo {
    static constexpr size_t BYTES = 252;

    int32_t room_id = 0;
    int32_t header_value1 = 0;
    int32_t table_no = 0;
    int32_t player_count = 0;        ///< player records that follow
    int32_t words29[7] {};           ///< TableHeader words 29 to 35
    char text144[16] {};
    char text160[192] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.room_id), v(r.header_value1), v(r.table_no), v(r.player_count), v(r.words29), v(r.text144);
        v(r.text160);
    }
};
static_assert(FieldListBytes<ReplayMatchTableInfo>() == ReplayMatchTableInfo::BYTES);

/// The match player record (180 bytes), a cut-down TablePlayerRecord.
struct ReplayMatchPlayerInfo {
    static constexpr size_t BYTES = 180;

    int32_t words0[5] {};            ///< user id, flags, three statistics
    char name[32] {};
    char second_name[16] {};
    int32_t words96[2] {};
    int32_t word264 = 0;
    int32_t zero80 = 0;
    int32_t words184[8] {};
    int32_t zero116[16] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.words0), v(r.name), v(r.second_name), v(r.words96), v(r.word264), v(r.zero80), v(r.words184);
        v(r.zero116);
    }
};
static_assert(FieldListBytes<ReplayMatchPlayerInfo>() == ReplayMatchPlayerInfo::BYTES);
static_assert(offsetof(ReplayMatchPlayerInfo, words184) == 84);

/// The head of an event record (12 bytes), followed by the event's data.
struct ReplayRecordHead {
    static constexpr size_t BYTES = 12;

    uint32_t elapsed = 0;            ///< milliseconds since the start
    uint32_t event_id = 0;
    int32_t data_length = 0;

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.elapsed), v(r.event_id), v(r.data_length);
    }
};
static_assert(FieldListBytes<ReplayRecordHead>() == ReplayRecordHead::BYTES);

/// The seat's record as the standard variant keeps it.
[[nodiscard]] ReplayPlayerInfo MakeReplayPlayer(const client::GameUserRecord& seat);
/// The table header as the match variant keeps it (its long text cut to
/// what the header holds).
[[nodiscard]] ReplayMatchTableInfo MakeReplayMatchTable(const client::TableHeader& header);
[[nodiscard]] ReplayMatchPlayerInfo MakeReplayMatchPlayer(const client::TablePlayerRecord& player);
/// The reverse on playback: the record's fields written back into the
/// player (the others left as they are).
void ApplyReplayMatchPlayer(client::TablePlayerRecord& player, const ReplayMatchPlayerInfo& record);

} // namespace scene
