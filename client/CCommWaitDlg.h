// CCommWaitDlg: the wait dialog of the communication thread. It holds a
// status text ("正在连接游戏服务器......" and the like), whether it is shown,
// the animated wait bar, the skin's background picture and bar colours, and
// a hide timer: a text shown for some seconds hides by itself. It lives on
// the communication thread (its window takes the bar's and the hide timer's
// messages there), and the main window draws it over the engine's frame on
// the UI thread, where every video call stays.
//
// Owner: the communication thread (CGameCommThread), which creates it on its
// own thread and destroys it there. Threads: ShowText, Hide, LoadSkin,
// SetDrawingWindow and the timers run on the communication thread; Draw and GetRevision on the UI
// thread. One lock guards the state both read.
// Hazards: the background picture comes from a skin file; a file that is
// missing, not an image or too large leaves the plain button-face fill.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "client/CWaitBarCtrl.h"
#include "engine/core/ImageRecord.h"
#include "platform/MessageWindow.h"

namespace client {

class CCommWaitDlg final : public platform::CMessageWindow {
public:
    static constexpr uintptr_t TIMER_BAR = 1;
    static constexpr uintptr_t TIMER_HIDE = 100;
    static constexpr uint32_t BAR_STEP_MS = 200;
    static constexpr int32_t WIDTH = 360;
    static constexpr int32_t HEIGHT = 96;
    static constexpr ColorRef BUTTON_FACE = MakeRgb(240, 240, 240);
    static constexpr ColorRef TEXT_COLOR = MakeRgb(0, 0, 0);
    static constexpr ColorRef DEFAULT_BAR_FOREGROUND = MakeRgb(46, 70, 26);
    static constexpr ColorRef DEFAULT_BAR_BACKGROUND = MakeRgb(115, 148, 66);

    CCommWaitDlg() = default;
    ~CCommWaitDlg() override;

    /// Creates the dialog's window on the calling thread, starts the bar and
    /// takes the skin from the INI file (none when the path is empty).
    bool Open(const std::string& skin_ini_path);
    /// Shows the text; with seconds above 0 the dialog hides after them (a
    /// second call restarts the count).
    void ShowText(const std::string& text, uint32_t seconds);
    void Hide();
    /// The window that draws the dialog (it may sleep between frames): it
    /// is woken whenever the dialog is shown or hidden.
    void SetDrawingWindow(platform::WindowHandle window) { m_drawing_window = window; }
    /// The background picture named by the skin (relative to the INI's
    /// folder) and the bar's colours.
    void LoadSkin(const std::string& skin_ini_path);

    [[nodiscard]] bool IsShown() const;
    [[nodiscard]] std::string GetText() const;
    [[nodiscard]] CWaitBarCtrl GetBar() const;
    /// Changes whenever what Draw would draw changes.
    [[nodiscard]] uint64_t GetRevision() const { return m_revision.load(); }
    /// Draws the shown dialog centred in the target; false when hidden.
    bool Draw(const PixelTarget& target) const;

protected:
    intptr_t WindowProc(platform::Message& msg) override;

private:
    void DrawBackground(const PixelTarget& target, const PixelRect& rect) const;
    void DrawText(const PixelTarget& target, const PixelRect& rect) const;
    void WakeDrawingWindow() const;

    mutable std::mutex m_mutex;
    std::string m_text;
    bool m_shown { false };
    CWaitBarCtrl m_bar;
    engine::ImageRecord m_background; ///< no pixels: none loaded
    std::atomic<uint64_t> m_revision { 0 };
    platform::WindowHandle m_drawing_window { platform::WindowHandle::None }; ///< communication thread only
};

} // namespace client
