#pragma once
// IMidiSink: where the MIDI stream sends the short messages it plays. On a
// desktop it is the FluidSynth synthesiser (CFluidSynthSink); tests record
// the messages with their stream times.
//
// Owner: the music module owns the sink; every MIDI stream that uses it must
// be gone before it is. Threads: called from the stream's clock thread (or
// the test thread that drives the stream); implementations must accept calls
// from a thread other than the one that made them.

#include <cstdint>

namespace engine {

class IMidiSink {
public:
    virtual ~IMidiSink() = default;
    /// One short message: status | data1 << 8 | data2 << 16, played at
    /// `stream_time_us` microseconds after the stream started.
    virtual void ShortMessage(uint32_t message, uint64_t stream_time_us) = 0;
    /// Silences every channel (stop, pause and reset of a stream).
    virtual void SilenceAll() = 0;
    /// Master volume, 0.0 to 1.0.
    virtual void SetVolume(float volume) = 0;
};

} // namespace engine
