#include "net/Crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace {

uint32_t ZlibCrc(const std::vector<uint8_t>& data, size_t offset, size_t n)
{
    return uint32_t(crc32(0L, data.data() + offset, uInt(n)));
}

TEST(Crc32, TableMatchesZlibsOwnTable)
{
    uint32_t table[256];
    net::Crc32Table(table);
    const z_crc_t* zlib_table = get_crc_table();
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table[i], zlib_table[i]) << i;
}

TEST(Crc32, EveryMethodGivesZlibsResultForManySizesAndAlignments)
{
    std::mt19937 random(11);
    std::vector<uint8_t> data(5000);
    for (auto& byte : data)
        byte = uint8_t(random());
    uint32_t table[256];
    net::Crc32Table(table);
    for (size_t offset : { 0, 1, 3, 8, 15 }) {
        for (size_t n = 1; n + offset <= data.size(); n += (n < 300 ? 1 : 97)) {
            const uint32_t expected = ZlibCrc(data, offset, n);
            const std::span<const uint8_t> bytes(data.data() + offset, n);
            ASSERT_EQ(net::Crc32(bytes), expected) << offset << " " << n;
            ASSERT_EQ(net::Crc32(table, bytes.data(), n), expected);
            ASSERT_EQ(net::CRC32_FINISH(net::Crc32Update(net::CRC32_START, bytes, net::Crc32Method::Portable)),
                      expected);
        }
    }
}

TEST(Crc32, ChunkedUpdateEqualsOneRunAndEmptyGivesZero)
{
    std::vector<uint8_t> data(250000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 31 + (i >> 7));
    uint32_t reg = net::CRC32_START;
    for (size_t offset = 0; offset < data.size(); offset += 102400)
        reg = net::Crc32Update(reg, std::span<const uint8_t>(data).subspan(offset, std::min<size_t>(102400, data.size() - offset)));
    EXPECT_EQ(net::CRC32_FINISH(reg), ZlibCrc(data, 0, data.size()));

    uint32_t table[256];
    net::Crc32Table(table);
    EXPECT_EQ(net::Crc32(std::span<const uint8_t>()), 0u);
    EXPECT_EQ(net::Crc32(table, nullptr, 10), 0u);
    EXPECT_EQ(net::Crc32(table, data.data(), 0), 0u);
    const uint8_t check[] = { '1', '2', '3', '4', '5', '6', '7', '8', '9' };
    EXPECT_EQ(net::Crc32(check), 0xCBF43926u);
}

} // namespace

#include "net/Crc32Job.h"
#include "net/NetMessages.h"
#include "platform/Message.h"
#include "platform/Tick.h"

#include "ProcessSupport.h"

#include <functional>

namespace {

TEST(Crc32Job, WorkerDrivesTheProgressBarAndPostsTheResult)
{
    std::vector<uint8_t> data(300000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i ^ (i >> 9));
    std::vector<std::pair<uint32_t, uintptr_t>> bar_messages;
    uint32_t result_job = 0;
    uint32_t result_crc = 0;
    bool done = false;
    const platform::WindowHandle bar = platform::CreateMessageWindow([&](platform::Message& msg) -> intptr_t {
        if (msg.id == net::PBM_SETPOS || msg.id == net::PBM_SETRANGE32)
            bar_messages.emplace_back(msg.id, msg.id == net::PBM_SETPOS ? msg.wparam : uintptr_t(msg.lparam));
        return 0;
    });
    const platform::WindowHandle owner = platform::CreateMessageWindow([&](platform::Message& msg) -> intptr_t {
        if (msg.id == net::UM_CRC_RESULT) {
            result_job = uint32_t(msg.wparam);
            result_crc = uint32_t(msg.lparam);
            done = true;
        }
        return 0;
    });
    const uint32_t job = net::StartCrc32Job(data, bar, owner);
    ASSERT_NE(job, 0u);
    const uint32_t start = platform::GetTickCount();
    while (!done && !platform::HasElapsed(start, platform::GetTickCount(), 20000)) {
        platform::Message msg;
        if (platform::PeekMessage(msg))
            platform::DispatchMessage(msg);
        else
            platform::WaitMessage(50);
    }
    ASSERT_TRUE(done);
    EXPECT_EQ(result_job, job);
    EXPECT_EQ(result_crc, uint32_t(crc32(0, data.data(), uInt(data.size()))));
    const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
        { net::PBM_SETPOS, 0 }, { net::PBM_SETRANGE32, 100 }, { net::PBM_SETPOS, 0 }, { net::PBM_SETPOS, 34 },
        { net::PBM_SETPOS, 68 }
    };
    EXPECT_EQ(bar_messages, expected);
    platform::DestroyWindow(bar);
    platform::DestroyWindow(owner);
}

// Runs the caller's job start against a progress bar and a result window and
// keeps what both were sent.
struct CrcJobRun {
    std::vector<std::pair<uint32_t, uintptr_t>> bar_messages;
    uint32_t job { 0 };
    uint32_t crc { 0 };
    bool done { false };
};

CrcJobRun RunCrcJob(const std::function<uint32_t(platform::WindowHandle, platform::WindowHandle)>& start_job)
{
    CrcJobRun run;
    const platform::WindowHandle bar = platform::CreateMessageWindow([&](platform::Message& msg) -> intptr_t {
        if (msg.id == net::PBM_SETPOS || msg.id == net::PBM_SETRANGE32)
            run.bar_messages.emplace_back(msg.id, msg.id == net::PBM_SETPOS ? msg.wparam : uintptr_t(msg.lparam));
        return 0;
    });
    uint32_t posted_job = 0;
    const platform::WindowHandle owner = platform::CreateMessageWindow([&](platform::Message& msg) -> intptr_t {
        if (msg.id == net::UM_CRC_RESULT) {
            posted_job = uint32_t(msg.wparam);
            run.crc = uint32_t(msg.lparam);
            run.done = true;
        }
        return 0;
    });
    run.job = start_job(bar, owner);
    const uint32_t start = platform::GetTickCount();
    while (run.job != 0 && !run.done && !platform::HasElapsed(start, platform::GetTickCount(), 20000)) {
        platform::Message msg;
        if (platform::PeekMessage(msg))
            platform::DispatchMessage(msg);
        else
            platform::WaitMessage(50);
    }
    EXPECT_EQ(posted_job, run.job);
    platform::DestroyWindow(bar);
    platform::DestroyWindow(owner);
    return run;
}

TEST(Crc32Job, FileJobReportsThePercentReadAndTheFilesCrc)
{
    net::testing::CTempFolder folder;
    std::string bytes(250000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 ^ (i >> 11));
    const std::string path = folder.Write("big.bin", bytes);
    const CrcJobRun run = RunCrcJob([&](platform::WindowHandle bar, platform::WindowHandle owner) {
        return net::StartCrc32FileJob(path, bar, owner);
    });
    ASSERT_TRUE(run.done);
    EXPECT_EQ(run.crc, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()))));
    const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
        { net::PBM_SETPOS, 0 }, { net::PBM_SETRANGE32, 100 }, { net::PBM_SETPOS, 40 }, { net::PBM_SETPOS, 81 },
        { net::PBM_SETPOS, 100 }
    };
    EXPECT_EQ(run.bar_messages, expected);

    // A file that is not there still ends the job with a result (CRC 0).
    const CrcJobRun missing = RunCrcJob([&](platform::WindowHandle bar, platform::WindowHandle owner) {
        return net::StartCrc32FileJob(folder.Path() + "/none.bin", bar, owner);
    });
    ASSERT_TRUE(missing.done);
    EXPECT_EQ(missing.crc, 0u);
}

} // namespace
