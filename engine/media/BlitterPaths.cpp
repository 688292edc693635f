// The drawing paths of the software blitter: row copy, plain, alpha and
// over-opaque (unrotated), nearest and smooth rotation, and the silhouette.
#include "engine/media/BlitterKernels.h"

#include <cassert>
#include <cmath>

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

// The source rows of a placement, columns [x, x + count): the buffer's own,
// or the scaled rows made into a row buffer (kept while they repeat).
class CRowReader {
public:
    CRowReader(const BlitSource& s, const CScaledRows* scaled, int32_t x, int32_t count)
        : m_source(s), m_scaled(scaled), m_x(x), m_count(count), m_buffer(scaled ? size_t(count) : 0)
    {
    }
    const uint8_t* Row(int32_t y)
    {
        if (!m_scaled)
            return m_source.At(m_x, y);
        if (m_made_y < 0 || !m_scaled->SameRows(m_made_y, y))
            m_scaled->Row(m_x, y, m_count, m_buffer.data());
        m_made_y = y;
        return reinterpret_cast<const uint8_t*>(m_buffer.data());
    }

private:
    const BlitSource& m_source;
    const CScaledRows* m_scaled;
    int32_t m_x;
    int32_t m_count;
    std::vector<uint32_t> m_buffer;
    int32_t m_made_y { -1 };
};

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

void CopyRows(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip,
              const RowKernels& kernels, const CScaledRows* scaled)
{
    Placement p;
    if (!Place(s, left, top, clip, p))
        return;
    for (int32_t row = 0; row < p.height; ++row) {
        uint32_t* target = d.pixels + size_t(p.top + row) * size_t(d.width) + p.left;
        const int32_t y = p.source_y + row;
        if (!scaled)
            kernels.copy(target, s.At(p.source_x, y), p.width);
        else if (row > 0 && scaled->SameRows(y - 1, y))   // the row above, made already
            kernels.copy(target, reinterpret_cast<const uint8_t*>(target - d.width), p.width);
        else
            scaled->Row(p.source_x, y, p.width, target);
    }
}

void DrawPlain(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip,
               const BlendRule& rule, const RowKernels& kernels, const CScaledRows* scaled)
{
    Placement p;
    if (!Place(s, left, top, clip, p))
        return;
    const bool palette = s.kind != SourceKind::Bgra;
    if (!palette) {
        CRowReader rows(s, scaled, p.source_x, p.width);
        for (int32_t row = 0; row < p.height; ++row) {
            uint32_t* target = d.pixels + size_t(p.top + row) * size_t(d.width) + p.left;
            const uint8_t* source = rows.Row(p.source_y + row);
            if (rule.full)
                kernels.copy_covered(target, source, p.width);
            else
                kernels.fade(target, source, p.width, rule);
        }
        return;
    }
    assert(!scaled);
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
               const BlendRule& rule, bool over_opaque, const RowKernels& kernels, const CScaledRows* scaled)
{
    Placement p;
    if (!Place(s, left, top, clip, p))
        return;
    if (s.kind == SourceKind::Bgra && !over_opaque) {
        // The common case (card sprites): whole rows through the kernels.
        const uint32_t opacity = rule.full ? 256 : rule.opacity_byte;
        if (!scaled && !rule.has_tint) {
            // The image's own rows, all in one call.
            kernels.blend_rows(d.pixels + size_t(p.top) * size_t(d.width) + p.left, size_t(d.width),
                               s.At(p.source_x, p.source_y), size_t(s.stride), p.width, p.height, opacity);
            return;
        }
        CRowReader rows(s, scaled, p.source_x, p.width);
        for (int32_t row = 0; row < p.height; ++row) {
            uint32_t* target = d.pixels + size_t(p.top + row) * size_t(d.width) + p.left;
            const uint8_t* source = rows.Row(p.source_y + row);
            if (rule.has_tint)
                kernels.tint(target, source, p.width, rule);
            else
                kernels.blend(target, source, p.width, opacity);
        }
        return;
    }
    assert(!scaled);
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
                        const BlendRule& rule, bool alpha_channel, const RowKernels& kernels)
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
    // 32-bit sources gather each row's samples and draw them as a row; a
    // sample outside the image is clear and leaves its pixel.
    const bool row_kernel = !palette;
    const uint32_t opacity = rule.full ? 256 : rule.opacity_byte;
    std::vector<uint32_t> samples(row_kernel ? size_t(std::max<int64_t>(j_end - j_begin, 0)) : 0);
    const uint8_t* const origin = row_kernel ? s.At(s.x, s.y) : nullptr;
    const int64_t stride = s.stride;
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
        if (k_first >= k_last)
            continue;
        int64_t u = u0 + k_first * cs;
        int64_t v = v0 - k_first * sn;
        if (row_kernel) {
            uint32_t* gathered = samples.data();
            const int64_t steps = k_last - k_first;
            for (int64_t k = 0; k < steps; ++k, u += cs, v -= sn) {
                const int64_t sx = mx + (u >> 10);
                const int64_t sy = my - (v >> 10);
                uint32_t pixel = 0;
                if (uint64_t(sx) < uint64_t(w) && uint64_t(sy) < uint64_t(h))
                    std::memcpy(&pixel, origin + (sy * stride + sx) * 4, 4);
                gathered[k] = pixel;
            }
            uint32_t* target = row + (j_begin + k_first);
            const auto* source = reinterpret_cast<const uint8_t*>(gathered);
            const int32_t count = int32_t(k_last - k_first);
            if (!alpha_channel && rule.full)
                kernels.copy_covered(target, source, count);
            else if (!alpha_channel)
                kernels.fade(target, source, count, rule);
            else if (rule.has_tint)
                kernels.tint(target, source, count, rule);
            else
                kernels.blend(target, source, count, opacity);
            continue;
        }
        for (int64_t j = j_begin + k_first; j < j_begin + k_last; ++j, u += cs, v -= sn) {
            const int64_t sx = mx + (u >> 10);
            const int64_t sy = my - (v >> 10);
            if (sx < 0 || sx >= w || sy < 0 || sy >= h)
                continue;
            const int32_t bx = s.x + int32_t(sx);
            const int32_t by = s.y + int32_t(sy);
            uint32_t& target = row[j];
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
                       uint32_t opacity_byte, const RowKernels& kernels)
{
    int32_t cs = 0;
    int32_t sn = 0;
    RotationFactors(params.angle, 65536, cs, sn);
    const int32_t w = s.width;
    const int32_t h = s.height;
    const int32_t r = RadiusOf(w, h);
    const int64_t mx = int64_t(w + 1) << 15;
    const int64_t my = int64_t(h + 1) << 15;
    // The sample at source position (fx, fy) in 16.16: bilinear inside, the
    // nearest pixel on the image's border.
    const auto sample_at = [&](int64_t fx, int64_t fy, int64_t ix, int64_t iy) {
        const int32_t bx = s.x + int32_t(ix);
        const int32_t by = s.y + int32_t(iy);
        if (ix == 0 || iy == 0 || ix == w - 1 || iy == h - 1)
            return s.Fetch(bx, by);
        return BilinearSample(s, fx + int64_t(s.x) * 65536, fy + int64_t(s.y) * 65536);
    };
    if (s.kind != SourceKind::Bgra) {
        WalkSquare(d, params, r, clip, [&](uint32_t& target, int64_t dx, int64_t dy) {
            const int64_t fx = mx + (dx * cs + dy * sn);
            const int64_t fy = my - (dy * cs - dx * sn);
            const int64_t ix = fx >> 16;
            const int64_t iy = fy >> 16;
            if (ix < 0 || ix >= w || iy < 0 || iy >= h || s.IsTransparentIndex(s.x + int32_t(ix), s.y + int32_t(iy)))
                return;
            const uint32_t sample = sample_at(fx, fy, ix, iy);
            const uint32_t a = (opacity_byte * (sample >> 24)) >> 8;
            // A fully transparent sample leaves the destination as it is.
            if (a != 0)
                target = BlendOver(target, sample, a);
        });
        return;
    }
    // 32-bit sources: each row's samples, over the steps whose source pixel
    // lies inside the image, go through the blend kernel at the opacity byte
    // (a = alpha * O >> 8, as above); a sample whose a is 0 is made clear,
    // which the kernel leaves.
    const SquareSpan span = SquareOf(params, r, clip);
    std::vector<uint32_t> samples(size_t(std::max<int64_t>(span.j_end - span.j_begin, 0)));
    for (int64_t i = span.i_begin; i < span.i_end; ++i) {
        const int64_t dy = r - i;
        // fx = mx + u and fy = my - v, stepping by cs and -sn along the row.
        const int64_t u0 = (span.j_begin - r) * cs + dy * sn;
        const int64_t v0 = dy * cs - (span.j_begin - r) * sn;
        const int64_t row_steps = span.j_end - span.j_begin;
        int64_t k_first = 0;
        int64_t k_last = row_steps;
        StepRange(u0, cs, -mx, int64_t(w) * 65536 - 1 - mx, row_steps, k_first, k_last);
        StepRange(v0, -int64_t(sn), my - int64_t(h) * 65536 + 1, my, row_steps, k_first, k_last);
        if (k_first >= k_last)
            continue;
        int64_t u = u0 + k_first * cs;
        int64_t v = v0 - k_first * sn;
        const int64_t steps = k_last - k_first;
        for (int64_t k = 0; k < steps; ++k, u += cs, v -= sn) {
            const int64_t fx = mx + u;
            const int64_t fy = my - v;
            const uint32_t sample = sample_at(fx, fy, fx >> 16, fy >> 16);
            samples[size_t(k)] = ((opacity_byte * (sample >> 24)) >> 8) != 0 ? sample : 0;
        }
        uint32_t* target =
            d.pixels + size_t(span.origin_y + i) * size_t(d.width) + size_t(span.origin_x + span.j_begin + k_first);
        kernels.blend(target, reinterpret_cast<const uint8_t*>(samples.data()), int32_t(steps), opacity_byte);
    }
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
