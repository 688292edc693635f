// Feeds arbitrary bytes to the application's readers of server answers and
// results (the enter reply, round, single and silver results, seat names,
// the log-on answers' state blocks, sign replies), then reads the seats back
// so that a record that slipped through would be used.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "client/CPlDkApp.h"
#include "platform/Path.h"

namespace {

client::CPlDkApp* s_app = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The application keeps its settings in a folder of its own here.
    char folder[] = "/tmp/pldk-fuzz-XXXXXX";
    if (::mkdtemp(folder) != nullptr) {
        platform::SetUserDataFolder(std::string(folder) + "/");
        platform::SetUserConfigFolder(std::string(folder) + "/");
    }
    static client::CPlDkApp app;
    app.SetLinks({});
    s_app = &app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    client::CPlDkApp& app = *s_app;
    client::CClientRecords& records = app.Records();
    records.Launch().chair_no = size > 0 ? (data[0] % 3) - 1 : 0;
    for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair)
        records.Seat(chair)->user_id = 100 + chair;

    (void)app.ApplyMatchPlayerInfo(bytes);
    (void)app.ApplyRoundResult(bytes);
    (void)app.ApplySingleResult(bytes);
    (void)app.ApplySilverChange(bytes);
    (void)app.ApplySeatNames(bytes);
    app.LoadStateBlock(bytes);
    app.LoadStateBlock2(bytes);
    app.OnSignReply(bytes);

    for (int chair = 0; chair < client::CClientRecords::SEAT_COUNT; ++chair) {
        const client::GameUserRecord* seat = records.Seat(chair);
        if (seat->user_id != 0 && !client::IsValidChair(seat->chair))
            __builtin_trap();
        if (records.GetName(seat, client::NameKind::Display).size() > 31 + 15 + 2)
            __builtin_trap();
    }
    return 0;
}
