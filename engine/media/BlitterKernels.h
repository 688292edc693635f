#pragma once
// Row kernels of the software blitter: the per-row work of its common draws
// (covered copy, alpha blend, tint, fade, the pixels of a scaled row) in one table per instruction set. The
// scalar table is the reference; the SSE2, SSSE3 and AVX2 tables give exactly
// its results, bit for bit, faster. Not for use outside the blitter.
//
// Owner: static tables. Thread: any.
// Hazards: a table exists only where its instructions were built; the AVX2
// and SSSE3 tables may only be called where the processor has those
// instructions (KernelsFor checks).
// Sources are rows of 32-bit pixels (bytes blue, green, red, alpha) at any
// alignment; target and source rows do not overlap.
#include "engine/media/BlitterDetail.h"

namespace engine::blit {

// One row of bilinear samples between two buffer rows (`top` and the one
// `below`) at the vertical fraction fy (0 .. 255): output pixel i mixes
// columns columns[i] and columns[i] + 1 at the fraction fx4[4 * i] (the
// fraction repeated for the four channels). Every column read lies in the
// rows, which hold row_pixels pixels each; the columns do not decrease.
struct BilinearRow {
    const uint8_t* top { nullptr };
    const uint8_t* below { nullptr };
    uint32_t fy { 0 };
    const int32_t* columns { nullptr };
    const uint16_t* fx4 { nullptr };
    int32_t count { 0 };
    int32_t row_pixels { 0 };
    // For each group of four outputs (from the first), 32 bytes: for the
    // pairs of outputs (0, 1) and (2, 3), the byte shuffle that takes each
    // output's eight bytes from the 16 bytes of the pair's first two columns;
    // the first 32-bit word is -1 where a pair reaches more than two columns.
    // Where count does not divide by four, then the same for the four
    // outputs that end at the last.
    const int32_t* picks { nullptr };
    // Scratch of terms_size 16-bit values that the caller keeps between rows
    // for the vector kernels; same_rows: the last row given this scratch read
    // the same two rows and columns (only the vertical fraction differs).
    uint16_t* terms { nullptr };
    size_t terms_size { 0 };
    bool same_rows { false };
};

// The scratch a bilinear row over source columns first .. last needs.
[[nodiscard]] constexpr size_t BilinearTermsSize(int32_t first, int32_t last)
{
    return (size_t(last - first) + 5) * 4 * 3;
}

// The picks of BilinearRow for `count` columns.
void MakeBilinearPicks(const int32_t* columns, int32_t count, std::vector<int32_t>& picks);

struct RowKernels {
    // The pixels replace the destination.
    void (*copy)(uint32_t* target, const uint8_t* source, int32_t count);
    // Covered pixels (alpha not 0) replace the destination.
    void (*copy_covered)(uint32_t* target, const uint8_t* source, int32_t count);
    // The alpha rule without tint; opacity is 256 (a = alpha) or the opacity
    // byte (a = alpha * O >> 8).
    void (*blend)(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity);
    // The blend of `rows` rows of count pixels: each row after the first
    // lies target_pitch pixels further in the target and source_pitch
    // pixels further in the source.
    void (*blend_rows)(uint32_t* target, size_t target_pitch, const uint8_t* source, size_t source_pitch,
                       int32_t count, int32_t rows, uint32_t opacity);
    // The alpha rule with a tint for a 32-bit source.
    void (*tint)(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule);
    // The plain rule below full opacity for a 32-bit source without alpha
    // channel: covered pixels (with a tint: alpha above the threshold) mix
    // with the tint or the destination by the opacity byte, opaque.
    void (*fade)(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule);
    // out[i] = pixel columns[i] of a row of row_pixels 32-bit pixels; the
    // columns do not decrease and lie inside the row.
    void (*gather)(uint32_t* out, const uint8_t* row, const int32_t* columns, int32_t count, int32_t row_pixels);
    // Bilinear samples (BilinearMix) of one row.
    void (*bilinear)(uint32_t* out, const BilinearRow& row);
};

// The scalar rows (the vector tables use a few where a row has no group to
// draw as a vector).
void ScalarCopy(uint32_t* target, const uint8_t* source, int32_t count);
void ScalarCopyCovered(uint32_t* target, const uint8_t* source, int32_t count);
void ScalarBlend(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity);
void ScalarTint(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule);
void ScalarFade(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule);
void ScalarGather(uint32_t* out, const uint8_t* row, const int32_t* columns, int32_t count, int32_t row_pixels);
void ScalarBilinear(uint32_t* out, const BilinearRow& row);

// blend_rows made of a blend kernel called once a row.
template<void (*Blend)(uint32_t*, const uint8_t*, int32_t, uint32_t)>
void BlendEachRow(uint32_t* target, size_t target_pitch, const uint8_t* source, size_t source_pitch, int32_t count,
                  int32_t rows, uint32_t opacity)
{
    for (int32_t row = 0; row < rows; ++row)
        Blend(target + size_t(row) * target_pitch, source + size_t(row) * source_pitch * 4, count, opacity);
}

// Null where the set was not built (not an x86-64 build).
[[nodiscard]] const RowKernels* Sse2Kernels();
[[nodiscard]] const RowKernels* Ssse3Kernels();
[[nodiscard]] const RowKernels* Avx2Kernels();
[[nodiscard]] bool ProcessorHasSsse3();
[[nodiscard]] bool ProcessorHasAvx2();

// The table of the given set, or of the best set below it that this build
// and processor run.
[[nodiscard]] const RowKernels& KernelsFor(BlitInstructions instructions);

} // namespace engine::blit
