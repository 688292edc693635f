// The scalar row kernels (the reference) and the choice of a table.
#include "engine/media/BlitterKernels.h"

namespace engine::blit {

void ScalarCopy(uint32_t* target, const uint8_t* source, int32_t count)
{
    if (count > 0)
        std::memcpy(target, source, size_t(count) * 4);
}

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

void ScalarFade(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
{
    for (int32_t x = 0; x < count; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, source + size_t(x) * 4, 4);
        if (pixel >> 24)
            PlainPixel(target[x], pixel, false, rule);
    }
}

void ScalarGather(uint32_t* out, const uint8_t* row, const int32_t* columns, int32_t count, int32_t)
{
    for (int32_t i = 0; i < count; ++i)
        std::memcpy(out + i, row + size_t(columns[i]) * 4, 4);
}

void ScalarBilinear(uint32_t* out, const BilinearRow& row)
{
    for (int32_t i = 0; i < row.count; ++i) {
        const size_t at = size_t(row.columns[i]) * 4;
        uint32_t p[4];
        std::memcpy(&p[0], row.top + at, 8);
        std::memcpy(&p[2], row.below + at, 8);
        out[i] = BilinearMix(p[0], p[1], p[2], p[3], row.fx4[size_t(i) * 4], row.fy);
    }
}

void MakeBilinearPicks(const int32_t* columns, int32_t count, std::vector<int32_t>& picks)
{
    // Per pair of outputs: a 16-byte shuffle (four 32-bit words) taking each
    // output's eight bytes from the 16 bytes of the pair's first two columns.
    // Where the count does not divide by four, last the picks of the group
    // that ends at the last output.
    const int32_t groups = count / 4;
    const bool tail = count > 4 && count % 4 != 0;
    picks.assign(size_t(groups + (tail ? 1 : 0)) * 8, 0);
    for (int32_t n = 0; n < groups + (tail ? 1 : 0); ++n) {
        const int32_t g = n < groups ? n * 4 : count - 4;
        int32_t* pick = picks.data() + size_t(n) * 8;
        if (columns[g + 1] - columns[g] > 1 || columns[g + 3] - columns[g + 2] > 1) {
            pick[0] = -1;
            continue;
        }
        for (int32_t k = 0; k < 4; ++k) {
            const int32_t offset = columns[g + k] - columns[g + (k & 2)];
            uint8_t bytes[8];
            for (int32_t b = 0; b < 8; ++b)
                bytes[b] = uint8_t(offset * 8 + b);
            std::memcpy(pick + k * 2, bytes, 8);
        }
    }
}

namespace {

constexpr RowKernels SCALAR { ScalarCopy, ScalarCopyCovered, ScalarBlend, BlendEachRow<ScalarBlend>, ScalarTint,
                              ScalarFade, ScalarGather, ScalarBilinear };

} // namespace

const RowKernels& KernelsFor(BlitInstructions instructions)
{
    if (instructions == BlitInstructions::Avx2 && ProcessorHasAvx2() && Avx2Kernels())
        return *Avx2Kernels();
    if ((instructions == BlitInstructions::Avx2 || instructions == BlitInstructions::Ssse3) && ProcessorHasSsse3()
        && Ssse3Kernels())
        return *Ssse3Kernels();
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
    if (blit::ProcessorHasSsse3() && blit::Ssse3Kernels())
        return BlitInstructions::Ssse3;
    return blit::Sse2Kernels() ? BlitInstructions::Sse2 : BlitInstructions::Scalar;
}

} // namespace engine
