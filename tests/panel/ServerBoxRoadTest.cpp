// A server's message box on the whole road: a loopback server sends one, then
// more notifications, then closes; the real main window with the frame UI
// as its root keeps drawing, handles the later ones and notices the close
// while the box is up, and the program can end with the box still up.
#include <unistd.h>
#include <atomic>

#include <gtest/gtest.h>

#include "client/CGameCommThread.h"
#include "client/CGameFrameWnd.h"
#include "client/CGameNotifyHandler.h"
#include "client/CPlDkApp.h"
#include "client/panel/CGameFrameUI.h"
#include "engine/core/CanvasServices.h"
#include "engine/core/InputModule.h"
#include "engine/core/VelotrixDefs.h"
#include "engine/media/MediaServices.h"
#include "net/PacketKeys.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"
#include "tests/client/AppFakes.h"
#include "tests/net/support/TestGameServer.h"
#include "tests/platform/TempFolder.h"

namespace {

constexpr uint32_t DEADLINE_MS = 10000;

// The desktop box: it holds the thread that shows it until it is answered
// (here after two seconds, so that a road that shows it still ends).
class CDesktopLikeBox final : public platform::IMessageBox {
public:
    int Show(platform::WindowHandle, std::string_view, std::string_view, uint32_t) override
    {
        ++shown;
        ::usleep(2000 * 1000);
        return platform::IDOK;
    }
    std::atomic<int> shown { 0 };
};

class CCountingWindow final : public client::CGameFrameWnd {
public:
    using CGameFrameWnd::CGameFrameWnd;
    bool Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                 std::span<const engine::EngineRect> changed) override
    {
        ++presented;
        return CGameFrameWnd::Present(pixels, width, height, pitch, changed);
    }
    int presented = 0;
};

TEST(ServerBoxRoad, TheWindowDrawsHandlesTheServerAndEndsWhileAServerBoxIsUp)
{
    platform::testing::CTempFolder folder;
    platform::SetUserDataFolder(folder.Path());
    platform::SetUserConfigFolder(folder.Path());
    CDesktopLikeBox desktop;
    platform::InstallMessageBox(&desktop);
    engine::InstallMediaServices();
    {
        client::CPlDkApp app;
        app.SetRunMode(client::RUN_MODE_STAND_ALONE);
        client::CGameCommThread thread;
        client::AppLinks links;
        links.connection = &app.GetConnection();
        links.comm_thread = &thread;
        links.wait_dialog = &thread;
        app.SetLinks(links);
        net::testing::CTestGameServer server;
        ASSERT_TRUE(thread.Start());
        ASSERT_TRUE(server.Start());

        CCountingWindow window(app);
        platform::NativeWindowOptions options;
        options.show = platform::WindowShow::Hidden;
        ASSERT_NE(window.Create(options), 0);
        auto root = std::make_unique<panel::CGameFrameUI>(app);
        panel::CGameFrameUI* frame = root.get();
        ASSERT_NE(window.StartEngine(std::move(root), nullptr), 0u);
        client::CGameNotifyHandler handler(app);
        window.SetNotifyHandler(&handler);
        thread.SetTarget(window.GetHandle());
        client::CPlDkConnection& connection = app.GetConnection();
        connection.SetCipherKey(net::PACKET_KEY);
        connection.SetNotifyThread(thread.GetThreadId());
        bool proxy_failed = true;
        ASSERT_TRUE(connection.Connect("game", "127.0.0.1", server.GetPort(), proxy_failed));
        ASSERT_TRUE(server.WaitForClient(DEADLINE_MS));

        std::vector<uint8_t> text(64);
        std::memcpy(text.data(), "服务器将在五分钟后维护", sizeof "服务器将在五分钟后维护");
        ASSERT_TRUE(server.SendNotification(client::GR_SERVER_MESSAGE_BOX, text));
        ASSERT_TRUE(client_test::PumpUntil([&] { return frame->GetServerBox() != nullptr; }, DEADLINE_MS));
        const uint32_t box = frame->GetServerBox()->GetId();
        const int presented = window.presented;

        ASSERT_TRUE(server.SendNotification(5001, {}));
        EXPECT_TRUE(client_test::PumpUntil([&] { return handler.GetLastMessage().id == 5001; }, DEADLINE_MS));
        server.DisconnectClient();
        EXPECT_TRUE(client_test::PumpUntil([&] { return frame->GetLastBoardText() == "与服务器连接断开。"; },
                                           DEADLINE_MS));
        EXPECT_TRUE(client_test::PumpUntil([&] { return window.presented > presented; }, DEADLINE_MS));
        EXPECT_EQ(desktop.shown.load(), 0) << "nothing held the thread";
        ASSERT_NE(frame->GetServerBox(), nullptr);
        EXPECT_EQ(frame->GetServerBox()->GetId(), box) << "still up";
        const auto* input = dynamic_cast<const engine::InputModule*>(
            window.GetCore().GetModule(engine::VELOTRIX_MODULE_INPUT));
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->GetModalObject(), box);

        // The program's end ends the loop with the box up.
        platform::PostQuitMessage(7);
        EXPECT_EQ(platform::RunMessageLoop(), 7);

        connection.Close();
        thread.Stop();
        window.SetNotifyHandler(nullptr);
        window.Destroy();
    }
    engine::CVelotrixWnd::SetModuleFactory(nullptr);
    engine::CCanvasServices::Reset();
    platform::InstallMessageBox(nullptr);
    platform::SetUserConfigFolder("");
    platform::SetUserDataFolder("");
}

} // namespace
