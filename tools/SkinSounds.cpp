#include "tools/SkinSounds.h"

#include "platform/ByteWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

namespace tools {

namespace {

constexpr double RATE = SKIN_SOUND_RATE;
constexpr double EDGE_FADE_SECONDS = 0.004;

// Equal-tempered pitch of a MIDI note number (69 = A4 = 440 Hz).
double Pitch(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A mono track being mixed, in seconds and linear amplitude.
class Track {
public:
    explicit Track(double seconds) : m_samples(size_t(seconds * RATE) + 1, 0.0f) {}

    // A tone with a short attack and an exponential decay (time constant
    // `decay` seconds), its partials given as (multiple, weight) pairs; it
    // ends `length` seconds after `start` with a short release.
    void Tone(double start, double length, double frequency, double amplitude, double decay,
              std::initializer_list<std::pair<double, double>> partials, double attack = 0.005)
    {
        const size_t first = size_t(start * RATE);
        const size_t count = size_t(length * RATE);
        const double release = std::min(0.03, length / 4.0);
        for (size_t i = 0; i < count && first + i < m_samples.size(); ++i) {
            const double t = double(i) / RATE;
            double envelope = amplitude * std::exp(-t / decay);
            envelope *= std::min(1.0, t / attack);
            envelope *= std::min(1.0, (length - t) / release);
            double value = 0.0;
            for (const auto& [multiple, weight] : partials) {
                // Upper partials fade faster, as on a struck string or bell.
                value += weight * std::exp(-t * (multiple - 1.0) * 1.5) * std::sin(2.0 * M_PI * frequency * multiple * t);
            }
            m_samples[first + i] += float(envelope * value);
        }
    }

    // A soft electric-piano note: fundamental, octave and a touch of the twelfth.
    void Piano(double start, double length, int note, double amplitude)
    {
        Tone(start, length, Pitch(note), amplitude, 0.45, { { 1.0, 1.0 }, { 2.0, 0.35 }, { 3.0, 0.12 } });
    }

    // A bell: inharmonic partials ringing out.
    void Bell(double start, double length, int note, double amplitude)
    {
        Tone(start, length, Pitch(note), amplitude, length / 2.5,
             { { 1.0, 1.0 }, { 2.0, 0.45 }, { 2.76, 0.3 }, { 5.4, 0.12 } }, 0.002);
    }

    // Filtered noise with an exponential decay: `brightness` 0..1 is the
    // one-pole low-pass coefficient (1 passes everything).
    void Noise(double start, double length, double amplitude, double decay, double brightness, uint32_t seed)
    {
        const size_t first = size_t(start * RATE);
        const size_t count = size_t(length * RATE);
        double low = 0.0;
        uint32_t state = seed * 2654435761u + 1u;
        for (size_t i = 0; i < count && first + i < m_samples.size(); ++i) {
            const double t = double(i) / RATE;
            state = state * 1664525u + 1013904223u;
            const double white = double(state >> 8) / double(1u << 24) * 2.0 - 1.0;
            low += brightness * (white - low);
            const double envelope = amplitude * std::exp(-t / decay) * std::min(1.0, t / 0.001)
                * std::min(1.0, (length - t) / 0.01);
            m_samples[first + i] += float(envelope * low);
        }
    }

    // A falling sine thump (a drum or the body of a blast).
    void Thump(double start, double length, double from, double to, double amplitude, double decay)
    {
        const size_t first = size_t(start * RATE);
        const size_t count = size_t(length * RATE);
        double phase = 0.0;
        for (size_t i = 0; i < count && first + i < m_samples.size(); ++i) {
            const double t = double(i) / RATE;
            const double frequency = to + (from - to) * std::exp(-t / (length / 4.0));
            phase += 2.0 * M_PI * frequency / RATE;
            const double envelope = amplitude * std::exp(-t / decay) * std::min(1.0, t / 0.002)
                * std::min(1.0, (length - t) / 0.02);
            m_samples[first + i] += float(envelope * std::sin(phase));
        }
    }

    // The finished sound: soft-limited, scaled to `peak`, edges faded.
    [[nodiscard]] std::vector<float> Finish(double peak) const
    {
        std::vector<float> out(m_samples);
        float loudest = 0.0f;
        for (const float s : out)
            loudest = std::max(loudest, std::abs(s));
        if (loudest > 0.0f)
            for (float& s : out)
                s = float(std::tanh(1.2 * s / loudest) / std::tanh(1.2) * peak);
        const size_t fade = std::min(out.size() / 2, size_t(EDGE_FADE_SECONDS * RATE));
        for (size_t i = 0; i < fade; ++i) {
            const float gain = float(i) / float(fade);
            out[i] *= gain;
            out[out.size() - 1 - i] *= gain;
        }
        return out;
    }

private:
    std::vector<float> m_samples;
};

// C major's notes as MIDI numbers.
constexpr int C4 = 60, D4 = 62, E4 = 64, F4 = 65, G4 = 67, A4 = 69, B4 = 71;
constexpr int C5 = 72, D5 = 74, E5 = 76, G5 = 79, A5 = 81, B5 = 83, C6 = 84, E6 = 88;

// Effects sit at a peak of 0.7, the music lower, under them.
constexpr double EFFECT_PEAK = 0.7;
constexpr double SOFT_PEAK = 0.45;
constexpr double MUSIC_PEAK = 0.35;

std::vector<float> TouchButton()
{
    Track track(0.06);
    track.Tone(0.0, 0.06, 1760.0, 1.0, 0.015, { { 1.0, 1.0 }, { 2.0, 0.2 } }, 0.002);
    return track.Finish(0.25);
}

std::vector<float> HitButton()
{
    Track track(0.09);
    track.Noise(0.0, 0.02, 0.6, 0.004, 0.6, 1);
    track.Tone(0.0, 0.09, 1180.0, 1.0, 0.025, { { 1.0, 1.0 }, { 2.0, 0.3 } }, 0.001);
    return track.Finish(SOFT_PEAK);
}

// A card lifted or laid: a dry flick of paper.
std::vector<float> CardFlick(uint32_t seed, double body)
{
    Track track(0.07);
    track.Noise(0.0, 0.07, 1.0, 0.012, 0.45, seed);
    track.Thump(0.0, 0.05, body * 1.6, body, 0.5, 0.015);
    return track.Finish(SOFT_PEAK);
}

// Cards riffled into order: a run of quick flicks.
std::vector<float> Sort()
{
    Track track(0.32);
    for (int i = 0; i < 6; ++i)
        track.Noise(0.045 * i, 0.06, 1.0 - 0.08 * i, 0.012, 0.5, uint32_t(20 + i));
    return track.Finish(SOFT_PEAK);
}

// A card slapped onto the felt.
std::vector<float> Throw()
{
    Track track(0.2);
    track.Noise(0.0, 0.18, 1.0, 0.03, 0.35, 7);
    track.Thump(0.0, 0.15, 220.0, 110.0, 0.8, 0.04);
    return track.Finish(EFFECT_PEAK);
}

// A blast: a low thump under rumbling noise, `booms` of them in a row, each
// bigger bomb longer and heavier.
std::vector<float> Bomb(int booms, double weight)
{
    const double length = 0.55 + 0.2 * booms;
    Track track(length);
    for (int i = 0; i < booms; ++i) {
        const double at = 0.14 * i;
        track.Thump(at, length - at, 140.0, 42.0, weight, 0.16 + 0.04 * i);
        track.Noise(at, length - at, weight * 0.9, 0.12 + 0.05 * i, 0.12, uint32_t(40 + i));
        track.Noise(at, 0.05, weight * 0.5, 0.01, 0.9, uint32_t(50 + i));
    }
    return track.Finish(EFFECT_PEAK);
}

// Four jokers: a blast crowned by a bright rising fanfare.
std::vector<float> FourKings()
{
    Track track(1.4);
    track.Thump(0.0, 0.8, 150.0, 45.0, 1.0, 0.18);
    track.Noise(0.0, 0.8, 0.8, 0.14, 0.15, 60);
    const std::array<int, 4> notes { C5, E5, G5, C6 };
    for (size_t i = 0; i < notes.size(); ++i)
        track.Bell(0.12 + 0.11 * double(i), 1.2 - 0.11 * double(i), notes[i], 0.45);
    return track.Finish(EFFECT_PEAK);
}

// Points won: two coin-bright bell notes.
std::vector<float> WinScore()
{
    Track track(0.6);
    track.Bell(0.0, 0.35, B5, 0.8);
    track.Bell(0.09, 0.5, E6, 0.9);
    return track.Finish(SOFT_PEAK);
}

// The score board's change: a short, cheerful chord.
std::vector<float> Cai()
{
    Track track(0.5);
    for (const int note : { C5, E5, G5 })
        track.Piano(0.0, 0.5, note, 0.5);
    track.Piano(0.08, 0.42, C6, 0.35);
    return track.Finish(SOFT_PEAK);
}

// The round is over: a rising arpeggio settling on a warm chord.
std::vector<float> GameWin()
{
    Track track(1.8);
    const std::array<int, 5> notes { C5, E5, G5, C6, E6 };
    for (size_t i = 0; i < notes.size(); ++i)
        track.Bell(0.12 * double(i), 0.5, notes[i], 0.55);
    for (const int note : { C4, G4, C5, E5 })
        track.Piano(0.6, 1.2, note, 0.4);
    return track.Finish(EFFECT_PEAK);
}

// A few notes in a row, each `step` seconds after the last.
std::vector<float> Chime(std::initializer_list<int> notes, double step, double ring, double peak)
{
    Track track(step * double(notes.size()) + ring);
    double at = 0.0;
    for (const int note : notes) {
        track.Bell(at, ring, note, 0.7);
        at += step;
    }
    return track.Finish(peak);
}

// Pass: two soft notes falling away.
std::vector<float> Pass()
{
    Track track(0.42);
    track.Piano(0.0, 0.22, G4, 0.6);
    track.Piano(0.12, 0.3, D4, 0.6);
    return track.Finish(SOFT_PEAK);
}

// The background music: eight bars of a gentle I-vi-IV-V in C at 96 beats
// a minute, electric piano chords over a round bass with a pentatonic tune,
// ending where it began so that it loops without a seam.
std::vector<float> Music()
{
    constexpr double BEAT = 60.0 / 96.0;
    constexpr double BAR = BEAT * 4.0;
    Track track(BAR * 8.0);
    struct Chord {
        int bass;
        std::array<int, 3> notes;
    };
    const std::array<Chord, 4> chords { {
        { 36, { E4, G4, C5 } },  // C
        { 45, { E4, A4, C5 } },  // Am
        { 41, { F4, A4, C5 } },  // F
        { 43, { D4, G4, B4 } },  // G
    } };
    // The tune: (bar, beat, note, beats); pentatonic over the chords.
    struct Note {
        int bar;
        double beat;
        int note;
        double beats;
    };
    const std::array<Note, 25> tune { {
        { 0, 0.0, E5, 1.5 }, { 0, 1.5, G5, 0.5 }, { 0, 2.0, A5, 1.0 }, { 0, 3.0, G5, 1.0 },
        { 1, 0.0, E5, 2.0 }, { 1, 2.0, D5, 1.0 }, { 1, 3.0, C5, 1.0 },
        { 2, 0.0, D5, 1.5 }, { 2, 1.5, E5, 0.5 }, { 2, 2.0, G5, 2.0 },
        { 3, 0.0, D5, 3.0 }, { 3, 3.0, G4, 1.0 },
        { 4, 0.0, C5, 1.5 }, { 4, 1.5, D5, 0.5 }, { 4, 2.0, E5, 1.0 }, { 4, 3.0, G5, 1.0 },
        { 5, 0.0, A5, 2.0 }, { 5, 2.0, G5, 1.0 }, { 5, 3.0, E5, 1.0 },
        { 6, 0.0, D5, 1.0 }, { 6, 1.0, C5, 1.0 }, { 6, 2.0, A4, 2.0 },
        { 7, 0.0, D5, 2.0 }, { 7, 2.0, E5, 1.0 }, { 7, 3.0, D5, 0.75 },
    } };
    for (int bar = 0; bar < 8; ++bar) {
        const Chord& chord = chords[size_t(bar % 4)];
        const double start = bar * BAR;
        track.Tone(start, BEAT * 1.9, Pitch(chord.bass), 0.55, 0.8, { { 1.0, 1.0 }, { 2.0, 0.25 } }, 0.01);
        track.Tone(start + 2 * BEAT, BEAT * 1.9, Pitch(chord.bass + 7), 0.45, 0.8, { { 1.0, 1.0 }, { 2.0, 0.25 } },
                   0.01);
        for (int beat = 0; beat < 4; beat += 2)
            for (const int note : chord.notes)
                track.Piano(start + beat * BEAT + 0.01, BEAT * 1.95, note, 0.16);
    }
    for (const Note& note : tune)
        track.Piano(note.bar * BAR + note.beat * BEAT, note.beats * BEAT, note.note, 0.42);
    return track.Finish(MUSIC_PEAK);
}

} // namespace

std::vector<uint8_t> EncodeWav(const std::vector<float>& samples, int rate)
{
    constexpr uint32_t HEADER_BYTES = 44;
    const uint32_t data_bytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> out(HEADER_BYTES + data_bytes);
    platform::CByteWriter writer(out);
    const auto tag = [&](const char* four) {
        writer.WriteBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(four), 4));
    };
    tag("RIFF");
    writer.WriteU32(HEADER_BYTES - 8 + data_bytes);
    tag("WAVE");
    tag("fmt ");
    writer.WriteU32(16);           // format chunk size
    writer.WriteU16(1);            // PCM
    writer.WriteU16(1);            // mono
    writer.WriteU32(uint32_t(rate));
    writer.WriteU32(uint32_t(rate) * 2);
    writer.WriteU16(2);            // bytes a frame
    writer.WriteU16(16);           // bits a sample
    tag("data");
    writer.WriteU32(data_bytes);
    for (const float s : samples)
        writer.WriteU16(uint16_t(int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f))));
    return out;
}

std::vector<SkinSound> MakeDefaultSounds()
{
    const std::pair<const char*, std::vector<float>> sounds[] = {
        { "SndTouchButton", TouchButton() },
        { "SndHitButton", HitButton() },
        { "Snd_HitCard", CardFlick(3, 900.0) },
        { "Snd_DealCard", CardFlick(5, 700.0) },
        { "snd_sort", Sort() },
        { "Snd_Throw", Throw() },
        { "Snd_Pass", Pass() },
        { "Snd_Bomb4", Bomb(1, 0.8) },
        { "Snd_Bomb5", Bomb(2, 0.85) },
        { "Snd_Bomb6", Bomb(3, 0.9) },
        { "Snd_Bomb78", Bomb(4, 1.0) },
        { "Snd_4King", FourKings() },
        { "Snd_WinScore", WinScore() },
        { "Snd_Cai", Cai() },
        { "Snd_GameWin", GameWin() },
        { "Snd_GameStart", Chime({ C5, E5, G5 }, 0.1, 0.5, SOFT_PEAK) },
        { "Snd_Start", Chime({ G5, C6 }, 0.08, 0.45, SOFT_PEAK) },
        { "snd_ArrageTable", Chime({ E5, B5 }, 0.12, 0.4, SOFT_PEAK) },
        { "SndHi", Chime({ E6, C6 }, 0.16, 0.45, SOFT_PEAK) },
        { "SndAhoo", Chime({ G5, D5, G5 }, 0.11, 0.35, EFFECT_PEAK) },
        { "default", Music() },
    };
    std::vector<SkinSound> out;
    for (const auto& [name, samples] : sounds)
        out.push_back(SkinSound { name, EncodeWav(samples, SKIN_SOUND_RATE) });
    return out;
}

} // namespace tools
