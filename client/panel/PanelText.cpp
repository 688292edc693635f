#include "client/panel/PanelText.h"

#include <cstdio>
#include <cstring>

#include "engine/widgets/RichTextView.h"
#include "platform/ByteOrder.h"
#include "platform/Text.h"

namespace panel {

std::optional<int32_t> BodyWord(std::span<const uint8_t> body, size_t index)
{
    if (index >= body.size() / 4)
        return std::nullopt;
    return static_cast<int32_t>(platform::LoadU32LE(body.data() + index * 4));
}

std::string BodyText(std::span<const uint8_t> body, size_t offset, size_t max_bytes)
{
    if (offset >= body.size())
        return {};
    const auto field = body.subspan(offset);
    const auto* bytes = reinterpret_cast<const char*>(field.data());
    const std::string_view text(bytes, strnlen(bytes, field.size()));
    return platform::CutGbkText(text, max_bytes);
}

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
