#pragma once
// CInputBar: the chat input under the chat box (child "InputBar" of the side
// panel): a one-line rich edit box (Enter sends, Up and Down recall earlier
// lines), a send button and the quick-chat button whose menu offers the
// phrases the game set. Sending hands the line to the side panel
// (CSubSystemPanel::SendChatLine).
//
// Owner: the object module (registered by the side panel); the ground,
// edit box, buttons and menu are registered objects it creates. Thread: UI thread.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/GuiContainer.h"

namespace engine {
class CCanvasObject;
class CGuiPopupMenu;
class CGuiTextButton;
class CRichEditBox;
}

namespace panel {

class CSubSystemPanel;

class CInputBar : public engine::CGuiContainer {
public:
    /// The longest chat line (the chat request holds 61 bytes and a zero).
    static constexpr size_t MAX_LINE_BYTES = 61;
    static constexpr size_t MAX_PHRASES = 32;
    static constexpr int32_t HEIGHT = 28;
    static constexpr int32_t EDIT_HEIGHT = 16; ///< the box's line (its font is 2 smaller)
    static constexpr uint32_t EVENT_SEND = 80000078;
    static constexpr uint32_t EVENT_PHRASE_MENU = 80000079;
    static constexpr uint32_t EVENT_PHRASE = 80000080; ///< param1: the phrase's index
    static constexpr uint32_t EVENT_SUBMIT = 80000081; ///< the edit box's Enter

    explicit CInputBar(CSubSystemPanel& panel);

    void OnCreate() override;
    void OnAreaChanged() override;
    int OnEvent(const engine::EngineEvent& event) override;

    void AddQuickChatPhrase(std::string_view phrase);
    void ClearQuickChatPhrases();
    [[nodiscard]] const std::vector<std::string>& GetQuickChatPhrases() const { return m_phrases; }
    /// Replaces the line being written (as plain text; the box keeps at most
    /// MAX_LINE_BYTES).
    void SetInputText(std::string_view text);
    [[nodiscard]] std::string GetInputText() const;
    [[nodiscard]] engine::CRichEditBox* GetEditBox() const { return m_edit; }
    /// Sends the line when it is not blank and clears it.
    void Submit();
    void ShowPhraseMenu();
    /// Sends phrase `index`; out-of-range indexes are ignored.
    void SendPhrase(size_t index);

private:
    CSubSystemPanel& m_panel;
    std::vector<std::string> m_phrases;
    engine::CCanvasObject* m_ground { nullptr }; ///< under the field and buttons, over the table
    engine::CRichEditBox* m_edit { nullptr };
    engine::CGuiTextButton* m_send { nullptr };
    engine::CGuiTextButton* m_phrase_button { nullptr };
    engine::CGuiPopupMenu* m_menu { nullptr };
    bool m_menu_stale { true };
};

} // namespace panel
