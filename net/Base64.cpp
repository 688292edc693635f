#include "net/Base64.h"

#include <array>

namespace net {

namespace {

constexpr char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t INVALID = 0xFF;
constexpr size_t LINE_LENGTH = 72;

std::array<uint8_t, 256> BuildDecodeTable()
{
    std::array<uint8_t, 256> table {};
    table.fill(INVALID);
    for (uint8_t i = 0; i < 64; ++i)
        table[uint8_t(ALPHABET[i])] = i;
    return table;
}

} // namespace

std::string CBase64::Encode(std::span<const uint8_t> bytes, LineBreaks breaks)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4 + bytes.size() / 36);
    size_t line = 0;
    auto put = [&](char c) {
        if (breaks == LineBreaks::Every72 && line == LINE_LENGTH) {
            text += "\r\n";
            line = 0;
        }
        text += c;
        ++line;
    };
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        put(ALPHABET[(group >> 18) & 63]);
        put(ALPHABET[(group >> 12) & 63]);
        put(ALPHABET[(group >> 6) & 63]);
        put(ALPHABET[group & 63]);
    }
    const size_t rest = bytes.size() - i;
    if (rest) {
        const uint32_t group = uint32_t(bytes[i]) << 16 | (rest == 2 ? uint32_t(bytes[i + 1]) << 8 : 0);
        put(ALPHABET[(group >> 18) & 63]);
        put(ALPHABET[(group >> 12) & 63]);
        put(rest == 2 ? ALPHABET[(group >> 6) & 63] : '=');
        put('=');
    }
    return text;
}

std::string CBase64::Encode(std::string_view text, LineBreaks breaks)
{
    return Encode(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), breaks);
}

std::vector<uint8_t> CBase64::Decode(std::string_view text)
{
    static const std::array<uint8_t, 256> s_table = BuildDecodeTable();
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 3 / 4);
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const uint8_t value = s_table[uint8_t(c)];
        if (value == INVALID)
            continue;
        bits = (bits << 6) | value;
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(uint8_t(bits >> count));
        }
    }
    return bytes;
}

} // namespace net
