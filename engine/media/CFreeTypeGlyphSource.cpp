#include "engine/media/CFreeTypeGlyphSource.h"

#include <algorithm>
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

std::string CFreeTypeGlyphSource::MatchFontFile(const std::string& face, int32_t weight, bool italic)
{
    const std::string family = platform::GbkToUtf8(face).value_or(FALLBACK_FAMILY);
    const auto file = MatchFamily(family.empty() ? FALLBACK_FAMILY : family, weight, italic);
    return file ? file->path : std::string();
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
    // The em box is the character height; the baseline divides it as the
    // face's ascender and descender divide their sum.
    const int64_t ascender = std::max<int64_t>(face->ascender, 1);
    const int64_t descender = std::max<int64_t>(-int64_t { face->descender }, 0);
    const int32_t baseline = static_cast<int32_t>((height * ascender + (ascender + descender) / 2) /
                                                  (ascender + descender));

    if (index != 0 && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(height)) == 0) {
        FT_Matrix shear { 0x10000, 0x5800, 0, 0x10000 }; // About 19 degrees.
        FT_Set_Transform(face, impl.current.oblique ? &shear : nullptr, nullptr);
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP) == 0) {
            FT_GlyphSlot slot = face->glyph;
            if (impl.current.embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE)
                FT_Outline_EmboldenXY(&slot->outline, std::max(height * 64 / 24, 32), 0);
            if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0 &&
                slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                const FT_Bitmap& bitmap = slot->bitmap;
                // A glyph narrower or wider than its cell stands in the cell's middle.
                const int32_t glyph_advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
                const int32_t left = slot->bitmap_left + (narrow_cell ? (advance - glyph_advance) / 2 : 0);
                const int32_t top = baseline - slot->bitmap_top;
                for (int32_t row = 0; row < static_cast<int32_t>(bitmap.rows); ++row) {
                    const int32_t y = top + row;
                    if (y < 0 || y >= height)
                        continue; // Rows below the cell are never read.
                    const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
                    uint8_t* target = canvas.Row(y);
                    for (int32_t column = 0; column < static_cast<int32_t>(bitmap.width); ++column) {
                        const int32_t x = left + column;
                        if (x < 0 || x >= GlyphCanvas::SIZE)
                            continue;
                        target[x] = std::max(target[x], static_cast<uint8_t>(source[column]));
                    }
                }
            }
        }
        FT_Set_Transform(face, nullptr, nullptr);
    }

    if (impl.underline) {
        const int32_t thickness = std::max(1, height / 16);
        const int32_t first_row = std::min(baseline + std::max(1, height / 16), height - thickness);
        const int32_t width = std::clamp(advance, 0, GlyphCanvas::SIZE);
        for (int32_t y = std::max(first_row, 0); y < first_row + thickness && y < GlyphCanvas::SIZE; ++y)
            std::fill(canvas.Row(y), canvas.Row(y) + width, uint8_t { 255 });
    }
}

} // namespace engine
