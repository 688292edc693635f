#pragma once
// CSdlMixerSoundLibrary: the music module's sound library on SDL2_mixer.
// Each stream is one decoded chunk; playing it takes a free mixer channel.
// With SDL's dummy audio driver (CI) everything plays silently in real time;
// with no audio device at all streams still exist and are never active, so
// finish events come at once.
//
// Owner: the music module. Threads: UI thread only (SDL_mixer's own thread
// mixes the chunks).
// Hazards: SDL's audio subsystem is opened by Init and closed by Free; other
// users of SDL audio must not close it in between. Sound data is untrusted:
// SDL's WAV loader allocates each chunk at the length its head claims before
// reading it (1.4 GiB for a 76-byte file), so a WAV is handed over with its
// chunk lengths cut to the bytes the input holds, and one below 4000 Hz is
// refused, as converting it to the mixer's 44100 Hz would ask for up to 44100
// times its size (CapWaveChunks). What SDL then asks stays within about a
// hundred times the input.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "engine/media/ISoundLibrary.h"

struct Mix_Chunk;

namespace engine {

/// A WAVE (with or without its RIFF head) with the RIFF length and every
/// chunk length cut to the bytes that follow in the input (a truncated file
/// keeps what it holds); none when the bytes are no WAVE; an empty vector
/// (refused) for a WAVE whose sample rate is below 4000 Hz.
[[nodiscard]] std::optional<std::vector<uint8_t>> CapWaveChunks(std::span<const uint8_t> bytes);

class CSdlMixerSoundLibrary final : public ISoundLibrary {
public:
    CSdlMixerSoundLibrary() = default;
    ~CSdlMixerSoundLibrary() override;
    CSdlMixerSoundLibrary(const CSdlMixerSoundLibrary&) = delete;
    CSdlMixerSoundLibrary& operator=(const CSdlMixerSoundLibrary&) = delete;

    bool Init() override;
    void Start() override {}
    [[nodiscard]] float GetVolume() override { return m_volume; }
    void SetVolume(float volume) override;
    [[nodiscard]] uint32_t StreamCreate(std::span<const uint8_t> bytes) override;
    void ChannelPlay(uint32_t handle, bool restart) override;
    void ChannelPause(uint32_t handle) override;
    void ChannelStop(uint32_t handle) override;
    [[nodiscard]] bool ChannelIsActive(uint32_t handle) override;
    void StreamFree(uint32_t handle) override;
    void Stop() override;
    void Free() override;

private:
    struct Stream {
        Mix_Chunk* chunk { nullptr }; // null in silent mode
        int channel { -1 };
    };
    [[nodiscard]] bool OwnsChannel(const Stream& stream) const;

    bool m_audio_open { false };
    bool m_subsystem_started { false };
    float m_volume { 1.0f };
    uint32_t m_next_handle { 1 };
    std::map<uint32_t, Stream> m_streams;
};

} // namespace engine
