// Arbitrary bytes as a client's throw request to the stand-in server: a
// record that is read holds a play within the card list, whose ids are cards
// or no card.
#include "peers/server/CComputerRound.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int32_t chair = -1;
    rules::CardPlay play;
    if (!peers::ReadThrowRecord(std::span<const uint8_t>(data, size), chair, play))
        return 0;
    if (play.count < 0 || play.count > rules::PLAY_CARDS)
        __builtin_trap();
    for (const int32_t card : play.cards)
        if (card < rules::NO_CARD)
            __builtin_trap();
    return 0;
}
