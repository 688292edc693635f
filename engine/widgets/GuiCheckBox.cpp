#include "engine/widgets/GuiCheckBox.h"

#include "engine/core/ImageObject.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

int32_t CGuiCheckBox::Create(const ImageRef& image, int32_t checked)
{
    m_image = NewImageObject(image);
    if (m_image != nullptr) {
        m_image->RaiseToTopLayer();
        m_image->Show(true);
        m_image->Invalidate();
        SetVisual(m_image, WIDGET_LINK_FLAGS);
        m_image->AddEventRoute(VELOTRIX_EVENT_LBUTTON_DOWN, GetId(), VELOTRIX_EVENT_LBUTTON_DOWN, 0, 0);
    }
    m_checked = checked;
    if (m_image != nullptr) {
        m_image->SetFrame(checked != 0 ? 1 : 0);
        m_image->Invalidate();
    }
    return checked;
}

void CGuiCheckBox::ShowChecked(bool checked)
{
    if (m_image == nullptr)
        return;
    m_image->SetFrame(checked ? 1 : 0);
    m_image->Invalidate();
}

void CGuiCheckBox::SetChecked(int32_t checked)
{
    m_checked = checked;
    ShowChecked(checked != 0);
    PostEvent(checked != 0 ? m_check_event : m_uncheck_event);
}

void CGuiCheckBox::Toggle()
{
    if (m_checked == 1) {
        ShowChecked(false);
        m_checked = 0;
        PostEvent(m_uncheck_event);
    } else if (m_checked == 0) {
        ShowChecked(true);
        m_checked = 1;
        PostEvent(m_check_event);
    }
}

int CGuiCheckBox::OnEvent(const EngineEvent& event)
{
    if (event.id == VELOTRIX_EVENT_LBUTTON_DOWN) {
        Toggle();
        return 1;
    }
    return CGuiObject::OnEvent(event);
}

} // namespace engine
