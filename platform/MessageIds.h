#pragma once
// Message ids of the message system, and the flag and key values that travel
// in their parameters. Window messages keep the numbers the client's code and
// its peers (the hall) know them by; private messages start at WM_USER.
//
// Parameters of the input messages, as the handlers read them:
//  - WM_SIZE: wparam SIZE_*, lparam MakeLongParam(width, height);
//  - mouse messages: wparam MK_* flags, lparam MakeLongParam(x, y) in client
//    pixels (signed 16-bit each); WM_MOUSEWHEEL: high word of wparam the signed
//    distance (WHEEL_DELTA per notch, positive away from the user), low word
//    the MK_* flags, lparam the cursor in client pixels;
//  - WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/UP while Alt is held): wparam the VK_*
//    code, lparam the repeat count 1, bit 30 set on an auto-repeat, bit 31 on key up;
//  - WM_CHAR: wparam one byte of GBK text: a two-byte character arrives as two
//    WM_CHAR messages, lead byte first, as a double-byte system sends them;
//    Backspace, Tab, Enter and Escape also give WM_CHAR 0x08, 0x09, 0x0D, 0x1B;
//  - WM_SETCURSOR, before each mouse message of a window not under capture:
//    wparam the window, lparam MakeLongParam(HTCLIENT, the mouse message id);
//  - WM_CAPTURECHANGED (posted) to the window losing the capture: lparam the new one;
//  - WM_SETFOCUS/WM_KILLFOCUS, WM_ACTIVATE (wparam WA_*), WM_CLOSE, WM_PAINT: no parameters.

#include <cstdint>

namespace platform {

inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_CREATE = 0x0001;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_MOVE = 0x0003;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_SETFOCUS = 0x0007;
inline constexpr uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_MOUSEACTIVATE = 0x0021;
inline constexpr uint32_t WM_GETMINMAXINFO = 0x0024;
inline constexpr uint32_t WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr uint32_t WM_COPYDATA = 0x004A;
inline constexpr uint32_t WM_SETICON = 0x0080;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
inline constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_APP = 0x8000;

// WM_SIZE kinds.
inline constexpr uintptr_t SIZE_RESTORED = 0;
inline constexpr uintptr_t SIZE_MINIMIZED = 1;
inline constexpr uintptr_t SIZE_MAXIMIZED = 2;

// WM_SETCURSOR hit-test code (low word of lparam) for the client area.
inline constexpr uintptr_t HTCLIENT = 1;

// WM_ACTIVATE kinds.
inline constexpr uintptr_t WA_INACTIVE = 0;
inline constexpr uintptr_t WA_ACTIVE = 1;

// Mouse-message key flags.
inline constexpr uintptr_t MK_LBUTTON = 0x0001;
inline constexpr uintptr_t MK_RBUTTON = 0x0002;
inline constexpr uintptr_t MK_SHIFT = 0x0004;
inline constexpr uintptr_t MK_CONTROL = 0x0008;
inline constexpr uintptr_t MK_MBUTTON = 0x0010;
inline constexpr int WHEEL_DELTA = 120;

// Virtual-key codes. Letters and digits are their ASCII capitals ('A', '0').
inline constexpr uint32_t VK_LBUTTON = 0x01;
inline constexpr uint32_t VK_RBUTTON = 0x02;
inline constexpr uint32_t VK_MBUTTON = 0x04;
inline constexpr uint32_t VK_BACK = 0x08;
inline constexpr uint32_t VK_TAB = 0x09;
inline constexpr uint32_t VK_RETURN = 0x0D;
inline constexpr uint32_t VK_SHIFT = 0x10;
inline constexpr uint32_t VK_CONTROL = 0x11;
inline constexpr uint32_t VK_MENU = 0x12;
inline constexpr uint32_t VK_PAUSE = 0x13;
inline constexpr uint32_t VK_CAPITAL = 0x14;
inline constexpr uint32_t VK_ESCAPE = 0x1B;
inline constexpr uint32_t VK_SPACE = 0x20;
inline constexpr uint32_t VK_PRIOR = 0x21;
inline constexpr uint32_t VK_NEXT = 0x22;
inline constexpr uint32_t VK_END = 0x23;
inline constexpr uint32_t VK_HOME = 0x24;
inline constexpr uint32_t VK_LEFT = 0x25;
inline constexpr uint32_t VK_UP = 0x26;
inline constexpr uint32_t VK_RIGHT = 0x27;
inline constexpr uint32_t VK_DOWN = 0x28;
inline constexpr uint32_t VK_SNAPSHOT = 0x2C;
inline constexpr uint32_t VK_INSERT = 0x2D;
inline constexpr uint32_t VK_DELETE = 0x2E;
inline constexpr uint32_t VK_NUMPAD0 = 0x60;
inline constexpr uint32_t VK_MULTIPLY = 0x6A;
inline constexpr uint32_t VK_ADD = 0x6B;
inline constexpr uint32_t VK_SUBTRACT = 0x6D;
inline constexpr uint32_t VK_DECIMAL = 0x6E;
inline constexpr uint32_t VK_DIVIDE = 0x6F;
inline constexpr uint32_t VK_F1 = 0x70; // VK_F1 + n - 1 for Fn, up to F12
inline constexpr uint32_t VK_NUMLOCK = 0x90;
inline constexpr uint32_t VK_SCROLL = 0x91;
inline constexpr uint32_t VK_OEM_1 = 0xBA;      // ;:
inline constexpr uint32_t VK_OEM_PLUS = 0xBB;   // =+
inline constexpr uint32_t VK_OEM_COMMA = 0xBC;  // ,<
inline constexpr uint32_t VK_OEM_MINUS = 0xBD;  // -_
inline constexpr uint32_t VK_OEM_PERIOD = 0xBE; // .>
inline constexpr uint32_t VK_OEM_2 = 0xBF;      // /?
inline constexpr uint32_t VK_OEM_3 = 0xC0;      // `~
inline constexpr uint32_t VK_OEM_4 = 0xDB;      // [{
inline constexpr uint32_t VK_OEM_5 = 0xDC;      // \|
inline constexpr uint32_t VK_OEM_6 = 0xDD;      // ]}
inline constexpr uint32_t VK_OEM_7 = 0xDE;      // '"

// Two 16-bit halves packed into a parameter, and taken apart again.
[[nodiscard]] constexpr intptr_t MakeLongParam(int low, int high)
{
    return static_cast<intptr_t>(static_cast<int32_t>(
        (static_cast<uint32_t>(static_cast<uint16_t>(low))) |
        (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16)));
}
[[nodiscard]] constexpr uint16_t LowWord(uintptr_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
[[nodiscard]] constexpr uint16_t HighWord(uintptr_t value) { return static_cast<uint16_t>((value >> 16) & 0xFFFF); }
// Signed halves, for coordinates and wheel distances.
[[nodiscard]] constexpr int LowSigned(uintptr_t value) { return static_cast<int16_t>(LowWord(value)); }
[[nodiscard]] constexpr int HighSigned(uintptr_t value) { return static_cast<int16_t>(HighWord(value)); }

} // namespace platform
