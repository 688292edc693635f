#pragma once
// Small text helpers of the engine: GBK-safe lower-casing, atoi, quote
// stripping, comma splitting and the duration text.
//
// Owner: engine/core. Pure functions, any thread. Text is GBK bytes: a byte of
// 0x80 or above starts a two-byte character whose trail byte is never touched.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

/// Lower-cases A..Z in place, stepping over two-byte characters.
void LowerAsciiGbkSafe(std::string& text);
/// The decimal value of the text's leading digits, as atoi gives it
/// (saturated at the int32 limits instead of overflowing).
[[nodiscard]] int32_t ParseInt(std::string_view text);
/// The text between the first and last double quote when they differ,
/// otherwise the text itself.
[[nodiscard]] std::string StripQuotes(std::string_view text);
/// Appends the comma-separated pieces of text to list; an empty piece between
/// two commas is kept, a trailing comma adds nothing. Returns the list size.
size_t SplitString(std::string_view text, std::vector<std::string>& list);
/// "mm:ss" up to one hour inclusive (minutes unbounded, so 60:00 at one hour),
/// "hh:mm:ss" above.
[[nodiscard]] std::string FormatDuration(uint32_t milliseconds);

} // namespace engine
