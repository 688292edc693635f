// A match replay saved by the recorder goes to a real FTP server on loopback
// (Debian's pyftpdlib, anonymous, started by the test) byte for byte.
#include "game/scene/ReplayRecorder.h"

#include "../../net/ProcessSupport.h"
#include "client/CPlDkApp.h"
#include "engine/core/EnginePath.h"
#include "platform/Path.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace scene {
namespace {

const char* FTP_SERVER_SCRIPT = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
authorizer = DummyAuthorizer()
authorizer.add_anonymous(sys.argv[1], perm='elradfmw')
FTPHandler.authorizer = authorizer
server = FTPServer(('127.0.0.1', 0), FTPHandler)
print(server.address[1], flush=True)
server.serve_forever()
)";

std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

TEST(ReplayUpload, SavedMatchReplayIsStoredOnTheServer)
{
    if (std::system("/usr/bin/python3 -c 'import pyftpdlib' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3-pyftpdlib is not installed";
    const platform::testing::CTempFolder local;
    const platform::testing::CTempFolder server_root;
    const std::string script = local.Path() + "ftpd.py";
    std::ofstream(script) << FTP_SERVER_SCRIPT;
    net::testing::CChildProcess server;
    ASSERT_TRUE(server.Start({ "/usr/bin/python3", script, server_root.Path() }, true));
    const std::string port = server.ReadLine(20000);
    ASSERT_FALSE(port.empty());

    platform::SetUserDataFolder(local.Path());
    client::CPlDkApp app;
    app.Records().SetMatchRoom(true);
    app.Records().Launch().user_id = 9;
    app.Records().Header().word35 = 1;
    app.Records().Header().player_count = 1;
    app.Records().TablePlayer(0)->user_id = 9;
    CReplayImage image(ReplayVariant::Match);
    CReplaySystemEnv env(nullptr, "127.0.0.1:" + port);
    CReplayRecorder recorder(image, app, env);
    recorder.StartRecording();
    recorder.RecordTableInfo();
    const uint8_t data[] = { 0, '\r', '\n', 0xFF };
    recorder.RecordEvent(211080, data);
    const ReplaySaveResult saved = recorder.SaveRecording(true);
    platform::SetUserDataFolder("");
    ASSERT_TRUE(saved.written);
    ASSERT_TRUE(saved.upload_started);

    const std::optional<std::vector<uint8_t>> file = engine::ReadWholeFile(saved.path);
    ASSERT_TRUE(file);
    std::vector<uint8_t> stored;
    for (int i = 0; i < 200 && stored.size() != file->size(); ++i) {
        usleep(50000);
        for (const auto& entry : std::filesystem::directory_iterator(server_root.Path()))
            stored = ReadAll(entry.path());
    }
    EXPECT_EQ(stored, *file);
}

} // namespace
} // namespace scene
