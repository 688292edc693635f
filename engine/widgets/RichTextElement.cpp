#include "engine/widgets/RichTextElement.h"

#include "engine/core/ImageObject.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr const char* COPY_TEXT_UNKNOWN = "[未知物体]";
constexpr const char* COPY_TEXT_PICTURE = "[图片]";
constexpr const char* COPY_TEXT_ANIMATION = "[动画]";
constexpr const char* COPY_TEXT_BUTTON = "[按钮]";
constexpr uint32_t ANIMATION_INTERVAL = 100; ///< ms per frame of an animation without its own delays

} // namespace

CRichTextElement::CRichTextElement() : m_copy_text(COPY_TEXT_UNKNOWN) {}

CImageObject* CRichTextElement::MakePicture(const ImageRef& image, int32_t width, int32_t height)
{
    CImageObject* picture = NewImageObject(image);
    if (picture == nullptr)
        return nullptr;
    const double w = width > 0 ? width : image.width;
    const double h = height > 0 ? height : image.height;
    picture->SetSize(w, h);
    SetSize(w, h);
    m_picture_id = picture->GetId();
    SetVisual(picture, WIDGET_LINK_FLAGS);
    return picture;
}

void CRichTextElement::SetPicture(const ImageRef& image, int32_t width, int32_t height)
{
    (void)MakePicture(image, width, height);
    m_copy_text = COPY_TEXT_PICTURE;
}

void CRichTextElement::SetAnimation(std::string_view name, int32_t width, int32_t height)
{
    ImageRef image;
    GetImage(image, name, 0);
    if (CImageObject* picture = MakePicture(image, width, height); picture != nullptr && picture->GetFrameCount() > 1)
        AddPlayFramesAction(picture, FrameMode::Loop, -1, 0, ANIMATION_INTERVAL);
    m_copy_text = COPY_TEXT_ANIMATION;
}

void CRichTextElement::SetButton(std::string_view name, uint32_t owner_id, int32_t width, int32_t height)
{
    m_owner_id = owner_id;
    ImageRef image;
    GetImage(image, name, 0);
    (void)MakePicture(image, width, height);
    for (const uint32_t id : { VELOTRIX_EVENT_MOUSE_ENTER, VELOTRIX_EVENT_MOUSE_LEAVE, VELOTRIX_EVENT_LBUTTON_DOWN,
                               VELOTRIX_EVENT_LBUTTON_CLICK })
        AddSelfEventRoute(id);
    m_copy_text = COPY_TEXT_BUTTON;
}

void CRichTextElement::Enable()
{
    Activate();
    Invalidate();
}

void CRichTextElement::Disable()
{
    Deactivate();
    Invalidate();
}

void CRichTextElement::SetClipRect(const EngineRect& rect)
{
    SetHitRect(rect.left, rect.top, rect.right, rect.bottom);
    Invalidate();
}

uint32_t CRichTextElement::GetVisualId()
{
    CEngineObject* visual = GetVisual();
    return visual != nullptr ? visual->GetId() : 0;
}

int32_t CRichTextElement::GetIntWidth() const
{
    return static_cast<int32_t>(GetWidth());
}

int32_t CRichTextElement::GetIntHeight() const
{
    return static_cast<int32_t>(GetHeight());
}

void CRichTextElement::ShowFrame(int16_t frame)
{
    auto* picture = dynamic_cast<CImageObject*>(FindObject(m_picture_id));
    if (picture == nullptr)
        return;
    picture->SetFrame(frame);
    picture->Invalidate();
}

int CRichTextElement::OnEvent(const EngineEvent& event)
{
    switch (event.id) {
    case VELOTRIX_EVENT_MOUSE_ENTER:
        ShowWidgetCursor(*this, WidgetCursor::Hand);
        ShowFrame(1);
        return 1;
    case VELOTRIX_EVENT_MOUSE_LEAVE:
        ShowWidgetCursor(*this, WidgetCursor::Arrow);
        ShowFrame(0);
        return 1;
    case VELOTRIX_EVENT_LBUTTON_DOWN:
        ShowFrame(2);
        return 1;
    case VELOTRIX_EVENT_LBUTTON_CLICK: {
        ShowFrame(1);
        EngineEvent open;
        PostEvent(*MakeEngineEvent(&open, m_owner_id, RICH_EVENT_OPEN_URL, GetId(), 0));
        return 1;
    }
    case VELOTRIX_EVENT_SHOWN:
        ShowFrame(1);
        return 1;
    case VELOTRIX_EVENT_HIDDEN:
        ShowFrame(3);
        return 1;
    case RICH_EVENT_FIT:
        OnCommand(event.param1, event.param2);
        return 1;
    default:
        return CGuiObject::OnEvent(event);
    }
}

} // namespace engine
