// Notices from a small HTTP server on loopback (python3): a good notice, a
// wrong prefix, a prefix arriving in pieces, a missing file, and a stalled
// server that does not hold up the window's end.
#include <csignal>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <sys/types.h>

#include "client/CGameFrameWnd.h"
#include "client/CPlDkApp.h"
#include "client/ClientText.h"
#include "client/NoticeDownload.h"
#include "tests/client/AppFakes.h"
#include "platform/Path.h"
#include "platform/Tick.h"
#include "tests/platform/TempFolder.h"

namespace client {
namespace {

constexpr uint32_t DEADLINE_MS = 10000;

// Paths: /notify/game/1.txt a notice; 2 a wrong prefix; 3 the prefix in
// pieces with pauses; 4 missing; 5 headers, then nothing for a minute.
constexpr const char* SERVER_SCRIPT = R"PY(
import http.server, os, sys, time
class H(http.server.BaseHTTPRequestHandler):
    def log_message(self, *a): pass
    def do_GET(self):
        bodies = {'1': [b'<NOTIFY>hello notice'], '2': [b'<html>not a notice</html>'],
                  '3': [b'<no', b'tif', b'y>slow one']}
        key = self.path.rsplit('/', 1)[-1].split('.')[0]
        if key == '5':
            self.send_response(200); self.send_header('Content-Length', '100'); self.end_headers()
            self.wfile.flush(); time.sleep(60); return
        if key not in bodies:
            self.send_error(404); return
        parts = bodies[key]
        self.send_response(200); self.send_header('Content-Length', str(sum(map(len, parts)))); self.end_headers()
        for part in parts:
            self.wfile.write(part); self.wfile.flush(); time.sleep(0.2 if key == '3' else 0)
s = http.server.ThreadingHTTPServer(('127.0.0.1', 0), H)
s.daemon_threads = True
print(s.server_address[1], os.getpid(), flush=True)
s.serve_forever()
)PY";

class CHttpServer {
public:
    CHttpServer()
    {
        const std::string command = std::string("exec python3 -c \"$PLDK_NOTICE_SCRIPT\"");
        ::setenv("PLDK_NOTICE_SCRIPT", SERVER_SCRIPT, 1);
        m_pipe = ::popen(command.c_str(), "r");
        if (m_pipe != nullptr && std::fscanf(m_pipe, "%d %d", &m_port, &m_pid) != 2)
            m_port = 0;
    }
    ~CHttpServer()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
        if (m_pipe != nullptr)
            ::pclose(m_pipe);
    }
    [[nodiscard]] std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    [[nodiscard]] bool Running() const { return m_port > 0; }

private:
    FILE* m_pipe = nullptr;
    int m_port = 0;
    int m_pid = 0;
};

class CNoticePanel final : public ISidePanel {
public:
    std::vector<std::string> notices;
    void SendPanelEvent(uint32_t event_id, uintptr_t param1) override
    {
        if (event_id == GAMEMSG_NOTICE_TEXT)
            notices.emplace_back(reinterpret_cast<const char*>(param1));
    }
    void SendChildEvent(const char*, uint32_t) override {}
    void AddSystemText(std::string_view) override {}
};

bool Pump(const std::function<bool()>& done, uint32_t timeout_ms = DEADLINE_MS)
{
    return client_test::PumpUntil(done, timeout_ms);
}

class Notices : public ::testing::Test {
protected:
    Notices() { platform::SetUserDataFolder(m_folder.Path()); }
    ~Notices() override { platform::SetUserDataFolder(""); }

    platform::testing::CTempFolder m_folder;
    CHttpServer m_server;
};

TEST_F(Notices, OnlyACompleteBodyWithThePrefixIsANotice)
{
    ASSERT_TRUE(m_server.Running());
    const struct {
        const char* path;
        bool done;
    } cases[] = {
        { "/notify/game/1.txt", true },
        { "/notify/game/2.txt", false },
        { "/notify/game/3.txt", true },
        { "/notify/game/4.txt", false },
    };
    for (const auto& c : cases) {
        NoticeDownloadJob job;
        job.host = m_server.Host();
        job.path = c.path;
        job.local_file = m_folder.Path() + (c.path + 13);
        EXPECT_EQ(RunNoticeDownload(job), c.done) << c.path;
        EXPECT_EQ(job.done.load(), c.done) << c.path;
        // A refused or failed notice leaves no file behind.
        EXPECT_EQ(platform::PathExists(job.local_file), c.done) << c.path;
    }
    const auto bytes = platform::ReadFileBytes(m_folder.Path() + "3.txt", 100);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "<notify>slow one");
}

TEST_F(Notices, TheWindowShowsTheNoticeDropsItsJobsAndEndsWithoutWaitingForAStalledServer)
{
    ASSERT_TRUE(m_server.Running());
    CNoticePanel panel;
    CPlDkApp app;
    app.SetRunMode(RUN_MODE_STAND_ALONE);
    AppLinks links;
    links.side_panel = &panel;
    app.SetLinks(links);
    CopyTextField(app.Records().Room().notice_host, m_server.Host());
    app.Records().Launch().game_id = 1;
    app.Records().Room().room_value3 = 9;
    auto window = std::make_unique<CGameFrameWnd>(app);
    platform::NativeWindowOptions options;
    options.show = platform::WindowShow::Hidden;
    ASSERT_NE(window->Create(options), 0);
    window->StartNoticeDownload();
    ASSERT_TRUE(Pump([&] { return !panel.notices.empty(); }));
    EXPECT_EQ(panel.notices[0], "<NOTIFY>hello notice");
    EXPECT_EQ(window->GetNoticeJobCount(), 0u);
    EXPECT_FALSE(platform::PathExists(app.GetTempDir() + "9_1.txt"));

    app.Records().Launch().game_id = 5;
    window->StartNoticeDownload();
    EXPECT_EQ(window->GetNoticeJobCount(), 1u);
    (void)platform::PumpMessagesUntil([] { return false; }, 300);
    // The stalled transfer is asked to stop and joined: the window's end
    // waits for it about a second, not for the server's minute.
    const uint32_t start = platform::GetTickCount();
    window.reset();
    EXPECT_LT(platform::GetTickCount() - start, 3000u);
}

} // namespace
} // namespace client
