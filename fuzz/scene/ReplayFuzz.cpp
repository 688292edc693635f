// A replay file from anywhere: loaded by both variants; a loaded image is
// walked whole (table, players, events, snapshot).
#include "game/scene/ReplayImage.h"

#include <cstddef>
#include <cstdint>

namespace {

size_t Walk(const scene::CReplayImage& image)
{
    size_t sum = image.GetFirstRecordOffset();
    for (int i = 0; i < scene::REPLAY_MAX_MATCH_PLAYERS; ++i) {
        if (const auto player = image.GetPlayerInfo(i))
            sum += static_cast<size_t>(player->user_id);
        if (const auto player = image.GetMatchPlayerInfo(i))
            sum += static_cast<size_t>(player->words0[0]);
    }
    for (size_t i = 0; i < image.GetEventCount(); ++i) {
        const scene::ReplayEvent event = image.GetEvent(i);
        for (uint8_t byte : event.data)
            sum += byte;
    }
    if (const auto snapshot = image.GetSnapshot())
        sum += snapshot->data.size();
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> file(data, size);
    for (scene::ReplayVariant variant : { scene::ReplayVariant::Standard, scene::ReplayVariant::Match }) {
        scene::CReplayImage image(variant);
        if (image.Load(file, "pldk", 5, 0).loaded) {
            volatile size_t sink = Walk(image);
            (void)sink;
            // What was loaded saves again.
            (void)image.Save(1, 1);
        }
    }
    return 0;
}
