// Small text functions of the client framework: colour texts, wealth titles,
// the '|' splitter of the hall's texts, blank trimming and debug output.
// Owner: none (free functions, no state). Any thread.
// Hazards: texts are GBK bytes; SplitBar writes into the caller's text.
#pragma once

#include <cstdint>
#include <string>

namespace client {

/// A colour as the client stores it: 0x00BBGGRR.
using ColorRef = uint32_t;

[[nodiscard]] constexpr ColorRef MakeRgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return ColorRef(red) | ColorRef(green) << 8 | ColorRef(blue) << 16;
}

/// "r g b" (blank-separated decimal numbers, each taken modulo 256) as a
/// colour; an empty text gives `default_color`, a text without blanks gives
/// its number for all three channels.
[[nodiscard]] ColorRef ParseRgbText(const std::string& text, ColorRef default_color);

/// The title of a silver amount ("负债" below 0, "待业" up to 99, then one
/// title per doubling from 100 up to "世界首富" from 26214400 on).
[[nodiscard]] const char* GetWealthTitle(int64_t silver);

/// Splits `text` in place at every '|': each field's start is stored in
/// `fields` and the '|' that ends it becomes a zero. When `maximum` fields are
/// taken while text remains, `*rest` (when given) receives the position after
/// the last field's '|' and splitting stops; otherwise `*rest` is null. A null
/// text or a maximum below 1 gives 0 fields; an empty text one empty field; a
/// trailing '|' a last empty field. `fields` holds `maximum` entries.
int SplitBar(char* text, char** fields, int maximum, char** rest);

/// Removes the space characters (only ' ') at both ends of `text`.
void TrimSpaces(std::string& text);

/// Appends a query to a web address: nothing for an empty query, else "&"
/// when the address already holds a '?', otherwise "?", then the query.
[[nodiscard]] std::string AppendUrlQuery(const std::string& url, const std::string& query);

/// The decimal text of a value.
[[nodiscard]] std::string IntToString(int32_t value);

/// printf-style text formatted into a string of whatever length it needs.
[[nodiscard]] std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// The formatted text as one line of the client's log (net::LogPrintf); cut
/// at 4095 bytes. Nothing goes to the terminal.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace client
