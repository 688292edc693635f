#pragma once
// Builds small Standard MIDI Files for tests, and a sink that records what a
// MIDI stream plays with its stream times.

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "engine/media/IMidiSink.h"

namespace test_support {

class CMidiTrackWriter {
public:
    CMidiTrackWriter& Delta(uint32_t ticks)
    {
        uint8_t bytes[5];
        int count = 0;
        bytes[count++] = ticks & 0x7F;
        while ((ticks >>= 7) != 0)
            bytes[count++] = static_cast<uint8_t>(0x80 | (ticks & 0x7F));
        while (count > 0)
            m_bytes.push_back(bytes[--count]);
        return *this;
    }
    CMidiTrackWriter& Bytes(std::initializer_list<uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    CMidiTrackWriter& Tempo(uint32_t delta, uint32_t tempo)
    {
        Delta(delta);
        return Bytes({ 0xFF, 0x51, 0x03, uint8_t(tempo >> 16), uint8_t(tempo >> 8), uint8_t(tempo) });
    }
    CMidiTrackWriter& Event(uint32_t delta, std::initializer_list<uint8_t> bytes)
    {
        Delta(delta);
        return Bytes(bytes);
    }
    CMidiTrackWriter& End(uint32_t delta = 0)
    {
        Delta(delta);
        return Bytes({ 0xFF, 0x2F, 0x00 });
    }
    [[nodiscard]] const std::vector<uint8_t>& Get() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

inline void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline std::vector<uint8_t> MakeMidiFile(uint16_t format, uint16_t division,
                                         const std::vector<CMidiTrackWriter>& tracks)
{
    std::vector<uint8_t> file = { 'M', 'T', 'h', 'd' };
    PutBigEndian(file, 6, 4);
    PutBigEndian(file, format, 2);
    PutBigEndian(file, static_cast<uint32_t>(tracks.size()), 2);
    PutBigEndian(file, division, 2);
    for (const auto& track : tracks) {
        file.insert(file.end(), { 'M', 'T', 'r', 'k' });
        PutBigEndian(file, static_cast<uint32_t>(track.Get().size()), 4);
        file.insert(file.end(), track.Get().begin(), track.Get().end());
    }
    return file;
}

struct RecordedMidi {
    uint32_t message;
    uint64_t time_us;
    bool operator==(const RecordedMidi&) const = default;
};

class CRecordingMidiSink final : public engine::IMidiSink {
public:
    void ShortMessage(uint32_t message, uint64_t stream_time_us) override
    {
        const std::lock_guard lock(m_mutex);
        m_played.push_back({ message, stream_time_us });
    }
    void SilenceAll() override
    {
        const std::lock_guard lock(m_mutex);
        ++m_silenced;
    }
    void SetVolume(float volume) override { m_volume = volume; }

    std::vector<RecordedMidi> Played()
    {
        const std::lock_guard lock(m_mutex);
        return m_played;
    }
    void Clear()
    {
        const std::lock_guard lock(m_mutex);
        m_played.clear();
    }

private:
    std::mutex m_mutex;
    std::vector<RecordedMidi> m_played;
    int m_silenced { 0 };
    float m_volume { 1.0f };
};

} // namespace test_support
