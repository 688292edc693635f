#pragma once
// The mouse cursor of the client's windows: its shape, the display count that
// shows and hides it, mouse capture, and confining the cursor to a rectangle.
//
// Cursor handles: a system cursor's handle is its id (IDC_ARROW, IDC_HAND ...),
// so code that keeps the id as its handle works unchanged; LoadSystemCursor
// checks an id. Cursors made from pixels get handles of their own, never reused.
// The cursor shows while the display count is 0 or more and a cursor is set
// (SetCursor(0) removes it from the screen); the count starts at 0.
//
// Capture: the capture window gets the mouse messages of every native window
// (Window.h); coordinates are in the capture window's client pixels when it has
// a native window, else in those of the window the pointer is over. Outside our
// windows the pointer is followed while a button is held (SDL captures the
// mouse by itself then), and coordinates may lie outside the client area; with
// no button held, the desktop's other windows get the mouse as usual. Only a
// window of the calling thread can take the capture. The window that loses
// capture is told by a posted WM_CAPTURECHANGED (lparam: the new capture window,
// HandleToParam). Capture also ends when a native window loses the focus, or
// quietly when the capture window's own native window is destroyed; GetCapture
// never names a window that no longer exists.
//
// Owner: process-wide state in Cursor.cpp.
// Threads: UI thread (the SDL video thread), where the state reaches SDL. The
// state itself is guarded; calls from other threads change it without showing.
// Hazards: headless SDL drivers (offscreen, dummy) have no cursors or
// confinement: the state is kept and reported all the same, and reaches the
// screen once a window runs under a desktop driver.

#include <cstdint>
#include <optional>

#include "platform/Message.h"

namespace platform {

using CursorHandle = uintptr_t;

// System cursors; each is also its own handle.
inline constexpr CursorHandle IDC_ARROW = 32512;
inline constexpr CursorHandle IDC_IBEAM = 32513;
inline constexpr CursorHandle IDC_WAIT = 32514;
inline constexpr CursorHandle IDC_CROSS = 32515;
inline constexpr CursorHandle IDC_SIZENWSE = 32642;
inline constexpr CursorHandle IDC_SIZENESW = 32643;
inline constexpr CursorHandle IDC_SIZEWE = 32644;
inline constexpr CursorHandle IDC_SIZENS = 32645;
inline constexpr CursorHandle IDC_SIZEALL = 32646;
inline constexpr CursorHandle IDC_NO = 32648;
inline constexpr CursorHandle IDC_HAND = 32649;
inline constexpr CursorHandle IDC_APPSTARTING = 32650;

// A rectangle in screen pixels; right and bottom are outside it.
struct ScreenRect {
    int left { 0 };
    int top { 0 };
    int right { 0 };
    int bottom { 0 };
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// --- Shapes and the display count
// The handle of a system cursor (its id); 0 for an id that names none.
[[nodiscard]] CursorHandle LoadSystemCursor(uint32_t cursor_id);
// A cursor from a 32-bit bitmap (bytes B, G, R, A per pixel, `pitch` bytes a
// row) with its hot spot. 0 for a null bitmap, a size outside 1..256, a pitch
// below width * 4 or a hot spot outside the bitmap.
[[nodiscard]] CursorHandle CreateCursorFromPixels(const uint8_t* pixels, int width, int height, int pitch,
                                                  int hot_x, int hot_y);
// Frees a cursor made from pixels; the arrow replaces it when it is the current
// one. True also for a system cursor (nothing to free); false for an unknown handle.
bool DestroyCursor(CursorHandle cursor);
// Makes `cursor` the cursor (0 = none shown) and returns the previous one. An
// unknown handle changes nothing and returns 0.
CursorHandle SetCursor(CursorHandle cursor);
[[nodiscard]] CursorHandle GetCursor();
// Raises (show) or lowers the display count; returns the new count.
int ShowCursor(bool show);

// --- Capture
// Gives the mouse to `window` and returns the previous capture window. A window
// that does not exist or belongs to another thread changes nothing (None).
WindowHandle SetCapture(WindowHandle window);
// Ends the capture. False when no window had it.
bool ReleaseCapture();
[[nodiscard]] WindowHandle GetCapture();

// --- Confining the cursor
// Keeps the cursor inside `rect` (screen pixels); std::nullopt frees it.
// False for an empty rectangle (nothing changes).
bool ClipCursor(const std::optional<ScreenRect>& rect);
// The rectangle the cursor is kept in, std::nullopt when it is free.
[[nodiscard]] std::optional<ScreenRect> GetClipCursor();
// Where the pointer is, in screen pixels. False when there is no SDL video on
// this thread (no native window).
bool GetCursorPos(int& x, int& y);
// Client pixels of a window with a native window (Window.h) to screen pixels.
// False (x and y unchanged) for a window without one.
bool ClientToScreen(WindowHandle window, int& x, int& y);

} // namespace platform
