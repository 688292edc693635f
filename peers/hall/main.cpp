// The stand-in hall: starts the client as the hall would and answers it.
//   pldk_hall --client PATH [--server IP] [--port N] [--game-id N] [--user N]
//             [--table N] [--chair N] [--players N] [--timeout-ms N] [--close-after-ms N]
//             [--log FILE]
// It ends when the client ends, with the client's exit code (3 when the
// client had to be stopped after the time-out). SIGINT or SIGTERM closes the
// hall's window: the client ends by itself, then the hall.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "peers/hall/CStandInHall.h"

namespace {

void OnSignal(int) { peers::CStandInHall::RequestClose(); }

bool ReadNumber(const char* text, long long& out)
{
    char* end = nullptr;
    out = std::strtoll(text, &end, 10);
    return end != text && *end == '\0';
}

} // namespace

int main(int argc, char** argv)
{
    peers::HallOptions options;
    const char* log_path = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const char* value = argv[i + 1];
        long long number = 0;
        const bool numeric = ReadNumber(value, number);
        if (name == "--client")
            options.client_path = value;
        else if (name == "--server")
            options.server = value;
        else if (name == "--log")
            log_path = value;
        else if (numeric && name == "--port")
            options.port = static_cast<int32_t>(number);
        else if (numeric && name == "--game-id")
            options.game_id = static_cast<int32_t>(number);
        else if (numeric && name == "--user")
            options.user_id = static_cast<int32_t>(number);
        else if (numeric && name == "--table")
            options.table_no = static_cast<int32_t>(number);
        else if (numeric && name == "--chair")
            options.chair_no = static_cast<int32_t>(number);
        else if (numeric && name == "--players")
            options.players = static_cast<int32_t>(number);
        else if (numeric && number >= 0 && name == "--close-after-ms")
            options.close_after_ms = static_cast<uint32_t>(number);
        else if (numeric && number > 0 && name == "--timeout-ms")
            options.timeout_ms = static_cast<uint32_t>(number);
        else {
            std::fprintf(stderr, "pldk_hall: bad option %s %s\n", argv[i], value);
            return 2;
        }
    }
    if (options.client_path.empty() || argc % 2 == 0) {
        std::fprintf(stderr, "pldk_hall: usage: pldk_hall --client PATH [options]\n");
        return 2;
    }
    std::FILE* log = log_path ? std::fopen(log_path, "a") : stdout;
    if (log == nullptr) {
        std::fprintf(stderr, "pldk_hall: cannot open the log %s\n", log_path);
        return 2;
    }
    int exit_code = 1;
    {
        peers::CStandInHall hall(options, log);
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        if (hall.Start()) {
            (void)platform::RunMessageLoop();
            exit_code = hall.GetExitCode();
        }
    }
    if (log != stdout)
        std::fclose(log);
    return exit_code;
}
