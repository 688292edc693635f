// This game's game data from the table as the scene takes it: the input
// picks one of the sub-ids this game reads (quick-talk phrases, score cards,
// auto-play, hands), the own seat's look-on flag and the length word; the
// rest is the body. Afterwards no more score corners are in use than exist,
// each belongs to a chair of the table, and every card sprite still belongs
// to a chair of the table (or none).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "game/scene/FlippedCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "platform/ByteOrder.h"
#include "fuzz/scene/SceneFuzzRig.h"

namespace {

using Rig = scenefuzz::Rig<scene::CPlDkGameScene>;

Rig& TheRig()
{
    static Rig rig({ 0, 0, 1000, 700 });
    return rig;
}

constexpr std::array<int32_t, 7> SUB_IDS = {
    scene::GAMEDATA_JUDGE_PLAY_SND, scene::GAMEDATA_SCORE_CARDS, scene::GAMEDATA_JUDGE_SINGLE_WIN,
    scene::GAMEDATA_AUTOPLAY_ON,    scene::GAMEDATA_AUTOPLAY_OFF, scene::GAMEDATA_HAND,
    scene::GAMEDATA_PLAYER_BACK,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    Rig& rig = TheRig();
    scene::CPlDkGameScene& table = *rig.scene;
    rig.app.Records().Launch().look_on = (data[1] & 0x4) != 0;
    if ((data[1] & 0x8) != 0)
        table.ResetTable();
    // The head as the server sends it; the length word is the input's own
    // (so it may claim more or less than follows).
    const std::span<const uint8_t> rest(data + 3, size - 3);
    std::vector<uint8_t> message(20 + rest.size(), 0);
    platform::StoreU32LE(message.data() + 8, static_cast<uint32_t>(SUB_IDS[data[0] % SUB_IDS.size()]));
    const uint32_t length = (data[2] & 0x80) != 0 ? static_cast<uint32_t>(rest.size()) : uint32_t { data[2] } * 4;
    platform::StoreU32LE(message.data() + 16, length);
    std::copy(rest.begin(), rest.end(), message.begin() + 20);
    table.OnGameData(message);
    rig.Tick();

    const int used = table.GetScoreSpritesUsed();
    if (used < 0 || used > scene::CPlDkGameScene::SCORE_SPRITES)
        __builtin_trap();
    for (int i = 0; i < used; ++i) {
        const scene::CFlippedCardSprite* sprite = table.GetScoreSprite(i);
        if (sprite != nullptr && (sprite->Record().chair < 0 || sprite->Record().chair >= table.GetChairCount()))
            __builtin_trap();
    }
    for (int i = 0; i < table.Sprites().Count(); ++i) {
        const scene::CardSpriteState& s = table.Sprites().At(i);
        if (s.chair < -1 || s.chair >= table.GetChairCount())
            __builtin_trap();
    }
    return 0;
}
