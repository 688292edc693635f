#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TimerProbe.h"
#include "WindowFixture.h"
#include "Watchdog.h"
#include "platform/Clipboard.h"
#include "platform/KeyMap.h"
#include "platform/Message.h"
#include "platform/Tick.h"
#include "platform/Window.h"

using namespace platform;
using platform::testing::CWatchdog;

using WindowTest = platform::testing::NativeWindowFixture;
using platform::testing::Seen;

TEST_F(WindowTest, StartsWithSizeAndPaintAndShowsBitmaps)
{
    CWatchdog watchdog(20000);
    Pump();
    const auto sizes = Take(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(LowWord(static_cast<uintptr_t>(sizes.front().lparam)), 320);
    EXPECT_EQ(HighWord(static_cast<uintptr_t>(sizes.front().lparam)), 200);
    EXPECT_FALSE(Take(WM_PAINT).empty());

    std::vector<uint32_t> pixels(320 * 200, 0xFF336699u);
    EXPECT_TRUE(m_window->Present(reinterpret_cast<const uint8_t*>(pixels.data()), 320, 200, 320 * 4));
    EXPECT_TRUE(m_window->Present(reinterpret_cast<const uint8_t*>(pixels.data()), 160, 100, 320 * 4));
    EXPECT_FALSE(m_window->Present(reinterpret_cast<const uint8_t*>(pixels.data()), 320, 200, 319 * 4));
    EXPECT_FALSE(m_window->Present(nullptr, 320, 200, 320 * 4));
    EXPECT_FALSE(m_window->Present(reinterpret_cast<const uint8_t*>(pixels.data()), 0, 200, 0));
    // Bytes B, G, R, A in memory: 00 00 FF FF is opaque red on the screen.
    std::vector<uint8_t> red(4 * 8 * 8);
    for (size_t i = 0; i < red.size(); i += 4) {
        red[i + 2] = 0xFF;
        red[i + 3] = 0xFF;
    }
    ASSERT_TRUE(m_window->Present(red.data(), 8, 8, 8 * 4));
    SDL_Surface* surface = SDL_GetWindowSurface(SDL_GetWindowFromID(SdlId()));
    ASSERT_NE(surface, nullptr);
    auto shown = [surface](int x, int y) {
        uint32_t pixel = 0;
        (void)SDL_ConvertPixels(1, 1, surface->format->format,
                                static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch
                                    + x * surface->format->BytesPerPixel,
                                surface->pitch, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
        return pixel & 0x00FFFFFFu;
    };
    EXPECT_EQ(shown(100, 100), 0x00FF0000u); // stretched over the whole window
    // Only the changed rectangles are copied (clipped to the bitmap); the
    // rest keeps what was shown.
    std::vector<uint32_t> blue(320 * 200, 0xFF0000FFu);
    const PixelRect changed[] = { { 10, 20, 30, 40 }, { 300, 190, 400, 300 }, { 50, 50, 40, 60 } };
    ASSERT_TRUE(m_window->Present(reinterpret_cast<const uint8_t*>(blue.data()), 320, 200, 320 * 4, changed));
    const std::vector<std::tuple<int, int, uint32_t>> expected = {
        { 10, 20, 0x0000FFu }, { 29, 39, 0x0000FFu }, { 30, 39, 0xFF0000u }, { 9, 20, 0xFF0000u },
        { 319, 199, 0x0000FFu }, { 299, 199, 0xFF0000u }, { 45, 55, 0xFF0000u },
    };
    for (const auto& [x, y, colour] : expected)
        EXPECT_EQ(shown(x, y), colour) << x << "," << y;
    EXPECT_TRUE(m_window->SetTitle("ok"));
    EXPECT_FALSE(m_window->SetTitle("\xFF\xFF"));
}

TEST_F(WindowTest, MouseEventsBecomeMouseMessages)
{
    CWatchdog watchdog(20000);
    SDL_Event event {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = SdlId();
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = SDL_PRESSED;
    event.button.clicks = 1;
    event.button.x = 10;
    event.button.y = 20;
    PushEvent(event);
    event.type = SDL_MOUSEBUTTONUP;
    event.button.state = SDL_RELEASED;
    PushEvent(event);
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.state = SDL_PRESSED;
    event.button.clicks = 2;
    PushEvent(event);
    SDL_Event motion {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SdlId();
    motion.motion.x = -3;
    motion.motion.y = 40;
    PushEvent(motion);
    SDL_Event wheel {};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = SdlId();
    wheel.wheel.y = -1;
    PushEvent(wheel);
    Pump();

    ASSERT_EQ(Take(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Take(WM_LBUTTONDOWN)[0].lparam, MakeLongParam(10, 20));
    EXPECT_EQ(Take(WM_LBUTTONUP).size(), 1u);
    ASSERT_EQ(Take(WM_LBUTTONDBLCLK).size(), 1u);
    // On a real desktop the pointer may add moves of its own; ours is the one at (-3, 40).
    const auto moves = Take(WM_MOUSEMOVE);
    const auto ours = std::find_if(moves.begin(), moves.end(),
                                   [](const Seen& seen) { return seen.lparam == MakeLongParam(-3, 40); });
    ASSERT_NE(ours, moves.end());
    EXPECT_EQ(ours->wparam & MK_LBUTTON, MK_LBUTTON); // still held after the double click
    EXPECT_EQ(LowSigned(static_cast<uintptr_t>(ours->lparam)), -3);
    ASSERT_EQ(Take(WM_MOUSEWHEEL).size(), 1u);
    EXPECT_EQ(HighSigned(Take(WM_MOUSEWHEEL)[0].wparam), -WHEEL_DELTA);
}

TEST_F(WindowTest, KeysAndTextBecomeKeyMessagesAndGbkBytes)
{
    CWatchdog watchdog(20000);
    SDL_Event key {};
    key.type = SDL_KEYDOWN;
    key.key.windowID = SdlId();
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = SDLK_a;
    PushEvent(key);
    key.key.repeat = 1;
    PushEvent(key);
    key.type = SDL_KEYUP;
    key.key.repeat = 0;
    key.key.state = SDL_RELEASED;
    PushEvent(key);
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_RETURN;
    PushEvent(key);
    SDL_Event text {};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = SdlId();
    // "a", a Chinese character, a character GBK lacks, then "b".
    std::snprintf(text.text.text, sizeof text.text.text, "a\xE4\xB8\xAD\xF0\x9F\x98\x80" "b");
    PushEvent(text);
    Pump();

    const auto downs = Take(WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0].wparam, static_cast<uintptr_t>('A'));
    EXPECT_EQ(downs[0].lparam & (intptr_t { 1 } << 30), 0);
    EXPECT_NE(downs[1].lparam & (intptr_t { 1 } << 30), 0);
    EXPECT_EQ(downs[2].wparam, VK_RETURN);
    EXPECT_EQ(Take(WM_KEYUP).size(), 1u);
    std::vector<uintptr_t> chars;
    for (const Seen& seen : Take(WM_CHAR))
        chars.push_back(seen.wparam);
    EXPECT_EQ(chars, (std::vector<uintptr_t>{ 0x0D, 'a', 0xD6, 0xD0, 'b' }));
}

TEST_F(WindowTest, WindowEventsBecomeWindowMessages)
{
    CWatchdog watchdog(20000);
    Pump();
    m_seen.clear();
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480);
    PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    Pump();
    ASSERT_EQ(Take(WM_SETFOCUS).size(), 1u);
    ASSERT_EQ(Take(WM_KILLFOCUS).size(), 1u);
    const auto sizes = Take(WM_SIZE);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].lparam, MakeLongParam(640, 480));
    EXPECT_EQ(sizes[1].wparam, SIZE_MINIMIZED);
    EXPECT_EQ(Take(WM_CLOSE).size(), 1u);
}

TEST_F(WindowTest, ASizeBelowTheMinimumIsAskedBackOnceAndKeptWhenInsistedOn)
{
    CWatchdog watchdog(20000);
    SDL_Window* sdl = SDL_GetWindowFromID(SdlId());
    auto size = [&] {
        int width = 0;
        int height = 0;
        m_window->GetClientSize(width, height);
        return std::pair { width, height };
    };
    // Without a window manager a size below the minimum is what an outside
    // tool made of the window: it is told, then asked back to the minimum.
    // The sizes come from the window system; the minimum only falls, so that
    // a request shows in the window's size (asking for the size the window
    // has changes nothing) and SDL never grows the window itself.
    struct Step {
        int min_width;
        std::pair<int, int> given;
        std::pair<int, int> after;
    };
    const Step steps[] = {
        { 300, { 200, 190 }, { 300, 190 } }, // asked back
        { 290, { 200, 190 }, { 300, 190 } }, // the same size again after the request: insisted on, kept
        { 290, { 220, 185 }, { 290, 185 } }, // another size: asked back
        { 290, { 400, 300 }, { 290, 185 } }, // a size the window may have: left alone
        { 280, { 220, 185 }, { 280, 185 } }, // the last small size after it: asked back again
        { 270, { 220, 185 }, { 280, 185 } }, // and once more: insisted on, kept
    };
    Pump();
    m_seen.clear();
    for (const Step& step : steps) {
        SDL_SetWindowMinimumSize(sdl, step.min_width, 180);
        PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, step.given.first, step.given.second);
        Pump();
        EXPECT_EQ(size(), step.after) << step.given.first << " x " << step.given.second;
    }
    ASSERT_FALSE(Take(WM_SIZE).empty());
    EXPECT_EQ(Take(WM_SIZE).front().lparam, MakeLongParam(200, 190));
}

extern char** environ;

namespace {

// A private X server (Xvfb) on a display it picks itself, stopped with the
// object.
class CPrivateXServer {
public:
    CPrivateXServer() = default;
    CPrivateXServer(const CPrivateXServer&) = delete;
    CPrivateXServer& operator=(const CPrivateXServer&) = delete;
    ~CPrivateXServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            (void)::waitpid(m_pid, nullptr, 0);
        }
    }

    // The display's name (":N") once the server accepts connections;
    // std::nullopt when Xvfb is missing or does not start in time.
    std::optional<std::string> Start()
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return std::nullopt;
        std::string fd = std::to_string(ready[1]);
        const char* argv[] = { "Xvfb", "-screen", "0", "800x600x24", "-nolisten", "tcp", "-displayfd", fd.c_str(),
                               nullptr };
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, ready[0]);
        const bool spawned
            = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!spawned)
            m_pid = -1;
        ::close(ready[1]);
        // Xvfb writes the display's number when it is ready; generous for a loaded machine.
        std::string number;
        pollfd readable { ready[0], POLLIN, 0 };
        char c = 0;
        while (spawned && ::poll(&readable, 1, 20000) == 1 && ::read(ready[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(ready[0]);
        if (c != '\n' || number.empty())
            return std::nullopt;
        return ":" + number;
    }

private:
    pid_t m_pid { -1 };
};

} // namespace

// The window on a private X server without a window manager, through SDL's
// X11 driver; skipped without Xvfb.
class X11WindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        const std::optional<std::string> display = m_server.Start();
        if (!display)
            GTEST_SKIP() << "Xvfb is not installed or did not start";
        Replace("DISPLAY", *display);
        Replace("SDL_VIDEODRIVER", "x11");
        WindowTest::SetUp();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        for (const auto& [name, value] : m_replaced) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    void Replace(const std::string& name, const std::string& value)
    {
        const char* old = std::getenv(name.c_str());
        m_replaced.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }
    CPrivateXServer m_server;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_replaced;
};

TEST_F(X11WindowTest, AMaximiseNoWindowManagerCarriesOutLeavesTheWindowUnmaximised)
{
    CWatchdog watchdog(20000);
    Pump();
    // SDL marks the window maximised when asked, and keeps the mark through
    // later sizes; nothing here maximises it.
    m_window->Maximize();
    Pump(200);
    EXPECT_FALSE(m_window->IsMaximized());
    m_window->SetClientSize(400, 300);
    Pump(200);
    EXPECT_FALSE(m_window->IsMaximized());
    // The whole screen (800 x 600) is what a window manager gives a window it maximises.
    m_window->SetClientSize(800, 600);
    Pump(200);
    EXPECT_TRUE(m_window->IsMaximized());
    m_window->Restore();
    EXPECT_FALSE(m_window->IsMaximized());
}

TEST_F(WindowTest, PostsFromOtherThreadsWakeTheLoopWaitingOnSdl)
{
    CWatchdog watchdog(20000, "loop waiting on SDL");
    Pump();
    const WindowHandle target = m_handle;
    std::thread poster([target] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (void)PostMessage(target, WM_USER + 7);
    });
    const uint32_t start = GetTickCount();
    Message msg;
    bool got = false;
    while (!got && GetMessage(msg)) {
        got = msg.id == WM_USER + 7;
        DispatchMessage(msg);
    }
    poster.join();
    EXPECT_TRUE(got);
    EXPECT_LT(TicksBetween(start, GetTickCount()), 2000u);

    // Many posts while the loop is busy do not flood SDL's event queue.
    for (int i = 0; i < 100000; ++i)
        (void)PostMessage(target, WM_USER + 8);
    Pump(20);
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) < 10, true);
}

TEST_F(WindowTest, FlashReportsOnlyAFlashTheScreenMade)
{
    // The headless driver cannot flash: the call says so instead of claiming
    // success, and the window goes on working.
    EXPECT_FALSE(m_window->FlashIfInBackground());
    int width = 0;
    int height = 0;
    m_window->GetClientSize(width, height);
    EXPECT_EQ(width, 320);
}

TEST(NativeWindow, RefusesAForeignOrMissingTarget)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    NativeWindowOptions options;
    EXPECT_EQ(CNativeWindow::Create(WindowHandle::None, options), nullptr);
    const WindowHandle handle = CreateMessageWindow([](Message&) -> intptr_t { return 0; });
    options.width = 0;
    EXPECT_EQ(CNativeWindow::Create(handle, options), nullptr);
    options.width = 10;
    options.title = "\xFF\xFF";
    EXPECT_EQ(CNativeWindow::Create(handle, options), nullptr);
    EXPECT_TRUE(DestroyWindow(handle));
}

TEST(KeyMap, SdlKeysMapToVirtualKeys)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z), static_cast<uint32_t>('Z'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_7), static_cast<uint32_t>('7'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12), VK_F1 + 11);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0), VK_NUMPAD0);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_9), VK_NUMPAD0 + 9);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL), VK_CONTROL);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEDOWN), VK_NEXT);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKQUOTE), VK_OEM_3);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AUDIONEXT), 0u);
}

TEST_F(WindowTest, ClipboardCarriesGbkText)
{
    ASSERT_TRUE(SetClipboardText("copy \xD6\xD0"));
    EXPECT_EQ(GetClipboardText(), "copy \xD6\xD0");
    EXPECT_FALSE(SetClipboardText("\xFF\xFF"));
    EXPECT_EQ(GetClipboardText(), "copy \xD6\xD0"); // a refused text changes nothing
}

TEST(Clipboard, WorksWithoutAWindow)
{
    ASSERT_TRUE(SetClipboardText("abc"));
    EXPECT_EQ(GetClipboardText(), "abc");
}

TEST_F(WindowTest, FiveMillisecondTimerKeepsItsRateWhileWaitingOnSdl)
{
    CWatchdog watchdog(20000, "timer with SDL pump");
    platform::testing::ExpectFiveMillisecondRate(platform::testing::RunTimer(5, 1000));
}
