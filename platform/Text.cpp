#include "platform/Text.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

// One complete conversion with a fresh descriptor; any invalid or
// unconvertible sequence refuses the whole text.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string output;
    output.resize(input.size() * 2 + 16);
    char* in_ptr = const_cast<char*>(input.data());
    size_t in_left = input.size();
    size_t used = 0;
    bool ok = true;
    while (in_left > 0) {
        char* out_ptr = output.data() + used;
        size_t out_left = output.size() - used;
        const size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
        used = output.size() - out_left;
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            ok = false; // EILSEQ or EINVAL (truncated sequence)
            break;
        }
        if (rc != 0) {
            ok = false; // irreversible (approximated) conversions are refused too
            break;
        }
    }
    if (ok) {
        // Flush any shift state (none for these charsets, but be complete).
        char* out_ptr = output.data() + used;
        size_t out_left = output.size() - used;
        if (iconv(cd, nullptr, nullptr, &out_ptr, &out_left) == static_cast<size_t>(-1))
            ok = false;
        used = output.size() - out_left;
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    output.resize(used);
    return output;
}

} // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk)
{
    return Convert("UTF-8", "GBK", gbk);
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8)
{
    return Convert("GBK", "UTF-8", utf8);
}

size_t GbkCutLength(std::string_view text, size_t max_bytes)
{
    if (max_bytes >= text.size())
        max_bytes = text.size();
    size_t pos = 0;
    while (pos < max_bytes) {
        const size_t width = IsGbkLeadByte(text[pos]) ? 2 : 1;
        if (pos + width > max_bytes)
            break;
        pos += width;
    }
    return pos;
}

std::string CutGbkText(std::string_view text, size_t max_bytes)
{
    return std::string(text.substr(0, GbkCutLength(text, max_bytes)));
}

std::string GbkToLowerAscii(std::string_view text)
{
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsGbkLeadByte(out[i]) && i + 1 < out.size()) {
            ++i; // the trail byte belongs to the character
            continue;
        }
        out[i] = AsciiToLower(out[i]);
    }
    return out;
}

bool GbkEqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    return GbkToLowerAscii(a) == GbkToLowerAscii(b);
}

} // namespace platform
