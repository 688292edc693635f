#include "client/panel/ScreenshotJpeg.h"

#include <algorithm>
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

RgbImage CapturePresentation(const engine::GDIPaintModule& paint)
{
    RgbImage image;
    const int32_t width = paint.GetWidth();
    const int32_t height = paint.GetHeight();
    // Shown pixels are B, G, R, A bytes: 0xAARRGGBB as words.
    const std::vector<uint32_t>& shown = paint.GetPresentation();
    if (width <= 0 || height <= 0 || shown.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(shown.size() * 3);
    uint8_t* out = image.pixels.data();
    for (const uint32_t pixel : shown) {
        *out++ = static_cast<uint8_t>(pixel >> 16);
        *out++ = static_cast<uint8_t>(pixel >> 8);
        *out++ = static_cast<uint8_t>(pixel);
    }
    return image;
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
