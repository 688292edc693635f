// The engine window on a real X server: when Xvfb is installed, a private
// server is started, the engine paints a frame into its window and the
// screen is read back. Skipped cleanly without Xvfb.
#include "engine/media/GDIPaintModule.h"
#include "engine/media/MediaServices.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"

#include "engine/core/GuiContainer.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/VelotrixWnd.h"
#include "platform/DailyLog.h"
#include "platform/EventPump.h"
#include "platform/Tick.h"

#include "ImageTestSupport.h"
#include "XScreen.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace engine;

namespace {

using imagetest::CXvfb;
using imagetest::XVFB;

void PumpFor(uint32_t ms)
{
    const uint32_t start = platform::GetTickCount();
    while (!platform::HasElapsed(start, platform::GetTickCount(), ms)) {
        platform::PumpWaitingMessages();
        platform::WaitMessage(2);
    }
}

} // namespace

TEST(Screenshot, EngineFrameReachesTheRealWindow)
{
    if (!std::filesystem::exists(XVFB))
        GTEST_SKIP() << "Xvfb is not installed";
    CXvfb server;
    if (!server.Start())
        GTEST_SKIP() << "Xvfb did not start";
    ::setenv("DISPLAY", server.Name().c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The frame goes through SDL's software renderer: the GL stack (and its
    // allocations for the life of the process) is not loaded.
    ::setenv("SDL_RENDER_DRIVER", "software", 1);
    ::setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    imagetest::CTempFolder folder;
    platform::CDailyLog::Instance().SetFolder(folder.Path());
    InstallMediaServices();

    {
        auto window = std::make_unique<CVelotrixWnd>();
        platform::NativeWindowOptions options;
        options.title = "engine";
        options.width = 200;
        options.height = 120;
        options.frame = platform::WindowFrame::Borderless;
        ASSERT_EQ(window->Create(options), 1) << platform::CNativeWindow::LastError();
        PumpFor(100);
        ASSERT_NE(window->StartEngine(std::make_unique<CGuiContainer>(), nullptr), 0u);
        GameCore& core = window->GetCore();
        auto* paint = dynamic_cast<GDIPaintModule*>(core.GetModule(VELOTRIX_MODULE_PAINT));
        auto* resources = dynamic_cast<ResourceModule*>(core.GetModule(VELOTRIX_MODULE_RESOURCE));
        auto* objects = dynamic_cast<ObjectModule*>(core.GetModule(VELOTRIX_MODULE_OBJECT));
        ASSERT_NE(paint, nullptr);
        ASSERT_NE(resources, nullptr);
        ASSERT_NE(objects, nullptr);
        const ImageRecord red = imagetest::MakeBgra(40, 40, std::vector<uint32_t>(1600, 0xFFE01010), 0);
        (void)resources->AddResource("square.pps", EncodePps(red, nullptr, PPS_METHOD_BEST));
        paint->Clear(0x00C06030);                           // blue 0xC0, green 0x60, red 0x30
        ImageRef ref;
        paint->LoadImageByName(ref, "square", 0);
        ASSERT_NE(ref.record, nullptr);
        paint->DrawImage(ref, 80, 40, 40, 40, 0.0);
        objects->RefreshView();

        // The frame reaches the screen when the window is mapped and the X
        // server has drawn it, which on a loaded machine takes a while: the
        // screen is read until the engine's background shows and the square
        // inside it does too, or a generous deadline passes.
        std::vector<uint32_t> screen;
        const auto at = [&](int x, int y) { return screen[size_t(y) * 800 + size_t(x)]; };
        int found_x = -1;
        int found_y = -1;
        const auto find_window = [&] {
            found_x = -1;
            found_y = -1;
            for (int y = 0; y < 600 && found_x < 0; ++y) {
                for (int x = 0; x < 800; ++x) {
                    if (at(x, y) == 0x3060C0) {
                        found_x = x;
                        found_y = y;
                        break;
                    }
                }
            }
            return found_x >= 0 && found_x + 100 < 800 && found_y + 60 < 600
                && at(found_x + 100, found_y + 60) == 0xE01010u;
        };
        const uint32_t start = platform::GetTickCount();
        do {
            PumpFor(50);
            ASSERT_TRUE(imagetest::ReadScreen(server.Name(), 800, 600, screen));
        } while (!find_window() && !platform::HasElapsed(start, platform::GetTickCount(), 20000));
        ASSERT_GE(found_x, 0) << "the engine's background is not on the screen";
        ASSERT_LE(found_x + 199, 799);
        ASSERT_LE(found_y + 119, 599);
        EXPECT_EQ(at(found_x + 199, found_y + 119), 0x3060C0u);
        EXPECT_EQ(at(found_x + 100, found_y + 60), 0xE01010u);
        EXPECT_EQ(at(found_x + 79, found_y + 60), 0x3060C0u);
    }
    platform::CDailyLog::Instance().SetFolder({});
}
