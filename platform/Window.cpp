#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <unordered_map>

#include "platform/Cursor.h"
#include "platform/CursorInternal.h"
#include "platform/KeyMap.h"
#include "platform/SdlEventPump.h"
#include "platform/Text.h"

namespace platform {

namespace {

// SDL video state; touched on the SDL video thread only, except the thread
// id, which any thread may read to learn whether it is that thread.
struct VideoState {
    std::atomic<ThreadId> thread { 0 };
    std::unique_ptr<CSdlEventPump> pump;
    std::unordered_map<uint32_t, CNativeWindow*> windows; // SDL window id -> window
};

VideoState& Video()
{
    static VideoState s_video;
    return s_video;
}

bool StartVideo()
{
    VideoState& video = Video();
    if (video.thread != 0) {
        if (video.thread == GetCurrentThreadId())
            return true;
        SDL_SetError("SDL video already runs on another thread");
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    // Frames are drawn by our own blitter and copied into the window's
    // surface. Where the driver has a surface of its own (X11: shared memory
    // with the server; the headless drivers: plain memory) SDL must not put
    // an accelerated renderer's texture behind it: OpenGL would cost about
    // 100 MB and a thread per core for a copy. Other drivers (Wayland) keep
    // SDL's choice, which is the only surface they have.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver
        && (SDL_strcmp(driver, "x11") == 0 || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0))
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    auto pump = std::make_unique<CSdlEventPump>();
    if (!pump->Initialise()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    video.thread = GetCurrentThreadId();
    video.pump = std::move(pump);
    SetThreadEventPump(video.pump.get());
    return true;
}

// With the last window gone the thread's loop no longer waits through SDL.
void StopVideoIfUnused()
{
    VideoState& video = Video();
    if (!video.windows.empty() || video.thread == 0)
        return;
    SetThreadEventPump(nullptr);
    video.pump.reset();
    video.thread = 0;
    cursor_detail::OnVideoStopping();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void Post(WindowHandle target, uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0)
{
    (void)PostMessage(target, id, wparam, lparam);
}

} // namespace

std::unique_ptr<CNativeWindow> CNativeWindow::Create(WindowHandle target, const NativeWindowOptions& options)
{
    if (GetWindowThreadId(target) != GetCurrentThreadId() || options.width <= 0 || options.height <= 0) {
        SDL_SetError("the target is not a window of this thread, or the size is not positive");
        return nullptr;
    }
    const std::optional<std::string> title = GbkToUtf8(options.title);
    if (!title) {
        SDL_SetError("the window title is not GBK text");
        return nullptr;
    }
    if (!StartVideo())
        return nullptr;
    uint32_t flags = options.show == WindowShow::Shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (options.frame == WindowFrame::Borderless)
        flags |= SDL_WINDOW_BORDERLESS;
    if (options.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* window = SDL_CreateWindow(title->c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          options.width, options.height, flags);
    if (!window) {
        StopVideoIfUnused();
        return nullptr;
    }
    auto native = std::make_unique<CNativeWindow>(CreateToken {}, target, window);
    Video().windows[SDL_GetWindowID(window)] = native.get();
    cursor_detail::OnVideoStarted(); // the cursor state kept so far reaches the new window
    Post(target, WM_SIZE, SIZE_RESTORED, MakeLongParam(options.width, options.height));
    if (options.show == WindowShow::Shown)
        Post(target, WM_PAINT);
    return native;
}

CNativeWindow::CNativeWindow(CreateToken, WindowHandle target, SDL_Window* window)
    : m_target(target), m_window(window)
{
}

CNativeWindow::~CNativeWindow()
{
    cursor_detail::OnNativeWindowGone(m_target);
    Video().windows.erase(SDL_GetWindowID(m_window));
    SDL_DestroyWindow(m_window);
    StopVideoIfUnused();
}

namespace {

// The whole bitmap stretched to the whole surface.
bool StretchToSurface(SDL_Surface* surface, const uint8_t* pixels, int width, int height, int pitch)
{
    // ARGB8888 is a 32-bit word; in memory (little-endian) its bytes are B, G, R, A.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels), width, height, 32, pitch,
                                                             SDL_PIXELFORMAT_ARGB8888);
    if (!source)
        return false;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    const bool copied = SDL_BlitScaled(source, nullptr, surface, nullptr) == 0;
    SDL_FreeSurface(source);
    return copied;
}

// One rectangle of a bitmap of the surface's size, copied in place.
void CopyToSurface(SDL_Surface* surface, const uint8_t* pixels, int pitch, const SDL_Rect& rect)
{
    const uint8_t* from = pixels + size_t(rect.y) * size_t(pitch) + size_t(rect.x) * 4;
    uint8_t* to = static_cast<uint8_t*>(surface->pixels) + size_t(rect.y) * size_t(surface->pitch)
        + size_t(rect.x) * surface->format->BytesPerPixel;
    const SDL_PixelFormat& format = *surface->format;
    // X11 and the headless drivers give 32-bit X, R, G, B words: the bytes
    // are ours with the alpha ignored.
    if (format.BytesPerPixel == 4 && format.Rmask == 0x00FF0000u && format.Gmask == 0x0000FF00u
        && format.Bmask == 0x000000FFu) {
        for (int y = 0; y < rect.h; ++y)
            std::memcpy(to + size_t(y) * size_t(surface->pitch), from + size_t(y) * size_t(pitch), size_t(rect.w) * 4);
        return;
    }
    (void)SDL_ConvertPixels(rect.w, rect.h, SDL_PIXELFORMAT_ARGB8888, from, pitch, format.format, to, surface->pitch);
}

} // namespace

bool CNativeWindow::Present(const uint8_t* pixels, int width, int height, int pitch, std::span<const PixelRect> changed)
{
    if (!pixels || width <= 0 || height <= 0 || pitch / 4 < width) {
        SDL_SetError("bad bitmap for Present");
        return false;
    }
    // The surface is made anew by SDL after a size change.
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface)
        return false;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return false;
    bool shown = true;
    if (surface->w != width || surface->h != height) {
        if (SDL_MUSTLOCK(surface))
            SDL_UnlockSurface(surface);
        return StretchToSurface(surface, pixels, width, height, pitch) && SDL_UpdateWindowSurface(m_window) == 0;
    }
    m_rects.clear();
    if (changed.empty())
        m_rects.push_back(SDL_Rect { 0, 0, width, height });
    for (const PixelRect& rect : changed) {
        const int left = std::clamp(rect.left, 0, width);
        const int top = std::clamp(rect.top, 0, height);
        const int right = std::clamp(rect.right, left, width);
        const int bottom = std::clamp(rect.bottom, top, height);
        if (right > left && bottom > top)
            m_rects.push_back(SDL_Rect { left, top, right - left, bottom - top });
    }
    for (const SDL_Rect& rect : m_rects)
        CopyToSurface(surface, pixels, pitch, rect);
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    if (!m_rects.empty())
        shown = SDL_UpdateWindowSurfaceRects(m_window, m_rects.data(), static_cast<int>(m_rects.size())) == 0;
    return shown;
}

bool CNativeWindow::SetTitle(std::string_view gbk_title)
{
    const std::optional<std::string> title = GbkToUtf8(gbk_title);
    if (!title)
        return false;
    SDL_SetWindowTitle(m_window, title->c_str());
    return true;
}

void CNativeWindow::Show(WindowShow show)
{
    if (show == WindowShow::Shown)
        SDL_ShowWindow(m_window);
    else
        SDL_HideWindow(m_window);
}

void CNativeWindow::Minimize() { SDL_MinimizeWindow(m_window); }
void CNativeWindow::Maximize() { SDL_MaximizeWindow(m_window); }
void CNativeWindow::Restore() { SDL_RestoreWindow(m_window); }
void CNativeWindow::BringToFront() { SDL_RaiseWindow(m_window); }
void CNativeWindow::SetClientSize(int width, int height) { SDL_SetWindowSize(m_window, width, height); }

void CNativeWindow::KeepMinimumSize(int width, int height)
{
    // SDL reports the size it takes on for our own request as it reports the
    // window system's (SDL_SetWindowSize posts SIZE_CHANGED itself, and a
    // RESIZED still queued is replaced by one of our size): the first report
    // after our request that carries the size SDL took on is its echo.
    const bool echo = m_asked_size == std::pair { width, height };
    m_asked_size = { -1, -1 };
    if ((SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0)
        return;
    int min_width = 0;
    int min_height = 0;
    SDL_GetWindowMinimumSize(m_window, &min_width, &min_height);
    if (width >= min_width && height >= min_height) {
        // The window system gave a size the window may have: a later size
        // below the minimum is asked back again. The echo of our own request
        // does not count, or a window system insisting on a small size would
        // be answered size for size.
        if (!echo)
            m_refused_size = { -1, -1 };
        return;
    }
    // Asked back once per size: a window system that hands the same size
    // again insists on it, and the window keeps it rather than answer it
    // size for size.
    if (m_refused_size == std::pair { width, height })
        return;
    m_refused_size = { width, height };
    int old_width = 0;
    int old_height = 0;
    GetClientSize(old_width, old_height);
    SDL_SetWindowSize(m_window, std::max(width, min_width), std::max(height, min_height));
    int new_width = 0;
    int new_height = 0;
    GetClientSize(new_width, new_height);
    if (new_width != old_width || new_height != old_height)
        m_asked_size = { new_width, new_height };
}
void CNativeWindow::GetClientSize(int& width, int& height) const { SDL_GetWindowSize(m_window, &width, &height); }
void CNativeWindow::SetPosition(int x, int y) { SDL_SetWindowPosition(m_window, x, y); }
void CNativeWindow::GetPosition(int& x, int& y) const { SDL_GetWindowPosition(m_window, &x, &y); }

bool CNativeWindow::IsMinimized() const
{
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0;
}

bool CNativeWindow::IsMaximized() const
{
    if ((SDL_GetWindowFlags(m_window) & SDL_WINDOW_MAXIMIZED) == 0)
        return false;
    // SDL's mark alone may be only our request (see the header): a window the
    // window system maximised has the usable area of its display, with its
    // frame around it.
    SDL_Rect usable {};
    const int display = SDL_GetWindowDisplayIndex(m_window);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0)
        return false;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    (void)SDL_GetWindowBordersSize(m_window, &top, &left, &bottom, &right); // zero where the driver cannot tell
    int width = 0;
    int height = 0;
    GetClientSize(width, height);
    return left + width + right >= usable.w && top + height + bottom >= usable.h;
}

bool CNativeWindow::FlashIfInBackground()
{
    if (SDL_GetWindowFlags(m_window) & SDL_WINDOW_INPUT_FOCUS)
        return false;
    return SDL_FlashWindow(m_window, SDL_FLASH_BRIEFLY) == 0;
}

void CNativeWindow::EnableTextInput(bool enable)
{
    if (enable)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
}

void CNativeWindow::SetTextInputArea(int x, int y, int width, int height)
{
    SDL_Rect area { x, y, width, height };
    SDL_SetTextInputRect(&area);
}

void CNativeWindow::PostMouse(uint32_t id, uintptr_t wparam, int x, int y)
{
    // Captured, the message goes to the capture window, in its native window's
    // client pixels when it has one. Otherwise this window gets it, after
    // being asked for its cursor as a window under the pointer is.
    int left = 0;
    int top = 0;
    GetPosition(left, top);
    cursor_detail::OnPointerMoved(left + x, top + y);
    WindowHandle target = GetCapture();
    if (target == WindowHandle::None) {
        target = m_target;
        Post(target, WM_SETCURSOR, HandleToParam(target), MakeLongParam(static_cast<int>(HTCLIENT), static_cast<int>(id)));
    } else if (CNativeWindow* owner = FindByTarget(target); owner && owner != this) {
        int to_x = 0;
        int to_y = 0;
        owner->GetPosition(to_x, to_y);
        x += left - to_x;
        y += top - to_y;
    }
    Post(target, id, wparam, MakeLongParam(x, y));
}

bool CNativeWindow::IsVideoThread()
{
    const ThreadId thread = Video().thread;
    return thread != 0 && thread == GetCurrentThreadId();
}

CNativeWindow* CNativeWindow::FindByTarget(WindowHandle target)
{
    for (auto& [id, window] : Video().windows) {
        if (window->m_target == target)
            return window;
    }
    return nullptr;
}

void CNativeWindow::ForEachWindow(const std::function<void(CNativeWindow&)>& visit)
{
    for (auto& [id, window] : Video().windows)
        visit(*window);
}

std::optional<std::pair<int, int>> CNativeWindow::GetDesktopSize()
{
    SDL_DisplayMode mode {};
    if (!StartVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0)
        return std::nullopt;
    return std::make_pair(mode.w, mode.h);
}

std::string CNativeWindow::LastError()
{
    return SDL_GetError();
}

void CNativeWindow::DispatchSdlEvent(const SDL_Event& event)
{
    VideoState& video = Video();
    if (event.type == SDL_QUIT) {
        // The desktop or a signal asks the program to end: every window is asked to close.
        for (auto& [id, window] : video.windows)
            Post(window->m_target, WM_CLOSE);
        return;
    }
    uint32_t window_id = 0;
    switch (event.type) {
    case SDL_WINDOWEVENT: window_id = event.window.windowID; break;
    case SDL_MOUSEMOTION: window_id = event.motion.windowID; break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: window_id = event.button.windowID; break;
    case SDL_MOUSEWHEEL: window_id = event.wheel.windowID; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: window_id = event.key.windowID; break;
    case SDL_TEXTINPUT: window_id = event.text.windowID; break;
    default: return;
    }
    auto it = video.windows.find(window_id);
    if (it == video.windows.end() && video.windows.size() == 1)
        it = video.windows.begin(); // events of no window (keys under some drivers) go to the only one
    if (it != video.windows.end())
        it->second->HandleEvent(event);
}

void CNativeWindow::HandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event);
        break;
    case SDL_MOUSEMOTION:
        PostMouse(WM_MOUSEMOVE, MouseKeyFlags(), event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        HandleMouseButton(event);
        break;
    case SDL_MOUSEWHEEL: {
        int y = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            y = -y;
        int x = 0;
        int cursor_y = 0;
        SDL_GetMouseState(&x, &cursor_y);
        const uintptr_t wparam = (static_cast<uintptr_t>(static_cast<uint16_t>(y * WHEEL_DELTA)) << 16) | MouseKeyFlags();
        Post(m_target, WM_MOUSEWHEEL, wparam, MakeLongParam(x, cursor_y));
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        HandleKey(event);
        break;
    case SDL_TEXTINPUT:
        HandleText(event.text.text);
        break;
    default:
        break;
    }
}

void CNativeWindow::HandleWindowEvent(const SDL_Event& event)
{
    switch (event.window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        Post(m_target, WM_SIZE, SIZE_RESTORED, MakeLongParam(event.window.data1, event.window.data2));
        KeepMinimumSize(event.window.data1, event.window.data2);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        Post(m_target, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        int width = 0;
        int height = 0;
        GetClientSize(width, height);
        const uintptr_t kind = event.window.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
        Post(m_target, WM_SIZE, kind, MakeLongParam(width, height));
        Post(m_target, WM_PAINT);
        break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
        Post(m_target, WM_PAINT);
        break;
    case SDL_WINDOWEVENT_SHOWN:
        Post(m_target, WM_SHOWWINDOW, 1);
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        Post(m_target, WM_SHOWWINDOW, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Post(m_target, WM_ACTIVATE, WA_ACTIVE);
        Post(m_target, WM_SETFOCUS);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        m_buttons = 0;
        cursor_detail::OnFocusLost();
        Post(m_target, WM_ACTIVATE, WA_INACTIVE);
        Post(m_target, WM_KILLFOCUS);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        Post(m_target, WM_MOUSELEAVE);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Post(m_target, WM_CLOSE);
        break;
    default:
        break;
    }
}

void CNativeWindow::HandleMouseButton(const SDL_Event& event)
{
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    const bool double_click = down && event.button.clicks >= 2 && event.button.clicks % 2 == 0;
    uint32_t id = 0;
    uintptr_t flag = 0;
    switch (event.button.button) {
    case SDL_BUTTON_LEFT:
        id = down ? (double_click ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
        flag = MK_LBUTTON;
        break;
    case SDL_BUTTON_RIGHT:
        id = down ? (double_click ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
        flag = MK_RBUTTON;
        break;
    case SDL_BUTTON_MIDDLE:
        id = down ? (double_click ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
        flag = MK_MBUTTON;
        break;
    default:
        return;
    }
    if (down)
        m_buttons |= static_cast<uint32_t>(flag);
    else
        m_buttons &= ~static_cast<uint32_t>(flag);
    PostMouse(id, MouseKeyFlags(), event.button.x, event.button.y);
}

void CNativeWindow::HandleKey(const SDL_Event& event)
{
    const uint32_t vk = VirtualKeyFromSdl(event.key.keysym.sym);
    if (vk == 0)
        return;
    const bool down = event.type == SDL_KEYDOWN;
    const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0 && vk != VK_MENU;
    uint32_t id = down ? WM_KEYDOWN : WM_KEYUP;
    if (alt || vk == VK_F1 + 9) // F10 and Alt combinations are system keys
        id = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    intptr_t lparam = 1;
    if (event.key.repeat)
        lparam |= intptr_t { 1 } << 30;
    if (!down)
        lparam |= (intptr_t { 1 } << 30) | static_cast<intptr_t>(uint32_t { 1 } << 31);
    Post(m_target, id, vk, lparam);
    // The control characters a keyboard types come as characters too.
    if (down && id == WM_KEYDOWN && (vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE))
        Post(m_target, WM_CHAR, vk, lparam);
}

void CNativeWindow::HandleText(const char* utf8)
{
    // One WM_CHAR per GBK byte, character by character, so that one character
    // GBK lacks is left out without losing the rest of the text.
    const std::string_view text(utf8);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t length = 1;
        const auto lead = static_cast<uint8_t>(text[pos]);
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        const std::optional<std::string> gbk = Utf8ToGbk(text.substr(pos, length));
        pos += length;
        if (!gbk)
            continue;
        for (char byte : *gbk)
            Post(m_target, WM_CHAR, static_cast<uint8_t>(byte), 1);
    }
}

uintptr_t CNativeWindow::MouseKeyFlags() const
{
    uintptr_t flags = m_buttons;
    const SDL_Keymod mods = SDL_GetModState();
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

} // namespace platform
