#pragma once
// Program paths and the file system.
//
// The program names files in GBK with '\' separators, as it always did. At the
// OS boundary this layer turns '\' into '/' and GBK into UTF-8, and finds an
// existing file whatever the case of its name (skins and resources were
// written for a case-insensitive file system).
//
// Folders: the program folder is the folder of the executable (read-only
// defaults, skins, resources); files written at run time (settings, user data,
// replays, logs) go to the per-user data folder ($XDG_DATA_HOME/pldk or
// ~/.local/share/pldk). Both can be overridden, which tests do.
//
// Owner: none (free functions). Threads: any; the overrides are meant to be
// set once at start-up (or by a test before it starts threads).
// Hazards: functions returning std::optional refuse names that cannot be
// converted, with one exception: an existing file or folder is also found
// under the very bytes of its name when the converted name names nothing
// (files copied from other systems carry GBK names; a command-line path that
// is no text at all is passed on as its bytes). Nothing is ever created
// under unconverted bytes.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// '\' -> '/', and runs of separators collapsed (a leading "//" is kept as "/").
[[nodiscard]] std::string NormalizeSeparators(std::string_view path);

// A program path (GBK) as an OS path (UTF-8, '/'). std::nullopt when not GBK.
[[nodiscard]] std::optional<std::string> ToOsPath(std::string_view gbk_path);
// An OS path (UTF-8) as a program path (GBK, '/'). std::nullopt when not convertible.
[[nodiscard]] std::optional<std::string> FromOsPath(std::string_view os_path);

// The OS path of an existing file or folder named by `gbk_path`, matching each
// component case-insensitively (ASCII letters) when the exact name is absent.
// std::nullopt when nothing matches or the name cannot be converted.
[[nodiscard]] std::optional<std::string> FindExistingPath(std::string_view gbk_path);

// The OS path to use for `gbk_path`: the existing file found case-insensitively,
// else the plain conversion (for a file about to be created; its existing
// parent folders are still matched case-insensitively).
[[nodiscard]] std::optional<std::string> ResolveOsPath(std::string_view gbk_path);

// True when the file or folder exists (found case-insensitively).
[[nodiscard]] bool PathExists(std::string_view gbk_path);
// True when the name is an existing plain file, after links: not a folder,
// a pipe (whose opening would wait for a writer) or a device.
[[nodiscard]] bool IsPlainFile(std::string_view gbk_path);

// Creates the folder and any missing parents. True when it exists afterwards.
[[nodiscard]] bool MakeDirectoryTree(std::string_view gbk_path);

// The folder of the executable, GBK, ending in '/'.
[[nodiscard]] std::string GetProgramFolder();
// The per-user data folder, GBK, ending in '/'. Created on first use.
[[nodiscard]] std::string GetUserDataFolder();
// The per-user config folder ($XDG_CONFIG_HOME/pldk), GBK, ending in '/'. Created on first use.
[[nodiscard]] std::string GetUserConfigFolder();
// A folder for temporary files ($TMPDIR or /tmp), GBK, ending in '/'.
[[nodiscard]] std::string GetTempFolder();

// Overrides for tests and for an installer layout; an empty text clears the override.
void SetProgramFolder(std::string_view gbk_folder);
void SetUserDataFolder(std::string_view gbk_folder);
void SetUserConfigFolder(std::string_view gbk_folder);

// An open file, closed when the handle goes. A file that was written is
// closed with CloseFile instead, which says whether the data reached it.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Closes the file (flushing what was written); false when the flush or the
// close failed (or there was no file), so the data may not all be on disk.
[[nodiscard]] bool CloseFile(FileHandle file);
// An fopen of an OS path (already converted) in a handle.
[[nodiscard]] FileHandle OpenOsFile(const std::string& os_path, const char* mode);

// Opens a program path with an fopen mode. Reading ("r...") finds the file
// case-insensitively; writing or appending creates it in the existing folder
// (matched case-insensitively). nullptr on failure or an unconvertible name.
[[nodiscard]] FileHandle OpenFile(std::string_view gbk_path, const char* mode);
// The whole file; std::nullopt when missing, unreadable or larger than max_bytes.
[[nodiscard]] std::optional<std::vector<uint8_t>> ReadFileBytes(std::string_view gbk_path, size_t max_bytes);

// `folder` + `name` with exactly one '/' between them.
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);

} // namespace platform
