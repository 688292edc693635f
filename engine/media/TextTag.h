#pragma once
// The inline tags of the markup text renderer: "<name=value;name=value>".
// This file finds and splits a tag's text, names its pairs and tells whether
// the renderer consumes a tag; the renderer decides what each name does.
//
// Owner: none (free functions). Threads: any. Pure.
// Hazard: the views returned point into the tag text the caller passed in.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

/// Longest tag text between "<" and ">".
inline constexpr size_t TEXT_TAG_MAX_LENGTH = 256;

/// One name=value pair of a tag (value empty when none was given).
struct TextTagPair {
    std::string_view name;
    std::string_view value;
};

/// Where the tag that opens at text[open] ('<') closes: the index of its '>'
/// within the next TEXT_TAG_MAX_LENGTH bytes, or std::string_view::npos when
/// none is found first (a 0 byte or the end of the text ends the search).
[[nodiscard]] size_t FindTextTagEnd(std::string_view text, size_t open);

/// Splits an already lower-cased tag text into its name=value pairs: spaces
/// and ';' before a name are skipped, a name runs to a space, '=' or ';',
/// spaces and '=' before a value are skipped and a value runs to the next ';'.
[[nodiscard]] std::vector<TextTagPair> SplitTextTag(std::string_view tag);

/// The tag's name as a script tag sees it: the part before the first ':'.
[[nodiscard]] std::string_view TextTagScriptName(std::string_view tag);

/// A lower-cased tag kept whole as a script text ("script" before any ':').
[[nodiscard]] bool IsScriptTextTag(std::string_view lowered);
/// A lower-cased tag that is a comment ("//...").
[[nodiscard]] bool IsCommentTextTag(std::string_view lowered);

/// The names a tag pair may carry; "/name" gives back the start-of-call value.
enum class TagName {
    Color,
    Rgb,
    EndColor,
    Size,
    EndSize,
    FontName,
    EndFontName,
    Bold,
    EndBold,
    Underline,
    EndUnderline,
    Italic,
    EndItalic,
    RowSpace,
    EndRowSpace,
    Pitch,
    EndPitch,
    RightMargin,
    EndRightMargin,
    LeftMargin,
    EndLeftMargin,
    Break,
};

/// The lower-cased pair name's meaning; none for a name the renderer does not know.
[[nodiscard]] std::optional<TagName> FindTextTagName(std::string_view name);
/// A "color" value: decimal 0xAABBGGRR, written signed or unsigned (an
/// opaque colour is above the largest signed value); out of range gives 0.
[[nodiscard]] uint32_t ParseTextTagColor(std::string_view value);
/// An "rgb" value "r,g,b" as 0x00BBGGRR; none unless it has three parts.
[[nodiscard]] std::optional<uint32_t> ParseTextTagRgb(std::string_view value);

/// Whether the renderer consumes a tag's text (between '<' and '>', any
/// case) rather than drawing it: a script or comment tag, or a tag whose
/// first pair it applies.
[[nodiscard]] bool IsKnownTextTag(std::string_view tag);

/// Plain text (a player's name, a sentence naming one) for a canvas that
/// draws tags: the markup has no escape, so a '<' that would open a tag the
/// renderer consumes becomes the full-width "＜"; a line break ('\n') stays,
/// other control bytes are dropped, two-byte characters stay whole and a
/// lead byte with nothing after it is dropped. The canvases reach it as
/// ICanvasTextDrawer::PlainText (CCanvasObject::DrawPlainText).
[[nodiscard]] std::string EscapeCanvasText(std::string_view text);

} // namespace engine
