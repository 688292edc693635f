#include "client/panel/CInputBar.h"

#include <algorithm>

#include "client/panel/CSubSystemPanel.h"
#include "client/panel/PanelText.h"
#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiPopupMenu.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/RichEditBox.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Text.h"

namespace panel {

namespace {

constexpr int32_t BUTTON_WIDTH = 48;
constexpr int32_t FONT_SIZE = 12;
constexpr uint32_t GROUND_COLOUR = 0xE0E0E0; ///< the bar's ground, also its buttons' key colour
constexpr int32_t MENU_ITEM_WIDTH = 160;
constexpr int32_t MENU_ITEM_HEIGHT = 20;

bool IsBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

} // namespace

CInputBar::CInputBar(CSubSystemPanel& panel)
    : m_panel(panel)
{
}

void CInputBar::OnCreate()
{
    SetName("InputBar");
    // Made first, so the field and the buttons stand over it.
    m_ground = NewCanvasObject(1, 1, GROUND_COLOUR);
    if (m_ground != nullptr) {
        m_ground->Show(true);
        m_ground->Activate();
    }
    m_edit = dynamic_cast<engine::CRichEditBox*>(RegisterObject(std::make_unique<engine::CRichEditBox>()));
    if (m_edit != nullptr) {
        if (m_edit->CreateEdit(1, EDIT_HEIGHT,
                               engine::CRichTextView::FLAG_HORIZONTAL | engine::CRichEditBox::FLAG_HISTORY)
            == 0) {
            DestroyObject(m_edit, true);
            m_edit = nullptr;
        } else {
            m_edit->SetMaxLength(static_cast<int32_t>(MAX_LINE_BYTES));
            m_edit->SetSubmitEvent(GetId(), EVENT_SUBMIT, false);
            m_edit->SetBackColor(CSubSystemPanel::CHAT_BACK_COLOUR);
            m_edit->Show(true);
            m_edit->Activate();
        }
    }
    const auto make_button = [this](const char* caption, uint32_t id) {
        auto* button
            = dynamic_cast<engine::CGuiTextButton*>(RegisterObject(std::make_unique<engine::CGuiTextButton>()));
        if (button == nullptr)
            return button;
        const engine::EngineEvent click { GetId(), id, 0, 0 };
        button->Create(caption, BUTTON_WIDTH, HEIGHT - 4, FONT_SIZE, GROUND_COLOUR, 0x000000, &click);
        button->Show(true);
        button->Activate();
        return button;
    };
    m_phrase_button = make_button("常用语", EVENT_PHRASE_MENU);
    m_send = make_button("发送", EVENT_SEND);
}

void CInputBar::OnAreaChanged()
{
    const engine::EngineRect area = GetArea();
    const int32_t width = std::max(1, area.right - area.left - 2 * BUTTON_WIDTH);
    const double y = area.top + HEIGHT / 2.0;
    if (m_ground != nullptr && !area.IsEmpty()) {
        m_ground->Resize(area.Width(), area.Height());
        m_ground->SetSize(m_ground->GetCanvasWidth(), m_ground->GetCanvasHeight());
        m_ground->Clear();
        m_ground->MoveTo((area.left + area.right) / 2.0, (area.top + area.bottom) / 2.0);
        m_ground->Invalidate();
    }
    if (m_edit != nullptr) {
        const int32_t edit_top = static_cast<int32_t>(y) - EDIT_HEIGHT / 2;
        PlaceTextView(*m_edit, engine::EngineRect { area.left, edit_top, area.left + width, edit_top + EDIT_HEIGHT });
    }
    // Each button is redrawn where it now stands: one placed outside the
    // view before is painted only once it is redrawn inside it.
    const double right_x[] = { area.left + width + BUTTON_WIDTH / 2.0, area.left + width + BUTTON_WIDTH * 1.5 };
    engine::CGuiTextButton* buttons[] = { m_phrase_button, m_send };
    for (size_t i = 0; i < std::size(buttons); ++i) {
        if (buttons[i] != nullptr) {
            buttons[i]->MoveTo(right_x[i], y);
            buttons[i]->Invalidate();
        }
    }
}

void CInputBar::AddQuickChatPhrase(std::string_view phrase)
{
    if (m_phrases.size() >= MAX_PHRASES)
        return;
    m_phrases.push_back(platform::CutGbkText(phrase, MAX_LINE_BYTES));
    m_menu_stale = true;
}

void CInputBar::ClearQuickChatPhrases()
{
    m_phrases.clear();
    m_menu_stale = true;
}

void CInputBar::SetInputText(std::string_view text)
{
    if (m_edit == nullptr)
        return;
    m_edit->Clear();
    m_edit->AppendMarkup(EscapeMarkup(platform::CutGbkText(text, MAX_LINE_BYTES)));
}

std::string CInputBar::GetInputText() const
{
    return m_edit != nullptr ? m_edit->GetPlainText() : std::string {};
}

void CInputBar::Submit()
{
    const std::string text = GetInputText();
    if (!IsBlank(text))
        m_panel.SendChatLine(text);
    if (m_edit != nullptr)
        m_edit->Clear();
}

void CInputBar::SendPhrase(size_t index)
{
    if (index >= m_phrases.size())
        return;
    m_panel.SendChatLine(m_phrases[index]);
}

void CInputBar::ShowPhraseMenu()
{
    if (m_menu != nullptr && m_menu_stale) {
        DestroyObject(m_menu, true);
        m_menu = nullptr;
    }
    if (m_menu == nullptr) {
        m_menu = dynamic_cast<engine::CGuiPopupMenu*>(RegisterObject(std::make_unique<engine::CGuiPopupMenu>()));
        if (m_menu == nullptr)
            return;
        m_menu->Create(MENU_ITEM_WIDTH, MENU_ITEM_HEIGHT, FONT_SIZE, engine::CGuiPopupMenu::ROW_KEY_COLOUR);
        for (size_t index = 0; index < m_phrases.size(); ++index) {
            const engine::EngineEvent chosen { GetId(), EVENT_PHRASE, index, 0 };
            (void)m_menu->AddItem(m_phrases[index], &chosen, 0x000000);
        }
        m_menu->RaiseToTopLayer();
        m_menu_stale = false;
    }
    const engine::EngineRect area = GetArea();
    m_menu->MoveTo(area.right - m_menu->GetWidth() / 2.0, area.top - m_menu->GetHeight() / 2.0);
    m_menu->Show(true);
    m_menu->Activate();
    (void)SetFocusObject(m_menu->GetId());
    m_menu->Invalidate();
}

int CInputBar::OnEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case EVENT_SEND:
    case EVENT_SUBMIT:
        Submit();
        return 1;
    case EVENT_PHRASE_MENU:
        ShowPhraseMenu();
        return 1;
    case EVENT_PHRASE:
        SendPhrase(event.param1);
        if (m_menu != nullptr) {
            m_menu->Deactivate();
            m_menu->Invalidate();
        }
        return 1;
    default:
        return CGuiContainer::OnEvent(event);
    }
}

} // namespace panel
