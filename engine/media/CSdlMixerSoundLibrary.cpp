#include "engine/media/CSdlMixerSoundLibrary.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <SDL.h>
#include <SDL_mixer.h>

#include "platform/ByteOrder.h"

namespace engine {

namespace {

constexpr int FREQUENCY = 44100;
constexpr int CHANNELS = 2;
// The mixer's buffer: SDL's audio thread wakes once a buffer even in silence,
// so 4096 samples (about 93 ms at 44.1 kHz) keep an idle table near ten
// wake-ups a second, a delay a card's sound does not show.
constexpr int CHUNK_SAMPLES = 4096;
constexpr int MIXER_CHANNELS = 32;
constexpr uint32_t WAVE_MIN_RATE = 4000;

} // namespace

std::optional<std::vector<uint8_t>> CapWaveChunks(std::span<const uint8_t> bytes)
{
    // SDL also takes a WAVE without its RIFF head: the chunks then follow
    // the "WAVE" at once.
    const bool riff = bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0
        && std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
    const bool bare = bytes.size() >= 4 && std::memcmp(bytes.data(), "WAVE", 4) == 0;
    if (!riff && !bare)
        return std::nullopt;
    std::vector<uint8_t> capped(bytes.begin(), bytes.end());
    auto cap = [&](size_t length_at, size_t available) {
        const uint32_t length = platform::LoadU32LE(capped.data() + length_at);
        if (length > available)
            platform::StoreU32LE(capped.data() + length_at, static_cast<uint32_t>(available));
        return std::min<size_t>(length, available);
    };
    if (riff)
        (void)cap(4, capped.size() - 8);
    for (size_t at = riff ? 12 : 4; capped.size() - at >= 8;) {
        const size_t length = cap(at + 4, capped.size() - at - 8);
        // Converting to the mixer's rate multiplies the data by the ratio of
        // the rates: a rate of 1 Hz would ask for 44100 times the input.
        if (std::memcmp(capped.data() + at, "fmt ", 4) == 0 && length >= 8
            && platform::LoadU32LE(capped.data() + at + 12) < WAVE_MIN_RATE)
            return std::vector<uint8_t> {};
        at += 8 + length + (length & 1); // chunks are padded to even lengths
        if (at > capped.size())
            break;
    }
    return capped;
}

CSdlMixerSoundLibrary::~CSdlMixerSoundLibrary()
{
    Free();
}

bool CSdlMixerSoundLibrary::Init()
{
    if (m_audio_open)
        return true;
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        m_subsystem_started = true;
    }
    if (Mix_OpenAudio(FREQUENCY, MIX_DEFAULT_FORMAT, CHANNELS, CHUNK_SAMPLES) != 0)
        return false;
    Mix_AllocateChannels(MIXER_CHANNELS);
    m_audio_open = true;
    SetVolume(m_volume);
    return true;
}

void CSdlMixerSoundLibrary::SetVolume(float volume)
{
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    if (m_audio_open)
        Mix_MasterVolume(static_cast<int>(m_volume * MIX_MAX_VOLUME + 0.5f));
}

uint32_t CSdlMixerSoundLibrary::StreamCreate(std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX))
        return 0;
    Stream stream;
    if (m_audio_open) {
        const std::optional<std::vector<uint8_t>> wave = CapWaveChunks(bytes);
        if (wave && wave->empty())
            return 0;
        if (wave)
            bytes = *wave;
        SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        if (source == nullptr)
            return 0;
        // The reader is closed here on every path: the library's loaders
        // do not all free it themselves when they refuse the bytes.
        stream.chunk = Mix_LoadWAV_RW(source, 0);
        SDL_RWclose(source);
        if (stream.chunk == nullptr)
            return 0;
    }
    const uint32_t handle = m_next_handle++;
    if (m_next_handle == 0)
        m_next_handle = 1;
    m_streams[handle] = stream;
    return handle;
}

bool CSdlMixerSoundLibrary::OwnsChannel(const Stream& stream) const
{
    return m_audio_open && stream.chunk != nullptr && stream.channel >= 0 &&
           Mix_GetChunk(stream.channel) == stream.chunk && Mix_Playing(stream.channel) != 0;
}

void CSdlMixerSoundLibrary::ChannelPlay(uint32_t handle, bool restart)
{
    const auto found = m_streams.find(handle);
    if (found == m_streams.end() || found->second.chunk == nullptr)
        return;
    Stream& stream = found->second;
    if (OwnsChannel(stream)) {
        if (restart) {
            Mix_HaltChannel(stream.channel);
        } else {
            Mix_Resume(stream.channel);
            return;
        }
    }
    stream.channel = Mix_PlayChannel(-1, stream.chunk, 0);
}

void CSdlMixerSoundLibrary::ChannelPause(uint32_t handle)
{
    const auto found = m_streams.find(handle);
    if (found != m_streams.end() && OwnsChannel(found->second))
        Mix_Pause(found->second.channel);
}

void CSdlMixerSoundLibrary::ChannelStop(uint32_t handle)
{
    const auto found = m_streams.find(handle);
    if (found == m_streams.end())
        return;
    if (OwnsChannel(found->second))
        Mix_HaltChannel(found->second.channel);
    found->second.channel = -1;
}

bool CSdlMixerSoundLibrary::ChannelIsActive(uint32_t handle)
{
    const auto found = m_streams.find(handle);
    return found != m_streams.end() && OwnsChannel(found->second);
}

void CSdlMixerSoundLibrary::StreamFree(uint32_t handle)
{
    const auto found = m_streams.find(handle);
    if (found == m_streams.end())
        return;
    if (OwnsChannel(found->second))
        Mix_HaltChannel(found->second.channel);
    if (found->second.chunk != nullptr)
        Mix_FreeChunk(found->second.chunk);
    m_streams.erase(found);
}

void CSdlMixerSoundLibrary::Stop()
{
    if (m_audio_open)
        Mix_HaltChannel(-1);
}

void CSdlMixerSoundLibrary::Free()
{
    Stop();
    for (auto& [handle, stream] : m_streams) {
        if (stream.chunk != nullptr)
            Mix_FreeChunk(stream.chunk);
    }
    m_streams.clear();
    if (m_audio_open) {
        Mix_CloseAudio();
        m_audio_open = false;
    }
    if (m_subsystem_started) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_subsystem_started = false;
    }
}

} // namespace engine
