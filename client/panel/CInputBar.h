#pragma once
// CInputBar: the chat input under the chat box (child "InputBar" of the side
// panel): the line being written, a send button and the quick-chat button
// whose menu offers the phrases the game set. Sending hands the line to the
// side panel (CSubSystemPanel::SendChatLine).
//
// The line is held here as text; the rich edit box that lets the user type
// it is attached through SetInputText and Submit (typed text arrives there),
// so the bar works and is tested without it.
//
// Owner: the object module (registered by the side panel); the canvas,
// buttons and menu are registered objects it creates. Thread: UI thread.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/GuiContainer.h"

namespace engine {
class CCanvasObject;
class CGuiPopupMenu;
class CGuiTextButton;
}

namespace panel {

class CSubSystemPanel;

class CInputBar : public engine::CGuiContainer {
public:
    /// The longest chat line (the chat request holds 61 bytes and a zero).
    static constexpr size_t MAX_LINE_BYTES = 61;
    static constexpr size_t MAX_PHRASES = 32;
    static constexpr int32_t HEIGHT = 28;
    static constexpr uint32_t EVENT_SEND = 80000078;
    static constexpr uint32_t EVENT_PHRASE_MENU = 80000079;
    static constexpr uint32_t EVENT_PHRASE = 80000080; ///< param1: the phrase's index

    explicit CInputBar(CSubSystemPanel& panel);

    void OnCreate() override;
    void OnAreaChanged() override;
    int OnEvent(const engine::EngineEvent& event) override;

    void AddQuickChatPhrase(std::string_view phrase);
    void ClearQuickChatPhrases();
    [[nodiscard]] const std::vector<std::string>& GetQuickChatPhrases() const { return m_phrases; }
    /// The line being written (cut to MAX_LINE_BYTES between characters).
    void SetInputText(std::string_view text);
    [[nodiscard]] const std::string& GetInputText() const { return m_text; }
    /// Sends the line when it is not blank and clears it.
    void Submit();
    void ShowPhraseMenu();
    /// Sends phrase `index`; out-of-range indexes are ignored.
    void SendPhrase(size_t index);

private:
    void RedrawLine();

    CSubSystemPanel& m_panel;
    std::vector<std::string> m_phrases;
    std::string m_text;
    engine::CCanvasObject* m_line { nullptr };
    engine::CGuiTextButton* m_send { nullptr };
    engine::CGuiTextButton* m_phrase_button { nullptr };
    engine::CGuiPopupMenu* m_menu { nullptr };
    bool m_menu_stale { true };
};

} // namespace panel
