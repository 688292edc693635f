// The scalar row kernels (the reference) and the choice of a table.
#include "engine/media/BlitterKernels.h"

namespace engine::blit {

void ScalarCopyCovered(uint32_t* target, const uint8_t* source, int32_t count)
{
    for (int32_t x = 0; x < count; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, source + size_t(x) * 4, 4);
        if (pixel >> 24)
            target[x] = pixel;
    }
}

void ScalarBlend(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity)
{
    for (int32_t x = 0; x < count; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, source + size_t(x) * 4, 4);
        const uint32_t alpha = pixel >> 24;
        if (alpha == 0)
            continue;
        target[x] = BlendOver(target[x], pixel, opacity == 256 ? alpha : (alpha * opacity) >> 8);
    }
}

void ScalarTint(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
{
    for (int32_t x = 0; x < count; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, source + size_t(x) * 4, 4);
        AlphaPixel(target[x], pixel, false, rule, false);
    }
}

void ScalarGather(uint32_t* out, const uint8_t* row, const int32_t* columns, int32_t count, int32_t)
{
    for (int32_t i = 0; i < count; ++i)
        std::memcpy(out + i, row + size_t(columns[i]) * 4, 4);
}

namespace {

constexpr RowKernels SCALAR { ScalarCopyCovered, ScalarBlend, ScalarTint, ScalarGather };

} // namespace

const RowKernels& KernelsFor(BlitInstructions instructions)
{
    if (instructions == BlitInstructions::Avx2 && ProcessorHasAvx2() && Avx2Kernels())
        return *Avx2Kernels();
    if (instructions != BlitInstructions::Scalar && Sse2Kernels())
        return *Sse2Kernels();
    return SCALAR;
}

} // namespace engine

namespace engine {

BlitInstructions BestBlitInstructions()
{
    if (blit::ProcessorHasAvx2() && blit::Avx2Kernels())
        return BlitInstructions::Avx2;
    return blit::Sse2Kernels() ? BlitInstructions::Sse2 : BlitInstructions::Scalar;
}

} // namespace engine
