#include "engine/widgets/GuiButton.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

void CGuiButton::Create(const ImageRef& image, const EngineEvent* click_event, uint32_t flags, uint32_t image_flags)
{
    m_image = NewImageObject(image);
    if (m_image != nullptr) {
        m_image->SetFrame(FRAME_NORMAL);
        m_image->RaiseToTopLayer();
        m_image->AddFlags(image_flags);
        SetVisual(m_image, WIDGET_LINK_FLAGS);
        RoutePointerEvents(*m_image);
    }
    if ((flags & FLAG_ENTER_KEY) != 0) {
        SetCatchInput(true);
        AddSelfEventRoute(VELOTRIX_EVENT_KEY_DOWN);
    }
    m_flags |= flags;
    if (click_event != nullptr)
        m_click_event = *click_event;
}

void CGuiButton::SetImage(const ImageRef& image, CImageObject::FitSize fit)
{
    if (m_image != nullptr)
        m_image->SetImage(image, fit);
}

void CGuiButton::RoutePointerEvents(CEngineObject& part)
{
    const uint32_t id = GetId();
    for (uint32_t event_id : { VELOTRIX_EVENT_MOUSE_ENTER, VELOTRIX_EVENT_MOUSE_LEAVE, VELOTRIX_EVENT_LBUTTON_DOWN,
                               VELOTRIX_EVENT_LBUTTON_CLICK })
        part.AddEventRoute(event_id, id, event_id, 0, 0);
}

CCanvasObject* CGuiButton::GetCaptionCanvas()
{
    if (m_caption != nullptr || m_image == nullptr)
        return m_caption;
    m_caption = NewCanvasObject(static_cast<int32_t>(m_image->GetWidth()), static_cast<int32_t>(m_image->GetHeight()),
                                WIDGET_COLOUR_KEY);
    if (m_caption == nullptr)
        return nullptr;
    m_caption->RaiseToTopLayer();
    m_caption->MoveTo(m_image->GetX(), m_image->GetY());
    m_caption->SetZ(m_image->GetZ() + 0.01);
    m_image->AddFollower(m_caption, WIDGET_LINK_FLAGS);
    // The caption lies over the picture and is what the pointer finds there.
    RoutePointerEvents(*m_caption);
    // The link repeats later changes only: take the image child's state now.
    m_caption->Show(m_image->IsVisible());
    if (m_image->IsActive())
        m_caption->Activate();
    return m_caption;
}

void CGuiButton::SetSound(int index, std::string_view name)
{
    if (index >= 0 && index < SOUND_COUNT)
        m_sounds[static_cast<size_t>(index)] = name;
}

void CGuiButton::ShowFrame(int16_t frame)
{
    if (m_image != nullptr)
        m_image->SetFrame(frame);
}

void CGuiButton::Redraw()
{
    if (m_image != nullptr)
        m_image->Invalidate();
}

void CGuiButton::SetFrame(int16_t frame)
{
    ShowFrame(frame);
    Redraw();
}

uint32_t CGuiButton::GetFrame() const
{
    return m_image != nullptr ? m_image->GetCurrentFrame() : 0;
}

int CGuiButton::HitTest(int32_t x, int32_t y) const
{
    return m_image != nullptr ? m_image->HitTest(x, y) : 0;
}

void CGuiButton::OnMouseEnter()
{
    if (!IsVisible() || IsChecked())
        return;
    SetFrame(FRAME_HOVER);
    PlayWidgetSound(*this, m_sounds[SOUND_ENTER]);
    if (m_hand_cursor)
        ShowHandCursor();
}

void CGuiButton::OnMouseLeave()
{
    if (!IsVisible() || IsChecked())
        return;
    SetFrame(FRAME_NORMAL);
    PlayWidgetSound(*this, m_sounds[SOUND_LEAVE]);
    if (m_hand_cursor)
        RestoreCursor();
}

void CGuiButton::OnMouseDown()
{
    if (!IsVisible())
        return;
    SetFrame(FRAME_PRESSED);
    PlayWidgetSound(*this, m_sounds[SOUND_PRESS]);
    if ((m_flags & FLAG_FIRE_ON_PRESS) != 0)
        (void)SendEvent(m_click_event);
}

void CGuiButton::OnClick()
{
    SetFrame(FRAME_HOVER);
    if ((m_flags & FLAG_FIRE_ON_PRESS) == 0)
        (void)SendEvent(m_click_event);
}

void CGuiButton::FireClick()
{
    (void)SendEvent(m_click_event);
}

void CGuiButton::SetCaption(std::string_view text, uint32_t colour, int32_t size)
{
    CCanvasObject* canvas = GetCaptionCanvas();
    if (canvas == nullptr)
        return;
    canvas->SetTextColour(colour, 255);
    canvas->SetFont(size, 400, WIDGET_FACE);
    canvas->DrawCentredPlainText(canvas->GetCanvasWidth() / 2, canvas->GetCanvasHeight() / 2, text);
    canvas->Invalidate();
}

void CGuiButton::SetChecked(bool checked)
{
    if (checked) {
        m_flags |= FLAG_CHECKED;
        SetFrame(FRAME_PRESSED);
        return;
    }
    m_flags &= ~FLAG_CHECKED;
    InputState input;
    const bool under_cursor = GetInputState(input) && HitTest(input.x, input.y) != 0;
    SetFrame(under_cursor ? FRAME_HOVER : FRAME_NORMAL);
}

void CGuiButton::ShowHandCursor()
{
    ShowWidgetCursor(*this, WidgetCursor::Hand);
}

void CGuiButton::RestoreCursor()
{
    ShowWidgetCursor(*this, WidgetCursor::Arrow);
}

int CGuiButton::OnEvent(const EngineEvent& event)
{
    if (HandleClickableEvent(*this, event))
        return 0;
    switch (event.id) {
    case VELOTRIX_EVENT_KEY_DOWN:
        if (event.param2 != 0 && reinterpret_cast<const InputState*>(event.param2)->last_key_down == KEY_ENTER
            && IsVisible())
            OnClick();
        return 0;
    case VELOTRIX_EVENT_SHOWN:
        ShowFrame(IsHovered(*this, m_image) ? FRAME_HOVER : FRAME_NORMAL);
        if (m_image != nullptr)
            m_image->Show(true);
        Redraw();
        return 0;
    case VELOTRIX_EVENT_HIDDEN:
        if (m_image != nullptr)
            m_image->Show(false);
        SetFrame(FRAME_HIDDEN);
        return 0;
    default:
        return CGuiObject::OnEvent(event);
    }
}

} // namespace engine
