// The history of the last rounds' results of the table: for each of 8 chairs
// a ring of the last 30 round values and a running total, and a round counter.
// Owner: plain value, held by CClientRecords; filled by the application's
// round-result operations. UI thread.
// Hazards: in memory only; it never travels.
#pragma once

#include <cstdint>

namespace client {

struct RoundHistory {
    static constexpr int CHAIRS = 8;
    static constexpr int ROUNDS = 30;

    int32_t values[CHAIRS][ROUNDS] {};
    int32_t totals[CHAIRS] {};
    int32_t round_count = 0;
};

} // namespace client
