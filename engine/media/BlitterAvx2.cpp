// The AVX2 row kernels: eight pixels at a time, chosen at run time where the
// processor has AVX2. Everything between the target push and pop is compiled
// for AVX2; the headers above it keep the build's own instruction set, so no
// shared inline function is ever built for AVX2 by this file.
//
// The blend weighs source and destination bytes in one multiply-add per
// 16-bit lane: weights a and 255 - a as unsigned bytes, the pixel bytes made
// signed by subtracting 128 (xor 0x80); adding back 128 * 255 gives exactly
// s * a + d * (255 - a), at most 65025, from which >> 8 is taken.
#include "engine/media/BlitterKernels.h"

#include <algorithm>
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

void CopyCovered(uint32_t* target, const uint8_t* source, int32_t count)
{
    const V alpha_mask = _mm256_set1_epi32(int(0xFF000000u));
    const V zero = _mm256_setzero_si256();
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        const V s = Load(source + size_t(x) * 4);
        const V clear = _mm256_cmpeq_epi32(_mm256_and_si256(s, alpha_mask), zero);
        // Runs of covered or of keyed pixels need not read the destination.
        const int clear_lanes = _mm256_movemask_ps(_mm256_castsi256_ps(clear));
        if (clear_lanes == 0)
            Store(target + x, s);
        else if (clear_lanes != 0xFF)
            Store(target + x, _mm256_blendv_epi8(s, Load(target + x), clear));
    }
    ScalarCopyCovered(target + x, source + size_t(x) * 4, count - x);
}

// The weights of four pixels in the 16-bit lanes that the byte
// interleave of source and destination gives: byte a, byte 255 - a.
struct Weights {
    V low;
    V high;
};

// From a vector holding each pixel's a in byte `Byte` (0 or 3) of its lane.
template<int Byte>
Weights WeightsOf(V a)
{
    constexpr char L0 = Byte, L1 = Byte + 4, H0 = Byte + 8, H1 = Byte + 12;
    const V pick_low = _mm256_setr_epi8(L0, L0, L0, L0, L0, L0, L0, L0, L1, L1, L1, L1, L1, L1, L1, L1, L0, L0, L0, L0,
                                        L0, L0, L0, L0, L1, L1, L1, L1, L1, L1, L1, L1);
    const V pick_high = _mm256_setr_epi8(H0, H0, H0, H0, H0, H0, H0, H0, H1, H1, H1, H1, H1, H1, H1, H1, H0, H0, H0,
                                         H0, H0, H0, H0, H0, H1, H1, H1, H1, H1, H1, H1, H1);
    const V invert_odd = _mm256_set1_epi16(short(0xFF00));
    return Weights { _mm256_xor_si256(_mm256_shuffle_epi8(a, pick_low), invert_odd),
                     _mm256_xor_si256(_mm256_shuffle_epi8(a, pick_high), invert_odd) };
}

// (s * a + t * (255 - a)) >> 8 per byte; signed_t is t xor 0x80.
V MixBytes(V s, V signed_t, const Weights& w)
{
    const V flip = _mm256_set1_epi8(char(0x80));
    const V bias = _mm256_set1_epi16(128 * 255);
    const V signed_s = _mm256_xor_si256(s, flip);
    const V lo = _mm256_maddubs_epi16(w.low, _mm256_unpacklo_epi8(signed_s, signed_t));
    const V hi = _mm256_maddubs_epi16(w.high, _mm256_unpackhi_epi8(signed_s, signed_t));
    return _mm256_packus_epi16(_mm256_srli_epi16(_mm256_add_epi16(lo, bias), 8),
                               _mm256_srli_epi16(_mm256_add_epi16(hi, bias), 8));
}

// a = alpha * O >> 8 in byte 0 of each lane.
V ScaledAlpha(V s, V opacity) { return _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_srli_epi32(s, 24), opacity), 8); }

// Eight pixels of the blend: s, d the source and destination pixels.
template<bool Full>
V BlendEight(V s, V d, V opacity_lanes)
{
    const V alpha_mask = _mm256_set1_epi32(int(0xFF000000u));
    const V colour_mask = _mm256_set1_epi32(0x00FFFFFF);
    const V flip = _mm256_set1_epi8(char(0x80));
    const V zero = _mm256_setzero_si256();
    V a_top;
    Weights w;
    if constexpr (Full) {
        a_top = _mm256_and_si256(s, alpha_mask);
        w = WeightsOf<3>(s);
    } else {
        const V a = ScaledAlpha(s, opacity_lanes);
        a_top = _mm256_slli_epi32(a, 24);
        w = WeightsOf<0>(a);
    }
    const V mixed = MixBytes(s, _mm256_xor_si256(d, flip), w);
    const V src_clear = _mm256_cmpeq_epi32(_mm256_and_si256(s, alpha_mask), zero);
    V drawn;
    if (_mm256_testc_si256(d, alpha_mask)) [[likely]] {
        // An opaque destination (the usual back buffer) stays opaque.
        drawn = _mm256_or_si256(mixed, alpha_mask);
    } else {
        // Over a clear destination the colour is the source's; the larger alpha stays.
        const V d_alpha = _mm256_and_si256(d, alpha_mask);
        const V colour = _mm256_and_si256(_mm256_blendv_epi8(mixed, s, _mm256_cmpeq_epi32(d_alpha, zero)), colour_mask);
        drawn = _mm256_or_si256(colour, _mm256_max_epu8(d_alpha, a_top));
    }
    return _mm256_blendv_epi8(drawn, d, src_clear);
}

// Sprites have long runs of clear pixels (their margins) and of opaque ones
// (their bodies): a run of groups that are all clear leaves the destination,
// and at full opacity a run all opaque over an opaque destination needs no
// weights (255 * s >> 8 is s - 1 per byte, and 0 stays 0). Groups with
// partial alphas are blended in runs without these tests: a group found so
// is blended alone, and each one found right after a run makes the next run
// 16 times longer. A sprite's soft rim costs one group, and an image of
// partial alphas all over pays the tests a few times a row.
template<bool Full>
void BlendLanes(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity, int32_t& done)
{
    const V alpha_mask = _mm256_set1_epi32(int(0xFF000000u));
    const V opacity_lanes = _mm256_set1_epi32(int(opacity));
    const V one = _mm256_set1_epi8(1);
    const int32_t groups_end = count & ~7;
    int32_t x = 0;
    int32_t run = 8;
    while (x < groups_end) {
        const V s = Load(source + size_t(x) * 4);
        const V d = Load(target + x);
        if (Full && _mm256_testc_si256(_mm256_and_si256(s, d), alpha_mask)) {
            Store(target + x, _mm256_or_si256(_mm256_subs_epu8(s, one), alpha_mask));
            // Then two groups at a time while both stay so.
            for (x += 8; x + 16 <= groups_end; x += 16) {
                const V s0 = Load(source + size_t(x) * 4);
                const V s1 = Load(source + size_t(x) * 4 + 32);
                const V both = _mm256_and_si256(_mm256_and_si256(s0, Load(target + x)),
                                                _mm256_and_si256(s1, Load(target + x + 8)));
                if (!_mm256_testc_si256(both, alpha_mask))
                    break;
                Store(target + x, _mm256_or_si256(_mm256_subs_epu8(s0, one), alpha_mask));
                Store(target + x + 8, _mm256_or_si256(_mm256_subs_epu8(s1, one), alpha_mask));
            }
            run = 8;
            continue;
        }
        if (_mm256_testz_si256(s, alpha_mask)) {
            x += 8;
            while (x < groups_end && _mm256_testz_si256(Load(source + size_t(x) * 4), alpha_mask))
                x += 8;
            run = 8;
            continue;
        }
        Store(target + x, BlendEight<Full>(s, d, opacity_lanes));
        const int32_t run_end = std::min(x + run, groups_end);
        run = std::min(run * 16, 1 << 16);
        for (x += 8; x < run_end; x += 8)
            Store(target + x, BlendEight<Full>(Load(source + size_t(x) * 4), Load(target + x), opacity_lanes));
    }
    done = x;
}

void Blend(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity)
{
    int32_t x = 0;
    if (opacity == 256)
        BlendLanes<true>(target, source, count, opacity, x);
    else
        BlendLanes<false>(target, source, count, opacity, x);
    ScalarBlend(target + x, source + size_t(x) * 4, count - x, opacity);
}

void Tint(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
{
    const V alpha_mask = _mm256_set1_epi32(int(0xFF000000u));
    const V signed_tint = _mm256_xor_si256(_mm256_set1_epi32(int(rule.tint_bgr)), _mm256_set1_epi8(char(0x80)));
    const V threshold = _mm256_set1_epi32(int(rule.threshold));
    const V opacity_lanes = _mm256_set1_epi32(int(rule.opacity_byte));
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        const V s = Load(source + size_t(x) * 4);
        const V drawn = _mm256_cmpgt_epi32(_mm256_srli_epi32(s, 24), threshold);
        const Weights w = rule.full ? WeightsOf<3>(s) : WeightsOf<0>(ScaledAlpha(s, opacity_lanes));
        const V tinted = _mm256_or_si256(MixBytes(s, signed_tint, w), alpha_mask);
        Store(target + x, _mm256_blendv_epi8(Load(target + x), tinted, drawn));
    }
    ScalarTint(target + x, source + size_t(x) * 4, count - x, rule);
}

void Fade(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
{
    const V alpha_mask = _mm256_set1_epi32(int(0xFF000000u));
    const V flip = _mm256_set1_epi8(char(0x80));
    const V signed_tint = _mm256_xor_si256(_mm256_set1_epi32(int(rule.tint_bgr)), flip);
    // Covered: alpha above the threshold with a tint, else alpha above 0.
    const V threshold = _mm256_set1_epi32(rule.has_tint ? int(rule.threshold) : 0);
    // One weight pair for every pixel: the opacity byte and 255 minus it.
    const V weight = _mm256_set1_epi16(short(rule.opacity_byte | (255 - rule.opacity_byte) << 8));
    const Weights w { weight, weight };
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        const V s = Load(source + size_t(x) * 4);
        const V d = Load(target + x);
        const V drawn = _mm256_cmpgt_epi32(_mm256_srli_epi32(s, 24), threshold);
        const V faded =
            _mm256_or_si256(MixBytes(s, rule.has_tint ? signed_tint : _mm256_xor_si256(d, flip), w), alpha_mask);
        Store(target + x, _mm256_blendv_epi8(d, faded, drawn));
    }
    ScalarFade(target + x, source + size_t(x) * 4, count - x, rule);
}

// When a scaled row enlarges, eight neighbouring output pixels come from at
// most eight neighbouring source pixels: one load of those and one shuffle
// by the column offsets make them. Other groups go one by one.
void Gather(uint32_t* out, const uint8_t* row, const int32_t* columns, int32_t count, int32_t row_pixels)
{
    const V seven = _mm256_set1_epi32(7);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const int32_t first = columns[i];
        if (columns[i + 7] - first <= 7 && first + 8 <= row_pixels) {
            const V offsets = _mm256_sub_epi32(Load(columns + i), _mm256_set1_epi32(first));
            const V window = Load(row + size_t(first) * 4);
            Store(out + i, _mm256_permutevar8x32_epi32(window, _mm256_and_si256(offsets, seven)));
        } else {
            ScalarGather(out + i, row, columns + i, 8, row_pixels);
        }
    }
    ScalarGather(out + i, row, columns + i, count - i, row_pixels);
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
__m128i PairSum(const BilinearTerms& t, int32_t g, __m128i fy)
{
    const __m128i pick = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.picks + size_t(g) * 2));
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
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        if (picks[size_t(i) * 2] < 0) {
            BilinearRow rest = row;
            rest.columns += i;
            rest.fx4 += size_t(i) * 4;
            rest.count = 4;
            ScalarBilinear(out + i, rest);
            continue;
        }
        const __m128i bytes = _mm_packus_epi16(PairSum(terms, i, fy_lanes), PairSum(terms, i + 2, fy_lanes));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
    }
    BilinearRow rest = row;
    rest.columns += i;
    rest.fx4 += size_t(i) * 4;
    rest.count = row.count - i;
    ScalarBilinear(out + i, rest);
}

constexpr RowKernels AVX2 { CopyCovered, Blend, Tint, Fade, Gather, Bilinear };

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
