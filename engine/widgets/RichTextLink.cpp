#include "engine/widgets/RichTextLink.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/RichTextElement.h"
#include "engine/widgets/RichTextView.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr double HOVER_FADE_STEP = 0.1;
constexpr uint32_t HOVER_FADE_INTERVAL = 30;

} // namespace

CRichTextLink::~CRichTextLink()
{
    if (m_hover_id != 0) {
        if (CEngineObject* hover = FindObject(m_hover_id); hover != nullptr)
            DestroyObject(hover, false);
    }
}

void CRichTextLink::SetLink(std::string_view target, std::string_view hover_image, uint32_t owner_id)
{
    m_target = target;
    m_owner_id = owner_id;
    if (hover_image.empty() || m_hover_id != 0)
        return;
    ImageRef image;
    GetImage(image, hover_image, 0);
    if (!image.IsValid())
        return;
    if (CImageObject* hover = NewImageObject(image); hover != nullptr) {
        hover->Deactivate();
        m_hover_id = hover->GetId();
    }
}

void CRichTextLink::OnClick()
{
    if (m_target.empty())
        return;
    EngineEvent open;
    PostEvent(*MakeEngineEvent(&open, m_owner_id, RICH_EVENT_OPEN_URL, GetId(), 0));
}

void CRichTextLink::ShowHover()
{
    CEngineObject* hover = m_hover_id != 0 ? FindObject(m_hover_id) : nullptr;
    auto* view = dynamic_cast<CRichTextView*>(FindObject(m_owner_id));
    if (hover == nullptr || view == nullptr || view->GetCanvas() == nullptr)
        return;
    hover->SetZ(GetZ() + 1.0);
    hover->SetAlpha(0.0);
    hover->Activate();
    hover->MoveTo(view->GetCanvas()->GetX(), view->GetCanvas()->GetY());
    CancelObjectActions(m_hover_id);
    AddFadeToAction(hover, HOVER_FADE_STEP, 1.0, HOVER_FADE_INTERVAL);
}

void CRichTextLink::HideHover()
{
    if (CEngineObject* hover = m_hover_id != 0 ? FindObject(m_hover_id) : nullptr; hover != nullptr) {
        hover->Deactivate();
        hover->Invalidate();
    }
}

void CRichTextLink::ShowHandCursor()
{
    ShowWidgetCursor(*this, WidgetCursor::Hand);
}

} // namespace engine
