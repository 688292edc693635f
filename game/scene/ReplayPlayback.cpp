// The playing half of a replay board: records at their pace, seeking and
// stepping back.
#include "game/scene/ReplayPlayback.h"

#include "engine/core/EngineText.h"

#include <algorithm>

namespace scene {

void CReplayPlayback::Rewind()
{
    m_step = 0;
    m_played_time = 0;
}

std::optional<uint32_t> CReplayPlayback::PlayNextRecord()
{
    const int count = static_cast<int>(m_image.GetEventCount());
    if (m_image.IsEmpty() || m_step >= count)
        return std::nullopt;
    const ReplayEvent event = m_image.GetEvent(static_cast<size_t>(m_step));
    if (m_step == 0)
        m_feed.BeginFromStart();
    m_feed.FeedEvent(event.event_id, event.data);
    m_played_time = event.elapsed;
    if (event.event_id == GR_GAME_START) {
        if (const std::optional<ReplayEvent> snapshot = m_image.GetSnapshot())
            m_feed.FeedEvent(snapshot->event_id, snapshot->data);
    }
    const uint32_t last = m_image.GetHeaderFields().last_elapsed;
    if (last != 0)
        m_feed.SetProgress(std::min(1.0, static_cast<double>(event.elapsed) / last));
    ++m_step;
    if (m_step >= count)
        return std::nullopt;
    return m_image.GetEvent(static_cast<size_t>(m_step)).elapsed;
}

void CReplayPlayback::SeekToStep(int step)
{
    if (step < m_step)
        Rewind();
    while (m_step < step && PlayNextRecord()) {
    }
    // The last record answers none but is played all the same.
}

void CReplayPlayback::SeekToTime(uint32_t milliseconds)
{
    // At the end no record lies at the cursor: replay from the first one,
    // which plays whatever the time (the replay's earliest point, where
    // Restart leaves it; with none played the table would stay as it was).
    if (IsAtEnd() || m_image.GetEvent(static_cast<size_t>(m_step)).elapsed >= milliseconds)
        Rewind();
    m_feed.SetSoundFlag(true);
    while (!IsAtEnd() && (m_step == 0 || m_image.GetEvent(static_cast<size_t>(m_step)).elapsed < milliseconds)
           && PlayNextRecord()) {
    }
    m_feed.SetSoundFlag(false);
}

void CReplayPlayback::StepBack()
{
    if (m_step < 1)
        return;
    m_feed.SetSoundFlag(true);
    SeekToStep(m_step - 1);
    m_feed.SetSoundFlag(false);
}

std::optional<uint32_t> CReplayPlayback::PlayStep()
{
    // Records of the same millisecond (or out of order) play at once; the
    // walk ends with the records.
    for (;;) {
        const std::optional<uint32_t> next = PlayNextRecord();
        if (!next)
            return std::nullopt;
        if (*next > m_scheduled) {
            const uint32_t gap = std::min(*next - m_scheduled, m_max_gap);
            m_scheduled = *next;
            return gap;
        }
        m_scheduled = *next;
    }
}

std::optional<uint32_t> CReplayPlayback::PaceFrom(uint32_t milliseconds)
{
    if (m_image.IsEmpty() || IsAtEnd())
        return std::nullopt;
    m_scheduled = m_image.GetEvent(static_cast<size_t>(m_step)).elapsed;
    return m_scheduled > milliseconds ? std::min(m_scheduled - milliseconds, m_max_gap) : 0;
}

void CReplayPlayback::Restart()
{
    Rewind();
    m_scheduled = PlayNextRecord().value_or(0);
}

ReplayButtons CReplayPlayback::GetButtons(bool back_step_locked) const
{
    if (m_image.IsEmpty())
        return {};
    return { true, true, m_step != 0 && !back_step_locked, !IsAtEnd() };
}

std::string FormatReplayProgress(double position, uint32_t last_elapsed)
{
    const double clamped = std::clamp(position, 0.0, 1.0);
    const auto played = static_cast<uint32_t>(clamped * last_elapsed);
    return engine::FormatDuration(played) + "/" + engine::FormatDuration(last_elapsed);
}

} // namespace scene
