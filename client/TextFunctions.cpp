#include "client/TextFunctions.h"

#include "net/NetLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace client {

namespace {

/// The leading integer of a text as atoi reads it (blanks, sign, digits);
/// digits past 2^40 are ignored instead of overflowing; 0 when no number
/// starts the text.
int64_t LeadingInteger(const std::string& text)
{
    size_t position = text.find_first_not_of(" \t\r\n\v\f");
    if (position == std::string::npos)
        return 0;
    bool negative = false;
    if (text[position] == '+' || text[position] == '-')
        negative = text[position++] == '-';
    int64_t value = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position)
        if (value < (int64_t(1) << 40))
            value = value * 10 + (text[position] - '0');
    return negative ? -value : value;
}

/// The text after its first blank, trimmed; the text itself without a blank.
std::string AfterFirstBlank(const std::string& text)
{
    const size_t blank = text.find(' ');
    if (blank == std::string::npos)
        return text;
    std::string rest = text.substr(blank + 1);
    TrimSpaces(rest);
    return rest;
}

struct WealthStep {
    int64_t minimum;
    const char* title;
};

constexpr WealthStep WEALTH_TITLES[] = {
    { 26214400, "世界首富" }, { 13107200, "超级大富豪" }, { 6553600, "超级富豪" }, { 3276800, "大富豪" },
    { 1638400, "富豪" },      { 819200, "董事长" },       { 409600, "副董事长" }, { 204800, "董事" },
    { 102400, "总裁" },       { 51200, "副总裁" },        { 25600, "总经理" },    { 12800, "副总经理" },
    { 6400, "经理" },         { 3200, "副经理" },         { 1600, "主管" },       { 800, "副主管" },
    { 400, "正式工" },        { 200, "合同工" },          { 100, "临时工" },
};

} // namespace

ColorRef ParseRgbText(const std::string& text, ColorRef default_color)
{
    if (text.empty())
        return default_color;
    const int64_t red = LeadingInteger(text);
    const std::string after_red = AfterFirstBlank(text);
    const int64_t green = LeadingInteger(after_red);
    const int64_t blue = LeadingInteger(AfterFirstBlank(after_red));
    return MakeRgb(static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue));
}

const char* GetWealthTitle(int64_t silver)
{
    if (silver < 0)
        return "负债";
    for (const WealthStep& step : WEALTH_TITLES)
        if (silver >= step.minimum)
            return step.title;
    return "待业";
}

int SplitBar(char* text, char** fields, int maximum, char** rest)
{
    if (rest)
        *rest = nullptr;
    if (!text || maximum < 1)
        return 0;
    int count = 0;
    char* position = text;
    while (true) {
        fields[count++] = position;
        char* bar = std::strchr(position, '|');
        if (!bar)
            break;
        *bar = '\0';
        position = bar + 1;
        if (count == maximum) {
            if (rest)
                *rest = position;
            break;
        }
    }
    return count;
}

void TrimSpaces(std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
}

std::string IntToString(int32_t value) { return std::to_string(value); }

void DebugTrace(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    char line[4096];
    const int length = std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length >= 0)
        net::LogPrintf("%s", line);
}

std::string AppendUrlQuery(const std::string& url, const std::string& query)
{
    if (query.empty())
        return url;
    return url + (url.find('?') != std::string::npos ? "&" : "?") + query;
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

} // namespace client
