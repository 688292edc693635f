#include "engine/media/PixelChannels.h"

namespace engine {

void SplitChannels(const uint8_t* pixels, uint8_t* colour, uint8_t* alpha, size_t count, int bits)
{
    if (bits == 8) {
        for (size_t i = 0; i < count; ++i) {
            colour[i] = pixels[i * 2];
            alpha[i] = pixels[i * 2 + 1];
        }
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        colour[i * 3] = pixels[i * 4];
        colour[i * 3 + 1] = pixels[i * 4 + 1];
        colour[i * 3 + 2] = pixels[i * 4 + 2];
        alpha[i] = pixels[i * 4 + 3];
    }
}

void MergeChannels(const uint8_t* colour, const uint8_t* alpha, uint8_t* pixels, size_t count, int bits)
{
    if (bits == 8) {
        for (size_t i = 0; i < count; ++i) {
            pixels[i * 2] = colour[i];
            pixels[i * 2 + 1] = alpha[i];
        }
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        pixels[i * 4] = colour[i * 3];
        pixels[i * 4 + 1] = colour[i * 3 + 1];
        pixels[i * 4 + 2] = colour[i * 3 + 2];
        pixels[i * 4 + 3] = alpha[i];
    }
}

} // namespace engine
