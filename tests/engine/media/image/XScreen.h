#pragma once
// A private X server (Xvfb) and reading its screen for the screenshot tests,
// also pressing the mouse and typing on it (XTest). Kept in its own file: Xlib's macros
// clash with other headers.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

inline constexpr const char* XVFB = "/usr/bin/Xvfb";

// A private X server for one test on a free display, stopped at the end.
class CXvfb {
public:
    // Starts it with a screen of the given geometry ("800x600x24").
    bool Start(const std::string& geometry = "800x600x24");
    void Stop();
    ~CXvfb() { Stop(); }
    [[nodiscard]] const std::string& Name() const { return m_name; }

private:
    pid_t m_pid { -1 };
    std::string m_name;
};

// A window's place on the screen.
struct WindowArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// True when a connection to the display can be made.
bool CanOpenDisplay(const std::string& display);
// The root window's top-left width x height pixels as 0x00RRGGBB; false on failure.
bool ReadScreen(const std::string& display, int width, int height, std::vector<uint32_t>& out);
// The largest window shown on the screen (a top-level window or its child);
// false when none is shown.
bool FindLargestWindow(const std::string& display, WindowArea& out);
// Moves the pointer to the screen point and clicks the left button (XTest).
bool ClickAt(const std::string& display, int x, int y);
// Types the text into the window with the input focus (XTest): lower-case
// letters, digits, spaces and '\n' (Return); false for any other character.
bool TypeText(const std::string& display, const std::string& text);

} // namespace imagetest
