#include "engine/core/GrowBuffer.h"

#include <algorithm>
#include <cstring>

namespace engine {

size_t CGrowBuffer::Append(std::span<const uint8_t> bytes)
{
    const size_t n = bytes.size();
    // Appends write at the cursor; keep the write inside the capacity even
    // when the cursor was moved back by Seek.
    while (m_length + n >= m_data.size() || m_cursor + n >= m_data.size())
        m_data.resize(m_data.size() * 2, 0);
    if (n > 0)
        std::memcpy(m_data.data() + m_cursor, bytes.data(), n);
    m_cursor += n;
    m_length += n;
    return m_length;
}

const uint8_t* CGrowBuffer::GetAt(size_t offset) const
{
    return offset <= m_length ? m_data.data() + offset : nullptr;
}

void CGrowBuffer::Seek(size_t position)
{
    m_cursor = std::min(position, m_length);
}

void CGrowBuffer::Skip(size_t n)
{
    m_cursor = n > m_length - std::min(m_cursor, m_length) ? m_length : m_cursor + n;
}

void CGrowBuffer::Reset()
{
    m_length = 0;
    m_cursor = 0;
    std::fill(m_data.begin(), m_data.end(), 0);
}

} // namespace engine
