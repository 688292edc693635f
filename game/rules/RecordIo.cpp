#include "game/rules/RecordIo.h"

#include <cassert>
#include <cstring>

namespace rules {

void CRecordWriter::WriteI32(int32_t value)
{
    assert(m_pos + 4 <= m_out.size());
    const auto bits = static_cast<uint32_t>(value);
    m_out[m_pos + 0] = static_cast<uint8_t>(bits);
    m_out[m_pos + 1] = static_cast<uint8_t>(bits >> 8);
    m_out[m_pos + 2] = static_cast<uint8_t>(bits >> 16);
    m_out[m_pos + 3] = static_cast<uint8_t>(bits >> 24);
    m_pos += 4;
}

void CRecordWriter::WriteI32s(std::span<const int32_t> values)
{
    for (int32_t value : values)
        WriteI32(value);
}

void CRecordWriter::WriteBytes(std::span<const uint8_t> bytes)
{
    assert(m_pos + bytes.size() <= m_out.size());
    if (!bytes.empty())
        std::memcpy(m_out.data() + m_pos, bytes.data(), bytes.size());
    m_pos += bytes.size();
}

void CRecordWriter::WriteText(const char* text, size_t field_size)
{
    WriteBytes({ reinterpret_cast<const uint8_t*>(text), field_size });
}

int32_t CRecordReader::ReadI32()
{
    if (!m_ok || Remaining() < 4) {
        m_ok = false;
        return 0;
    }
    const uint32_t bits = static_cast<uint32_t>(m_in[m_pos]) | (static_cast<uint32_t>(m_in[m_pos + 1]) << 8)
        | (static_cast<uint32_t>(m_in[m_pos + 2]) << 16) | (static_cast<uint32_t>(m_in[m_pos + 3]) << 24);
    m_pos += 4;
    return static_cast<int32_t>(bits);
}

void CRecordReader::ReadI32s(std::span<int32_t> values)
{
    for (int32_t& value : values)
        value = ReadI32();
}

void CRecordReader::ReadText(char* text, size_t field_size)
{
    if (field_size == 0)
        return;
    if (!m_ok || Remaining() < field_size) {
        m_ok = false;
        std::memset(text, 0, field_size);
        return;
    }
    std::memcpy(text, m_in.data() + m_pos, field_size);
    text[field_size - 1] = '\0';
    m_pos += field_size;
}

} // namespace rules
