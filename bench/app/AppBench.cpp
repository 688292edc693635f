// The whole client as a player feels it, headless on a private X server
// (Xvfb): wake-ups and CPU while seated at a table with nothing moving,
// memory and threads there, CPU per round of automatic play, and the time to
// the first frame on the screen. Each figure stands beside a minimal SDL
// program's from the same run: one that waits on events (the floor) and one
// that presents through SDL's renderer at 60 frames a second (a naive peer).
//
//   app_bench [--client P] [--server P] [--hall P] [--idle-seconds N] [--rounds N]
//   app_bench --sdl-peer wait|present60     (the peers; started by the bench)
//
// Figures come from /proc: CPU is user plus system time of all threads,
// wake-ups are the context switches of all threads, the start-up is the time
// from the program's start to the first change of the X screen (read from
// Xvfb's frame-buffer file). Only ratios within one run mean something on a
// shared machine.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int PEER_WIDTH = 1050;
constexpr int PEER_HEIGHT = 700;

double Now()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void SleepSeconds(double seconds)
{
    timespec span { time_t(seconds), long((seconds - double(time_t(seconds))) * 1e9) };
    while (nanosleep(&span, &span) != 0 && errno == EINTR) {
    }
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// ---------------------------------------------------------------- the peers

int RunPeer(const std::string& mode)
{
    // The floor shows its one frame the lightest way: the window's own
    // surface, without an accelerated renderer behind it.
    if (mode == "wait")
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window = SDL_CreateWindow("peer", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, PEER_WIDTH,
                                          PEER_HEIGHT, SDL_WINDOW_SHOWN);
    if (!window)
        return 1;
    std::vector<uint32_t> frame(size_t(PEER_WIDTH) * PEER_HEIGHT, 0xFF2E7D32u);
    if (mode == "wait") {
        // One frame through the window surface, then nothing but waiting.
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        if (surface)
            SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0x2E, 0x7D, 0x32));
        SDL_UpdateWindowSurface(window);
        SDL_Event event;
        while (SDL_WaitEvent(&event) == 1 && event.type != SDL_QUIT) {
        }
    } else {
        // A whole frame through the renderer's texture 60 times a second.
        SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
        SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                            SDL_TEXTUREACCESS_STREAMING, PEER_WIDTH, PEER_HEIGHT)
                                        : nullptr;
        if (!texture)
            return 1;
        double next = Now();
        for (uint32_t n = 0;; ++n) {
            SDL_Event event;
            while (SDL_PollEvent(&event) == 1) {
                if (event.type == SDL_QUIT)
                    return 0;
            }
            // A band of the frame moves every frame, so every frame shows.
            const int band = int(n % (PEER_WIDTH / 16));
            for (int y = 0; y < PEER_HEIGHT; ++y) {
                uint32_t* row = frame.data() + size_t(y) * PEER_WIDTH;
                std::fill(row, row + PEER_WIDTH, 0xFF2E7D32u);
                std::fill(row + band * 16, row + band * 16 + 16, 0xFFFFFFFFu);
            }
            SDL_UpdateTexture(texture, nullptr, frame.data(), PEER_WIDTH * 4);
            SDL_RenderCopy(renderer, texture, nullptr, nullptr);
            SDL_RenderPresent(renderer);
            next += 1.0 / 60.0;
            const double wait = next - Now();
            if (wait > 0)
                SDL_Delay(uint32_t(wait * 1000.0));
            else
                next = Now();
        }
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

// ---------------------------------------------------------------- processes

pid_t Spawn(const std::vector<std::string>& args)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t& pid, int signal = SIGTERM)
{
    if (pid <= 0)
        return;
    kill(pid, signal);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = 0;
            return;
        }
        SleepSeconds(0.05);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = 0;
}

// A child of `parent` (the client the hall started), 0 when none yet.
pid_t FindChild(pid_t parent)
{
    pid_t found = 0;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            const pid_t pid = pid_t(std::atoi(entry->d_name));
            if (pid <= 0)
                continue;
            const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
            const size_t close = stat.rfind(')');
            int ppid = 0;
            char state = 0;
            if (close != std::string::npos && std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2
                && ppid == parent)
                found = pid;
        }
        closedir(proc);
    }
    return found;
}

struct ThreadFigures {
    uint64_t switches { 0 };
    double cpu_seconds { 0 };
};

struct Sample {
    double when { 0 };
    double cpu_seconds { 0 };
    uint64_t switches { 0 };
    double rss_mb { 0 };
    int threads { 0 };
    std::map<std::string, ThreadFigures> by_thread; // "name/tid"
};

// User plus system seconds from a /proc stat line.
double CpuSecondsOf(const std::string& stat)
{
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::vector<std::string> words { std::istream_iterator<std::string>(fields), {} };
    if (words.size() <= 13)
        return 0;
    return double(std::stoull(words[11]) + std::stoull(words[12])) / double(sysconf(_SC_CLK_TCK));
}

Sample Take(pid_t pid)
{
    Sample sample;
    sample.when = Now();
    const std::string base = "/proc/" + std::to_string(pid);
    sample.cpu_seconds = CpuSecondsOf(ReadText(base + "/stat"));
    std::istringstream status(ReadText(base + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            sample.rss_mb = std::atof(line.c_str() + 6) / 1024.0;
        else if (line.rfind("Threads:", 0) == 0)
            sample.threads = std::atoi(line.c_str() + 8);
    }
    if (DIR* tasks = opendir((base + "/task").c_str())) {
        while (dirent* entry = readdir(tasks)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string task_base = base + "/task/" + entry->d_name;
            std::string name = ReadText(task_base + "/comm");
            name = name.substr(0, name.find('\n')) + "/" + entry->d_name;
            ThreadFigures& thread = sample.by_thread[name];
            thread.cpu_seconds = CpuSecondsOf(ReadText(task_base + "/stat"));
            std::istringstream task(ReadText(task_base + "/status"));
            for (std::string line; std::getline(task, line);) {
                if (line.find("ctxt_switches:") != std::string::npos)
                    thread.switches += std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
            }
            sample.switches += thread.switches;
        }
        closedir(tasks);
    }
    return sample;
}

// ---------------------------------------------------------------- the screen

// Xvfb on a free display, its screen mapped from the frame-buffer file.
class CXServer {
public:
    bool Start(const std::string& folder)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   "-br", "-noreset", "-fbdir", folder.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[32] {};
        const ssize_t got = read(fds[0], number, sizeof number - 1);
        close(fds[0]);
        if (got <= 0)
            return false;
        m_display = ":" + std::to_string(std::atoi(number));
        const int file = open((folder + "/Xvfb_screen0").c_str(), O_RDONLY);
        if (file < 0)
            return false;
        struct stat info {};
        fstat(file, &info);
        m_size = size_t(info.st_size);
        m_screen = static_cast<const uint8_t*>(mmap(nullptr, m_size, PROT_READ, MAP_SHARED, file, 0));
        close(file);
        return m_screen != MAP_FAILED;
    }
    ~CXServer()
    {
        if (m_screen && m_screen != MAP_FAILED)
            munmap(const_cast<uint8_t*>(m_screen), m_size);
        Stop(m_pid);
    }
    [[nodiscard]] const std::string& Display() const { return m_display; }
    // A cheap fingerprint of the screen (every 61st byte).
    [[nodiscard]] uint64_t Fingerprint() const
    {
        uint64_t hash = 1469598103934665603ull;
        for (size_t i = 0; i < m_size; i += 61)
            hash = (hash ^ m_screen[i]) * 1099511628211ull;
        return hash;
    }

private:
    pid_t m_pid { 0 };
    std::string m_display;
    const uint8_t* m_screen { nullptr };
    size_t m_size { 0 };
};

// ---------------------------------------------------------------- figures

struct Figures {
    double idle_wakeups { 0 };
    double idle_cpu_percent { 0 };
    double rss_mb { 0 };
    int threads { 0 };
    double cpu_per_round { 0 };
    double screen_updates_per_second { 0 };
    double startup_seconds { 0 };
    std::string idle_threads; // each thread's wake-ups and CPU while idle
};

// Seconds from now until the screen first changes (or `limit`).
double TimeToFirstFrame(const CXServer& x, double start, double limit)
{
    const uint64_t before = x.Fingerprint();
    while (Now() - start < limit) {
        if (x.Fingerprint() != before)
            return Now() - start;
        SleepSeconds(0.001);
    }
    return -1;
}

// Samples a process over `seconds`, counting screen changes meanwhile.
void Measure(const CXServer& x, pid_t pid, double seconds, Figures& out)
{
    const Sample a = Take(pid);
    SleepSeconds(seconds);
    const Sample b = Take(pid);
    const double span = b.when - a.when;
    out.idle_wakeups = double(b.switches - a.switches) / span;
    out.idle_cpu_percent = 100.0 * (b.cpu_seconds - a.cpu_seconds) / span;
    out.rss_mb = b.rss_mb;
    out.threads = b.threads;
    out.idle_threads.clear();
    for (const auto& [name, after] : b.by_thread) {
        const auto before = a.by_thread.find(name);
        if (before == a.by_thread.end())
            continue;
        char cell[96];
        std::snprintf(cell, sizeof cell, "%s %.1f/s %.2f%%", name.c_str(),
                      double(after.switches - before->second.switches) / span,
                      100.0 * (after.cpu_seconds - before->second.cpu_seconds) / span);
        out.idle_threads += std::string(out.idle_threads.empty() ? "" : ", ") + cell;
    }
    (void)x;
}

struct Options {
    std::string client = PLDK_CLIENT_PROGRAM;
    std::string server = PLDK_SERVER_PROGRAM;
    std::string hall = PLDK_HALL_PROGRAM;
    std::string self;
    double idle_seconds = 10;
    int rounds = 2;
};

Figures MeasurePeer(const Options& options, const CXServer& x, const std::string& mode, double round_seconds)
{
    Figures figures;
    const double start = Now();
    pid_t peer = Spawn({ options.self, "--sdl-peer", mode });
    figures.startup_seconds = TimeToFirstFrame(x, start, 20);
    SleepSeconds(2);
    Measure(x, peer, options.idle_seconds, figures);
    // Its CPU over as long as a round of the client took.
    const Sample a = Take(peer);
    double changes = 0;
    uint64_t last = x.Fingerprint();
    while (Now() - a.when < round_seconds) {
        SleepSeconds(0.004);
        const uint64_t now = x.Fingerprint();
        changes += now != last ? 1 : 0;
        last = now;
    }
    const Sample b = Take(peer);
    figures.cpu_per_round = b.cpu_seconds - a.cpu_seconds;
    figures.screen_updates_per_second = changes / (b.when - a.when);
    Stop(peer);
    return figures;
}

size_t CountLines(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size())
        ++count;
    return count;
}

std::optional<std::string> WaitForLine(const std::string& log, const std::string& start, size_t nth, double limit)
{
    const double begin = Now();
    while (Now() - begin < limit) {
        const std::string text = ReadText(log);
        size_t count = 0;
        for (size_t at = 0; (at = text.find(start, at)) != std::string::npos; at += start.size()) {
            if (++count == nth)
                return text.substr(at, text.find('\n', at) - at);
        }
        SleepSeconds(0.01);
    }
    return std::nullopt;
}

bool MeasureClient(const Options& options, const CXServer& x, const std::string& folder, Figures& figures,
                   double& round_seconds)
{
    // Start-up: the client alone at its local test table.
    {
        const double start = Now();
        pid_t client = Spawn({ options.client, "--local-test" });
        figures.startup_seconds = TimeToFirstFrame(x, start, 30);
        SleepSeconds(1);
        Stop(client);
        SleepSeconds(0.5);
    }
    // Idle: seated at a table through the hall, no round started.
    {
        const std::string log = folder + "/server-idle.log";
        pid_t server = Spawn({ options.server, "--port", "0", "--log", log, "--seconds", "600", "--start-after-ms",
                               "3600000" });
        const auto listening = WaitForLine(log, "listening ", 1, 10);
        if (!listening) {
            Stop(server);
            return false;
        }
        const std::string port = listening->substr(10);
        pid_t hall = Spawn({ options.hall, "--client", options.client, "--port", port, "--timeout-ms", "600000",
                             "--log", folder + "/hall-idle.log" });
        pid_t client = 0;
        for (int i = 0; i < 200 && client == 0; ++i) {
            SleepSeconds(0.05);
            client = FindChild(hall);
        }
        if (client == 0) {
            Stop(hall);
            Stop(server);
            return false;
        }
        SleepSeconds(6); // seated, the start screen gone
        Measure(x, client, options.idle_seconds, figures);
        Stop(hall);
        Stop(server);
    }
    // Play: rounds of one-second turns on automatic play, the computer
    // players answering at once.
    {
        const std::string log = folder + "/server-play.log";
        pid_t server = Spawn({ options.server, "--port", "0", "--log", log, "--seconds", "900", "--turn-seconds", "1",
                               "--computer-pause-ms", "0", "--start-after-ms", "1000", "--next-round-after-ms", "1000" });
        const auto listening = WaitForLine(log, "listening ", 1, 10);
        if (!listening) {
            Stop(server);
            return false;
        }
        pid_t hall = Spawn({ options.hall, "--client", options.client, "--port", listening->substr(10),
                             "--timeout-ms", "900000", "--log", folder + "/hall-play.log" });
        pid_t client = 0;
        for (int i = 0; i < 200 && client == 0; ++i) {
            SleepSeconds(0.05);
            client = FindChild(hall);
        }
        double cpu = 0;
        double wall = 0;
        double changes = 0;
        int played = 0;
        for (int round = 1; client != 0 && round <= options.rounds; ++round) {
            if (!WaitForLine(log, "round starts by itself", size_t(round), 120))
                break;
            const Sample a = Take(client);
            // The server's line of each ended round: "round N throws M passes, ...".
            uint64_t last = x.Fingerprint();
            while (Now() - a.when < 600 && CountLines(ReadText(log), " passes, first chair ") < size_t(round)) {
                SleepSeconds(0.004);
                const uint64_t now = x.Fingerprint();
                changes += now != last ? 1 : 0;
                last = now;
            }
            const Sample b = Take(client);
            cpu += b.cpu_seconds - a.cpu_seconds;
            wall += b.when - a.when;
            ++played;
        }
        Stop(hall);
        Stop(server);
        if (played == 0)
            return false;
        figures.cpu_per_round = cpu / played;
        figures.screen_updates_per_second = changes / wall;
        round_seconds = wall / played;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    options.self = argv[0];
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--sdl-peer" && has_value)
            return RunPeer(argv[i + 1]);
        if (arg == "--client" && has_value)
            options.client = argv[++i];
        else if (arg == "--server" && has_value)
            options.server = argv[++i];
        else if (arg == "--hall" && has_value)
            options.hall = argv[++i];
        else if (arg == "--idle-seconds" && has_value)
            options.idle_seconds = std::max(1.0, std::atof(argv[++i]));
        else if (arg == "--rounds" && has_value)
            options.rounds = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: app_bench [--client P] [--server P] [--hall P] [--idle-seconds N] [--rounds N]\n");
            return 2;
        }
    }
    char folder_template[] = "/tmp/app_bench.XXXXXX";
    const char* folder = mkdtemp(folder_template);
    if (!folder)
        return 1;
    const std::string home = folder;
    mkdir((home + "/x").c_str(), 0700);
    CXServer x;
    if (!x.Start(home + "/x")) {
        std::fprintf(stderr, "app_bench: Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", x.Display().c_str(), 1);
    unsetenv("SDL_VIDEODRIVER");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);

    Figures client;
    double round_seconds = 0;
    if (!MeasureClient(options, x, home, client, round_seconds)) {
        std::fprintf(stderr, "app_bench: the client's session did not run (logs in %s)\n", folder);
        return 1;
    }
    const Figures wait = MeasurePeer(options, x, "wait", round_seconds);
    const Figures present = MeasurePeer(options, x, "present60", round_seconds);

    std::printf("%-34s %12s %12s %12s\n", "", "client", "SDL waiting", "SDL 60 fps");
    auto row = [&](const char* name, const char* format, auto pick) {
        std::printf("%-34s", name);
        for (const Figures* f : { static_cast<const Figures*>(&client), &wait, &present }) {
            char cell[32];
            std::snprintf(cell, sizeof cell, format, pick(*f));
            std::printf(" %12s", cell);
        }
        std::printf("\n");
    };
    row("idle wake-ups per second", "%.1f", [](const Figures& f) { return f.idle_wakeups; });
    row("idle CPU (% of a core)", "%.2f", [](const Figures& f) { return f.idle_cpu_percent; });
    row("RSS at the table (MB)", "%.1f", [](const Figures& f) { return f.rss_mb; });
    row("threads at the table", "%.0f", [](const Figures& f) { return double(f.threads); });
    row("CPU seconds per round played", "%.2f", [](const Figures& f) { return f.cpu_per_round; });
    row("screen updates per second in play", "%.1f", [](const Figures& f) { return f.screen_updates_per_second; });
    row("start-up to the first frame (s)", "%.3f", [](const Figures& f) { return f.startup_seconds; });
    std::printf("(a round of automatic play took %.1f s; the peers' CPU is over as long)\n", round_seconds);
    std::printf("the client's threads while idle (wake-ups, CPU): %s\n", client.idle_threads.c_str());
    return 0;
}
