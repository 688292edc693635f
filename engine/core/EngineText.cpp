#include "engine/core/EngineText.h"

#include <cstdio>
#include <limits>

namespace engine {

void LowerAsciiGbkSafe(std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0)
            break;
        if (c >= 0x80) {
            ++i; // The trail byte belongs to the two-byte character.
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            text[i] = static_cast<char>(c - 'A' + 'a');
    }
}

int32_t ParseInt(std::string_view text)
{
    size_t i = 0;
    auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && is_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1)
            value = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        value = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

std::string StripQuotes(std::string_view text)
{
    const auto first = text.find('"');
    const auto last = text.rfind('"');
    if (first == std::string_view::npos || first == last)
        return std::string(text);
    return std::string(text.substr(first + 1, last - first - 1));
}

size_t SplitString(std::string_view text, std::vector<std::string>& list)
{
    if (text.empty())
        return 0;
    size_t start = 0;
    while (start < text.size()) {
        const auto comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            list.emplace_back(text.substr(start));
            break;
        }
        list.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return list.size();
}

std::string FormatDuration(uint32_t milliseconds)
{
    const uint32_t total_seconds = milliseconds / 1000;
    char buffer[32];
    if (milliseconds <= 3600000u) {
        std::snprintf(buffer, sizeof buffer, "%02u:%02u", total_seconds / 60, total_seconds % 60);
    } else {
        std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u", total_seconds / 3600, (total_seconds / 60) % 60,
                      total_seconds % 60);
    }
    return buffer;
}

} // namespace engine
