#pragma once
// CGuiScrollBar: a vertical or horizontal scroll bar: a track canvas (the
// visual, so the bar's geometry is the track's), a thumb canvas on it whose
// length shows the visible share and whose place shows the position, and up
// to two arrow buttons outside the track's ends. It keeps position, page and
// total as doubles and tells its owner object every change the user makes.
//
// Input: the thumb and track route their pointer events to the bar as the
// private events below; the arrow buttons send their own click records
// straight to the owner, which scrolls by its own rule.
// Output: VELOTRIX_EVENT_SCROLL_CHANGED to the owner, param1 pointing to
// three doubles (position, page, total) that are valid only while the event
// is delivered.
//
// Owner: the object module; the track, thumb, thumb icon and buttons are
// owned followers. Thread: UI thread.
// Hazards: with page at least total (or a track no longer than the thumb)
// there is nothing to scroll: the position is 0 and the thumb sits at the
// track's start; no division by zero reaches the owner.

#include <cstdint>

#include "engine/core/GuiObject.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CCanvasObject;
class CGuiButton;
class CImageObject;

// Events the bar and its buttons send to the owner.
inline constexpr uint32_t VELOTRIX_EVENT_SCROLL_CHANGED = 19840362;
inline constexpr uint32_t VELOTRIX_EVENT_SCROLL_RIGHT = 19840363;
inline constexpr uint32_t VELOTRIX_EVENT_SCROLL_LEFT = 19840364;
inline constexpr uint32_t VELOTRIX_EVENT_SCROLL_UP = 19840365;
inline constexpr uint32_t VELOTRIX_EVENT_SCROLL_DOWN = 19840366;

class CGuiScrollBar : public CGuiObject {
public:
    // Private events between the bar's parts.
    static constexpr uint32_t EVENT_THUMB_HOVER = 80000002;
    static constexpr uint32_t EVENT_THUMB_NORMAL = 80000003;
    static constexpr uint32_t EVENT_THUMB_PRESSED = 80000004;
    static constexpr uint32_t EVENT_THUMB_RELEASED = 80000005;
    static constexpr uint32_t EVENT_THUMB_DRAG = 80000006;
    static constexpr uint32_t EVENT_TRACK_PRESS = 80000007;

    static constexpr uint32_t THUMB_COLOUR = 0x808080;
    static constexpr uint32_t TRACK_COLOUR = 0x808040;
    static constexpr uint32_t ICON_LINK_FLAGS = 0x1980A2;
    static constexpr double DEFAULT_MIN_THUMB = 15.0;
    /// The engine's string settings that name the skin's parts of a bar:
    /// track, thumb, thumb pattern and the two arrow buttons, from here on.
    static constexpr int32_t SETTING_VERTICAL_PARTS = 22;
    static constexpr int32_t SETTING_HORIZONTAL_PARTS = 27;

    enum class Orientation { Horizontal, Vertical };

    /// The whole bar including its buttons: the track gets what is left.
    void SetSize(double width, double height) override;
    int OnEvent(const EngineEvent& event) override;

    virtual void Create(uint32_t owner_id, int32_t width, int32_t height, Orientation orientation,
                        int32_t user_value);
    /// An image laid over the thumb's centre; later calls replace its image.
    virtual void SetThumbIcon(const ImageRef& image);
    // Arrow buttons; each is ignored on a bar of the other orientation.
    virtual void CreateUpButton(const ImageRef& image);
    virtual void CreateDownButton(const ImageRef& image);
    virtual void CreateLeftButton(const ImageRef& image);
    virtual void CreateRightButton(const ImageRef& image);
    virtual void SetTrackImage(const ImageRef& image);
    /// The skin's parts for the bar's orientation (the string settings from
    /// SETTING_VERTICAL_PARTS or SETTING_HORIZONTAL_PARTS), and its two arrow
    /// buttons; a track, thumb or pattern the skin lacks keeps its plain drawing.
    void UseSkinParts();
    virtual void SetThumbImage(const ImageRef& image);
    /// Track plus buttons, along the bar, each truncated.
    [[nodiscard]] virtual int32_t GetTotalLength() const;
    [[nodiscard]] virtual int32_t GetThumbLength() const;
    /// Kept only when greater than 0.
    virtual void SetStep(double step);
    /// Stores the values and lays the thumb and buttons out; a negative step
    /// keeps the stored one.
    virtual void SetPosition(double position, double page, double total, double step);
    virtual void NotifyOwner();
    virtual void Redraw();
    virtual void SetMinThumbLength(double length) { m_min_thumb = length; }

    [[nodiscard]] double GetPosition() const { return m_position; }
    [[nodiscard]] double GetPage() const { return m_page; }
    [[nodiscard]] double GetTotal() const { return m_total; }
    [[nodiscard]] double GetStep() const { return m_step; }
    [[nodiscard]] int32_t GetUserValue() const { return m_user_value; }
    [[nodiscard]] bool IsVertical() const { return m_vertical; }
    [[nodiscard]] CCanvasObject* GetThumb() const { return m_thumb; }
    [[nodiscard]] CCanvasObject* GetTrack() const { return m_track; }
    /// The up (left) and down (right) buttons, or null.
    [[nodiscard]] CGuiButton* GetFirstButton() const { return FindButton(m_first_id); }
    [[nodiscard]] CGuiButton* GetSecondButton() const { return FindButton(m_second_id); }

private:
    enum class End { First, Second };
    void MakeButton(End end, const ImageRef& image, uint32_t event_id);
    /// Along the bar: the object's length, and its start and end edges.
    [[nodiscard]] double LengthOf(const CEngineObject& object) const;
    [[nodiscard]] double StartOf(const CEngineObject& object) const;
    [[nodiscard]] double EndOf(const CEngineObject& object) const;
    [[nodiscard]] int32_t ButtonLengths() const;
    [[nodiscard]] CGuiButton* FindButton(uint32_t id) const;
    void SetThumbFrame(uint32_t frame);
    /// position limited to 0 .. total - page (0 when there is nothing to scroll).
    [[nodiscard]] double Limit(double position, double upper) const;

    ObjectLink<CCanvasObject> m_thumb;
    bool m_vertical { true };
    int32_t m_user_value { 0 };
    uint32_t m_owner_id { 0 };
    double m_position { 0.0 };
    double m_page { 0.0 };
    double m_total { 0.0 };
    double m_min_thumb { DEFAULT_MIN_THUMB };
    double m_step { 0.0 };
    uint32_t m_first_id { 0 };  ///< Buttons by id: another owner may destroy them first.
    uint32_t m_second_id { 0 };
    ImageRef m_thumb_image {};
    ImageRef m_track_image {};
    ObjectLink<CCanvasObject> m_track;
    ObjectLink<CImageObject> m_thumb_icon;
};

} // namespace engine
