#pragma once
// Screenshots as JPEG files: the engine view's last shown picture is turned
// into 24-bit RGB rows, top row first, and written through libjpeg as a
// baseline JPEG.
//
// Owner: none (free functions). Thread: UI thread (the capture reads the
// paint module's buffers); WriteJpegFile on any thread.
// Hazards: the whole picture is held in memory twice while it is written.
// libjpeg reports its own errors by jumping back here: a failed write
// answers 0 and leaves no half-written file behind.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine {
class CEngineEntity;
class GDIPaintModule;
}

namespace panel {

/// An RGB picture, three bytes per pixel, rows top to bottom.
struct RgbImage {
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
};

/// A captured screen's pixels as they lie in memory.
struct ScreenBits {
    std::span<const uint8_t> bytes;
    int32_t width = 0;
    int32_t height = 0;
    size_t stride = 0;       ///< bytes from the start of one row to the next
    int bits_per_pixel = 0;  ///< 32: B, G, R, x bytes; 16: 5-5-5 words, little-endian
    bool bottom_up = false;  ///< the screen's last row comes first
};

/// The screen as RGB rows, top row first (5-bit fields widened as 0, 16,
/// 24, ..., 248, then 255). Empty for other depths, or when the rows do not
/// fit their stride or the bytes.
[[nodiscard]] RgbImage ConvertScreenBits(const ScreenBits& bits);
/// Writes the pixels as a baseline JPEG of the given quality (1 to 100). 1
/// on success; 0 for missing pixels or sizes that do not match, or when the
/// file cannot be written (a message box "JpegFile :\nCan't open %s\n" says
/// so when it cannot be opened).
[[nodiscard]] int WriteJpegFile(const std::string& path, std::span<const uint8_t> rgb, int32_t width,
                                int32_t height, int quality);
/// The picture the paint module last showed, as RGB.
[[nodiscard]] RgbImage CapturePresentation(const engine::GDIPaintModule& paint);
/// The picture the engine last showed (from the paint module of entity's
/// core); empty when there is none.
[[nodiscard]] RgbImage CaptureView(const engine::CEngineEntity& entity);
/// Captures the view and writes it (no result, as a screenshot command has none).
void SaveScreenshotJpeg(const engine::CEngineEntity& entity, const std::string& path, int quality);

} // namespace panel
