#include "engine/media/CTextRenderer.h"

#include <algorithm>
#include <optional>

#include "engine/core/EngineText.h"
#include "engine/core/ObjectModule.h"
#include "engine/media/TextTag.h"
#include "platform/Text.h"

namespace engine {

namespace {

constexpr int32_t BOLD_WEIGHT = 700;
constexpr int32_t MAX_WEIGHT = 1000;
constexpr char32_t NO_CODE_POINT = 0;
constexpr char32_t EURO_SIGN = 0x20AC; // The one-byte 0x80 of code page 936.

int32_t ClampSpacing(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, -CTextRenderer::MAX_SPACING, CTextRenderer::MAX_SPACING));
}

char32_t DecodeUtf8(const std::string& utf8)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    if (utf8.size() == 2 && (bytes[0] & 0xE0) == 0xC0)
        return (char32_t { bytes[0] & 0x1Fu } << 6) | (bytes[1] & 0x3Fu);
    if (utf8.size() == 3 && (bytes[0] & 0xF0) == 0xE0)
        return (char32_t { bytes[0] & 0x0Fu } << 12) | (char32_t { bytes[1] & 0x3Fu } << 6) | (bytes[2] & 0x3Fu);
    if (utf8.size() == 4 && (bytes[0] & 0xF8) == 0xF0)
        return (char32_t { bytes[0] & 0x07u } << 18) | (char32_t { bytes[1] & 0x3Fu } << 12) |
               (char32_t { bytes[2] & 0x3Fu } << 6) | (bytes[3] & 0x3Fu);
    if (utf8.size() == 1)
        return bytes[0];
    return NO_CODE_POINT;
}

} // namespace

CTextRenderer::CTextRenderer(std::unique_ptr<IGlyphSource> source)
    : m_source(std::move(source)),
      m_canvas(static_cast<size_t>(GlyphCanvas::SIZE) * GlyphCanvas::SIZE, 0)
{
}

CTextRenderer::~CTextRenderer() = default;

bool CTextRenderer::Init()
{
    m_style = TextStyle {};
    m_font_made = false;
    SetColor(INITIAL_COLOR);
    m_style.letter_spacing = 0;
    m_style.row_space = 0;
    ResetScripts();
    m_line_style = TextStyle {};
    std::fill(m_canvas.begin(), m_canvas.end(), 0);
    return true;
}

void CTextRenderer::Release()
{
    m_font_made = false;
}

void CTextRenderer::SetStyle(const TextStyle& style)
{
    CreateTextFont(style.font_height, style.weight, style.GetFaceName(), style.italic != 0, style.underline != 0);
    SetColor(style.color);
    m_style = style;
    ClampStyle();
    m_half_width = (m_style.font_height + 1) / 2;
}

void CTextRenderer::ClampStyle()
{
    m_style.font_height = std::clamp(m_style.font_height, 1, MAX_FONT_HEIGHT);
    // A style that leaves the two-byte advance unset would make Chinese text
    // vanish; it is the font height then.
    if (m_style.glyph_width <= 0)
        m_style.glyph_width = m_style.font_height;
    m_style.glyph_width = std::min(m_style.glyph_width, MAX_FONT_HEIGHT);
    m_style.weight = std::clamp(m_style.weight, 0, MAX_WEIGHT);
    m_style.letter_spacing = ClampSpacing(m_style.letter_spacing);
    m_style.row_space = ClampSpacing(m_style.row_space);
    m_style.left_margin = ClampSpacing(m_style.left_margin);
    m_style.right_margin = ClampSpacing(m_style.right_margin);
    m_style.alpha = std::clamp(m_style.alpha, 0, 255);
}

int32_t CTextRenderer::CreateTextFont(int32_t height, int32_t weight, std::string_view face, bool italic,
                                      bool underline)
{
    height = std::clamp(height, 1, MAX_FONT_HEIGHT);
    weight = std::clamp(weight, 0, MAX_WEIGHT);
    TextStyle named;
    named.SetFaceName(face);
    if (m_font_made && height == m_style.font_height && weight == m_style.weight &&
        italic == (m_style.italic != 0) && underline == (m_style.underline != 0) &&
        named.face_name == m_style.face_name)
        return 0;

    m_style.font_height = height;
    m_style.glyph_width = height;
    m_style.weight = weight;
    m_style.italic = italic ? 1 : 0;
    m_style.underline = underline ? 1 : 0;
    m_style.face_name = named.face_name;
    m_half_width = (height + 1) / 2;
    m_font_made = true;
    if (m_source) {
        FontRequest request;
        request.height = height;
        request.weight = weight;
        request.italic = italic;
        request.underline = underline;
        request.face = named.GetFaceName();
        m_source->SelectFont(request);
    }
    return 1;
}

void CTextRenderer::SetFontHeight(int32_t height)
{
    CreateTextFont(height, m_style.weight, m_style.GetFaceName(), false, false);
}

uint8_t CTextRenderer::SetColor(uint32_t color)
{
    m_style.color = color;
    m_text_red = static_cast<uint8_t>(color);
    m_text_green = static_cast<uint8_t>(color >> 8);
    m_text_blue = static_cast<uint8_t>(color >> 16);
    return m_text_red;
}

void CTextRenderer::Lock()
{
    if (m_lock_owner != nullptr)
        m_lock_owner->LockTextRenderer();
    else
        m_own_lock.acquire();
}

void CTextRenderer::Unlock()
{
    if (m_lock_owner != nullptr)
        m_lock_owner->UnlockTextRenderer();
    else
        m_own_lock.release();
}

void CTextRenderer::ResetScripts()
{
    m_scripts.clear();
    m_script_index = -1;
}

int32_t CTextRenderer::Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::pair<int32_t, int32_t> CTextRenderer::FitTextToBox(int32_t box_width, int32_t box_height, std::string& text,
                                                        TextFitResult& out, int32_t padding_x, int32_t padding_y,
                                                        int32_t fixed_size) const
{
    return FitTextInBox(box_width, box_height, text, out, padding_x, padding_y, fixed_size);
}

int32_t CTextRenderer::MeasureText(int32_t width, std::string_view text)
{
    m_measure_only = true;
    DrawText({}, width, 999999, 0, 0, text);
    m_measure_only = false;
    return Saturate(m_last_bottom);
}

void CTextRenderer::DrawText(std::span<uint8_t> pixels, int32_t width, int32_t height, int32_t x, int32_t y,
                             std::string_view text)
{
    // A font too tall to draw lays nothing out: the measurement is empty
    // rather than the one of the call before.
    m_widest = 0;
    m_last_bottom = 0;
    if (m_style.font_height >= MAX_FONT_HEIGHT)
        return;
    text = text.substr(0, std::min(text.size(), text.find('\0')));

    // Never draw past the caller's buffer, whatever size it claims.
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    if (!m_measure_only) {
        const size_t row_bytes = static_cast<size_t>(m_width) * 4;
        const size_t rows = row_bytes == 0 ? 0 : pixels.size() / row_bytes;
        m_height = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(m_height), rows));
    }
    m_pixels = pixels;
    m_index = 0;
    m_end_index = text.size();
    m_pen_x = x;
    m_line_top = y;
    m_call_style = m_style;
    m_half_width = (m_style.font_height + 1) / 2;
    if (m_style.left_margin >= 1 && x < m_style.left_margin)
        m_pen_x = m_style.left_margin;
    m_line_start_x = m_pen_x;
    m_line_height = 1;
    m_line_bottom = m_line_top + 1;
    m_line_start_index = 0;
    m_draw_pass = false;
    m_line_has_character = false;
    m_stopped = false;
    m_line_style = m_style;

    RunLayout(text);

    m_last_bottom = m_line_bottom;
    if (m_stopped)
        SetStyle(m_call_style);
    m_pixels = {};
}

void CTextRenderer::RunLayout(std::string_view text)
{
    while (m_index < m_end_index) {
        const auto byte = static_cast<uint8_t>(text[m_index]);
        if (byte == '\n') {
            ++m_index;
            NewLine();
            continue;
        }
        if (byte == '<' && TryTag(text))
            continue;
        const bool two_bytes = byte >= 129 && m_index + 1 < text.size();
        if (PlaceCharacter(text, two_bytes) == Step::Continue)
            continue;
        // The text does not fit. A line that was only measured so far is
        // drawn first, so the text before the stopping point still shows.
        m_stopped = true;
        if (!IsMeasuringPass() || !m_line_has_character)
            return;
        m_end_index = m_index;
        NewLine();
    }
}

bool CTextRenderer::TryTag(std::string_view text)
{
    const size_t close = FindTextTagEnd(text, m_index);
    if (close == std::string_view::npos || close == m_index + 1)
        return false;
    if (!ApplyTag(text.substr(m_index + 1, close - m_index - 1)))
        return false;
    m_index = close + 1;
    if (m_pen_x < int64_t { m_width } - m_style.right_margin) {
        if (m_index >= text.size() && IsMeasuringPass())
            NewLine();
    } else {
        NewLine();
    }
    return true;
}

CTextRenderer::Step CTextRenderer::PlaceCharacter(std::string_view text, bool two_bytes)
{
    const int64_t advance = two_bytes ? m_style.glyph_width : m_half_width;
    const int64_t spacing = two_bytes ? 2 * int64_t { m_style.letter_spacing } : m_style.letter_spacing;
    if (m_pen_x + advance + spacing > int64_t { m_width } - m_style.right_margin) {
        if (m_style.wrap == 0)
            return Step::Stop;
        if (m_draw_pass &&
            m_line_top + m_style.font_height + m_line_height + m_style.row_space > int64_t { m_height })
            return Step::Stop;
        // A character that does not fit on a line holding nothing yet never
        // will: stop rather than open empty lines without end.
        if (!m_line_has_character)
            return Step::Stop;
        const bool began_draw_pass = IsMeasuringPass();
        NewLine();
        if (!began_draw_pass && m_pen_x + m_half_width > int64_t { m_width })
            return Step::Stop;
        return Step::Continue;
    }
    if (m_pen_x != m_line_start_x)
        m_pen_x += spacing;
    const size_t count = two_bytes ? 2 : 1;
    DrawRun(text.substr(m_index, count), m_line_bottom - m_style.font_height);
    m_index += count;
    m_widest = std::max(m_widest, m_pen_x + m_style.right_margin);
    if (m_index >= text.size() && IsMeasuringPass())
        NewLine();
    return Step::Continue;
}

void CTextRenderer::NewLine()
{
    m_line_has_character = false;
    if (IsMeasuringPass()) {
        m_draw_pass = true;
        m_index = m_line_start_index;
        m_pen_x = m_line_start_x;
        SetStyle(m_line_style);
        return;
    }
    m_line_top += m_line_height + m_style.row_space;
    m_pen_x = m_style.left_margin;
    m_line_start_x = m_pen_x;
    m_line_height = m_measure_only ? 1 : m_style.font_height;
    m_line_bottom = m_line_top + m_line_height;
    m_line_start_index = m_index;
    m_line_style = m_style;
    m_draw_pass = false;
}

void CTextRenderer::DrawRun(std::string_view bytes, int64_t top)
{
    const int32_t advance = bytes.size() == 2 ? m_style.glyph_width : m_half_width;
    if (m_style.font_height > m_line_height)
        m_line_height = m_style.font_height;
    m_line_bottom = m_line_top + m_line_height;
    m_line_has_character = true;
    const bool blank = bytes.size() == 1 && bytes[0] == ' ' && m_style.underline == 0;
    if (!blank && m_draw_pass && !m_pixels.empty())
        BlendGlyph(bytes, m_pen_x, top, advance);
    m_pen_x += advance;
}

void CTextRenderer::BlendGlyph(std::string_view bytes, int64_t left, int64_t top, int32_t advance)
{
    if (!m_source || advance <= 0)
        return;
    const GlyphCanvas canvas { m_canvas };
    const char32_t code_point = CodePointOf(bytes);
    if (code_point != NO_CODE_POINT)
        m_source->DrawGlyph(code_point, advance, canvas);

    // Clip the cell (font height x advance) against the target once, then
    // walk the rows without per-pixel bounds checks.
    const int64_t row_begin = std::max<int64_t>(0, -top);
    const int64_t row_end = std::min<int64_t>(m_style.font_height, int64_t { m_height } - top);
    const int64_t column_begin = std::max<int64_t>(0, -left);
    const int64_t column_end =
        std::min<int64_t>({ int64_t { advance }, int64_t { m_width } - left, int64_t { GlyphCanvas::SIZE } });
    const uint32_t alpha = static_cast<uint32_t>(m_style.alpha);
    for (int64_t r = row_begin; r < row_end; ++r) {
        const uint8_t* source = canvas.Row(static_cast<int32_t>(r));
        uint8_t* row = m_pixels.data() + (top + r) * m_width * 4;
        for (int64_t c = column_begin; c < column_end; ++c) {
            uint32_t coverage = source[c];
            if (alpha != 255)
                coverage = coverage * alpha >> 8;
            if (coverage == 0)
                continue; // Nothing to draw; blending would only darken the target.
            uint8_t* pixel = row + (left + c) * 4;
            if (pixel[3] != 0) {
                pixel[0] = static_cast<uint8_t>((m_text_blue * coverage + pixel[0] * (255 - coverage)) >> 8);
                pixel[1] = static_cast<uint8_t>((m_text_green * coverage + pixel[1] * (255 - coverage)) >> 8);
                pixel[2] = static_cast<uint8_t>((m_text_red * coverage + pixel[2] * (255 - coverage)) >> 8);
                pixel[3] = static_cast<uint8_t>(std::max<uint32_t>(pixel[3], coverage));
            } else {
                pixel[0] = m_text_blue;
                pixel[1] = m_text_green;
                pixel[2] = m_text_red;
                pixel[3] = static_cast<uint8_t>(coverage);
            }
        }
    }
    // Sources draw only within the font height, so only those rows are cleared.
    const size_t used_rows = static_cast<size_t>(std::clamp(m_style.font_height, 0, GlyphCanvas::SIZE));
    std::fill_n(m_canvas.begin(), used_rows * GlyphCanvas::SIZE, uint8_t { 0 });
}

char32_t CTextRenderer::CodePointOf(std::string_view bytes)
{
    const auto first = static_cast<uint8_t>(bytes[0]);
    if (bytes.size() == 1)
        return first == 0x80 ? EURO_SIGN : (first < 0x80 ? first : NO_CODE_POINT);
    const auto key = static_cast<uint16_t>(first << 8 | static_cast<uint8_t>(bytes[1]));
    if (const auto found = m_code_points.find(key); found != m_code_points.end())
        return found->second;
    const std::optional<std::string> utf8 = platform::GbkToUtf8(bytes);
    const char32_t code_point = utf8 ? DecodeUtf8(*utf8) : NO_CODE_POINT;
    m_code_points.emplace(key, code_point);
    return code_point;
}

bool CTextRenderer::ApplyTag(std::string_view tag)
{
    std::string lowered(tag);
    LowerAsciiGbkSafe(lowered);
    if (IsScriptTextTag(lowered)) {
        // Both passes of a line meet the tag; keep it once per call.
        if (!m_draw_pass && m_scripts.size() < MAX_SCRIPT_TEXTS)
            m_scripts.push_back(lowered);
        m_script_index = 0;
        return true;
    }
    if (IsCommentTextTag(lowered))
        return true;
    int applied = 0;
    for (const TextTagPair& pair : SplitTextTag(lowered)) {
        if (!ApplyPair(pair.name, pair.value))
            break;
        ++applied;
    }
    return applied > 0;
}

bool CTextRenderer::ApplyPair(std::string_view name, std::string_view value)
{
    const std::optional<TagName> tag_name = FindTextTagName(name);
    if (!tag_name)
        return false;
    const int32_t height = m_style.font_height;
    const int32_t weight = m_style.weight;
    const std::string face = m_style.GetFaceName();
    const bool italic = m_style.italic != 0;
    const bool underline = m_style.underline != 0;
    switch (*tag_name) {
    case TagName::Color:
        m_saved_color = m_style.color;
        SetColor(ParseTextTagColor(value));
        break;
    case TagName::Rgb: {
        const std::optional<uint32_t> color = ParseTextTagRgb(value);
        if (!color)
            return false;
        m_saved_color = m_style.color;
        SetColor(*color);
        break;
    }
    case TagName::EndColor:
        SetColor(m_saved_color);
        break;
    case TagName::Size:
        SetFontHeight(ParseInt(value));
        break;
    case TagName::EndSize:
        SetFontHeight(m_call_style.font_height);
        break;
    case TagName::FontName:
        CreateTextFont(height, weight, StripQuotes(value), false, false);
        break;
    case TagName::EndFontName:
        CreateTextFont(height, weight, m_call_style.GetFaceName(), false, false);
        break;
    case TagName::Bold:
        CreateTextFont(height, value.empty() ? BOLD_WEIGHT : ParseInt(value), face, false, false);
        break;
    case TagName::EndBold:
        CreateTextFont(height, m_call_style.weight, face, false, false);
        break;
    case TagName::Underline:
    case TagName::EndUnderline:
        CreateTextFont(height, weight, face, italic, *tag_name == TagName::Underline);
        break;
    case TagName::Italic:
    case TagName::EndItalic:
        CreateTextFont(height, weight, face, *tag_name == TagName::Italic, underline);
        break;
    case TagName::RowSpace:
        m_style.row_space = ClampSpacing(ParseInt(value));
        break;
    case TagName::EndRowSpace:
        m_style.row_space = m_call_style.row_space;
        break;
    case TagName::Pitch:
        m_style.letter_spacing = ClampSpacing(ParseInt(value));
        break;
    case TagName::EndPitch:
        m_style.letter_spacing = m_call_style.letter_spacing;
        break;
    case TagName::RightMargin:
        m_style.right_margin = ClampSpacing(ParseInt(value));
        break;
    case TagName::EndRightMargin:
        m_style.right_margin = m_call_style.right_margin;
        break;
    case TagName::LeftMargin:
        m_style.left_margin = ClampSpacing(ParseInt(value));
        if (m_style.left_margin > m_line_start_x)
            m_line_start_x = m_style.left_margin;
        break;
    case TagName::EndLeftMargin:
        m_style.left_margin = m_call_style.left_margin;
        break;
    case TagName::Break:
        m_pen_x = int64_t { m_width } - m_style.right_margin;
        break;
    }
    return true;
}

} // namespace engine
