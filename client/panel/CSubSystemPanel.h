#pragma once
// CSubSystemPanel: the side panel right of the table: the advert bar on top
// (child "AdvertBar"), the chat box (a rich-text view holding system texts
// and chat lines) and the chat input bar under it (child "InputBar"). It
// takes the dispatcher's engine events for chat, chat records, adverts and
// notices, sends the player's own chat lines, and saves screenshots. A game
// derives from it for its own advert bar and quick-chat phrases.
//
// Owner: the object module (registered by the frame UI); its children are
// registered objects it creates. It installs itself as the application's
// side panel when created and takes itself out when destroyed, so the
// application must outlive it. Thread: UI thread.
// Hazards: chat lines and records come from other players through the
// server: their text is cut to its field and its markup escaped, so each
// shows as one bounded plain line. Events that carry a body point at a
// std::span of it, valid only while the event is delivered.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "client/AppLinks.h"
#include "engine/core/GuiContainer.h"

namespace client {
class CGameApp;
}

namespace engine {
class CRichTextView;
}

namespace panel {

class CAdvertBar;
class CInputBar;

class CSubSystemPanel : public engine::CGuiContainer, public client::ISidePanel {
public:
    static constexpr int32_t CHAT_MAX_LINES = 300;
    static constexpr int32_t CHAT_FONT_SIZE = 12;
    static constexpr size_t CHAT_TEXT_OFFSET = 48;  ///< the line in a chat body
    static constexpr size_t CHAT_TEXT_BYTES = 62;   ///< its field, zero included
    static constexpr size_t NOTICE_TEXT_OFFSET = 8; ///< the text of a notice body
    static constexpr int SCREENSHOT_QUALITY = 75;
    static constexpr uint32_t OWN_LINE_COLOUR = 255;
    static constexpr uint32_t NAME_COLOUR = 0x3278DC;
    /// The ground of the chat box and the input field: near white, as plain
    /// white is their views' colour key.
    static constexpr uint32_t CHAT_BACK_COLOUR = 0xFEFEFE;

    explicit CSubSystemPanel(client::CGameApp& app);
    ~CSubSystemPanel() override;

    void OnCreate() override;
    void OnAreaChanged() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // client::ISidePanel
    void SendPanelEvent(uint32_t event_id, uintptr_t param1) override;
    void SendChildEvent(const char* child_name, uint32_t event_id) override;
    void ShowMatchListBar() override;

    /// Creates the advert bar (this one: a plain CAdvertBar) as child "AdvertBar".
    virtual void CreateAdvertBar();
    /// Gives the input bar its quick-chat phrases (here the ten defaults).
    virtual void SetQuickChatPhrases();

    /// A markup text into the chat box as it is (the program's own texts).
    void AddSystemText(std::string_view markup) override;
    void ClearChat() override;
    /// Another player's chat line: user id in word 0, the line at byte 48.
    virtual void AddPlayerChatLine(std::span<const uint8_t> body);
    /// A chat record: as a chat line, shown as an earlier line of the table.
    virtual void AddChatRecord(std::span<const uint8_t> body);
    /// The amulet notice's text (byte 8 on) as a system notice.
    virtual void ShowAmuletNotice(std::span<const uint8_t> body);
    /// Sends the player's own line to the table and shows it.
    virtual void SendChatLine(std::string_view line);
    /// Writes the view as a JPEG in the temporary folder; answers its path
    /// (empty when nothing was written).
    virtual std::string SaveScreenshot();

    [[nodiscard]] CAdvertBar* GetAdvertBar() const { return m_advert_bar; }
    [[nodiscard]] CInputBar* GetInputBar() const { return m_input_bar; }
    [[nodiscard]] engine::CRichTextView* GetChatBox() const { return m_chat_box; }
    [[nodiscard]] client::CGameApp& GetApp() const { return m_app; }

protected:
    /// Registers bar as the advert bar child.
    void SetAdvertBar(std::unique_ptr<CAdvertBar> bar);
    /// The advert bar's height: tabs, page and scroll bar.
    [[nodiscard]] int32_t GetAdvertBarHeight() const;

private:
    /// A chat line (id 201210) or a recorded one (211200) of another player.
    void AddForeignLine(uint32_t id, std::span<const uint8_t> body, const char* prefix);

    client::CGameApp& m_app;
    CAdvertBar* m_advert_bar { nullptr };
    CInputBar* m_input_bar { nullptr };
    engine::CRichTextView* m_chat_box { nullptr };
};

} // namespace panel
