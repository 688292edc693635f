#pragma once
// ISoundLibrary: the sound library the music module plays every sound but
// MIDI through. Streams are made from sound bytes in memory (WAV, OGG, MP3,
// FLAC ...) and played on channels named by their stream handle. The desktop
// implementation is SDL2_mixer (CSdlMixerSoundLibrary); tests use a fake.
//
// Owner: the music module. Threads: UI thread only.
// Hazards: handle 0 is never a stream (the music module uses 0 for the MIDI
// player); StreamCreate answers 0 only for bytes it cannot play.

#include <cstdint>
#include <span>

namespace engine {

class ISoundLibrary {
public:
    virtual ~ISoundLibrary() = default;
    /// Opens the sound device (44100 Hz). False when there is none; the
    /// library then works silently (streams exist, nothing is ever active).
    virtual bool Init() = 0;
    virtual void Start() = 0;
    [[nodiscard]] virtual float GetVolume() = 0;
    virtual void SetVolume(float volume) = 0;
    /// A stream of the bytes (which stay valid while it lives), or 0.
    [[nodiscard]] virtual uint32_t StreamCreate(std::span<const uint8_t> bytes) = 0;
    /// Plays; resumes a paused stream unless restart, which plays from the start.
    virtual void ChannelPlay(uint32_t handle, bool restart) = 0;
    virtual void ChannelPause(uint32_t handle) = 0;
    virtual void ChannelStop(uint32_t handle) = 0;
    /// Playing or paused.
    [[nodiscard]] virtual bool ChannelIsActive(uint32_t handle) = 0;
    virtual void StreamFree(uint32_t handle) = 0;
    /// Stops all output (before Free).
    virtual void Stop() = 0;
    /// Frees every stream and closes the device.
    virtual void Free() = 0;
};

} // namespace engine
