#pragma once
// CGuiMessageBox: the engine's plain modeless message box: a canvas (the
// visual) on which its user draws the message, an optional "确定" and an
// optional "取消" text button, an optional countdown of up to 99 seconds
// beside the OK button, dragging with the left button, and a fade-out that
// ends in its own destruction. Each answer posts a caller-supplied record.
//
// The box answers once: after the first answer (OK, Cancel or the end of
// the countdown) it is closing, its pending countdown tick is cancelled and
// later presses and ticks are ignored; it is destroyed once, at the end of
// the fade-out.
//
// Owner: the object module; the canvas, buttons and countdown canvas are
// owned followers. Thread: UI thread.

#include <cstdint>

#include "engine/core/GuiObject.h"

namespace engine {

class CCanvasObject;
class CGuiTextButton;

inline constexpr uint32_t VELOTRIX_EVENT_BOX_OK = 19840392;
inline constexpr uint32_t VELOTRIX_EVENT_BOX_CANCEL = 19840393;
inline constexpr uint32_t VELOTRIX_EVENT_BOX_TICK = 19840394;
inline constexpr uint32_t VELOTRIX_EVENT_BOX_KEY = 19840395;

class CGuiMessageBox : public CGuiObject {
public:
    static constexpr int32_t MAX_SECONDS = 99;
    static constexpr uint32_t TICK_MILLISECONDS = 1000;
    static constexpr int32_t BUTTON_KEY_SETTING = 11;
    static constexpr uint32_t DEFAULT_BUTTON_KEY = 0xFF0080;
    static constexpr int32_t BUTTON_WIDTH = 80;
    static constexpr int32_t BUTTON_HEIGHT = 30;
    static constexpr int32_t BUTTON_FONT_SIZE = 18;
    static constexpr int32_t COUNTDOWN_WIDTH = 40;
    static constexpr int32_t COUNTDOWN_HEIGHT = 20;
    static constexpr int32_t COUNTDOWN_FONT_SIZE = 20;
    static constexpr double FADE_STEP = -0.1;

    int OnEvent(const EngineEvent& event) override;

    /// A button for each record given (null: none) and a countdown when
    /// seconds > 0. Answers the canvas.
    virtual CCanvasObject* Create(int32_t width, int32_t height, const EngineEvent* ok_event,
                                  const EngineEvent* cancel_event, int32_t seconds);
    [[nodiscard]] virtual CCanvasObject* GetCanvas() const { return m_canvas; }
    [[nodiscard]] virtual CGuiTextButton* GetOkButton() const { return m_ok; }
    [[nodiscard]] virtual CGuiTextButton* GetCancelButton() const { return m_cancel; }
    [[nodiscard]] virtual CCanvasObject* GetCountdownCanvas() const { return m_countdown; }
    virtual void DrawCountdown();
    /// The countdown's digits are white (for a dark box); a box drawn light
    /// gives a colour that reads on it. Redraws the countdown.
    void SetCountdownColour(uint32_t colour);
    /// Fades out and then destroys the box; only the first call does anything.
    virtual void Close();
    /// The box hears the keys that reach it (as the engine's modal object, or
    /// as the focus): a press of Return answers OK; a held Return's
    /// repeats do not. Others are ignored.
    void TakeKeys();

    [[nodiscard]] int32_t GetSeconds() const { return m_seconds; }
    [[nodiscard]] bool IsClosing() const { return m_closing; }

private:
    CGuiTextButton* MakeButton(const char* caption, uint32_t click_id, uint32_t key_colour);
    void QueueTick();
    /// Posts record and closes, unless the box has answered already.
    void Answer(const EngineEvent& record);

    ObjectLink<CCanvasObject> m_canvas;
    ObjectLink<CGuiTextButton> m_ok;
    ObjectLink<CGuiTextButton> m_cancel;
    ObjectLink<CCanvasObject> m_countdown;
    int32_t m_seconds { 0 };
    uint32_t m_countdown_colour { 0xFFFFFF };
    EngineEvent m_ok_event {};
    EngineEvent m_cancel_event {};
    uint64_t m_tick { 0 }; ///< The pending countdown wait, 0 when none.
    bool m_closing { false };
};

} // namespace engine
