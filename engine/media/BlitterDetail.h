#pragma once
// Inner pieces of the software blitter shared by its source files: the source
// view, the per-draw blend rule, the per-pixel blends (the reference the row
// kernels of BlitterKernels.h follow), the scaled rows and the paths. Not for
// use outside the blitter.
//
// Owner: the blitter. Thread: any. Hazards: BlitSource::Fetch does no range
// check; callers clip first (rows are walked inside the checked rectangle).
#include "engine/media/Blitter.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace engine::blit {

struct RowKernels;

enum class SourceKind { Bgra, Index, IndexAlpha };

// The pixels a draw reads: the image's strip (or the scaled copy), with the
// rectangle inside it that is drawn.
struct BlitSource {
    const uint8_t* pixels { nullptr };
    int32_t stride { 0 };          ///< pixels per row of the buffer
    int32_t strip_width { 0 };     ///< the buffer's size, for clamping
    int32_t strip_height { 0 };
    int32_t x { 0 };               ///< the drawn rectangle inside the buffer
    int32_t y { 0 };
    int32_t width { 0 };
    int32_t height { 0 };
    SourceKind kind { SourceKind::Bgra };
    uint32_t colour_key { IMAGE_NO_COLOUR_KEY }; ///< transparent index of a palette image
    const uint32_t* lut { nullptr };             ///< 256 palette colours as opaque BGRA

    [[nodiscard]] uint32_t BytesPerPixel() const
    {
        return kind == SourceKind::Bgra ? 4 : (kind == SourceKind::IndexAlpha ? 2 : 1);
    }
    [[nodiscard]] const uint8_t* At(int32_t px, int32_t py) const
    {
        return pixels + (size_t(py) * size_t(stride) + size_t(px)) * BytesPerPixel();
    }
    // The pixel at buffer coordinates as BGRA (palette: its colour, alpha from
    // its alpha byte or 255).
    [[nodiscard]] uint32_t Fetch(int32_t px, int32_t py) const
    {
        const uint8_t* p = At(px, py);
        switch (kind) {
        case SourceKind::Bgra: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case SourceKind::Index:
            return lut[p[0]];
        case SourceKind::IndexAlpha:
            return (lut[p[0]] & 0x00FFFFFFu) | uint32_t(p[1]) << 24;
        }
        return 0;
    }
    // Covered: a 32-bit pixel with alpha not 0; a palette pixel that is not
    // the transparent index (with an alpha channel, the alpha is tested by the
    // blend itself).
    [[nodiscard]] bool IsTransparentIndex(int32_t px, int32_t py) const
    {
        return kind != SourceKind::Bgra && At(px, py)[0] == colour_key;
    }
};

// What one draw does to each covered pixel.
struct BlendRule {
    uint32_t opacity_byte { 255 };  ///< O = truncate(opacity * 255)
    bool full { true };             ///< opacity at least 1
    bool has_tint { false };
    uint32_t tint_bgr { 0 };        ///< the tint colour in pixel order, alpha 0
    uint32_t threshold { 0 };
};

// (s * a + t * (255 - a)) >> 8 for blue, green and red; alpha 0.
inline uint32_t Mix(uint32_t s, uint32_t t, uint32_t a)
{
    const uint32_t b = 255 - a;
    const uint32_t rb = (((s & 0x00FF00FFu) * a + (t & 0x00FF00FFu) * b) >> 8) & 0x00FF00FFu;
    const uint32_t g = (((s & 0x0000FF00u) * a + (t & 0x0000FF00u) * b) >> 8) & 0x0000FF00u;
    return rb | g;
}

// The plain rule (images without alpha channel) for a covered pixel s.
inline void PlainPixel(uint32_t& d, uint32_t s, bool palette, const BlendRule& r)
{
    if (r.full) {
        d = s;
        return;
    }
    if (r.has_tint) {
        if (!palette && (s >> 24) <= r.threshold)
            return;
        d = Mix(s, r.tint_bgr, r.opacity_byte) | 0xFF000000u;
        return;
    }
    d = Mix(s, d, r.opacity_byte) | 0xFF000000u;
}

// The blend of a covered pixel s at alpha a over d without tint: over a
// clear destination pixel the colour is taken with alpha a; over any other
// the colours mix and the larger alpha stays.
inline uint32_t BlendOver(uint32_t d, uint32_t s, uint32_t a)
{
    const uint32_t dst_alpha = d >> 24;
    if (dst_alpha == 0)
        return (s & 0x00FFFFFFu) | a << 24;
    return Mix(s, d, a) | std::max(dst_alpha, a) << 24;
}

// The alpha rule (images with alpha channel) for a pixel s whose alpha is
// its top byte. over_opaque: only destination pixels of alpha 255 change.
inline void AlphaPixel(uint32_t& d, uint32_t s, bool palette, const BlendRule& r, bool over_opaque)
{
    const uint32_t alpha = s >> 24;
    const uint32_t a = r.full ? alpha : (alpha * r.opacity_byte) >> 8;
    if (over_opaque && (d >> 24) != 255)
        return;
    if (r.has_tint) {
        if (palette ? alpha < r.threshold : alpha <= r.threshold)
            return;
        d = Mix(s, r.tint_bgr, a) | 0xFF000000u;
        return;
    }
    if (alpha != 0)
        d = BlendOver(d, s, a);
}

// The bilinear mix of four pixels (left/right, top/below) by the 8-bit
// fractions fx and fy: each channel is (sum of pixel * weight) >> 8 with the
// weights below, which sum to 256.
inline uint32_t BilinearMix(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t fx, uint32_t fy)
{
    const uint32_t w11 = (fx * fy) >> 8;
    const uint32_t w10 = fx - w11;
    const uint32_t w01 = fy - w11;
    const uint32_t w00 = 256 - fx - fy + w11;
    const uint32_t rb = (((p00 & 0x00FF00FFu) * w00 + (p10 & 0x00FF00FFu) * w10 + (p01 & 0x00FF00FFu) * w01
                          + (p11 & 0x00FF00FFu) * w11)
                         & ~0x00FF00FFu)
        >> 8;
    const uint32_t ag = (((p00 & ~0x00FF00FFu) >> 8) * w00 + ((p10 & ~0x00FF00FFu) >> 8) * w10
                         + ((p01 & ~0x00FF00FFu) >> 8) * w01 + ((p11 & ~0x00FF00FFu) >> 8) * w11)
        & ~0x00FF00FFu;
    return rb | ag;
}

// Bilinear sample at (x, y) in 16.16 fixed point of buffer coordinates; the
// caller keeps x >> 16 + 1 and y >> 16 + 1 inside the buffer.
inline uint32_t BilinearSample(const BlitSource& s, int64_t x, int64_t y)
{
    const int32_t px = int32_t(x >> 16);
    const int32_t py = int32_t(y >> 16);
    return BilinearMix(s.Fetch(px, py), s.Fetch(px + 1, py), s.Fetch(px, py + 1), s.Fetch(px + 1, py + 1),
                       uint32_t(x >> 8) & 255, uint32_t(y >> 8) & 255);
}

// A 32-bit source scaled to width x height, made one row at a time: nearest
// with rounding, or bilinear, exactly the pixels of the whole scaled copy.
// One lives for one draw on one thread; it keeps the kernels' per-draw data
// (column picks, bilinear terms of the last source rows) between rows.
class CScaledRows {
public:
    CScaledRows(const BlitSource& source, int32_t width, int32_t height, bool bilinear, const RowKernels& kernels);
    // Columns [x, x + count) of scaled row y into out; the caller keeps them
    // inside the scaled size.
    void Row(int32_t x, int32_t y, int32_t count, uint32_t* out) const;
    // True when scaled rows a and b are the same pixels (nearest scaling
    // repeats source rows when it enlarges).
    [[nodiscard]] bool SameRows(int32_t a, int32_t b) const;

private:
    [[nodiscard]] int32_t SourceRow(int32_t y) const;
    // Bilinear columns [x, x + count) of row y that lie on the image's border
    // (the border rows, and the border columns of the others).
    void BilinearPixels(int32_t x, int32_t y, int32_t count, uint32_t* out) const;

    BlitSource m_source;
    const RowKernels& m_kernels;
    bool m_bilinear { false };
    int64_t m_step_x { 0 };
    int64_t m_step_y { 0 };
    std::vector<int32_t> m_columns;   ///< the buffer column of each scaled column (bilinear: the left one)
    std::vector<uint16_t> m_fx4;      ///< bilinear: each column's fraction, four times
    int32_t m_inner_begin { 0 };      ///< bilinear: the columns with a pixel on both sides
    int32_t m_inner_end { 0 };
    // Bilinear: the kernel's picks for the m_picks_count columns from
    // m_picks_first (the same for every row of a draw, so made once).
    mutable std::vector<int32_t> m_picks;
    mutable int32_t m_picks_first { -1 };
    mutable int32_t m_picks_count { -1 };
    // Bilinear: the kernel's terms, and the source row and first column they
    // were last made for.
    mutable std::vector<uint16_t> m_terms;
    mutable int32_t m_terms_row { -1 };
    mutable int32_t m_terms_first { -1 };
};

// truncate(sqrt((w/2)^2 + (h/2)^2)), 0 unless both sizes are above 0.
int32_t RadiusOf(int32_t width, int32_t height);

// Cosine and sine of the angle scaled by `scale`, exact at 0, 90, 180, 270.
void RotationFactors(double angle, int32_t scale, int32_t& cs, int32_t& sn);

// The paths (BlitterPaths.cpp). `left`, `top`: the unrotated placement.
// `scaled`, where given, supplies the rows of a scaled 32-bit source whose
// geometry `s` describes (CopyRows, and the 32-bit paths of DrawPlain and of
// DrawAlpha without over_opaque).
void CopyRows(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip,
              const RowKernels& kernels, const CScaledRows* scaled);
void DrawPlain(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip,
               const BlendRule& rule, const RowKernels& kernels, const CScaledRows* scaled);
void DrawAlpha(const BlitSurface& d, const BlitSource& s, int32_t left, int32_t top, const BlitBox& clip,
               const BlendRule& rule, bool over_opaque, const RowKernels& kernels, const CScaledRows* scaled);
void DrawRotatedNearest(const BlitSurface& d, const BlitSource& s, const DrawParams& params, const BlitBox& clip,
                        const BlendRule& rule, bool alpha_channel, const RowKernels& kernels);
void DrawRotatedSmooth(const BlitSurface& d, const BlitSource& s, const DrawParams& params, const BlitBox& clip,
                       uint32_t opacity_byte, const RowKernels& kernels);
void DrawSilhouette(const BlitSurface& d, const BlitSource& s, const DrawParams& params, const BlitBox& clip,
                    bool test_opacity, bool opacity_zero);

} // namespace engine::blit
