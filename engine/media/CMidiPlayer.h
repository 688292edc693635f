#pragma once
// CMidiPlayer: plays a Standard MIDI File held in memory through a MIDI
// stream. The file is parsed and converted (CMidiSequence) into two stream
// buffers of 1024 bytes kept in flight; each buffer the stream gives back is
// refilled and sent again until the file ends (or, looping, for ever).
//
// Owner: the music module owns at most one player. Threads: Load, Play, Stop,
// Pause, Resume and the destructor run on the UI thread; OnDone and
// OnPositionCB run on the stream's clock thread. They meet through the
// atomic stop state, free-buffer count and playing flag and the wake event;
// the stream never runs two callbacks at once, and gives buffers back only
// from Stop (on the caller) or its clock thread.
// Hazards: at the end of the file the clock thread only marks the player as
// ended; the reopen (closing and opening the stream, rewinding the file) is
// done by the next Play or Stop on the UI thread, so the clock thread never
// waits for itself.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/media/CMidiSequence.h"
#include "engine/media/CMidiStream.h"
#include "platform/Event.h"
#include "platform/Message.h"

namespace engine {

class CMidiPlayer : public IMidiStreamClient {
public:
    // Stop states.
    static constexpr uint32_t STOP_NONE = 0;
    static constexpr uint32_t STOP_ASKED = 100;
    static constexpr uint32_t STOP_DONE = 200;
    static constexpr uint32_t STOP_FILE_ENDED = 300;
    static constexpr uint32_t STOP_WAIT_MS = 2000;
    static constexpr size_t BUFFER_COUNT = 2;

    /// The stream plays to `sink`; `clock` (microseconds) drives it. With
    /// StreamClock::Own the stream runs its own clock thread; with
    /// StreamClock::External the caller calls GetStream().Advance() (tests).
    enum class StreamClock { Own, External };
    CMidiPlayer(IMidiSink& sink, CMidiStream::Clock clock = {}, StreamClock mode = StreamClock::Own);
    ~CMidiPlayer() override;
    CMidiPlayer(const CMidiPlayer&) = delete;
    CMidiPlayer& operator=(const CMidiPlayer&) = delete;

    /// Parses the file, keeps it and opens the stream with the first two
    /// buffers queued. False when a file is already loaded, the file is
    /// malformed or the stream cannot be opened.
    [[nodiscard]] bool Load(std::vector<uint8_t> file, platform::WindowHandle owner = platform::WindowHandle::None);
    /// Starts (or resumes when paused) playing. 1 on success, 0 on failure.
    int32_t Play(bool loop);
    /// Stops; with reopen the stream is opened again, ready to play from the start.
    int32_t Stop(bool reopen);
    void Pause();
    void Resume();

    [[nodiscard]] bool IsPlaying() const { return m_playing.load(); }
    [[nodiscard]] bool IsPaused() const { return m_paused.load(); }
    [[nodiscard]] uint32_t GetStopState() const { return m_stop_state.load(); }
    [[nodiscard]] uint32_t GetChannelVolume(uint32_t channel) const;
    [[nodiscard]] const CMidiSequence& GetSequence() const { return m_sequence; }
    [[nodiscard]] CMidiStream& GetStream() { return *m_stream; }

    void OnStreamMessage(MidiStreamMessage message, MidiHeader* header) override;

protected:
    virtual void OnError(int32_t result) { (void)result; }
    virtual void OnParseError(size_t track, const char* text)
    {
        (void)track;
        (void)text;
    }
    virtual void OnOpen() {}
    virtual void OnClose() {}
    virtual void OnDone(MidiHeader* header);
    virtual void OnPositionCB(MidiHeader* header, const uint8_t* event);

private:
    [[nodiscard]] bool OpenStream();
    void FreeBuffers();
    [[nodiscard]] bool SendBuffer(MidiStreamBuffer& buffer);

    CMidiSequence m_sequence;
    std::unique_ptr<CMidiStream> m_stream;
    std::atomic<bool> m_playing { false };
    std::atomic<bool> m_paused { false };
    std::atomic<bool> m_loop { false };
    std::atomic<uint32_t> m_stop_state { STOP_NONE };
    std::atomic<uint32_t> m_free_buffers { 0 };
    bool m_stream_open { false };
    uint32_t m_current_buffer { 0 };
    platform::CEvent m_wake { platform::EventReset::Automatic };
    platform::WindowHandle m_owner { platform::WindowHandle::None };
    std::array<std::atomic<uint32_t>, 16> m_channel_volumes {};
    std::array<MidiStreamBuffer, BUFFER_COUNT> m_buffers {};
};

} // namespace engine
