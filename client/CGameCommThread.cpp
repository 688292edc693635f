#include "client/CGameCommThread.h"

#include "client/CGameApp.h"
#include "net/CommRecords.h"
#include "net/NetLog.h"
#include "net/NetMessages.h"

#include <SDL.h>

namespace client {

CGameCommThread::~CGameCommThread()
{
    Stop();
}

bool CGameCommThread::Start()
{
    if (m_thread.joinable())
        return true;
    m_ready.Reset();
    m_ended.Reset();
    m_thread = std::thread([this] { Run(); });
    // The queue exists before anybody posts to it.
    (void)m_ready.Wait();
    return m_thread_id.load() != 0;
}

void CGameCommThread::Stop()
{
    if (!m_thread.joinable())
        return;
    const platform::ThreadId thread = m_thread_id.load();
    if (thread != 0)
        (void)platform::PostThreadMessage(thread, UM_COMM_QUIT);
    if (!m_ended.Wait(STOP_WAIT_MS))
        net::LogPrintf("the communication thread did not end within %u ms", STOP_WAIT_MS);
    m_thread.join();
    m_thread_id.store(0);
}

void CGameCommThread::ShowTextFor(const std::string& text, uint32_t seconds)
{
    const platform::ThreadId thread = m_thread_id.load();
    if (thread != 0)
        (void)platform::PostThreadMessage(thread, UM_COMM_WAIT_TEXT, 0, static_cast<intptr_t>(seconds),
                                          std::make_unique<platform::ValuePayload<std::string>>(text));
}

void CGameCommThread::Hide()
{
    const platform::ThreadId thread = m_thread_id.load();
    if (thread != 0)
        (void)platform::PostThreadMessage(thread, UM_COMM_WAIT_TEXT);
}

void CGameCommThread::SetTarget(platform::WindowHandle window)
{
    const platform::ThreadId thread = m_thread_id.load();
    if (thread != 0)
        (void)platform::PostThreadMessage(thread, UM_COMM_SET_TARGET, platform::HandleToParam(window));
}

void CGameCommThread::Run()
{
    m_target = platform::WindowHandle::None;
    const bool opened = m_dialog.Open(m_skin_ini_path);
    m_thread_id.store(opened ? platform::GetCurrentThreadId() : 0);
    m_ready.Set();
    if (opened)
        (void)platform::RunMessageLoop([this](platform::Message& msg) { OnThreadMessage(msg); });
    m_dialog.Destroy();
    // The dialog's background is decoded by SDL on this thread, which keeps
    // per-thread state (its error text) for it; SDL frees that only for
    // threads it started itself.
    SDL_TLSCleanup();
    m_ended.Set();
}

void CGameCommThread::OnThreadMessage(platform::Message& msg)
{
    switch (msg.id) {
    case UM_COMM_SET_TARGET:
        m_target = platform::HandleFromParam(msg.wparam);
        m_dialog.SetDrawingWindow(m_target);
        break;
    case UM_COMM_QUIT:
        m_dialog.Destroy();
        platform::PostQuitMessage(0);
        break;
    case net::UM_COMM_MESSAGE:
        // The records travel on in their payload; PostMessage frees them
        // when the target is gone.
        if (!platform::IsWindow(m_target) ||
            !platform::PostMessage(m_target, net::UM_COMM_MESSAGE, msg.wparam, msg.lparam, std::move(msg.payload)))
            ++m_dropped;
        break;
    case UM_COMM_WAIT_TEXT:
        if (const auto* text = msg.PayloadAs<platform::ValuePayload<std::string>>())
            m_dialog.ShowText(text->value, static_cast<uint32_t>(msg.lparam));
        else
            m_dialog.Hide();
        break;
    default:
        break;
    }
}

} // namespace client
