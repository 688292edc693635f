#include "engine/media/CMidiStream.h"

#include <time.h>

#include <vector>

namespace engine {

namespace {

constexpr auto CLOCK_PERIOD = std::chrono::milliseconds(2);

} // namespace

CMidiStream::CMidiStream(IMidiSink& sink, Clock clock) : m_sink(sink), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = &SystemMicroseconds;
}

CMidiStream::~CMidiStream()
{
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_wake.notify_all();
        m_worker.join();
    }
}

uint64_t CMidiStream::SystemMicroseconds()
{
    // <chrono> is kept out: its text literals do not survive the GBK execution charset.
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

void CMidiStream::StartClock()
{
    if (m_worker.joinable())
        return;
    m_worker = std::jthread([this](std::stop_token stop) {
        while (!stop.stop_requested()) {
            Advance();
            std::unique_lock lock(m_wake_mutex);
            m_wake.wait_for(lock, stop, CLOCK_PERIOD, [] { return false; });
        }
    });
}

int32_t CMidiStream::Open(IMidiStreamClient* client)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_client != nullptr)
            return MIDI_STREAM_ALREADY_OPEN;
        if (client == nullptr)
            return MIDI_STREAM_BAD_PARAMETER;
        m_client = client;
        m_queue.clear();
        m_read_offset = 0;
        m_tempo = 500000;
        m_playing = false;
        m_position_us = 0;
        m_last_event_us = 0;
    }
    const std::lock_guard callbacks(m_callback_mutex);
    client->OnStreamMessage(MidiStreamMessage::Open, nullptr);
    return MIDI_STREAM_OK;
}

bool CMidiStream::IsOpen() const
{
    const std::lock_guard lock(m_mutex);
    return m_client != nullptr;
}

int32_t CMidiStream::SetTimeDivision(uint32_t division)
{
    const std::lock_guard lock(m_mutex);
    if (m_client == nullptr)
        return MIDI_STREAM_NOT_OPEN;
    if (division == 0 || (IsSmpteDivision(division) && SmpteTicksPerSecond(division) == 0))
        return MIDI_STREAM_BAD_PARAMETER;
    m_division = division;
    return MIDI_STREAM_OK;
}

int32_t CMidiStream::Out(MidiHeader* header)
{
    const std::lock_guard lock(m_mutex);
    if (m_client == nullptr)
        return MIDI_STREAM_NOT_OPEN;
    if (header == nullptr || header->data == nullptr || header->bytes_recorded > header->buffer_length)
        return MIDI_STREAM_BAD_PARAMETER;
    m_queue.push_back(header);
    return MIDI_STREAM_OK;
}

double CMidiStream::MicrosecondsPerTickLocked() const
{
    // A time-code division counts ticks in frames of real time; tempo events
    // do not change it.
    if (IsSmpteDivision(m_division))
        return 1000000.0 / SmpteTicksPerSecond(m_division);
    return static_cast<double>(m_tempo) / m_division;
}

uint64_t CMidiStream::StreamTimeLocked() const
{
    if (!m_playing)
        return m_position_us;
    return m_position_us + (m_clock() - m_anchor_now);
}

int32_t CMidiStream::Restart()
{
    const std::lock_guard lock(m_mutex);
    if (m_client == nullptr)
        return MIDI_STREAM_NOT_OPEN;
    if (!m_playing) {
        m_anchor_now = m_clock();
        m_playing = true;
    }
    return MIDI_STREAM_OK;
}

int32_t CMidiStream::Pause()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_client == nullptr)
            return MIDI_STREAM_NOT_OPEN;
        if (!m_playing)
            return MIDI_STREAM_OK;
        m_position_us = StreamTimeLocked();
        m_playing = false;
    }
    m_sink.SilenceAll();
    return MIDI_STREAM_OK;
}

IMidiStreamClient* CMidiStream::GiveBackAll()
{
    std::deque<MidiHeader*> returned;
    IMidiStreamClient* client = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        client = m_client;
        if (client == nullptr)
            return nullptr;
        returned.swap(m_queue);
        m_read_offset = 0;
        m_playing = false;
        m_position_us = 0;
        m_last_event_us = 0;
    }
    m_sink.SilenceAll();
    for (MidiHeader* header : returned)
        client->OnStreamMessage(MidiStreamMessage::Done, header);
    return client;
}

int32_t CMidiStream::Stop()
{
    const std::lock_guard callbacks(m_callback_mutex);
    return GiveBackAll() != nullptr ? MIDI_STREAM_OK : MIDI_STREAM_NOT_OPEN;
}

int32_t CMidiStream::Reset()
{
    if (!IsOpen())
        return MIDI_STREAM_NOT_OPEN;
    m_sink.SilenceAll();
    return MIDI_STREAM_OK;
}

int32_t CMidiStream::Close()
{
    const std::lock_guard callbacks(m_callback_mutex);
    IMidiStreamClient* client = GiveBackAll();
    if (client == nullptr)
        return MIDI_STREAM_NOT_OPEN;
    {
        const std::lock_guard lock(m_mutex);
        m_client = nullptr;
    }
    client->OnStreamMessage(MidiStreamMessage::Close, nullptr);
    return MIDI_STREAM_OK;
}

// Takes the next due step under the lock: one event played, or one buffer
// finished. False when nothing is due.
bool CMidiStream::TakeNext(Due& due)
{
    const std::lock_guard lock(m_mutex);
    if (m_client == nullptr || !m_playing || m_queue.empty())
        return false;
    MidiHeader* header = m_queue.front();
    if (uint64_t { m_read_offset } + MIDI_EVENT_BYTES > header->bytes_recorded) {
        m_queue.pop_front();
        m_read_offset = 0;
        due.done_header = header;
        return true;
    }
    const uint8_t* event = header->data + m_read_offset;
    const uint32_t delta = ReadStreamWord(event);
    const uint32_t word = ReadStreamWord(event + 8);
    const double due_us = m_last_event_us + static_cast<double>(delta) * MicrosecondsPerTickLocked();
    if (due_us > static_cast<double>(StreamTimeLocked()))
        return false;
    m_last_event_us = due_us;
    const uint32_t offset = m_read_offset;
    m_read_offset += MIDI_EVENT_BYTES;
    const uint32_t kind = word & MIDI_EVENT_KIND_MASK;
    if (kind == MEVT_TEMPO) {
        const uint32_t tempo = word & MIDI_EVENT_PARAM_MASK;
        if (tempo != 0)
            m_tempo = tempo;
    } else if (kind == MEVT_SHORTMSG) {
        due.play = true;
        due.message = word & MIDI_EVENT_PARAM_MASK;
        due.time_us = static_cast<uint64_t>(due_us);
    }
    if ((word & MEVT_F_CALLBACK) != 0) {
        header->offset = offset;
        due.position_header = header;
    }
    return true;
}

void CMidiStream::Advance(int max_steps)
{
    const std::lock_guard callbacks(m_callback_mutex);
    for (int step = 0; step < max_steps; ++step) {
        Due due;
        if (!TakeNext(due))
            return;
        IMidiStreamClient* client = nullptr;
        {
            const std::lock_guard lock(m_mutex);
            client = m_client;
        }
        if (due.play)
            m_sink.ShortMessage(due.message, due.time_us);
        if (client != nullptr && due.position_header != nullptr)
            client->OnStreamMessage(MidiStreamMessage::PositionCallback, due.position_header);
        if (client != nullptr && due.done_header != nullptr)
            client->OnStreamMessage(MidiStreamMessage::Done, due.done_header);
    }
}

} // namespace engine
