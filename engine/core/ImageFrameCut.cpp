#include "engine/core/ImageFrameCut.h"

#include <cstring>

namespace engine {

ImageRecord* CutImageFrame(ImageRecord* out, const ImageRecord* record, uint32_t n)
{
    if (out == nullptr || record == nullptr || out == record)
        return nullptr;
    FreeImageRecordData(out);
    if (record->frames == 0 || record->BytesPerPixel() != 4 || record->width == 0 || record->height == 0)
        return nullptr;
    const uint64_t width = record->width;
    const uint64_t height = record->height;
    // The record's byte size is 32-bit: a frame too large to describe is
    // refused rather than given a buffer shorter than the rows copied into it.
    if (width * height * 4 > UINT32_MAX)
        return nullptr;
    const uint64_t per_row = record->frames_per_row == 0 ? 1 : record->frames_per_row;
    const uint64_t frame = n % record->frames;

    out->width = record->width;
    out->height = record->height;
    out->colour_key = record->colour_key;
    out->offset_x = record->offset_x;
    out->offset_y = record->offset_y;
    out->flags = record->flags & ~(IMAGE_FLAG_ANIMATED | IMAGE_FLAG_PALETTE | IMAGE_FLAG_BLOCK32);
    out->id = 0;
    out->frames = 1;
    out->frames_per_row = 1;
    out->pixel_bytes = static_cast<uint32_t>(width * height * 4);
    out->pixels = std::make_unique<uint8_t[]>(out->pixel_bytes);

    const uint64_t row_bytes = width * per_row * 4;
    const uint64_t first_column = (frame % per_row) * width;
    const uint64_t first_row = (frame / per_row) * height;
    for (uint64_t y = 0; y < height; ++y) {
        const uint64_t offset = (first_row + y) * row_bytes + first_column * 4;
        if (offset + width * 4 > record->pixel_bytes || !record->pixels)
            break;
        std::memcpy(out->pixels.get() + y * width * 4, record->pixels.get() + offset, width * 4);
    }
    return out;
}

} // namespace engine
