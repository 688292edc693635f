#include <gtest/gtest.h>

#include "platform/Process.h"

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
