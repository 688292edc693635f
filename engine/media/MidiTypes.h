#pragma once
// Records shared by the MIDI file converter, the MIDI stream and the player:
// tracks and events of a Standard MIDI File, the stream buffer header and the
// stream event layout.
//
// Owner: the player owns all of these. Threads: see CMidiPlayer.
//
// Stream event layout (inside a stream buffer, 12 bytes each, little-endian):
//   u32 delta time in ticks, u32 stream id (always 0), u32 event word.
//   Event word: bits 0..23 the parameter, bits 24..29 the kind (0 a short
//   message status | data1 << 8 | data2 << 16, 1 a tempo in microseconds per
//   quarter note), bit 30 asks for a position callback when it is played.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ByteOrder.h"

namespace engine {

inline constexpr uint32_t MIDI_EVENT_BYTES = 12;
inline constexpr uint32_t MIDI_BUFFER_BYTES = 1024;
inline constexpr uint32_t MEVT_SHORTMSG = 0x00000000;
inline constexpr uint32_t MEVT_TEMPO = 0x01000000;
inline constexpr uint32_t MEVT_F_CALLBACK = 0x40000000;
inline constexpr uint32_t MIDI_EVENT_KIND_MASK = 0x3F000000;
inline constexpr uint32_t MIDI_EVENT_PARAM_MASK = 0x00FFFFFF;

/// Message posted to the player's owner window when a channel volume plays:
/// wParam = the player, lParam = channel | volume percent << 16.
inline constexpr uint32_t UM_MIDI_VOLUME = 1047;

// Results of the converter.
inline constexpr int32_t MIDI_CONVERT_OK = 0;            ///< Buffer full or all tracks ended for now.
inline constexpr int32_t MIDI_CONVERT_FAILED = 1;        ///< An event could not be stored.
inline constexpr int32_t MIDI_CONVERT_CORRUPT = -101;    ///< A track event could not be read.
inline constexpr int32_t MIDI_CONVERT_STUCK = -102;      ///< A corrupt track was met before.
inline constexpr int32_t MIDI_CONVERT_DONE = -103;       ///< All tracks ended and not looping.
inline constexpr int32_t MIDI_CONVERT_FULL = -104;       ///< The buffer has no room or span left.
inline constexpr int32_t MIDI_CONVERT_META_SKIPPED = -105;

/// One little-endian word of a stream event (delta, stream id or event word).
[[nodiscard]] inline uint32_t ReadStreamWord(const uint8_t* bytes)
{
    return platform::LoadU32LE(bytes);
}

/// One track of the file. Positions are offsets into the player's file data.
struct MidiTrack {
    static constexpr uint32_t ENDED = 1;
    uint32_t flags { 0 };
    uint32_t length { 0 };
    uint32_t position { 0 }; ///< Next byte to read, from `start`.
    uint32_t start { 0 };    ///< Offset of the track data in the file.
    uint32_t next_time { 0 }; ///< Absolute ticks of the next event.
    uint8_t last_status { 0 };

    [[nodiscard]] bool IsEnded() const { return (flags & ENDED) != 0; }
};

/// One event read from a track.
struct MidiEvent {
    uint32_t time { 0 };
    uint8_t status { 0 };
    uint8_t data1 { 0 }; ///< The meta type for meta events.
    uint8_t data2 { 0 };
    std::vector<uint8_t> data; ///< System-exclusive or meta event bytes.
};

/// Our stand-in for the platform's MIDI header: the buffer handed to the
/// stream and given back when played.
struct MidiHeader {
    uint8_t* data { nullptr };
    uint32_t buffer_length { 0 };
    uint32_t bytes_recorded { 0 };
    uintptr_t user { 0 };
    uint32_t flags { 0 };
    uint32_t offset { 0 }; ///< Offset of the event of a position callback.
};

/// One of the player's two stream buffers.
struct MidiStreamBuffer {
    MidiHeader header;
    uint32_t start_offset { 0 };
    uint32_t capacity { MIDI_BUFFER_BYTES };
    uint32_t bytes_recorded { 0 };
    uint32_t first_tick { 0 };
    bool over { false };
    std::vector<uint8_t> data;
};

} // namespace engine
