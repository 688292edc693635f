#include "engine/widgets/WidgetSupport.h"

#include "engine/core/EngineEntity.h"
#include "platform/Cursor.h"

namespace engine {

void ShowWidgetCursor(CEngineEntity& widget, WidgetCursor cursor)
{
    const bool hand = cursor == WidgetCursor::Hand;
    if (CEngineObject* drawn = widget.FindObjectByName(CURSOR_OBJECT_NAME)) {
        EngineEvent event;
        MakeEngineEvent(&event, drawn->GetId(), hand ? VELOTRIX_EVENT_CURSOR_HAND : VELOTRIX_EVENT_CURSOR_ARROW, 0, 0);
        (void)widget.SendEvent(event);
        return;
    }
    widget.SetCursorHandle(platform::LoadSystemCursor(hand ? platform::IDC_HAND : platform::IDC_ARROW));
}

bool IsHovered(const CEngineEntity& widget, const CEngineObject* child)
{
    InputState input;
    return child != nullptr && widget.GetInputState(input) && input.hovered == child->GetId();
}

void PlayWidgetSound(CEngineEntity& widget, std::string_view name)
{
    if (name.empty())
        return;
    (void)widget.LoadSound(name, 1);
}

} // namespace engine
