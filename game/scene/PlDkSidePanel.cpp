#include "game/scene/PlDkSidePanel.h"

#include "client/CGameApp.h"
#include "client/ClientText.h"
#include "client/TextFunctions.h"
#include "client/panel/CGameFrameUI.h"
#include "client/panel/CInputBar.h"
#include "client/panel/CWebPane.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "platform/Tick.h"

namespace scene {

namespace {

constexpr const char* PICTURE_IMAGE = "advertback";

} // namespace

void CPlDkSubSystemPanel::CreateAdvertBar() { SetAdvertBar(std::make_unique<CPlDkAdvertBar>(GetApp())); }

void CPlDkSubSystemPanel::SetQuickChatPhrases()
{
    auto* bar = dynamic_cast<panel::CInputBar*>(FindObjectByName("InputBar"));
    if (bar == nullptr)
        return;
    bar->ClearQuickChatPhrases();
    for (const char* phrase : PLDK_QUICK_CHAT_PHRASES)
        bar->AddQuickChatPhrase(phrase);
}

int32_t CPlDkAdvertBar::GetPageHeight() const
{
    return GetRowCount() * GetMetric(panel::CGameFrameUI::SETTING_ROW_HEIGHT, 20) +
           GetMetric(panel::CGameFrameUI::SETTING_PAGE_EXTRA, 40) +
           GetMetric(panel::CGameFrameUI::SETTING_HEADER_HEIGHT, 22);
}

void CPlDkAdvertBar::OnInitData()
{
    client::DebugTrace("OnInitData tick = %d", static_cast<int>(platform::GetTickCount()));
    if (m_picture == nullptr) {
        engine::ImageRef image;
        GetImage(image, PICTURE_IMAGE, 0);
        m_picture = NewImageObject(image);
    }
    if (m_picture != nullptr) {
        m_picture->SetZ(GetZ() + PICTURE_DEPTH_STEP);
        m_picture_width = static_cast<int32_t>(m_picture->GetWidth());
        m_picture_height = static_cast<int32_t>(m_picture->GetHeight());
        const engine::EngineRect area = GetArea();
        const int32_t tab_height = GetMetric(panel::CGameFrameUI::SETTING_TAB_HEIGHT, 24);
        m_picture->MoveTo(area.left + m_picture_width / 2 - 1, area.top + tab_height + m_picture_height / 2 - 1);
        m_picture->SetSize(area.right - area.left + 2, GetPageHeight() + 2);
        m_picture->RaiseToTopLayer();
        m_picture->Deactivate();
        m_picture->Invalidate();
    }
    if (GetApp().IsStandAlone())
        Navigate(client::WebAddress(client::FieldText(GetApp().Records().Room().advert_host), STAND_ALONE_ADVERT_PATH));
    else
        Navigate(GetApp().GetAdvertURL());
}

void CPlDkAdvertBar::Layout()
{
    // The base places the tabs, the page, the score table and its scroll bar
    // from the same metrics and draws the history; this bar moves the tabs
    // down a pixel when the page's rows span an even height, and fits the
    // picture over the page.
    CAdvertBar::Layout();
    const engine::EngineRect area = GetArea();
    const int32_t rows_height = GetRowCount() * GetMetric(panel::CGameFrameUI::SETTING_ROW_HEIGHT, 20) +
                                GetMetric(panel::CGameFrameUI::SETTING_HEADER_HEIGHT, 22);
    if (rows_height % 2 == 0) {
        for (engine::CGuiButton* tab : { m_advert_tab, m_score_tab }) {
            if (tab == nullptr)
                continue;
            tab->MoveBy(0, 1);
            tab->Invalidate();
        }
    }
    if (m_picture != nullptr) {
        const int32_t width = area.right - area.left;
        const int32_t page_height = GetPageHeight();
        const int32_t tab_height = GetMetric(panel::CGameFrameUI::SETTING_TAB_HEIGHT, 24);
        m_picture->MoveTo(area.left + width * 0.5, area.top + tab_height + page_height / 2);
        m_picture->SetSize(width + 2, page_height + 2);
        m_picture->Invalidate();
    }
}

void CPlDkAdvertBar::SetPictureActive(bool active)
{
    if (m_picture == nullptr)
        return;
    if (active)
        m_picture->Activate();
    else
        m_picture->Deactivate();
    m_picture->Invalidate();
}

void CPlDkAdvertBar::ShowAdvertTab()
{
    // Random-seating rooms keep the score tab.
    if (GetApp().Records().IsRandomRoom())
        return;
    CAdvertBar::ShowAdvertTab();
}

void CPlDkAdvertBar::OnPageHidden()
{
    SetPictureActive(false);
    CAdvertBar::OnPageHidden();
}

void CPlDkAdvertBar::OnPageLoaded()
{
    if (m_advert_tab == nullptr || !m_advert_tab->IsActive() || GetCurrentTab() != TAB_ADVERT)
        return;
    SetPictureActive(true);
    CAdvertBar::OnPageLoaded();
}

} // namespace scene
