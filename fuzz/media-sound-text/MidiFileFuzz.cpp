// Feeds arbitrary bytes to the MIDI file reader and converts the whole file
// into stream buffers: damaged files must be refused or stop cleanly, never
// read past their end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/media/CMidiSequence.h"

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
    return 0;
}
