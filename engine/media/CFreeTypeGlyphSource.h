#pragma once
// CFreeTypeGlyphSource: the text renderer's glyphs from the installed fonts.
// Face names ("宋体", "黑体", "幼圆", "Arial" ...) are matched by fontconfig
// with the Chinese language in the pattern, so a Chinese face name finds an
// installed CJK face (WenQuanYi Zen Hei on a stock install) instead of a
// Latin fallback without Chinese glyphs. Glyphs are rendered anti-aliased by
// FreeType from their outlines; bold and italic are synthesised when the
// matched face has no such style.
//
// On a stock install (fonts-wqy-zenhei) every face name the program uses,
// "宋体", "新宋体", "黑体", "幼圆", "楷体", "隶书", "微软雅黑", and the Latin
// "Arial", "Tahoma", "Verdana", "Times New Roman", matches WenQuanYi Zen Hei:
// it is the best installed face with Chinese glyphs. Where more CJK faces are
// installed, fontconfig's own aliases decide (a serif face for 宋体 and so on).
// A character the matched face lacks is taken from the default CJK face.
// One-byte characters, which the renderer gives half-width cells, are drawn
// from the monospace face (WenQuanYi Zen Hei Mono) whose Latin glyphs are
// exactly that wide, centred in the cell: text measures as it draws, with
// no gaps between proportional letters. Every glyph lies whole in its cell
// (the font height): the baseline is set by the face's ideographs, not by
// its ascender and descender, which span more than the em; a glyph reaching
// past the cell (an accent, a deep descender) is moved, or drawn smaller,
// until it fits.
//
// Owner: the text renderer. Threads: one at a time (the renderer's lock).
// Hazards: FreeType faces are not thread-safe; each source keeps its own
// library and faces. A face name fontconfig cannot match leaves the source
// with the default CJK face, never without one while any font is installed.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "engine/media/IGlyphSource.h"

namespace engine {

class CFreeTypeGlyphSource final : public IGlyphSource {
public:
    /// A source, or null when FreeType cannot start.
    [[nodiscard]] static std::unique_ptr<CFreeTypeGlyphSource> Create();
    ~CFreeTypeGlyphSource() override;
    CFreeTypeGlyphSource(const CFreeTypeGlyphSource&) = delete;
    CFreeTypeGlyphSource& operator=(const CFreeTypeGlyphSource&) = delete;

    bool SelectFont(const FontRequest& font) override;
    void DrawGlyph(char32_t code_point, int32_t advance, const GlyphCanvas& canvas) override;

    /// A face in a font file: the file's path and the face's index in it.
    struct FontFile {
        std::string path;
        int index { 0 };
    };
    /// The face fontconfig chose for a face name (GBK; "monospace" names the
    /// face of one-byte characters), for the logs, docs and tests.
    [[nodiscard]] FontFile MatchFontFile(const std::string& face, int32_t weight, bool italic);

private:
    struct Impl;
    explicit CFreeTypeGlyphSource(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> m_impl;
};

} // namespace engine
