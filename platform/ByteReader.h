#pragma once
// CByteReader: little-endian reads over untrusted bytes. A read past the end
// sets a sticky failure and answers 0 (or an empty span), so a record's
// fields are read one after another and Ok() is checked once, before any
// value is used. Wanted() keeps counting what the reads asked for, so a
// refusal can say how long the record should have been.
//
// Owner: a stack object over the caller's span, which must outlive it.
// Thread: any (one reader per thread).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/ByteOrder.h"

namespace platform {

class CByteReader {
public:
    explicit CByteReader(std::span<const uint8_t> data) : m_data(data) { }

    uint8_t ReadU8()
    {
        const auto bytes = ReadBytes(1);
        return bytes.empty() ? 0 : bytes[0];
    }
    uint16_t ReadU16()
    {
        const auto bytes = ReadBytes(2);
        return bytes.empty() ? 0 : LoadU16LE(bytes.data());
    }
    uint32_t ReadU32()
    {
        const auto bytes = ReadBytes(4);
        return bytes.empty() ? 0 : LoadU32LE(bytes.data());
    }
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    uint64_t ReadU64()
    {
        const uint64_t low = ReadU32();
        return low | static_cast<uint64_t>(ReadU32()) << 32;
    }
    /// The next N words, as ReadI32 reads them one after another.
    template <size_t N>
    std::array<int32_t, N> ReadWords()
    {
        std::array<int32_t, N> words {};
        for (int32_t& word : words)
            word = ReadI32();
        return words;
    }
    /// The next n bytes; empty (and failed) when fewer are left.
    std::span<const uint8_t> ReadBytes(size_t n)
    {
        m_wanted = n > SIZE_MAX - m_wanted ? SIZE_MAX : m_wanted + n;
        if (!m_ok || n > Remaining()) {
            m_ok = false;
            return {};
        }
        const auto bytes = m_data.subspan(m_position, n);
        m_position += n;
        return bytes;
    }

    void Skip(size_t n) { (void)ReadBytes(n); }
    /// The rest of the bytes (empty once failed).
    std::span<const uint8_t> ReadRest() { return ReadBytes(m_ok ? Remaining() : 0); }

    [[nodiscard]] bool Ok() const { return m_ok; }
    [[nodiscard]] size_t Remaining() const { return m_data.size() - m_position; }
    [[nodiscard]] size_t Size() const { return m_data.size(); }
    /// The bytes every read so far asked for, failed ones included: the
    /// shortest input these reads would have taken whole.
    [[nodiscard]] size_t Wanted() const { return m_wanted; }

private:
    std::span<const uint8_t> m_data;
    size_t m_position { 0 };
    size_t m_wanted { 0 };
    bool m_ok { true };
};

} // namespace platform
