#pragma once
// GDIPaintModule: the concrete paint module. It owns the drawing surface,
// three 32-bit buffers of the view's size: background (what Clear and
// DrawImage paint), composition (background plus the objects of the last
// pass) and presentation (what was last shown); it carries out the object
// module's paint passes rectangle by rectangle through the software blitter
// and shows the presentation buffer through the host window's present target.
//
// Owner: GameCore (made by the media module factory). Thread: engine (UI)
// thread. The host window sizes it (IPaintSurface::SetSize) and passes
// WM_PAINT on as module message 1034, which presents again.
// Hazards: only dirty rectangles are restored and copied; rectangles are
// clamped to the surface first. A screen depth other than 32, 24 or 16 is
// reported to module 1010 with message 1006 on every flush.
#include "engine/core/EngineHostServices.h"
#include "engine/media/Blitter.h"
#include "engine/media/PaintModule.h"

#include <cstdint>
#include <vector>

namespace engine {

inline constexpr int32_t VELOTRIX_MSG_BAD_SCREEN_DEPTH = 1006;

struct SurfaceInfo {
    uint32_t* pixels { nullptr };
    int32_t width { 0 };
    int32_t height { 0 };
    int32_t depth { 0 };
    uint32_t colour_key { 0 };
};

class GDIPaintModule final : public PaintModule, public IPaintSurface {
public:
    // Engine integer setting the module sets to 1 when it loads.
    static constexpr int32_t SETTING_GDI_PAINT = 18;

    GDIPaintModule() = default;

    [[nodiscard]] int Load() override;
    void Unload() override;
    int32_t OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) override;

    // IPaintSurface.
    void SetSize(int32_t width, int32_t height) override;
    void SetPresentTarget(IPresentTarget* target) override { m_present_target = target; }

    void FlushDirty(std::unique_ptr<RenderRequest> request) override;
    void DrawObject(const RenderRecord& record, CFrameImage& picture) override;
    [[nodiscard]] int LoadImageByKey(const NameKey& key) override;
    void DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height, double angle) override;
    void Clear(uint32_t colour) override;

    [[nodiscard]] SurfaceInfo GetSurfaceInfo();
    // A deep copy of source (pixels included) into target.
    static void CopyImage(const ImageRecord* source, ImageRecord* target) { CopyImageRecord(source, target, true); }
    // Frees the record's buffers and zeroes it (a null record is ignored).
    static void FreeImageData(ImageRecord* record) { FreeImageRecordData(record); }
    // Shows the presentation buffer, only the changed rectangles when there
    // are any (clamped already); false without a target or surface.
    bool Present(std::span<const EngineRect> changed);
    // The depth the presentation is converted to (32, 24 or 16; tests and
    // screens of other depths).
    void SetScreenDepth(int32_t depth);

    [[nodiscard]] const std::vector<uint32_t>& GetBackground() const { return m_background; }
    [[nodiscard]] const std::vector<uint32_t>& GetComposition() const { return m_composition; }
    [[nodiscard]] const std::vector<uint32_t>& GetPresentation() const { return m_presentation; }
    [[nodiscard]] const std::vector<uint8_t>& GetConverted() const { return m_converted; }
    [[nodiscard]] uint64_t GetPresentCount() const { return m_present_count; }

    // Clamps the rectangle to the surface in place.
    static void ClampDirtyRect(EngineRect& rect, int32_t width, int32_t height);
    // Clamps the rectangle to the surface in place, then copies it.
    static void CopyDirtyRect(EngineRect& rect, const std::vector<uint32_t>& source, std::vector<uint32_t>& target,
                              int32_t width, int32_t height);
    // 5-6-5 conversion of one pixel (blue in the low bits).
    [[nodiscard]] static uint16_t To16(uint32_t pixel)
    {
        return uint16_t((pixel & 0xF8) >> 3 | ((pixel >> 8) & 0xFC) << 3 | ((pixel >> 16) & 0xF8) << 8);
    }

private:
    void DrawObjectImage(const RenderRecord& record, const ImageRef& ref);
    // True when drawing the record writes every pixel of the (clamped)
    // rectangle whatever lay there (refreshing its image if need be).
    bool CoversRect(const RenderRecord& record, const EngineRect& rect);
    void ConvertToScreenDepth();

    std::vector<uint32_t> m_background;
    std::vector<uint32_t> m_composition;
    std::vector<uint32_t> m_presentation;
    std::vector<uint8_t> m_converted;
    BlitBox m_dirty_bounds {};                 ///< the dirty area of the pass being drawn
    IPresentTarget* m_present_target { nullptr };
    uint64_t m_present_count { 0 };
    bool m_has_surface { false };
};

} // namespace engine
