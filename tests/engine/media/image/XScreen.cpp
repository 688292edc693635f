#include "XScreen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace imagetest {

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

} // namespace imagetest
