// Replay playback: records fed at their pace with the snapshot after each
// game start, seeking by step and by time, stepping back, the buttons.
#include "game/scene/ReplayPlayback.h"

#include "client/ClientText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scene {
namespace {

class CFeedProbe final : public IReplayFeed {
public:
    void FeedEvent(uint32_t event_id, std::span<const uint8_t>) override { fed.push_back(event_id); }
    void SetProgress(double position) override { progress = position; }
    void SetSoundFlag(bool on) override { flags.push_back(on); }

    std::vector<uint32_t> fed;
    std::vector<bool> flags;
    double progress { -1 };
};

constexpr uint32_t SNAPSHOT_ID = 229500;

/// Events at the given times, the first a game start; a snapshot after it.
CReplayImage Recording(const std::vector<uint32_t>& times)
{
    CReplayImage image(ReplayVariant::Standard);
    QvRepHeader header;
    client::CopyTextField(header.game_code, "pldk");
    image.Start(header);
    ReplayTableInfo table;
    table.seat_count = 1;
    image.AppendTable(table);
    image.AppendPlayer(ReplayPlayerInfo {});
    for (size_t i = 0; i < times.size(); ++i) {
        image.RecordEvent(times[i], i == 0 ? GR_GAME_START : 1000 + static_cast<uint32_t>(i), std::vector<uint8_t>(i));
        if (i == 0)
            image.RecordSnapshot(times[i], SNAPSHOT_ID, std::vector<uint8_t>(8, 7));
    }
    return image;
}

TEST(ReplayPlaybackTest, RecordsPlayAtTheirPaceWithGapsCut)
{
    const CReplayImage image = Recording({ 0, 100, 100, 2500, 20000 });
    CFeedProbe feed;
    CReplayPlayback playback(image, feed);
    playback.SetMaxGap(5000);
    playback.Restart();
    EXPECT_EQ(feed.fed, (std::vector<uint32_t> { GR_GAME_START, SNAPSHOT_ID }));
    playback.StartPacing();
    const std::vector<std::optional<uint32_t>> waits = { 100, 2400, 5000, std::nullopt };
    for (const auto& wait : waits)
        EXPECT_EQ(playback.PlayStep(), wait);
    EXPECT_EQ(feed.fed, (std::vector<uint32_t> { GR_GAME_START, SNAPSHOT_ID, 1001, 1002, 1003, 1004 }));
    EXPECT_DOUBLE_EQ(feed.progress, 1.0);
    EXPECT_TRUE(playback.IsAtEnd());
    EXPECT_FALSE(playback.PlayNextRecord().has_value()); // nothing further
    EXPECT_EQ(feed.fed.size(), 6u);
}

TEST(ReplayPlaybackTest, RecordsOfOneMomentPlayTogether)
{
    const CReplayImage image = Recording({ 50, 50, 50, 50 });
    CFeedProbe feed;
    CReplayPlayback playback(image, feed);
    playback.Restart();
    playback.StartPacing();
    EXPECT_EQ(playback.PlayStep(), std::nullopt);
    EXPECT_EQ(feed.fed.size(), 5u);
}

TEST(ReplayPlaybackTest, SeekingAndSteppingBackReplayFromTheFirstRecord)
{
    const CReplayImage image = Recording({ 0, 100, 100, 2500, 20000 });
    CFeedProbe feed;
    CReplayPlayback playback(image, feed);
    playback.Restart();
    playback.SeekToStep(5);
    EXPECT_TRUE(playback.IsAtEnd());
    EXPECT_EQ(playback.GetPlayedTime(), 20000u);

    feed.fed.clear();
    playback.StepBack();
    EXPECT_EQ(playback.GetStepIndex(), 4);
    EXPECT_EQ(feed.fed, (std::vector<uint32_t> { GR_GAME_START, SNAPSHOT_ID, 1001, 1002, 1003 }));
    EXPECT_EQ(feed.flags, (std::vector<bool> { true, false }));

    // Back to a time: replays the records before it.
    feed.fed.clear();
    playback.SeekToTime(2500);
    EXPECT_EQ(playback.GetStepIndex(), 3);
    EXPECT_EQ(feed.fed, (std::vector<uint32_t> { GR_GAME_START, SNAPSHOT_ID, 1001, 1002 }));
    // Forward from there only plays on.
    feed.fed.clear();
    playback.SeekToTime(30000);
    EXPECT_EQ(feed.fed, (std::vector<uint32_t> { 1003, 1004 }));
    // From the end, to an earlier time.
    feed.fed.clear();
    playback.SeekToTime(1);
    EXPECT_EQ(playback.GetStepIndex(), 1);
    EXPECT_EQ(feed.fed, (std::vector<uint32_t> { GR_GAME_START, SNAPSHOT_ID }));
}

TEST(ReplayPlaybackTest, ButtonsAndTimeText)
{
    const CReplayImage empty(ReplayVariant::Standard);
    CFeedProbe feed;
    CReplayPlayback none(empty, feed);
    const ReplayButtons hidden = none.GetButtons(false);
    EXPECT_FALSE(hidden.play || hidden.restart || hidden.previous || hidden.next);
    EXPECT_FALSE(none.PlayNextRecord().has_value());

    const CReplayImage image = Recording({ 0, 10 });
    CReplayPlayback playback(image, feed);
    playback.Rewind();
    ReplayButtons buttons = playback.GetButtons(false);
    EXPECT_TRUE(buttons.play && buttons.restart && buttons.next);
    EXPECT_FALSE(buttons.previous);
    playback.Restart();
    EXPECT_TRUE(playback.GetButtons(false).previous);
    EXPECT_FALSE(playback.GetButtons(true).previous);
    playback.PlayNextRecord();
    EXPECT_FALSE(playback.GetButtons(false).next);

    EXPECT_EQ(FormatReplayProgress(0.5, 120000), "01:00/02:00");
    EXPECT_EQ(FormatReplayProgress(2.0, 3700000), "01:01:40/01:01:40");
}

} // namespace
} // namespace scene
