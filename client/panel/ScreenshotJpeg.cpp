#include "client/panel/ScreenshotJpeg.h"

#include <algorithm>
#include <array>
#include <bit>
#include <csetjmp>
#include <cstddef>
#include <cstdio>

// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "client/panel/PanelText.h"
#include "engine/core/EngineEntity.h"
#include "engine/media/GDIPaintModule.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"

namespace panel {

namespace {

// A 5-bit colour field as an 8-bit value: 0 stays 0, 31 becomes 255 and the
// rest 8 x (v + 1).
constexpr std::array<uint8_t, 32> FIVE_BIT_LEVELS = [] {
    std::array<uint8_t, 32> levels {};
    for (int v = 1; v < 31; ++v)
        levels[static_cast<size_t>(v)] = static_cast<uint8_t>(8 * (v + 1));
    levels[31] = 255;
    return levels;
}();

struct JpegError {
    jpeg_error_mgr manager {};
    std::jmp_buf jump {};
};

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(error->jump, 1);
}

// Compresses into an open file; false when libjpeg failed. Kept apart from
// anything with a destructor, since a libjpeg error jumps out of it.
bool Compress(std::FILE* file, const uint8_t* rgb, int32_t width, int32_t height, int quality)
{
    jpeg_compress_struct info {};
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

int WriteJpegFile(const std::string& path, std::span<const uint8_t> rgb, int32_t width, int32_t height,
                  int quality)
{
    if (rgb.empty() || width <= 0 || height <= 0
        || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        return 0;
    platform::FileHandle file = platform::OpenFile(path, "wb");
    if (file == nullptr) {
        (void)platform::ShowMessageBox(platform::WindowHandle {}, FormatText("JpegFile :\nCan't open %s\n", path.c_str()), "JpegFile");
        return 0;
    }
    const bool written = Compress(file.get(), rgb.data(), width, height, std::clamp(quality, 1, 100));
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        if (const auto os_path = platform::ToOsPath(path))
            std::remove(os_path->c_str());
        return 0;
    }
    return 1;
}

RgbImage ConvertScreenBits(const ScreenBits& bits)
{
    RgbImage image;
    if (bits.width <= 0 || bits.height <= 0 || (bits.bits_per_pixel != 32 && bits.bits_per_pixel != 16))
        return image;
    const auto width = static_cast<size_t>(bits.width);
    const auto height = static_cast<size_t>(bits.height);
    const size_t row_bytes = width * static_cast<size_t>(bits.bits_per_pixel / 8);
    if (bits.stride < row_bytes || bits.bytes.size() < bits.stride * (height - 1) + row_bytes)
        return image;
    image.width = bits.width;
    image.height = bits.height;
    image.pixels.resize(width * height * 3);
    uint8_t* out = image.pixels.data();
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = bits.bytes.data() + bits.stride * (bits.bottom_up ? height - 1 - y : y);
        for (size_t x = 0; x < width; ++x) {
            if (bits.bits_per_pixel == 32) {
                const uint8_t* pixel = row + x * 4;
                *out++ = pixel[2];
                *out++ = pixel[1];
                *out++ = pixel[0];
            } else {
                const auto word = static_cast<uint32_t>(row[x * 2] | (row[x * 2 + 1] << 8));
                *out++ = FIVE_BIT_LEVELS[(word >> 10) & 31];
                *out++ = FIVE_BIT_LEVELS[(word >> 5) & 31];
                *out++ = FIVE_BIT_LEVELS[word & 31];
            }
        }
    }
    return image;
}

RgbImage CapturePresentation(const engine::GDIPaintModule& paint)
{
    // Shown pixels are 0xAARRGGBB words: B, G, R, A bytes in memory.
    static_assert(std::endian::native == std::endian::little);
    const int32_t width = paint.GetWidth();
    const int32_t height = paint.GetHeight();
    const std::vector<uint32_t>& shown = paint.GetPresentation();
    if (width <= 0 || height <= 0 || shown.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    ScreenBits bits;
    bits.bytes = std::span(reinterpret_cast<const uint8_t*>(shown.data()), shown.size() * 4);
    bits.width = width;
    bits.height = height;
    bits.stride = static_cast<size_t>(width) * 4;
    bits.bits_per_pixel = 32;
    return ConvertScreenBits(bits);
}

RgbImage CaptureView(const engine::CEngineEntity& entity)
{
    const auto* paint = dynamic_cast<const engine::GDIPaintModule*>(entity.GetPaintModule());
    return paint != nullptr ? CapturePresentation(*paint) : RgbImage {};
}

void SaveScreenshotJpeg(const engine::CEngineEntity& entity, const std::string& path, int quality)
{
    const RgbImage image = CaptureView(entity);
    (void)WriteJpegFile(path, image.pixels, image.width, image.height, quality);
}

} // namespace panel
