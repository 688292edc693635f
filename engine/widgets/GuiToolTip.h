#pragma once
// CGuiToolTip: a hover hint: a small canvas (its visual) with word-wrapped
// text that attaches to a target object, fades in above the target when the
// pointer enters it and disappears when the pointer leaves.
//
// Attach adds two routes on the target: its mouse enter comes here as
// VELOTRIX_EVENT_ACTIVATE with param1 = the target's id (looked up when the
// event arrives, so a target gone by then is simply not followed), its mouse
// leave as VELOTRIX_EVENT_DEACTIVATE.
//
// Owner: the object module; the canvas is an owned follower. Thread: UI thread.

#include <cstdint>
#include <string_view>

#include "engine/core/GuiObject.h"

namespace engine {

class CCanvasObject;

class CGuiToolTip : public CGuiObject {
public:
    static constexpr int32_t MARGIN = 3;
    static constexpr int32_t FONT_SIZE = 12;
    static constexpr uint32_t KEY_COLOUR = 0xFFFFFF;
    static constexpr uint32_t BORDER_COLOUR = 0xE7BFC8;
    static constexpr double FADE_STEP = 0.2;

    void OnCreate() override;
    int OnEvent(const EngineEvent& event) override;

    /// Sizes the canvas for text, draws the background and the text.
    virtual void SetText(std::string_view text, int32_t max_width);
    /// Nothing for a null target.
    virtual void Attach(CEngineObject* target, std::string_view text, int32_t max_width);
    /// Fades in by step every action interval; with hide_after it then deactivates.
    enum class HideAfter { No, Yes };
    virtual void FadeIn(double step, HideAfter hide_after);
    /// Stops the fade and hides at once.
    virtual void Hide();
    virtual void DrawBackground();
    /// Puts the tooltip's left edge at the target's centre and its bottom on
    /// the target's top, kept inside the view.
    virtual void PlaceNear(const CEngineObject& target);
    /// Sizes the canvas for text wrapped to at most max_width; answers the margin.
    virtual int32_t Measure(std::string_view text, int32_t max_width);
    [[nodiscard]] virtual CCanvasObject* GetCanvas() const { return m_canvas; }

private:
    ObjectLink<CCanvasObject> m_canvas;
};

} // namespace engine
