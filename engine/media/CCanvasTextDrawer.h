#pragma once
// CCanvasTextDrawer: the canvases' way to the one shared text renderer
// (ICanvasTextDrawer, installed with CCanvasServices::InstallTextDrawer).
// It owns the renderer and, for each call, saves the renderer's style, sets
// the canvas's, draws, measures or fits, and puts the saved style back.
//
// Owner: CCanvasServices once installed (one drawer for the whole program).
// Threads: UI thread. Canvases hold the object module's text semaphore around
// every call, so the drawer never takes the renderer's lock itself (that lock
// is the same semaphore once lent, and it is not re-entrant).
// Hazards: the pixels, width and height come from the canvas; the renderer
// never writes past the span it is given.

#include <memory>

#include "engine/core/CanvasServices.h"
#include "engine/media/CTextRenderer.h"

namespace engine {

class CCanvasTextDrawer final : public ICanvasTextDrawer {
public:
    /// The desktop drawer: glyphs from the installed fonts through FreeType
    /// and fontconfig; without FreeType the text is laid out but not drawn.
    [[nodiscard]] static std::unique_ptr<CCanvasTextDrawer> Create();
    explicit CCanvasTextDrawer(std::unique_ptr<CTextRenderer> renderer);
    ~CCanvasTextDrawer() override;
    CCanvasTextDrawer(const CCanvasTextDrawer&) = delete;
    CCanvasTextDrawer& operator=(const CCanvasTextDrawer&) = delete;

    void DrawText(const CanvasTextStyle& style, std::span<uint8_t> pixels, int32_t width, int32_t height, int32_t x,
                  int32_t y, std::string_view text) override;
    [[nodiscard]] int32_t MeasureText(const CanvasTextStyle& style, int32_t width, std::string_view text) override;
    /// Fits at the style's font height (no fixed size when it is 0), without padding.
    std::pair<int32_t, int32_t> FitText(const CanvasTextStyle& style, int32_t box_width, int32_t box_height,
                                        std::string& text) override;
    [[nodiscard]] bool IsKnownTag(std::string_view tag) const override;
    [[nodiscard]] std::string PlainText(std::string_view text) const override;

    [[nodiscard]] CTextRenderer& GetRenderer() { return *m_renderer; }

private:
    // Sets a canvas's style for one call and puts the renderer's back after.
    class CStyleScope;

    std::unique_ptr<CTextRenderer> m_renderer;
};

} // namespace engine
