#include "engine/widgets/GuiScrollBar.h"

#include <algorithm>
#include <cmath>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr double PART_Z_STEP = 0.1;
constexpr double ICON_Z_STEP = 0.5;

} // namespace

void CGuiScrollBar::Create(uint32_t owner_id, int32_t width, int32_t height, Orientation orientation,
                           int32_t user_value)
{
    m_owner_id = owner_id;
    m_vertical = orientation == Orientation::Vertical;
    m_user_value = user_value;
    const uint32_t id = GetId();

    m_thumb = NewCanvasObject(width, height, WIDGET_COLOUR_KEY);
    if (m_thumb != nullptr) {
        m_thumb->SetBackgroundColour(THUMB_COLOUR);
        const std::pair<uint32_t, uint32_t> routes[] = {
            { VELOTRIX_EVENT_MOUSE_ENTER, EVENT_THUMB_HOVER },    { VELOTRIX_EVENT_MOUSE_LEAVE, EVENT_THUMB_NORMAL },
            { VELOTRIX_EVENT_LBUTTON_DOWN, EVENT_THUMB_PRESSED }, { VELOTRIX_EVENT_LBUTTON_CLICK, EVENT_THUMB_RELEASED },
            { VELOTRIX_EVENT_MOUSE_MOVE, EVENT_THUMB_DRAG },
        };
        for (const auto& [input_id, private_id] : routes)
            m_thumb->AddEventRoute(input_id, id, private_id, 0, 0);
    }
    m_track = NewCanvasObject(width, height, WIDGET_COLOUR_KEY);
    if (m_track != nullptr) {
        m_track->SetBackgroundColour(TRACK_COLOUR);
        m_track->AddEventRoute(VELOTRIX_EVENT_LBUTTON_DOWN, id, EVENT_TRACK_PRESS, 0, 0);
        SetVisual(m_track, WIDGET_LINK_FLAGS);
        if (m_thumb != nullptr) {
            m_thumb->SetZ(m_track->GetZ() + PART_Z_STEP);
            m_track->AddFollower(m_thumb, WIDGET_PART_LINK_FLAGS);
        }
    }
    Redraw();
}

double CGuiScrollBar::LengthOf(const CEngineObject& object) const
{
    return m_vertical ? object.GetHeight() : object.GetWidth();
}

double CGuiScrollBar::StartOf(const CEngineObject& object) const
{
    return m_vertical ? object.GetTop() : object.GetLeft();
}

double CGuiScrollBar::EndOf(const CEngineObject& object) const
{
    return m_vertical ? object.GetBottom() : object.GetRight();
}

CGuiButton* CGuiScrollBar::FindButton(uint32_t id) const
{
    return id != 0 ? dynamic_cast<CGuiButton*>(FindObject(id)) : nullptr;
}

int32_t CGuiScrollBar::ButtonLengths() const
{
    int32_t length = 0;
    for (const CGuiButton* button : { GetFirstButton(), GetSecondButton() })
        if (button != nullptr)
            length += static_cast<int32_t>(LengthOf(*button));
    return length;
}

void CGuiScrollBar::SetThumbIcon(const ImageRef& image)
{
    if (m_thumb_icon != nullptr) {
        m_thumb_icon->SetImage(image, CImageObject::FitSize::Yes);
        return;
    }
    if (m_thumb == nullptr)
        return;
    m_thumb_icon = NewImageObject(image);
    if (m_thumb_icon == nullptr)
        return;
    m_thumb_icon->MoveTo(m_thumb->GetX(), m_thumb->GetY());
    m_thumb_icon->SetZ(m_thumb->GetZ() + ICON_Z_STEP);
    if (m_thumb->IsActive())
        m_thumb_icon->Activate();
    m_thumb->AddFollower(m_thumb_icon, ICON_LINK_FLAGS);
}

void CGuiScrollBar::MakeButton(End end, const ImageRef& image, uint32_t event_id)
{
    if (m_track == nullptr)
        return;
    uint32_t& slot = end == End::First ? m_first_id : m_second_id;
    // A second call replaces the button of that end.
    if (CGuiButton* old = FindButton(slot))
        DestroyObject(old, false);
    slot = 0;
    auto* button = dynamic_cast<CGuiButton*>(RegisterObject(std::make_unique<CGuiButton>()));
    if (button == nullptr)
        return;
    EngineEvent click;
    MakeEngineEvent(&click, m_owner_id, event_id, 0, 0);
    button->Create(image, &click, 0, VELOTRIX_OBJ_HIT_PICTURE);
    PlaceAtDepth(*button, m_track->GetZ() + PART_Z_STEP);
    m_track->AddFollower(button, WIDGET_PART_LINK_FLAGS);
    if (m_track->IsActive())
        button->Activate();
    button->Show(m_track->IsVisible());
    slot = button->GetId();
    SetPosition(m_position, m_page, m_total, -1.0);
}

void CGuiScrollBar::CreateUpButton(const ImageRef& image)
{
    if (m_vertical)
        MakeButton(End::First, image, VELOTRIX_EVENT_SCROLL_UP);
}

void CGuiScrollBar::CreateDownButton(const ImageRef& image)
{
    if (m_vertical)
        MakeButton(End::Second, image, VELOTRIX_EVENT_SCROLL_DOWN);
}

void CGuiScrollBar::CreateLeftButton(const ImageRef& image)
{
    if (!m_vertical)
        MakeButton(End::First, image, VELOTRIX_EVENT_SCROLL_LEFT);
}

void CGuiScrollBar::CreateRightButton(const ImageRef& image)
{
    if (!m_vertical)
        MakeButton(End::Second, image, VELOTRIX_EVENT_SCROLL_RIGHT);
}

void CGuiScrollBar::SetTrackImage(const ImageRef& image)
{
    if (m_track != nullptr)
        m_track->SetBackgroundColour(WIDGET_COLOUR_KEY);
    m_track_image = image;
    Redraw();
}

void CGuiScrollBar::UseSkinParts()
{
    const int32_t first = m_vertical ? SETTING_VERTICAL_PARTS : SETTING_HORIZONTAL_PARTS;
    ImageRef parts[5];
    for (int32_t i = 0; i < 5; ++i)
        GetImage(parts[i], GetStringSetting(first + i), 0);
    if (parts[0].IsValid())
        SetTrackImage(parts[0]);
    if (parts[1].IsValid())
        SetThumbImage(parts[1]);
    if (parts[2].IsValid())
        SetThumbIcon(parts[2]);
    MakeButton(End::First, parts[3], m_vertical ? VELOTRIX_EVENT_SCROLL_UP : VELOTRIX_EVENT_SCROLL_LEFT);
    MakeButton(End::Second, parts[4], m_vertical ? VELOTRIX_EVENT_SCROLL_DOWN : VELOTRIX_EVENT_SCROLL_RIGHT);
}

void CGuiScrollBar::SetThumbImage(const ImageRef& image)
{
    if (m_thumb != nullptr) {
        const int32_t height = m_thumb->GetCanvasHeight();
        m_thumb->Resize(image.width, height);
        m_thumb->SetSize(image.width, height);
        m_thumb->SetBackgroundColour(WIDGET_COLOUR_KEY);
    }
    const uint32_t frame = m_thumb_image.frame;
    m_thumb_image = image;
    m_thumb_image.frame = frame;
    Redraw();
}

int32_t CGuiScrollBar::GetTotalLength() const
{
    return (m_track != nullptr ? static_cast<int32_t>(LengthOf(*m_track)) : 0) + ButtonLengths();
}

int32_t CGuiScrollBar::GetThumbLength() const
{
    return m_thumb != nullptr ? static_cast<int32_t>(LengthOf(*m_thumb)) : 0;
}

void CGuiScrollBar::SetStep(double step)
{
    if (step > 0)
        m_step = step;
}

double CGuiScrollBar::Limit(double position, double upper) const
{
    // Upper first, so that with nothing to scroll the position is 0.
    return std::max(0.0, std::min(position, upper));
}

void CGuiScrollBar::SetPosition(double position, double page, double total, double step)
{
    m_position = position;
    m_page = page;
    m_total = total;
    if (total == 0 || m_track == nullptr || m_thumb == nullptr)
        return;
    SetStep(step);

    const double track_length = LengthOf(*m_track);
    const double track_start = StartOf(*m_track);
    const double track_end = EndOf(*m_track);
    const bool scrollable = total > page;
    // Nothing to scroll: the thumb covers the track.
    double thumb = scrollable ? std::max(track_length * page / total, m_min_thumb) : track_length;
    const int32_t thumb_pixels = static_cast<int32_t>(thumb);
    if (m_vertical) {
        m_thumb->Resize(m_thumb->GetCanvasWidth(), thumb_pixels);
        m_thumb->SetSize(m_thumb->GetWidth(), thumb);
    } else {
        m_thumb->Resize(thumb_pixels, m_thumb->GetCanvasHeight());
        m_thumb->SetSize(thumb, m_thumb->GetHeight());
    }
    Redraw();

    double centre = scrollable ? (track_length - thumb) * position / (total - page) + track_start + thumb / 2
                               : track_start + thumb / 2;
    if (!std::isfinite(centre) || centre - thumb / 2 < track_start + 1)
        centre = track_start + 1 + thumb / 2;
    if (track_end < centre + thumb / 2)
        centre = track_end - thumb / 2;
    const double across = m_vertical ? m_track->GetX() : m_track->GetY();
    if (m_vertical)
        m_thumb->MoveTo(across, centre);
    else
        m_thumb->MoveTo(centre, across);
    m_thumb->Invalidate();

    if (CGuiButton* first = GetFirstButton()) {
        const double at = track_start - LengthOf(*first) / 2;
        m_vertical ? first->MoveTo(across, at) : first->MoveTo(at, across);
        first->Invalidate();
    }
    if (CGuiButton* second = GetSecondButton()) {
        const double at = track_end + LengthOf(*second) / 2;
        m_vertical ? second->MoveTo(across, at) : second->MoveTo(at, across);
        second->Invalidate();
    }
}

void CGuiScrollBar::SetSize(double width, double height)
{
    if (m_track == nullptr)
        return;
    const double length = (m_vertical ? height : width) - ButtonLengths();
    if (length <= 0)
        return;
    const double track_width = m_vertical ? width : length;
    const double track_height = m_vertical ? length : height;
    m_track->Resize(static_cast<int32_t>(track_width), static_cast<int32_t>(track_height));
    m_track->SetSize(track_width, track_height);
    Redraw();
    SetPosition(m_position, m_page, m_total, -1.0);
}

void CGuiScrollBar::NotifyOwner()
{
    // Valid while the owner handles the event.
    const double values[3] = { m_position, m_page, m_total };
    EngineEvent event;
    MakeEngineEvent(&event, m_owner_id, VELOTRIX_EVENT_SCROLL_CHANGED, reinterpret_cast<uintptr_t>(values), 0);
    (void)SendEvent(event);
}

void CGuiScrollBar::Redraw()
{
    const auto axis = m_vertical ? CCanvasObject::SliceAxis::Vertical : CCanvasObject::SliceAxis::Horizontal;
    const std::pair<CCanvasObject*, const ImageRef*> parts[] = { { m_track, &m_track_image },
                                                                 { m_thumb, &m_thumb_image } };
    for (const auto& [canvas, image] : parts) {
        if (canvas == nullptr)
            continue;
        canvas->Clear();
        if (image->id == IMAGE_ID_NONE)
            canvas->DrawBorder(0x000000, 1);
        else
            canvas->DrawSliced(*image, axis);
        canvas->Invalidate();
    }
}

void CGuiScrollBar::SetThumbFrame(uint32_t frame)
{
    m_thumb_image.frame = frame;
    Redraw();
}

int CGuiScrollBar::OnEvent(const EngineEvent& event)
{
    switch (event.id) {
    case EVENT_THUMB_HOVER:
    case EVENT_THUMB_RELEASED:
        SetThumbFrame(1);
        return 1;
    case EVENT_THUMB_NORMAL:
        SetThumbFrame(0);
        return 1;
    case EVENT_THUMB_PRESSED:
        SetThumbFrame(2);
        return 1;
    case EVENT_THUMB_DRAG: {
        if (event.param2 == 0 || m_track == nullptr || m_thumb == nullptr)
            return 1;
        const auto* input = reinterpret_cast<const InputState*>(event.param2);
        const double cursor = m_vertical ? input->y : input->x;
        const double movement = m_vertical ? input->dy : input->dx;
        const double track_start = StartOf(*m_track);
        if (cursor < track_start || cursor > EndOf(*m_track))
            return 1;
        const double room = LengthOf(*m_track) - LengthOf(*m_thumb);
        const double span = m_total - m_page;
        double position = 0.0;
        if (room > 0 && span > 0)
            position = Limit(span * (StartOf(*m_thumb) + movement - track_start) / room, span);
        SetPosition(position, m_page, m_total, -1.0);
        NotifyOwner();
        return 1;
    }
    case EVENT_TRACK_PRESS: {
        if (event.param2 == 0 || m_track == nullptr)
            return 1;
        const auto* input = reinterpret_cast<const InputState*>(event.param2);
        const double cursor = m_vertical ? input->y : input->x;
        const double length = LengthOf(*m_track);
        double position = 0.0;
        if (length > 0)
            position = std::trunc((cursor - StartOf(*m_track)) * m_total / length);
        position = Limit(position, std::trunc(m_total - m_page));
        SetPosition(position, m_page, m_total, -1.0);
        NotifyOwner();
        return 1;
    }
    default:
        return CGuiObject::OnEvent(event);
    }
}

} // namespace engine
