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
// users of SDL audio must not close it in between.

#include <cstdint>
#include <map>

#include "engine/media/ISoundLibrary.h"

struct Mix_Chunk;

namespace engine {

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
