#include "net/NetLog.h"

#include "platform/DailyLog.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

class NetLogTest : public ::testing::Test {
protected:
    void TearDown() override { net::LogInit(net::LOG_DEFAULT_NAME, net::LOG_DEFAULT_FLAGS); }

    std::string ReadLog(const std::string& name) const
    {
        const std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        char date[32];
        std::snprintf(date, sizeof date, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        platform::CDailyLog::Instance().Close();
        std::ifstream file(m_logs.Path() + name + date + ".log", std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    const platform::testing::CTempLogFolder m_logs;
};

TEST_F(NetLogTest, LinesAreStampedAndEndInCrLfWithTheDefaultFlags)
{
    net::LogPrintf("packet length error! len = %ld", 4001L);
    net::LogWriteStamped("second");
    const std::string text = ReadLog("YktLog");
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{4}/\d{2}/\d{2}  \d{2}:\d{2}:\d{2}  packet length error! len = 4001\r\n)"
                                                  R"(\d{4}/\d{2}/\d{2}  \d{2}:\d{2}:\d{2}  second\r\n)")))
        << text;
}

TEST_F(NetLogTest, FlagsDecideLineEndAndWhetherAnythingIsWritten)
{
    net::LogInit("Game", 0xA001D);
    net::LogWriteStamped("x");
    net::LogInit(nullptr, 0x80000);
    net::LogWriteStamped("y");
    net::LogInit(nullptr, 0x8);
    net::LogWriteStamped("z");
    const std::string text = ReadLog("Game");
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(.{22}x\r\n.{22}y)"))) << text;
}

TEST_F(NetLogTest, AnOverlongTextIsNotCutInsideATwoByteCharacter)
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "\xC4\xE3";
    net::LogPrintf("%s", text.c_str());
    const std::string written = ReadLog("YktLog");
    ASSERT_GT(written.size(), 24u);
    EXPECT_EQ(written.substr(written.size() - 2), "\r\n");
    const std::string kept = written.substr(22, written.size() - 24); // after the time stamp, before the line end
    ASSERT_EQ(kept.size() % 2, 0u) << "half a character at the cut";
    EXPECT_EQ(kept, text.substr(0, kept.size()));
    EXPECT_GE(written.size(), 4093u);
}

TEST_F(NetLogTest, OverlongTextIsCutToOneWholeLine)
{
    const std::string text(10000, 'q');
    net::LogPrintf("%s", text.c_str());
    const std::string written = ReadLog("YktLog");
    EXPECT_EQ(written.size(), 4095u);
    EXPECT_EQ(written.substr(4093), "\r\n");
}

} // namespace
