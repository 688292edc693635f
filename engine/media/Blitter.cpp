#include "engine/media/Blitter.h"

#include "engine/core/EngineLog.h"
#include "engine/media/BlitterKernels.h"

#include <cmath>
#include <optional>
#include <vector>

namespace engine {

using namespace blit;

namespace {

constexpr double BLIT_PI = 3.14159;

// The box of an unrotated draw of the given size around the centre.
BlitBox PlainBox(const DrawParams& params)
{
    BlitBox box;
    box.left = params.centre_x - (params.width + 1) / 2;
    box.top = params.centre_y - (params.height + 1) / 2;
    box.right = box.left + params.width;
    box.bottom = box.top + params.height;
    return box;
}

void BuildPalette(const ImageRecord& image, uint32_t* lut)
{
    const uint32_t available = image.PaletteBytes() / 3;
    const uint32_t count = std::min<uint32_t>({ available, image.palette_count, 256u });
    const uint8_t* p = image.palette.get();
    for (uint32_t i = 0; i < 256; ++i) {
        if (i < count)
            lut[i] = uint32_t(p[i * 3 + 2]) | uint32_t(p[i * 3 + 1]) << 8 | uint32_t(p[i * 3]) << 16 | 0xFF000000u;
        else
            lut[i] = 0xFF000000u;
    }
}

// Scales the source rectangle to width x height into `out` (which becomes
// the new source). 32-bit images: nearest with rounding, or bilinear;
// palette images: nearest without rounding.
void ScaleSource(const BlitSource& s, int32_t width, int32_t height, bool bilinear, const RowKernels& kernels,
                 std::vector<uint8_t>& out)
{
    const uint32_t bpp = s.BytesPerPixel();
    out.resize(size_t(width) * size_t(height) * bpp);
    if (s.kind == SourceKind::Bgra) {
        const CScaledRows rows(s, width, height, bilinear, kernels);
        for (int32_t j = 0; j < height; ++j)
            rows.Row(0, j, width, reinterpret_cast<uint32_t*>(out.data() + size_t(j) * width * 4));
        return;
    }
    // Palette sources: nearest without rounding.
    const int64_t step_x = (int64_t(s.width) << 10) / width;
    const int64_t step_y = (int64_t(s.height) << 10) / height;
    std::vector<int32_t> columns(static_cast<size_t>(width));
    for (int32_t i = 0; i < width; ++i)
        columns[size_t(i)] = s.x + int32_t(std::min<int64_t>((i * step_x) >> 10, s.width - 1));
    for (int32_t j = 0; j < height; ++j) {
        const int32_t sy = s.y + int32_t(std::min<int64_t>((j * step_y) >> 10, s.height - 1));
        const uint8_t* source_row = s.At(0, sy);
        uint8_t* row = out.data() + size_t(j) * width * bpp;
        for (int32_t i = 0; i < width; ++i)
            std::memcpy(row + size_t(i) * bpp, source_row + size_t(columns[size_t(i)]) * bpp, bpp);
    }
}

// The rows of the frame strip that the pixel buffer really holds.
int64_t StripHeight(const ImageRecord& image)
{
    const int64_t strip_height = image.frames > 1 ? int64_t(image.height) * image.frames : image.height;
    return std::min<int64_t>(strip_height, image.pixel_bytes / (uint64_t(image.width) * image.BytesPerPixel()));
}

// Where a draw may write: the destination, its limit and the draw's clip.
BlitBox DrawClip(const BlitSurface& destination, const DrawParams& p)
{
    BlitBox clip { 0, 0, destination.width, destination.height };
    if (destination.limit) {
        clip.left = std::max(clip.left, destination.limit->left);
        clip.top = std::max(clip.top, destination.limit->top);
        clip.right = std::min(clip.right, destination.limit->right);
        clip.bottom = std::min(clip.bottom, destination.limit->bottom);
    }
    if (p.flags & DRAW_FLAG_CLIP) {
        // The sums are taken in 64 bits: the clip only ever narrows.
        const int64_t dx = int64_t(p.object_x) - p.centre_x;
        const int64_t dy = int64_t(p.object_y) - p.centre_y;
        clip.left = int32_t(std::max<int64_t>(clip.left, p.clip_left + dx));
        clip.top = int32_t(std::max<int64_t>(clip.top, p.clip_top + dy));
        clip.right = int32_t(std::min<int64_t>(clip.right, p.clip_right + dx));
        clip.bottom = int32_t(std::min<int64_t>(clip.bottom, p.clip_bottom + dy));
    }
    return clip;
}

} // namespace

namespace blit {

CScaledRows::CScaledRows(const BlitSource& source, int32_t width, int32_t height, bool bilinear,
                         const RowKernels& kernels)
    : m_source(source), m_kernels(kernels), m_bilinear(bilinear)
{
    const int32_t shift = bilinear ? 16 : 10;
    m_step_x = (source.width >= 2 && width >= 2) ? (int64_t(source.width - 1) << shift) / (width - 1) : 0;
    m_step_y = (source.height >= 2 && height >= 2) ? (int64_t(source.height - 1) << shift) / (height - 1) : 0;
    m_columns.resize(size_t(width));
    if (!bilinear) {
        for (int32_t i = 0; i < width; ++i)
            m_columns[size_t(i)] = source.x + int32_t(std::min<int64_t>((i * m_step_x + 512) >> 10, source.width - 1));
        return;
    }
    m_fx4.resize(size_t(width) * 4);
    m_inner_begin = width;
    m_inner_end = width;
    for (int32_t i = 0; i < width; ++i) {
        const int64_t fx = i * m_step_x;
        const int32_t ix = int32_t(std::clamp<int64_t>(fx >> 16, 0, source.width - 1));
        m_columns[size_t(i)] = source.x + ix;
        std::fill_n(m_fx4.begin() + i * 4, 4, uint16_t((fx >> 8) & 255));
        if (ix > 0 && m_inner_begin == width)
            m_inner_begin = i;
        if (ix >= source.width - 1 && m_inner_end == width)
            m_inner_end = i;
    }
    m_inner_end = std::max(m_inner_end, m_inner_begin);
}

int32_t CScaledRows::SourceRow(int32_t y) const
{
    return m_source.y + int32_t(std::min<int64_t>((y * m_step_y + 512) >> 10, m_source.height - 1));
}

bool CScaledRows::SameRows(int32_t a, int32_t b) const { return !m_bilinear && SourceRow(a) == SourceRow(b); }

void CScaledRows::Row(int32_t x, int32_t y, int32_t count, uint32_t* out) const
{
    const BlitSource& s = m_source;
    if (!m_bilinear) {
        m_kernels.gather(out, s.At(0, SourceRow(y)), m_columns.data() + x, count, s.stride);
        return;
    }
    const int64_t fy = y * m_step_y;
    const int32_t iy = int32_t(std::clamp<int64_t>(fy >> 16, 0, s.height - 1));
    if (iy == 0 || iy == s.height - 1) {
        BilinearPixels(x, y, count, out);
        return;
    }
    // Columns with a pixel on both sides go through the kernel; the border
    // columns take the nearest pixel.
    const int32_t end = x + count;
    const int32_t inner_begin = std::clamp(m_inner_begin, x, end);
    const int32_t inner_end = std::clamp(m_inner_end, inner_begin, end);
    BilinearPixels(x, y, inner_begin - x, out);
    BilinearRow row;
    row.top = s.At(0, s.y + iy);
    row.below = s.At(0, s.y + iy + 1);
    row.fy = uint32_t(fy >> 8) & 255;
    row.columns = m_columns.data() + inner_begin;
    row.fx4 = m_fx4.data() + size_t(inner_begin) * 4;
    row.count = inner_end - inner_begin;
    row.row_pixels = s.stride;
    if (m_picks_first != inner_begin || m_picks_count != row.count) {
        MakeBilinearPicks(row.columns, row.count, m_picks);
        m_picks_first = inner_begin;
        m_picks_count = row.count;
    }
    row.picks = m_picks.data();
    if (row.count > 0) {
        const size_t terms = BilinearTermsSize(row.columns[0], row.columns[row.count - 1]);
        if (m_terms.size() < terms) {
            m_terms.assign(terms, 0);
            m_terms_row = -1;
        }
        row.terms = m_terms.data();
        row.terms_size = m_terms.size();
        row.same_rows = m_terms_row == iy && m_terms_first == inner_begin;
        m_terms_row = iy;
        m_terms_first = inner_begin;
    }
    m_kernels.bilinear(out + (inner_begin - x), row);
    BilinearPixels(inner_end, y, end - inner_end, out + (inner_end - x));
}

void CScaledRows::BilinearPixels(int32_t x, int32_t y, int32_t count, uint32_t* out) const
{
    // A pixel on the image's border takes the nearest source pixel: the
    // column's own (fx >> 16 lies in 0 .. width - 1, as the step is made).
    if (count <= 0)
        return;
    const BlitSource& s = m_source;
    const int32_t iy = int32_t(std::clamp<int64_t>((y * m_step_y) >> 16, 0, s.height - 1));
    m_kernels.gather(out, s.At(0, s.y + iy), m_columns.data() + x, count, s.stride);
}

int32_t RadiusOf(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const double half_w = width / 2.0;
    const double half_h = height / 2.0;
    return int32_t(std::sqrt(half_w * half_w + half_h * half_h));
}

void RotationFactors(double angle, int32_t scale, int32_t& cs, int32_t& sn)
{
    if (angle == 0.0) {
        cs = scale;
        sn = 0;
    } else if (angle == 90.0) {
        cs = 0;
        sn = scale;
    } else if (angle == 180.0) {
        cs = -scale;
        sn = 0;
    } else if (angle == 270.0) {
        cs = 0;
        sn = -scale;
    } else {
        const double radians = angle * BLIT_PI / 180.0;
        cs = int32_t(std::cos(radians) * scale);
        sn = int32_t(std::sin(radians) * scale);
    }
}

} // namespace blit

BlitBox RotatedBounds(DrawParams& params)
{
    if (params.angle == 0.0)
        return PlainBox(params);
    if (params.radius < 1)
        params.radius = RadiusOf(params.width, params.height);
    return BlitBox { params.centre_x - params.radius, params.centre_y - params.radius,
                     params.centre_x + params.radius, params.centre_y + params.radius };
}

std::unique_ptr<uint32_t[]> ScaleNearest32(const uint32_t* source, int32_t stride, int32_t source_height, int32_t x,
                                           int32_t y, int32_t width, int32_t height, int32_t new_width,
                                           int32_t new_height)
{
    if (!source || new_width <= 0 || new_height <= 0 || width <= 0 || height <= 0 || x < 0 || y < 0
        || int64_t(x) + width > stride || int64_t(y) + height > source_height
        || int64_t(new_width) * new_height > BLIT_MAX_SCALED_PIXELS)
        return nullptr;
    BlitSource s;
    s.pixels = reinterpret_cast<const uint8_t*>(source);
    s.stride = stride;
    s.strip_width = stride;
    s.strip_height = source_height;
    s.x = x;
    s.y = y;
    s.width = width;
    s.height = height;
    std::vector<uint8_t> scaled;
    ScaleSource(s, new_width, new_height, false, KernelsFor(BestBlitInstructions()), scaled);
    auto out = std::make_unique<uint32_t[]>(size_t(new_width) * new_height);
    std::memcpy(out.get(), scaled.data(), scaled.size());
    return out;
}

bool BlitCoversBox(const BlitSurface& destination, const DrawParams& params, const ImageRecord& image,
                   int32_t source_x, int32_t source_y, int32_t source_width, int32_t source_height, double opacity,
                   const BlitBox& box)
{
    // The draws BlitImage makes by CopyRows, with the whole source rectangle.
    if (!destination.pixels || destination.width <= 0 || destination.height <= 0 || !image.pixels
        || image.width == 0 || image.height == 0 || image.IsPaletteImage() || image.HasAlpha()
        || (image.flags & IMAGE_FLAG_TRANSPARENT) || !(opacity >= 1.0) || int32_t(params.angle) != 0)
        return false;
    if (source_x < 0 || source_y < 0 || source_width <= 0 || source_height <= 0
        || int64_t(source_x) + source_width > image.width || int64_t(source_y) + source_height > StripHeight(image))
        return false;
    if ((params.width != source_width || params.height != source_height)
        && (params.width <= 0 || params.height <= 0 || int64_t(params.width) * params.height > BLIT_MAX_SCALED_PIXELS))
        return false;
    if (box.left >= box.right || box.top >= box.bottom)
        return false;
    const BlitBox place = PlainBox(params);
    const BlitBox clip = DrawClip(destination, params);
    const auto holds = [&box](const BlitBox& outer) {
        return outer.left <= box.left && outer.top <= box.top && box.right <= outer.right && box.bottom <= outer.bottom;
    };
    return holds(place) && holds(clip);
}

void BlitImage(const BlitSurface& destination, DrawParams& params, const ImageRecord& image, int32_t source_x,
               int32_t source_y, int32_t source_width, int32_t source_height, double opacity, uint32_t tint,
               BlitInstructions instructions)
{
    if (!destination.pixels || destination.width <= 0 || destination.height <= 0 || !image.pixels
        || image.width == 0 || image.height == 0)
        return;
    const bool palette = image.IsPaletteImage();
    const bool alpha_channel = image.HasAlpha();

    // Source clipping against the frame strip, and against the rows the pixel
    // buffer really holds.
    const int64_t strip_height = StripHeight(image);
    const int32_t unclipped_width = source_width;
    const int32_t unclipped_height = source_height;
    if (source_x < 0 || source_y < 0)
        return;
    if (strip_height - source_y < source_height)
        source_height = int32_t(std::max<int64_t>(strip_height - source_y, -1));
    if (int32_t(image.width) - source_x < source_width)
        source_width = int32_t(image.width) - source_x;
    if (source_width <= 0 || source_height <= 0)
        return;

    uint32_t lut[256];
    if (palette) {
        if (!image.palette) {
            WriteGameLog("256color pic without rgbquad!");
            return;
        }
        BuildPalette(image, lut);
    }

    DrawParams& p = params;
    // Computes and stores the radius the rotated paths use.
    [[maybe_unused]] const BlitBox box = RotatedBounds(p);

    BlitSource s;
    s.pixels = image.pixels.get();
    s.stride = image.width;
    s.strip_width = image.width;
    s.strip_height = int32_t(strip_height);
    s.x = source_x;
    s.y = source_y;
    s.width = source_width;
    s.height = source_height;
    s.kind = !palette ? SourceKind::Bgra : (alpha_channel ? SourceKind::IndexAlpha : SourceKind::Index);
    s.colour_key = image.colour_key;
    s.lut = palette ? lut : nullptr;

    const bool silhouette = (p.flags & DRAW_FLAG_SILHOUETTE) && (image.flags & IMAGE_FLAG_TRANSPARENT);
    const bool over_opaque = (p.flags & DRAW_FLAG_OVER_OPAQUE) != 0;
    const bool unrotated = alpha_channel ? p.angle == 0.0 : int32_t(p.angle) == 0;
    // The row paths take a scaled 32-bit source a row at a time; the others
    // read a whole scaled copy.
    const bool row_path = !palette && unrotated && !silhouette && !(alpha_channel && over_opaque);
    const RowKernels& kernels = KernelsFor(instructions);
    std::vector<uint8_t> scaled;
    std::optional<CScaledRows> scaled_rows;
    if (p.width != unclipped_width || p.height != unclipped_height) {
        if (p.width <= 0 || p.height <= 0 || int64_t(p.width) * p.height > BLIT_MAX_SCALED_PIXELS)
            return;
        const bool bilinear = (p.flags & DRAW_FLAG_SMOOTH_SCALE) != 0;
        if (row_path) {
            scaled_rows.emplace(s, p.width, p.height, bilinear, kernels);
            s.pixels = nullptr;
        } else {
            ScaleSource(s, p.width, p.height, bilinear, kernels, scaled);
            s.pixels = scaled.data();
        }
        s.stride = p.width;
        s.strip_width = p.width;
        s.strip_height = p.height;
        s.x = 0;
        s.y = 0;
        s.width = p.width;
        s.height = p.height;
    }
    const CScaledRows* rows = scaled_rows ? &*scaled_rows : nullptr;

    const BlitBox clip = DrawClip(destination, p);
    if (clip.left >= clip.right || clip.top >= clip.bottom)
        return;

    BlendRule rule;
    const double clamped = std::min(opacity, 1.0);
    rule.opacity_byte = clamped > 0.0 ? uint32_t(clamped * 255) & 0xFF : 0;
    rule.full = opacity >= 1.0;
    rule.has_tint = tint != COLOUR_NONE;
    rule.threshold = tint >> 24;
    rule.tint_bgr = ((tint >> 16) & 0xFF) | (tint & 0xFF00) | (tint & 0xFF) << 16;

    if (silhouette) {
        DrawSilhouette(destination, s, p, clip, !palette, opacity == 0.0);
        return;
    }
    // Unrotated draws are placed by the draw size around the centre, also
    // when an angle below 1 degree truncates to 0.
    const BlitBox place = PlainBox(p);
    if (!alpha_channel) {
        if (int32_t(p.angle) == 0) {
            if (!palette && !(image.flags & IMAGE_FLAG_TRANSPARENT) && opacity >= 1.0)
                CopyRows(destination, s, place.left, place.top, clip, kernels, rows);
            else if (opacity > 0.0)
                DrawPlain(destination, s, place.left, place.top, clip, rule, kernels, rows);
        } else if (opacity > 0.0) {
            if (p.flags & DRAW_FLAG_SMOOTH_ROTATE)
                DrawRotatedSmooth(destination, s, p, clip, rule.full ? 255 : rule.opacity_byte, kernels);
            else
                DrawRotatedNearest(destination, s, p, clip, rule, false, kernels);
        }
        return;
    }
    if (opacity <= 0.0)
        return;
    if (p.angle != 0.0) {
        if (p.flags & DRAW_FLAG_SMOOTH_ROTATE)
            DrawRotatedSmooth(destination, s, p, clip, rule.full ? 255 : rule.opacity_byte, kernels);
        else
            DrawRotatedNearest(destination, s, p, clip, rule, true, kernels);
        return;
    }
    DrawAlpha(destination, s, place.left, place.top, clip, rule, over_opaque, kernels, rows);
}

} // namespace engine
