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

// Plays the file once on a stream driven by a fake clock, 200 ms a step;
// inputs of odd size then replay it looping for one step. Each step plays at
// most STEP_EVENTS due events: enough for several buffer refills, loop
// restarts and the bound itself, while a song whose events all fall at one
// instant no longer costs the stream's full budget of thousands of steps
// (and conversions) per step. Nothing here waits in real time: a run costs
// only the work of the reader and the player.
constexpr int STEP_EVENTS = 256;

void PlayThrough(const uint8_t* data, size_t size)
{
    CNullSink sink;
    uint64_t now = 0;
    engine::CMidiPlayer player(sink, [&now] { return now; }, engine::CMidiPlayer::StreamClock::External);
    if (!player.Load(std::vector<uint8_t>(data, data + size)))
        return;
    const struct {
        bool loop;
        int steps;
    } runs[] = { { false, 50 }, { true, size % 2 == 1 ? 1 : 0 } };
    for (const auto& run : runs) {
        if (player.Play(run.loop) == 0)
            return;
        for (int step = 0; step < run.steps && player.IsPlaying(); ++step) {
            now += 200000;
            player.GetStream().Advance(STEP_EVENTS);
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
    for (int i = 0; i < 512; ++i) {
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
