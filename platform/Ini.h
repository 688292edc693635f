#pragma once
// INI files read and written the way the client's settings code expects of
// the Windows profile functions:
//  - section and key names are compared case-insensitively (ASCII letters);
//  - values are trimmed of blanks and tabs on both sides, and one pair of
//    matching surrounding quotes ('...' or "...") is removed;
//  - a missing or unreadable file, section or key reads as the default;
//  - writing creates the file, the section and the key as needed and keeps
//    every other line of the file (comments, other sections, other keys) as it was.
// Lines starting with ';' are comments. The first of duplicate sections/keys wins.
//
// Owner: none (free functions). Paths are program paths (GBK, '\' or '/'),
// converted with platform::ToOsPath; an existing file is found case-insensitively.
// Threads: any. Calls are serialised within the process by one lock, so two
// threads writing keys of the same file never lose each other's keys.
// Hazards: every call reads the file again; do not call it per frame.
// Writes replace the file through a temporary file and rename, so a crash never
// leaves a half-written file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The value of [section] key, or `default_value` when the file, section or key
// is missing or the file cannot be read. The default is trimmed of trailing blanks.
[[nodiscard]] std::string GetProfileString(std::string_view section, std::string_view key,
                                           std::string_view default_value, std::string_view path);

// The value as an integer: optional sign, then decimal digits or "0x" and hex
// digits, up to the first other character. A missing or empty value gives
// `default_value`; a value that does not start with a number gives 0.
[[nodiscard]] int GetProfileInt(std::string_view section, std::string_view key, int default_value,
                                std::string_view path);

// Sets [section] key=value. A value of std::nullopt deletes the key.
// Returns false when the file cannot be written (the old file stays).
[[nodiscard]] bool WriteProfileString(std::string_view section, std::string_view key,
                                      std::optional<std::string_view> value, std::string_view path);

// Deletes a whole section. True also when there was nothing to delete.
[[nodiscard]] bool DeleteProfileSection(std::string_view section, std::string_view path);

// Names of the keys of a section in file order (empty when missing).
[[nodiscard]] std::vector<std::string> GetProfileKeys(std::string_view section, std::string_view path);

// --- The parsing and editing core, on text in memory (also used by the fuzz target).
namespace ini {
[[nodiscard]] std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                                   std::string_view key);
[[nodiscard]] std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                                   std::optional<std::string_view> value);
[[nodiscard]] std::string RemoveSection(std::string_view text, std::string_view section);
[[nodiscard]] std::vector<std::string> ListKeys(std::string_view text, std::string_view section);
[[nodiscard]] int ParseInt(std::string_view value, int default_value);
// The blanks the reader trims from both ends of names and values.
[[nodiscard]] bool IsBlank(char c);
// Whether a name can be written so that it reads back as the same name.
enum class IniName { Section, Key };
[[nodiscard]] bool IsWritableName(std::string_view name, IniName kind);
} // namespace ini

} // namespace platform
