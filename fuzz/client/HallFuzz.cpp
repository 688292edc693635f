// Feeds arbitrary bytes to every reader of what the hall hands the client:
// the command line, the launch data of both room kinds, onlooker records and
// sign replies; then reads the records back so that a payload that slipped
// through would be used.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "client/CClientRecords.h"
#include "client/HallCommandLine.h"
#include "client/HallLaunchData.h"
#include "client/HallRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> payload(data, size);
    if (const auto fields = client::ParseHallCommandLine(std::string_view(reinterpret_cast<const char*>(data), size))) {
        if (fields->server_ip.size() > client::HALL_SERVER_IP_MAX || fields->game_name.size() > client::HALL_GAME_NAME_MAX)
            __builtin_trap();
        if (!client::ParseHallCommandLine(client::FormatHallCommandLine(*fields)))
            __builtin_trap();
    }

    client::CClientRecords records;
    records.Launch().user_id = size > 0 ? data[0] : 1;
    (void)client::ApplyGameLaunchData(records, payload);
    (void)client::ApplyMatchLaunchData(records, payload);
    (void)client::AddLookerFromHall(records, payload);
    for (int chair = 0; chair < client::CClientRecords::SEAT_COUNT; ++chair) {
        const client::GameUserRecord* seat = records.Seat(chair);
        if (seat->user_id != 0 && !client::IsValidChair(seat->chair))
            __builtin_trap();
    }
    if (records.Table().player_count < 0 || records.Table().player_count > client::CClientRecords::SEAT_COUNT)
        __builtin_trap();

    client::SignReplyRecord reply;
    (void)client::ReadRecord(client::DecipherCopyData(payload), reply);
    return 0;
}
