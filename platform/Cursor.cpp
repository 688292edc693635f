#include "platform/Cursor.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/CursorInternal.h"
#include "platform/Window.h"

namespace platform {

namespace {

// Handles of cursors made from pixels start above every system cursor id.
constexpr CursorHandle FIRST_MADE_CURSOR = 0x10000;
constexpr int MAX_CURSOR_SIDE = 256;

struct SystemCursorName {
    CursorHandle id;
    SDL_SystemCursor sdl;
};

constexpr SystemCursorName SYSTEM_CURSORS[] = {
    { IDC_ARROW, SDL_SYSTEM_CURSOR_ARROW },       { IDC_IBEAM, SDL_SYSTEM_CURSOR_IBEAM },
    { IDC_WAIT, SDL_SYSTEM_CURSOR_WAIT },         { IDC_CROSS, SDL_SYSTEM_CURSOR_CROSSHAIR },
    { IDC_SIZENWSE, SDL_SYSTEM_CURSOR_SIZENWSE }, { IDC_SIZENESW, SDL_SYSTEM_CURSOR_SIZENESW },
    { IDC_SIZEWE, SDL_SYSTEM_CURSOR_SIZEWE },     { IDC_SIZENS, SDL_SYSTEM_CURSOR_SIZENS },
    { IDC_SIZEALL, SDL_SYSTEM_CURSOR_SIZEALL },   { IDC_NO, SDL_SYSTEM_CURSOR_NO },
    { IDC_HAND, SDL_SYSTEM_CURSOR_HAND },         { IDC_APPSTARTING, SDL_SYSTEM_CURSOR_WAITARROW },
};

std::optional<SDL_SystemCursor> FindSystemCursor(CursorHandle id)
{
    for (const SystemCursorName& name : SYSTEM_CURSORS) {
        if (name.id == id)
            return name.sdl;
    }
    return std::nullopt;
}

struct PixelCursor {
    std::vector<uint8_t> pixels; // rows of width * 4 bytes, B, G, R, A
    int width { 0 };
    int height { 0 };
    int hot_x { 0 };
    int hot_y { 0 };
};

// SDL's objects exist only on the video thread, between its start and stop.
struct CursorState {
    std::mutex mutex;
    CursorHandle current { IDC_ARROW };
    int display_count { 0 };
    WindowHandle capture { WindowHandle::None };
    std::optional<ScreenRect> clip;
    std::unordered_map<CursorHandle, PixelCursor> made;
    CursorHandle next_made { FIRST_MADE_CURSOR };
    std::unordered_map<CursorHandle, SDL_Cursor*> sdl_cursors; // by handle, made on first use
    std::vector<SDL_Cursor*> retired; // freed on the video thread once no longer shown
    SDL_Cursor* shown_cursor { nullptr }; // what SDL was last told, so that a
    int shown_visible { -1 };             // repeated SetCursor costs no SDL call
    std::optional<std::pair<int, int>> last_pointer; // screen pixels, from our windows' mouse events
};

CursorState& State()
{
    static CursorState s_state;
    return s_state;
}

// Caller holds the state mutex and runs on the video thread.
SDL_Cursor* SdlCursorLocked(CursorState& state, CursorHandle cursor)
{
    if (auto it = state.sdl_cursors.find(cursor); it != state.sdl_cursors.end())
        return it->second;
    SDL_Cursor* made = nullptr;
    if (const std::optional<SDL_SystemCursor> system = FindSystemCursor(cursor)) {
        made = SDL_CreateSystemCursor(*system);
    } else if (auto it = state.made.find(cursor); it != state.made.end()) {
        PixelCursor& pixels = it->second;
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.pixels.data(), pixels.width, pixels.height,
                                                                  32, pixels.width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (surface) {
            made = SDL_CreateColorCursor(surface, pixels.hot_x, pixels.hot_y);
            SDL_FreeSurface(surface);
        }
    }
    // Drivers without cursors (headless) give none; that is not retried.
    state.sdl_cursors[cursor] = made;
    return made;
}

// Shows the shape and the display count through SDL (video thread only).
void ShowShapeLocked(CursorState& state)
{
    if (!CNativeWindow::IsVideoThread())
        return;
    const int visible = state.display_count >= 0 && state.current != 0 ? SDL_ENABLE : SDL_DISABLE;
    if (state.current != 0) {
        SDL_Cursor* cursor = SdlCursorLocked(state, state.current);
        if (cursor && cursor != state.shown_cursor) {
            SDL_SetCursor(cursor);
            state.shown_cursor = cursor;
        }
    }
    if (visible != state.shown_visible) {
        (void)SDL_ShowCursor(visible);
        state.shown_visible = visible;
    }
    for (SDL_Cursor* cursor : state.retired)
        SDL_FreeCursor(cursor);
    state.retired.clear();
}

void ConfineLocked(const CursorState& state)
{
    if (!CNativeWindow::IsVideoThread())
        return;
    CNativeWindow::ForEachWindow([&state](CNativeWindow& window) {
        SDL_Window* sdl = window.GetSdlWindow();
        if (!state.clip) {
            (void)SDL_SetWindowMouseRect(sdl, nullptr);
            return;
        }
        int x = 0;
        int y = 0;
        SDL_GetWindowPosition(sdl, &x, &y);
        const ScreenRect& clip = *state.clip;
        const SDL_Rect area { clip.left - x, clip.top - y, clip.right - clip.left, clip.bottom - clip.top };
        (void)SDL_SetWindowMouseRect(sdl, &area);
    });
}

// Ends the capture; the window that had it is told unless it is going away.
enum class CaptureNotice { Post, None };

WindowHandle EndCapture(CaptureNotice notice)
{
    CursorState& state = State();
    WindowHandle previous = WindowHandle::None;
    {
        std::lock_guard lock(state.mutex);
        previous = state.capture;
        state.capture = WindowHandle::None;
    }
    if (previous != WindowHandle::None && !IsWindow(previous))
        previous = WindowHandle::None;
    if (previous != WindowHandle::None && notice == CaptureNotice::Post)
        (void)PostMessage(previous, WM_CAPTURECHANGED, 0, 0);
    return previous;
}

} // namespace

CursorHandle LoadSystemCursor(uint32_t cursor_id)
{
    return FindSystemCursor(cursor_id) ? cursor_id : 0;
}

CursorHandle CreateCursorFromPixels(const uint8_t* pixels, int width, int height, int pitch, int hot_x, int hot_y)
{
    if (!pixels || width <= 0 || height <= 0 || width > MAX_CURSOR_SIDE || height > MAX_CURSOR_SIDE ||
        pitch / 4 < width || hot_x < 0 || hot_y < 0 || hot_x >= width || hot_y >= height)
        return 0;
    PixelCursor cursor;
    cursor.width = width;
    cursor.height = height;
    cursor.hot_x = hot_x;
    cursor.hot_y = hot_y;
    const size_t row_bytes = static_cast<size_t>(width) * 4;
    cursor.pixels.resize(row_bytes * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row)
        std::copy_n(pixels + static_cast<size_t>(row) * static_cast<size_t>(pitch), row_bytes,
                    cursor.pixels.begin() + static_cast<std::ptrdiff_t>(row_bytes * static_cast<size_t>(row)));
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    const CursorHandle handle = state.next_made++;
    state.made.emplace(handle, std::move(cursor));
    return handle;
}

bool DestroyCursor(CursorHandle cursor)
{
    if (FindSystemCursor(cursor))
        return true;
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.made.erase(cursor) == 0)
        return false;
    if (auto it = state.sdl_cursors.find(cursor); it != state.sdl_cursors.end()) {
        if (it->second)
            state.retired.push_back(it->second);
        if (it->second == state.shown_cursor)
            state.shown_cursor = nullptr; // SDL falls back to its default when it is freed
        state.sdl_cursors.erase(it);
    }
    if (state.current == cursor)
        state.current = IDC_ARROW;
    ShowShapeLocked(state);
    return true;
}

CursorHandle SetCursor(CursorHandle cursor)
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    if (cursor != 0 && !FindSystemCursor(cursor) && !state.made.contains(cursor))
        return 0;
    const CursorHandle previous = state.current;
    state.current = cursor;
    ShowShapeLocked(state);
    return previous;
}

CursorHandle GetCursor()
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    return state.current;
}

int ShowCursor(bool show)
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    state.display_count += show ? 1 : -1;
    ShowShapeLocked(state);
    return state.display_count;
}

WindowHandle SetCapture(WindowHandle window)
{
    const ThreadId owner = GetWindowThreadId(window);
    if (owner == 0 || owner != GetCurrentThreadId())
        return WindowHandle::None;
    CursorState& state = State();
    WindowHandle previous = WindowHandle::None;
    {
        std::lock_guard lock(state.mutex);
        previous = state.capture;
        state.capture = window;
    }
    if (previous != WindowHandle::None && !IsWindow(previous))
        previous = WindowHandle::None;
    if (previous != WindowHandle::None && previous != window)
        (void)PostMessage(previous, WM_CAPTURECHANGED, 0, static_cast<intptr_t>(HandleToParam(window)));
    return previous;
}

bool ReleaseCapture()
{
    return EndCapture(CaptureNotice::Post) != WindowHandle::None;
}

WindowHandle GetCapture()
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.capture != WindowHandle::None && !IsWindow(state.capture))
        state.capture = WindowHandle::None;
    return state.capture;
}

bool ClipCursor(const std::optional<ScreenRect>& rect)
{
    if (rect && (rect->right <= rect->left || rect->bottom <= rect->top))
        return false;
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    state.clip = rect;
    ConfineLocked(state);
    return true;
}

std::optional<ScreenRect> GetClipCursor()
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    return state.clip;
}

bool GetCursorPos(int& x, int& y)
{
    if (!CNativeWindow::IsVideoThread())
        return false;
    // While the pointer is over our windows (or captured) their mouse events
    // tell where it is. Elsewhere only an X11 desktop can say; other drivers
    // answer with window pixels, so the last known place is the better answer.
    std::optional<std::pair<int, int>> last;
    {
        CursorState& state = State();
        std::lock_guard lock(state.mutex);
        last = state.last_pointer;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool desktop_knows = driver && SDL_strcmp(driver, "x11") == 0;
    if (last && (SDL_GetMouseFocus() || !desktop_knows)) {
        x = last->first;
        y = last->second;
    } else {
        (void)SDL_GetGlobalMouseState(&x, &y);
    }
    return true;
}

bool ClientToScreen(WindowHandle window, int& x, int& y)
{
    CNativeWindow* native = CNativeWindow::IsVideoThread() ? CNativeWindow::FindByTarget(window) : nullptr;
    if (!native)
        return false;
    int left = 0;
    int top = 0;
    native->GetPosition(left, top);
    x += left;
    y += top;
    return true;
}

namespace cursor_detail {

void OnVideoStarted()
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    ShowShapeLocked(state);
    ConfineLocked(state);
}

void OnVideoStopping()
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    for (auto& [handle, cursor] : state.sdl_cursors) {
        if (cursor)
            SDL_FreeCursor(cursor);
    }
    state.sdl_cursors.clear();
    for (SDL_Cursor* cursor : state.retired)
        SDL_FreeCursor(cursor);
    state.retired.clear();
    state.shown_cursor = nullptr;
    state.shown_visible = -1;
}

void OnNativeWindowGone(WindowHandle target)
{
    if (GetCapture() == target)
        (void)EndCapture(CaptureNotice::None);
}

void OnPointerMoved(int screen_x, int screen_y)
{
    CursorState& state = State();
    std::lock_guard lock(state.mutex);
    state.last_pointer = std::make_pair(screen_x, screen_y);
}

void OnFocusLost()
{
    (void)EndCapture(CaptureNotice::Post);
}

} // namespace cursor_detail

} // namespace platform
