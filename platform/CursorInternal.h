#pragma once
// What the native windows (Window.cpp) tell the cursor state (Cursor.cpp).
// Not for use outside platform/. All calls on the SDL video thread.

#include "platform/Message.h"

namespace platform::cursor_detail {

// SDL video has started on this thread: the kept state is shown.
void OnVideoStarted();
// SDL video is about to stop: SDL's cursors are freed while it still can.
void OnVideoStopping();
// A native window bound to `target` is going: its capture ends without notice.
void OnNativeWindowGone(WindowHandle target);
// A native window saw the pointer at this place (screen pixels).
void OnPointerMoved(int screen_x, int screen_y);
// A native window lost the focus: the capture ends (with the usual notice).
void OnFocusLost();

} // namespace platform::cursor_detail
