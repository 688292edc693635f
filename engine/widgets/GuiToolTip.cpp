#include "engine/widgets/GuiToolTip.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr int32_t INITIAL_SIDE = 10;

} // namespace

void CGuiToolTip::OnCreate()
{
    m_canvas = NewCanvasObject(INITIAL_SIDE, INITIAL_SIDE, KEY_COLOUR);
    if (m_canvas == nullptr)
        return;
    m_canvas->RaiseToTopLayer();
    m_canvas->SetFont(FONT_SIZE, 400, WIDGET_FACE);
    m_canvas->SetTextColour(0x000000, 255);
    m_canvas->SetTextFlags(1, 0); // Wrapped at the canvas's edge less the margin.
    m_canvas->Invalidate();
    SetVisual(m_canvas, WIDGET_LINK_FLAGS);
}

int32_t CGuiToolTip::Measure(std::string_view text, int32_t max_width)
{
    if (m_canvas == nullptr)
        return 0;
    int32_t width = max_width;
    const int64_t wanted = static_cast<int64_t>(text.size()) * m_canvas->GetTextStyle().font_height >> 1;
    if (wanted < max_width)
        width = static_cast<int32_t>(wanted);
    // Measured without margins; drawn from (MARGIN, MARGIN) with MARGIN kept
    // free on both sides, so the lines break where they were measured.
    m_canvas->SetMargins(0, 0);
    const int32_t height = m_canvas->MeasureText(width, text) + 2 * MARGIN;
    m_canvas->Resize(width + 2 * MARGIN, height);
    m_canvas->SetSize(width + 2 * MARGIN, height);
    m_canvas->SetMargins(MARGIN, MARGIN);
    return MARGIN;
}

void CGuiToolTip::DrawBackground()
{
    if (m_canvas == nullptr)
        return;
    m_canvas->Clear();
    m_canvas->DrawBorder(BORDER_COLOUR, 1);
}

void CGuiToolTip::SetText(std::string_view text, int32_t max_width)
{
    const int32_t margin = Measure(text, max_width);
    DrawBackground();
    if (m_canvas != nullptr) {
        m_canvas->DrawText(margin, margin, text);
        m_canvas->Invalidate();
    }
}

void CGuiToolTip::Attach(CEngineObject* target, std::string_view text, int32_t max_width)
{
    if (target == nullptr)
        return;
    SetText(text, max_width);
    const uint32_t id = GetId();
    target->AddEventRoute(VELOTRIX_EVENT_MOUSE_ENTER, id, VELOTRIX_EVENT_ACTIVATE, target->GetId(), 0);
    target->AddEventRoute(VELOTRIX_EVENT_MOUSE_LEAVE, id, VELOTRIX_EVENT_DEACTIVATE, 0, 0);
}

void CGuiToolTip::FadeIn(double step, HideAfter hide_after)
{
    CancelObjectActions(GetId());
    if (!IsActive()) {
        SetAlpha(0.0);
        Activate();
    }
    (void)BeginGroup();
    (void)AddFadeToAction(this, step, 1.0, 0);
    if (hide_after == HideAfter::Yes) {
        (void)NextGroup();
        (void)AddActivateAction(this, 0);
    }
    EndGroup();
}

void CGuiToolTip::Hide()
{
    CancelObjectActions(GetId());
    Deactivate();
    Invalidate();
}

void CGuiToolTip::PlaceNear(const CEngineObject& target)
{
    const double w = GetWidth();
    const double h = GetHeight();
    double x = static_cast<int32_t>(target.GetX() + w / 2);
    double y = static_cast<int32_t>(target.GetTop() - h / 2);
    const int32_t view_width = GetViewWidth();
    if (view_width < x + w / 2)
        x = static_cast<int32_t>(view_width - w / 2);
    if (x - w / 2 < 0)
        x = static_cast<int32_t>(w / 2);
    if (y - h / 2 < 0)
        y = static_cast<int32_t>(h / 2);
    // The canvas carries the depth; the tooltip's own z is not its canvas's.
    GetVisual()->BringToFront();
    MoveTo(x, y);
    Invalidate();
}

int CGuiToolTip::OnEvent(const EngineEvent& event)
{
    switch (event.id) {
    case VELOTRIX_EVENT_ACTIVATE:
        if (const CEngineObject* target = FindObject(static_cast<uint32_t>(event.param1)))
            PlaceNear(*target);
        FadeIn(FADE_STEP, HideAfter::No);
        return 1;
    case VELOTRIX_EVENT_DEACTIVATE:
        Hide();
        return 1;
    default:
        return CGuiObject::OnEvent(event);
    }
}

} // namespace engine
