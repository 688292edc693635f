#pragma once
// CFluidSynthSink: plays MIDI short messages on the FluidSynth synthesiser
// with a General MIDI sound font (TimGM6mb by default) through the sound
// device. With no usable audio driver the synthesiser still takes every
// message and nothing is heard.
//
// Owner: the music module. Threads: messages arrive on a MIDI stream's clock
// thread, volume from the UI thread; FluidSynth's synthesiser API is
// thread-safe, and the sink keeps no other state that changes.
// Hazards: loading the sound font takes a moment; the music module makes the
// sink only when the first MIDI sound is opened.

#include <memory>
#include <string>

#include "engine/media/IMidiSink.h"

namespace engine {

class CFluidSynthSink final : public IMidiSink {
public:
    static constexpr const char* DEFAULT_SOUND_FONT = "/usr/share/sounds/sf2/TimGM6mb.sf2";

    /// A sink with the sound font loaded, or null when FluidSynth or the
    /// sound font cannot be set up.
    [[nodiscard]] static std::unique_ptr<CFluidSynthSink> Create(const std::string& sound_font = DEFAULT_SOUND_FONT);
    ~CFluidSynthSink() override;
    CFluidSynthSink(const CFluidSynthSink&) = delete;
    CFluidSynthSink& operator=(const CFluidSynthSink&) = delete;

    void ShortMessage(uint32_t message, uint64_t stream_time_us) override;
    void SilenceAll() override;
    void SetVolume(float volume) override;
    [[nodiscard]] bool HasAudio() const;

private:
    struct Impl;
    explicit CFluidSynthSink(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace engine
