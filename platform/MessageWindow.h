#pragma once
// Base for objects that own a window of the message system: the derived class
// overrides WindowProc; the window is destroyed with the object.
//
// Owner: the creating code (usually through std::unique_ptr).
// Threads: Create, Destroy and the destructor run on the thread that owns the
// window; GetHandle may be read anywhere (to post to it).
// Hazards: destroy the object on its own thread. Destroyed on another thread,
// its window is only switched off (messages to it are dropped) until that
// thread ends. WM_DESTROY reaches WindowProc only through Destroy(): the
// destructor cannot call into a derived class that is already gone, so a
// derived class that needs WM_DESTROY calls Destroy() in its own destructor.

#include <atomic>
#include <memory>

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
    // Shared with the window's handler, which stops calling WindowProc once it is false.
    std::shared_ptr<std::atomic<bool>> m_receiving { std::make_shared<std::atomic<bool>>(true) };
};

} // namespace platform
