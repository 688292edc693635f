#pragma once
// A real top-level window on the screen (SDL2), bound to a window handle of
// the message system: what happens to it arrives as the usual window messages
// (WM_SIZE, WM_PAINT, WM_SETFOCUS/WM_KILLFOCUS, WM_ACTIVATE, WM_CLOSE, mouse,
// keys with virtual-key codes, WM_CHAR bytes of GBK text; see MessageIds.h),
// posted to that handle; mouse messages go to the capture window instead while
// one is set, and without capture each comes after a WM_SETCURSOR (Cursor.h).
// A 32-bit BGRA bitmap is shown in it with Present, copied into the window's
// own surface (no accelerated renderer: under X11 it is shared memory with
// the X server), only the changed rectangles when the caller names them.
//
// Owner: the UI object that owns the bound handle (the main window), through
// std::unique_ptr; destroy the CNativeWindow before its handle.
// Threads: UI thread only: creating the first window makes the calling thread
// the one SDL video thread and installs the SDL event pump in its message
// loop. Every method must be called on that thread.
// Hazards: runs headless under SDL_VIDEODRIVER=offscreen (tests do). WM_CLOSE
// only asks; the window stays until its owner destroys it. A size below the
// window's minimum is told as WM_SIZE and then asked back to the minimum, once
// per size until the window system gives a size at or above the minimum again
// (a window system that insists keeps its size).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Message.h"

struct SDL_Window;
struct SDL_Rect;
union SDL_Event;

namespace platform {

enum class WindowShow { Hidden, Shown };
enum class WindowFrame { Normal, Borderless };

// A rectangle of a bitmap in pixels: left and top inside, right and bottom
// just outside.
struct PixelRect {
    int left { 0 };
    int top { 0 };
    int right { 0 };
    int bottom { 0 };
};

struct NativeWindowOptions {
    std::string title;     // GBK
    int width { 800 };     // client size in pixels
    int height { 600 };
    WindowShow show { WindowShow::Shown };
    WindowFrame frame { WindowFrame::Normal };
    bool resizable { false };
};

class CNativeWindow {
public:
    // Creates the window and binds it to `target`. nullptr when the target is
    // not a window of this thread, the size is not positive, or SDL fails
    // (the reason is in LastError()).
    [[nodiscard]] static std::unique_ptr<CNativeWindow> Create(WindowHandle target, const NativeWindowOptions& options);
    ~CNativeWindow();
    CNativeWindow(const CNativeWindow&) = delete;
    CNativeWindow& operator=(const CNativeWindow&) = delete;

    [[nodiscard]] WindowHandle GetTarget() const { return m_target; }

    // Shows a 32-bit bitmap: bytes B, G, R, A per pixel, `pitch` bytes per row.
    // With `changed` rectangles (clipped to the bitmap) only those parts are
    // copied and shown, the rest of the window keeps what it showed; with
    // none, the whole bitmap. A bitmap of another size than the client area
    // is stretched to it, whole. False for a null bitmap, a non-positive size,
    // a pitch below width * 4, or when SDL cannot show it (LastError()).
    bool Present(const uint8_t* pixels, int width, int height, int pitch, std::span<const PixelRect> changed = {});

    bool SetTitle(std::string_view gbk_title); // false when the title is not GBK
    void Show(WindowShow show);
    void Minimize();
    void Maximize();
    void Restore();
    void BringToFront();
    void SetClientSize(int width, int height);
    void GetClientSize(int& width, int& height) const;
    void SetPosition(int x, int y);
    void GetPosition(int& x, int& y) const;
    [[nodiscard]] bool IsMinimized() const;
    // Maximised by the window system. SDL marks a window maximised as soon as
    // it is asked to (X11, Wayland), whether or not a window manager acts on
    // it, and without one keeps the mark through every later size; a window
    // manager that maximises a window on request changes its size but sends
    // no word of the state. So the mark counts only while the window, with
    // its frame, is as large as the usable area of its display.
    [[nodiscard]] bool IsMaximized() const;
    // Flashes the window once (its task-bar entry) when it does not have the
    // keyboard focus, to call the user back. False when it has the focus or
    // the video driver cannot flash windows.
    bool FlashIfInBackground();
    // Text input (WM_CHAR) is on while the window has focus unless switched off.
    void EnableTextInput(bool enable);
    // Where an input method should show its candidates, in client pixels.
    void SetTextInputArea(int x, int y, int width, int height);

    // The size of the desktop (the first display) in pixels, starting the
    // video system on this thread when needed. std::nullopt without a display.
    [[nodiscard]] static std::optional<std::pair<int, int>> GetDesktopSize();

    // The SDL error of the last failure on this thread.
    [[nodiscard]] static std::string LastError();

    // Translates one SDL event into messages. Public for the event pump.
    static void DispatchSdlEvent(const SDL_Event& event);

    // For the platform's own services (cursor, capture). IsVideoThread may be
    // asked on any thread; the others are for the UI thread only.
    [[nodiscard]] static bool IsVideoThread();
    [[nodiscard]] static CNativeWindow* FindByTarget(WindowHandle target);
    static void ForEachWindow(const std::function<void(CNativeWindow&)>& visit);
    [[nodiscard]] SDL_Window* GetSdlWindow() const { return m_window; }

private:
    struct CreateToken {
        explicit CreateToken() = default;
    };

public:
    CNativeWindow(CreateToken, WindowHandle target, SDL_Window* window);

private:
    void HandleEvent(const SDL_Event& event);
    void HandleWindowEvent(const SDL_Event& event);
    void HandleMouseButton(const SDL_Event& event);
    void HandleKey(const SDL_Event& event);
    void HandleText(const char* utf8);
    // A size below the window's minimum (SDL's, which binds only where a
    // window manager honours it; without one any program may shrink the
    // window) is answered by asking for the minimum back.
    void KeepMinimumSize(int width, int height);
    void PostMouse(uint32_t id, uintptr_t wparam, int x, int y);
    [[nodiscard]] uintptr_t MouseKeyFlags() const;

    WindowHandle m_target;
    SDL_Window* m_window { nullptr };
    uint32_t m_buttons { 0 }; // MK_* mouse buttons held
    std::vector<SDL_Rect> m_rects; // Present's, kept for its capacity
    std::pair<int, int> m_refused_size { -1, -1 }; // the last size below the minimum asked back
    std::pair<int, int> m_asked_size { -1, -1 };   // what SDL took on for that request, until reported
};

} // namespace platform
