// Entry point of the client. It builds this game's application, hands it the
// command line (the hall's '|'-separated fields, or a replay file), runs its
// start-up and then the message loop until the main window closes. Paths on
// the command line are bytes: any file the system can open can be named. The
// options of the entry itself:
//   --local-test   stand-alone with four placeholder players, no hall, no server
//   --frames N     close the main window after N engine frames (smoke runs)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/CGameFrameWnd.h"
#include "client/CPlDkApp.h"
#include "client/RulesServices.h"
#include "engine/media/MediaServices.h"
#include "engine/media/StartScreen.h"
#include "engine/widgets/WidgetServices.h"
#include "game/scene/PlDkGameFrameUI.h"
#include "platform/Message.h"
#include "platform/MessageWindow.h"
#include "platform/Text.h"

namespace {

struct Options {
    bool local_test = false;
    long frame_budget = 0;
    std::string command_line;
};

// Closes the main window after a number of engine frame periods.
class CFrameBudget final : public platform::CMessageWindow {
public:
    CFrameBudget(long frames, platform::WindowHandle target) : m_frames_left(frames), m_target(target) {}

protected:
    intptr_t WindowProc(platform::Message& msg) override
    {
        if (msg.id == platform::WM_TIMER && --m_frames_left == 0) {
            platform::KillTimer(GetHandle(), 1);
            platform::PostMessage(m_target, platform::WM_CLOSE);
        }
        return 0;
    }

private:
    long m_frames_left;
    platform::WindowHandle m_target;
};

bool ParseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--local-test") {
            options.local_test = true;
            continue;
        }
        if (arg == "--frames" && i + 1 < argc) {
            char* end = nullptr;
            options.frame_budget = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || options.frame_budget <= 0) {
                std::fprintf(stderr, "pldk: --frames takes a positive number of frames\n");
                return false;
            }
            continue;
        }
        // Everything else is the command line the application reads, in GBK.
        // An argument that is no UTF-8 text GBK can hold (a file name copied
        // from another system) goes on as its bytes: the file layer finds an
        // existing file under them.
        if (!options.command_line.empty())
            options.command_line += ' ';
        options.command_line += platform::Utf8ToGbk(arg).value_or(std::string(arg));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseArguments(argc, argv, options))
        return 2;

    client::InstallRulesServices();
    engine::InstallMediaServices();
    engine::InstallWidgetServices();
    scene::InstallFrameUIFactory();

    client::CPlDkApp app;
    app.SetCommandLine(options.command_line);
    if (options.local_test)
        app.SetRunMode(client::RUN_MODE_STAND_ALONE);
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 1;
    }
    client::CGameFrameWnd* window = app.GetMainWindow();
    if (engine::ShowStartScreen(window->GetCore()) == 0)
        std::fprintf(stderr, "pldk: the start screen (skin/start.kor beside the program) is missing\n");

    CFrameBudget budget(options.frame_budget, window->GetHandle());
    if (options.frame_budget > 0 && budget.Create())
        platform::SetTimer(budget.GetHandle(), 1, engine::CVelotrixWnd::FRAME_INTERVAL_MS);
    const int exit_code = platform::RunMessageLoop();
    app.ExitInstance();
    return exit_code;
}
