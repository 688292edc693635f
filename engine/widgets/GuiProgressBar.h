#pragma once
// CGuiProgressBar: a position between 0 and 1 shown as a fill image
// stretched over that share of the bar's width, optionally with a thumb at
// the end of the fill that can be dragged, a press on the bar that sets the
// position, a centred caption, and an animated run toward a target.
//
// The visual is an image object made from the background; the fill canvas
// (the size of a fill frame) stands over its centre. Changes the user makes
// go to the owner: VELOTRIX_EVENT_SCROLL_CHANGED while the thumb is dragged
// (param1: three doubles, the thumb's offset from the fill's left edge, 0.0
// and the fill's width) and VELOTRIX_EVENT_POSITION_SET after a press or the
// thumb's release (param1: the position); both pointers are valid only while
// the event is delivered.
//
// Owner: the object module; the background, fill, caption and thumb are owned
// followers. Thread: UI thread.
// Hazards: without a fill image there is no width to share: presses and
// drags are ignored.

#include <cstdint>
#include <string_view>

#include "engine/core/GuiObject.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CCanvasObject;
class CImageObject;

inline constexpr uint32_t VELOTRIX_EVENT_POSITION_SET = 19840374;

class CGuiProgressBar : public CGuiObject {
public:
    // Private events between the bar's parts.
    static constexpr uint32_t EVENT_DRAG = 80000001;
    static constexpr uint32_t EVENT_TICK = 80000002;
    static constexpr uint32_t EVENT_RELEASE = 80000003;
    static constexpr uint32_t EVENT_PRESS = 80000004;

    static constexpr double DEFAULT_STEP = 0.01;
    static constexpr uint32_t DEFAULT_INTERVAL = 100;
    static constexpr int32_t DEFAULT_CAPTION_SIZE = 14;
    static constexpr int32_t CAPTION_SIZE_SETTING = 5;

    void Activate() override;
    void Deactivate() override;
    int OnEvent(const EngineEvent& event) override;

    virtual void Create(const ImageRef& background, const ImageRef& fill, double position);
    /// The background and the fill as two frames of one named image.
    void Create(std::string_view image_name, uint32_t fill_frame, uint32_t background_frame, double position);
    /// Later calls replace the thumb's image.
    virtual void SetThumb(const ImageRef& thumb, uint32_t owner_id);
    /// Ignored while the thumb is dragged; above 1 becomes 1. A run in
    /// progress goes on without its done event.
    virtual void SetPositionNow(double position);
    void SetPosition(double position) { SetPositionNow(position); }
    /// Moves by |step| (0: 0.01) every interval ms until it lands exactly on
    /// target, then delivers done_event once. A new run replaces the old one.
    virtual void AnimateTo(double target, double step, uint32_t interval, const EngineEvent* done_event);
    virtual void Redraw();
    virtual CCanvasObject* GetCaptionCanvas();
    /// size 0 keeps the caption canvas's font size; another size applies to this caption only.
    virtual void SetCaption(std::string_view text, uint32_t colour, int32_t size);
    /// Routes the thumb's drag and release and the presses on the bar; nothing without a thumb.
    void SetDraggable(bool on) override;
    void EnableDrag(bool on) { SetDraggable(on); }
    [[nodiscard]] virtual double GetPosition() const { return m_position; }
    virtual CCanvasObject* CreateCaptionCanvas();

    [[nodiscard]] CCanvasObject* GetFillCanvas() const { return m_fill_canvas; }
    [[nodiscard]] CImageObject* GetThumb() const { return m_thumb; }
    [[nodiscard]] bool IsDragging() const { return m_dragging; }

private:
    void StartThumbAnimation();
    void QueueTick();
    /// The position of a point x on the fill (limited to its edges); false
    /// without a fill to share.
    [[nodiscard]] bool PositionAt(double x, double& offset, double& width) const;
    void NotifyOwner(uint32_t event_id, uintptr_t param1);

    ImageRef m_fill_image {};
    ObjectLink<CCanvasObject> m_caption;
    ObjectLink<CCanvasObject> m_fill_canvas;
    ObjectLink<CImageObject> m_thumb;
    ObjectLink<CImageObject> m_background;
    EngineEvent m_done_event {};
    uint64_t m_serial { 0 }; ///< Tags the ticks of the current run; travels whole.
    uint32_t m_owner_id { 0 };
    bool m_dragging { false };
    double m_position { 0.0 };
    double m_target { 0.0 };
    double m_step { DEFAULT_STEP };
    uint32_t m_interval { DEFAULT_INTERVAL };
};

} // namespace engine
