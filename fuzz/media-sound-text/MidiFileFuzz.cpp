// Feeds arbitrary bytes to the MIDI file reader and converts the whole file
// into stream buffers: damaged files must be refused or stop cleanly, never
// read past their end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/media/CMidiPlayer.h"
#include "engine/media/CMidiSequence.h"

namespace {

class CNullSink final : public engine::IMidiSink {
public:
    void ShortMessage(uint32_t, uint64_t) override {}
    void SilenceAll() override {}
    void SetVolume(float) override {}
};

// Plays the file on a stream driven by a fake clock, 50 ms a step, and
// replays it once after it ends or after a while.
void PlayThrough(const uint8_t* data, size_t size)
{
    CNullSink sink;
    uint64_t now = 0;
    engine::CMidiPlayer player(sink, [&now] { return now; }, engine::CMidiPlayer::StreamClock::External);
    if (!player.Load(std::vector<uint8_t>(data, data + size)))
        return;
    for (int run = 0; run < 2; ++run) {
        if (player.Play(size % 2 == 0) == 0)
            return;
        for (int step = 0; step < 200 && player.IsPlaying(); ++step) {
            now += 50000;
            player.GetStream().Advance();
        }
    }
    player.Stop(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    engine::CMidiSequence sequence;
    if (!sequence.Parse(std::vector<uint8_t>(data, data + size)))
        return 0;
    engine::MidiStreamBuffer buffer;
    buffer.data.assign(engine::MIDI_BUFFER_BYTES, 0);
    // A bounded number of buffers: every one either holds events or ends the file.
    for (int i = 0; i < 4096; ++i) {
        buffer.bytes_recorded = 0;
        buffer.first_tick = 0;
        buffer.over = false;
        const int32_t result = sequence.ConvertToBuffer(i == 0, buffer);
        if (result != engine::MIDI_CONVERT_OK)
            break;
        if (buffer.bytes_recorded > buffer.capacity || buffer.bytes_recorded % engine::MIDI_EVENT_BYTES != 0)
            __builtin_trap();
    }
    PlayThrough(data, size);
    return 0;
}
