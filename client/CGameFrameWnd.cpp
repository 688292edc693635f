#include "client/CGameFrameWnd.h"

#include <cstdio>

#include "client/CGameApp.h"
#include "client/ClientText.h"
#include "client/HallRecords.h"
#include "engine/core/GuiContainer.h"
#include "net/NetLog.h"

namespace client {

CGameFrameWnd::CGameFrameWnd(CGameApp& app) : m_app(app) {}

CGameFrameWnd::~CGameFrameWnd()
{
    // The endpoint's thread sends to this window: it stops first.
    m_endpoint.reset();
    Destroy();
}

int CGameFrameWnd::Create(const platform::NativeWindowOptions& options)
{
    if (engine::CVelotrixWnd::Create(options) == 0)
        return 0;
    m_remote_handle = platform::MakeProcessRemoteHandle();
    const platform::WindowHandle self = GetHandle();
    // The hall sends this window nothing but copy-data records.
    m_endpoint = platform::CRemoteWindowEndpoint::Open(m_remote_handle, [self](platform::Message& msg) -> intptr_t {
        if (msg.id != platform::WM_COPYDATA)
            return 0;
        return platform::TrySendMessage(self, platform::WM_COPYDATA, msg.wparam, msg.lparam).value_or(0);
    });
    if (!m_endpoint)
        net::LogPrintf("the main window's endpoint %u could not be opened", m_remote_handle);
    platform::SetTimer(self, TIMER_HALL_WATCH, HALL_WATCH_MS);
    return 1;
}

bool CGameFrameWnd::StartNoticeTimer(int32_t seconds)
{
    if (seconds <= 0)
        return false;
    return platform::SetTimer(GetHandle(), TIMER_NOTICE, static_cast<uint32_t>(seconds) * 1000u) != 0;
}

void CGameFrameWnd::OnPlayerQuit(std::span<const uint8_t> record)
{
    if (record.size() < 16)
        return;
    const int32_t chair = detail::LoadI32(record.data() + 12);
    char text[256];
    std::snprintf(text, sizeof(text), "%s已经退出,游戏结束。", m_app.Records().GetSeatDisplayName(chair).c_str());
    if (m_app.Links().wait_dialog)
        m_app.Links().wait_dialog->ShowText(text);
    platform::SetTimer(GetHandle(), TIMER_QUIT_CLOSE, QUIT_CLOSE_MS);
}

intptr_t CGameFrameWnd::WindowProc(platform::Message& msg)
{
    switch (msg.id) {
    case platform::WM_TIMER:
        OnTimer(msg.wparam);
        break;
    case UM_GAME_INIT_DONE:
        OnGameInitDone();
        return 0;
    case platform::WM_CLOSE:
        OnClose();
        return 0;
    default:
        break;
    }
    return engine::CVelotrixWnd::WindowProc(msg);
}

void CGameFrameWnd::OnCopyData(const platform::CopyDataRecord* record)
{
    if (record == nullptr)
        return;
    const auto* bytes = static_cast<const uint8_t*>(record->data);
    const std::span<const uint8_t> payload(bytes, bytes ? record->size : 0);
    const uint32_t kind = static_cast<uint32_t>(record->kind);
    if (IsEncipheredCopyData(kind))
        m_app.OnHallCopyData(kind, DecipherCopyData(payload));
    else
        m_app.OnHallCopyData(kind, payload);
    engine::CVelotrixWnd::OnCopyData(record);
}

void CGameFrameWnd::OnTimer(uintptr_t timer)
{
    switch (timer) {
    case TIMER_HALL_WATCH:
        // The hall gone, the client ends with it.
        if (!m_app.IsStandAlone() && !m_app.IsHallWindowAlive())
            platform::PostQuitMessage(0);
        break;
    case TIMER_QUIT_CLOSE:
        platform::KillTimer(GetHandle(), TIMER_QUIT_CLOSE);
        if (m_hall_request_on)
            platform::PostMessage(GetHandle(), platform::WM_CLOSE);
        break;
    default:
        // FIXME: notices (timer 2) and the pulse (timer 5) come with the
        // connection's road.
        break;
    }
}

void CGameFrameWnd::OnGameInitDone()
{
    if (engine::CGuiContainer* root = GetRootObject())
        root->OnStart();
}

void CGameFrameWnd::OnClose()
{
    // FIXME: the questions of the close road (exit requests, match boards)
    // come with the connection; for now the window reports and closes.
    m_app.ReportStatusToHall(static_cast<int32_t>(m_remote_handle));
    if (m_app.Links().comm_thread)
        m_app.Links().comm_thread->Stop();
    platform::KillTimer(GetHandle(), TIMER_HALL_WATCH);
    platform::KillTimer(GetHandle(), TIMER_NOTICE);
    platform::KillTimer(GetHandle(), TIMER_QUIT_CLOSE);
    Destroy();
    platform::PostQuitMessage(0);
}

} // namespace client
