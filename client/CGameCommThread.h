// CGameCommThread: the communication thread. It stands between the socket
// client and the main window: every message the socket worker receives
// arrives here as UM_COMM_MESSAGE and goes on to the target window, or is
// freed when there is no target (yet or any more). It also owns the wait
// dialog, so that status texts stay animated while the UI thread is busy in
// a request.
//
// Thread messages (all posted; payloads are freed by the message system):
//   UM_COMM_SET_TARGET  wparam the window the received messages go to
//   UM_COMM_QUIT        the dialog goes and the thread's loop ends
//   UM_COMM_MESSAGE     a net::CommMessage payload, relayed as it is
//   UM_COMM_WAIT_TEXT   a std::string payload and lparam seconds: the text is
//                       shown (hidden after the seconds when above 0); no
//                       payload hides the dialog
//
// Owner: the application (one object, installed as its communication thread
// and wait dialog). Threads: Start, Stop and the posting operations from the
// UI thread; the loop on its own thread; GetDialog's Draw on the UI thread.
// Hazards: Stop waits at most STOP_WAIT_MS for the loop to end by itself and
// logs when it was late; every handler of the loop is short, so the join
// that follows never waits long. Nothing is ended by force.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "client/AppLinks.h"
#include "client/CCommWaitDlg.h"
#include "platform/Event.h"

namespace client {

inline constexpr uint32_t UM_COMM_QUIT = 0x854E;
inline constexpr uint32_t UM_COMM_WAIT_TEXT = 0x8550;

class CGameCommThread final : public ICommThread, public IWaitDialog {
public:
    static constexpr uint32_t STOP_WAIT_MS = 1000;

    CGameCommThread() = default;
    ~CGameCommThread() override;
    CGameCommThread(const CGameCommThread&) = delete;
    CGameCommThread& operator=(const CGameCommThread&) = delete;

    /// The skin file the dialog takes its picture and colours from; read by Start.
    void SetSkinIniPath(std::string path) { m_skin_ini_path = std::move(path); }

    // ICommThread
    [[nodiscard]] bool Start() override;
    void Stop() override;
    [[nodiscard]] platform::ThreadId GetThreadId() const override { return m_thread_id.load(); }

    // IWaitDialog: each posts to the thread.
    void ShowText(const std::string& text) override { ShowTextFor(text, 0); }
    void ShowTextFor(const std::string& text, uint32_t seconds) override;
    void Hide() override;
    [[nodiscard]] platform::WindowHandle GetWindow() const override { return m_dialog.GetHandle(); }

    /// Received messages go to `window` from now on.
    void SetTarget(platform::WindowHandle window);
    /// The dialog, for drawing on the UI thread.
    [[nodiscard]] const CCommWaitDlg& GetDialog() const { return m_dialog; }
    /// Messages freed because no target window existed.
    [[nodiscard]] uint64_t GetDroppedCount() const { return m_dropped.load(); }

private:
    void Run();
    void OnThreadMessage(platform::Message& msg);

    std::string m_skin_ini_path;
    std::thread m_thread;
    std::atomic<platform::ThreadId> m_thread_id { 0 };
    platform::CEvent m_ready { platform::EventReset::Manual };
    platform::CEvent m_ended { platform::EventReset::Manual };
    platform::WindowHandle m_target { platform::WindowHandle::None }; ///< loop thread only
    std::atomic<uint64_t> m_dropped { 0 };
    CCommWaitDlg m_dialog;
};

} // namespace client
