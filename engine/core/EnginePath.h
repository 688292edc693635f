#pragma once
// Paths beside the program, whole-file reading and writing, directory trees
// and file-name pieces, as the engine and the client use them.
//
// Owner: engine/core (free functions). Threads: any.
//
// Paths are GBK program paths; '\' and '/' both separate folders (the
// platform turns them into '/' and UTF-8 at the OS boundary and finds names
// case-insensitively). The program folder is the platform's.
// Hazards: ReadWholeFile refuses files above a size cap instead of trying to
// allocate whatever a damaged or hostile file claims.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

/// Largest file ReadWholeFile reads (256 MiB).
inline constexpr size_t WHOLE_FILE_CAP = size_t { 256 } << 20;

/// The program's folder with its trailing separator.
[[nodiscard]] std::string GetExeDir();
/// The program's folder followed by name.
[[nodiscard]] std::string GetExePath(std::string_view name);
[[nodiscard]] bool FileExists(std::string_view path);
[[nodiscard]] bool FileExistsBesideExe(std::string_view name);

/// Whether ReadWholeFile writes its failure line; Quiet for a caller that
/// tells the failure itself.
enum class ReadFailure { Log, Quiet };
/// The whole file, or std::nullopt (logged as "文件%s 打开失败!" when it
/// cannot be opened or is above the cap; unreadable files are refused too).
[[nodiscard]] std::optional<std::vector<uint8_t>> ReadWholeFile(std::string_view path, size_t cap = WHOLE_FILE_CAP,
                                                                ReadFailure failure = ReadFailure::Log);
/// Creates or empties the file and writes data; 1 on success, else 0.
[[nodiscard]] int WriteWholeFile(std::string_view path, std::span<const uint8_t> data);
/// 1 when every folder of path exists at the end, else 0. With create 0
/// nothing is created; a failed creation shows "Build   Directory<path>   Fail!".
[[nodiscard]] int MakeDirectoryTree(std::string_view path, int create = 1);

/// The extension with its dot, lower-cased (".png"); empty when none.
[[nodiscard]] std::string GetFileExtLower(std::string_view path);
/// The file name without folder and extension.
[[nodiscard]] std::string GetFileTitleOf(std::string_view path);
/// The file title followed by its lower-cased extension.
[[nodiscard]] std::string GetFileNameExtLower(std::string_view path);

} // namespace engine
