#pragma once
// CMidiStream: our MIDI stream output. It takes stream buffers of 12-byte
// stream events (see MidiTypes.h), plays them with their timing (ticks, the
// time division and tempo events) to an IMidiSink, and gives each buffer
// back (MidiStreamMessage::Done) once its last event has played; events
// flagged for it raise a position callback.
//
// Owner: the MIDI player owns its stream. Threads: the player calls Open,
// Out, Restart, Pause, Stop, Reset and Close from the UI thread; Advance plays
// what is due and is called by the stream's own clock thread (StartClock) or,
// in tests, by the test with an injected clock. Client callbacks run on the
// thread that calls Advance, or on the caller of Stop for the buffers Stop
// gives back; they never run two at a time. A callback may call Out.
// Hazards: a callback must not call Stop or Close (it would wait for itself).

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/media/IMidiSink.h"
#include "engine/media/MidiTypes.h"

namespace engine {

enum class MidiStreamMessage { Open, Close, Done, PositionCallback };

class IMidiStreamClient {
public:
    virtual ~IMidiStreamClient() = default;
    virtual void OnStreamMessage(MidiStreamMessage message, MidiHeader* header) = 0;
};

// Results of the stream calls.
inline constexpr int32_t MIDI_STREAM_OK = 0;
inline constexpr int32_t MIDI_STREAM_ALREADY_OPEN = 4;
inline constexpr int32_t MIDI_STREAM_NOT_OPEN = 5;
inline constexpr int32_t MIDI_STREAM_BAD_PARAMETER = 11;

// A time division with bit 15 set counts time-code frames: the high byte
// is minus the frames per second (24, 25, 29 for 29.97 drop-frame, 30), the
// low byte the ticks per frame. Any other value is ticks per quarter note.
[[nodiscard]] constexpr bool IsSmpteDivision(uint32_t division) { return (division & 0x8000u) != 0; }
// Ticks per second of a time-code division; 0 for an unknown frame rate or
// no ticks per frame.
[[nodiscard]] constexpr double SmpteTicksPerSecond(uint32_t division)
{
    const int frames = 256 - int((division >> 8) & 0xFF);
    const double rate = frames == 29 ? 29.97 : (frames == 24 || frames == 25 || frames == 30 ? frames : 0.0);
    return rate * double(division & 0xFF);
}

class CMidiStream {
public:
    /// Microseconds from any fixed start; the stream's only source of time.
    using Clock = std::function<uint64_t()>;

    CMidiStream(IMidiSink& sink, Clock clock);
    ~CMidiStream();
    CMidiStream(const CMidiStream&) = delete;
    CMidiStream& operator=(const CMidiStream&) = delete;

    /// The monotonic system clock in microseconds.
    [[nodiscard]] static uint64_t SystemMicroseconds();

    [[nodiscard]] int32_t Open(IMidiStreamClient* client);
    [[nodiscard]] int32_t SetTimeDivision(uint32_t division);
    [[nodiscard]] int32_t Out(MidiHeader* header);
    [[nodiscard]] int32_t Restart();
    [[nodiscard]] int32_t Pause();
    /// Stops playing and gives every queued buffer back (Done) before it returns.
    [[nodiscard]] int32_t Stop();
    [[nodiscard]] int32_t Reset();
    /// Gives queued buffers back, then Close to the client.
    [[nodiscard]] int32_t Close();
    [[nodiscard]] bool IsOpen() const;

    /// Steps one Advance takes at most, so a song whose events all fall at
    /// one instant (looping included) cannot hold the clock thread for good.
    static constexpr int MAX_STEPS_PER_ADVANCE = 4096;

    /// Plays the events that are due by the clock, at most max_steps of them
    /// (a smaller bound lets a caller with an external clock keep a run short).
    void Advance(int max_steps = MAX_STEPS_PER_ADVANCE);
    /// Starts the thread that calls Advance every couple of milliseconds.
    void StartClock();

private:
    struct Due {
        bool play { false };
        uint32_t message { 0 };
        uint64_t time_us { 0 };
        MidiHeader* position_header { nullptr };
        MidiHeader* done_header { nullptr };
    };
    [[nodiscard]] bool TakeNext(Due& due);
    [[nodiscard]] uint64_t StreamTimeLocked() const;
    [[nodiscard]] double MicrosecondsPerTickLocked() const;
    /// Gives every queued buffer back (Done) and silences the sink; the
    /// callback lock must be held. The client, or null when not open.
    IMidiStreamClient* GiveBackAll();

    IMidiSink& m_sink;
    Clock m_clock;

    std::mutex m_callback_mutex; // Held while callbacks run.
    mutable std::mutex m_mutex;            // Guards everything below.
    IMidiStreamClient* m_client { nullptr };
    std::deque<MidiHeader*> m_queue;
    uint32_t m_read_offset { 0 };
    uint32_t m_division { 96 };
    uint32_t m_tempo { 500000 };
    bool m_playing { false };
    uint64_t m_position_us { 0 };  // Stream time when last anchored.
    uint64_t m_anchor_now { 0 };   // Clock reading at that moment.
    double m_last_event_us { 0 };  // Stream time of the last event played.

    std::mutex m_wake_mutex;
    std::condition_variable_any m_wake;
    std::jthread m_worker; // Last: stops before the rest goes.
};

} // namespace engine
