// CGameFrameWnd: the client's main window, the engine's host window with the
// frame UI as its root object. It is known to the hall by a remote handle
// (platform/RemoteWindow.h): the hall's WM_COPYDATA records arrive through
// that endpoint, are deciphered here and handed to the application. It
// starts the frame UI when the launch data are in (UM_GAME_INIT_DONE),
// watches the hall window, and runs the notice and quit-close timers.
// FIXME: the received-message road, the pulse timer, notices and the close
// road with its questions come with the communication thread and the
// connection; until then a close reports to the hall and ends the loop.
//
// Owner: the application (CGameApp::CreateMainWindow). Thread: UI thread.
// Hazards: copy-data payloads come from another program; the application
// checks each before use.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/core/VelotrixWnd.h"
#include "platform/RemoteWindow.h"

namespace client {

class CGameApp;

class CGameFrameWnd : public engine::CVelotrixWnd {
public:
    static constexpr uintptr_t TIMER_HALL_WATCH = 1;
    static constexpr uintptr_t TIMER_NOTICE = 2;
    static constexpr uintptr_t TIMER_QUIT_CLOSE = 3;
    static constexpr uint32_t HALL_WATCH_MS = 1000;
    static constexpr uint32_t QUIT_CLOSE_MS = 3000;

    explicit CGameFrameWnd(CGameApp& app);
    ~CGameFrameWnd() override;

    /// Creates the window and opens its endpoint for the hall. Non-zero on success.
    int Create(const platform::NativeWindowOptions& options) override;
    /// The number by which the hall knows this window (0 before Create).
    [[nodiscard]] platform::RemoteHandle GetRemoteHandle() const { return m_remote_handle; }
    /// Starts timer 2 with the notice period; nothing for a period of 0 or less.
    bool StartNoticeTimer(int32_t seconds);
    /// Somebody at the table left through the hall: the text for 3 seconds,
    /// then the window closes.
    void OnPlayerQuit(std::span<const uint8_t> record);
    /// Whether the hall's leave requests are followed (on from construction).
    [[nodiscard]] bool IsHallRequestOn() const { return m_hall_request_on; }
    void SetHallRequestOn(bool on) { m_hall_request_on = on; }

protected:
    intptr_t WindowProc(platform::Message& msg) override;
    /// The hall's record, deciphered, to the application; then the host
    /// window's own handling (the root object's copy-data hook).
    void OnCopyData(const platform::CopyDataRecord* record) override;

private:
    void OnTimer(uintptr_t timer);
    void OnGameInitDone();
    void OnClose();

    CGameApp& m_app;
    platform::RemoteHandle m_remote_handle { 0 };
    std::unique_ptr<platform::CRemoteWindowEndpoint> m_endpoint;
    bool m_hall_request_on { true };
};

} // namespace client
