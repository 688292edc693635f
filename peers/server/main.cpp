// The stand-in game server: serves the client's protocol on a loopback port.
//   pldk_server [--port N] [--log FILE] [--seconds N]
// Port 0 lets the system choose; the first log line names the port. It runs
// until it is stopped (SIGINT or SIGTERM) or the given seconds have passed.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "client/RulesServices.h"
#include "peers/server/CStandInServer.h"
#include "platform/Tick.h"

namespace {

std::atomic<bool> s_stop { false };

void OnSignal(int) { s_stop = true; }

} // namespace

int main(int argc, char** argv)
{
    long port = 21473;
    long seconds = 0;
    const char* log_path = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        char* end = nullptr;
        if (name == "--log") {
            log_path = argv[i + 1];
            continue;
        }
        const long value = std::strtol(argv[i + 1], &end, 10);
        if (end == argv[i + 1] || *end != '\0' || value < 0) {
            std::fprintf(stderr, "pldk_server: bad option %s %s\n", argv[i], argv[i + 1]);
            return 2;
        }
        if (name == "--port" && value <= 65535)
            port = value;
        else if (name == "--seconds")
            seconds = value;
        else {
            std::fprintf(stderr, "pldk_server: usage: pldk_server [--port N] [--log FILE] [--seconds N]\n");
            return 2;
        }
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "pldk_server: usage: pldk_server [--port N] [--log FILE] [--seconds N]\n");
        return 2;
    }
    std::FILE* log = log_path ? std::fopen(log_path, "a") : stdout;
    if (log == nullptr)
        return 2;
    client::InstallRulesServices();
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    int exit_code = 0;
    {
        peers::CStandInServer server(static_cast<uint16_t>(port), log);
        if (!server.Start()) {
            std::fprintf(log, "cannot listen on port %ld\n", port);
            exit_code = 1;
        } else {
            const uint32_t start = platform::GetTickCount();
            while (!s_stop && (seconds == 0 || platform::GetTickCount() - start < seconds * 1000)) {
                timespec pause { 0, 20 * 1000 * 1000 };
                nanosleep(&pause, nullptr);
            }
            server.Stop();
        }
    }
    if (log != stdout)
        std::fclose(log);
    return exit_code;
}
