// A replay from anywhere, past the zlib stream: the input is the header and
// the uncompressed body, and the harness compresses the body, so mutations
// reach the body's checks and records instead of dying in zlib. The first
// byte picks the variant, whether the header keeps the input's record count,
// snapshot offset and body length or gets the ones the body agrees with, and
// the playback steps. A loaded image is walked whole and saved again; its
// records then play through the replay host into this game's notification
// dispatcher (with recording windows), as the replay board plays them.
#include "game/scene/ReplayImage.h"
#include "game/scene/ReplayPlayback.h"
#include "game/scene/ReplaySceneHost.h"

#include "engine/core/ZlibBuffer.h"
#include "platform/ByteOrder.h"
#include "fuzz/client/NotifyFuzzRig.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using scene::CReplayImage;
using scene::ReplayVariant;

// Hands each played record to the dispatcher, as the replay board does.
class CDispatchFeed final : public scene::IReplayFeed {
public:
    explicit CDispatchFeed(scene::IReplaySceneHost& host) : m_host(host) { }
    void FeedEvent(uint32_t event_id, std::span<const uint8_t> data) override
    {
        (void)m_host.DispatchRecord(event_id, data);
    }
    void SetProgress(double) override { }
    void SetSoundFlag(bool) override { }

private:
    scene::IReplaySceneHost& m_host;
};

struct HeaderOffsets {
    size_t record_count, snapshot, body_length, players;
};

HeaderOffsets OffsetsOf(ReplayVariant variant)
{
    // The match header has no game id and its code one byte earlier; its
    // table record names the players in its fourth word, the standard one
    // the seats in its third.
    return variant == ReplayVariant::Standard ? HeaderOffsets { 52, 60, 64, 8 } : HeaderOffsets { 48, 56, 60, 12 };
}

/// Record count and snapshot offset as the body's records give them (the
/// first record is the snapshot when `snapshot` is set).
void AgreeWithBody(std::vector<uint8_t>& header, std::span<const uint8_t> body, const CReplayImage& image,
                   bool snapshot)
{
    const HeaderOffsets at = OffsetsOf(image.GetVariant());
    int32_t players = 0;
    if (body.size() >= image.TableBytes())
        players = static_cast<int32_t>(platform::LoadU32LE(body.data() + at.players));
    players = std::clamp(players, 0, image.GetVariant() == ReplayVariant::Standard ? scene::REPLAY_MAX_SEATS
                                                                                    : scene::REPLAY_MAX_MATCH_PLAYERS);
    size_t offset = image.TableBytes() + image.PlayerBytes() * static_cast<size_t>(players);
    int32_t count = 0;
    const size_t first = offset;
    while (offset + scene::ReplayRecordHead::BYTES <= body.size()) {
        const uint32_t length = platform::LoadU32LE(body.data() + offset + 8);
        if (length > body.size() - offset - scene::ReplayRecordHead::BYTES)
            break;
        ++count;
        offset += scene::ReplayRecordHead::BYTES + length;
    }
    const bool has_snapshot = snapshot && count > 0;
    platform::StoreU32LE(header.data() + at.record_count, static_cast<uint32_t>(count - (has_snapshot ? 1 : 0)));
    platform::StoreU32LE(header.data() + at.snapshot,
                         has_snapshot ? static_cast<uint32_t>(header.size() + first) : 0xFFFFFFFFu);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t flags = data[0];
    const ReplayVariant variant = (flags & 1) != 0 ? ReplayVariant::Match : ReplayVariant::Standard;
    CReplayImage image(variant);
    const std::span<const uint8_t> input(data + 1, size - 1);
    const size_t header_bytes = image.HeaderBytes();

    // The header: the input's bytes (zero-padded), with the magic and the game
    // code in place unless the input asks to keep its own.
    std::vector<uint8_t> header(header_bytes, 0);
    std::copy_n(input.begin(), std::min(input.size(), header_bytes), header.begin());
    const std::span<const uint8_t> body = input.subspan(std::min(input.size(), header_bytes));
    if ((flags & 2) == 0) {
        std::copy_n("QvRep", 5, header.begin());
        const size_t code_at = variant == ReplayVariant::Standard ? 6 : 5;
        header[5] = 0;
        std::copy_n("pldk", 5, header.begin() + static_cast<std::ptrdiff_t>(code_at));
    }
    if ((flags & 4) == 0)
        AgreeWithBody(header, body, image, (flags & 8) != 0);
    if ((flags & 16) == 0)
        platform::StoreU32LE(header.data() + OffsetsOf(variant).body_length, static_cast<uint32_t>(body.size()));
    std::optional<std::vector<uint8_t>> packed = engine::ZlibCompressBuffer(body);
    if (!packed)
        return 0;
    std::vector<uint8_t> file = header;
    file.insert(file.end(), packed->begin(), packed->end());

    const scene::ReplayLoadResult result = image.Load(file, "pldk", 5, 0);
    if (!result.IsLoaded())
        return 0;
    size_t sum = image.GetFirstRecordOffset();
    for (int i = 0; i < scene::REPLAY_MAX_MATCH_PLAYERS; ++i) {
        if (const auto player = image.GetPlayerInfo(i))
            sum += static_cast<size_t>(player->user_id);
        if (const auto player = image.GetMatchPlayerInfo(i))
            sum += static_cast<size_t>(player->words0[0]);
    }
    if (const auto snapshot = image.GetSnapshot())
        sum += snapshot->data.size();
    volatile size_t sink = sum;
    (void)sink;
    // What was loaded saves again, and loads back to the same records.
    const std::optional<std::vector<uint8_t>> saved = image.Save(1, 1);
    CReplayImage again(variant);
    if (!saved || !again.Load(*saved, "pldk", 5, 0).IsLoaded() || again.GetEventCount() != image.GetEventCount())
        __builtin_trap();

    // The records on their way to the dispatcher: played one by one, then
    // sought to a step and stepped back, as the board's buttons do.
    client_test::NotifyRig& rig = notifyfuzz::Rig();
    notifyfuzz::Forget(rig);
    scene::CReplayDispatchHost host(rig.handler);
    CDispatchFeed feed(host);
    scene::CReplayPlayback playback(image, feed);
    playback.Restart();
    const size_t steps = std::min<size_t>(image.GetEventCount(), 64);
    for (size_t i = 0; i < steps && playback.PlayNextRecord(); ++i) {
    }
    if ((flags & 32) != 0) {
        playback.SeekToStep(static_cast<int>(flags >> 6));
        playback.StepBack();
    }
    return 0;
}
