// Entry point of the client. It starts the engine in its host window (a real
// SDL window; SDL's offscreen driver runs it headless) and shows the start
// screen drawn from the project's own skin package, until the window is
// closed. The options:
//   --frames N   quit after N engine frames (for smoke runs without a desktop)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "client/RulesServices.h"
#include "engine/core/GuiContainer.h"
#include "engine/core/VelotrixWnd.h"
#include "engine/media/MediaServices.h"
#include "engine/media/StartScreen.h"
#include "platform/Message.h"
#include "platform/MessageIds.h"

namespace {

constexpr int VIEW_WIDTH = 1050;
constexpr int VIEW_HEIGHT = 700;

// The host window of this program: closing it ends the message loop, and a
// frame budget (when given) ends it after that many engine frames.
class CClientWindow final : public engine::CVelotrixWnd {
public:
    explicit CClientWindow(long frame_budget) : m_frames_left(frame_budget) {}

    void OnFrameTick() override
    {
        engine::CVelotrixWnd::OnFrameTick();
        if (m_frames_left > 0 && --m_frames_left == 0)
            Close();
    }

protected:
    intptr_t WindowProc(platform::Message& msg) override
    {
        if (msg.id == platform::WM_CLOSE) {
            Close();
            return 0;
        }
        return engine::CVelotrixWnd::WindowProc(msg);
    }

private:
    void Close()
    {
        Destroy();
        platform::PostQuitMessage(0);
    }

    long m_frames_left;
};

bool ParseArguments(int argc, char** argv, long& frame_budget)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            char* end = nullptr;
            frame_budget = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || frame_budget <= 0) {
                std::fprintf(stderr, "pldk: --frames takes a positive number of frames\n");
                return false;
            }
            continue;
        }
        std::fprintf(stderr, "pldk: unknown argument '%s'; usage: pldk [--frames N]\n", argv[i]);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    long frame_budget = 0;
    if (!ParseArguments(argc, argv, frame_budget))
        return 2;

    client::InstallRulesServices();
    engine::InstallMediaServices();

    CClientWindow window(frame_budget);
    platform::NativeWindowOptions options;
    options.title = "pldk";
    options.width = VIEW_WIDTH;
    options.height = VIEW_HEIGHT;
    if (window.Create(options) == 0) {
        std::fprintf(stderr, "pldk: cannot open the window: %s\n", platform::CNativeWindow::LastError().c_str());
        return 1;
    }
    if (window.StartEngine(std::make_unique<engine::CGuiContainer>(), nullptr) == 0) {
        std::fprintf(stderr, "pldk: the engine did not start\n");
        return 1;
    }
    if (engine::ShowStartScreen(window.GetCore()) == 0)
        std::fprintf(stderr, "pldk: the start screen (skin/start.kor beside the program) is missing\n");
    return platform::RunMessageLoop();
}
