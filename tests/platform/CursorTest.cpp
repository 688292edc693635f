#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <atomic>
#include <thread>
#include <vector>

#include "Watchdog.h"
#include "WindowFixture.h"
#include "platform/Cursor.h"
#include "platform/Message.h"

using namespace platform;
using platform::testing::CWatchdog;
using platform::testing::Seen;

namespace {

// The cursor state is process-wide: each test leaves it as it found it.
class CursorTest : public platform::testing::NativeWindowFixture {
protected:
    void TearDown() override
    {
        (void)ReleaseCapture();
        (void)ClipCursor(std::nullopt);
        (void)SetCursor(IDC_ARROW);
        NativeWindowFixture::TearDown();
    }

    SDL_Event Motion(int x, int y) const
    {
        SDL_Event event {};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = SdlId();
        event.motion.x = x;
        event.motion.y = y;
        return event;
    }
    // The mouse messages (and their order) another window received.
    static WindowHandle CreateRecorder(std::vector<Seen>& seen)
    {
        return CreateMessageWindow([&seen](Message& msg) -> intptr_t {
            seen.push_back({ msg.id, msg.wparam, msg.lparam });
            return 0;
        });
    }
    static size_t Count(const std::vector<Seen>& seen, uint32_t id)
    {
        size_t count = 0;
        for (const Seen& one : seen)
            count += one.id == id ? 1 : 0;
        return count;
    }
};

std::vector<uint8_t> Square(int side)
{
    return std::vector<uint8_t>(static_cast<size_t>(side * side * 4), 0xFF);
}

} // namespace

TEST(Cursor, ShapesAreCheckedAndMadeCursorsFreed)
{
    EXPECT_EQ(LoadSystemCursor(static_cast<uint32_t>(IDC_HAND)), IDC_HAND);
    EXPECT_EQ(LoadSystemCursor(12345), 0u);

    const std::vector<uint8_t> pixels = Square(16);
    EXPECT_EQ(CreateCursorFromPixels(nullptr, 16, 16, 64, 0, 0), 0u);
    EXPECT_EQ(CreateCursorFromPixels(pixels.data(), 0, 16, 64, 0, 0), 0u);
    EXPECT_EQ(CreateCursorFromPixels(pixels.data(), 257, 1, 257 * 4, 0, 0), 0u);
    EXPECT_EQ(CreateCursorFromPixels(pixels.data(), 16, 16, 60, 0, 0), 0u);  // pitch below a row
    EXPECT_EQ(CreateCursorFromPixels(pixels.data(), 16, 16, 64, 16, 0), 0u); // hot spot outside
    EXPECT_EQ(CreateCursorFromPixels(pixels.data(), 16, 16, 64, 0, -1), 0u);

    const CursorHandle made = CreateCursorFromPixels(pixels.data(), 16, 16, 64, 3, 4);
    const CursorHandle other = CreateCursorFromPixels(pixels.data(), 8, 8, 64, 0, 0);
    ASSERT_NE(made, 0u);
    ASSERT_NE(other, 0u);
    EXPECT_NE(made, other);
    EXPECT_FALSE(LoadSystemCursor(static_cast<uint32_t>(made)));

    const CursorHandle before = SetCursor(IDC_HAND);
    EXPECT_EQ(GetCursor(), IDC_HAND);
    EXPECT_EQ(SetCursor(777), 0u); // unknown: nothing changes
    EXPECT_EQ(GetCursor(), IDC_HAND);
    EXPECT_EQ(SetCursor(made), IDC_HAND);
    EXPECT_EQ(GetCursor(), made);

    // Freeing the current cursor puts the arrow back; a freed handle is unknown.
    EXPECT_TRUE(DestroyCursor(made));
    EXPECT_EQ(GetCursor(), IDC_ARROW);
    EXPECT_FALSE(DestroyCursor(made));
    EXPECT_EQ(SetCursor(made), 0u);
    EXPECT_TRUE(DestroyCursor(other));
    EXPECT_TRUE(DestroyCursor(IDC_HAND)); // shared: nothing to free
    EXPECT_EQ(LoadSystemCursor(static_cast<uint32_t>(IDC_HAND)), IDC_HAND);
    (void)SetCursor(before);
}

TEST_F(CursorTest, DisplayCountAndNoCursorHideItOnTheScreen)
{
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_EQ(ShowCursor(false), -2);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(true), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE); // hidden until the count is back at 0
    EXPECT_EQ(ShowCursor(true), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    (void)SetCursor(0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    (void)SetCursor(IDC_HAND);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    // Where the driver has cursors (a desktop), the hand is really shown.
    if (SDL_Cursor* probe = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND)) {
        SDL_FreeCursor(probe);
        SDL_Cursor* hand = SDL_GetCursor();
        EXPECT_NE(hand, SDL_GetDefaultCursor());
        (void)SetCursor(0);
        (void)SetCursor(IDC_HAND);
        EXPECT_EQ(SDL_GetCursor(), hand);
        (void)SetCursor(IDC_ARROW);
        EXPECT_NE(SDL_GetCursor(), hand);
        // A made cursor freed while shown gives way to the arrow on the screen too.
        const std::vector<uint8_t> pixels = Square(8);
        const CursorHandle made = CreateCursorFromPixels(pixels.data(), 8, 8, 32, 0, 0);
        (void)SetCursor(made);
        SDL_Cursor* made_shown = SDL_GetCursor();
        EXPECT_NE(made_shown, hand);
        EXPECT_TRUE(DestroyCursor(made));
        EXPECT_NE(SDL_GetCursor(), made_shown);
        (void)SetCursor(IDC_HAND);
        EXPECT_EQ(SDL_GetCursor(), hand);
        (void)SetCursor(IDC_ARROW);
    }
}

TEST_F(CursorTest, CaptureMovesBetweenWindowsWithNotices)
{
    CWatchdog watchdog(20000);
    std::vector<Seen> first_seen;
    std::vector<Seen> second_seen;
    const WindowHandle first = CreateRecorder(first_seen);
    const WindowHandle second = CreateRecorder(second_seen);

    EXPECT_EQ(SetCapture(WindowHandle::None), WindowHandle::None);
    EXPECT_EQ(GetCapture(), WindowHandle::None);
    EXPECT_FALSE(ReleaseCapture());

    EXPECT_EQ(SetCapture(first), WindowHandle::None);
    EXPECT_EQ(GetCapture(), first);
    EXPECT_EQ(SetCapture(first), first); // again: no notice to itself
    EXPECT_EQ(SetCapture(second), first);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), WindowHandle::None);
    EXPECT_FALSE(ReleaseCapture());
    Pump(20);
    ASSERT_EQ(Count(first_seen, WM_CAPTURECHANGED), 1u);
    ASSERT_EQ(Count(second_seen, WM_CAPTURECHANGED), 1u);
    for (const Seen& seen : first_seen) {
        if (seen.id == WM_CAPTURECHANGED) {
            EXPECT_EQ(seen.lparam, static_cast<intptr_t>(HandleToParam(second)));
        }
    }

    // A window of another thread cannot take it; a destroyed one loses it quietly.
    std::atomic<WindowHandle> foreign { WindowHandle::None };
    std::thread([&foreign] {
        foreign = CreateMessageWindow([](Message&) -> intptr_t { return 0; });
        EXPECT_EQ(SetCapture(foreign), WindowHandle::None);
        (void)DestroyWindow(foreign);
    }).join();
    (void)SetCapture(first);
    std::thread([first] { EXPECT_EQ(SetCapture(first), WindowHandle::None); }).join();
    EXPECT_EQ(GetCapture(), first);
    EXPECT_TRUE(DestroyWindow(first));
    EXPECT_EQ(GetCapture(), WindowHandle::None);
    EXPECT_FALSE(ReleaseCapture());
    EXPECT_TRUE(DestroyWindow(second));
}

TEST_F(CursorTest, TheCaptureWindowGetsTheMouse)
{
    CWatchdog watchdog(20000);
    Pump(20);
    m_seen.clear();
    std::vector<Seen> captor_seen;
    const WindowHandle captor = CreateRecorder(captor_seen);

    // Not captured: the window under the pointer is asked for its cursor first.
    PushEvent(Motion(5, 6));
    Pump(20);
    ASSERT_GE(Take(WM_SETCURSOR).size(), 1u);
    EXPECT_EQ(Take(WM_SETCURSOR)[0].wparam, HandleToParam(m_handle));
    EXPECT_EQ(Take(WM_SETCURSOR)[0].lparam, MakeLongParam(static_cast<int>(HTCLIENT), static_cast<int>(WM_MOUSEMOVE)));
    EXPECT_FALSE(Take(WM_MOUSEMOVE).empty());

    // Captured: moves, also from outside the client area, go to the captor as they are.
    (void)SetCapture(captor);
    m_seen.clear();
    PushEvent(Motion(-30, 250));
    Pump(20);
    EXPECT_TRUE(Take(WM_MOUSEMOVE).empty());
    EXPECT_TRUE(Take(WM_SETCURSOR).empty());
    bool outside_seen = false;
    for (const Seen& seen : captor_seen)
        outside_seen |= seen.id == WM_MOUSEMOVE && seen.lparam == MakeLongParam(-30, 250);
    EXPECT_TRUE(outside_seen);

    // Losing the focus ends the capture, with a notice.
    SDL_Event focus {};
    focus.type = SDL_WINDOWEVENT;
    focus.window.windowID = SdlId();
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    PushEvent(focus);
    Pump(20);
    EXPECT_EQ(GetCapture(), WindowHandle::None);
    EXPECT_EQ(Count(captor_seen, WM_CAPTURECHANGED), 1u);
    EXPECT_TRUE(DestroyWindow(captor));
}

TEST(Cursor, NoPointerPositionWithoutVideo)
{
    int x = 3;
    int y = 4;
    std::thread([&x, &y] { EXPECT_FALSE(GetCursorPos(x, y)); }).join();
    EXPECT_EQ(x, 3);
}

TEST_F(CursorTest, CaptureEndsWithItsNativeWindow)
{
    EXPECT_EQ(SetCapture(m_handle), WindowHandle::None);
    m_window.reset();
    EXPECT_EQ(GetCapture(), WindowHandle::None);
    Pump(20);
    EXPECT_TRUE(Take(WM_CAPTURECHANGED).empty()); // the window was going: no notice
}

TEST_F(CursorTest, ClipRectangleIsKeptInScreenPixels)
{
    EXPECT_FALSE(ClipCursor(ScreenRect { 10, 10, 10, 20 })); // empty
    EXPECT_FALSE(ClipCursor(ScreenRect { 10, 30, 20, 20 }));
    EXPECT_EQ(GetClipCursor(), std::nullopt);

    m_window->SetPosition(100, 50);
    int left = 0;
    int top = 0;
    m_window->GetPosition(left, top);
    int x = 7;
    int y = 9;
    ASSERT_TRUE(ClientToScreen(m_handle, x, y));
    EXPECT_EQ(x, left + 7);
    EXPECT_EQ(y, top + 9);

    const ScreenRect rect { left + 10, top + 20, left + 110, top + 70 };
    ASSERT_TRUE(ClipCursor(rect));
    EXPECT_EQ(GetClipCursor(), rect);
    const SDL_Rect* confined = SDL_GetWindowMouseRect(m_window->GetSdlWindow());
    ASSERT_NE(confined, nullptr);
    EXPECT_EQ(confined->x, 10);
    EXPECT_EQ(confined->y, 20);
    EXPECT_EQ(confined->w, 100);
    EXPECT_EQ(confined->h, 50);

    // The saved rectangle restores what was before: here, a free cursor.
    ASSERT_TRUE(ClipCursor(std::nullopt));
    EXPECT_EQ(GetClipCursor(), std::nullopt);
    EXPECT_EQ(SDL_GetWindowMouseRect(m_window->GetSdlWindow()), nullptr);

    // The pointer over the window is found in screen pixels.
    SDL_WarpMouseInWindow(m_window->GetSdlWindow(), 15, 25); // a desktop moves its pointer
    PushEvent(Motion(15, 25));                                  // a headless driver only hears of it
    Pump(20);
    int pointer_x = 0;
    int pointer_y = 0;
    ASSERT_TRUE(GetCursorPos(pointer_x, pointer_y));
    EXPECT_EQ(pointer_x, left + 15);
    EXPECT_EQ(pointer_y, top + 25);

    const WindowHandle plain = CreateMessageWindow([](Message&) -> intptr_t { return 0; });
    x = 1;
    EXPECT_FALSE(ClientToScreen(plain, x, y));
    EXPECT_EQ(x, 1);
    EXPECT_TRUE(DestroyWindow(plain));
}
