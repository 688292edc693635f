#include "engine/media/TextTag.h"

#include <array>
#include <string>
#include <utility>

#include "engine/core/EngineText.h"

namespace engine {

size_t FindTextTagEnd(std::string_view text, size_t open)
{
    const size_t last = open + TEXT_TAG_MAX_LENGTH + 1;
    for (size_t i = open + 1; i < text.size() && i <= last; ++i) {
        if (text[i] == '\0')
            return std::string_view::npos;
        if (text[i] == '>')
            return i;
    }
    return std::string_view::npos;
}

std::vector<TextTagPair> SplitTextTag(std::string_view tag)
{
    std::vector<TextTagPair> pairs;
    size_t i = 0;
    while (i < tag.size()) {
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == ';'))
            ++i;
        if (i >= tag.size())
            break;
        const size_t name_start = i;
        while (i < tag.size() && tag[i] != ' ' && tag[i] != '=' && tag[i] != ';')
            ++i;
        TextTagPair pair;
        pair.name = tag.substr(name_start, i - name_start);
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '='))
            ++i;
        const size_t value_start = i;
        while (i < tag.size() && tag[i] != ';')
            ++i;
        pair.value = tag.substr(value_start, i - value_start);
        pairs.push_back(pair);
    }
    return pairs;
}

std::string_view TextTagScriptName(std::string_view tag)
{
    return tag.substr(0, tag.find(':'));
}

bool IsScriptTextTag(std::string_view lowered)
{
    return TextTagScriptName(lowered) == "script";
}

bool IsCommentTextTag(std::string_view lowered)
{
    return lowered.starts_with("//");
}

std::optional<TagName> FindTextTagName(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, TagName>, 23> NAMES { {
        { "color", TagName::Color },
        { "c", TagName::Color },
        { "rgb", TagName::Rgb },
        { "/color", TagName::EndColor },
        { "size", TagName::Size },
        { "/size", TagName::EndSize },
        { "fontname", TagName::FontName },
        { "/fontname", TagName::EndFontName },
        { "bold", TagName::Bold },
        { "/bold", TagName::EndBold },
        { "underline", TagName::Underline },
        { "/underline", TagName::EndUnderline },
        { "italic", TagName::Italic },
        { "/italic", TagName::EndItalic },
        { "rowspace", TagName::RowSpace },
        { "/rowspace", TagName::EndRowSpace },
        { "pitch", TagName::Pitch },
        { "/pitch", TagName::EndPitch },
        { "rightmargin", TagName::RightMargin },
        { "/rightmargin", TagName::EndRightMargin },
        { "leftmargin", TagName::LeftMargin },
        { "/leftmargin", TagName::EndLeftMargin },
        { "break", TagName::Break },
    } };
    for (const auto& [text, tag_name] : NAMES) {
        if (text == name)
            return tag_name;
    }
    return std::nullopt;
}

uint32_t ParseTextTagColor(std::string_view value)
{
    size_t i = 0;
    while (i < value.size() && value[i] == ' ')
        ++i;
    const bool negative = i < value.size() && value[i] == '-';
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        ++i;
    int64_t magnitude = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (value[i] - '0');
        if (magnitude > int64_t { UINT32_MAX })
            return 0;
    }
    if (negative && magnitude > -int64_t { INT32_MIN })
        return 0;
    return static_cast<uint32_t>(negative ? -magnitude : magnitude);
}

std::optional<uint32_t> ParseTextTagRgb(std::string_view value)
{
    std::vector<std::string> parts;
    if (SplitString(value, parts) != 3)
        return std::nullopt;
    const auto channel = [&](size_t i) { return static_cast<uint32_t>(ParseInt(parts[i])) & 0xFFu; };
    return channel(0) | channel(1) << 8 | channel(2) << 16;
}

bool IsKnownTextTag(std::string_view tag)
{
    std::string lowered(tag);
    LowerAsciiGbkSafe(lowered);
    if (IsScriptTextTag(lowered) || IsCommentTextTag(lowered))
        return true;
    const std::vector<TextTagPair> pairs = SplitTextTag(lowered);
    if (pairs.empty())
        return false;
    const std::optional<TagName> name = FindTextTagName(pairs.front().name);
    return name && (*name != TagName::Rgb || ParseTextTagRgb(pairs.front().value));
}

std::string EscapeCanvasText(std::string_view text)
{
    // Control bytes go first: a tag is judged as the renderer will see it.
    // Widening a '<' afterwards only moves later bytes on, so it never makes
    // another tag one the renderer consumes.
    std::string kept;
    kept.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x81) { // the renderer's two-byte rule
            if (at + 1 < text.size())
                kept.append(text.substr(at, 2));
            ++at;
        } else if ((byte >= 0x20 && byte != 0x7F) || byte == '\n') {
            kept.push_back(text[at]);
        }
    }
    constexpr std::string_view FULL_WIDTH_LESS = "\xA3\xBC"; // "＜" in GBK
    std::string out;
    out.reserve(kept.size());
    for (size_t at = 0; at < kept.size(); ++at) {
        if (static_cast<unsigned char>(kept[at]) >= 0x81) {
            out.append(kept, at, 2);
            ++at;
            continue;
        }
        const std::string_view view = kept;
        const size_t close = kept[at] == '<' ? FindTextTagEnd(view, at) : std::string_view::npos;
        if (close != std::string_view::npos && close > at + 1 && IsKnownTextTag(view.substr(at + 1, close - at - 1)))
            out.append(FULL_WIDTH_LESS);
        else
            out.push_back(kept[at]);
    }
    return out;
}

} // namespace engine
