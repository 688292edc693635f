// A round's start from the server as this game's table takes it: the input
// picks the road (a round start record, dealt card by card with its partner
// step and start of play; or a whole table record taken up by a late
// entrant), how many cards are dealt before play starts (all of them, or a
// few), the own seat's look-on flag and the open-hand option; the rest
// is the record, kept only when the rules' reader accepts it, as the game
// state does. Afterwards no more cards were dealt than there are sprites,
// every card sprite belongs to a chair of the table (or none) in a view of
// the table (or none), and no more score corners are in use than exist.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "client/CPlDkGameState.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "fuzz/scene/SceneFuzzRig.h"

namespace {

using Rig = scenefuzz::Rig<scene::CPlDkGameScene>;

Rig& TheRig()
{
    static Rig rig({ 0, 0, 1000, 700 });
    return rig;
}

} // namespace

// The rig carries the table from one input to the next (building it anew for
// each input would cost more than the input), so what one input allocates a
// later one frees. libFuzzer's leak check after every input would then re-run
// most inputs and scan the whole heap, to no purpose, until it gave up by
// itself after a thousand tries; it is off here unless the command line asks
// for it. LeakSanitizer still looks for leaks when the run ends.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> args;
    static char no_leak_check[] = "-detect_leaks=0";
    for (int i = 0; i < *argc; ++i) {
        if (std::strncmp((*argv)[i], "-detect_leaks=", 14) == 0)
            return 0;
    }
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, no_leak_check);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    Rig& rig = TheRig();
    scene::CPlDkGameScene& table = *rig.scene;
    client::CPlDkGameState& state = rig.app.GetGameState();
    rig.app.Records().Launch().look_on = (data[1] & 0x1) != 0;
    rig.app.Records().Room().options = (data[1] & 0x2) != 0 ? 1 : 0;
    const std::span<const uint8_t> record(data + 2, size - 2);
    // Dealing is the costly part of an input (each card re-lays and sorts its
    // hand): most inputs deal a few cards and start play mid-deal, as a quick
    // server's start of play does; one in sixteen deals every card.
    const int deal_choice = (data[0] >> 1) & 0xF;
    const int ticks = deal_choice == 0xF ? scene::CPlDkGameScene::HAND_SPRITES : deal_choice;
    table.ResetTable();
    if ((data[0] & 1) == 0) {
        if (state.BeginRound(record)) {
            table.StartDeal();
            for (int tick = 0; tick < ticks && table.IsDealing(); ++tick)
                table.OnDealTick();
            table.RestoreRunningGame();
            table.StartPlay();
        }
    } else if (state.LoadTableData(record)) {
        table.ResumeGame();
    }
    rig.Tick();

    if (table.GetDealCount() < 0 || table.GetDealCount() > scene::CPlDkGameScene::HAND_SPRITES)
        __builtin_trap();
    const int chairs = table.GetChairCount();
    for (int i = 0; i < table.Sprites().Count(); ++i) {
        const scene::CardSpriteState& s = table.Sprites().At(i);
        if (s.chair < -1 || s.chair >= chairs || s.view < -1 || s.view >= chairs)
            __builtin_trap();
    }
    const int used = table.GetScoreSpritesUsed();
    if (used < 0 || used > scene::CPlDkGameScene::SCORE_SPRITES)
        __builtin_trap();
    return 0;
}
