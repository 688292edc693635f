// The records of the room and the table: GameRoomRecord and GameTableRecord
// (from the hall's launch data) and TableHeader (received on entering a table,
// followed by TablePlayerRecord entries).
// Owner: plain values, held by CClientRecords. Any thread.
// Wire layout: little-endian 32-bit words with zero-terminated GBK texts at
// fixed places; the offsets are binding (static_assert). Read and write them
// only through RecordCodec.h; read texts with FieldText.
#pragma once

#include <cstddef>
#include <cstdint>

#include "client/RecordCodec.h"

namespace client {

/// Bits of GameRoomRecord::options.
inline constexpr int32_t ROOM_OPTION_SILVER = 0x4;
inline constexpr int32_t ROOM_OPTION_4000 = 0x4000;
/// Bits of GameRoomRecord::configs.
inline constexpr int32_t ROOM_CONFIG_02 = 0x2;
inline constexpr int32_t ROOM_CONFIG_RANDOM_SEATS = 0x8;
inline constexpr int32_t ROOM_CONFIG_40 = 0x40;
inline constexpr int32_t ROOM_CONFIG_80 = 0x80;
inline constexpr int32_t ROOM_CONFIG_1000000 = 0x1000000;
/// Bits of GameRoomRecord::configs_ex.
inline constexpr int32_t ROOM_CONFIG_EX_20000 = 0x20000;
inline constexpr int32_t ROOM_CONFIG_EX_40000 = 0x40000;

/// The room: 143 words. A normal room's launch data carries the first 111.
struct GameRoomRecord {
    static constexpr size_t BYTES = 572;
    static constexpr size_t NORMAL_ROOM_BYTES = 444;

    int32_t room_id = 0;
    int32_t reserved1[2] {};
    int32_t room_value3 = 0; ///< part of the notice file name
    int32_t options = 0;
    char area_name[64] {};
    char advert_host[64] {};
    char notice_host[64] {};
    /// In a match room the last four bytes are word 72, the notice refresh
    /// period (NoticeRefreshSeconds).
    char room_name[80] {};
    int32_t configs = 0; ///< word 73
    int32_t room_value74 = 0;
    int32_t reserved75 = 0;
    int32_t room_value76 = 0;
    int32_t configs_ex = 0; ///< word 77
    int32_t reserved78[2] {};
    int32_t has_text_table = 0; ///< word 80
    int32_t reserved81[62] {};

    /// Word 72 (match rooms only): the notice refresh period in seconds.
    [[nodiscard]] int32_t NoticeRefreshSeconds() const
    {
        return detail::LoadI32(reinterpret_cast<const uint8_t*>(room_name) + 76);
    }

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.room_id), v(r.reserved1), v(r.room_value3), v(r.options), v(r.area_name), v(r.advert_host);
        v(r.notice_host), v(r.room_name), v(r.configs), v(r.room_value74), v(r.reserved75);
        v(r.room_value76), v(r.configs_ex), v(r.reserved78), v(r.has_text_table), v(r.reserved81);
    }
};
static_assert(sizeof(GameRoomRecord) == GameRoomRecord::BYTES);
static_assert(FieldListBytes<GameRoomRecord>() == GameRoomRecord::BYTES);
static_assert(offsetof(GameRoomRecord, area_name) == 20 && offsetof(GameRoomRecord, advert_host) == 84);
static_assert(offsetof(GameRoomRecord, notice_host) == 148 && offsetof(GameRoomRecord, room_name) == 212);
static_assert(offsetof(GameRoomRecord, configs) == 73 * 4 && offsetof(GameRoomRecord, configs_ex) == 77 * 4);
static_assert(offsetof(GameRoomRecord, has_text_table) == 80 * 4);

/// The table: 44 words.
struct GameTableRecord {
    static constexpr size_t BYTES = 176;

    int32_t table_no = 0;
    int32_t reserved1 = 0;
    int32_t player_count = 0;
    int32_t other_count = 0;
    int32_t reserved4[40] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.table_no), v(r.reserved1), v(r.player_count), v(r.other_count), v(r.reserved4);
    }
};
static_assert(sizeof(GameTableRecord) == GameTableRecord::BYTES);
static_assert(FieldListBytes<GameTableRecord>() == GameTableRecord::BYTES);

/// The head of the table record received on entering a table: 61 words,
/// followed by player_count TablePlayerRecord entries.
struct TableHeader {
    static constexpr size_t BYTES = 244;

    int32_t room_id = 0;
    int32_t header_value1 = 0; ///< sent again in later requests
    int32_t table_no = 0;
    int32_t player_count = 0;
    int32_t reserved4[25] {};
    int32_t words29[6] {}; ///< words 29-34
    int32_t word35 = 0;    ///< the upload switch of replays
    char text144[16] {};
    char text160[84] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.room_id), v(r.header_value1), v(r.table_no), v(r.player_count), v(r.reserved4);
        v(r.words29), v(r.word35), v(r.text144), v(r.text160);
    }
};
static_assert(sizeof(TableHeader) == TableHeader::BYTES);
static_assert(FieldListBytes<TableHeader>() == TableHeader::BYTES);
static_assert(offsetof(TableHeader, words29) == 116 && offsetof(TableHeader, word35) == 140);
static_assert(offsetof(TableHeader, text144) == 144 && offsetof(TableHeader, text160) == 160);

} // namespace client
