#pragma once
// Reading an X server's screen for the screenshot test (kept in its own file:
// Xlib's macros clash with other headers).
#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

// True when a connection to the display can be made.
bool CanOpenDisplay(const std::string& display);
// The root window's top-left width x height pixels as 0x00RRGGBB; false on failure.
bool ReadScreen(const std::string& display, int width, int height, std::vector<uint32_t>& out);

} // namespace imagetest
