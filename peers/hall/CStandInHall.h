// CStandInHall: a small stand-in for the hall program, for tests and for
// running the client on one machine. It owns a remote window, starts the
// client with the hall's command line naming that window, hands over the
// launch data of a normal room when the client announces its main window,
// answers sign requests, and logs every message and record it receives as
// one line ("game-window ...", "launch ...", "status ...", "open-url ...",
// "sign ...", "client-ended ..."). Asked to close (RequestClose, from a
// signal handler), it closes its window as the hall does when it quits, and
// the client ends by itself.
// Owner: the program's entry. Thread: its main thread, which runs the loop.
// Hazards: records from the client are read with their lengths checked.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "peers/PeerLog.h"
#include "platform/MessageWindow.h"
#include "platform/Process.h"
#include "platform/RemoteWindow.h"

namespace peers {

struct HallOptions {
    std::string client_path;
    std::string server = "127.0.0.1";
    int32_t port = 21473;
    int32_t game_id = 30;
    int32_t user_id = 1001;
    int32_t table_no = 7;
    int32_t chair_no = 2;
    int32_t players = 4;
    uint32_t timeout_ms = 60000;
    /// When above 0, the hall closes its window this long after the start
    /// (the client then ends by itself, as when the hall quits).
    uint32_t close_after_ms = 0;
};

class CStandInHall final : public platform::CMessageWindow {
public:
    CStandInHall(HallOptions options, std::FILE* log);
    ~CStandInHall() override;

    /// Opens the endpoint and starts the client. False when either fails.
    [[nodiscard]] bool Start();
    /// The exit code to end with: the client's, or 3 on time-out.
    [[nodiscard]] int GetExitCode() const { return m_exit_code; }
    /// Closes the window at the next check; safe in a signal handler.
    static void RequestClose() { s_close_requested = true; }

protected:
    intptr_t WindowProc(platform::Message& msg) override;

private:
    void OnGameWindow(platform::RemoteHandle window, int64_t table_no);
    void OnSignRequest(platform::RemoteHandle reply_window, int64_t request_id);
    intptr_t OnCopyData(uint64_t wparam, const platform::CopyDataRecord& record);
    void OnTimer();

    static std::atomic<bool> s_close_requested;
    HallOptions m_options;
    CPeerLog m_log;
    std::unique_ptr<platform::CRemoteWindowEndpoint> m_endpoint;
    std::optional<platform::ProcessId> m_client;
    uint32_t m_started_at { 0 };
    int m_exit_code { 0 };
};

} // namespace peers
