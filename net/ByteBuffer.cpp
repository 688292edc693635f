#include "net/ByteBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace net {

namespace {

// Refuses requests that could never be held, so rounding cannot overflow.
constexpr size_t MAX_CAPACITY = std::numeric_limits<size_t>::max() / 2;

} // namespace

CByteBuffer::CByteBuffer(CByteBuffer&& other) noexcept
    : m_block(std::move(other.m_block))
    , m_size(std::exchange(other.m_size, 0))
    , m_capacity(std::exchange(other.m_capacity, 0))
{
}

CByteBuffer& CByteBuffer::operator=(CByteBuffer&& other) noexcept
{
    if (this != &other) {
        m_block = std::move(other.m_block);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

void CByteBuffer::Reset()
{
    m_size = 0;
    Reserve(CAPACITY_UNIT);
}

bool CByteBuffer::Reserve(size_t n)
{
    if (n <= m_capacity)
        return true;
    if (n > MAX_CAPACITY)
        return false;
    const size_t capacity = (n + CAPACITY_UNIT - 1) / CAPACITY_UNIT * CAPACITY_UNIT;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[capacity]);
    if (!block)
        return false;
    if (m_size)
        std::memcpy(block.get(), m_block.get(), m_size);
    m_block = std::move(block);
    m_capacity = capacity;
    return true;
}

bool CByteBuffer::Grow(size_t n)
{
    if (n > m_size && n > m_capacity)
        return Reserve(n);
    return true;
}

bool CByteBuffer::Resize(size_t n)
{
    if (!Reserve(n))
        return false;
    if (n > m_size)
        std::memset(m_block.get() + m_size, 0, n - m_size);
    m_size = n;
    return true;
}

bool CByteBuffer::GrowFor(size_t n)
{
    if (n > MAX_CAPACITY - m_size)
        return false;
    // At least double a block that must grow, so that a long run of appends
    // copies each byte a bounded number of times.
    const size_t needed = m_size + n;
    return needed <= m_capacity || Reserve(std::max(needed, std::min(2 * m_capacity, MAX_CAPACITY)));
}

size_t CByteBuffer::Append(const void* bytes, size_t n)
{
    if (n == 0 || !GrowFor(n))
        return 0;
    std::memcpy(m_block.get() + m_size, bytes, n);
    m_size += n;
    return n;
}

size_t CByteBuffer::Insert(const void* bytes, size_t n)
{
    if (n == 0 || !GrowFor(n))
        return 0;
    std::memmove(m_block.get() + n, m_block.get(), m_size);
    std::memcpy(m_block.get(), bytes, n);
    m_size += n;
    return n;
}

size_t CByteBuffer::Read(void* target, size_t n)
{
    if (n > m_capacity)
        return 0;
    if (n > m_size)
        n = m_size;
    if (n == 0)
        return 0;
    if (target)
        std::memcpy(target, m_block.get(), n);
    std::memmove(m_block.get(), m_block.get() + n, m_size - n);
    m_size -= n;
    return n;
}

size_t CByteBuffer::Discard(size_t n) { return Read(nullptr, n); }

uint8_t* CByteBuffer::GetAt(size_t offset) { return m_block ? m_block.get() + offset : nullptr; }

const uint8_t* CByteBuffer::GetAt(size_t offset) const { return m_block ? m_block.get() + offset : nullptr; }

} // namespace net
