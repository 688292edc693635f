#pragma once
// Base for objects that own a window of the message system: the derived class
// overrides WindowProc; the window is destroyed with the object.
//
// Owner: the creating code (usually through std::unique_ptr).
// Threads: Create, Destroy and the destructor run on the thread that owns the
// window; GetHandle may be read anywhere (to post to it).
// Hazards: do not destroy the object from inside another window's handler of
// another thread; destroy it on its own thread.

#include <atomic>

#include "platform/Message.h"

namespace platform {

class CMessageWindow {
public:
    CMessageWindow() = default;
    virtual ~CMessageWindow();
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    // Creates the window on the calling thread. False when it already exists.
    bool Create();
    // Destroys the window (WindowProc receives WM_DESTROY). Safe to repeat.
    void Destroy();
    [[nodiscard]] WindowHandle GetHandle() const { return m_handle.load(); }

protected:
    virtual intptr_t WindowProc(Message& msg) = 0;

private:
    std::atomic<WindowHandle> m_handle { WindowHandle::None };
};

} // namespace platform
