#include <gtest/gtest.h>

#include "platform/Process.h"
#include "platform/Tick.h"

#include <unistd.h>

namespace {

// Programs named without a folder come from the search path; with one, from
// that path; the exit code comes back through WaitProcess.
TEST(Process, StartsByNameOrPathAndReportsTheExitCode)
{
    struct Case {
        const char* program;
        std::vector<std::string> arguments;
        std::optional<int> exit_code;
        bool starts;
    };
    const Case cases[] = {
        { "true", {}, 0, true },
        { "sh", { "-c", "exit 3" }, 3, true },
        { "/bin/sh", { "-c", "kill -9 $$" }, 128 + 9, true },
        { "pldk-no-such-program", {}, std::nullopt, false },
        { "./pldk-no-such-program", {}, std::nullopt, false },
    };
    for (const Case& c : cases) {
        const std::optional<platform::ProcessId> process = platform::StartProcess(c.program, c.arguments);
        ASSERT_EQ(process.has_value(), c.starts) << c.program;
        if (process) {
            EXPECT_EQ(platform::WaitProcess(*process, 60000), c.exit_code) << c.program;
        }
    }
}

} // namespace

namespace {

// A program's output is read back by polling, which never waits: a program
// still running answers nothing yet, and one that is let go is ended.
TEST(Process, OutputIsPolledWithoutWaiting)
{
    std::unique_ptr<platform::CProcessOutput> chooser =
        platform::CProcessOutput::Start("sh", { "-c", "read line; echo \"/x/a b.qvrep\"; exit 1" });
    ASSERT_NE(chooser, nullptr);
    std::optional<int> code;
    for (int i = 0; i < 12000 && !code; ++i) {
        code = chooser->Poll();
        if (!code)
            ::usleep(5000);
    }
    EXPECT_EQ(code, 1) << "standard input is empty, so read returns at once";
    EXPECT_EQ(chooser->GetOutput(), "/x/a b.qvrep\n");
    EXPECT_EQ(platform::CProcessOutput::Start("pldk-no-such-program", {}), nullptr);

    std::unique_ptr<platform::CProcessOutput> slow = platform::CProcessOutput::Start("sleep", { "30" });
    ASSERT_NE(slow, nullptr);
    const uint32_t start = platform::GetTickCount();
    EXPECT_EQ(slow->Poll(), std::nullopt);
    EXPECT_LT(platform::GetTickCount() - start, 1000u);
}

} // namespace
