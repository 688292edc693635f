#include "platform/Ini.h"

#include <cstdio>
#include <mutex>
#include <utility>
#include <unistd.h>

#include "platform/Path.h"
#include "platform/Random.h"
#include "platform/Text.h"

namespace platform {

namespace {

// A file larger than this is not a settings file; it reads as missing.
constexpr size_t MAX_INI_BYTES = 16u * 1024u * 1024u;

std::mutex s_ini_mutex;

struct IniLine {
    std::string_view text; // without its line end
    std::string_view end;  // "\r\n", "\n", "\r" or "" for the last line
};

enum class LineKind { Blank, Comment, Section, Entry };

struct ParsedLine {
    LineKind kind { LineKind::Blank };
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // entry value, trimmed, quotes removed
};

using ini::IsBlank;

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view StripQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::vector<IniLine> SplitLines(std::string_view text)
{
    // A UTF-8 byte order mark is skipped; the files are GBK, but editors add it.
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<IniLine> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        size_t next = end;
        if (next < text.size()) {
            if (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n')
                next += 2;
            else
                next += 1;
        }
        lines.push_back({ text.substr(pos, end - pos), text.substr(end, next - end) });
        pos = next;
    }
    return lines;
}

ParsedLine ParseLine(std::string_view line)
{
    ParsedLine parsed;
    const std::string_view text = Trim(line);
    if (text.empty())
        return parsed;
    if (text.front() == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (text.front() == '[') {
        parsed.kind = LineKind::Section;
        std::string_view inner = text.substr(1);
        const size_t close = inner.rfind(']');
        if (close != std::string_view::npos)
            inner = inner.substr(0, close);
        parsed.name = Trim(inner);
        return parsed;
    }
    parsed.kind = LineKind::Entry;
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        parsed.name = text;
        return parsed;
    }
    parsed.name = Trim(text.substr(0, equals));
    parsed.value = StripQuotes(Trim(text.substr(equals + 1)));
    return parsed;
}

std::string_view DetectLineEnd(const std::vector<IniLine>& lines)
{
    for (const IniLine& line : lines) {
        if (!line.end.empty())
            return line.end;
    }
    return "\r\n";
}

// Index range [first, last) of the body of the first section named `section`,
// and the header index; std::nullopt when absent.
struct SectionRange {
    size_t header;
    size_t first;
    size_t last;
};

std::optional<SectionRange> FindSection(const std::vector<IniLine>& lines, std::string_view section)
{
    section = Trim(section);
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = ParseLine(lines[i].text);
        if (parsed.kind != LineKind::Section || !GbkEqualsNoCase(parsed.name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && ParseLine(lines[end].text).kind != LineKind::Section)
            ++end;
        return SectionRange { i, i + 1, end };
    }
    return std::nullopt;
}

std::string Join(const std::vector<IniLine>& lines)
{
    std::string out;
    for (const IniLine& line : lines) {
        out += line.text;
        out += line.end;
    }
    return out;
}

bool IsSafeValue(std::string_view value)
{
    for (char c : value) {
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
    }
    return true;
}

// Replaces the file through a temporary file in the same folder and a rename.
bool ReplaceWholeFile(const std::string& os_path, std::string_view text)
{
    uint8_t salt[6] = {};
    (void)GetRandomBytes(salt);
    std::string temp = os_path + ".tmp";
    for (uint8_t byte : salt)
        temp += "0123456789abcdef"[byte & 0x0F];
    FileHandle file = OpenOsFile(temp, "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    ok = CloseFile(std::move(file)) && ok;
    if (ok)
        ok = std::rename(temp.c_str(), os_path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

// The whole file as text; std::nullopt when missing, unreadable or oversized.
std::optional<std::string> ReadIniFile(std::string_view path)
{
    const std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path, MAX_INI_BYTES);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

// ReadIniFile under the lock that orders readers after whole writes.
std::optional<std::string> ReadIniFileLocked(std::string_view path)
{
    std::lock_guard lock(s_ini_mutex);
    return ReadIniFile(path);
}

// Reads, edits and writes a file under the lock. A missing file starts empty.
template <typename Edit>
bool EditIniFile(std::string_view path, Edit edit)
{
    std::lock_guard lock(s_ini_mutex);
    const std::optional<std::string> os = ResolveOsPath(path);
    if (!os)
        return false;
    std::string old_text;
    if (PathExists(path)) {
        std::optional<std::string> text = ReadIniFile(path);
        if (!text)
            return false; // unreadable or oversized: never overwrite what we could not read
        old_text = std::move(*text);
    }
    const std::string new_text = edit(old_text);
    if (new_text == old_text)
        return true;
    return ReplaceWholeFile(*os, new_text);
}

} // namespace

namespace ini {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A name that would not read back as written is refused: line breaks, a NUL,
// '=' in a key, ']' in a section, and a key that would read as a comment or a
// section header.
bool IsWritableName(std::string_view name, IniName kind)
{
    const bool is_section = kind == IniName::Section;
    const std::string_view trimmed = Trim(name);
    if (trimmed.empty())
        return false;
    if (!is_section && (trimmed.front() == ';' || trimmed.front() == '['))
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (IsGbkLeadByte(c) && i + 1 < name.size() && IsGbkTrailByte(name[i + 1])) {
            ++i; // a trail byte may be ']' (0x5D) and is part of the character
            continue;
        }
        if (c == '\r' || c == '\n' || c == '\0' || (!is_section && c == '=') || (is_section && c == ']'))
            return false;
    }
    return true;
}

std::optional<std::string> FindValue(std::string_view text, std::string_view section, std::string_view key)
{
    const std::vector<IniLine> lines = SplitLines(text);
    const std::optional<SectionRange> range = FindSection(lines, section);
    if (!range)
        return std::nullopt;
    for (size_t i = range->first; i < range->last; ++i) {
        const ParsedLine parsed = ParseLine(lines[i].text);
        if (parsed.kind == LineKind::Entry && GbkEqualsNoCase(parsed.name, Trim(key)))
            return std::string(parsed.value);
    }
    return std::nullopt;
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::optional<std::string_view> value)
{
    std::vector<IniLine> lines = SplitLines(text);
    const std::string_view eol = DetectLineEnd(lines);
    std::string new_line; // must outlive `lines`, which may point into it
    if (value)
        new_line = std::string(Trim(key)) + "=" + std::string(*value);

    const std::optional<SectionRange> range = FindSection(lines, section);
    if (!range) {
        if (!value)
            return Join(lines);
        std::string out = Join(lines);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += eol;
        out += "[";
        out += Trim(section);
        out += "]";
        out += eol;
        out += new_line;
        out += eol;
        return out;
    }
    for (size_t i = range->first; i < range->last; ++i) {
        const ParsedLine parsed = ParseLine(lines[i].text);
        if (parsed.kind != LineKind::Entry || !GbkEqualsNoCase(parsed.name, Trim(key)))
            continue;
        if (value) {
            // Keep the key as the file spells it.
            new_line = std::string(parsed.name) + "=" + std::string(*value);
            lines[i].text = new_line;
        } else {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return Join(lines);
    }
    if (!value)
        return Join(lines);
    // A new key goes after the last non-blank line of the section.
    size_t insert_at = range->last;
    while (insert_at > range->first && Trim(lines[insert_at - 1].text).empty())
        --insert_at;
    if (insert_at > 0 && lines[insert_at - 1].end.empty())
        lines[insert_at - 1].end = eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert_at), IniLine { new_line, eol });
    return Join(lines);
}

std::string RemoveSection(std::string_view text, std::string_view section)
{
    std::vector<IniLine> lines = SplitLines(text);
    const std::optional<SectionRange> range = FindSection(lines, section);
    if (!range)
        return Join(lines);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                lines.begin() + static_cast<std::ptrdiff_t>(range->last));
    return Join(lines);
}

std::vector<std::string> ListKeys(std::string_view text, std::string_view section)
{
    std::vector<std::string> keys;
    const std::vector<IniLine> lines = SplitLines(text);
    const std::optional<SectionRange> range = FindSection(lines, section);
    if (!range)
        return keys;
    for (size_t i = range->first; i < range->last; ++i) {
        const ParsedLine parsed = ParseLine(lines[i].text);
        if (parsed.kind == LineKind::Entry && !parsed.name.empty())
            keys.emplace_back(parsed.name);
    }
    return keys;
}

int ParseInt(std::string_view value, int default_value)
{
    value = Trim(value);
    if (value.empty())
        return default_value;
    bool negative = false;
    if (value.front() == '-' || value.front() == '+') {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    uint32_t result = 0; // wraps like a 32-bit parse instead of overflowing
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        for (char c : value.substr(2)) {
            uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<uint32_t>(c - 'A' + 10);
            else
                break;
            result = result * 16u + digit;
        }
    } else {
        for (char c : value) {
            if (c < '0' || c > '9')
                break;
            result = result * 10u + static_cast<uint32_t>(c - '0');
        }
    }
    if (negative)
        result = 0u - result;
    return static_cast<int>(result);
}

} // namespace ini

std::string GetProfileString(std::string_view section, std::string_view key, std::string_view default_value,
                             std::string_view path)
{
    const std::optional<std::string> text = ReadIniFileLocked(path);
    if (text) {
        if (std::optional<std::string> value = ini::FindValue(*text, section, key))
            return *value;
    }
    while (!default_value.empty() && (default_value.back() == ' ' || default_value.back() == '\t'))
        default_value.remove_suffix(1);
    return std::string(default_value);
}

int GetProfileInt(std::string_view section, std::string_view key, int default_value, std::string_view path)
{
    const std::optional<std::string> text = ReadIniFileLocked(path);
    if (!text)
        return default_value;
    const std::optional<std::string> value = ini::FindValue(*text, section, key);
    if (!value)
        return default_value;
    return ini::ParseInt(*value, default_value);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::optional<std::string_view> value,
                        std::string_view path)
{
    if (!ini::IsWritableName(section, ini::IniName::Section) || !ini::IsWritableName(key, ini::IniName::Key) || (value && !IsSafeValue(*value)))
        return false;
    return EditIniFile(path, [&](const std::string& text) { return ini::SetValue(text, section, key, value); });
}

bool DeleteProfileSection(std::string_view section, std::string_view path)
{
    if (!ini::IsWritableName(section, ini::IniName::Section))
        return false;
    if (!FindExistingPath(path))
        return true;
    return EditIniFile(path, [&](const std::string& text) { return ini::RemoveSection(text, section); });
}

std::vector<std::string> GetProfileKeys(std::string_view section, std::string_view path)
{
    const std::optional<std::string> text = ReadIniFileLocked(path);
    if (!text)
        return {};
    return ini::ListKeys(*text, section);
}

} // namespace platform
