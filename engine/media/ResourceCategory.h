#pragma once
// Resource categories: each known extension (lower case, with its dot)
// belongs to a category text; resource names are file titles followed by
// their category text ("btnThrow.png" is the resource "btnThrow.imge").
//
// Owner: free functions over a fixed table. Thread: any.
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

inline constexpr std::string_view CATEGORY_IMAGE = ".imge";
inline constexpr std::string_view CATEGORY_SOUND = ".sound";
inline constexpr std::string_view CATEGORY_SCRIPT = ".script";
inline constexpr std::string_view CATEGORY_FLASH = ".flash";
inline constexpr std::string_view CATEGORY_VIDEO = ".vedio";
inline constexpr std::string_view CATEGORY_WEB = ".http";
inline constexpr std::string_view CATEGORY_TEXT = ".text";
inline constexpr std::string_view CATEGORY_INI = ".ini";

// The category hash of the first of the 32 table extensions whose hash is
// extension_hash, or extension_hash itself when none is.
[[nodiscard]] uint32_t LookupCategory(uint32_t extension_hash);

// On a known extension (the table's 32, ".txt", ".doc", ".ini", ".koi")
// appends the category text to name and returns 1; else leaves name as it is
// and returns 0.
int CategoryOf(std::string& name, std::string_view extension);

// The resource name of a file path, or of `name` when given: title (or name)
// plus the category text of the path's extension.
[[nodiscard]] std::string ResourceNameOf(std::string_view path, std::string_view name = {});

} // namespace engine
