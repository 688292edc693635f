// The desktop back ends on this machine: SDL2_mixer with SDL's dummy audio
// driver, and FluidSynth with the installed General MIDI sound font.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/media/CFluidSynthSink.h"
#include "engine/media/CSdlMixerSoundLibrary.h"

namespace {

// A mono 16-bit WAV of `samples` silent samples.
std::vector<uint8_t> SilentWav(uint32_t samples, uint32_t rate = 44100)
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
    put(rate, 4);
    put(rate * 2, 4);
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

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// What SDL's WAV loader is handed never claims more than the input holds: it
// allocates a chunk at its claimed length before reading it.
TEST(SdlMixerSoundLibrary, WaveChunkLengthsAreCutToTheInput)
{
    const std::vector<uint8_t> whole = SilentWav(16); // data chunk at 36, 32 bytes
    auto claiming = [&](size_t at, uint32_t length) {
        std::vector<uint8_t> bytes = whole;
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(length >> (8 * i));
        return bytes;
    };
    const std::vector<uint8_t> huge_data = claiming(40, 0x5A000000);
    const std::vector<uint8_t> bare(huge_data.begin() + 8, huge_data.end()); // "WAVE" without its RIFF head
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t length_at;
        uint32_t expected;
    } cases[] = {
        { "whole file unchanged", whole, 40, 32 },
        { "data claiming 1.4 GiB", huge_data, 40, 32 },
        { "RIFF claiming 4 GiB", claiming(4, 0xFFFFFFFF), 4, 68 },
        { "truncated data", std::vector<uint8_t>(whole.begin(), whole.end() - 10), 40, 22 },
        { "format chunk past the end", claiming(16, 1000), 16, 56 },
        { "bare WAVE", bare, 32, 32 },
    };
    for (const auto& c : cases) {
        const auto capped = engine::CapWaveChunks(c.bytes);
        ASSERT_TRUE(capped.has_value()) << c.name;
        ASSERT_EQ(capped->size(), c.bytes.size()) << c.name;
        EXPECT_EQ(WordAt(*capped, c.length_at), c.expected) << c.name;
    }
    EXPECT_FALSE(engine::CapWaveChunks(std::vector<uint8_t> { 'M', 'T', 'h', 'd', 0, 0, 0, 6 }).has_value());
    EXPECT_TRUE(engine::CapWaveChunks(SilentWav(16, 1))->empty()) << "1 Hz would convert to 44100 times its size";

    setenv("SDL_AUDIODRIVER", "dummy", 0);
    engine::CSdlMixerSoundLibrary library;
    ASSERT_TRUE(library.Init());
    const uint32_t truncated = library.StreamCreate(huge_data);
    EXPECT_NE(truncated, 0u) << "a truncated file plays what it holds";
    EXPECT_EQ(library.StreamCreate(SilentWav(16, 1)), 0u);
    library.StreamFree(truncated);
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
