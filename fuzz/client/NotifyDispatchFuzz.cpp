// Feeds random notification ids and bodies to this game's handler with
// recording frame UI, side panel and scene, in a room whose flags the input
// chooses, and stops when a record breaks what its readers rely on.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

#include "client/ClientText.h"

#include "platform/ByteOrder.h"
#include "fuzz/client/NotifyFuzzRig.h"

namespace {

using notifyfuzz::Rig;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    client_test::NotifyRig& rig = Rig();
    const uint32_t selector = platform::LoadU32LE(data);
    const uint8_t flags = data[4];
    const uint32_t id = (selector & 0x80000000u) != 0 ? selector & 0x7FFFFFFFu : client_test::NOTIFY_IDS[selector % std::size(client_test::NOTIFY_IDS)];
    client::CClientRecords& records = rig.app.Records();
    records.SetMatchRoom((flags & 1) != 0);
    records.Launch().look_on = (flags & 2) != 0;
    records.Room().configs = (flags & 4) != 0 ? client::ROOM_CONFIG_ENTER_WHILE_PLAYING : 0;
    if ((flags & 8) != 0)
        rig.app.ClearPlaying();
    records.Launch().user_id = (flags & 0x10) != 0 ? 1 : 0;
    records.Launch().chair_no = (flags >> 5) & 3;

    rig.Send(id, std::span<const uint8_t>(data + 5, size - 5));

    // What the records' readers rely on still holds.
    const int32_t count = records.Table().player_count;
    if (count < 0 || count > client::MAX_CHAIRS)
        __builtin_trap();
    for (int chair = 0; chair < client::CClientRecords::SEAT_COUNT; ++chair) {
        const client::GameUserRecord& seat = *records.Seat(chair);
        if (seat.user_id != 0 && !client::IsValidChair(seat.chair))
            __builtin_trap();
        if (client::FieldText(seat.level_title).size() >= sizeof(seat.level_title))
            __builtin_trap();
    }
    if (rig.app.GetAdvertAddress().size() >= client::ADVERT_ADDRESS_BYTES)
        __builtin_trap();
    notifyfuzz::Forget(rig);
    return 0;
}
