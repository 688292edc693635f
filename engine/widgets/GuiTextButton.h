#pragma once
// CGuiTextButton: a button without images: a canvas (its visual) on which
// the caption (as written: a caption is no markup) and a one-pixel border
// are drawn, the state shown by recolouring that drawing (0 normal, 1 hover,
// 2 pressed, 3 hidden). It
// raises its caller-supplied record on a click: a press and a release on it.
// CGuiPopupMenuItem: a row of a popup menu, a text button with its own
// drawing of the states.
//
// Owner: the object module; the canvas is an owned follower. Thread: UI thread.
// Hazards: Create must run once, on a registered object, before the other
// operations; without it they do nothing.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/GuiObject.h"

namespace engine {

class CCanvasObject;

class CGuiTextButton : public CGuiObject {
public:
    // Visual states.
    static constexpr int STATE_NORMAL = 0;
    static constexpr int STATE_HOVER = 1;
    static constexpr int STATE_PRESSED = 2;
    static constexpr int STATE_HIDDEN = 3;

    static constexpr double PRESSED_DARKENING = 0.5;
    static constexpr double HIDDEN_DARKENING = 0.2;

    int OnEvent(const EngineEvent& event) override;

    /// Makes the canvas (width x height, keyColour as its colour key and
    /// background), routes its pointer events here, copies clickEvent when
    /// not null and draws the normal state. Answers the canvas.
    virtual CCanvasObject* Create(std::string_view text, int32_t width, int32_t height, int32_t font_size,
                                  uint32_t key_colour, uint32_t border_colour, const EngineEvent* click_event);
    [[nodiscard]] virtual CCanvasObject* GetCanvas() const { return m_canvas; }

    // State handlers.
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseDown();
    virtual void OnClick();

    virtual void DrawState(int state);
    virtual void SetClickEvent(const EngineEvent& record) { m_click_event = record; }
    /// The canvas's hit test.
    [[nodiscard]] int HitTest(int32_t x, int32_t y) const override;
    /// Both redraw the normal state at once.
    virtual void SetTextColour(uint32_t colour);
    [[nodiscard]] virtual std::string GetCaption() const { return m_caption; }
    virtual void SetCaption(std::string_view text);
    [[nodiscard]] virtual bool GetHandCursor() const { return m_hand_cursor; }
    virtual void SetHandCursor(bool on) { m_hand_cursor = on; }
    virtual void ShowHandCursor();
    virtual void RestoreCursor();

    [[nodiscard]] const EngineEvent& GetClickEvent() const { return m_click_event; }
    [[nodiscard]] int32_t GetFontSize() const { return m_font_size; }
    [[nodiscard]] uint32_t GetBorderColour() const { return m_border_colour; }

protected:
    /// The caption fitted into the canvas at the font size.
    void DrawFittedCaption();
    /// Darkens every drawn pixel by f (0..1).
    void Darken(double f);

private:
    ObjectLink<CCanvasObject> m_canvas;
    EngineEvent m_click_event {};
    uint32_t m_key_colour { 0 };
    uint32_t m_border_colour { 0 };
    std::string m_caption;
    int32_t m_font_size { 0 };
    bool m_hand_cursor { false };
};

class CGuiPopupMenuItem : public CGuiTextButton {
public:
    static constexpr uint32_t HOVER_TINT = 0xFF0000; ///< Blue.
    static constexpr double HOVER_TINT_AMOUNT = 0.2;
    static constexpr uint32_t HOVER_BORDER = 0xBB5B6C;
    static constexpr double HIDDEN_ALPHA = 0.3;

    void DrawState(int state) override;
};

/// The byte amount a share f (0..1) of the canvas tint and darkening takes.
[[nodiscard]] inline uint32_t TintAmount(double f)
{
    return static_cast<uint32_t>(255 * f);
}

} // namespace engine
