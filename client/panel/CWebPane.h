#pragma once
// CWebPane: where the side panel would show a web page. No browser control
// exists here: the pane shows the address it holds, and a click on it opens
// that address in the user's browser (engine::GetUrlOpener, which takes only
// http, https and ftp addresses). Navigating never starts the browser by
// itself, so neither the server nor a timer can open pages unasked.
//
// Owner: the object module; the canvas is an owned follower. Thread: UI
// thread.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/GuiObject.h"

namespace engine {
class CCanvasObject;
}

namespace panel {

class CWebPane : public engine::CGuiObject {
public:
    static constexpr size_t MAX_ADDRESS_BYTES = 1024;
    static constexpr int32_t FONT_SIZE = 12;

    /// Makes the canvas; run once, on a registered pane.
    virtual void Create(int32_t width, int32_t height);
    /// Holds and shows the address (cut to MAX_ADDRESS_BYTES).
    virtual void Navigate(std::string_view address);
    /// Opens the address in the browser; false without one or when refused.
    virtual bool OpenInBrowser();
    virtual void Resize(int32_t width, int32_t height);
    [[nodiscard]] const std::string& GetAddress() const { return m_address; }
    [[nodiscard]] engine::CCanvasObject* GetCanvas() const { return m_canvas; }

    int OnEvent(const engine::EngineEvent& event) override;

private:
    void Redraw();

    engine::CCanvasObject* m_canvas { nullptr };
    std::string m_address;
};

} // namespace panel
