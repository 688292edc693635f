#include "engine/media/CFluidSynthSink.h"

#include <algorithm>

#include <fluidsynth.h>

namespace engine {

namespace {

// The synthesiser's own gain at full volume; FluidSynth's default (0.2) is
// quiet next to the other sounds.
constexpr float FULL_GAIN = 0.6f;

} // namespace

struct CFluidSynthSink::Impl {
    fluid_settings_t* settings { nullptr };
    fluid_synth_t* synth { nullptr };
    fluid_audio_driver_t* driver { nullptr };

    ~Impl()
    {
        if (driver != nullptr)
            delete_fluid_audio_driver(driver);
        if (synth != nullptr)
            delete_fluid_synth(synth);
        if (settings != nullptr)
            delete_fluid_settings(settings);
    }
};

std::unique_ptr<CFluidSynthSink> CFluidSynthSink::Create(const std::string& sound_font)
{
    // FluidSynth reports a missing audio server on stderr; the sink copes.
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    auto impl = std::make_unique<Impl>();
    impl->settings = new_fluid_settings();
    if (impl->settings == nullptr)
        return nullptr;
    fluid_settings_setnum(impl->settings, "synth.gain", FULL_GAIN);
    fluid_settings_setnum(impl->settings, "synth.sample-rate", 44100.0);
    impl->synth = new_fluid_synth(impl->settings);
    if (impl->synth == nullptr)
        return nullptr;
    if (fluid_synth_sfload(impl->synth, sound_font.c_str(), 1) == FLUID_FAILED)
        return nullptr;
    impl->driver = new_fluid_audio_driver(impl->settings, impl->synth);
    return std::unique_ptr<CFluidSynthSink>(new CFluidSynthSink(std::move(impl)));
}

CFluidSynthSink::CFluidSynthSink(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CFluidSynthSink::~CFluidSynthSink() = default;

bool CFluidSynthSink::HasAudio() const
{
    return m_impl->driver != nullptr;
}

void CFluidSynthSink::ShortMessage(uint32_t message, uint64_t stream_time_us)
{
    (void)stream_time_us; // Played now: the stream calls when the event is due.
    fluid_synth_t* synth = m_impl->synth;
    const int status = static_cast<int>(message & 0xFF);
    const int channel = status & 0x0F;
    const int data1 = static_cast<int>((message >> 8) & 0x7F);
    const int data2 = static_cast<int>((message >> 16) & 0x7F);
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth, channel, data1);
        else
            fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7);
        break;
    default:
        break; // System messages are not played.
    }
}

void CFluidSynthSink::SilenceAll()
{
    fluid_synth_all_notes_off(m_impl->synth, -1);
}

void CFluidSynthSink::SetVolume(float volume)
{
    fluid_synth_set_gain(m_impl->synth, FULL_GAIN * std::clamp(volume, 0.0f, 1.0f));
}

} // namespace engine
