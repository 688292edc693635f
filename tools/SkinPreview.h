#pragma once
// Preview sheets of the default skin for the people who draw it: each image
// written as a PNG with its frames side by side (up to 14 a row) on a
// two-tone ground, so that transparency and anti-aliasing show.
//
// Owner: the skinset tool (its --preview mode). Thread: any single thread.
// Hazards: files are overwritten; names are converted from GBK to UTF-8.
#include <string>

#include "tools/CardSkin.h"

namespace tools {

// Writes "<folder>/<name>.png"; false with error set when it cannot.
[[nodiscard]] bool WritePreviewSheet(const std::string& folder, const SkinImage& image, std::string& error);

} // namespace tools
