// CGameFrameWnd: the client's main window, the engine's host window with the
// frame UI as its root object. It is known to the hall by a remote handle
// (platform/RemoteWindow.h): the hall's WM_COPYDATA records arrive through
// that endpoint, are deciphered here and handed to the application.
// It also carries:
//  - the received-message road: UM_COMM_MESSAGE from the communication
//    thread (held by the connection while one of its requests waits, and
//    handed back in order with UM_RELEASE_NOTIFICATIONS once it returned);
//    messages of an older connection are dropped, a closed or failed
//    socket is a lost connection, every other message goes to the
//    notification dispatcher under the engine's tick lock (a message it
//    cannot take is reported to the server); the records are freed in every
//    case;
//  - its timers: hall watch (1, every second), notices (2), the close after
//    a player quit (3) and the pulse (5);
//  - the close road with its questions (match quit board, exit requests,
//    leaving the game) and the notices downloaded over HTTP;
//  - the wait dialog, drawn over the engine's frame while it is shown;
//  - its placement: a frameless window over the desktop's work area.
//
// Owner: the application (CGameApp::CreateMainWindow). Thread: UI thread.
// Hazards: copy-data payloads come from another program and server records
// from the network; the application and the dispatcher check each before
// use. Notice threads are joined before the window lets their jobs go.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "client/AppLinks.h"
#include "client/GameNotifyHandler.h"
#include "client/NoticeDownload.h"
#include "engine/core/VelotrixWnd.h"
#include "platform/RemoteWindow.h"

namespace client {

class CGameApp;
class CGameConnection;
class CCommWaitDlg;

inline constexpr uint32_t UM_URL_OPENED = 0x8618;
/// The player confirmed leaving a running game (the frame UI's question):
/// the window leaves the game and closes as its close road's last step.
inline constexpr uint32_t UM_LEAVE_AND_CLOSE = 0x8619;
inline constexpr uint32_t GAMEMSG_QUIT_CONFIRMED = 80000082;

class CGameFrameWnd : public engine::CVelotrixWnd {
public:
    static constexpr uintptr_t TIMER_HALL_WATCH = 1;
    static constexpr uintptr_t TIMER_NOTICE = 2;
    static constexpr uintptr_t TIMER_QUIT_CLOSE = 3;
    static constexpr uintptr_t TIMER_PULSE = 5;
    static constexpr uint32_t HALL_WATCH_MS = 1000;
    static constexpr uint32_t QUIT_CLOSE_MS = 3000;
    static constexpr int32_t PULSE_SECONDS = 60;
    static constexpr uint32_t EXIT_WAIT_MS = 30000;
    static constexpr int32_t EXIT_WAIT_COLOR = 2906200;
    static constexpr int32_t ROOM_OPTION_NO_PENALTY = 0x4000;

    explicit CGameFrameWnd(CGameApp& app);
    ~CGameFrameWnd() override;

    /// Creates the window over the work area and opens its endpoint for the
    /// hall. Non-zero on success.
    int Create(const platform::NativeWindowOptions& options) override;
    /// The window's style and placement: no frame, the work area's size.
    static void PreCreateWindow(platform::NativeWindowOptions& options);
    /// The largest size of the window: the frame UI's own size while its
    /// size flag is 0, else the work area's.
    [[nodiscard]] std::pair<int32_t, int32_t> GetMaxTrackSize() const;
    /// The number by which the hall knows this window (0 before Create).
    [[nodiscard]] platform::RemoteHandle GetRemoteHandle() const { return m_remote_handle; }

    void SetNotifyHandler(IGameNotifyHandler* handler) { m_notify_handler = handler; }
    [[nodiscard]] IGameNotifyHandler* GetNotifyHandler() const { return m_notify_handler; }
    /// The frame UI's calls; the window's largest size follows its size.
    void SetFrameUI(IFrameWindowUI* frame_ui);

    /// Starts timer 2 with the notice period; nothing for a period of 0 or less.
    bool StartNoticeTimer(int32_t seconds);
    /// Restarts timer 5 with the given seconds.
    virtual void SetPulseTimer(int32_t seconds);
    /// The pulse every 60 seconds, after a log-on.
    virtual void StartPulse();
    /// The connection is gone: it is closed, the table closed with it (the
    /// scene's table-closed hook) and the user told.
    virtual void OnConnectionLost();
    /// Somebody at the table (at `chair`, as the hall's request says) left
    /// through the hall: the text for 3 seconds, then the window closes.
    virtual void OnPlayerQuit(int32_t chair);
    /// Whether the hall's leave requests are followed (on from construction).
    [[nodiscard]] bool IsHallRequestOn() const { return m_hall_request_on; }
    void SetHallRequestOn(bool on) { m_hall_request_on = on; }
    [[nodiscard]] uint32_t GetLastReceiveTick() const { return m_last_receive_tick; }

    /// Starts a notice download for the room's web host.
    void StartNoticeDownload();
    [[nodiscard]] size_t GetNoticeJobCount() const { return m_notices.GetCount(); }

    /// Whether the last frame shown carried the wait dialog.
    [[nodiscard]] bool IsWaitDialogDrawn() const { return m_dialog_drawn; }
    // The engine's frame, with the wait dialog over it while it is shown.
    bool Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                 std::span<const engine::EngineRect> changed) override;
    void OnFrameTick() override;
    /// Every frame while the wait dialog is shown or still drawn (its bar
    /// turns on the communication thread, which wakes this one only when the
    /// dialog is shown or hidden).
    [[nodiscard]] uint32_t GetWorkDueIn() override;

protected:
    intptr_t WindowProc(platform::Message& msg) override;
    /// The hall's record, deciphered, to the application; then the host
    /// window's own handling (the root object's copy-data hook).
    void OnCopyData(const platform::CopyDataRecord* record) override;
    void OnDestroy() override;

private:
    void OnReceivePacket(platform::Message& msg);
    void OnTimer(uintptr_t timer);
    void OnGameInitDone();
    void OnClose();
    /// Step 3 of the close road: leave the game (a refusal's text is shown
    /// and the window stays), then tell the hall, stop the communication
    /// thread and close.
    void LeaveAndClose();
    void OnNoticeDownloaded(uint32_t job_id);
    void ShowNoticeText(const std::string& text);
    void KillTimers();
    void ApplyMaxTrackSize();
    [[nodiscard]] CGameConnection* Connection() const;
    void PresentWithDialog();

    CGameApp& m_app;
    platform::RemoteHandle m_remote_handle { 0 };
    std::unique_ptr<platform::CRemoteWindowEndpoint> m_endpoint;
    bool m_hall_request_on { true };
    uint32_t m_last_receive_tick { 0 };
    IGameNotifyHandler* m_notify_handler { nullptr };
    IFrameWindowUI* m_frame_ui { nullptr };
    const CCommWaitDlg* m_wait_dialog { nullptr };
    CNoticeDownloads m_notices;
    // The last engine frame, kept while the wait dialog may be drawn over it.
    std::vector<uint8_t> m_frame;
    std::vector<uint8_t> m_composed;
    int32_t m_frame_width { 0 };
    int32_t m_frame_height { 0 };
    uint64_t m_dialog_revision { 0 };
    bool m_dialog_drawn { false };
};

} // namespace client
