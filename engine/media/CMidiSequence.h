#pragma once
// CMidiSequence: a Standard MIDI File (formats 0 and 1) held in memory,
// parsed into tracks and converted, tracks merged in time order, into the
// 12-byte stream events of the player's stream buffers.
//
// Owner: the MIDI player (one sequence per player). Threads: the player's
// UI-thread calls and its stream callback both convert; the player makes sure
// they never run at the same time (see CMidiPlayer).
// Hazards: the file is untrusted. Every length and count is checked against
// the bytes that remain; a damaged file is refused by Parse, a damaged track
// met later stops conversion (MIDI_CONVERT_CORRUPT), never a read past the end.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/media/MidiTypes.h"

namespace engine {

class CMidiSequence {
public:
    /// Receives the parse faults ("Channel message truncated" ...) with the track.
    using ParseErrorSink = std::function<void(size_t track, const char* text)>;

    static constexpr uint32_t DEFAULT_TEMPO = 500000; ///< Microseconds per quarter note.
    // Converter status flags.
    static constexpr uint32_t STATUS_DONE = 1;
    static constexpr uint32_t STATUS_STUCK = 2;
    static constexpr uint32_t STATUS_WAITING = 4;

    CMidiSequence() = default;
    CMidiSequence(const CMidiSequence&) = delete;
    CMidiSequence& operator=(const CMidiSequence&) = delete;

    /// Parses the file and keeps it. False when it is malformed (nothing kept).
    [[nodiscard]] bool Parse(std::vector<uint8_t> file);
    void SetParseErrorSink(ParseErrorSink sink) { m_parse_error = std::move(sink); }

    /// Fills one stream buffer; see the MIDI_CONVERT_* results.
    [[nodiscard]] int32_t ConvertToBuffer(bool reset, MidiStreamBuffer& buffer);
    /// Tracks to their starts, times and running status cleared, status cleared.
    void Rewind();

    void SetLooping(bool looping) { m_looping = looping; }
    void SetPutTempoFirst(bool put) { m_put_tempo_first = put; }

    [[nodiscard]] bool IsLoaded() const { return !m_file.empty(); }
    [[nodiscard]] uint32_t GetFormat() const { return m_format; }
    [[nodiscard]] uint32_t GetTrackCount() const { return m_track_count; }
    [[nodiscard]] uint32_t GetTimeDivision() const { return m_time_division; }
    [[nodiscard]] uint32_t GetTempo() const { return m_tempo; }
    [[nodiscard]] uint32_t GetTicksPerBuffer() const { return m_ticks_per_buffer; }
    [[nodiscard]] uint32_t GetCurrentTick() const { return m_current_tick; }
    [[nodiscard]] uint32_t GetStatus() const { return m_status; }
    [[nodiscard]] uint32_t GetStreamPosition() const { return m_stream_position; }
    void AddStreamPosition(uint32_t bytes) { m_stream_position += bytes; }

    /// Reads one event of a track (exposed for tests and the fuzz target).
    [[nodiscard]] bool GetTrackEvent(size_t track, MidiEvent& event);

private:
    [[nodiscard]] bool ReadVarLen(MidiTrack& track, uint32_t& value);
    [[nodiscard]] bool ReadByte(MidiTrack& track, uint8_t& value);
    [[nodiscard]] bool StartTrack(MidiTrack& track);
    /// The length-prefixed bytes of a system-exclusive or meta event, checked
    /// against what is left of the track; each fault is reported with its text.
    [[nodiscard]] bool ReadEventData(size_t index, MidiEvent& event, const char* length_fault,
                                     const char* data_fault);
    [[nodiscard]] int32_t AddEvent(MidiEvent& event, MidiStreamBuffer& buffer);
    void PutStreamEvent(MidiStreamBuffer& buffer, uint32_t delta, uint32_t word);
    void Fault(size_t track, const char* text);
    void ClearConverter();

    std::vector<uint8_t> m_file;
    uint32_t m_format { 0 };
    uint32_t m_track_count { 0 };
    uint32_t m_time_division { 0 };
    std::vector<MidiTrack> m_tracks;

    bool m_looping { false };
    bool m_put_tempo_first { false };
    uint32_t m_current_tick { 0 };
    uint32_t m_ticks_per_buffer { 0 };
    uint32_t m_tempo { 0 };
    uint32_t m_tempo_percent { 100 };
    uint32_t m_stream_position { 0 };

    uint32_t m_status { 0 };
    MidiEvent m_event;
    ParseErrorSink m_parse_error;
};

} // namespace engine
