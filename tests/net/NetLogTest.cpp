#include "net/NetLog.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::string> s_lines;
std::string s_name;

void CaptureLine(const char* name, const char* line, uint32_t length)
{
    s_name = name;
    s_lines.emplace_back(line, length);
}

class NetLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        s_lines.clear();
        net::SetLogSink(CaptureLine);
    }
    void TearDown() override
    {
        net::LogInit(net::LOG_DEFAULT_NAME, net::LOG_DEFAULT_FLAGS);
        net::SetLogSink(nullptr);
    }
};

TEST_F(NetLogTest, LinesAreStampedAndEndInCrLfWithTheDefaultFlags)
{
    net::LogPrintf("packet length error! len = %ld", 4001L);
    ASSERT_EQ(s_lines.size(), 1u);
    EXPECT_EQ(s_name, "YktLog");
    EXPECT_TRUE(std::regex_match(s_lines[0], std::regex(R"(\d{4}/\d{2}/\d{2}  \d{2}:\d{2}:\d{2}  packet length error! len = 4001\r\n)")))
        << s_lines[0];
}

TEST_F(NetLogTest, FlagsDecideLineEndAndWhetherAnythingIsWritten)
{
    net::LogInit("Game", 0xA001D);
    net::LogWriteStamped("x");
    ASSERT_EQ(s_lines.size(), 1u);
    EXPECT_EQ(s_name, "Game");
    EXPECT_EQ(s_lines[0].substr(s_lines[0].size() - 3), "x\r\n");
    net::LogInit(nullptr, 0x80000);
    net::LogWriteStamped("y");
    EXPECT_EQ(s_lines.back().back(), 'y');
    net::LogInit(nullptr, 0x8);
    net::LogWriteStamped("z");
    EXPECT_EQ(s_lines.size(), 2u) << "without the file flag nothing is written";
}

TEST_F(NetLogTest, OverlongTextIsCutToOneWholeLine)
{
    const std::string text(10000, 'q');
    net::LogPrintf("%s", text.c_str());
    ASSERT_EQ(s_lines.size(), 1u);
    EXPECT_EQ(s_lines[0].size(), 4095u);
    EXPECT_EQ(s_lines[0].substr(4093), "\r\n");
}

} // namespace
