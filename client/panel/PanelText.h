#pragma once
// Reading words and texts out of server bodies for the frame UI and the side
// panel, turning other people's text into chat-box markup, and placing the
// panel's text views.
//
// Owner: none (free functions). Thread: any.
// Hazards: bodies come from the server and chat texts from other players:
// nothing here reads past a body, every text is cut on a character boundary
// to its limit, and markup characters in foreign text are escaped so they
// show as themselves.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "client/TextFunctions.h"
#include "engine/core/EngineRect.h"
#include "engine/widgets/RichTextView.h"

namespace panel {

/// The longest text taken from one field of a body.
inline constexpr size_t MAX_BODY_TEXT = 512;

/// Word `index` (32-bit little-endian) of the body; none when it is short.
[[nodiscard]] std::optional<int32_t> BodyWord(std::span<const uint8_t> body, size_t index);
/// The zero-terminated GBK text at `offset`, up to the body's end and at most
/// max_bytes (cut between characters); empty past the body.
[[nodiscard]] std::string BodyText(std::span<const uint8_t> body, size_t offset, size_t max_bytes = MAX_BODY_TEXT);
/// Foreign text as chat markup (the engine's one escaping step).
using engine::EscapeMarkup;
/// printf-style formatting into a std::string (GBK bytes pass unchanged).
using client::FormatText;

/// Gives a text view the rectangle: its background, its text canvas and its
/// scroll bars take the new size and place (a view only resized would keep
/// drawing its text into the canvas it was created with).
void PlaceTextView(engine::CRichTextView& view, const engine::EngineRect& rect);

} // namespace panel
