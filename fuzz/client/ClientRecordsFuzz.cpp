// Feeds arbitrary bytes to every reader of server and replay bodies in the
// client's records and game-state holder, then reads the results back through
// the lookups, so that a body that slipped through would be used.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "client/CClientRecords.h"
#include "client/CPlDkGameState.h"

namespace {

void UseRecords(const client::CClientRecords& records)
{
    for (int chair = -1; chair <= client::CClientRecords::SEAT_COUNT; ++chair) {
        const int32_t user_id = records.GetSeatUserID(chair);
        (void)records.GetSeatDisplayName(chair);
        (void)records.GetSeatDuan(chair);
        (void)records.GetUserDisplayName(user_id);
        (void)records.FindTablePlayer(user_id);
    }
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
        for (size_t word : { 2, 3, 4 })
            counted[word * 4] = count, counted[word * 4 + 1] = counted[word * 4 + 2] = counted[word * 4 + 3] = 0;
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
