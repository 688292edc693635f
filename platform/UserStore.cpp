#include "platform/UserStore.h"

#include "platform/Ini.h"
#include "platform/Path.h"

namespace platform {

namespace {

constexpr std::string_view DEFAULT_VALUE_NAME = "@";

// "A\\b/c\" -> "A/b/c": one spelling of a key path for its section name.
std::optional<std::string> SectionFor(std::string_view key_path)
{
    std::string section = NormalizeSeparators(key_path);
    while (!section.empty() && section.front() == '/')
        section.erase(section.begin());
    while (!section.empty() && section.back() == '/')
        section.pop_back();
    if (section.empty())
        return std::nullopt;
    return section;
}

// The INI reader trims blanks and one pair of surrounding quotes from values;
// such a value is stored inside one more pair of quotes so it reads back whole.
std::string Protect(std::string_view value)
{
    auto needs = [](char c) { return ini::IsBlank(c) || c == '"' || c == '\''; };
    if (value.empty() || !(needs(value.front()) || needs(value.back())))
        return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back('"');
    quoted.append(value);
    quoted.push_back('"');
    return quoted;
}

std::string_view NameFor(std::string_view name)
{
    return name.empty() ? DEFAULT_VALUE_NAME : name;
}

} // namespace

CUserStore::CUserStore(std::string gbk_file)
    : m_file(gbk_file.empty() ? JoinPath(GetUserConfigFolder(), "registry.ini") : std::move(gbk_file))
{
}

bool CUserStore::SetValue(std::string_view key_path, std::string_view name, std::string_view value)
{
    const std::optional<std::string> section = SectionFor(key_path);
    return section && WriteProfileString(*section, NameFor(name), Protect(value), m_file);
}

std::optional<std::string> CUserStore::GetValue(std::string_view key_path, std::string_view name) const
{
    const std::optional<std::string> section = SectionFor(key_path);
    if (!section)
        return std::nullopt;
    // A sentinel no stored value can equal (stored values hold no line breaks).
    constexpr std::string_view MISSING = "\n";
    std::string value = GetProfileString(*section, NameFor(name), MISSING, m_file);
    if (value == MISSING)
        return std::nullopt;
    return value;
}

bool CUserStore::DeleteKey(std::string_view key_path)
{
    const std::optional<std::string> section = SectionFor(key_path);
    return section && DeleteProfileSection(*section, m_file);
}

} // namespace platform
