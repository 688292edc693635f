#pragma once
// MusicModule (module 1004, "MusicModule"): plays the sound resources of the
// resource module by name or key: MIDI files through the MIDI player, every
// other sound through the sound library (SDL2_mixer on a desktop). It keeps
// the streams it opened, a list of what is playing with a repeat count and an
// event to raise at the end, and posts finished sounds to the object module
// (VELOTRIX_MSG_SOUND_FINISHED; the message owns the EngineEvent copy).
//
// Channels: a stream handle of the sound library, or 0 for the MIDI player.
//
// Owner: GameCore (loaded by the host window, enabled, unprotected, every
// 100 ms). Thread: UI thread; the MIDI player's clock thread never calls in.
// Hazards: stopping or freeing a sound, or replacing the MIDI player, removes
// its play entries (raising their finish events), so nothing stopped starts
// again and no deleted player is asked about. The module answers messages
// with 1 and never dispatches its queue, as designed.

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/core/ActionItem.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/EngineModule.h"
#include "engine/core/ModuleServices.h"
#include "engine/core/NameKey.h"
#include "engine/media/CMidiPlayer.h"
#include "engine/media/IMidiSink.h"
#include "engine/media/ISoundLibrary.h"

namespace engine {

class ResourceModule;

class MusicModule : public EngineModule, public IActionSoundPlayer, public IMusicModule {
public:
    static constexpr uint32_t QUEUE_LIMIT = 8096;
    static constexpr uint32_t UPDATE_INTERVAL = 100;
    static constexpr uint32_t MIDI_CHANNEL = 0;

    /// Makes a MIDI player for a newly opened MIDI sound.
    using MidiPlayerFactory = std::function<std::unique_ptr<CMidiPlayer>()>;

    /// The desktop module: SDL2_mixer for sounds, FluidSynth for MIDI.
    [[nodiscard]] static std::unique_ptr<MusicModule> Create();
    MusicModule(std::unique_ptr<ISoundLibrary> library, MidiPlayerFactory make_player);
    ~MusicModule() override;

    [[nodiscard]] int Load() override;
    void Unload() override;
    void Update() override;
    /// Every frame while a sound plays (its end is polled), else nothing.
    [[nodiscard]] uint32_t GetWorkDueIn(uint32_t /*now*/) const override { return m_playing.empty() ? NO_WORK_DUE : 0; }
    [[nodiscard]] int32_t GetId() const override { return VELOTRIX_MODULE_MUSIC; }
    [[nodiscard]] const char* GetName() const override { return "MusicModule"; }
    int32_t OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) override;
    [[nodiscard]] uint32_t GetQueueLimit() const override { return QUEUE_LIMIT; }

    void SetFlag(int32_t muted) override { m_muted = muted; }
    /// The channel played, 0 when nothing was (a MIDI sound answers 0 too).
    virtual uint32_t PlayByKey(const NameKey& key, uint32_t repeats, const EngineEvent& event);
    uint32_t PlayByName(std::string_view name, uint32_t repeats, const EngineEvent& event) override;
    /// The play-sound action's way in: PlayByName with the action's value as the repeat count.
    void PlayActionSound(const char* name, int32_t value, const EngineEvent& done) override;
    virtual void SetVolume(float volume);
    [[nodiscard]] virtual float GetVolume();
    void FreeSound(std::string_view name) override;
    void Pause(uint32_t channel) override;
    void Stop(uint32_t channel) override;
    void Resume(uint32_t channel, bool restart) override;
    void StopAll() override;
    [[nodiscard]] bool IsPlaying(uint32_t channel) override;
    /// 1 with the channel (left as given for MIDI), 0 when the sound cannot be opened.
    virtual int32_t OpenSound(const NameKey& key, uint32_t& channel);
    virtual uint32_t Play(uint32_t channel, uint32_t repeats, const EngineEvent& event);
    virtual int32_t PlayMidi(uint32_t repeats, const EngineEvent& event);
    virtual void NotifyFinished(const EngineEvent& event);

    [[nodiscard]] size_t GetPlayingCount() const { return m_playing.size(); }
    [[nodiscard]] size_t GetStreamCount() const { return m_streams.size(); }
    [[nodiscard]] CMidiPlayer* GetMidiPlayer() const { return m_midi_player.get(); }

private:
    struct PlayEntry {
        uint32_t channel { 0 };
        uint32_t repeats { 0 };
        EngineEvent finish_event {};
    };
    struct StreamRecord {
        uint32_t handle { 0 };
        std::vector<uint8_t> data; // The sound's bytes, alive while the stream is.
    };

    [[nodiscard]] static NameKey SoundKeyOf(std::string_view name);
    /// Removes every entry of the channel, raising its finish event.
    void FinishEntries(uint32_t channel);
    void ReplaceMidiPlayer(std::unique_ptr<CMidiPlayer> player);

    int32_t m_muted { 0 };
    float m_volume { 1.0f };
    bool m_loaded { false };
    std::unique_ptr<ISoundLibrary> m_library;
    std::list<PlayEntry> m_playing;
    ResourceModule* m_resources { nullptr };
    std::map<NameKey, StreamRecord, NameKeyOrder> m_streams;
    MidiPlayerFactory m_make_player;
    std::unique_ptr<IMidiSink> m_midi_sink;       // Before the player: outlives it.
    std::unique_ptr<CMidiPlayer> m_midi_player;
};

} // namespace engine
