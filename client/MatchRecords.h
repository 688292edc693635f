// The records of a match room: MatchRecord (from the hall's launch data), the
// match state block and the match ranking list (the match score table).
// Owner: plain values, held by CClientRecords. Any thread.
// Wire layout: little-endian 32-bit words with zero-terminated GBK texts at
// fixed places (static_assert). Read and write them only through
// RecordCodec.h; read texts with FieldText. Counts inside the ranking come
// from the server: clamp them with MatchRanking::EntryCount before use.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "client/RecordCodec.h"

namespace client {

/// The match: 370 words.
struct MatchRecord {
    static constexpr size_t BYTES = 1480;

    int32_t words0[18] {};
    char match_name[128] {};
    char award_url[256] {};
    int32_t reserved114[256] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.words0), v(r.match_name), v(r.award_url), v(r.reserved114);
    }
};
static_assert(sizeof(MatchRecord) == MatchRecord::BYTES);
static_assert(FieldListBytes<MatchRecord>() == MatchRecord::BYTES);
static_assert(offsetof(MatchRecord, match_name) == 72 && offsetof(MatchRecord, award_url) == 200);

/// Values of MatchStateBlock::state.
inline constexpr int32_t MATCH_STATE_STARTED = 500; ///< below: not started yet
inline constexpr int32_t MATCH_STATE_ENDED = 600;

/// The match state block: 17 words.
struct MatchStateBlock {
    static constexpr size_t BYTES = 68;

    int32_t words0[2] {};
    int32_t state = 0; ///< word 2
    int32_t words3[14] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.words0), v(r.state), v(r.words3);
    }
};
static_assert(sizeof(MatchStateBlock) == MatchStateBlock::BYTES);
static_assert(FieldListBytes<MatchStateBlock>() == MatchStateBlock::BYTES);

/// One entry of the match ranking: 16 words.
struct MatchRankEntry {
    static constexpr size_t BYTES = 64;

    int32_t user_id = 0;
    int32_t score = 0;
    int32_t silver = 0;
    int32_t rank_key = 0; ///< word 3, ascending order
    int32_t words4[12] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.user_id), v(r.score), v(r.silver), v(r.rank_key), v(r.words4);
    }
};
static_assert(sizeof(MatchRankEntry) == MatchRankEntry::BYTES);
static_assert(FieldListBytes<MatchRankEntry>() == MatchRankEntry::BYTES);

/// The match ranking list: a 6-word head and up to 100 entries.
struct MatchRanking {
    static constexpr size_t BYTES = 6424;
    static constexpr size_t HEAD_BYTES = 24;
    static constexpr int32_t MAX_ENTRIES = 100;

    int32_t word0 = 0;
    int32_t entry_count = 0;  ///< word 1
    int32_t leader_count = 0; ///< word 2
    int32_t words3[2] {};
    int32_t leaders_flag = 0; ///< word 5
    MatchRankEntry entries[MAX_ENTRIES] {};

    /// The entry count clamped to 0..MAX_ENTRIES.
    [[nodiscard]] int32_t EntryCount() const { return std::clamp(entry_count, 0, MAX_ENTRIES); }

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.word0), v(r.entry_count), v(r.leader_count), v(r.words3), v(r.leaders_flag), v(r.entries);
    }
};
static_assert(sizeof(MatchRanking) == MatchRanking::BYTES);
static_assert(FieldListBytes<MatchRanking>() == MatchRanking::BYTES);
static_assert(offsetof(MatchRanking, entries) == MatchRanking::HEAD_BYTES);

} // namespace client
