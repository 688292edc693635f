#include "game/rules/RecordIo.h"

#include <cassert>
#include <cstring>

#include "platform/ByteOrder.h"

namespace rules {

void CRecordWriter::WriteI32(int32_t value)
{
    assert(m_pos + 4 <= m_out.size());
    platform::StoreU32LE(m_out.data() + m_pos, static_cast<uint32_t>(value));
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

void CRecordReader::ReadI32s(std::span<int32_t> values)
{
    for (int32_t& value : values)
        value = ReadI32();
}

void CRecordReader::ReadText(char* text, size_t field_size)
{
    if (field_size == 0)
        return;
    const std::span<const uint8_t> bytes = m_in.ReadBytes(field_size);
    if (bytes.empty()) {
        std::memset(text, 0, field_size);
        return;
    }
    std::memcpy(text, bytes.data(), field_size);
    text[field_size - 1] = '\0';
}

} // namespace rules
