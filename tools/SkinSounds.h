#pragma once
// The default skin's sounds, synthesised at build time by our own code:
// short effects (button hover and press, card select, play, pass, bombs,
// scoring, round end ...) and the looping background music "default", each
// a mono 16-bit PCM WAV file that the sound layer (SDL_mixer) plays from a
// package entry "<name>.sound" of type ".wav".
//
// Every sound is mixed in floating point, faded in and out over a few
// milliseconds (no clicks) and scaled to a fixed peak below full scale, so
// nothing clips.
//
// Owner: the skin tool and its test. Thread: any single thread.
// Hazards: none; the output is the same on every run.
#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct SkinSound {
    std::string name;          ///< the name the code plays ("Snd_Throw"), GBK
    std::vector<uint8_t> wav;  ///< a whole ".wav" file
};

inline constexpr int SKIN_SOUND_RATE = 22050;

// Every sound of the default skin.
[[nodiscard]] std::vector<SkinSound> MakeDefaultSounds();

// A mono 16-bit PCM WAV file of the samples (-1..1, clamped) at `rate` Hz.
[[nodiscard]] std::vector<uint8_t> EncodeWav(const std::vector<float>& samples, int rate);

} // namespace tools
