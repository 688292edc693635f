// Feeds arbitrary bytes to every reader of server and replay bodies in the
// client's records and game-state holder, then reads the results back through
// the lookups, so that a body that slipped through would be used.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "client/CClientRecords.h"
#include "client/CPlDkGameState.h"

namespace {

/// Reads every seat back and stops on a record that breaks what callers rely
/// on: a user's chair inside the table, names within their fields.
void UseRecords(const client::CClientRecords& records)
{
    for (int chair = -1; chair <= client::CClientRecords::SEAT_COUNT; ++chair) {
        const int32_t user_id = records.GetSeatUserID(chair);
        (void)records.GetSeatDuan(chair);
        (void)records.FindTablePlayer(user_id);
        if (records.GetName(records.Seat(chair), client::NameKind::Display).size() > 31 + 15 + 2)
            __builtin_trap();
        if (user_id != 0 && !client::IsValidChair(records.GetUserChairNO(user_id)))
            __builtin_trap();
    }
    if (!client::IsValidChair(records.GetChairNO()))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> body(data, size);
    client::CClientRecords records;
    records.Launch().user_id = size > 0 ? data[0] : 1;
    records.SetMatchRoom(true);
    records.SetRoomText(1, "title");

    (void)records.CopyTableHeader(body);
    UseRecords(records);

    // Random counts are almost always refused; a copy with small counts in
    // the count words of every layout reaches the entry readers too.
    std::vector<uint8_t> counted(data, data + size);
    if (counted.size() >= 20) {
        const uint8_t count = counted[0] % 10;
        for (size_t word : { 2, 3, 4 }) {
            std::fill_n(counted.begin() + static_cast<ptrdiff_t>(word * 4), 4, uint8_t { 0 });
            counted[word * 4] = count;
        }
        (void)records.CopyTableHeader(counted);
        (void)records.ApplyTableInfo(counted);
        UseRecords(records);
        (void)records.ApplyOtherSeats(counted);
        (void)records.ApplyTableSeats(counted);
        UseRecords(records);
    }
    (void)records.ApplyTableInfo(body);
    UseRecords(records);
    (void)records.ApplyOtherSeats(body);
    (void)records.ApplyTableSeats(body);
    UseRecords(records);
    (void)records.ApplyRoomInfo(body);
    client::GameUserRecord seat;
    (void)client::CClientRecords::FillSeatFromShortRecord(seat, body);
    if (client::ReadRecord(body, records.Ranking()))
        records.SortMatchRanking();

    client::CPlDkGameState state;
    (void)state.FlagSeat(body);
    (void)state.BeginRound(body);
    (void)state.EndRound(body);
    for (int chair = -1; chair <= 8; ++chair)
        (void)state.IsSeatFlagged(chair);
    return 0;
}
