#include "client/panel/PanelText.h"

#include <cstdio>
#include <cstring>

#include "engine/widgets/RichTextView.h"
#include "platform/ByteOrder.h"
#include "platform/Text.h"

namespace panel {

void PlaceTextView(engine::CRichTextView& view, const engine::EngineRect& rect)
{
    const int32_t width = rect.Width();
    const int32_t height = rect.Height();
    if (width <= 0 || height <= 0)
        return;
    view.ResizeView(width, height);
    view.MoveTo(rect.left + width / 2.0, rect.top + height / 2.0);
    view.Layout(width, height);
    view.Invalidate();
}

} // namespace panel
