// The FTP upload job against a real FTP server on loopback (Debian's
// pyftpdlib, started by the test on a free port with a temporary folder).
#include "CommCollector.h"
#include "ProcessSupport.h"

#include "net/FtpUpload.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace net;
using namespace net::testing;

constexpr uint32_t UM_UPLOAD_DONE = 0x8700;

const char* FTP_SERVER_SCRIPT = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
authorizer = DummyAuthorizer()
authorizer.add_user(sys.argv[2], sys.argv[3], sys.argv[1], perm='elradfmw')
FTPHandler.authorizer = authorizer
server = FTPServer(('127.0.0.1', 0), FTPHandler)
print(server.address[1], flush=True)
server.serve_forever()
)";

bool HavePyftpdlib()
{
    return ProgramExists("/usr/bin/python3")
        && std::system("/usr/bin/python3 -c 'import pyftpdlib' >/dev/null 2>&1") == 0;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Threads of this process right now.
size_t ThreadCount()
{
    std::error_code error;
    size_t count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/task", error), end; !error && it != end; it.increment(error))
        ++count;
    return count;
}

class FtpUploadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HavePyftpdlib())
            GTEST_SKIP() << "python3-pyftpdlib is not installed";
        std::filesystem::create_directories(m_server_root.Path() + "/replays");
        const std::string script = m_local.Write("ftpd.py", FTP_SERVER_SCRIPT);
        ASSERT_TRUE(m_server.Start({ "/usr/bin/python3", script, m_server_root.Path(), "gamer", "s3cret" }, true));
        const std::string port = m_server.ReadLine(20000);
        ASSERT_FALSE(port.empty());
        m_address = "127.0.0.1:" + port;
        // Every byte value, line ends included: a text-mode transfer would change them.
        std::string content;
        for (int i = 0; i < 3000; ++i)
            content += char(i % 256);
        content += "\r\n\n\r";
        m_content = content;
        m_local_file = m_local.Write("round.qvrep", content);
    }

    CTempFolder m_local;
    CTempFolder m_server_root;
    CChildProcess m_server;
    std::string m_address;
    std::string m_content;
    std::string m_local_file;
};

TEST_F(FtpUploadTest, StoresTheFileInBinaryModeAndRepliesWithTheJob)
{
    CCommCollector owner;
    FtpUploadJob* reply_job = nullptr;
    intptr_t result = -1;
    std::unique_ptr<platform::MessagePayload> kept;
    const platform::WindowHandle window = platform::CreateMessageWindow([&](platform::Message& msg) -> intptr_t {
        if (msg.id == UM_UPLOAD_DONE) {
            reply_job = reinterpret_cast<FtpUploadJob*>(msg.wparam);
            result = msg.lparam;
            kept = std::move(msg.payload);
        }
        return 0;
    });
    ASSERT_NE(StartFtpUpload(m_local_file.c_str(), m_address.c_str(), "replays/", "round.qvrep", "gamer", "s3cret",
                             window, UM_UPLOAD_DONE),
              0u);
    ASSERT_TRUE(owner.PumpUntil([&] { return reply_job != nullptr; }, 30000));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(reply_job, kept.get()) << "the receiver owns the job with the message";
    EXPECT_EQ(reply_job->done.load(), 1u);
    EXPECT_STREQ(reply_job->remote_file, "round.qvrep");
    EXPECT_EQ(ReadFile(m_server_root.Path() + "/replays/round.qvrep"), m_content);
    platform::DestroyWindow(window);
}

TEST_F(FtpUploadTest, DirectoryIsJoinedAsGivenAndFailuresReplyZero)
{
    CCommCollector owner;
    std::vector<intptr_t> results;
    const platform::WindowHandle window = platform::CreateMessageWindow([&](platform::Message& msg) -> intptr_t {
        if (msg.id == UM_UPLOAD_DONE)
            results.push_back(msg.lparam);
        return 0;
    });
    // No trailing separator: the names run together.
    ASSERT_NE(StartFtpUpload(m_local_file.c_str(), m_address.c_str(), "replays", "-x.qvrep", "gamer", "s3cret",
                             window, UM_UPLOAD_DONE),
              0u);
    ASSERT_TRUE(owner.PumpUntil([&] { return results.size() == 1; }, 30000));
    EXPECT_EQ(results[0], 1);
    EXPECT_EQ(ReadFile(m_server_root.Path() + "/replays-x.qvrep"), m_content);

    ASSERT_NE(StartFtpUpload(m_local_file.c_str(), m_address.c_str(), "replays/", "bad.qvrep", "gamer", "wrong",
                             window, UM_UPLOAD_DONE),
              0u);
    ASSERT_TRUE(owner.PumpUntil([&] { return results.size() == 2; }, 30000));
    EXPECT_EQ(results[1], 0) << "a refused log-in";
    platform::DestroyWindow(window);
}

TEST_F(FtpUploadTest, BackslashesSeparateDirectoriesButNotInsideATwoByteCharacter)
{
    CCommCollector owner;
    std::vector<intptr_t> results;
    const platform::WindowHandle window = platform::CreateMessageWindow([&](platform::Message& msg) -> intptr_t {
        if (msg.id == UM_UPLOAD_DONE)
            results.push_back(msg.lparam);
        return 0;
    });
    // 0x95 0x5C is one GBK character: its second byte is no separator.
    ASSERT_NE(StartFtpUpload(m_local_file.c_str(), m_address.c_str(), "replays\\", "\x95\x5Cx.qvrep", "gamer",
                             "s3cret", window, UM_UPLOAD_DONE),
              0u);
    ASSERT_TRUE(owner.PumpUntil([&] { return results.size() == 1; }, 30000));
    EXPECT_EQ(results[0], 1);
    // The server reads names as UTF-8, so the lead byte arrives replaced; the
    // backslash stays part of the stored name, inside the directory.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_server_root.Path() + "/replays"))
        names.push_back(entry.path().filename().string());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].ends_with("\\x.qvrep")) << names[0];
    EXPECT_EQ(ReadFile(m_server_root.Path() + "/replays/" + names[0]), m_content);
    platform::DestroyWindow(window);
}

TEST_F(FtpUploadTest, WithoutAWindowTheJobEndsOnItsOwn)
{
    CCommCollector owner;
    const size_t threads_before = ThreadCount();
    ASSERT_NE(StartFtpUpload(m_local_file.c_str(), m_address.c_str(), "/replays/", "alone.qvrep", "gamer", "s3cret",
                             platform::WindowHandle::None, UM_UPLOAD_DONE),
              0u);
    const std::string stored = m_server_root.Path() + "/replays/alone.qvrep";
    ASSERT_TRUE(owner.PumpUntil([&] { return ReadFile(stored) == m_content; }, 30000));
    // The worker ends by itself (and is gone before the server is stopped).
    EXPECT_TRUE(owner.PumpUntil([&] { return ThreadCount() <= threads_before; }, 30000));
}

TEST(FtpUpload, TextsThatDoNotFitAreRefused)
{
    const std::string long_server(64, 's');
    EXPECT_EQ(StartFtpUpload("/tmp/x", long_server.c_str(), "d/", "f", "u", "p", platform::WindowHandle::None, 1), 0u);
    const std::string long_user(32, 'u');
    EXPECT_EQ(StartFtpUpload("/tmp/x", "127.0.0.1", "d/", "f", long_user.c_str(), "p", platform::WindowHandle::None, 1),
              0u);
    const std::string half(130, 'd');
    EXPECT_EQ(StartFtpUpload("/tmp/x", "127.0.0.1", half.c_str(), half.c_str(), "u", "p", platform::WindowHandle::None,
                             1),
              0u) << "directory and file name together must fit 259 bytes";
}

} // namespace
