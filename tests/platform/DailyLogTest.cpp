#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "platform/DailyLog.h"
#include "platform/Path.h"

using namespace platform;
using platform::testing::CTempFolder;

namespace {
std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}
// Whether path is folder or lies below it, compared by path components.
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    const std::filesystem::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}
} // namespace

TEST(DailyLog, WritersShareOneFileWithoutMixingLines)
{
    CTempFolder folder;
    CDailyLog log;
    log.SetFolder(folder.Path());
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&log, w] {
            const std::string line = "writer " + std::to_string(w) + " " + std::string(200, static_cast<char>('a' + w)) + "\r\n";
            for (int i = 0; i < 200; ++i)
                EXPECT_TRUE(log.Write("Game20261207.log", line));
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    log.Close();
    const std::vector<std::string> lines = ReadLines(folder / "Game20261207.log");
    ASSERT_EQ(lines.size(), 800u);
    for (const std::string& line : lines) {
        ASSERT_EQ(line.size(), 210u); // "writer n " + 200 + '\r'
        EXPECT_EQ(line.find_first_not_of(line[9], 9), 209u);
    }
}

TEST(DailyLog, StartEmptiesTheFileAndNamesMayCarryFolders)
{
    CTempFolder folder;
    CDailyLog log;
    log.SetFolder(folder.Path());
    ASSERT_TRUE(log.Write("GameRun.log", "old\r\n"));
    ASSERT_TRUE(log.Start("GameRun.log", "GameCore Start\r\n"));
    ASSERT_TRUE(log.Write("GameRun.log", "next\r\n"));
    ASSERT_TRUE(log.Write("log\\Net.log", "net\r\n")); // switches files, creating the folder
    ASSERT_TRUE(log.Write("GameRun.log", "last\r\n"));
    log.Close();
    EXPECT_EQ(ReadLines(folder / "GameRun.log"),
              (std::vector<std::string>{ "GameCore Start\r", "next\r", "last\r" }));
    EXPECT_EQ(ReadLines(folder / "log/Net.log"), std::vector<std::string>{ "net\r" });
    EXPECT_FALSE(log.Write("", "x"));
    EXPECT_FALSE(log.Write("bad\xFF\xFF.log", "x"));
}

TEST(DailyLog, AFileStopsAtItsLimitWithOneLineSayingSo)
{
    CTempFolder folder;
    CDailyLog log;
    log.SetFolder(folder.Path());
    log.SetSizeLimit(100);
    const std::string line = std::string(28, 'x') + "\r\n"; // 30 bytes
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(log.Write("Game20261207.log", line));
    EXPECT_FALSE(log.Write("Game20261207.log", line)); // 120 > 100: the limit line instead
    EXPECT_FALSE(log.Write("Game20261207.log", "x\r\n"));
    // Another file of the day has its own limit; coming back to the full one
    // (a reopen, as in a later run of the same day) writes nothing more.
    EXPECT_TRUE(log.Write("Net20261207.log", line));
    EXPECT_FALSE(log.Write("Game20261207.log", "x\r\n"));
    log.Close();
    EXPECT_FALSE(log.Write("Game20261207.log", "x\r\n"));
    log.Close();
    const std::vector<std::string> lines = ReadLines(folder / "Game20261207.log");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2] + "\n", line);
    EXPECT_EQ(lines[3] + "\n", std::string(CDailyLog::LIMIT_LINE));
    // A new day's file starts empty.
    EXPECT_TRUE(log.Write("Game20261208.log", line));
    log.Close();
    EXPECT_EQ(ReadLines(folder / "Game20261208.log").size(), 1u);
}

TEST(DailyLog, TestProcessesLogIntoAFolderOfTheirOwn)
{
    // Even with every override cleared, a test program's logs and settings go
    // to its temporary folder, never to the user's.
    SetUserDataFolder("");
    SetUserConfigFolder("");
    const std::string logs = CDailyLog::Instance().GetFolder();
    const std::string config = GetUserConfigFolder();
    EXPECT_NE(logs.find("/pldk-test-"), std::string::npos) << logs;
    EXPECT_NE(config.find("/pldk-test-"), std::string::npos) << config;
    // The user's own folders, compared folder by folder: a temporary folder
    // whose name merely begins with HOME's is not inside it.
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        EXPECT_FALSE(IsInside(logs, std::filesystem::path(home) / ".local/share/pldk")) << logs;
        EXPECT_FALSE(IsInside(config, std::filesystem::path(home) / ".config/pldk")) << config;
    }
}
