// The drawing paths of the software blitter: row copy, plain, alpha and
// over-opaque (unrotated), nearest and smooth rotation, and the silhouette.
#include "engine/media/BlitterDetail.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#define PLDK_BLIT_AVX2 1
#endif

namespace engine::blit {

namespace {

// The unrotated rectangle after clipping: destination origin, size and the
// source origin in buffer coordinates.
struct Placement {
    int32_t left { 0 };
    int32_t top { 0 };
    int32_t width { 0 };
    int32_t height { 0 };
    int32_t source_x { 0 };
    int32_t source_y { 0 };
};

bool Place(const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip, Placement& out)
{
    int64_t width = s.width;
    int64_t height = s.height;
    int64_t sx = s.x;
    int64_t sy = s.y;
    int64_t l = left;
    int64_t t = top;
    if (l < clip.left) {
        width -= clip.left - l;
        sx += clip.left - l;
        l = clip.left;
    }
    if (l + width >= clip.right)
        width = clip.right - l;
    if (t < clip.top) {
        height -= clip.top - t;
        sy += clip.top - t;
        t = clip.top;
    }
    if (t + height >= clip.bottom)
        height = clip.bottom - t;
    if (width <= 0 || height <= 0)
        return false;
    out = Placement { int32_t(l), int32_t(t), int32_t(width), int32_t(height), int32_t(sx), int32_t(sy) };
    return true;
}

// Covered pixels (alpha not 0) of a 32-bit row replace the destination.
void CopyCoveredRow(uint32_t* target, const uint8_t* source, int32_t count)
{
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128i alpha_mask = _mm_set1_epi32(int(0xFF000000u));
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= count; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + size_t(x) * 4));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + x));
        const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, alpha_mask), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + x),
                         _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, s)));
    }
#endif
    for (; x < count; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, source + size_t(x) * 4, 4);
        if (pixel >> 24)
            target[x] = pixel;
    }
}

#if defined(__SSE2__)
namespace sse2 {

// Four pixels at a time.
struct Lanes {
    using V = __m128i;
    static constexpr int32_t N = 4;
    static V Load(const void* p) { return _mm_loadu_si128(static_cast<const V*>(p)); }
    static void Store(void* p, V v) { _mm_storeu_si128(static_cast<V*>(p), v); }
    static V Set32(uint32_t v) { return _mm_set1_epi32(int(v)); }
    static V Set16(uint16_t v) { return _mm_set1_epi16(short(v)); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    template<int Bits> static V ShiftRight32(V v) { return _mm_srli_epi32(v, Bits); }
    template<int Bits> static V ShiftLeft32(V v) { return _mm_slli_epi32(v, Bits); }
    template<int Bits> static V ShiftRight16(V v) { return _mm_srli_epi16(v, Bits); }
    static V Mul16(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V Add16(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub16(V a, V b) { return _mm_sub_epi16(a, b); }
    static V UnpackLo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V UnpackHi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
    static V UnpackLo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
    static V UnpackHi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
    static V PackU8(V a, V b) { return _mm_packus_epi16(a, b); }
    static V MaxU8(V a, V b) { return _mm_max_epu8(a, b); }
    static V Equal32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
    // Per byte: where mask is set, a; elsewhere b.
    static V Select(V mask, V a, V b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
};

#include "engine/media/BlitterBlendRow.inc"

} // namespace sse2
#endif

#if defined(PLDK_BLIT_AVX2)
// Everything down to the pop is compiled for AVX2; it runs only where the
// processor has it (HasAvx2).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {

// Eight pixels at a time; the 256-bit operations work on two 128-bit halves
// exactly as the SSE2 ones do on one.
struct Lanes {
    using V = __m256i;
    static constexpr int32_t N = 8;
    static V Load(const void* p) { return _mm256_loadu_si256(static_cast<const V*>(p)); }
    static void Store(void* p, V v) { _mm256_storeu_si256(static_cast<V*>(p), v); }
    static V Set32(uint32_t v) { return _mm256_set1_epi32(int(v)); }
    static V Set16(uint16_t v) { return _mm256_set1_epi16(short(v)); }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    template<int Bits> static V ShiftRight32(V v) { return _mm256_srli_epi32(v, Bits); }
    template<int Bits> static V ShiftLeft32(V v) { return _mm256_slli_epi32(v, Bits); }
    template<int Bits> static V ShiftRight16(V v) { return _mm256_srli_epi16(v, Bits); }
    static V Mul16(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V UnpackLo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
    static V UnpackHi8(V a, V b) { return _mm256_unpackhi_epi8(a, b); }
    static V UnpackLo32(V a, V b) { return _mm256_unpacklo_epi32(a, b); }
    static V UnpackHi32(V a, V b) { return _mm256_unpackhi_epi32(a, b); }
    static V PackU8(V a, V b) { return _mm256_packus_epi16(a, b); }
    static V MaxU8(V a, V b) { return _mm256_max_epu8(a, b); }
    static V Equal32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
    static V Select(V mask, V a, V b) { return _mm256_blendv_epi8(b, a, mask); }
};

#include "engine/media/BlitterBlendRow.inc"

} // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// The alpha rule without tint over one 32-bit row. opacity is 256 for full
// opacity (a = source alpha), else the opacity byte (a = alpha * O >> 8).
void BlendAlphaRow(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity)
{
    int32_t x = 0;
#if defined(PLDK_BLIT_AVX2)
    if (HasAvx2())
        x = avx2::BlendAlphaRowLanes(target, source, count, opacity);
#endif
#if defined(__SSE2__)
    x += sse2::BlendAlphaRowLanes(target + x, source + size_t(x) * 4, count - x, opacity);
#endif
    for (; x < count; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, source + size_t(x) * 4, 4);
        const uint32_t dst = target[x];
        const uint32_t alpha = pixel >> 24;
        if (alpha == 0)
            continue;
        target[x] = BlendOver(dst, pixel, opacity == 256 ? alpha : (alpha * opacity) >> 8);
    }
}

// The part of a rotated draw's 2r x 2r square (top left: the centre minus
// the radius) that lies inside the clip rectangle: rows i and columns j.
struct SquareSpan {
    int64_t origin_x { 0 };
    int64_t origin_y { 0 };
    int64_t i_begin { 0 };
    int64_t i_end { 0 };
    int64_t j_begin { 0 };
    int64_t j_end { 0 };
};

SquareSpan SquareOf(const DrawParams& params, int32_t r, const BlitBox& clip)
{
    SquareSpan span;
    span.origin_x = int64_t(params.centre_x) - params.radius;
    span.origin_y = int64_t(params.centre_y) - params.radius;
    const int64_t side = int64_t(r) * 2;
    span.i_begin = std::max<int64_t>(0, clip.top - span.origin_y);
    span.i_end = std::min<int64_t>(side, clip.bottom - span.origin_y);
    span.j_begin = std::max<int64_t>(0, clip.left - span.origin_x);
    span.j_end = std::min<int64_t>(side, clip.right - span.origin_x);
    return span;
}

// Visits each pixel of the square inside the clip: visit(destination pixel, dx, dy)
// with dx = j - r and dy = r - i.
template<typename Visit>
void WalkSquare(const BlitSurface& d, const DrawParams& params, int32_t r, const BlitBox& clip, Visit&& visit)
{
    const SquareSpan span = SquareOf(params, r, clip);
    for (int64_t i = span.i_begin; i < span.i_end; ++i) {
        uint32_t* row = d.pixels + size_t(span.origin_y + i) * size_t(d.width);
        const int64_t dy = r - i;
        for (int64_t j = span.j_begin; j < span.j_end; ++j)
            visit(row[span.origin_x + j], j - r, dy);
    }
}

} // namespace

void CopyRows(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip)
{
    Placement p;
    if (!Place(s, left, top, clip, p))
        return;
    for (int32_t row = 0; row < p.height; ++row) {
        uint32_t* target = d.pixels + size_t(p.top + row) * size_t(d.width) + p.left;
        std::memcpy(target, s.At(p.source_x, p.source_y + row), size_t(p.width) * 4);
    }
}

void DrawPlain(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip,
               const BlendRule& rule)
{
    Placement p;
    if (!Place(s, left, top, clip, p))
        return;
    const bool palette = s.kind != SourceKind::Bgra;
    if (!palette && rule.full) {
        for (int32_t row = 0; row < p.height; ++row) {
            CopyCoveredRow(d.pixels + size_t(p.top + row) * size_t(d.width) + p.left,
                           s.At(p.source_x, p.source_y + row), p.width);
        }
        return;
    }
    for (int32_t row = 0; row < p.height; ++row) {
        uint32_t* target = d.pixels + size_t(p.top + row) * size_t(d.width) + p.left;
        const int32_t sy = p.source_y + row;
        for (int32_t x = 0; x < p.width; ++x) {
            const int32_t sx = p.source_x + x;
            if (s.IsTransparentIndex(sx, sy))
                continue;
            const uint32_t pixel = s.Fetch(sx, sy);
            if (!palette && (pixel >> 24) == 0)
                continue;
            PlainPixel(target[x], palette ? pixel | 0xFF000000u : pixel, palette, rule);
        }
    }
}

void DrawAlpha(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip,
               const BlendRule& rule, bool over_opaque)
{
    Placement p;
    if (!Place(s, left, top, clip, p))
        return;
    if (s.kind == SourceKind::Bgra && !rule.has_tint && !over_opaque) {
        // The common case (card sprites), four pixels at a time.
        const uint32_t opacity = rule.full ? 256 : rule.opacity_byte;
        for (int32_t row = 0; row < p.height; ++row) {
            BlendAlphaRow(d.pixels + size_t(p.top + row) * size_t(d.width) + p.left,
                          s.At(p.source_x, p.source_y + row), p.width, opacity);
        }
        return;
    }
    const bool palette = s.kind != SourceKind::Bgra;
    for (int32_t row = 0; row < p.height; ++row) {
        uint32_t* target = d.pixels + size_t(p.top + row) * size_t(d.width) + p.left;
        const int32_t sy = p.source_y + row;
        for (int32_t x = 0; x < p.width; ++x) {
            const int32_t sx = p.source_x + x;
            if (s.IsTransparentIndex(sx, sy))
                continue;
            AlphaPixel(target[x], s.Fetch(sx, sy), palette, rule, over_opaque);
        }
    }
}

// The range [first, last) of steps k in [0, count) for which
// lo <= start + k * step <= hi, with exact integer bounds.
void StepRange(int64_t start, int64_t step, int64_t lo, int64_t hi, int64_t count, int64_t& first, int64_t& last)
{
    const auto floor_div = [](int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
    const auto ceil_div = [&](int64_t a, int64_t b) { return -floor_div(-a, b); };
    int64_t k_lo = 0;
    int64_t k_hi = count - 1;
    if (step == 0) {
        if (start < lo || start > hi)
            k_hi = -1;
    } else if (step > 0) {
        k_lo = std::max(k_lo, ceil_div(lo - start, step));
        k_hi = std::min(k_hi, floor_div(hi - start, step));
    } else {
        k_lo = std::max(k_lo, ceil_div(hi - start, step));
        k_hi = std::min(k_hi, floor_div(lo - start, step));
    }
    first = std::max(first, k_lo);
    last = std::min(last, k_hi + 1);
}

void DrawRotatedNearest(const BlitSurface& d, const BlitSource& s, const DrawParams& params, const BlitBox& clip,
                        const BlendRule& rule, bool alpha_channel)
{
    int32_t cs = 0;
    int32_t sn = 0;
    RotationFactors(params.angle, 1024, cs, sn);
    const int32_t w = s.width;
    const int32_t h = s.height;
    const int32_t r = RadiusOf(w, h);
    const int64_t mx = (w + 1) / 2;
    const int64_t my = (h + 1) / 2;
    const bool palette = s.kind != SourceKind::Bgra;
    const SquareSpan span = SquareOf(params, r, clip);
    const int64_t j_begin = span.j_begin;
    const int64_t j_end = span.j_end;
    const bool plain_alpha = !palette && alpha_channel && !rule.has_tint;
    const uint32_t opacity = rule.full ? 256 : rule.opacity_byte;
    for (int64_t i = span.i_begin; i < span.i_end; ++i) {
        uint32_t* row = d.pixels + size_t(span.origin_y + i) * size_t(d.width) + size_t(span.origin_x);
        const int64_t dy = r - i;
        // The source position steps by the factors along the row: exactly
        // (dx * cs + dy * sn) and (dy * cs - dx * sn) at each dx.
        const int64_t u0 = (j_begin - r) * cs + dy * sn;
        const int64_t v0 = dy * cs - (j_begin - r) * sn;
        // Only the steps whose source pixel lies inside the image: 0 <= sx < w
        // and 0 <= sy < h, solved for the shifted sums.
        int64_t k_first = 0;
        int64_t k_last = j_end - j_begin;
        StepRange(u0, cs, -mx * 1024, (w - mx) * 1024 - 1, j_end - j_begin, k_first, k_last);
        StepRange(v0, -int64_t(sn), (my - h + 1) * 1024, my * 1024 + 1023, j_end - j_begin, k_first, k_last);
        int64_t u = u0 + k_first * cs;
        int64_t v = v0 - k_first * sn;
        for (int64_t j = j_begin + k_first; j < j_begin + k_last; ++j, u += cs, v -= sn) {
            const int64_t sx = mx + (u >> 10);
            const int64_t sy = my - (v >> 10);
            if (sx < 0 || sx >= w || sy < 0 || sy >= h)
                continue;
            const int32_t bx = s.x + int32_t(sx);
            const int32_t by = s.y + int32_t(sy);
            uint32_t& target = row[j];
            if (plain_alpha) {
                uint32_t pixel;
                std::memcpy(&pixel, s.At(bx, by), 4);
                const uint32_t alpha = pixel >> 24;
                if (alpha == 0)
                    continue;
                target = BlendOver(target, pixel, opacity == 256 ? alpha : (alpha * opacity) >> 8);
                continue;
            }
            if (s.IsTransparentIndex(bx, by))
                continue;
            const uint32_t pixel = s.Fetch(bx, by);
            if (alpha_channel)
                AlphaPixel(target, pixel, palette, rule, false);
            else if (palette || (pixel >> 24) != 0)
                PlainPixel(target, palette ? pixel | 0xFF000000u : pixel, palette, rule);
        }
    }
}

void DrawRotatedSmooth(const BlitSurface& d, const BlitSource& s, const DrawParams& params, const BlitBox& clip,
                       uint32_t opacity_byte)
{
    int32_t cs = 0;
    int32_t sn = 0;
    RotationFactors(params.angle, 65536, cs, sn);
    const int32_t w = s.width;
    const int32_t h = s.height;
    const int32_t r = RadiusOf(w, h);
    const int64_t mx = int64_t(w + 1) << 15;
    const int64_t my = int64_t(h + 1) << 15;
    WalkSquare(d, params, r, clip, [&](uint32_t& target, int64_t dx, int64_t dy) {
        const int64_t fx = mx + (dx * cs + dy * sn);
        const int64_t fy = my - (dy * cs - dx * sn);
        const int64_t ix = fx >> 16;
        const int64_t iy = fy >> 16;
        if (ix < 0 || ix >= w || iy < 0 || iy >= h)
            return;
        const int32_t bx = s.x + int32_t(ix);
        const int32_t by = s.y + int32_t(iy);
        if (s.IsTransparentIndex(bx, by))
            return;
        uint32_t sample;
        if (ix == 0 || iy == 0 || ix == w - 1 || iy == h - 1)
            sample = s.Fetch(bx, by);
        else
            sample = BilinearSample(s, fx + int64_t(s.x) * 65536, fy + int64_t(s.y) * 65536);
        const uint32_t a = (opacity_byte * (sample >> 24)) >> 8;
        // A fully transparent sample leaves the destination as it is.
        if (a == 0)
            return;
        target = BlendOver(target, sample, a);
    });
}

void DrawSilhouette(const BlitSurface& d, const BlitSource& s, const DrawParams& params, const BlitBox& clip,
                    bool test_opacity, bool opacity_zero)
{
    if (test_opacity && opacity_zero)
        return;
    int32_t cs = 0;
    int32_t sn = 0;
    RotationFactors(params.angle, 1024, cs, sn);
    const int32_t w = s.width;
    const int32_t h = s.height;
    const int32_t r = RadiusOf(w, h);
    const int64_t mx = (w + 1) / 2;
    const int64_t my = (h + 1) / 2;
    DrawParams placed = params;
    if (placed.radius < 1)
        placed.radius = RadiusOf(params.width, params.height);
    WalkSquare(d, placed, r, clip, [&](uint32_t& target, int64_t dx, int64_t dy) {
        const int64_t sx = mx + ((dx * cs + dy * sn) >> 10);
        const int64_t sy = my - ((dy * cs - dx * sn) >> 10);
        if (sx < 0 || sx >= w || sy < 0 || sy >= h)
            return;
        const int32_t bx = s.x + int32_t(sx);
        const int32_t by = s.y + int32_t(sy);
        if (s.IsTransparentIndex(bx, by))
            return;
        if (s.kind != SourceKind::Index && (s.Fetch(bx, by) >> 24) == 0)
            return;
        target = (~target & 0x00FFFFFFu) | 0xFF000000u;
    });
}

} // namespace engine::blit
