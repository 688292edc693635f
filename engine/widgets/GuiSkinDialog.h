#pragma once
// CGuiSkinDialog: the base of the engine's skinned dialogs. A frame of any
// size is built from one small skin picture cut into a three-by-three grid,
// with a title on the top edge and a client area in the middle for the
// derived dialog's content. The grid is found in the skin itself: its
// middle is marked by transparent pixels.
//
// Rectangles are (left, top, right, bottom), right and bottom outside. Index
// 0 is the bounds; 1 to 9 the slices top-left, top, top-right, left, centre,
// right, bottom-left, bottom, bottom-right. Source rectangles are in the
// skin record's pixels, destination rectangles on the back canvas.
//
// Owner: the object module; the back canvas (the visual), the title canvas
// and the client object are owned followers. The client object is held by
// id, since its owner may destroy it first. Thread: UI thread.
// Hazards: the skin's record is borrowed from the paint module's cache.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/EngineRect.h"
#include "engine/core/GuiObject.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CCanvasObject;

class CGuiSkinDialog : public CGuiObject {
public:
    static constexpr size_t SLICE_COUNT = 10;
    static constexpr size_t SLICE_TOP_LEFT = 1;
    static constexpr size_t SLICE_TOP = 2;
    static constexpr size_t SLICE_TOP_RIGHT = 3;
    static constexpr size_t SLICE_CENTRE = 5;
    static constexpr size_t SLICE_BOTTOM_LEFT = 7;
    static constexpr int32_t TITLE_X = 7;
    static constexpr int32_t TITLE_Y = 5;
    static constexpr int32_t TITLE_SIZE = 14;

    using Slices = std::array<EngineRect, SLICE_COUNT>;

    /// Width and height are the client area's; the frame grows around it.
    virtual void CreateWithBackground(const ImageRef& skin, const ImageRef& background, int32_t width,
                                      int32_t height);
    virtual void Create(const ImageRef& skin, uint32_t colour, int32_t width, int32_t height);
    virtual void SetTitle(std::string_view text);
    virtual void FindSlices(const ImageRef& skin);
    virtual void LayoutSlices(int32_t width, int32_t height);
    virtual void Resize(int32_t width, int32_t height) { LayoutSlices(width, height); }
    virtual void DrawTitle();
    virtual void ApplyLayout();

    /// Copies the client area into rect and answers it.
    EngineRect& GetClientRect(EngineRect& rect) const;
    /// The client object; on first use a canvas over the client area.
    CEngineObject* GetClientCanvas();
    /// Destroys the previous client object and takes object in its place.
    void SetClientObject(CEngineObject* object);

    [[nodiscard]] const Slices& GetSourceSlices() const { return m_source; }
    [[nodiscard]] const Slices& GetDestinationSlices() const { return m_destination; }
    [[nodiscard]] CCanvasObject* GetBackCanvas() const { return m_back; }
    [[nodiscard]] CCanvasObject* GetTitleCanvas() const { return m_title_canvas; }

private:
    void Build(const ImageRef& skin, int32_t width, int32_t height);
    [[nodiscard]] CEngineObject* ClientObject() const;
    /// Sizes the client object to the client area and centres it there.
    void PlaceClient(CEngineObject& client);
    /// Moves object's centre to the centre of rect (back canvas pixels).
    void PlaceOver(CEngineObject& object, const EngineRect& rect) const;
    void AttachAbove(CEngineObject& object);

    std::string m_title;
    ImageRef m_skin {};
    ImageRef m_background {};
    uint32_t m_centre_colour { 0xFF00FF };
    ObjectLink<CCanvasObject> m_title_canvas;
    ObjectLink<CCanvasObject> m_back;
    uint32_t m_client_id { 0 };
    Slices m_source {};
    Slices m_destination {};
};

} // namespace engine
