#include "engine/media/CSdlMixerSoundLibrary.h"

#include <algorithm>

#include <SDL.h>
#include <SDL_mixer.h>

namespace engine {

namespace {

constexpr int FREQUENCY = 44100;
constexpr int CHANNELS = 2;
constexpr int CHUNK_SAMPLES = 2048;
constexpr int MIXER_CHANNELS = 32;

} // namespace

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
