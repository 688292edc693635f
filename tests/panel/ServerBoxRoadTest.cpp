// A server's message box on the whole road: a loopback server sends one, then
// more notifications, then closes; the real main window with the frame UI
// as its root keeps drawing, handles the later ones and notices the close
// while the box is up, and the program can end with the box still up.
// A server that floods the client with notifications that each open a box
// leaves a bounded number of boxes and one refusal line per kind of box.
#include <unistd.h>
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/CGameCommThread.h"
#include "client/CGameFrameWnd.h"
#include "client/CGameNotifyHandler.h"
#include "client/CPlDkApp.h"
#include "client/FrameUIFactory.h"
#include "client/RecordCodec.h"
#include "client/panel/CGameFrameUI.h"
#include "engine/core/CanvasServices.h"
#include "engine/core/InputModule.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/VelotrixDefs.h"
#include "engine/media/MediaServices.h"
#include "net/PacketKeys.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"
#include "tests/client/AppFakes.h"
#include "tests/client/RefusalLines.h"
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

// The application linked to a communication thread, and a loopback server
// for its game connection (destroyed server first, the application last).
struct CServedApp {
    CServedApp()
    {
        app.SetRunMode(client::RUN_MODE_STAND_ALONE);
        client::AppLinks links;
        links.connection = &app.GetConnection();
        links.comm_thread = &thread;
        links.wait_dialog = &thread;
        app.SetLinks(links);
    }
    ::testing::AssertionResult Start()
    {
        if (!thread.Start() || !server.Start())
            return ::testing::AssertionFailure() << "no thread or server";
        return ::testing::AssertionSuccess();
    }
    /// Connects the game connection to the server, its notifications going
    /// through the communication thread.
    ::testing::AssertionResult Connect()
    {
        client::CPlDkConnection& connection = app.GetConnection();
        connection.SetCipherKey(net::PACKET_KEY);
        connection.SetNotifyThread(thread.GetThreadId());
        bool proxy_failed = true;
        if (!connection.Connect("game", "127.0.0.1", server.GetPort(), proxy_failed))
            return ::testing::AssertionFailure() << "no connection";
        if (!server.WaitForClient(DEADLINE_MS))
            return ::testing::AssertionFailure() << "the server saw no client";
        return ::testing::AssertionSuccess();
    }

    client::CPlDkApp app;
    client::CGameCommThread thread;
    net::testing::CTestGameServer server;
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

// What a road installs for the process (the folders, the media services, the
// desktop box, the frame UI factory) is given back however the test ends.
class ServerBoxRoad : public ::testing::Test {
protected:
    ServerBoxRoad()
    {
        platform::SetUserDataFolder(m_folder.Path());
        platform::SetUserConfigFolder(m_folder.Path());
        engine::InstallMediaServices();
    }
    ~ServerBoxRoad() override
    {
        client::SetFrameUIFactory(m_previous_factory);
        engine::CVelotrixWnd::SetModuleFactory(nullptr);
        engine::CCanvasServices::Reset();
        platform::InstallMessageBox(nullptr);
        platform::SetUserConfigFolder("");
        platform::SetUserDataFolder("");
    }

    platform::testing::CTempFolder m_folder;
    client::IFrameUIFactory* m_previous_factory = client::GetFrameUIFactory();
};

TEST_F(ServerBoxRoad, TheWindowDrawsHandlesTheServerAndEndsWhileAServerBoxIsUp)
{
    CDesktopLikeBox desktop;
    platform::InstallMessageBox(&desktop);
    {
        CServedApp served;
        client::CPlDkApp& app = served.app;
        client::CGameCommThread& thread = served.thread;
        net::testing::CTestGameServer& server = served.server;
        ASSERT_TRUE(served.Start());

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
        ASSERT_TRUE(served.Connect());

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
}

class CFrameFactory final : public client::IFrameUIFactory {
public:
    std::unique_ptr<engine::CGuiContainer> CreateFrameUI(client::CGameApp& app) override
    {
        return std::make_unique<panel::CGameFrameUI>(app);
    }
};

std::vector<uint8_t> Words(std::initializer_list<int32_t> words, size_t size = 64)
{
    std::vector<uint8_t> body(std::max(size, words.size() * 4));
    size_t at = 0;
    for (const int32_t word : words)
        platform::StoreU32LE(body.data() + 4 * at++, static_cast<uint32_t>(word));
    return body;
}

// The program's own main window (so the end-of-table boards show), its frame
// UI and its notification handler, against a loopback server.
TEST_F(ServerBoxRoad, AFloodOfNotificationsThatOpenBoxesLeavesABoundedFewAndOneLinePerKind)
{
    CFrameFactory factory;
    client::SetFrameUIFactory(&factory);
    const client_test::CRefusalLines lines;
    {
        CServedApp served;
        client::CPlDkApp& app = served.app;
        client::CGameCommThread& thread = served.thread;
        net::testing::CTestGameServer& server = served.server;
        ASSERT_TRUE(served.Start());
        ASSERT_TRUE(app.CreateMainWindow());
        auto* frame = dynamic_cast<panel::CGameFrameUI*>(app.Links().frame_ui);
        ASSERT_NE(frame, nullptr);
        thread.SetTarget(app.GetMainWindow()->GetHandle());
        client::CPlDkConnection& connection = app.GetConnection();
        ASSERT_TRUE(served.Connect());
        const auto* objects = dynamic_cast<const engine::ObjectModule*>(
            app.GetMainWindow()->GetCore().GetModule(engine::VELOTRIX_MODULE_OBJECT));
        ASSERT_NE(objects, nullptr);
        const size_t objects_before = objects->GetObjectCount();

        using Kind = panel::CGameFrameUI::BoxKind;
        constexpr int FLOOD = 200;
        const struct {
            Kind kind;
            size_t shown; ///< what stays up of the flood
            std::vector<std::pair<uint32_t, std::vector<uint8_t>>> (*bodies)(int i);
        } floods[] = {
            { Kind::PlayerDetail, panel::CGameFrameUI::MAX_BOXES_PER_KIND,
              [](int i) {
                  client::GameUserRecord user;
                  user.user_id = 1000 + i;
                  const auto record = client::RecordBytes(user);
                  return std::vector<std::pair<uint32_t, std::vector<uint8_t>>> {
                      { client::GR_ID_211241, { record.begin(), record.end() } }
                  };
              } },
            // Seven askers, each asking again and again.
            { Kind::ExitRequest, panel::CGameFrameUI::MAX_BOXES_PER_KIND,
              [](int i) {
                  return std::vector<std::pair<uint32_t, std::vector<uint8_t>>> {
                      { client::GR_ASK_FORCED_EXIT, Words({ 1 + i % 7 }, 84) }
                  };
              } },
            { Kind::MatchOut, panel::CGameFrameUI::MAX_BOXES_PER_KIND,
              [](int i) {
                  return std::vector<std::pair<uint32_t, std::vector<uint8_t>>> {
                      { client::GR_ID_211190, Words({ 0, 0, i + 1 }) }
                  };
              } },
            { Kind::Banner, 1,
              [](int) {
                  return std::vector<std::pair<uint32_t, std::vector<uint8_t>>> { { client::GR_MATCH_SYSTEM_CANCEL, {} } };
              } },
            // Two end-of-table notices at each step: a name's and a server's text.
            { Kind::ExitBoard, panel::CGameFrameUI::MAX_BOXES_PER_KIND,
              [](int i) {
                  std::vector<uint8_t> text = Words({ 0, 0 }, 40);
                  const std::string line = "第" + std::to_string(i) + "桌结束";
                  std::memcpy(text.data() + 8, line.data(), line.size());
                  return std::vector<std::pair<uint32_t, std::vector<uint8_t>>> {
                      { client::GR_END_SILVER_LOW, Words({ 2000 + i }) }, { client::GR_END_SERVER_TEXT, text }
                  };
              } },
        };
        // Each flood ends with a mark the handler takes after it.
        const auto handled = [&](size_t length) {
            const auto* handler = dynamic_cast<const client::CGameNotifyHandler*>(
                app.GetMainWindow()->GetNotifyHandler());
            return handler != nullptr && handler->GetLastMessage().id == 5001
                && handler->GetLastMessage().length == length;
        };
        for (size_t k = 0; k < std::size(floods); ++k) {
            for (int i = 0; i < FLOOD; ++i)
                for (const auto& [id, body] : floods[k].bodies(i))
                    ASSERT_TRUE(server.SendNotification(id, body));
            ASSERT_TRUE(server.SendNotification(5001, std::vector<uint8_t>(4 * (k + 1))));
            ASSERT_TRUE(client_test::PumpUntil([&] { return handled(4 * (k + 1)); }, 4 * DEADLINE_MS));
        }
        size_t boxes = 0;
        for (const auto& flood : floods) {
            EXPECT_EQ(frame->GetOpenBoxCount(flood.kind), flood.shown) << static_cast<int>(flood.kind);
            boxes += flood.shown;
        }
        // Each box is a handful of objects (its canvas, buttons, countdown).
        EXPECT_LT(objects->GetObjectCount() - objects_before, boxes * 8);
        size_t box_lines = 0;
        for (const std::string& line : lines.Get())
            box_lines += line.find("refused: ") != std::string::npos && line.find("up already") != std::string::npos;
        EXPECT_EQ(box_lines, std::size(floods)) << ::testing::PrintToString(lines.Get());

        connection.Close();
        thread.Stop();
    }
}

} // namespace
