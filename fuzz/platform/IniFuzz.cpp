// Feeds arbitrary INI text to the reader and the editor. The first two lines
// of the input name the section and key; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/platform/FuzzFields.h"
#include "platform/Ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view section = fuzzfields::TakeField(rest, '\n');
    const std::string_view key = fuzzfields::TakeField(rest, '\n');
    const std::string_view text = rest;

    const auto value = platform::ini::FindValue(text, section, key);
    if (value)
        (void)platform::ini::ParseInt(*value, 0);
    (void)platform::ini::ListKeys(text, section);
    (void)platform::ini::RemoveSection(text, section);

    // What the writer accepts must read back.
    const bool safe_names = platform::ini::IsWritableName(section, platform::ini::IniName::Section) &&
                            platform::ini::IsWritableName(key, platform::ini::IniName::Key);
    const std::string edited = platform::ini::SetValue(text, section, key, std::string_view("v1"));
    if (safe_names && platform::ini::FindValue(edited, section, key) != std::string("v1"))
        __builtin_trap();
    (void)platform::ini::SetValue(text, section, key, std::nullopt);
    return 0;
}
