#pragma once
// Turning other people's text into chat-box markup, and placing the
// panel's text views.
//
// Owner: none (free functions). Thread: any.
// Hazards: chat texts come from other players: markup characters in foreign
// text are escaped so they show as themselves.
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

/// Foreign text as chat markup (the engine's one escaping step).
using engine::EscapeMarkup;
/// printf-style formatting into a std::string (GBK bytes pass unchanged).
using client::FormatText;

/// Gives a text view the rectangle: its background, its text canvas and its
/// scroll bars take the new size and place (a view only resized would keep
/// drawing its text into the canvas it was created with).
void PlaceTextView(engine::CRichTextView& view, const engine::EngineRect& rect);

} // namespace panel
