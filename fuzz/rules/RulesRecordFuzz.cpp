// Feeds untrusted bytes to every reader of the rules: received result blocks,
// table-information and win records, plays, and the host's user records.
#include "game/rules/GameTable.h"
#include "game/rules/PlDkRecords.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t selector = data[0];
    std::span<const uint8_t> body(data + 1, size - 1);
    switch (selector % 5) {
    case 0: {
        rules::CGameTable table { rules::TableArgs {} };
        table.StoreResult(rules::GameWinResult {});
        (void)table.ReplayStoredResult(body, nullptr);
        break;
    }
    case 1: {
        rules::TableGameData block;
        (void)rules::ReadTableGameData(body, block);
        break;
    }
    case 2: {
        rules::PlDkGameWinResult win;
        (void)rules::ReadPlDkGameWinResult(body, win);
        break;
    }
    case 3: {
        rules::CardPlay play;
        (void)rules::ReadCardPlay(body, play);
        break;
    }
    default: {
        rules::CGameTable table { rules::TableArgs { .chair_count = (selector >> 3) % 9 } };
        std::vector<uint8_t> records(body.begin(), body.end());
        table.MaskOtherPlayers(selector % 8, records);
        table.RememberNames(records);
        break;
    }
    }
    return 0;
}
