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

template<bool Full>
void BlendLanes(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity, int32_t& done)
{
    const V alpha_mask = _mm256_set1_epi32(int(0xFF000000u));
    const V colour_mask = _mm256_set1_epi32(0x00FFFFFF);
    const V flip = _mm256_set1_epi8(char(0x80));
    const V zero = _mm256_setzero_si256();
    const V opacity_lanes = _mm256_set1_epi32(int(opacity));
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        const V s = Load(source + size_t(x) * 4);
        const V d = Load(target + x);
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
        const V d_alpha = _mm256_and_si256(d, alpha_mask);
        const V mixed = MixBytes(s, _mm256_xor_si256(d, flip), w);
        // Over a clear destination the colour is the source's; the larger alpha stays.
        const V colour = _mm256_and_si256(_mm256_blendv_epi8(mixed, s, _mm256_cmpeq_epi32(d_alpha, zero)), colour_mask);
        const V drawn = _mm256_or_si256(colour, _mm256_max_epu8(d_alpha, a_top));
        const V src_clear = _mm256_cmpeq_epi32(_mm256_and_si256(s, alpha_mask), zero);
        Store(target + x, _mm256_blendv_epi8(drawn, d, src_clear));
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

constexpr RowKernels AVX2 { CopyCovered, Blend, Tint, Gather };

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
