#pragma once
// CGuiButton: the engine's image button. Its looks are an image child whose
// frame is the state (0 normal, 1 hover, 2 pressed or checked, 3 hidden),
// with an optional caption drawn on a canvas laid over it; it plays up to
// three state sounds, may show the hand cursor while hovered, and raises a
// caller-supplied event record when clicked.
//
// Every widget of this library follows one pattern: input arrives only
// through event routes added on the object that receives it (here the image
// child) and forwarded to the widget's OnEvent; output is a copy of a
// caller's EngineEvent, delivered at once with SendEvent (a record whose
// target or id is 0 is not delivered); looks are follower children linked
// with WIDGET_LINK_FLAGS, so they follow the widget and go with it.
//
// Owner: the object module, like every registered object; the image child
// and the caption canvas are owned followers. Thread: UI thread.
// Hazards: Create must run once, on a registered button, before any other
// operation; without it the state operations do nothing.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/GuiObject.h"
#include "engine/core/ImageObject.h"

namespace engine {

class CCanvasObject;

class CGuiButton : public CGuiObject {
public:
    static constexpr int TYPE_BUTTON = 8;

    // Button flags.
    static constexpr uint32_t FLAG_CHECKED = 0x1;       ///< Latched down.
    static constexpr uint32_t FLAG_FIRE_ON_PRESS = 0x2; ///< The click event goes out on the press.
    static constexpr uint32_t FLAG_ENTER_KEY = 0x4;     ///< The Enter key clicks the button.

    // Frames of the image child.
    static constexpr int16_t FRAME_NORMAL = 0;
    static constexpr int16_t FRAME_HOVER = 1;
    static constexpr int16_t FRAME_PRESSED = 2;
    static constexpr int16_t FRAME_HIDDEN = 3;

    // Sound slots.
    static constexpr int SOUND_LEAVE = 0;
    static constexpr int SOUND_ENTER = 1;
    static constexpr int SOUND_PRESS = 2;
    static constexpr int SOUND_COUNT = 4; ///< Slot 3 is kept but never played.

    static constexpr uint32_t KEY_ENTER = 13;

    [[nodiscard]] int GetType() const override { return TYPE_BUTTON; }
    int OnEvent(const EngineEvent& event) override;

    /// Makes the image child from image, routes its pointer events here and
    /// stores flags and (when not null) the click event. imageFlags are
    /// object flags added to the image child (4: hit by its pixels).
    virtual void Create(const ImageRef& image, const EngineEvent* click_event, uint32_t flags,
                        uint32_t image_flags);
    virtual void SetClickEvent(const EngineEvent& record) { m_click_event = record; }
    /// With FitSize::Yes the image child takes the image's size.
    virtual void SetImage(const ImageRef& image, CImageObject::FitSize fit);
    /// Replaces the image; the image child takes its size.
    void SetImage(const ImageRef& image) { SetImage(image, CImageObject::FitSize::Yes); }
    /// The caption canvas, made on first use over the image child.
    virtual CCanvasObject* GetCaptionCanvas();
    /// Slot 0 leave, 1 enter, 2 press, 3 kept; others are ignored.
    virtual void SetSound(int index, std::string_view name);

    // State handlers.
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseDown();
    virtual void OnClick();

    virtual void ShowPressed() { SetFrame(FRAME_PRESSED); }
    virtual void ShowNormal() { SetFrame(FRAME_NORMAL); }
    /// The image child's hit test (non-zero when the point is on the button).
    [[nodiscard]] int HitTest(int32_t x, int32_t y) const override;
    virtual void SetFrame(int16_t frame);
    [[nodiscard]] virtual uint32_t GetFrame() const;
    /// Delivers the click event at once, whatever the state and flags.
    virtual void FireClick();
    /// Draws text centred on the caption canvas (over any earlier caption),
    /// as written (a caption is no markup).
    virtual void SetCaption(std::string_view text, uint32_t colour, int32_t size);
    virtual void SetFireOnPress() { m_flags |= FLAG_FIRE_ON_PRESS; }
    virtual void ClearFireOnPress() { m_flags &= ~FLAG_FIRE_ON_PRESS; }
    virtual void SetChecked(bool checked);
    [[nodiscard]] virtual bool IsChecked() const { return (m_flags & FLAG_CHECKED) != 0; }
    [[nodiscard]] virtual bool GetHandCursor() const { return m_hand_cursor; }
    virtual void SetHandCursor(bool on) { m_hand_cursor = on; }
    virtual void ShowHandCursor();
    virtual void RestoreCursor();

    [[nodiscard]] CImageObject* GetImageChild() const { return m_image; }
    [[nodiscard]] const EngineEvent& GetClickEvent() const { return m_click_event; }
    [[nodiscard]] uint32_t GetButtonFlags() const { return m_flags; }

private:
    /// Sets the frame without a redraw (the callers redraw once).
    void ShowFrame(int16_t frame);
    void Redraw();
    /// Sends a part's pointer events (enter, leave, press, click) on to the button.
    void RoutePointerEvents(CEngineObject& part);

    ObjectLink<CCanvasObject> m_caption;
    ObjectLink<CImageObject> m_image;
    EngineEvent m_click_event {};
    std::array<std::string, SOUND_COUNT> m_sounds;
    uint32_t m_flags { 0 };
    bool m_hand_cursor { false };
};

} // namespace engine
