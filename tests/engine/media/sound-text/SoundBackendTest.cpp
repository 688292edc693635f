// The desktop back ends on this machine: SDL2_mixer with SDL's dummy audio
// driver, and FluidSynth with the installed General MIDI sound font.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/media/CFluidSynthSink.h"
#include "engine/media/CSdlMixerSoundLibrary.h"

namespace {

// A mono 16-bit WAV of `samples` silent samples.
std::vector<uint8_t> SilentWav(uint32_t samples)
{
    std::vector<uint8_t> wav;
    const auto put = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    const uint32_t data_bytes = samples * 2;
    wav.insert(wav.end(), { 'R', 'I', 'F', 'F' });
    put(36 + data_bytes, 4);
    wav.insert(wav.end(), { 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ' });
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(44100, 4);
    put(88200, 4);
    put(2, 2);
    put(16, 2);
    wav.insert(wav.end(), { 'd', 'a', 't', 'a' });
    put(data_bytes, 4);
    wav.resize(wav.size() + data_bytes, 0);
    return wav;
}

} // namespace

TEST(SdlMixerSoundLibrary, PlaysStopsAndRefusesBytesItCannotDecode)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    engine::CSdlMixerSoundLibrary library;
    ASSERT_TRUE(library.Init());
    const std::vector<uint8_t> wav = SilentWav(44100);
    const uint32_t handle = library.StreamCreate(wav);
    ASSERT_NE(handle, 0u);
    library.ChannelPlay(handle, false);
    EXPECT_TRUE(library.ChannelIsActive(handle));
    library.ChannelPause(handle);
    EXPECT_TRUE(library.ChannelIsActive(handle));
    library.ChannelPlay(handle, true);
    library.ChannelStop(handle);
    EXPECT_FALSE(library.ChannelIsActive(handle));
    library.SetVolume(0.25f);
    EXPECT_FLOAT_EQ(library.GetVolume(), 0.25f);
    // Refused bytes leave nothing behind (a short input once leaked the reader).
    const std::vector<std::vector<uint8_t>> junk = { { 'n', 'o', 'p', 'e', 0, 1, 2, 3 }, { '\n', '+', '\n', '+' } };
    for (const auto& bytes : junk)
        EXPECT_EQ(library.StreamCreate(bytes), 0u);
    library.StreamFree(handle);
    EXPECT_FALSE(library.ChannelIsActive(handle));
    library.Free();
}

TEST(FluidSynthSink, TakesEveryKindOfShortMessage)
{
    auto sink = engine::CFluidSynthSink::Create();
    ASSERT_NE(sink, nullptr);
    for (uint32_t status : { 0x90u, 0x80u, 0xA0u, 0xB0u, 0xC0u, 0xD0u, 0xE0u, 0xF0u })
        sink->ShortMessage(status | 0x3C00 | 0x400000, 0);
    sink->SetVolume(0.5f);
    sink->SilenceAll();
    EXPECT_EQ(engine::CFluidSynthSink::Create("/nonexistent.sf2"), nullptr);
}
