// Table events from the server as the card table takes them: the input
// picks a hook, the table (the card table or this game's) and whether the
// client looks on; the rest is the body. Afterwards every card sprite still
// belongs to a chair of the table (or none), the last play holds at most 64
// cards and the turn is on a chair of the table. This game's round end
// takes its result record from the body.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "client/CPlDkGameState.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/PlDkGameScene.h"
#include "platform/ByteOrder.h"
#include "fuzz/scene/SceneFuzzRig.h"

namespace {

scene::CCardGameScene& TheTable(bool this_game, client::CPlDkApp*& app, enginetest::EngineFixture*& engine)
{
    static scenefuzz::Rig<scene::CCardGameScene> card_table({ 0, 0, 800, 600 });
    static scenefuzz::Rig<scene::CPlDkGameScene> pldk_table({ 0, 0, 800, 600 });
    if (this_game) {
        app = &pldk_table.app;
        engine = &pldk_table.engine;
        return *pldk_table.scene;
    }
    app = &card_table.app;
    engine = &card_table.engine;
    return *card_table.scene;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    client::CPlDkApp* app = nullptr;
    enginetest::EngineFixture* engine = nullptr;
    scene::CCardGameScene& table = TheTable((data[1] & 0x8) != 0, app, engine);
    client::ICardGameSceneHooks& hooks = *table.GetTableHooks();
    app->Records().Launch().look_on = (data[1] & 0x4) != 0;
    const std::span<const uint8_t> body(data + 2, size - 2);
    const int32_t word = body.size() >= 4 ? static_cast<int32_t>(platform::LoadU32LE(body.data())) : 0;
    switch (data[0] % 15) {
    case 0: hooks.OnCardsThrown(body); break;
    case 1: hooks.OnPlayerPassed(body); break;
    case 2: hooks.OnSetHandCards(body); break;
    case 3: hooks.OnGameData(body); break;
    case 4: hooks.OnTableEvent221165(body); break;
    case 5: hooks.OnCardViewReply(body); break;
    case 6: hooks.OnCardViewRequest(body); break;
    case 7: hooks.OnPlayerStarted(word); break;
    case 8: hooks.OnPlayerOffline(word); break;
    case 9: hooks.OnTurnBegin(body); break;
    case 10: table.OnClockTick(); break;
    case 11: hooks.OnScoreNotify(body); break;
    case 12: hooks.ShowRoundHeader(); break;
    case 13:
        // This game's round ends with the server's result record (the body,
        // padded with zeros to the record's size) in the game state.
        if ((data[1] & 0x8) != 0) {
            std::vector<uint8_t> result(sizeof(rules::PlDkGameWinResult), 0);
            std::copy_n(body.begin(), std::min(body.size(), result.size()), result.begin());
            (void)app->GetGameState().EndRound(result);
        }
        hooks.OnRoundEnd();
        break;
    default: hooks.ResetTable(); break;
    }
    engine->Tick();

    const int chairs = table.GetChairCount();
    for (int i = 0; i < table.Sprites().Count(); ++i) {
        const scene::CardSpriteState& s = table.Sprites().At(i);
        if (s.chair < -1 || s.chair >= chairs)
            __builtin_trap();
    }
    const int32_t played = table.GetLastCardPlay().play.count;
    if (played < 0 || played > scene::TurnRecord::MAX_CARDS)
        __builtin_trap();
    const int active = table.GetActiveChair();
    if (active < -1 || active >= chairs)
        __builtin_trap();
    return 0;
}
