// The stand-in game server: serves the client's protocol on a loopback port.
//   pldk_server [--port N] [--log FILE] [--seconds N] [--turn-seconds N]
//               [--start-after-ms N] [--next-round-after-ms N] [--record 0|1]
//               [--computer-pause-ms N]
// Port 0 lets the system choose; the first log line names the port. It runs
// until it is stopped (SIGINT or SIGTERM) or the given seconds have passed.
// --turn-seconds: each chair's seconds for a turn (the table's own without);
// --start-after-ms: the first round starts by itself this long after the
// log-on, --next-round-after-ms each next one this long after a result
// (unless the player starts it first); --record 1: each round is saved as
// the client's replay; --computer-pause-ms: the pause before each computer
// player's play and before the result (a second without; 0: at once, for
// tests). For measuring the client under a flood:
// --message-box TEXT (UTF-8) a server message box, --look-on-requests N
// requests to look at the client's cards, both at each round's start;
// --notices-before-answer N notices before each answer to the client's turns;
// --box-notices N: N each of the notices that open a box (player details,
// forced-exit questions, match out, system cancel) and 2N end-of-table
// notices at each round's start.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "client/RulesServices.h"
#include "peers/server/CStandInServer.h"
#include "platform/Text.h"
#include "platform/Tick.h"

namespace {

constexpr const char* USAGE = "usage: pldk_server [--port N] [--log FILE] [--seconds N] [--turn-seconds N] "
                              "[--start-after-ms N] [--next-round-after-ms N] [--record 0|1] [--computer-pause-ms N] "
                              "[--look-on-requests N] [--notices-before-answer N] [--box-notices N] "
                              "[--message-box TEXT]";

std::atomic<bool> s_stop { false };

void OnSignal(int) { s_stop = true; }

} // namespace

int main(int argc, char** argv)
{
    peers::ServerOptions options;
    long seconds = 0;
    const char* log_path = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        char* end = nullptr;
        if (name == "--log") {
            log_path = argv[i + 1];
            continue;
        }
        if (name == "--message-box") {
            const std::optional<std::string> text = platform::Utf8ToGbk(argv[i + 1]);
            if (!text) {
                std::fprintf(stderr, "pldk_server: bad option %s %s\n", argv[i], argv[i + 1]);
                return 2;
            }
            options.message_box = *text;
            continue;
        }
        const long value = std::strtol(argv[i + 1], &end, 10);
        if (end == argv[i + 1] || *end != '\0' || value < 0) {
            std::fprintf(stderr, "pldk_server: bad option %s %s\n", argv[i], argv[i + 1]);
            return 2;
        }
        if (name == "--port" && value <= 65535)
            options.port = static_cast<uint16_t>(value);
        else if (name == "--seconds")
            seconds = value;
        else if (name == "--turn-seconds" && value <= 3600)
            options.turn_seconds = static_cast<int32_t>(value);
        else if (name == "--start-after-ms" && value <= 3600 * 1000)
            options.start_after_ms = static_cast<int32_t>(value);
        else if (name == "--next-round-after-ms" && value <= 3600 * 1000)
            options.next_round_after_ms = static_cast<int32_t>(value);
        else if (name == "--computer-pause-ms" && value <= 60 * 1000)
            options.computer_pause_ms = static_cast<int32_t>(value);
        else if (name == "--record" && value <= 1)
            options.record = value == 1;
        else if (name == "--look-on-requests" && value <= 1000000)
            options.look_on_requests = static_cast<int32_t>(value);
        else if (name == "--notices-before-answer" && value <= 1000000)
            options.notices_before_answer = static_cast<int32_t>(value);
        else if (name == "--box-notices" && value <= 1000000)
            options.box_notices = static_cast<int32_t>(value);
        else {
            std::fprintf(stderr, "pldk_server: %s\n", USAGE);
            return 2;
        }
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "pldk_server: %s\n", USAGE);
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
        peers::CStandInServer server(options, log);
        if (!server.Start()) {
            std::fprintf(log, "cannot listen on port %u\n", options.port);
            exit_code = 1;
        } else {
            const uint32_t start = platform::GetTickCount();
            while (!s_stop && (seconds == 0 || platform::GetTickCount() - start < seconds * 1000)) {
                timespec pause { 0, 20 * 1000 * 1000 };
                nanosleep(&pause, nullptr);
                server.Tick();
            }
            server.Stop();
        }
    }
    if (log != stdout)
        std::fclose(log);
    return exit_code;
}
