// Feeds arbitrary bytes to the image decode entry, as each format in turn
// (the first byte picks the format, the rest is the file).
#include "engine/media/ImageDecoder.h"

#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>

// SDL keeps one error buffer per thread, made on first use; make it before
// the first input so that it is not taken for a leak of one.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SDL_SetError("start");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const engine::ImageFileFormat FORMATS[] = {
        engine::ImageFileFormat::Bmp, engine::ImageFileFormat::Gif, engine::ImageFileFormat::Jpeg,
        engine::ImageFileFormat::Png, engine::ImageFileFormat::Ico, engine::ImageFileFormat::Tiff,
        engine::ImageFileFormat::Tga, engine::ImageFileFormat::Pcx,
    };
    static auto decoder = engine::CreateSdlImageDecoder();
    const auto format = FORMATS[data[0] % (sizeof FORMATS / sizeof FORMATS[0])];
    engine::ImageRecord record;
    (void)engine::DecodeImageRecord(*decoder, std::span<const uint8_t>(data + 1, size - 1), format, record);
    return 0;
}
