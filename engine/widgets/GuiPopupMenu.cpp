#include "engine/widgets/GuiPopupMenu.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr double ROW_Z_STEP = 0.01;

} // namespace

void CGuiPopupMenu::Create(int32_t item_width, int32_t item_height, int32_t font_size, uint32_t key_colour)
{
    m_item_width = item_width;
    m_item_height = item_height;
    m_font_size = font_size;
    m_canvas = NewCanvasObject(item_width, item_height, key_colour);
    if (m_canvas != nullptr)
        SetVisual(m_canvas, WIDGET_LINK_FLAGS);
    SetCatchInput(true);
    // The default handler deactivates (hides) the menu when the focus goes.
    AddEventRoute(VELOTRIX_EVENT_FOCUS_LOST, GetId(), VELOTRIX_EVENT_DEACTIVATE, 0, 0);
    RaiseToTopLayer();
}

CGuiPopupMenuItem* CGuiPopupMenu::AddItem(std::string_view text, const EngineEvent* click_event, uint32_t text_colour)
{
    auto* row = dynamic_cast<CGuiPopupMenuItem*>(RegisterObject(std::make_unique<CGuiPopupMenuItem>()));
    if (row == nullptr)
        return nullptr;
    row->Create(text, m_item_width, m_item_height, m_font_size, ROW_KEY_COLOUR, ROW_BORDER_COLOUR, click_event);
    PlaceAtDepth(*row, GetZ() + ROW_Z_STEP);
    row->SetTextColour(text_colour);
    AddFollower(row, ROW_LINK_FLAGS);
    if (IsActive())
        row->Activate();
    m_rows.push_back(row->GetId());
    Layout();
    return row;
}

std::vector<CGuiPopupMenuItem*> CGuiPopupMenu::Rows() const
{
    std::vector<CGuiPopupMenuItem*> rows;
    rows.reserve(m_rows.size());
    for (uint32_t id : m_rows)
        if (auto* row = dynamic_cast<CGuiPopupMenuItem*>(FindObject(id)))
            rows.push_back(row);
    return rows;
}

void CGuiPopupMenu::EnableItem(uint32_t target_id, uint32_t event_id, bool show)
{
    for (CGuiPopupMenuItem* row : Rows()) {
        // A row's routes live on its visual (routes added on the row are copied there).
        const CEngineObject* holder = row->GetVisual();
        size_t index = 0;
        while (const RouteRecord* route = holder->FindEventRouteFrom(VELOTRIX_EVENT_LBUTTON_CLICK, index)) {
            if (route->target == target_id && route->forwarded_id == event_id) {
                row->ShowNotify(show);
                break;
            }
        }
    }
}

void CGuiPopupMenu::Layout()
{
    const std::vector<CGuiPopupMenuItem*> rows = Rows();
    if (rows.empty()) {
        Deactivate();
        Invalidate();
        return;
    }
    if (m_canvas == nullptr)
        return;
    const int32_t width = m_item_width + 2 * m_border;
    const int32_t height = m_item_height * static_cast<int32_t>(rows.size()) + 2 * m_border;
    m_canvas->Resize(width, height);
    SetSize(width, height);
    m_canvas->Clear();
    m_canvas->DrawBorder(0x000000, 1);
    m_canvas->Invalidate();
    const double x = static_cast<int32_t>(m_canvas->GetLeft() + (m_item_width + 1) / 2 + m_border);
    double y = static_cast<int32_t>(m_canvas->GetTop() + (m_item_height + 1) / 2 + m_border);
    for (CGuiPopupMenuItem* row : rows) {
        row->MoveTo(x, y);
        row->Invalidate();
        y += m_item_height;
    }
}

CGuiPopupMenuItem* CGuiPopupMenu::GetItem(size_t index) const
{
    const std::vector<CGuiPopupMenuItem*> rows = Rows();
    return index < rows.size() ? rows[index] : nullptr;
}

CGuiPopupMenuItem* CGuiPopupMenu::FindItem(std::string_view text) const
{
    for (CGuiPopupMenuItem* row : Rows())
        if (row->GetCaption() == text)
            return row;
    return nullptr;
}

} // namespace engine
