#include "engine/media/CMidiPlayer.h"

namespace engine {

namespace {

constexpr uint32_t FULL_VOLUME = 100;
constexpr uint8_t CONTROLLER_VOLUME = 7;

} // namespace

CMidiPlayer::CMidiPlayer(IMidiSink& sink, CMidiStream::Clock clock, StreamClock mode)
    : m_stream(std::make_unique<CMidiStream>(sink, std::move(clock)))
{
    m_sequence.SetParseErrorSink([this](size_t track, const char* text) { OnParseError(track, text); });
    for (auto& volume : m_channel_volumes)
        volume.store(FULL_VOLUME);
    if (mode == StreamClock::Own)
        m_stream->StartClock();
}

CMidiPlayer::~CMidiPlayer()
{
    Stop(false);
    if (m_stream_open) {
        (void)m_stream->Close();
        m_stream_open = false;
    }
}

uint32_t CMidiPlayer::GetChannelVolume(uint32_t channel) const
{
    return channel < m_channel_volumes.size() ? m_channel_volumes[channel].load() : 0;
}

bool CMidiPlayer::Load(std::vector<uint8_t> file, platform::WindowHandle owner)
{
    if (m_sequence.IsLoaded() || !m_sequence.Parse(std::move(file)))
        return false;
    m_owner = owner;
    for (auto& volume : m_channel_volumes)
        volume.store(FULL_VOLUME);
    return OpenStream();
}

bool CMidiPlayer::SendBuffer(MidiStreamBuffer& buffer)
{
    buffer.header.data = buffer.data.data();
    buffer.header.buffer_length = buffer.capacity;
    buffer.header.bytes_recorded = buffer.bytes_recorded;
    const int32_t result = m_stream->Out(&buffer.header);
    if (result != MIDI_STREAM_OK) {
        OnError(result);
        return false;
    }
    return true;
}

bool CMidiPlayer::OpenStream()
{
    // Nothing is out while the stream (re)opens: a stream refused below (a
    // time division it cannot keep) must not leave a stop waiting for
    // buffers that were never sent.
    m_free_buffers.store(static_cast<uint32_t>(BUFFER_COUNT));
    if (!m_stream_open) {
        const int32_t result = m_stream->Open(this);
        if (result != MIDI_STREAM_OK) {
            OnError(result);
            return false;
        }
        m_stream_open = true;
    }
    const int32_t result = m_stream->SetTimeDivision(m_sequence.GetTimeDivision());
    if (result != MIDI_STREAM_OK) {
        OnError(result);
        return false;
    }
    // A buffer that is not sent counts as free, so the end of a file shorter
    // than one buffer is still seen when the buffers that went out come back.
    uint32_t sent = 0;
    for (size_t i = 0; i < BUFFER_COUNT; ++i) {
        MidiStreamBuffer& buffer = m_buffers[i];
        buffer.capacity = MIDI_BUFFER_BYTES;
        buffer.data.assign(MIDI_BUFFER_BYTES, 0);
        buffer.start_offset = 0;
        buffer.first_tick = 0;
        buffer.over = false;
        buffer.bytes_recorded = 0;
        buffer.header = {};
        buffer.header.user = i;
        const int32_t converted = m_sequence.ConvertToBuffer(i == 0, buffer);
        if (converted == MIDI_CONVERT_DONE)
            break;
        if (converted != MIDI_CONVERT_OK) {
            m_free_buffers.store(static_cast<uint32_t>(BUFFER_COUNT) - sent);
            return false;
        }
        if (!SendBuffer(buffer))
            break;
        ++sent;
    }
    m_free_buffers.store(static_cast<uint32_t>(BUFFER_COUNT) - sent);
    m_current_buffer = 0;
    return true;
}

int32_t CMidiPlayer::Play(bool loop)
{
    if (m_paused.load()) {
        const int32_t result = m_stream->Restart();
        if (result != MIDI_STREAM_OK) {
            OnError(result);
            return 0;
        }
        m_paused.store(false);
        return 1;
    }
    if (!m_sequence.IsLoaded())
        return 0;
    // Playing, or ended and not reopened yet: stop and reopen first.
    if (m_playing.load() || m_stop_state.load() == STOP_DONE || !m_stream_open) {
        if (Stop(true) == 0 || !m_stream_open)
            return 0;
    }
    m_stop_state.store(STOP_NONE);
    if (!m_loop.load())
        m_sequence.SetPutTempoFirst(true);
    m_sequence.SetLooping(loop);
    m_loop.store(loop);
    const int32_t result = m_stream->Restart();
    if (result != MIDI_STREAM_OK) {
        OnError(result);
        return 0;
    }
    m_playing.store(true);
    return 1;
}

int32_t CMidiPlayer::Stop(bool reopen)
{
    if (m_playing.load() || m_stop_state.load() != STOP_DONE) {
        m_paused.store(false);
        m_playing.store(false);
        const uint32_t state = m_stop_state.load();
        if (state != STOP_DONE && state != STOP_FILE_ENDED)
            m_stop_state.store(STOP_ASKED);
        if (m_stream_open) {
            m_wake.Reset();
            // With nothing out there is nothing to wait for.
            if (m_free_buffers.load() >= BUFFER_COUNT)
                m_stop_state.store(STOP_DONE);
            int32_t result = m_stream->Stop();
            if (result == MIDI_STREAM_OK)
                result = m_stream->Reset();
            if (result != MIDI_STREAM_OK) {
                OnError(result);
                return 0;
            }
            if (m_stop_state.load() != STOP_DONE && !m_wake.Wait(STOP_WAIT_MS))
                m_stop_state.store(STOP_DONE);
        } else {
            m_stop_state.store(STOP_DONE);
        }
    }
    if (m_stop_state.load() != STOP_DONE)
        return 1;

    m_stop_state.store(STOP_NONE);
    FreeBuffers();
    if (m_stream_open) {
        const int32_t result = m_stream->Close();
        if (result != MIDI_STREAM_OK)
            OnError(result);
        m_stream_open = false;
    }
    if (!reopen)
        return 1;
    // The file is rewound before the stream is refilled, so a replay starts
    // from the beginning instead of from the end of the last run.
    if (!m_loop.load())
        m_sequence.Rewind();
    return OpenStream() ? 1 : 0;
}

void CMidiPlayer::FreeBuffers()
{
    for (MidiStreamBuffer& buffer : m_buffers) {
        buffer.data.clear();
        buffer.data.shrink_to_fit();
        buffer.header = {};
        buffer.bytes_recorded = 0;
    }
}

void CMidiPlayer::Pause()
{
    if (m_playing.load() && !m_paused.load() && m_sequence.IsLoaded() && m_stream_open) {
        const int32_t result = m_stream->Pause();
        if (result != MIDI_STREAM_OK) {
            OnError(result);
            return;
        }
        m_paused.store(true);
    }
}

void CMidiPlayer::Resume()
{
    if (m_paused.load() && m_playing.load() && m_stream_open) {
        const int32_t result = m_stream->Restart();
        if (result != MIDI_STREAM_OK) {
            OnError(result);
            return;
        }
        m_paused.store(false);
    }
}

void CMidiPlayer::OnStreamMessage(MidiStreamMessage message, MidiHeader* header)
{
    switch (message) {
    case MidiStreamMessage::Open:
        OnOpen();
        break;
    case MidiStreamMessage::Close:
        OnClose();
        break;
    case MidiStreamMessage::Done:
        OnDone(header);
        break;
    case MidiStreamMessage::PositionCallback:
        if (header != nullptr && uint64_t { header->offset } + MIDI_EVENT_BYTES <= header->bytes_recorded)
            OnPositionCB(header, header->data + header->offset);
        break;
    }
}

void CMidiPlayer::OnDone(MidiHeader* header)
{
    (void)header;
    if (m_stop_state.load() == STOP_DONE)
        return;
    m_free_buffers.fetch_add(1);

    if (m_stop_state.load() == STOP_NONE) {
        MidiStreamBuffer& buffer = m_buffers[m_current_buffer];
        m_sequence.AddStreamPosition(buffer.bytes_recorded);
        if (m_playing.load() && m_free_buffers.load() > 0) {
            buffer.start_offset = 0;
            buffer.capacity = MIDI_BUFFER_BYTES;
            buffer.first_tick = 0;
            buffer.bytes_recorded = 0;
            buffer.over = false;
            const auto ended_empty = [&] {
                return buffer.bytes_recorded == 0 && (m_sequence.GetStatus() & CMidiSequence::STATUS_DONE) != 0;
            };
            int32_t result = m_sequence.ConvertToBuffer(false, buffer);
            // Only skipped events were left: a looping song starts again at
            // once instead of ending on an empty buffer.
            if (result == MIDI_CONVERT_OK && ended_empty() && m_loop.load())
                result = m_sequence.ConvertToBuffer(false, buffer);
            const bool nothing_left = ended_empty();
            if (result == MIDI_CONVERT_OK && !nothing_left) {
                if (SendBuffer(buffer)) {
                    m_current_buffer = (m_current_buffer + 1) % BUFFER_COUNT;
                    m_free_buffers.fetch_sub(1);
                }
            } else {
                // The end of the file, or a damaged track: the song ends here
                // rather than waiting for buffers that will never come.
                m_stop_state.store(STOP_FILE_ENDED);
            }
        }
    }

    const uint32_t state = m_stop_state.load();
    if ((state == STOP_ASKED || state == STOP_FILE_ENDED) && m_free_buffers.load() >= BUFFER_COUNT) {
        m_stop_state.store(STOP_DONE);
        if (state == STOP_FILE_ENDED) {
            // The reopen is left to the next Play or Stop on the UI thread.
            m_playing.store(false);
            m_paused.store(false);
        }
        m_wake.Set();
    }
}

void CMidiPlayer::OnPositionCB(MidiHeader* header, const uint8_t* event)
{
    (void)header;
    const uint32_t word = ReadStreamWord(event + 8);
    const auto status = static_cast<uint8_t>(word);
    const auto controller = static_cast<uint8_t>(word >> 8);
    const auto value = static_cast<uint8_t>(word >> 16);
    if ((status & 0xF0) != 0xB0 || controller != CONTROLLER_VOLUME)
        return;
    const uint32_t channel = status & 0x0F;
    const uint32_t percent = std::min<uint32_t>(value, 127) * 100 / 127;
    m_channel_volumes[channel].store(percent);
    if (m_owner != platform::WindowHandle::None && platform::IsWindow(m_owner))
        platform::PostMessage(m_owner, UM_MIDI_VOLUME, reinterpret_cast<uintptr_t>(this),
                              static_cast<intptr_t>(channel | percent << 16));
}

} // namespace engine
