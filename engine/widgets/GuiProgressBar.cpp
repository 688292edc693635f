#include "engine/widgets/GuiProgressBar.h"

#include <algorithm>
#include <cmath>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr double THUMB_Z_STEP = 0.01;

} // namespace

void CGuiProgressBar::Create(const ImageRef& background, const ImageRef& fill, double position)
{
    m_background = NewImageObject(background);
    if (m_background != nullptr)
        SetVisual(m_background, WIDGET_LINK_FLAGS);
    m_fill_image = fill;
    m_fill_canvas = NewCanvasObject(fill.width, fill.height, WIDGET_COLOUR_KEY);
    if (m_fill_canvas != nullptr && m_background != nullptr) {
        m_fill_canvas->MoveTo(m_background->GetX(), m_background->GetY());
        m_fill_canvas->SetZ(m_background->GetSortZ());
        m_background->AddFollower(m_fill_canvas, WIDGET_LINK_FLAGS);
    }
    SetPositionNow(position);
}

void CGuiProgressBar::Create(std::string_view image_name, uint32_t fill_frame, uint32_t background_frame,
                             double position)
{
    ImageRef background;
    ImageRef fill;
    GetImage(background, image_name, background_frame);
    GetImage(fill, image_name, fill_frame);
    Create(background, fill, position);
}

void CGuiProgressBar::StartThumbAnimation()
{
    if (m_thumb == nullptr)
        return;
    // One animation at a time: a second activation restarts it.
    CancelObjectActions(m_thumb->GetId());
    (void)AddPlayFramesAction(m_thumb, FrameMode::Loop, -1, 0, 0);
}

void CGuiProgressBar::SetThumb(const ImageRef& thumb, uint32_t owner_id)
{
    if (m_thumb != nullptr) {
        m_thumb->SetImage(thumb, CImageObject::FitSize::Yes);
    } else {
        m_thumb = NewImageObject(thumb);
        if (m_thumb == nullptr)
            return;
        if (m_fill_canvas != nullptr)
            m_thumb->SetZ(m_fill_canvas->GetZ() + THUMB_Z_STEP);
        if (IsActive()) {
            m_thumb->Activate();
            StartThumbAnimation();
        }
        m_thumb->Invalidate();
        GetVisual()->AddFollower(m_thumb, WIDGET_LINK_FLAGS);
    }
    m_owner_id = owner_id;
    Redraw();
}

void CGuiProgressBar::SetPositionNow(double position)
{
    if (m_dragging)
        return;
    m_position = std::min(position, 1.0);
    Redraw();
    m_done_event = EngineEvent {};
}

void CGuiProgressBar::AnimateTo(double target, double step, uint32_t interval, const EngineEvent* done_event)
{
    m_done_event = done_event != nullptr ? *done_event : EngineEvent {};
    step = std::fabs(step);
    m_step = step == 0 ? DEFAULT_STEP : step;
    m_target = target;
    m_interval = interval;
    m_serial += 100;
    QueueTick();
}

void CGuiProgressBar::QueueTick()
{
    EngineEvent tick;
    MakeEngineEvent(&tick, GetId(), EVENT_TICK, static_cast<uintptr_t>(m_serial), 0);
    (void)AddWaitTimeAction(m_interval, &tick);
}

void CGuiProgressBar::Redraw()
{
    // Below 0 (or not a number) becomes 0, above 1 becomes 1.
    m_position = m_position > 0 ? std::min(m_position, 1.0) : 0.0;
    if (m_fill_canvas == nullptr)
        return;
    m_fill_canvas->Clear();
    const int32_t filled = static_cast<int32_t>(m_fill_image.width * m_position);
    if (filled > 0)
        m_fill_canvas->DrawImage(m_fill_image, 0, 0, filled, 0, 0.0, 1.0);
    m_fill_canvas->Invalidate();
    if (m_thumb != nullptr) {
        m_thumb->MoveTo(m_fill_canvas->GetLeft() + filled, m_fill_canvas->GetY());
        m_thumb->Invalidate();
    }
}

CCanvasObject* CGuiProgressBar::CreateCaptionCanvas()
{
    if (m_fill_canvas == nullptr)
        return nullptr;
    m_caption = NewCanvasObject(m_fill_canvas->GetCanvasWidth(), m_fill_canvas->GetCanvasHeight(), WIDGET_COLOUR_KEY);
    if (m_caption == nullptr)
        return nullptr;
    m_caption->SetSize(m_fill_canvas->GetWidth(), m_fill_canvas->GetHeight());
    m_caption->SetZ(m_fill_canvas->GetSortZ());
    m_caption->MoveTo(GetX(), GetY());
    int32_t size = GetIntSetting(CAPTION_SIZE_SETTING);
    if (size <= 0)
        size = DEFAULT_CAPTION_SIZE;
    size = std::min(size, m_caption->GetCanvasHeight() * 2 / 3);
    m_caption->SetFont(size, 400, WIDGET_FACE);
    if (m_fill_canvas->IsActive())
        m_caption->Activate();
    m_fill_canvas->AddFollower(m_caption, WIDGET_LINK_FLAGS);
    return m_caption;
}

CCanvasObject* CGuiProgressBar::GetCaptionCanvas()
{
    return m_caption != nullptr ? m_caption.get() : CreateCaptionCanvas();
}

void CGuiProgressBar::SetCaption(std::string_view text, uint32_t colour, int32_t size)
{
    CCanvasObject* canvas = GetCaptionCanvas();
    if (canvas == nullptr)
        return;
    const CanvasTextStyle kept = canvas->GetTextStyle();
    if (size != 0)
        canvas->SetFont(size, 400, WIDGET_FACE);
    canvas->SetTextColour(colour, 255);
    canvas->Clear();
    canvas->DrawCentredText(canvas->GetCanvasWidth() / 2, canvas->GetCanvasHeight() / 2, text);
    canvas->SetFont(kept.font_height, kept.weight, kept.GetFaceName());
    canvas->Invalidate();
}

void CGuiProgressBar::SetDraggable(bool on)
{
    if (m_thumb == nullptr)
        return;
    const uint32_t id = GetId();
    CEngineObject* pressed[] = { m_fill_canvas, m_background };
    if (on) {
        m_thumb->AddEventRoute(VELOTRIX_EVENT_MOUSE_MOVE, id, EVENT_DRAG, 0, 0);
        // The release wherever the pointer is then: the thumb stops at the
        // bar's ends while the pointer may go on past them.
        m_thumb->AddEventRoute(VELOTRIX_EVENT_LBUTTON_UP, id, EVENT_RELEASE, 0, 0);
        for (CEngineObject* object : pressed)
            if (object != nullptr)
                object->AddEventRoute(VELOTRIX_EVENT_LBUTTON_DOWN, id, EVENT_PRESS, 0, 0);
        return;
    }
    m_thumb->RemoveEventRoutes(VELOTRIX_EVENT_MOUSE_MOVE);
    m_thumb->RemoveEventRoutes(VELOTRIX_EVENT_LBUTTON_UP);
    for (CEngineObject* object : pressed)
        if (object != nullptr)
            object->RemoveEventRoutes(VELOTRIX_EVENT_LBUTTON_DOWN);
}

void CGuiProgressBar::Activate()
{
    CGuiObject::Activate();
    StartThumbAnimation();
}

void CGuiProgressBar::Deactivate()
{
    CGuiObject::Deactivate();
    if (m_thumb != nullptr)
        CancelObjectActions(m_thumb->GetId());
}

bool CGuiProgressBar::PositionAt(double x, double& offset, double& width) const
{
    if (m_fill_canvas == nullptr || m_fill_image.record == nullptr || m_fill_canvas->GetWidth() <= 0)
        return false;
    const double left = m_fill_canvas->GetLeft();
    width = m_fill_canvas->GetWidth();
    offset = std::clamp(x, left, m_fill_canvas->GetRight()) - left;
    return true;
}

void CGuiProgressBar::NotifyOwner(uint32_t event_id, uintptr_t param1)
{
    EngineEvent event;
    MakeEngineEvent(&event, m_owner_id, event_id, param1, 0);
    (void)SendEvent(event);
}

int CGuiProgressBar::OnEvent(const EngineEvent& event)
{
    const auto* input = reinterpret_cast<const InputState*>(event.param2);
    switch (event.id) {
    case EVENT_TICK: {
        if (event.param1 != m_serial)
            return 1; // A tick of an older run.
        if (std::fabs(m_position - m_target) >= m_step) {
            m_position += m_position < m_target ? m_step : -m_step;
            Redraw();
            ++m_serial;
            QueueTick();
            return 1;
        }
        m_position = m_target;
        Redraw();
        const EngineEvent done = m_done_event;
        m_done_event = EngineEvent {};
        (void)SendEvent(done);
        return 1;
    }
    case EVENT_PRESS: {
        double offset = 0;
        double width = 0;
        if (input == nullptr || !PositionAt(input->x, offset, width))
            return 1;
        m_position = offset / width;
        Redraw();
        NotifyOwner(VELOTRIX_EVENT_POSITION_SET, reinterpret_cast<uintptr_t>(&m_position));
        return 1;
    }
    case EVENT_DRAG: {
        double offset = 0;
        double width = 0;
        if (input == nullptr || m_thumb == nullptr || !PositionAt(m_thumb->GetX() + input->dx, offset, width))
            return 1;
        m_dragging = true;
        m_position = offset / width;
        Redraw();
        const double values[3] = { offset, 0.0, width };
        NotifyOwner(VELOTRIX_EVENT_SCROLL_CHANGED, reinterpret_cast<uintptr_t>(values));
        return 1;
    }
    case EVENT_RELEASE:
        m_dragging = false;
        NotifyOwner(VELOTRIX_EVENT_POSITION_SET, reinterpret_cast<uintptr_t>(&m_position));
        return 1;
    default:
        return CGuiObject::OnEvent(event);
    }
}

} // namespace engine
