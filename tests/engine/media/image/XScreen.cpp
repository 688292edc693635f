#include "XScreen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <unistd.h>

#include <filesystem>

#include "platform/Tick.h"

extern char** environ;

namespace imagetest {

bool CXvfb::Start(const std::string& geometry)
{
    for (int display = 90 + int(::getpid() % 500); display < 1100; ++display) {
        const std::string number = std::to_string(display);
        if (std::filesystem::exists(std::string("/tmp/.X11-unix/X") + number)
            || std::filesystem::exists(std::string("/tmp/.X") + number + "-lock"))
            continue;
        m_name = std::string(":") + number;
        std::string name = m_name;
        std::string size = geometry;
        char screen_arg[] = "-screen";
        char screen_number[] = "0";
        char nolisten[] = "-nolisten";
        char tcp[] = "tcp";
        char* argv[] = { const_cast<char*>(XVFB), name.data(), screen_arg, screen_number, size.data(), nolisten, tcp,
                         nullptr };
        if (posix_spawn(&m_pid, XVFB, nullptr, nullptr, argv, environ) != 0)
            return false;
        // Generous: a loaded machine may take seconds to start the server.
        const uint32_t start = platform::GetTickCount();
        while (!platform::HasElapsed(start, platform::GetTickCount(), 20000)) {
            if (CanOpenDisplay(m_name))
                return true;
            ::usleep(20 * 1000);
        }
        Stop();
    }
    return false;
}

void CXvfb::Stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

bool CanOpenDisplay(const std::string& display)
{
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection)
        return false;
    XCloseDisplay(connection);
    return true;
}

bool ReadScreen(const std::string& display, int width, int height, std::vector<uint32_t>& out)
{
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection)
        return false;
    XImage* shot = XGetImage(connection, DefaultRootWindow(connection), 0, 0, unsigned(width), unsigned(height),
                             AllPlanes, ZPixmap);
    if (!shot) {
        XCloseDisplay(connection);
        return false;
    }
    out.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[size_t(y) * size_t(width) + size_t(x)] = uint32_t(XGetPixel(shot, x, y)) & 0xFFFFFF;
    XDestroyImage(shot);
    XCloseDisplay(connection);
    return true;
}

namespace {

// A window that goes while it is looked at is skipped, not fatal.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

void FindLargest(Display* connection, Window window, int depth, WindowArea& best)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(connection, window, &root, &parent, &children, &count))
        return;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes {};
        if (!XGetWindowAttributes(connection, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        int x = 0;
        int y = 0;
        Window child = 0;
        (void)XTranslateCoordinates(connection, children[i], root, 0, 0, &x, &y, &child);
        if (attributes.width * attributes.height > best.width * best.height)
            best = { x, y, attributes.width, attributes.height };
        if (depth < 2)
            FindLargest(connection, children[i], depth + 1, best);
    }
    if (children)
        XFree(children);
}

} // namespace

bool FindLargestWindow(const std::string& display, WindowArea& out)
{
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection)
        return false;
    XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
    WindowArea best;
    FindLargest(connection, DefaultRootWindow(connection), 0, best);
    XSync(connection, False);
    XSetErrorHandler(previous);
    XCloseDisplay(connection);
    out = best;
    return best.width > 0;
}

namespace {

// A connection to the display that has the XTest extension; null without.
Display* OpenWithXTest(const std::string& display)
{
    Display* connection = XOpenDisplay(display.c_str());
    int event_base = 0;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (connection != nullptr && !XTestQueryExtension(connection, &event_base, &error_base, &major, &minor)) {
        XCloseDisplay(connection);
        return nullptr;
    }
    return connection;
}

} // namespace

bool ClickAt(const std::string& display, int x, int y)
{
    Display* connection = OpenWithXTest(display);
    if (!connection)
        return false;
    const bool ok = XTestFakeMotionEvent(connection, DefaultScreen(connection), x, y, 0)
        && XTestFakeButtonEvent(connection, 1, True, 50) && XTestFakeButtonEvent(connection, 1, False, 50);
    XSync(connection, False);
    XCloseDisplay(connection);
    return ok;
}

bool TypeText(const std::string& display, const std::string& text)
{
    Display* connection = OpenWithXTest(display);
    if (!connection)
        return false;
    bool ok = true;
    const auto press = [&](KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(connection, symbol);
        ok = ok && code != 0 && XTestFakeKeyEvent(connection, code, True, 20)
            && XTestFakeKeyEvent(connection, code, False, 20);
    };
    for (const char c : text) {
        if (c == '\n') {
            press(XK_Return);
            continue;
        }
        const char name[2] = { c, 0 };
        const bool lower = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        press(c == ' ' ? XK_space : lower ? XStringToKeysym(name) : NoSymbol);
    }
    XSync(connection, False);
    XCloseDisplay(connection);
    return ok;
}

} // namespace imagetest
