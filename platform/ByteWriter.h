#pragma once
// CByteWriter: little-endian writes into a caller's buffer, the counterpart
// of CByteReader. The buffer is sized by the writer's caller from the
// record's known size, so writing past it is our own bug: the check stays on
// in every build and ends the program with a message rather than writing
// outside the buffer or sending a cut record.
//
// Owner: a stack object over the caller's span, which must outlive it.
// Thread: any (one writer per thread).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "platform/ByteOrder.h"

namespace platform {

/// Reports a write past a writer's capacity and ends the program.
[[noreturn]] void FailByteWriterCapacity(size_t position, size_t size, size_t capacity);

class CByteWriter {
public:
    explicit CByteWriter(std::span<uint8_t> out) : m_out(out) { }

    void WriteU8(uint8_t value) { Reserve(1)[0] = value; }
    void WriteU16(uint16_t value) { StoreU16LE(Reserve(2), value); }
    void WriteU32(uint32_t value) { StoreU32LE(Reserve(4), value); }
    void WriteI32(int32_t value) { WriteU32(static_cast<uint32_t>(value)); }
    void WriteU64(uint64_t value)
    {
        WriteU32(static_cast<uint32_t>(value));
        WriteU32(static_cast<uint32_t>(value >> 32));
    }
    void WriteBytes(std::span<const uint8_t> bytes)
    {
        uint8_t* at = Reserve(bytes.size());
        if (!bytes.empty())
            std::memcpy(at, bytes.data(), bytes.size());
    }

    [[nodiscard]] size_t Written() const { return m_position; }
    [[nodiscard]] size_t Remaining() const { return m_out.size() - m_position; }

private:
    uint8_t* Reserve(size_t n)
    {
        if (n > Remaining())
            FailByteWriterCapacity(m_position, n, m_out.size());
        uint8_t* at = m_out.data() + m_position;
        m_position += n;
        return at;
    }

    std::span<uint8_t> m_out;
    size_t m_position { 0 };
};

} // namespace platform
