#include "engine/media/CMidiSequence.h"

#include <cstring>

namespace engine {

namespace {

constexpr uint32_t HEADER_LENGTH = 6;
constexpr uint32_t MAX_VARLEN_BYTES = 4;
constexpr uint8_t META = 0xFF;
constexpr uint8_t META_END_OF_TRACK = 0x2F;
constexpr uint8_t META_TEMPO = 0x51;
constexpr uint8_t CONTROL_CHANGE = 0xB0;
constexpr uint8_t CONTROLLER_VOLUME = 7;

uint32_t BigEndian(std::span<const uint8_t> bytes)
{
    uint32_t value = 0;
    for (const uint8_t byte : bytes)
        value = value << 8 | byte;
    return value;
}

bool HasOneDataByte(uint8_t status)
{
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0;
}

} // namespace

bool CMidiSequence::Parse(std::vector<uint8_t> file)
{
    if (IsLoaded())
        return false;
    const std::span<const uint8_t> bytes(file);
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0 || BigEndian(bytes.subspan(4, 4)) != HEADER_LENGTH)
        return false;
    const uint32_t format = BigEndian(bytes.subspan(8, 2));
    const uint32_t track_count = BigEndian(bytes.subspan(10, 2));
    const uint32_t division = BigEndian(bytes.subspan(12, 2));
    if (division == 0)
        return false; // No time base: nothing could be timed.

    // Each track needs at least its 8-byte header: a count the file cannot
    // hold is refused before anything is allocated for it.
    if (track_count > (bytes.size() - 14) / 8)
        return false;
    std::vector<MidiTrack> tracks(track_count);
    size_t position = 14;
    for (MidiTrack& track : tracks) {
        if (bytes.size() - position < 8 || std::memcmp(bytes.data() + position, "MTrk", 4) != 0)
            return false;
        const uint32_t length = BigEndian(bytes.subspan(position + 4, 4));
        position += 8;
        if (length > bytes.size() - position)
            return false; // The track would run past the end of the file.
        track.length = length;
        track.start = static_cast<uint32_t>(position);
        position += length;
    }

    m_file = std::move(file);
    m_format = format;
    m_track_count = track_count;
    m_time_division = division;
    m_tracks = std::move(tracks);
    for (MidiTrack& track : m_tracks) {
        if (!StartTrack(track)) {
            m_file.clear();
            m_tracks.clear();
            return false;
        }
    }
    // Until the file sets a tempo, buffers span what the default tempo allows.
    m_ticks_per_buffer = static_cast<uint32_t>(uint64_t { m_time_division } * 60000 / DEFAULT_TEMPO);
    return true;
}

bool CMidiSequence::StartTrack(MidiTrack& track)
{
    track.position = 0;
    track.last_status = 0;
    track.next_time = 0;
    track.flags = 0;
    if (track.length == 0) {
        track.flags |= MidiTrack::ENDED;
        return true;
    }
    return ReadVarLen(track, track.next_time);
}

void CMidiSequence::Rewind()
{
    for (MidiTrack& track : m_tracks) {
        if (!StartTrack(track))
            track.flags |= MidiTrack::ENDED;
    }
    m_current_tick = 0;
    m_stream_position = 0;
    m_status = 0;
    m_event = {};
}

bool CMidiSequence::ReadByte(MidiTrack& track, uint8_t& value)
{
    if (track.position >= track.length)
        return false;
    value = m_file[track.start + track.position];
    ++track.position;
    return true;
}

bool CMidiSequence::ReadVarLen(MidiTrack& track, uint32_t& value)
{
    if (track.IsEnded())
        return false;
    value = 0;
    for (uint32_t count = 0; count < MAX_VARLEN_BYTES; ++count) {
        uint8_t byte = 0;
        if (!ReadByte(track, byte))
            return false;
        value = value << 7 | (byte & 0x7F);
        if ((byte & 0x80) == 0)
            return true;
    }
    return false; // Longer than any number a MIDI file may hold.
}

void CMidiSequence::Fault(size_t track, const char* text)
{
    if (m_parse_error)
        m_parse_error(track, text);
}

bool CMidiSequence::GetTrackEvent(size_t index, MidiEvent& event)
{
    if (index >= m_tracks.size())
        return false;
    MidiTrack& track = m_tracks[index];
    if (track.IsEnded())
        return false;
    uint8_t byte = 0;
    if (!ReadByte(track, byte))
        return false;
    event = {};
    if (byte < 0x80) {
        if (track.last_status == 0) {
            Fault(index, "Reference to missing running status.");
            return false;
        }
        event.status = track.last_status;
        event.data1 = byte;
        if (!HasOneDataByte(event.status) && !ReadByte(track, event.data2)) {
            Fault(index, "Running status message truncated");
            return false;
        }
    } else if (byte < 0xF0) {
        event.status = byte;
        track.last_status = byte;
        if (!ReadByte(track, event.data1) || (!HasOneDataByte(byte) && !ReadByte(track, event.data2))) {
            Fault(index, "Channel message truncated");
            return false;
        }
    } else if (byte == 0xF0 || byte == 0xF7) {
        event.status = byte;
        if (!ReadEventData(index, event, "SysEx event truncated (length)", "SysEx event truncated"))
            return false;
    } else if (byte == META) {
        event.status = byte;
        if (!ReadByte(track, event.data1)) {
            Fault(index, "Meta event truncated (no class byte)");
            return false;
        }
        if (!ReadEventData(index, event, "Meta event truncated (length)", "Meta event truncated"))
            return false;
        if (event.data1 == META_END_OF_TRACK)
            track.flags |= MidiTrack::ENDED;
    } else {
        return false;
    }

    event.time = track.next_time;
    if (!track.IsEnded()) {
        uint32_t delta = 0;
        if (!ReadVarLen(track, delta) || delta > UINT32_MAX - track.next_time) {
            // No delta after the last event, or a time past what a tick count
            // holds (it would wrap and run the song backwards): the track
            // ends here.
            track.flags |= MidiTrack::ENDED;
        } else {
            track.next_time += delta;
        }
    }
    return true;
}

bool CMidiSequence::ReadEventData(size_t index, MidiEvent& event, const char* length_fault, const char* data_fault)
{
    MidiTrack& track = m_tracks[index];
    uint32_t length = 0;
    if (!ReadVarLen(track, length)) {
        Fault(index, length_fault);
        return false;
    }
    if (length > track.length - track.position) {
        Fault(index, data_fault);
        return false;
    }
    const auto first = m_file.begin() + track.start + track.position;
    event.data.assign(first, first + length);
    track.position += length;
    return true;
}

void CMidiSequence::ClearConverter()
{
    m_status = 0;
    m_event = {};
}

int32_t CMidiSequence::ConvertToBuffer(bool reset, MidiStreamBuffer& buffer)
{
    if (reset)
        ClearConverter();
    if ((m_status & STATUS_DONE) != 0) {
        if (!m_looping)
            return MIDI_CONVERT_DONE;
        Rewind();
    }
    if ((m_status & STATUS_STUCK) != 0)
        return MIDI_CONVERT_STUCK;
    if ((m_status & STATUS_WAITING) != 0) {
        const bool end_of_track = m_event.status == META && m_event.data1 == META_END_OF_TRACK;
        if (!end_of_track && AddEvent(m_event, buffer) == MIDI_CONVERT_FULL)
            return MIDI_CONVERT_OK;
        m_status &= ~STATUS_WAITING;
    }
    for (;;) {
        size_t chosen = m_tracks.size();
        uint32_t smallest = 0xFFFFFFFF;
        for (size_t i = 0; i < m_tracks.size(); ++i) {
            if (!m_tracks[i].IsEnded() && m_tracks[i].next_time < smallest) {
                smallest = m_tracks[i].next_time;
                chosen = i;
            }
        }
        if (chosen == m_tracks.size()) {
            // A track whose next time is 0xFFFFFFFF is never chosen; it ends here.
            m_status |= STATUS_DONE;
            return MIDI_CONVERT_OK;
        }
        if (!GetTrackEvent(chosen, m_event)) {
            m_status |= STATUS_STUCK;
            return MIDI_CONVERT_CORRUPT;
        }
        if (m_event.status == META && m_event.data1 == META_END_OF_TRACK)
            continue;
        const int32_t result = AddEvent(m_event, buffer);
        if (result == MIDI_CONVERT_OK || result == MIDI_CONVERT_META_SKIPPED)
            continue;
        if (result == MIDI_CONVERT_FULL) {
            m_status |= STATUS_WAITING;
            return MIDI_CONVERT_OK;
        }
        return MIDI_CONVERT_FAILED;
    }
}

void CMidiSequence::PutStreamEvent(MidiStreamBuffer& buffer, uint32_t delta, uint32_t word)
{
    uint8_t* out = buffer.data.data() + buffer.start_offset + buffer.bytes_recorded;
    const uint32_t fields[3] = { delta, 0, word };
    for (int f = 0; f < 3; ++f)
        for (int b = 0; b < 4; ++b)
            out[f * 4 + b] = static_cast<uint8_t>(fields[f] >> (8 * b));
    buffer.bytes_recorded += MIDI_EVENT_BYTES;
}

int32_t CMidiSequence::AddEvent(MidiEvent& event, MidiStreamBuffer& buffer)
{
    if (buffer.bytes_recorded == 0)
        buffer.first_tick = m_current_tick;
    if (m_current_tick - buffer.first_tick > m_ticks_per_buffer) {
        if (!buffer.over) {
            buffer.over = true;
        } else {
            buffer.over = false;
            return MIDI_CONVERT_FULL;
        }
    }

    const bool is_sysex = event.status == 0xF0 || event.status == 0xF7;
    const bool is_meta = event.status == META;
    const bool is_tempo = is_meta && event.data1 == META_TEMPO && event.data.size() == 3 &&
                          BigEndian(event.data) != 0;
    if (is_sysex)
        return MIDI_CONVERT_OK; // Dropped: the stream carries no long messages.
    if (is_meta && !is_tempo)
        return MIDI_CONVERT_META_SKIPPED;

    // Room is checked before the time moves on, so an event that waits for
    // the next buffer keeps its delta.
    const bool tempo_first = m_put_tempo_first && m_tempo != 0;
    const uint32_t needed = MIDI_EVENT_BYTES * (tempo_first ? 2 : 1);
    const uint64_t used = uint64_t { buffer.start_offset } + buffer.bytes_recorded;
    if (buffer.data.size() < buffer.capacity || buffer.capacity < used + needed)
        return MIDI_CONVERT_FULL;

    const uint32_t delta = event.time - m_current_tick;
    m_current_tick = event.time;
    if (m_put_tempo_first) {
        m_put_tempo_first = false;
        if (tempo_first)
            PutStreamEvent(buffer, 0, (m_tempo * 100 / m_tempo_percent) | MEVT_TEMPO);
    }
    if (is_tempo) {
        m_tempo = BigEndian(event.data);
        m_ticks_per_buffer = static_cast<uint32_t>(uint64_t { m_time_division } * 60000 / m_tempo);
        PutStreamEvent(buffer, delta, ((m_tempo * 100 / m_tempo_percent) & MIDI_EVENT_PARAM_MASK) | MEVT_TEMPO);
        return MIDI_CONVERT_OK;
    }
    uint32_t word = event.status | uint32_t { event.data1 } << 8 | uint32_t { event.data2 } << 16;
    if ((event.status & 0xF0) == CONTROL_CHANGE && event.data1 == CONTROLLER_VOLUME)
        word |= MEVT_F_CALLBACK;
    PutStreamEvent(buffer, delta, word);
    return MIDI_CONVERT_OK;
}

} // namespace engine
