// The MIDI file reader and the converter into stream buffers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MidiTestFiles.h"
#include "engine/media/CMidiSequence.h"

using engine::CMidiSequence;
using engine::MidiStreamBuffer;
using test_support::CMidiTrackWriter;
using test_support::MakeMidiFile;

namespace {

struct StreamEvent {
    uint32_t delta;
    uint32_t word;
    bool operator==(const StreamEvent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const StreamEvent& event)
{
    return out << "{" << event.delta << ", 0x" << std::hex << event.word << std::dec << "}";
}

MidiStreamBuffer EmptyBuffer()
{
    MidiStreamBuffer buffer;
    buffer.data.assign(engine::MIDI_BUFFER_BYTES, 0);
    return buffer;
}

std::vector<StreamEvent> EventsOf(const MidiStreamBuffer& buffer)
{
    std::vector<StreamEvent> events;
    const auto u32 = [&](size_t at) {
        return uint32_t(buffer.data[at]) | uint32_t(buffer.data[at + 1]) << 8 | uint32_t(buffer.data[at + 2]) << 16 |
               uint32_t(buffer.data[at + 3]) << 24;
    };
    for (size_t at = 0; at + 12 <= buffer.bytes_recorded; at += 12) {
        EXPECT_EQ(u32(at + 4), 0u); // stream id
        events.push_back({ u32(at), u32(at + 8) });
    }
    return events;
}

} // namespace

TEST(MidiSequence, RefusesDamagedFiles)
{
    CMidiTrackWriter track;
    track.Event(0, { 0x90, 60, 100 }).End();
    auto good = MakeMidiFile(0, 96, { track });
    {
        CMidiSequence sequence;
        EXPECT_TRUE(sequence.Parse(good));
        EXPECT_FALSE(sequence.Parse(good)); // already loaded
    }
    auto bad_header = good;
    bad_header[7] = 7;
    auto bad_track = good;
    bad_track[14] = 'X';
    auto truncated = good;
    truncated.resize(good.size() - 2); // the track claims more than the file holds
    auto no_division = good;
    no_division[12] = no_division[13] = 0;
    auto missing_track = good;
    missing_track[11] = 2; // two tracks announced, one present
    std::vector<uint8_t> endless_delta = MakeMidiFile(0, 96, { CMidiTrackWriter().Bytes({ 0x81, 0x81 }) });
    std::vector<uint8_t> five_byte_delta =
        MakeMidiFile(0, 96, { CMidiTrackWriter().Bytes({ 0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 1, 1 }) });
    for (const auto& file : { bad_header, bad_track, truncated, no_division, missing_track, endless_delta,
                              five_byte_delta, std::vector<uint8_t> {}, std::vector<uint8_t>(good.begin(), good.begin() + 10) }) {
        CMidiSequence sequence;
        EXPECT_FALSE(sequence.Parse(file));
        EXPECT_FALSE(sequence.IsLoaded());
    }
}

TEST(MidiSequence, ConvertsTempoRunningStatusAndSkipsMetaEvents)
{
    CMidiTrackWriter track;
    track.Tempo(0, 500000)
        .Event(0, { 0x90, 0x3C, 0x64 })
        .Event(96, { 0x3C, 0x00 })       // running status
        .Event(0, { 0xFF, 0x01, 0x03, 'a', 'b', 'c' }) // text: skipped
        .Event(0, { 0xF0, 0x02, 0x7E, 0xF7 })          // system exclusive: dropped
        .End();
    CMidiSequence sequence;
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(0, 96, { track })));
    auto buffer = EmptyBuffer();
    EXPECT_EQ(sequence.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_OK);
    const std::vector<StreamEvent> expected = {
        { 0, 500000 | engine::MEVT_TEMPO }, { 0, 0x643C90 }, { 96, 0x003C90 } };
    EXPECT_EQ(EventsOf(buffer), expected);
    EXPECT_EQ(sequence.GetTicksPerBuffer(), 11u); // 96 * 60000 / 500000
    EXPECT_EQ(sequence.GetTempo(), 500000u);
    // The span was passed at tick 96, so the dropped system-exclusive event
    // waited for the next buffer, which ends empty; then the file is done.
    auto next = EmptyBuffer();
    EXPECT_EQ(sequence.ConvertToBuffer(false, next), engine::MIDI_CONVERT_OK);
    EXPECT_EQ(next.bytes_recorded, 0u);
    EXPECT_EQ(sequence.ConvertToBuffer(false, next), engine::MIDI_CONVERT_DONE);
}

TEST(MidiSequence, MergesTracksInTimeOrderLowerTrackFirst)
{
    CMidiTrackWriter first;
    first.Tempo(0, 1000).Event(10, { 0x90, 0x40, 0x40 }).End();
    CMidiTrackWriter second;
    second.Event(10, { 0x91, 0x41, 0x41 }).Event(5, { 0x81, 0x41, 0x00 }).Event(0, { 0xC2, 0x05 }).End();
    CMidiSequence sequence;
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(1, 96, { first, second })));
    auto buffer = EmptyBuffer();
    EXPECT_EQ(sequence.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_OK);
    const std::vector<StreamEvent> expected = { { 0, 1000 | engine::MEVT_TEMPO },
                                                { 10, 0x404090 },
                                                { 0, 0x414191 },
                                                { 5, 0x004181 },
                                                { 0, 0x0005C2 } };
    EXPECT_EQ(EventsOf(buffer), expected);
}

TEST(MidiSequence, ChannelVolumeAsksForACallback)
{
    CMidiTrackWriter track;
    track.Event(0, { 0xB3, 0x07, 0x40 }).Event(0, { 0xB3, 0x0A, 0x40 }).End();
    CMidiSequence sequence;
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(0, 96, { track })));
    auto buffer = EmptyBuffer();
    ASSERT_EQ(sequence.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_OK);
    const auto events = EventsOf(buffer);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].word, 0x4007B3u | engine::MEVT_F_CALLBACK);
    EXPECT_EQ(events[1].word, 0x400AB3u);
}

TEST(MidiSequence, BuffersEndAtTheirTickSpanAndFullEventsKeepTheirDelta)
{
    // Span: 11 ticks per buffer at 500000 us and 96 ticks a quarter.
    CMidiTrackWriter spaced;
    spaced.Tempo(0, 500000);
    for (int i = 0; i < 5; ++i)
        spaced.Event(10, { 0x90, uint8_t(60 + i), 100 });
    spaced.End();
    CMidiSequence sequence;
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(0, 96, { spaced })));
    auto buffer = EmptyBuffer();
    ASSERT_EQ(sequence.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_OK);
    auto events = EventsOf(buffer);
    // Tempo at 0, notes at 10, 20 and 30 (past the span once), then full.
    ASSERT_EQ(events.size(), 4u);
    auto second = EmptyBuffer();
    ASSERT_EQ(sequence.ConvertToBuffer(false, second), engine::MIDI_CONVERT_OK);
    events = EventsOf(second);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], (StreamEvent { 10, 0x643F90 }));

    // Bytes: 100 events one tick apart overflow 1024 bytes; the event that
    // waits for the next buffer still comes one tick after its predecessor.
    CMidiTrackWriter dense;
    dense.Tempo(0, 1000);
    for (int i = 0; i < 100; ++i)
        dense.Event(1, { 0x90, uint8_t(i), 1 });
    dense.End();
    CMidiSequence packed;
    ASSERT_TRUE(packed.Parse(MakeMidiFile(0, 96, { dense })));
    auto full = EmptyBuffer();
    ASSERT_EQ(packed.ConvertToBuffer(true, full), engine::MIDI_CONVERT_OK);
    EXPECT_EQ(full.bytes_recorded, 85u * 12);
    auto rest = EmptyBuffer();
    ASSERT_EQ(packed.ConvertToBuffer(false, rest), engine::MIDI_CONVERT_OK);
    events = EventsOf(rest);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], (StreamEvent { 1, 0x015490 }));
}

TEST(MidiSequence, DamagedTrackStopsConversionWithItsFault)
{
    CMidiTrackWriter track;
    track.Event(0, { 0x90, 0x3C, 0x64 }).Event(0, { 0xFF, 0x01, 0x40, 'x' }); // meta longer than the track
    CMidiSequence sequence;
    std::vector<std::string> faults;
    sequence.SetParseErrorSink([&](size_t, const char* text) { faults.emplace_back(text); });
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(0, 96, { track })));
    auto buffer = EmptyBuffer();
    EXPECT_EQ(sequence.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_CORRUPT);
    EXPECT_EQ(sequence.ConvertToBuffer(false, buffer), engine::MIDI_CONVERT_STUCK);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0], "Meta event truncated");

    CMidiTrackWriter orphan;
    orphan.Bytes({ 0x00, 0x3C, 0x64 });
    CMidiSequence no_status;
    no_status.SetParseErrorSink([&](size_t, const char* text) { faults.emplace_back(text); });
    ASSERT_TRUE(no_status.Parse(MakeMidiFile(0, 96, { orphan })));
    EXPECT_EQ(no_status.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_CORRUPT);
    EXPECT_EQ(faults.back(), "Reference to missing running status.");
}

TEST(MidiSequence, LoopingRewindsInsteadOfEnding)
{
    CMidiTrackWriter track;
    track.Event(0, { 0x90, 0x3C, 0x64 }).Event(5, { 0x80, 0x3C, 0x00 }).End();
    CMidiSequence sequence;
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(0, 96, { track })));
    sequence.SetLooping(true);
    auto buffer = EmptyBuffer();
    ASSERT_EQ(sequence.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_OK);
    auto again = EmptyBuffer();
    ASSERT_EQ(sequence.ConvertToBuffer(false, again), engine::MIDI_CONVERT_OK);
    const std::vector<StreamEvent> expected = { { 0, 0x643C90 }, { 5, 0x003C80 } };
    EXPECT_EQ(EventsOf(again), expected);
}

// Deltas that add up past a 32-bit tick count would wrap the time round and
// give the next event a delay of days; the track ends before that.
TEST(MidiSequence, TrackTimeNeverWrapsRound)
{
    CMidiTrackWriter track;
    for (int i = 0; i < 16; ++i)
        track.Event(0x0FFFFFFF, { 0x90, 0x3C, 0x64 });
    track.Event(0x0FFFFFFF, { 0x80, 0x3C, 0x00 }).Event(1, { 0x90, 0x3E, 0x64 }).End();
    CMidiSequence sequence;
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(0, 96, { track })));
    uint64_t time = 0;
    size_t count = 0;
    for (int buffers = 0; buffers < 100; ++buffers) {
        auto buffer = EmptyBuffer();
        const int32_t result = sequence.ConvertToBuffer(buffers == 0, buffer);
        for (const StreamEvent& event : EventsOf(buffer)) {
            time += event.delta;
            EXPECT_EQ(event.word, 0x643C90u);
            ++count;
        }
        if (result == engine::MIDI_CONVERT_DONE)
            break;
        ASSERT_EQ(result, engine::MIDI_CONVERT_OK);
    }
    EXPECT_EQ(count, 16u);
    EXPECT_EQ(time, 16ull * 0x0FFFFFFF);
}

// A skipped meta or system-exclusive event carries no stream event, so its
// delta must reach the next event stored: the music after a marker keeps time.
TEST(MidiSequence, SkippedEventsKeepTheTimeBeforeThem)
{
    CMidiTrackWriter track;
    track.Tempo(0, 1000)
        .Event(0, { 0x90, 0x3C, 0x64 })
        .Event(50, { 0xFF, 0x06, 0x01, 'm' }) // marker
        .Event(30, { 0xF0, 0x01, 0xF7 })      // system exclusive
        .Event(20, { 0x80, 0x3C, 0x00 })
        .End();
    CMidiSequence sequence;
    ASSERT_TRUE(sequence.Parse(MakeMidiFile(0, 96, { track })));
    auto buffer = EmptyBuffer();
    ASSERT_EQ(sequence.ConvertToBuffer(true, buffer), engine::MIDI_CONVERT_OK);
    const std::vector<StreamEvent> expected = { { 0, 1000 | engine::MEVT_TEMPO }, { 0, 0x643C90 }, { 100, 0x003C80 } };
    EXPECT_EQ(EventsOf(buffer), expected);
}
