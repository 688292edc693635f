// CBase64: standard Base64 (alphabet A-Z a-z 0-9 + /, "=" padding), used for
// the HTTP proxy's Basic credentials.
// Owner: any caller; the decode table is built once per process.
// Any thread (no mutable state).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace net {

class CBase64 {
public:
    enum class LineBreaks { None, Every72 };

    /// Encodes the bytes; with Every72 a "\r\n" follows each full line of 72
    /// characters that more text follows. Empty input gives empty text.
    [[nodiscard]] static std::string Encode(std::span<const uint8_t> bytes, LineBreaks breaks = LineBreaks::None);
    [[nodiscard]] static std::string Encode(std::string_view text, LineBreaks breaks = LineBreaks::None);

    /// Decodes: characters outside the alphabet are skipped; "=" or the end
    /// of the input ends the data; trailing bits that make no whole byte are dropped.
    [[nodiscard]] static std::vector<uint8_t> Decode(std::string_view text);
};

} // namespace net
