#pragma once
// What every widget of this library shares: the link flags of its looks
// children, the colour key and face of its canvases, the hand and arrow
// cursor rule, and playing its sounds by name.
//
// Owner: free functions over the calling widget. Thread: UI thread, inside
// the engine tick or under the tick lock.

#include <cstdint>
#include <string_view>

#include "engine/core/EngineEvent.h"
#include "engine/core/EngineObject.h"
#include "engine/core/InputState.h"

namespace engine {

class CEngineEntity;

/// Link flags of a widget's looks children: they move, show, hide, scale and
/// take routes with the widget, and go with it.
inline constexpr uint32_t WIDGET_LINK_FLAGS = 0x1BC0EB;
/// Link flags of a part laid on another part (a thumb on its track).
inline constexpr uint32_t WIDGET_PART_LINK_FLAGS = 0x1BC0AB;
/// The colour key (transparent colour) of every canvas a widget makes.
inline constexpr uint32_t WIDGET_COLOUR_KEY = 0xFF00FF;
/// The face of widget text.
inline constexpr const char* WIDGET_FACE = "宋体";
/// The name of the engine object that draws the cursor, when there is one.
inline constexpr const char* CURSOR_OBJECT_NAME = "object_cursor";

/// The pointer shapes a widget asks for while hovered.
enum class WidgetCursor { Hand, Arrow };

/// Shows the hand or the arrow: through the "object_cursor" object when it
/// exists (it gets VELOTRIX_EVENT_CURSOR_HAND or _ARROW), else as the system
/// cursor (the facade's SetCursorHandle).
void ShowWidgetCursor(CEngineEntity& widget, WidgetCursor cursor);

/// Plays the named sound once; an empty name plays nothing.
void PlayWidgetSound(CEngineEntity& widget, std::string_view name);

/// The pointer events every clickable widget handles alike: enter, leave
/// and press call its state handlers; a click (a release on the pressed
/// object) calls OnClick only when the release point is still on the widget
/// and it is visible. Answers whether event was one of them.
template <typename Widget>
bool HandleClickableEvent(Widget& widget, const EngineEvent& event)
{
    switch (event.id) {
    case VELOTRIX_EVENT_MOUSE_ENTER:
        widget.OnMouseEnter();
        return true;
    case VELOTRIX_EVENT_MOUSE_LEAVE:
        widget.OnMouseLeave();
        return true;
    case VELOTRIX_EVENT_LBUTTON_DOWN:
        widget.OnMouseDown();
        return true;
    case VELOTRIX_EVENT_LBUTTON_CLICK: {
        const auto* input = reinterpret_cast<const InputState*>(event.param2);
        if (input != nullptr && widget.HitTest(input->x, input->y) != 0 && widget.IsVisible())
            widget.OnClick();
        return true;
    }
    default:
        return false;
    }
}

/// Whether the pointer rests on child now (the input state's hovered object).
[[nodiscard]] bool IsHovered(const CEngineEntity& widget, const CEngineObject* child);

/// Puts object (a widget or any engine object) at depth z. A GUI object
/// answers its visual's depth, which differs from its own; moving by the
/// difference puts the visual, and every follower with it, where z asks.
inline void PlaceAtDepth(CEngineObject& object, double z)
{
    object.MoveZBy(z - object.GetZ());
}

/// Whether a caller-supplied record names someone to deliver to.
[[nodiscard]] inline bool IsDeliverable(const EngineEvent& record)
{
    return record.target != 0 && record.id != 0;
}

} // namespace engine
