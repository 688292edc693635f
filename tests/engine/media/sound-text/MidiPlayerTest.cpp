// The MIDI player on a stream driven by a test clock: event times, the end
// of a song, replay, looping, stop, pause and channel volumes.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "MidiTestFiles.h"
#include "engine/media/CMidiPlayer.h"
#include "platform/Tick.h"

using engine::CMidiPlayer;
using test_support::CMidiTrackWriter;
using test_support::CRecordingMidiSink;
using test_support::MakeMidiFile;
using test_support::RecordedMidi;

namespace {

// 96 ticks a quarter at 500000 us: 96 ticks = half a second.
std::vector<uint8_t> ThreeNotes()
{
    CMidiTrackWriter track;
    track.Tempo(0, 500000)
        .Event(0, { 0x90, 60, 100 })
        .Event(96, { 0x90, 62, 100 })
        .Event(96, { 0x90, 64, 100 })
        .End(0);
    return MakeMidiFile(0, 96, { track });
}

class MidiPlayerTest : public ::testing::Test {
protected:
    void MakePlayer()
    {
        m_player = std::make_unique<CMidiPlayer>(m_sink, [this] { return m_now.load(); },
                                                 CMidiPlayer::StreamClock::External);
    }
    // Moves the clock on in steps of 10 ms, playing what is due.
    void RunFor(uint64_t microseconds)
    {
        const uint64_t end = m_now + microseconds;
        while (m_now < end) {
            m_now += std::min<uint64_t>(10000, end - m_now);
            m_player->GetStream().Advance();
        }
    }

    CRecordingMidiSink m_sink;
    std::atomic<uint64_t> m_now { 1000000 };
    std::unique_ptr<CMidiPlayer> m_player;
};

} // namespace

TEST_F(MidiPlayerTest, PlaysEventsAtTheirTimes)
{
    MakePlayer();
    ASSERT_TRUE(m_player->Load(ThreeNotes()));
    RunFor(100000);
    EXPECT_TRUE(m_sink.Played().empty()); // loaded, not started
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(1200000);
    const std::vector<RecordedMidi> expected = { { 0x643C90, 0 }, { 0x643E90, 500000 }, { 0x644090, 1000000 } };
    EXPECT_EQ(m_sink.Played(), expected);
}

TEST_F(MidiPlayerTest, EndOfSongStopsPlayingAndReplayStartsFromTheBeginning)
{
    MakePlayer();
    ASSERT_TRUE(m_player->Load(ThreeNotes()));
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(1100000);
    EXPECT_FALSE(m_player->IsPlaying());
    EXPECT_EQ(m_player->GetStopState(), CMidiPlayer::STOP_DONE);

    m_sink.Clear();
    ASSERT_EQ(m_player->Play(false), 1);
    EXPECT_TRUE(m_player->IsPlaying());
    RunFor(1100000);
    const std::vector<RecordedMidi> expected = { { 0x643C90, 0 }, { 0x643E90, 500000 }, { 0x644090, 1000000 } };
    EXPECT_EQ(m_sink.Played(), expected);
    EXPECT_FALSE(m_player->IsPlaying());
}

TEST_F(MidiPlayerTest, FileShorterThanOneBufferEnds)
{
    CMidiTrackWriter track;
    track.Event(0, { 0x90, 60, 100 }).End(1);
    MakePlayer();
    ASSERT_TRUE(m_player->Load(MakeMidiFile(0, 96, { track })));
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(50000);
    EXPECT_FALSE(m_player->IsPlaying());
    EXPECT_EQ(m_sink.Played().size(), 1u);
}

TEST_F(MidiPlayerTest, LoopingPlaysTheSongAgain)
{
    MakePlayer();
    ASSERT_TRUE(m_player->Load(ThreeNotes()));
    ASSERT_EQ(m_player->Play(true), 1);
    RunFor(3000000);
    EXPECT_TRUE(m_player->IsPlaying());
    const auto played = m_sink.Played();
    ASSERT_GE(played.size(), 6u);
    EXPECT_EQ(played[3].message, 0x643C90u);
    EXPECT_EQ(played[3].time_us, 1000000u); // the loop restarts right after the last event
}

// Buffers span 11 ticks here, so the trailing text event is left waiting
// after the second buffer and the third refill finds nothing to play: a
// looping song must start again there rather than end.
TEST_F(MidiPlayerTest, LoopingGoesOnWhenTheLastBufferHoldsOnlySkippedEvents)
{
    MakePlayer();
    CMidiTrackWriter track;
    track.Event(0, { 0x90, 60, 100 })
        .Event(20, { 0x80, 60, 0 })
        .Event(20, { 0x90, 62, 100 })
        .Event(20, { 0x80, 62, 0 })
        .Event(20, { 0x90, 64, 100 })
        .Event(20, { 0xFF, 0x01, 0x01, 'x' })
        .End(0);
    ASSERT_TRUE(m_player->Load(MakeMidiFile(0, 96, { track })));
    ASSERT_EQ(m_player->Play(true), 1);
    RunFor(3000000); // one pass lasts 80 ticks, about 0.42 s
    EXPECT_TRUE(m_player->IsPlaying());
    EXPECT_GE(m_sink.Played().size(), 15u);
}

TEST_F(MidiPlayerTest, StopReopensReadyToPlayAndPauseHoldsTime)
{
    MakePlayer();
    ASSERT_TRUE(m_player->Load(ThreeNotes()));
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(200000);
    m_player->Pause();
    EXPECT_TRUE(m_player->IsPaused());
    RunFor(2000000);
    EXPECT_EQ(m_sink.Played().size(), 1u);
    m_player->Resume();
    RunFor(310000);
    EXPECT_EQ(m_sink.Played().size(), 2u);

    EXPECT_EQ(m_player->Stop(true), 1);
    EXPECT_FALSE(m_player->IsPlaying());
    m_sink.Clear();
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(100000);
    ASSERT_EQ(m_sink.Played().size(), 1u);
    EXPECT_EQ(m_sink.Played()[0].message, 0x643C90u);
}

TEST_F(MidiPlayerTest, ChannelVolumeEventsSetPercentages)
{
    CMidiTrackWriter track;
    track.Event(0, { 0xB2, 0x07, 127 }).Event(0, { 0xB5, 0x07, 64 }).End(1);
    MakePlayer();
    ASSERT_TRUE(m_player->Load(MakeMidiFile(0, 96, { track })));
    EXPECT_EQ(m_player->GetChannelVolume(5), 100u);
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(50000);
    EXPECT_EQ(m_player->GetChannelVolume(2), 100u);
    EXPECT_EQ(m_player->GetChannelVolume(5), 50u);
}

TEST_F(MidiPlayerTest, ChannelVolumeIsPostedToTheOwnerWindow)
{
    std::vector<std::pair<uintptr_t, intptr_t>> received;
    const platform::WindowHandle owner = platform::CreateMessageWindow([&](platform::Message& message) -> intptr_t {
        if (message.id == engine::UM_MIDI_VOLUME)
            received.emplace_back(message.wparam, message.lparam);
        return 0;
    });
    CMidiTrackWriter track;
    track.Event(0, { 0xB9, 0x07, 64 }).End(1);
    MakePlayer();
    ASSERT_TRUE(m_player->Load(MakeMidiFile(0, 96, { track }), owner));
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(30000);
    (void)platform::PumpWaitingMessages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, reinterpret_cast<uintptr_t>(m_player.get()));
    EXPECT_EQ(received[0].second, 9 | 50 << 16);
    platform::DestroyWindow(owner);
}

TEST_F(MidiPlayerTest, DamagedFileIsRefusedAndDoesNotPlay)
{
    MakePlayer();
    auto file = ThreeNotes();
    file[9] = 0x00;
    file.resize(20);
    EXPECT_FALSE(m_player->Load(file));
    EXPECT_EQ(m_player->Play(false), 0);
    EXPECT_FALSE(m_player->IsPlaying());
}

TEST_F(MidiPlayerTest, TimeCodeDivisionCountsRealTimeAndIgnoresTempo)
{
    // 25 frames a second of 40 ticks: 1000 ticks a second whatever the tempo.
    CMidiTrackWriter track;
    track.Tempo(0, 250000).Event(0, { 0x90, 60, 100 }).Event(500, { 0x90, 62, 100 }).Event(1500, { 0x90, 64, 100 }).End(0);
    MakePlayer();
    ASSERT_TRUE(m_player->Load(MakeMidiFile(0, 0xE728, { track })));
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(2200000);
    const std::vector<RecordedMidi> expected = { { 0x643C90, 0 }, { 0x643E90, 500000 }, { 0x644090, 2000000 } };
    EXPECT_EQ(m_sink.Played(), expected);

    // 29 means 29.97 frames a second: 2997 ticks of 100 a frame are one second.
    CMidiTrackWriter drop;
    drop.Event(0, { 0x90, 60, 100 }).Event(2997, { 0x90, 62, 100 }).End(0);
    MakePlayer();
    m_sink.Clear();
    ASSERT_TRUE(m_player->Load(MakeMidiFile(0, 0xE364, { drop })));
    ASSERT_EQ(m_player->Play(false), 1);
    RunFor(1200000);
    const auto played = m_sink.Played();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[1].message, 0x643E90u);
    EXPECT_NEAR(double(played[1].time_us), 1000000.0, 1.0);

    // An unknown frame rate, or no ticks per frame, cannot be timed: refused,
    // and the player goes away at once (no stop waiting for buffers never sent).
    for (const uint16_t division : { uint16_t(0xE900), uint16_t(0xE700) }) {
        MakePlayer();
        EXPECT_FALSE(m_player->Load(MakeMidiFile(0, division, { track })));
        const uint32_t start = platform::GetTickCount();
        m_player.reset();
        EXPECT_LT(platform::TicksBetween(start, platform::GetTickCount()), CMidiPlayer::STOP_WAIT_MS / 2);
    }
}

TEST(MidiPlayerOwnClock, PlaysToTheEndOnItsOwnThread)
{
    CRecordingMidiSink sink;
    CMidiTrackWriter track;
    track.Event(0, { 0x90, 60, 100 }).Event(4, { 0x80, 60, 0 }).End(0);
    CMidiPlayer player(sink);
    ASSERT_TRUE(player.Load(MakeMidiFile(0, 96, { track })));
    ASSERT_EQ(player.Play(false), 1);
    // 4 ticks are about 21 ms; give it up to 5 s before failing.
    for (int i = 0; i < 500 && player.IsPlaying(); ++i)
        (void)platform::CEvent().Wait(10);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(sink.Played().size(), 2u);
}
