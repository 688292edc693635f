// Builds little-endian record bytes by hand for the client's tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace client_test {

class BodyBuilder {
public:
    explicit BodyBuilder(size_t size) : m_bytes(size, 0) { }

    BodyBuilder& Word(size_t index, int32_t value) { return WordAtByte(index * 4, value); }
    BodyBuilder& WordAtByte(size_t offset, int32_t value)
    {
        const auto bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            m_bytes.at(offset + i) = static_cast<uint8_t>(bits >> (8 * i));
        return *this;
    }
    BodyBuilder& Text(size_t offset, std::string_view text)
    {
        for (size_t i = 0; i < text.size(); ++i)
            m_bytes.at(offset + i) = static_cast<uint8_t>(text[i]);
        return *this;
    }
    std::vector<uint8_t>& Bytes() { return m_bytes; }
    std::span<const uint8_t> Span() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

} // namespace client_test
