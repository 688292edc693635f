#pragma once
// The asset packer: makes the project's own ".kor" packages and ".pps"
// images (default skin, sounds) from ordinary files at build time.
//
// A package holds every regular file under a folder (sub-folders included),
// each under its resource name: file title + category text ("btnThrow.png"
// is "btnThrow.imge"), the title converted to GBK as the engine hashes it.
// With PngToPps, PNG files are stored as ".pps" images (method 6).
//
// Owner: the korpack tool and its tests. Thread: any single thread.
// Hazards: files are read whole; a name that is not convertible to GBK, a
// PNG that does not decode or two files with one resource name fail the
// pack with a message instead of writing a partial package.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tools {

enum class PngToPps { No, Yes };

struct PackResult {
    bool ok { false };
    std::string error;                  ///< why it failed (UTF-8)
    std::vector<uint8_t> package;       ///< the package image
    size_t count { 0 };                 ///< resources packed
};

[[nodiscard]] PackResult PackFolder(const std::filesystem::path& folder, PngToPps convert);

// A ".pps" file (method 6) of a PNG, or empty with error set.
[[nodiscard]] std::vector<uint8_t> ConvertPngToPps(const std::vector<uint8_t>& png, std::string& error);

} // namespace tools
