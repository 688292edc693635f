// The program's wave sounds (resource ids 29010 to 29015), played by id.
// The client does not play sound itself: the sound layer installs a player
// at start-up and PlaySoundResource hands each request to it. Without a player
// (tests, or a build without sound) requests are silent and report failure.
// Owner: the installed player belongs to whoever installs it and must outlive
// its installation (install null before destroying it). Any thread may call
// PlaySoundResource; the player decides on which thread it plays.
#pragma once

#include <cstdint>

namespace client {

inline constexpr int WAVE_RESOURCE_FIRST = 29010;
inline constexpr int WAVE_RESOURCE_LAST = 29015;

/// Flags of a wave request.
inline constexpr uint32_t SOUND_FLAG_ASYNC = 0x0001;      ///< return at once, play in the background
inline constexpr uint32_t SOUND_FLAG_NO_DEFAULT = 0x0002; ///< no fallback sound when this one is missing
inline constexpr uint32_t SOUND_FLAG_MEMORY = 0x0004;     ///< the sound comes from the program's resources
inline constexpr uint32_t SOUND_FLAG_LOOP = 0x0008;       ///< repeat until the next request
inline constexpr uint32_t SOUND_FLAG_NO_STOP = 0x0010;    ///< do not interrupt a sound already playing

class IWaveSoundPlayer {
public:
    virtual ~IWaveSoundPlayer() = default;
    /// Plays the program's wave resource `resource_id`; false when it cannot.
    virtual bool PlayWave(int resource_id, uint32_t flags) = 0;
};

/// Installs the sound layer's player (null: silent).
void SetWaveSoundPlayer(IWaveSoundPlayer* player);

/// Plays wave resource `resource_id` with the caller's flags plus
/// SOUND_FLAG_MEMORY and SOUND_FLAG_NO_DEFAULT. False for an id that is not one
/// of the program's wave resources, or when no player is installed or it fails.
bool PlaySoundResource(int resource_id, uint32_t flags);

} // namespace client
