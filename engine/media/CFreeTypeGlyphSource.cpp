#include "engine/media/CFreeTypeGlyphSource.h"

#include <algorithm>
#include <span>
#include <tuple>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "platform/Text.h"

namespace engine {

namespace {

constexpr int32_t BOLD_FROM_WEIGHT = 600;
constexpr const char* FALLBACK_FAMILY = "sans-serif";
/// Where the half-width cells of one-byte characters take their glyphs: a
/// face whose Latin glyphs are half an em wide (WenQuanYi Zen Hei Mono on a
/// stock install), so "http" reads as one word rather than four spaced letters.
constexpr const char* NARROW_FAMILY = "monospace";
constexpr const char* TEXT_LANGUAGE = "zh-cn";

struct MatchedFile {
    std::string path;
    int index { 0 };
    int weight { FC_WEIGHT_REGULAR };
    int slant { FC_SLANT_ROMAN };
};

// Asks fontconfig for the best installed face for a family (UTF-8), naming the
// Chinese language so that Chinese family names reach a CJK face.
std::optional<MatchedFile> MatchFamily(const std::string& family, int32_t weight, bool italic)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr)
        return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(TEXT_LANGUAGE));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return std::nullopt;
    MatchedFile file;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr)
        file.path = reinterpret_cast<const char*>(path);
    FcPatternGetInteger(match, FC_INDEX, 0, &file.index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &file.weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &file.slant);
    FcPatternDestroy(match);
    if (file.path.empty())
        return std::nullopt;
    return file;
}

} // namespace

struct CFreeTypeGlyphSource::Impl {
    struct Choice {
        FT_Face face { nullptr };
        bool embolden { false };
        bool oblique { false };
    };

    FT_Library library { nullptr };
    std::map<std::pair<std::string, int>, FT_Face> faces;
    std::map<std::tuple<std::string, bool, bool>, Choice> choices;
    Choice current;
    std::map<std::pair<FT_Face, int32_t>, int32_t> baselines;
    FT_Face fallback { nullptr };
    FT_Face narrow { nullptr };
    int32_t height { 12 };
    bool underline { false };

    ~Impl()
    {
        for (auto& [key, face] : faces)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }

    FT_Face OpenFace(const MatchedFile& file)
    {
        const auto key = std::make_pair(file.path, file.index);
        if (const auto found = faces.find(key); found != faces.end())
            return found->second;
        FT_Face face = nullptr;
        if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0)
            face = nullptr;
        faces.emplace(key, face);
        return face;
    }

    /// Loads and renders one glyph of `face` at `size` pixels with the current
    /// font's synthesised bold; null when FreeType cannot.
    FT_GlyphSlot Render(FT_Face face, FT_UInt index, int32_t size) const
    {
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0
            || FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP) != 0)
            return nullptr;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (current.embolden)
                FT_Outline_EmboldenXY(&slot->outline, std::max(height * 64 / 24, 32), 0);
            // An outline that would straddle one row more than the cell has
            // is raised by less than a pixel so that its bottom starts a row.
            FT_BBox box {};
            FT_Outline_Get_CBox(&slot->outline, &box);
            if (((box.yMax + 63) >> 6) - (box.yMin >> 6) > height)
                FT_Outline_Translate(&slot->outline, 0, (64 - (box.yMin & 63)) & 63);
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            return nullptr;
        return slot;
    }

    /// The baseline's row in a cell of `height` rows for `face`: the ink of the
    /// face's ideographs (of its Latin capitals and descenders when it has no
    /// ideographs) stands in the cell's middle, or from its top row when it is
    /// taller than the cell. The face's ascender and descender are not used:
    /// in most faces they span more than the em, which would put the
    /// ideographs' tops above the cell.
    int32_t Baseline(FT_Face face, int32_t size)
    {
        const auto key = std::make_pair(face, size);
        if (const auto found = baselines.find(key); found != baselines.end())
            return found->second;
        static constexpr char32_t IDEOGRAPHS[] = // 中 国 翻 【
            { 0x4E2D, 0x56FD, 0x7FFB, 0x3010 };
        static constexpr char32_t LATIN[] = { U'H', U'd', U'p' };
        const bool has_ideographs = FT_Get_Char_Index(face, IDEOGRAPHS[0]) != 0;
        int32_t above = 0;
        int32_t below = 0;
        for (const char32_t code_point : has_ideographs ? std::span<const char32_t>(IDEOGRAPHS)
                                                        : std::span<const char32_t>(LATIN)) {
            const FT_UInt index = FT_Get_Char_Index(face, code_point);
            const FT_GlyphSlot slot = index != 0 ? Render(face, index, size) : nullptr;
            if (slot == nullptr)
                continue;
            above = std::max(above, slot->bitmap_top);
            below = std::max(below, static_cast<int32_t>(slot->bitmap.rows) - slot->bitmap_top);
        }
        int32_t baseline = above + std::max(0, size - above - below) / 2;
        if (above + below <= 0) {
            // No reference glyph: the ascender and descender divide the cell.
            const int64_t ascender = std::max<int64_t>(face->ascender, 1);
            const int64_t descender = std::max<int64_t>(-int64_t { face->descender }, 0);
            baseline = static_cast<int32_t>((size * ascender + (ascender + descender) / 2) / (ascender + descender));
        }
        baseline = std::clamp(baseline, 0, size);
        baselines.emplace(key, baseline);
        return baseline;
    }

    Choice Choose(const std::string& face_gbk, int32_t weight, bool italic)
    {
        const bool bold = weight >= BOLD_FROM_WEIGHT;
        const auto key = std::make_tuple(face_gbk, bold, italic);
        if (const auto found = choices.find(key); found != choices.end())
            return found->second;
        std::string family = platform::GbkToUtf8(face_gbk).value_or(FALLBACK_FAMILY);
        if (family.empty())
            family = FALLBACK_FAMILY;
        Choice choice;
        if (const auto file = MatchFamily(family, bold ? 700 : 400, italic)) {
            choice.face = OpenFace(*file);
            choice.embolden = bold && file->weight < FC_WEIGHT_DEMIBOLD;
            choice.oblique = italic && file->slant == FC_SLANT_ROMAN;
        }
        if (choice.face == nullptr) {
            choice.face = fallback;
            choice.embolden = bold;
            choice.oblique = italic;
        }
        choices.emplace(key, choice);
        return choice;
    }
};

std::unique_ptr<CFreeTypeGlyphSource> CFreeTypeGlyphSource::Create()
{
    auto impl = std::make_unique<Impl>();
    if (FT_Init_FreeType(&impl->library) != 0) {
        impl->library = nullptr;
        return nullptr;
    }
    if (FcInit() == FcFalse)
        return nullptr;
    if (const auto file = MatchFamily(FALLBACK_FAMILY, 400, false))
        impl->fallback = impl->OpenFace(*file);
    if (const auto file = MatchFamily(NARROW_FAMILY, 400, false))
        impl->narrow = impl->OpenFace(*file);
    impl->current.face = impl->fallback;
    return std::unique_ptr<CFreeTypeGlyphSource>(new CFreeTypeGlyphSource(std::move(impl)));
}

CFreeTypeGlyphSource::CFreeTypeGlyphSource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CFreeTypeGlyphSource::~CFreeTypeGlyphSource() = default;

bool CFreeTypeGlyphSource::SelectFont(const FontRequest& font)
{
    m_impl->height = std::clamp(font.height, 1, GlyphCanvas::SIZE - 1);
    m_impl->underline = font.underline;
    m_impl->current = m_impl->Choose(font.face, font.weight, font.italic);
    return m_impl->current.face != nullptr;
}

CFreeTypeGlyphSource::FontFile CFreeTypeGlyphSource::MatchFontFile(const std::string& face, int32_t weight,
                                                                  bool italic)
{
    const std::string family = platform::GbkToUtf8(face).value_or(FALLBACK_FAMILY);
    const auto file = MatchFamily(family.empty() ? FALLBACK_FAMILY : family, weight, italic);
    return file ? FontFile { file->path, file->index } : FontFile {};
}

void CFreeTypeGlyphSource::DrawGlyph(char32_t code_point, int32_t advance, const GlyphCanvas& canvas)
{
    Impl& impl = *m_impl;
    FT_Face face = impl.current.face;
    if (face == nullptr)
        return;
    FT_UInt index = 0;
    // A cell narrower than the font's height holds a one-byte character.
    const bool narrow_cell = advance < impl.height;
    if (narrow_cell && impl.narrow != nullptr && (index = FT_Get_Char_Index(impl.narrow, code_point)) != 0)
        face = impl.narrow;
    else
        index = FT_Get_Char_Index(face, code_point);
    if (index == 0 && impl.fallback != nullptr && impl.fallback != face) {
        const FT_UInt fallback_index = FT_Get_Char_Index(impl.fallback, code_point);
        if (fallback_index != 0) {
            face = impl.fallback;
            index = fallback_index;
        }
    }
    const int32_t height = impl.height;
    const int32_t baseline = impl.Baseline(face, height);
    FT_Matrix shear { 0x10000, 0x5800, 0, 0x10000 }; // About 19 degrees.
    FT_Set_Transform(face, impl.current.oblique ? &shear : nullptr, nullptr);
    // A glyph taller than the cell (a deep descender under an accent) is drawn
    // smaller until it fits, so no row of it is ever cut.
    FT_GlyphSlot slot = index != 0 ? impl.Render(face, index, height) : nullptr;
    for (int32_t size = height, tries = 0; slot != nullptr && tries < 3; ++tries) {
        const int32_t rows = static_cast<int32_t>(slot->bitmap.rows);
        if (rows <= height || size <= 1)
            break;
        size = std::max(1, std::min(size - 1, size * height / rows));
        slot = impl.Render(face, index, size);
    }
    if (slot != nullptr) {
        const FT_Bitmap& bitmap = slot->bitmap;
        const int32_t rows = static_cast<int32_t>(bitmap.rows);
        // A glyph narrower or wider than its cell stands in the cell's middle.
        const int32_t glyph_advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        const int32_t left = slot->bitmap_left + (narrow_cell ? (advance - glyph_advance) / 2 : 0);
        // On the baseline, moved only as far as it takes to keep the whole
        // glyph in the cell (accents over capitals, deep descenders).
        const int32_t top = std::clamp(baseline - slot->bitmap_top, 0, std::max(0, height - rows));
        for (int32_t row = 0; row < rows && top + row < height; ++row) {
            const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
            uint8_t* target = canvas.Row(top + row);
            for (int32_t column = 0; column < static_cast<int32_t>(bitmap.width); ++column) {
                const int32_t x = left + column;
                if (x < 0 || x >= GlyphCanvas::SIZE)
                    continue;
                target[x] = std::max(target[x], static_cast<uint8_t>(source[column]));
            }
        }
    }
    FT_Set_Transform(face, nullptr, nullptr);

    if (impl.underline) {
        const int32_t thickness = std::max(1, height / 16);
        const int32_t first_row = std::min(baseline + std::max(1, height / 16), height - thickness);
        const int32_t width = std::clamp(advance, 0, GlyphCanvas::SIZE);
        for (int32_t y = std::max(first_row, 0); y < first_row + thickness && y < GlyphCanvas::SIZE; ++y)
            std::fill(canvas.Row(y), canvas.Row(y) + width, uint8_t { 255 });
    }
}

} // namespace engine
