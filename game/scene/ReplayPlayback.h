#pragma once
// CReplayPlayback: the playing half of a replay board without its controls.
// It walks the event records of a loaded CReplayImage, hands each to the
// feed (which dispatches it as if it came from the server), follows with
// the snapshot after every game start, paces the records at their recorded
// times (gaps cut to the longest pause), seeks to a step or a time and
// steps back by replaying from the first record.
//
// Owner: the replay board; holds references to its image and feed, which
// must outlive it. Thread: the UI thread.
// Hazards: the image must not change while a playback walks it; Rewind after
// loading another file.

#include "game/scene/ReplayImage.h"

#include <cstdint>
#include <optional>
#include <string>

namespace scene {

inline constexpr uint32_t GR_GAME_START = 211040;

/// Where the playback sends what it plays.
class IReplayFeed {
public:
    virtual ~IReplayFeed() = default;
    /// One record, as the notification dispatcher takes a server message.
    virtual void FeedEvent(uint32_t event_id, std::span<const uint8_t> data) = 0;
    /// The progress bar's position, 0..1.
    virtual void SetProgress(double position) = 0;
    /// Fast stepping (seek, step back) runs with the music module's flag set.
    virtual void SetSoundFlag(bool on) = 0;
    /// The first record is about to play (again): what the records played
    /// before left outside the table goes.
    virtual void BeginFromStart() {}
};

/// Which replay buttons show.
struct ReplayButtons {
    bool play { false };
    bool restart { false };
    bool previous { false };
    bool next { false };
};

class CReplayPlayback {
public:
    static constexpr uint32_t DEFAULT_MAX_GAP = 10000;

    CReplayPlayback(const CReplayImage& image, IReplayFeed& feed) : m_image(image), m_feed(feed) { }

    void SetMaxGap(uint32_t milliseconds) { m_max_gap = milliseconds; }
    /// The cursor on the first event record, nothing played.
    void Rewind();
    /// Plays the record at the cursor; the elapsed time of the next one, or
    /// none when no record follows (or none was left to play).
    std::optional<uint32_t> PlayNextRecord();
    void SeekToStep(int step);
    void SeekToTime(uint32_t milliseconds);
    void StepBack();

    /// Starts paced playing from the record played last.
    void StartPacing() { m_scheduled = m_played_time; }
    /// Paced playing goes on from the replay's time `milliseconds` (a seek
    /// while playing): the wait before the record at the cursor is due, at
    /// most the longest pause; none at the end.
    std::optional<uint32_t> PaceFrom(uint32_t milliseconds);
    /// One tick of paced playing: plays the records due now and answers the
    /// wait before the next tick (at most the longest pause), or none at the
    /// end.
    std::optional<uint32_t> PlayStep();
    /// Rewinds and plays the first record.
    void Restart();

    [[nodiscard]] int GetStepIndex() const { return m_step; }
    [[nodiscard]] uint32_t GetPlayedTime() const { return m_played_time; }
    [[nodiscard]] bool IsAtEnd() const { return m_step >= static_cast<int>(m_image.GetEventCount()); }
    /// The buttons to show; the previous step hides while stepping back is
    /// locked (the standard board; pass false for the match board).
    [[nodiscard]] ReplayButtons GetButtons(bool back_step_locked) const;

private:
    const CReplayImage& m_image;
    IReplayFeed& m_feed;
    uint32_t m_max_gap { DEFAULT_MAX_GAP };
    int m_step { 0 };
    uint32_t m_played_time { 0 };
    uint32_t m_scheduled { 0 };
};

/// The time text "played/total" of a progress position (0..1) and the last
/// elapsed time.
[[nodiscard]] std::string FormatReplayProgress(double position, uint32_t last_elapsed);

} // namespace scene
