#include "engine/widgets/GuiTextButton.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr int32_t WEIGHT_NORMAL = 400;
constexpr int32_t WEIGHT_BOLD = 700;

// The border colour with each of its three bytes replaced by 255 minus the byte.
uint32_t InverseColour(uint32_t colour)
{
    return ~colour & 0xFFFFFF;
}

} // namespace

CCanvasObject* CGuiTextButton::Create(std::string_view text, int32_t width, int32_t height, int32_t font_size,
                                      uint32_t key_colour, uint32_t border_colour, const EngineEvent* click_event)
{
    m_key_colour = key_colour;
    m_border_colour = border_colour;
    m_caption = text;
    m_font_size = font_size;
    m_canvas = NewCanvasObject(width, height, key_colour);
    if (m_canvas == nullptr)
        return nullptr;
    m_canvas->SetFont(font_size, WEIGHT_NORMAL, WIDGET_FACE);
    m_canvas->DrawBorder(border_colour, 1);
    m_canvas->RaiseToTopLayer();
    m_canvas->Show(true);
    m_canvas->Invalidate();
    SetVisual(m_canvas, WIDGET_LINK_FLAGS);
    const uint32_t id = GetId();
    for (uint32_t event_id : { VELOTRIX_EVENT_MOUSE_ENTER, VELOTRIX_EVENT_MOUSE_LEAVE, VELOTRIX_EVENT_LBUTTON_DOWN,
                               VELOTRIX_EVENT_LBUTTON_CLICK })
        m_canvas->AddEventRoute(event_id, id, event_id, 0, 0);
    if (click_event != nullptr)
        m_click_event = *click_event;
    DrawState(STATE_NORMAL);
    return m_canvas;
}

int CGuiTextButton::HitTest(int32_t x, int32_t y) const
{
    return m_canvas != nullptr ? m_canvas->HitTest(x, y) : 0;
}

void CGuiTextButton::OnMouseEnter()
{
    if (!IsVisible())
        return;
    DrawState(STATE_HOVER);
    if (m_hand_cursor)
        ShowHandCursor();
}

void CGuiTextButton::OnMouseLeave()
{
    if (!IsVisible())
        return;
    DrawState(STATE_NORMAL);
    if (m_hand_cursor)
        RestoreCursor();
}

void CGuiTextButton::OnMouseDown()
{
    if (IsVisible())
        DrawState(STATE_PRESSED);
}

void CGuiTextButton::OnClick()
{
    DrawState(STATE_HOVER);
    (void)SendEvent(m_click_event);
}

void CGuiTextButton::DrawFittedCaption()
{
    std::string text = CCanvasObject::PlainText(m_caption);
    m_canvas->SetFont(m_font_size, m_canvas->GetTextStyle().weight, WIDGET_FACE);
    const auto [x, y] = m_canvas->FitText(text);
    m_canvas->DrawText(x, y, text);
}

void CGuiTextButton::Darken(double f)
{
    m_canvas->Tint(0x000000, TintAmount(f));
}

void CGuiTextButton::DrawState(int state)
{
    if (m_canvas == nullptr)
        return;
    m_canvas->Clear();
    switch (state) {
    case STATE_NORMAL:
        m_canvas->DrawBorder(m_border_colour, 1);
        DrawFittedCaption();
        break;
    case STATE_HOVER:
        m_canvas->DrawBorder(InverseColour(m_border_colour), 1);
        DrawFittedCaption();
        break;
    case STATE_PRESSED:
        DrawFittedCaption();
        Darken(PRESSED_DARKENING);
        m_canvas->DrawBorder(InverseColour(m_border_colour), 1);
        break;
    case STATE_HIDDEN:
        DrawFittedCaption();
        m_canvas->DrawBorder(m_border_colour, 1);
        Darken(HIDDEN_DARKENING);
        break;
    default:
        break;
    }
    m_canvas->Invalidate();
}

void CGuiTextButton::SetTextColour(uint32_t colour)
{
    if (m_canvas != nullptr)
        m_canvas->SetTextColour(colour, 255);
    DrawState(STATE_NORMAL);
}

void CGuiTextButton::SetCaption(std::string_view text)
{
    m_caption = text;
    DrawState(STATE_NORMAL);
}

void CGuiTextButton::ShowHandCursor()
{
    ShowWidgetCursor(*this, WidgetCursor::Hand);
}

void CGuiTextButton::RestoreCursor()
{
    ShowWidgetCursor(*this, WidgetCursor::Arrow);
}

int CGuiTextButton::OnEvent(const EngineEvent& event)
{
    if (HandleClickableEvent(*this, event))
        return 0;
    switch (event.id) {
    case VELOTRIX_EVENT_SHOWN:
        DrawState(IsHovered(*this, m_canvas) ? STATE_HOVER : STATE_NORMAL);
        if (m_canvas != nullptr) {
            m_canvas->Show(true);
            m_canvas->Invalidate();
        }
        return 0;
    case VELOTRIX_EVENT_HIDDEN:
        if (m_canvas != nullptr)
            m_canvas->Show(false);
        DrawState(STATE_HIDDEN);
        return 0;
    default:
        return CGuiObject::OnEvent(event);
    }
}

void CGuiPopupMenuItem::DrawState(int state)
{
    CCanvasObject* canvas = GetCanvas();
    if (canvas == nullptr)
        return;
    const int32_t centre_x = static_cast<int32_t>(GetWidth()) / 2;
    const int32_t centre_y = static_cast<int32_t>(GetHeight()) / 2;
    const std::string caption = GetCaption();
    switch (state) {
    case STATE_NORMAL:
        canvas->Clear();
        canvas->SetAlpha(1.0);
        canvas->SetFont(GetFontSize(), WEIGHT_NORMAL, WIDGET_FACE);
        canvas->DrawCentredPlainText(centre_x, centre_y, caption);
        break;
    case STATE_HOVER:
        canvas->SetFont(GetFontSize(), WEIGHT_BOLD, WIDGET_FACE);
        canvas->Clear();
        canvas->SetAlpha(1.0);
        canvas->DrawCentredPlainText(centre_x, centre_y, caption);
        canvas->Tint(HOVER_TINT, TintAmount(HOVER_TINT_AMOUNT));
        canvas->DrawBorder(HOVER_BORDER, 1);
        break;
    case STATE_PRESSED:
        canvas->SetAlpha(1.0);
        canvas->InvertRect(0, 0, canvas->GetCanvasWidth(), canvas->GetCanvasHeight());
        break;
    case STATE_HIDDEN:
        canvas->Clear();
        canvas->SetFont(GetFontSize(), WEIGHT_NORMAL, WIDGET_FACE);
        canvas->SetAlpha(HIDDEN_ALPHA);
        canvas->DrawCentredPlainText(centre_x, centre_y, caption);
        break;
    default:
        break;
    }
    canvas->Invalidate();
}

} // namespace engine
