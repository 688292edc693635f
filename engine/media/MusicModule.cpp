#include "engine/media/MusicModule.h"

#include "engine/core/EnginePath.h"
#include "engine/media/CFluidSynthSink.h"
#include "engine/media/CSdlMixerSoundLibrary.h"
#include "engine/media/ResourceModule.h"

namespace engine {

namespace {

// Takes MIDI messages and plays nothing: used when no synthesiser or sound
// font is available, so MIDI songs still run their time and end.
class CSilentMidiSink final : public IMidiSink {
public:
    void ShortMessage(uint32_t, uint64_t) override {}
    void SilenceAll() override {}
    void SetVolume(float) override {}
};

bool IsMidiType(uint32_t type)
{
    return type == StringHash(".mid") || type == StringHash(".midi");
}

} // namespace

std::unique_ptr<MusicModule> MusicModule::Create()
{
    auto module = std::make_unique<MusicModule>(std::make_unique<CSdlMixerSoundLibrary>(), MidiPlayerFactory {});
    MusicModule* self = module.get();
    module->m_make_player = [self]() -> std::unique_ptr<CMidiPlayer> {
        if (!self->m_midi_sink) {
            std::unique_ptr<IMidiSink> sink = CFluidSynthSink::Create();
            self->m_midi_sink = sink ? std::move(sink) : std::make_unique<CSilentMidiSink>();
            self->m_midi_sink->SetVolume(self->m_volume);
        }
        return std::make_unique<CMidiPlayer>(*self->m_midi_sink);
    };
    return module;
}

MusicModule::MusicModule(std::unique_ptr<ISoundLibrary> library, MidiPlayerFactory make_player)
    : m_library(std::move(library)), m_make_player(std::move(make_player))
{
}

MusicModule::~MusicModule()
{
    m_midi_player.reset();
}

int MusicModule::Load()
{
    m_resources = dynamic_cast<ResourceModule*>(GetModule(VELOTRIX_MODULE_RESOURCE));
    if (m_resources == nullptr || !m_library)
        return 0;
    (void)m_library->Init(); // Without a device the library plays silently.
    m_library->Start();
    m_volume = m_library->GetVolume();
    m_loaded = true;
    SetInterval(UPDATE_INTERVAL);
    return 1;
}

void MusicModule::Unload()
{
    m_playing.clear();
    m_midi_player.reset();
    if (m_library) {
        m_library->Stop();
        m_library->Free();
    }
    m_streams.clear();
    m_loaded = false;
}

int32_t MusicModule::OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2)
{
    (void)message_id;
    (void)param1;
    (void)param2;
    return 1;
}

void MusicModule::Update()
{
    for (auto entry = m_playing.begin(); entry != m_playing.end();) {
        if (IsPlaying(entry->channel)) {
            ++entry;
            continue;
        }
        entry->repeats -= 1; // Unsigned: 0 plays on for 2^32 - 1 more times.
        if (entry->repeats == 0) {
            const EngineEvent event = entry->finish_event;
            entry = m_playing.erase(entry);
            NotifyFinished(event);
        } else {
            Resume(entry->channel, true);
            ++entry;
        }
    }
}

NameKey MusicModule::SoundKeyOf(std::string_view name)
{
    return MakeNameKey(GetFileTitleOf(name) + ".sound");
}

uint32_t MusicModule::PlayByName(std::string_view name, uint32_t repeats, const EngineEvent& event)
{
    if (!m_loaded || m_muted != 0)
        return 0;
    return PlayByKey(SoundKeyOf(name), repeats, event);
}

void MusicModule::PlayActionSound(const char* name, int32_t value, const EngineEvent& done)
{
    // The action's value word is the repeat count, passed on bit for bit.
    PlayByName(name != nullptr ? std::string_view(name) : std::string_view(), static_cast<uint32_t>(value), done);
}

uint32_t MusicModule::PlayByKey(const NameKey& key, uint32_t repeats, const EngineEvent& event)
{
    if (!m_loaded)
        return 0;
    if (const auto found = m_streams.find(key); found != m_streams.end())
        return Play(found->second.handle, repeats, event);
    uint32_t channel = MIDI_CHANNEL;
    if (OpenSound(key, channel) == 0)
        return 0;
    if (channel == MIDI_CHANNEL) {
        PlayMidi(repeats, event);
        return 0;
    }
    return Play(channel, repeats, event);
}

int32_t MusicModule::OpenSound(const NameKey& key, uint32_t& channel)
{
    if (m_resources == nullptr || !m_resources->Exists(key))
        return 0;
    ResourceRecord* record = m_resources->ReadData(key);
    if (record == nullptr || !record->data)
        return 0;
    // The bytes are copied and the record lets go of what it can read again,
    // so a sound held only in memory is never lost.
    const std::span<const uint8_t> bytes = record->Bytes();
    std::vector<uint8_t> copy(bytes.begin(), bytes.end());
    const bool is_midi = IsMidiType(record->type);
    m_resources->ReleaseData(key);

    if (is_midi) {
        ReplaceMidiPlayer(nullptr);
        std::unique_ptr<CMidiPlayer> player = m_make_player ? m_make_player() : nullptr;
        // A damaged MIDI file is refused here rather than kept as a player
        // that never plays.
        if (!player || !player->Load(std::move(copy)))
            return 0;
        ReplaceMidiPlayer(std::move(player));
        return 1;
    }
    // A stream already made for the key is the one to play; a second one
    // would only be lost.
    if (const auto found = m_streams.find(key); found != m_streams.end()) {
        channel = found->second.handle;
        return 1;
    }
    StreamRecord stream;
    stream.data = std::move(copy);
    stream.handle = m_library->StreamCreate(stream.data);
    if (stream.handle == 0)
        return 0; // Never handle 0: that would replay the MIDI song instead.
    channel = stream.handle;
    m_streams.emplace(key, std::move(stream));
    return 1;
}

uint32_t MusicModule::Play(uint32_t channel, uint32_t repeats, const EngineEvent& event)
{
    m_library->ChannelPlay(channel, false);
    m_playing.push_back({ channel, repeats, event });
    return channel;
}

int32_t MusicModule::PlayMidi(uint32_t repeats, const EngineEvent& event)
{
    if (!m_midi_player)
        return 0;
    m_midi_player->Play(false);
    m_playing.push_back({ MIDI_CHANNEL, repeats, event });
    return 1;
}

void MusicModule::ReplaceMidiPlayer(std::unique_ptr<CMidiPlayer> player)
{
    if (m_midi_player)
        FinishEntries(MIDI_CHANNEL);
    m_midi_player = std::move(player);
}

void MusicModule::FinishEntries(uint32_t channel)
{
    for (auto entry = m_playing.begin(); entry != m_playing.end();) {
        if (entry->channel != channel) {
            ++entry;
            continue;
        }
        const EngineEvent event = entry->finish_event;
        entry = m_playing.erase(entry);
        NotifyFinished(event);
    }
}

void MusicModule::Stop(uint32_t channel)
{
    if (channel == MIDI_CHANNEL) {
        if (m_midi_player)
            m_midi_player->Stop(true);
        // Its entries go too, or the next update would start the song again.
        FinishEntries(MIDI_CHANNEL);
        return;
    }
    // Every entry of the stream goes, not only the first: a second one would
    // start the stopped sound again in the next update.
    FinishEntries(channel);
    m_library->ChannelStop(channel);
}

void MusicModule::StopAll()
{
    std::list<PlayEntry> entries;
    entries.swap(m_playing);
    for (const PlayEntry& entry : entries) {
        if (entry.channel == MIDI_CHANNEL) {
            if (m_midi_player)
                m_midi_player->Stop(true);
        } else {
            m_library->ChannelStop(entry.channel);
        }
        NotifyFinished(entry.finish_event);
    }
}

void MusicModule::Pause(uint32_t channel)
{
    if (channel == MIDI_CHANNEL) {
        if (m_midi_player)
            m_midi_player->Pause();
        return;
    }
    m_library->ChannelPause(channel);
}

void MusicModule::Resume(uint32_t channel, bool restart)
{
    if (channel == MIDI_CHANNEL) {
        if (m_midi_player)
            m_midi_player->Play(false);
        return;
    }
    m_library->ChannelPlay(channel, restart);
}

bool MusicModule::IsPlaying(uint32_t channel)
{
    if (channel == MIDI_CHANNEL)
        return m_midi_player && m_midi_player->IsPlaying();
    return m_library->ChannelIsActive(channel);
}

void MusicModule::FreeSound(std::string_view name)
{
    if (!m_loaded || m_muted != 0)
        return;
    const NameKey key = SoundKeyOf(name);
    const auto found = m_streams.find(key);
    if (found == m_streams.end()) {
        ReplaceMidiPlayer(nullptr);
        return;
    }
    const uint32_t handle = found->second.handle;
    FinishEntries(handle);
    m_library->StreamFree(handle);
    m_streams.erase(found);
}

void MusicModule::SetVolume(float volume)
{
    m_volume = volume;
    m_library->SetVolume(volume);
    if (m_midi_sink)
        m_midi_sink->SetVolume(volume);
}

float MusicModule::GetVolume()
{
    return m_library->GetVolume();
}

void MusicModule::NotifyFinished(const EngineEvent& event)
{
    if (event.id == 0)
        return;
    // The message owns the record (param1) and frees it however it ends:
    // delivered, dropped, or never posted for want of a manager.
    PostMessage(ModuleMessage::Owning(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_SOUND_FINISHED, event));
}

} // namespace engine
