// Feeds arbitrary bytes to the WBMP reader through the image decode entry.
#include "engine/media/ImageDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto decoder = engine::CreateSdlImageDecoder();
    engine::ImageRecord record;
    (void)engine::DecodeImageRecord(*decoder, std::span<const uint8_t>(data, size), engine::ImageFileFormat::Wbmp,
                                    record);
    return 0;
}
