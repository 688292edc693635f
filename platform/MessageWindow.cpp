#include "platform/MessageWindow.h"

namespace platform {

CMessageWindow::~CMessageWindow()
{
    m_receiving->store(false);
    const WindowHandle handle = m_handle.exchange(WindowHandle::None);
    if (handle != WindowHandle::None)
        DestroyWindow(handle);
}

bool CMessageWindow::Create()
{
    if (m_handle.load() != WindowHandle::None)
        return false;
    std::shared_ptr<std::atomic<bool>> receiving = m_receiving;
    const WindowHandle handle = CreateMessageWindow([this, receiving](Message& msg) -> intptr_t {
        if (!receiving->load())
            return 0;
        return WindowProc(msg);
    });
    m_handle.store(handle);
    return handle != WindowHandle::None;
}

void CMessageWindow::Destroy()
{
    const WindowHandle handle = m_handle.load();
    if (handle == WindowHandle::None)
        return;
    if (DestroyWindow(handle))
        m_handle.store(WindowHandle::None);
}

} // namespace platform
