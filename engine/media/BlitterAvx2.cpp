// The AVX2 row kernels: eight pixels at a time, chosen at run time where the
// processor has AVX2. Everything between the target push and pop is compiled
// for AVX2; the headers above it keep the build's own instruction set, so no
// shared inline function is ever built for AVX2 by this file. The covered
// copy, blend, tint and fade are the shared ones of BlitterLanes.h.
#include "engine/media/BlitterKernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#define PLDK_BLIT_AVX2 1
#endif

namespace engine::blit {

#if defined(PLDK_BLIT_AVX2)

bool ProcessorHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

namespace {

// The bilinear kernel's scratch terms: at least count 16-bit values (zero
// when first made), one buffer per thread, kept between rows. Built for the
// build's own instructions.
uint16_t* BilinearScratch(size_t count)
{
    thread_local std::vector<uint16_t> terms;
    if (terms.size() < count)
        terms.resize(count);
    return terms.data();
}

} // namespace

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace {

using V = __m256i;

V Load(const void* p) { return _mm256_loadu_si256(static_cast<const V*>(p)); }
void Store(void* p, V v) { _mm256_storeu_si256(static_cast<V*>(p), v); }

#include "engine/media/BlitterLanes.h"

// The operations of 256-bit vectors (eight pixels) for the shared kernels.
struct Avx2Ops {
    using V = __m256i;
    static constexpr int32_t N = 8;
    static constexpr int ALL_LANES = 0xFF;
    static V Load(const void* p) { return _mm256_loadu_si256(static_cast<const V*>(p)); }
    static void Store(void* p, V v) { _mm256_storeu_si256(static_cast<V*>(p), v); }
    // Lanes below n set.
    static V PartMask(int32_t n) { return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)); }
    static V LoadPart(const void* p, int32_t n) { return _mm256_maskload_epi32(static_cast<const int*>(p), PartMask(n)); }
    static void StorePart(void* p, V v, int32_t n) { _mm256_maskstore_epi32(static_cast<int*>(p), PartMask(n), v); }
    static V Broadcast(__m128i v) { return _mm256_broadcastsi128_si256(v); }
    static V Set1_8(char v) { return _mm256_set1_epi8(v); }
    static V Set1_16(short v) { return _mm256_set1_epi16(v); }
    static V Set1_32(int v) { return _mm256_set1_epi32(v); }
    static V Zero() { return _mm256_setzero_si256(); }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V Xor(V a, V b) { return _mm256_xor_si256(a, b); }
    static V CmpEq32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
    static V CmpGt32(V a, V b) { return _mm256_cmpgt_epi32(a, b); }
    static V Select(V mask, V a, V b) { return _mm256_blendv_epi8(b, a, mask); }
    static int LaneBits(V mask) { return _mm256_movemask_ps(_mm256_castsi256_ps(mask)); }
    static bool AllSet(V v, V m) { return _mm256_testc_si256(v, m); }
    static bool NoneSet(V v, V m) { return _mm256_testz_si256(v, m); }
    static V Shuffle8(V v, V pick) { return _mm256_shuffle_epi8(v, pick); }
    static V MaddUbs16(V a, V b) { return _mm256_maddubs_epi16(a, b); }
    static V UnpackLo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
    static V UnpackHi8(V a, V b) { return _mm256_unpackhi_epi8(a, b); }
    static V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
    template<int K>
    static V Srl16(V v) { return _mm256_srli_epi16(v, K); }
    static V PackUs16(V a, V b) { return _mm256_packus_epi16(a, b); }
    template<int K>
    static V Srl32(V v) { return _mm256_srli_epi32(v, K); }
    template<int K>
    static V Sll32(V v) { return _mm256_slli_epi32(v, K); }
    static V Mullo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V MaxU8(V a, V b) { return _mm256_max_epu8(a, b); }
    static V SubsU8(V a, V b) { return _mm256_subs_epu8(a, b); }
};

using Kernels = Lanes<Avx2Ops>;

// When a scaled row enlarges, eight neighbouring output pixels come from at
// most eight neighbouring source pixels: one load of those and one shuffle
// by the column offsets make them. Other groups are gathered.
void GatherGroup(uint32_t* out, const uint8_t* row, const int32_t* columns, int32_t row_pixels)
{
    const int32_t first = columns[0];
    const V picked = Load(columns);
    if (columns[7] - first <= 7 && first + 8 <= row_pixels) {
        const V offsets = _mm256_sub_epi32(picked, _mm256_set1_epi32(first));
        const V window = Load(row + size_t(first) * 4);
        Store(out, _mm256_permutevar8x32_epi32(window, _mm256_and_si256(offsets, _mm256_set1_epi32(7))));
    } else {
        Store(out, _mm256_i32gather_epi32(reinterpret_cast<const int*>(row), picked, 4));
    }
}

// The outputs are made from the row alone, so the last group of a row that
// does not divide into groups may make again outputs made already.
void Gather(uint32_t* out, const uint8_t* row, const int32_t* columns, int32_t count, int32_t row_pixels)
{
    int32_t i = 0;
    for (; i + 8 <= count; i += 8)
        GatherGroup(out + i, row, columns + i, row_pixels);
    if (i == count)
        return;
    if (count >= 8) {
        GatherGroup(out + count - 8, row, columns + count - 8, row_pixels);
        return;
    }
    const V mask = Avx2Ops::PartMask(count);
    const V picked = _mm256_maskload_epi32(columns, mask);
    const V pixels =
        _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(row), picked, mask, 4);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(out), mask, pixels);
}

// Four pixels' bytes as sixteen 16-bit lanes.
V Widen(const uint8_t* p) { return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); }

// The terms of one bilinear row, per source column from `first`, and the
// row's outputs (columns, fractions, picks).
struct BilinearTerms {
    const uint16_t* v;
    const uint16_t* d;
    const uint16_t* e;
    int32_t first;
    const int32_t* columns;
    const uint16_t* fx4;
    const int32_t* picks;
};

// The two outputs' eight bytes each from the 16 bytes of two columns.
__m128i PickPair(const uint16_t* columns, __m128i pick)
{
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(columns)), pick);
}

// Outputs g and g + 1 as 16-bit channels shifted down (0 .. 255), from the
// pair's first two columns. The work is done in 128-bit lanes: a byte shuffle
// within a lane is cheap on every processor with AVX2, a 32-bit shuffle
// across the lanes of a 256-bit register is not on all of them.
__m128i PairSum(const BilinearTerms& t, int32_t g, const int32_t* picks, __m128i fy)
{
    const __m128i pick = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picks));
    const size_t at = size_t(t.columns[g] - t.first) * 4;
    const __m128i v = PickPair(t.v + at, pick);
    const __m128i d = PickPair(t.d + at, pick);
    const __m128i e = PickPair(t.e + at, pick);
    const __m128i fx = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.fx4 + size_t(g) * 4));
    const __m128i w11 = _mm_srli_epi16(_mm_mullo_epi16(fx, fy), 8);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, _mm_mullo_epi16(fx, d)), _mm_mullo_epi16(w11, e)), 8);
}

// Bilinear rows. Per channel the sample is
//   (p00 * w00 + p10 * w10 + p01 * w01 + p11 * w11) >> 8
// with w11 = fx * fy >> 8, w10 = fx - w11, w01 = fy - w11 and
// w00 = 256 - fx - fy + w11, which is exactly
//   (V + fx * D + w11 * E) >> 8,  V = p00 * (256 - fy) + p01 * fy,
//   D = p10 - p00,  E = (p11 - p01) - D.
// The sum lies in 0 .. 65280, so 16-bit lanes that wrap give it exactly.
// V, D and E are made once per source column of the row; then each pair of
// output pixels that reads at most two neighbouring columns takes its
// columns' values with one byte shuffle per term.
void Bilinear(uint32_t* out, const BilinearRow& row)
{
    if (row.count <= 0)
        return;
    const uint8_t* const top = row.top;
    const uint8_t* const below = row.below;
    const int32_t* const column_of = row.columns;
    const uint16_t* const fx4 = row.fx4;
    const int32_t count = row.count;
    const int32_t first = column_of[0];
    const int32_t last = column_of[count - 1];
    const size_t columns = size_t(last - first + 1);
    // Four 16-bit channels per column for each term, and room for the last
    // group's window to read past the end. D and E depend only on the two
    // rows: the caller's scratch keeps them for the next row of the pair.
    const size_t stride = (columns + 4) * 4;
    const bool own_scratch = row.terms && row.terms_size >= BilinearTermsSize(first, last);
    const bool same_rows = own_scratch && row.same_rows;
    uint16_t* v_terms = own_scratch ? row.terms : BilinearScratch(stride * 3);
    uint16_t* d_terms = v_terms + stride;
    uint16_t* e_terms = d_terms + stride;

    const V fy = _mm256_set1_epi16(short(row.fy));
    size_t c = 0;
    // Four columns at a time while the pixel right of them is in the row.
    for (; same_rows && c + 4 <= columns; c += 4) {
        const size_t at = (size_t(first) + c) * 4;
        const V p00 = Widen(top + at);
        const V p01 = Widen(below + at);
        Store(v_terms + c * 4,
              _mm256_add_epi16(_mm256_slli_epi16(p00, 8), _mm256_mullo_epi16(_mm256_sub_epi16(p01, p00), fy)));
    }
    for (; !same_rows && c + 4 <= columns && size_t(first) + c + 5 <= size_t(row.row_pixels); c += 4) {
        const size_t at = (size_t(first) + c) * 4;
        const V p00 = Widen(top + at);
        const V p10 = Widen(top + at + 4);
        const V p01 = Widen(below + at);
        const V p11 = Widen(below + at + 4);
        const V d = _mm256_sub_epi16(p10, p00);
        // p00 * (256 - fy) + p01 * fy with one multiply.
        Store(v_terms + c * 4,
              _mm256_add_epi16(_mm256_slli_epi16(p00, 8), _mm256_mullo_epi16(_mm256_sub_epi16(p01, p00), fy)));
        Store(d_terms + c * 4, d);
        Store(e_terms + c * 4, _mm256_sub_epi16(_mm256_sub_epi16(p11, p01), d));
    }
    for (; c < columns; ++c) {
        const size_t at = (size_t(first) + c) * 4;
        for (size_t k = 0; k < 4; ++k) {
            const uint32_t p00 = row.top[at + k];
            const uint32_t p10 = row.top[at + 4 + k];
            const uint32_t p01 = row.below[at + k];
            const uint32_t p11 = row.below[at + 4 + k];
            v_terms[c * 4 + k] = uint16_t(p00 * (256 - row.fy) + p01 * row.fy);
            d_terms[c * 4 + k] = uint16_t(p10 - p00);
            e_terms[c * 4 + k] = uint16_t((p11 - p01) - (p10 - p00));
        }
    }

    const int32_t* const picks = row.picks;
    const BilinearTerms terms { v_terms, d_terms, e_terms, first, column_of, fx4, picks };
    const __m128i fy_lanes = _mm256_castsi256_si128(fy);
    // Four outputs from i with the picks at `pick`.
    const auto group = [&](int32_t i, const int32_t* pick) {
        if (pick[0] < 0) {
            BilinearRow rest = row;
            rest.columns += i;
            rest.fx4 += size_t(i) * 4;
            rest.count = 4;
            ScalarBilinear(out + i, rest);
            return;
        }
        const __m128i bytes =
            _mm_packus_epi16(PairSum(terms, i, pick, fy_lanes), PairSum(terms, i + 2, pick + 4, fy_lanes));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
    };
    int32_t i = 0;
    for (; i + 4 <= count; i += 4)
        group(i, picks + size_t(i) * 2);
    if (i == count)
        return;
    if (count >= 4) {
        // The group that ends at the row's end (outputs depend on the rows
        // only, so the ones made already come out the same).
        group(count - 4, picks + size_t(i) * 2);
        return;
    }
    BilinearRow rest = row;
    rest.columns += i;
    rest.fx4 += size_t(i) * 4;
    rest.count = row.count - i;
    ScalarBilinear(out + i, rest);
}

constexpr RowKernels AVX2 { Kernels::Copy, Kernels::CopyCovered, Kernels::Blend, Kernels::BlendRows, Kernels::Tint,
                            Kernels::Fade, Gather, Bilinear };

} // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

const RowKernels* Avx2Kernels() { return &AVX2; }

#else

bool ProcessorHasAvx2() { return false; }
const RowKernels* Avx2Kernels() { return nullptr; }

#endif

} // namespace engine::blit
