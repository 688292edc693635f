#pragma once
// GBK text helpers: conversion to and from UTF-8 at the edges of the program
// (files names, fonts, clipboard, terminal) and the GBK two-byte rule.
//
// Owner: none (free functions).
// Threads: all functions may be called from any thread (each conversion opens
// its own iconv descriptor).
// Hazards: narrow text inside the program is GBK; never hand it to the OS or a
// UTF-8 library without converting. Conversions refuse input they cannot
// convert completely (std::nullopt) instead of guessing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// True for a byte that starts a two-byte GBK character (0x81 to 0xFE).
[[nodiscard]] constexpr bool IsGbkLeadByte(uint8_t byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}
[[nodiscard]] constexpr bool IsGbkLeadByte(char byte)
{
    return IsGbkLeadByte(static_cast<uint8_t>(byte));
}

// True for a byte that may follow a lead byte (0x40 to 0xFE, except 0x7F).
[[nodiscard]] constexpr bool IsGbkTrailByte(char byte)
{
    const auto value = static_cast<uint8_t>(byte);
    return value >= 0x40 && value <= 0xFE && value != 0x7F;
}

// GBK -> UTF-8. std::nullopt when the text holds a byte sequence that is not GBK.
[[nodiscard]] std::optional<std::string> GbkToUtf8(std::string_view gbk);
// UTF-8 -> GBK. std::nullopt for invalid UTF-8 or a character GBK lacks.
[[nodiscard]] std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// The longest length <= max_bytes at which `text` can be cut without splitting
// a two-byte character. A lead byte whose trail byte lies beyond the cut is left out.
[[nodiscard]] size_t GbkCutLength(std::string_view text, size_t max_bytes);
// `text` cut to at most max_bytes bytes without splitting a two-byte character.
[[nodiscard]] std::string CutGbkText(std::string_view text, size_t max_bytes);

// 'A'..'Z' to 'a'..'z'; every other byte as it is.
[[nodiscard]] constexpr char AsciiToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII-only case folding, safe on GBK text: the trail byte of a two-byte
// character may fall in 'A'..'Z' and is left alone.
[[nodiscard]] std::string GbkToLowerAscii(std::string_view text);
// Case-insensitive (ASCII letters only) equality of two GBK texts.
[[nodiscard]] bool GbkEqualsNoCase(std::string_view a, std::string_view b);

} // namespace platform
