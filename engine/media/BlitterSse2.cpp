// The SSE2 row kernels: four pixels at a time, on every x86-64 processor.
#include "engine/media/BlitterKernels.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace engine::blit {

#if defined(__SSE2__)

namespace {

#include "engine/media/BlitterLanes.h"

using Tail = CRowTail<Sse2Ops>;
__m128i Load(const void* p) { return Sse2Ops::Load(p); }
void Store(void* p, __m128i v) { Sse2Ops::Store(p, v); }
// Per byte: where mask is set, a; elsewhere b.
__m128i Select(__m128i mask, __m128i a, __m128i b) { return Sse2Ops::Select(mask, a, b); }

// a (0 .. 255, one per 32-bit lane) in all four 16-bit lanes of its pixel,
// for the low two and the high two pixels.
void SpreadAlpha(__m128i a, __m128i& low, __m128i& high)
{
    const __m128i a16 = _mm_or_si128(a, _mm_slli_epi32(a, 16));
    low = _mm_unpacklo_epi32(a16, a16);
    high = _mm_unpackhi_epi32(a16, a16);
}

// (s * a + t * (255 - a)) >> 8 per byte of four pixels (alpha bytes too).
__m128i MixBytes(__m128i s, __m128i t, __m128i a)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i all_255 = _mm_set1_epi16(255);
    __m128i a_lo;
    __m128i a_hi;
    SpreadAlpha(a, a_lo, a_hi);
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), a_lo),
                                                    _mm_mullo_epi16(_mm_unpacklo_epi8(t, zero),
                                                                    _mm_sub_epi16(all_255, a_lo))),
                                      8);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), a_hi),
                                                    _mm_mullo_epi16(_mm_unpackhi_epi8(t, zero),
                                                                    _mm_sub_epi16(all_255, a_hi))),
                                      8);
    return _mm_packus_epi16(lo, hi);
}

// a per 32-bit lane: the source alpha, or alpha * O >> 8.
__m128i EffectiveAlpha(__m128i s, uint32_t opacity)
{
    const __m128i alpha = _mm_srli_epi32(s, 24);
    if (opacity == 256)
        return alpha;
    return _mm_srli_epi32(_mm_mullo_epi16(alpha, _mm_set1_epi32(int(opacity))), 8);
}

// Four pixels of the blend: s, d the source and destination pixels.
__m128i BlendFour(__m128i s, __m128i d, uint32_t opacity)
{
    const __m128i alpha_mask = _mm_set1_epi32(int(0xFF000000u));
    const __m128i colour_mask = _mm_set1_epi32(0x00FFFFFF);
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = EffectiveAlpha(s, opacity);
    const __m128i a_top = _mm_slli_epi32(a, 24);
    const __m128i d_alpha = _mm_and_si128(d, alpha_mask);
    const __m128i blended = _mm_or_si128(_mm_and_si128(MixBytes(s, d, a), colour_mask), _mm_max_epu8(d_alpha, a_top));
    const __m128i copied = _mm_or_si128(_mm_and_si128(s, colour_mask), a_top);
    const __m128i drawn = Select(_mm_cmpeq_epi32(d_alpha, zero), copied, blended);
    const __m128i src_clear = _mm_cmpeq_epi32(_mm_and_si128(s, alpha_mask), zero);
    return Select(src_clear, d, drawn);
}

// The alpha bytes of four pixels all 255 (all_ones) or all 0 (zero).
bool AlphasAre(__m128i v, __m128i all)
{
    constexpr int ALPHA_BYTES = 0x8888;
    return (_mm_movemask_epi8(_mm_cmpeq_epi8(v, all)) & ALPHA_BYTES) == ALPHA_BYTES;
}

// Runs of clear groups, and at full opacity of opaque groups over an opaque
// destination, take short ways, as in the AVX2 kernel (which says why);
// groups of partial alphas are blended in runs of growing length.
void Blend(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity)
{
    const Tail tail(target, source, count);
    const __m128i alpha_mask = _mm_set1_epi32(int(0xFF000000u));
    const __m128i zero = _mm_setzero_si128();
    const __m128i all_ones = _mm_set1_epi8(char(0xFF));
    const __m128i one = _mm_set1_epi8(1);
    const int32_t groups_end = count & ~3;
    int32_t x = 0;
    int32_t run = 4;
    while (x < groups_end) {
        const __m128i s = Load(source + size_t(x) * 4);
        const __m128i d = Load(target + x);
        if (opacity == 256 && AlphasAre(_mm_and_si128(s, d), all_ones)) {
            Store(target + x, _mm_or_si128(_mm_subs_epu8(s, one), alpha_mask));
            for (x += 4; x < groups_end; x += 4) {
                const __m128i next = Load(source + size_t(x) * 4);
                if (!AlphasAre(_mm_and_si128(next, Load(target + x)), all_ones))
                    break;
                Store(target + x, _mm_or_si128(_mm_subs_epu8(next, one), alpha_mask));
            }
            run = 4;
            continue;
        }
        if (AlphasAre(s, zero)) {
            x += 4;
            while (x < groups_end && AlphasAre(Load(source + size_t(x) * 4), zero))
                x += 4;
            run = 4;
            continue;
        }
        Store(target + x, BlendFour(s, d, opacity));
        const int32_t run_end = std::min(x + run, groups_end);
        run = std::min(run * 16, 1 << 16);
        for (x += 4; x < run_end; x += 4)
            Store(target + x, BlendFour(Load(source + size_t(x) * 4), Load(target + x), opacity));
    }
    tail.Finish([opacity](__m128i s, __m128i d) { return BlendFour(s, d, opacity); });
}

void Tint(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
{
    const __m128i alpha_mask = _mm_set1_epi32(int(0xFF000000u));
    const __m128i tint = _mm_set1_epi32(int(rule.tint_bgr));
    const __m128i threshold = _mm_set1_epi32(int(rule.threshold));
    const uint32_t opacity = rule.full ? 256 : rule.opacity_byte;
    const Tail tail(target, source, count);
    const auto group = [&](__m128i s, __m128i d) {
        const __m128i drawn = _mm_cmpgt_epi32(_mm_srli_epi32(s, 24), threshold);
        const __m128i tinted = _mm_or_si128(MixBytes(s, tint, EffectiveAlpha(s, opacity)), alpha_mask);
        return Select(drawn, tinted, d);
    };
    for (int32_t x = 0; x + 4 <= count; x += 4)
        Store(target + x, group(Load(source + size_t(x) * 4), Load(target + x)));
    tail.Finish(group);
}

void Fade(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
{
    const __m128i alpha_mask = _mm_set1_epi32(int(0xFF000000u));
    const __m128i opacity = _mm_set1_epi32(int(rule.opacity_byte));
    const __m128i tint = _mm_set1_epi32(int(rule.tint_bgr));
    // Covered: alpha above the threshold with a tint, else alpha above 0.
    const __m128i threshold = _mm_set1_epi32(rule.has_tint ? int(rule.threshold) : 0);
    const Tail tail(target, source, count);
    const auto group = [&](__m128i s, __m128i d) {
        const __m128i drawn = _mm_cmpgt_epi32(_mm_srli_epi32(s, 24), threshold);
        const __m128i faded = _mm_or_si128(MixBytes(s, rule.has_tint ? tint : d, opacity), alpha_mask);
        return Select(drawn, faded, d);
    };
    for (int32_t x = 0; x + 4 <= count; x += 4)
        Store(target + x, group(Load(source + size_t(x) * 4), Load(target + x)));
    tail.Finish(group);
}

// SSE2 has no variable shuffle of 32-bit lanes: scaled rows are made one
// pixel at a time.
constexpr RowKernels SSE2 { Lanes<Sse2Ops>::Copy, Lanes<Sse2Ops>::CopyCovered, Blend, BlendEachRow<Blend>, Tint, Fade,
                            ScalarGather, ScalarBilinear };

} // namespace

const RowKernels* Sse2Kernels() { return &SSE2; }

#else

const RowKernels* Sse2Kernels() { return nullptr; }

#endif

} // namespace engine::blit
