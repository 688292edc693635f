#include "client/panel/CWebPane.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/UrlOpener.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Text.h"

namespace panel {

namespace {

constexpr uint32_t PANE_BACKGROUND = 0xFFFFFF;
constexpr uint32_t ADDRESS_COLOUR = 0x8B0000; // dark blue, as a link
constexpr int32_t MARGIN = 6;

} // namespace

void CWebPane::Create(int32_t width, int32_t height)
{
    m_canvas = NewCanvasObject(width, height, engine::WIDGET_COLOUR_KEY);
    if (m_canvas == nullptr)
        return;
    SetVisual(m_canvas, engine::WIDGET_LINK_FLAGS);
    m_canvas->Show(true);
    m_canvas->AddEventRoute(engine::VELOTRIX_EVENT_LBUTTON_CLICK, GetId(), engine::VELOTRIX_EVENT_LBUTTON_CLICK, 0,
                            0);
    Redraw();
}

void CWebPane::Resize(int32_t width, int32_t height)
{
    if (m_canvas == nullptr || width <= 0 || height <= 0)
        return;
    m_canvas->Resize(width, height);
    m_canvas->SetSize(width, height);
    Redraw();
}

void CWebPane::Navigate(std::string_view address)
{
    m_address = platform::CutGbkText(address, MAX_ADDRESS_BYTES);
    Redraw();
}

bool CWebPane::OpenInBrowser()
{
    return !m_address.empty() && engine::GetUrlOpener().OpenUrl(m_address);
}

void CWebPane::Redraw()
{
    if (m_canvas == nullptr)
        return;
    m_canvas->SetBackgroundColour(PANE_BACKGROUND);
    m_canvas->Clear();
    m_canvas->DrawBorder(0x808080, 1);
    m_canvas->SetFont(FONT_SIZE, 400, engine::WIDGET_FACE);
    m_canvas->SetTextColour(ADDRESS_COLOUR, 255);
    m_canvas->SetMargins(MARGIN, MARGIN);
    m_canvas->SetTextFlags(1, 1);
    // The address comes from the server: drawn as written, never as markup.
    m_canvas->DrawPlainText(0, MARGIN, m_address);
    m_canvas->Invalidate();
}

int CWebPane::OnEvent(const engine::EngineEvent& event)
{
    if (event.id == engine::VELOTRIX_EVENT_LBUTTON_CLICK) {
        (void)OpenInBrowser();
        return 1;
    }
    return CGuiObject::OnEvent(event);
}

} // namespace panel
