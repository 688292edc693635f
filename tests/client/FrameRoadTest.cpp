// The communication thread with its wait dialog and bar, and the main
// window's received-message road end to end: a loopback game server's
// notifications through the socket client, the communication thread and the
// main window into a recording dispatcher; lost connections and old cookies;
// the close road's questions.
#include <unistd.h>
#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "client/CGameCommThread.h"
#include "client/CGameFrameWnd.h"
#include "client/CHeldNotifications.h"
#include "client/CPlDkApp.h"
#include "client/ClientText.h"
#include "engine/core/CanvasServices.h"
#include "engine/core/GuiContainer.h"
#include "engine/media/MediaServices.h"
#include "net/CommRecords.h"
#include "net/NetMessages.h"
#include "net/PacketCodec.h"
#include "net/PacketFrame.h"
#include "net/PacketKeys.h"
#include "net/WireBytes.h"
#include "platform/MessageWindow.h"
#include "platform/Path.h"
#include "platform/Tick.h"
#include "tests/client/AppFakes.h"
#include "tests/client/RefusalLines.h"
#include "tests/net/support/TestGameServer.h"
#include "tests/platform/TempFolder.h"

namespace client {
namespace {

using namespace client_test;
using net::testing::CTestGameServer;
using net::testing::ReceivedMessage;

constexpr uint32_t DEADLINE_MS = 10000;

bool Pump(const std::function<bool()>& done, uint32_t timeout_ms = DEADLINE_MS)
{
    return client_test::PumpUntil(done, timeout_ms);
}

int Channel(ColorRef color, int index)
{
    return static_cast<int>((color >> (8 * index)) & 0xFF);
}

TEST(WaitBar, BandsRunFromTheForegroundTowardsTheBackgroundAndRotate)
{
    const struct {
        ColorRef foreground;
        ColorRef background;
    } cases[] = {
        { MakeRgb(46, 70, 26), MakeRgb(115, 148, 66) },
        { MakeRgb(250, 10, 128), MakeRgb(0, 255, 128) },
        { MakeRgb(0, 0, 0), MakeRgb(255, 255, 255) },
    };
    for (const auto& c : cases) {
        CWaitBarCtrl bar;
        bar.SetColors(c.foreground, c.background);
        const auto bands = bar.GetBands();
        EXPECT_EQ(bands[CWaitBarCtrl::BASE_INDEX], c.foreground);
        for (const ColorRef band : bands) {
            for (int channel = 0; channel < 3; ++channel) {
                // Every band lies between the two colours, never past the background.
                const int low = std::min(Channel(c.foreground, channel), Channel(c.background, channel));
                const int high = std::max(Channel(c.foreground, channel), Channel(c.background, channel));
                EXPECT_GE(Channel(band, channel), low);
                EXPECT_LE(Channel(band, channel), high);
            }
        }
        bar.RotateRight();
        EXPECT_EQ(bar.GetBands()[0], bands[5]);
        EXPECT_EQ(bar.GetBands()[4], bands[3]);
        bar.RotateLeft();
        EXPECT_EQ(bar.GetBands(), bands);
    }
    CWaitBarCtrl bar;
    bar.SetColors(MakeRgb(46, 70, 26), MakeRgb(115, 148, 66));
    // Steps (-23, -26, -13): bands 2, 1 and 0 climb to the background.
    EXPECT_EQ(bar.GetBands()[2], MakeRgb(69, 96, 39));
    EXPECT_EQ(bar.GetBands()[0], MakeRgb(115, 148, 65));
    EXPECT_EQ(bar.GetBands()[5], MakeRgb(92, 122, 52));

    // The last band reaches the edge of an uneven width.
    std::vector<uint8_t> pixels(20 * 2 * 4);
    bar.Paint({ pixels, 20, 2, 80 }, { 0, 0, 20, 2 });
    EXPECT_EQ(pixels[19 * 4 + 2], Channel(bar.GetBands()[5], 0));
    EXPECT_EQ(pixels[0 * 4 + 2], Channel(bar.GetBands()[0], 0));
}

// A window on the test thread that keeps what it receives.
class CRecordingWindow final : public platform::CMessageWindow {
public:
    std::vector<uint32_t> ids;
    int wakes = 0; ///< WM_NULL: the wait dialog was shown or hidden
    ~CRecordingWindow() override { Destroy(); }

protected:
    intptr_t WindowProc(platform::Message& msg) override
    {
        if (const auto* message = msg.PayloadAs<net::CommMessage>())
            ids.push_back(message->request.id);
        if (msg.id == platform::WM_NULL)
            ++wakes;
        return 0;
    }
};

void PostReceived(platform::ThreadId thread, uint32_t id, uint32_t cookie = 0)
{
    auto message = std::make_unique<net::CommMessage>();
    message->conn.cookie = cookie;
    message->request = net::RequestRecord::Make(id, std::vector<uint8_t>(8, 1));
    (void)platform::PostThreadMessage(thread, net::UM_COMM_MESSAGE, 0, 0, std::move(message));
}

TEST(CommThread, RelaysToItsTargetFreesWithoutOneAndStopsWithinItsBound)
{
    CGameCommThread thread;
    ASSERT_TRUE(thread.Start());
    CRecordingWindow window;
    ASSERT_TRUE(window.Create());
    // Before a target is set the message is freed, not kept for later.
    PostReceived(thread.GetThreadId(), 7);
    ASSERT_TRUE(Pump([&] { return thread.GetDroppedCount() == 1; }));
    thread.SetTarget(window.GetHandle());
    PostReceived(thread.GetThreadId(), 8);
    ASSERT_TRUE(Pump([&] { return !window.ids.empty(); }));
    EXPECT_EQ(window.ids, std::vector<uint32_t> { 8 });
    // The target draws the wait dialog and may sleep between its frames: it
    // is woken when the dialog is shown and when it is hidden.
    thread.ShowText("正在连接游戏服务器......");
    EXPECT_TRUE(Pump([&] { return window.wakes == 1; }));
    thread.Hide();
    EXPECT_TRUE(Pump([&] { return window.wakes == 2; }));
    window.Destroy();
    PostReceived(thread.GetThreadId(), 9);
    ASSERT_TRUE(Pump([&] { return thread.GetDroppedCount() == 2; }));

    const uint32_t start = platform::GetTickCount();
    thread.Stop();
    EXPECT_LT(platform::GetTickCount() - start, CGameCommThread::STOP_WAIT_MS);
    EXPECT_EQ(thread.GetThreadId(), 0u);
    thread.ShowText("after the end"); // posts to nobody
}

TEST(CommThread, WaitTextsShowHideAndTimeOut)
{
    CGameCommThread thread;
    ASSERT_TRUE(thread.Start());
    const CCommWaitDlg& dialog = thread.GetDialog();
    thread.ShowText("正在连接游戏服务器......");
    ASSERT_TRUE(Pump([&] { return dialog.IsShown(); }));
    EXPECT_EQ(dialog.GetText(), "正在连接游戏服务器......");
    // The bar turns while shown.
    const uint64_t revision = dialog.GetRevision();
    ASSERT_TRUE(Pump([&] { return dialog.GetRevision() > revision + 1; }));
    thread.Hide();
    ASSERT_TRUE(Pump([&] { return !dialog.IsShown(); }));

    // A timed text hides by itself; a second one restarts the count.
    thread.ShowTextFor("一", 1);
    ASSERT_TRUE(Pump([&] { return dialog.IsShown(); }));
    const uint32_t start = platform::GetTickCount();
    Pump([] { return false; }, 600);
    thread.ShowTextFor("二", 1);
    ASSERT_TRUE(Pump([&] { return dialog.GetText() == "二"; }));
    ASSERT_TRUE(Pump([&] { return !dialog.IsShown(); }, 3000));
    EXPECT_GE(platform::GetTickCount() - start, 1500u);

    // Drawn centred with the default bar colours while shown, nothing while hidden.
    std::vector<uint8_t> pixels(400 * 200 * 4);
    const PixelTarget target { pixels, 400, 200, 1600 };
    EXPECT_FALSE(dialog.Draw(target));
    thread.ShowText("三");
    ASSERT_TRUE(Pump([&] { return dialog.IsShown(); }));
    EXPECT_TRUE(dialog.Draw(target));
    EXPECT_EQ(dialog.GetBar().GetForeground(), CCommWaitDlg::DEFAULT_BAR_FOREGROUND);
    EXPECT_EQ(pixels[(100 * 400 + 200) * 4 + 3], 0xFF);
    EXPECT_EQ(pixels[(2 * 400 + 2) * 4 + 3], 0);
}

// The skin's picture is stretched over the whole dialog: a two-pixel BMP
// gives a left half and a right half.
TEST(CommThread, WaitDialogStretchesTheSkinPicture)
{
    platform::testing::CTempFolder folder;
    const unsigned char bmp[] = {
        'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
        0, 0, 0, 0, 8, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 0, // red, blue, row padding
    };
    std::ofstream(folder.Path() + "back.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
    std::ofstream(folder.Path() + "skin.ini") << "[BitmapResource]\nCommDlgBK=back.bmp\n";
    CCommWaitDlg dialog;
    ASSERT_TRUE(dialog.Open(folder.Path() + "skin.ini"));
    dialog.ShowText("", 0);
    std::vector<uint8_t> pixels(400 * 200 * 4);
    ASSERT_TRUE(dialog.Draw(PixelTarget { pixels, 400, 200, 1600 }));
    const auto pixel = [&](int x, int y) {
        const uint8_t* p = &pixels[size_t(y * 400 + x) * 4];
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    };
    const int left = (400 - CCommWaitDlg::WIDTH) / 2;
    const int top = (200 - CCommWaitDlg::HEIGHT) / 2;
    EXPECT_EQ(pixel(left, top), 0xFF0000u);
    EXPECT_EQ(pixel(left + CCommWaitDlg::WIDTH / 4, top + 2), 0xFF0000u);
    EXPECT_EQ(pixel(left + CCommWaitDlg::WIDTH * 3 / 4, top + 2), 0x0000FFu);
    EXPECT_EQ(pixel(left + CCommWaitDlg::WIDTH - 1, top + CCommWaitDlg::HEIGHT - 1), 0x0000FFu);
    EXPECT_EQ(pixel(left - 1, top), 0u);
}

class CFakeFrameWindowUI final : public IFrameWindowUI {
public:
    int quit_boards = 0;
    int force_quit_boxes = 0;
    void ShowQuitBoard() override { ++quit_boards; }
    void ShowForceQuitBox() override { ++force_quit_boxes; }
    [[nodiscard]] int32_t GetDefaultWidth() const override { return 1024; }
    [[nodiscard]] int32_t GetDefaultHeight() const override { return 700; }
    int32_t size_flag = 0;
    [[nodiscard]] int32_t GetSizeFlag() const override { return size_flag; }
    [[nodiscard]] std::pair<int32_t, int32_t> GetMinimumSize() const override { return { 640, 480 }; }
};

TEST(CommThread, TheMainWindowDrawsTheShownDialogOverTheEnginesFrame)
{
    engine::InstallMediaServices();
    {
        CGameCommThread thread;
        ASSERT_TRUE(thread.Start());
        CPlDkApp app;
        app.SetRunMode(RUN_MODE_STAND_ALONE);
        AppLinks links;
        links.comm_thread = &thread;
        links.wait_dialog = &thread;
        app.SetLinks(links);
        CGameFrameWnd window(app);
        platform::NativeWindowOptions options;
        options.show = platform::WindowShow::Hidden;
        ASSERT_NE(window.Create(options), 0);
        ASSERT_NE(window.StartEngine(std::make_unique<engine::CGuiContainer>(), nullptr), 0u);
        // Shown before any frame was kept, then hidden again: the frame follows.
        thread.ShowText("正在连接游戏服务器......");
        EXPECT_TRUE(Pump([&] { return window.IsWaitDialogDrawn(); }, 3000));
        thread.Hide();
        EXPECT_TRUE(Pump([&] { return !window.IsWaitDialogDrawn(); }, 3000));

        // The largest size is the frame's own while its flag is 0.
        CFakeFrameWindowUI frame;
        window.SetFrameUI(&frame);
        EXPECT_EQ(window.GetMaxTrackSize(), std::make_pair(1024, 700));
        // The smallest is the frame's too: the window system keeps to it.
        int min_width = 0;
        int min_height = 0;
        SDL_GetWindowMinimumSize(window.GetNativeWindow()->GetSdlWindow(), &min_width, &min_height);
        EXPECT_EQ(std::make_pair(min_width, min_height), std::make_pair(640, 480));
        frame.size_flag = 1;
        EXPECT_NE(window.GetMaxTrackSize(), std::make_pair(1024, 700));
        window.SetFrameUI(nullptr);
        window.Destroy();
        thread.Stop();
    }
    engine::CVelotrixWnd::SetModuleFactory(nullptr);
    engine::CCanvasServices::Reset();
}

// This game's application with its connection open on a loopback server,
// its communication thread running and its main window created; the
// dispatcher records what reaches it.
class CRecordingDispatcher final : public IGameNotifyHandler {
public:
    explicit CRecordingDispatcher(CGameFrameWnd*& window) : m_window(window) {}
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> dispatched;
    std::vector<uint32_t> after;
    bool locked = true;

    std::function<void(uint32_t)> handler; ///< runs inside Dispatch when set

    void Dispatch(uint32_t id, std::span<const uint8_t> data) override
    {
        locked = locked && m_window->GetCore().IsLockedByCurrentThread();
        dispatched.emplace_back(id, std::vector<uint8_t>(data.begin(), data.end()));
        if (handler)
            handler(id);
        if (id == 6666)
            throw std::runtime_error("bad message");
    }
    void OnAfterDispatch(uint32_t id, std::span<const uint8_t>) override { after.push_back(id); }
    [[nodiscard]] std::array<int32_t, 4> GetPreviousRecord() const override { return { 1, 2, 3, 4 }; }

private:
    CGameFrameWnd*& m_window;
};


// The main window, noting when a server message broke the bound of the
// connection's held queue. Asked to, it keeps back the server messages that
// come after that one, as a slow relay would, until HandOnKeptBack.
class CHeldWatchWindow final : public CGameFrameWnd {
public:
    explicit CHeldWatchWindow(CPlDkApp& app) : CGameFrameWnd(app), m_connection(app.GetConnection()) {}
    uint32_t bound_broken_tick = 0;
    bool keep_back_after_the_bound = false;
    std::vector<platform::Message> kept_back;

    /// The kept-back messages, handled now in the order they came.
    void HandOnKeptBack()
    {
        m_keeping_back = false;
        for (platform::Message& msg : kept_back)
            (void)platform::DispatchMessage(msg);
        kept_back.clear();
    }

protected:
    intptr_t WindowProc(platform::Message& msg) override
    {
        if (msg.id == net::UM_COMM_MESSAGE && m_keeping_back) {
            kept_back.push_back(std::move(msg));
            return 0;
        }
        const bool full = m_connection.GetHeldCount() >= CHeldNotifications::MAX_MESSAGES;
        const intptr_t result = CGameFrameWnd::WindowProc(msg);
        if (msg.id == net::UM_COMM_MESSAGE && full && bound_broken_tick == 0) {
            bound_broken_tick = platform::GetTickCount();
            m_keeping_back = keep_back_after_the_bound;
        }
        return result;
    }

private:
    CPlDkConnection& m_connection;
    bool m_keeping_back = false;
};

class FrameRoad : public ::testing::Test {
protected:
    FrameRoad()
    {
        platform::SetUserDataFolder(m_folder.Path());
        platform::SetUserConfigFolder(m_folder.Path());
        m_server.on_message = [this](CTestGameServer& server, const ReceivedMessage& message) {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(message.request.id);
            const auto reply = m_replies.find(message.request.id);
            if (reply != m_replies.end() && message.answer_wanted != 0)
                server.SendAnswer(message.serial, static_cast<uint32_t>(reply->second.first), reply->second.second);
        };
        // Stand-alone: the hall watch has no hall to miss and ends no loop.
        m_app.SetRunMode(RUN_MODE_STAND_ALONE);
        CClientRecords& records = m_app.Records();
        records.Launch().user_id = 1001;
        records.Launch().chair_no = 2;
        records.Launch().game_id = 30;
        records.Table().table_no = 7;
        CopyTextField(records.Room().area_name, "华东区");
        CopyTextField(records.Room().room_name, "新手房");
        AppLinks links;
        links.connection = &m_app.GetConnection();
        links.frame_ui = &m_frame_ui;
        links.side_panel = &m_panel;
        links.comm_thread = &m_thread;
        links.wait_dialog = &m_thread;
        m_app.SetLinks(links);
    }
    ~FrameRoad() override
    {
        m_app.GetConnection().Close();
        m_thread.Stop();
        m_window.reset();
        platform::SetUserConfigFolder("");
        platform::SetUserDataFolder("");
    }

    void Answer(uint32_t id, int32_t code, std::vector<uint8_t> body = {})
    {
        std::lock_guard lock(m_mutex);
        m_replies[id] = { code, std::move(body) };
    }
    bool Requested(uint32_t id)
    {
        std::lock_guard lock(m_mutex);
        return std::find(m_requests.begin(), m_requests.end(), id) != m_requests.end();
    }

    ::testing::AssertionResult Open()
    {
        if (!m_thread.Start() || !m_server.Start())
            return ::testing::AssertionFailure() << "no thread or server";
        auto window = std::make_unique<CHeldWatchWindow>(m_app);
        m_watched_window = window.get();
        m_window = std::move(window);
        platform::NativeWindowOptions options;
        options.show = platform::WindowShow::Hidden;
        if (m_window->Create(options) == 0)
            return ::testing::AssertionFailure() << "no window";
        m_raw_window = m_window.get();
        m_window->SetNotifyHandler(&m_dispatcher);
        m_window->SetFrameUI(&m_window_ui);
        m_thread.SetTarget(m_window->GetHandle());
        CPlDkConnection& connection = m_app.GetConnection();
        connection.SetCipherKey(net::PACKET_KEY);
        connection.SetNotifyThread(m_thread.GetThreadId());
        bool proxy_failed = true;
        if (!connection.Connect("game", "127.0.0.1", m_server.GetPort(), proxy_failed) || proxy_failed)
            return ::testing::AssertionFailure() << "no connection";
        if (!m_server.WaitForClient(DEADLINE_MS))
            return ::testing::AssertionFailure() << "no greeting";
        return ::testing::AssertionSuccess();
    }

    platform::testing::CTempFolder m_folder;
    CFakeFrameUI m_frame_ui;
    CFakeSidePanel m_panel;
    CFakeFrameWindowUI m_window_ui;
    CPlDkApp m_app;
    CGameCommThread m_thread;
    // What the server's thread writes is declared before the server, so that
    // it outlives the server's thread.
    std::mutex m_mutex;
    std::map<uint32_t, std::pair<int32_t, std::vector<uint8_t>>> m_replies;
    std::vector<uint32_t> m_requests;
    CTestGameServer m_server;
    std::unique_ptr<CGameFrameWnd> m_window;
    CGameFrameWnd* m_raw_window = nullptr;
    CHeldWatchWindow* m_watched_window = nullptr;
    CRecordingDispatcher m_dispatcher { m_raw_window };
};

TEST_F(FrameRoad, NotificationsReachTheDispatcherUnderTheEngineLock)
{
    ASSERT_TRUE(Open());
    const std::vector<uint8_t> body { 1, 2, 3, 4, 5 };
    ASSERT_TRUE(m_server.SendNotification(5000, body));
    ASSERT_TRUE(m_server.SendNotification(6666, {}));
    ASSERT_TRUE(m_server.SendNotification(5001, {}));
    ASSERT_TRUE(Pump([&] { return m_dispatcher.after.size() == 3; }));
    EXPECT_TRUE(m_dispatcher.locked);
    EXPECT_EQ(m_dispatcher.dispatched[0], std::make_pair(5000u, body));
    EXPECT_EQ(m_dispatcher.after, (std::vector<uint32_t> { 5000, 6666, 5001 }));
    EXPECT_FALSE(m_window->GetCore().IsLockedByCurrentThread());
    EXPECT_NE(m_window->GetLastReceiveTick(), 0u);

    // The message the dispatcher threw on is reported with the previous record.
    const auto report = m_server.WaitForMessage(DEADLINE_MS);
    ASSERT_TRUE(report.has_value());
    ASSERT_EQ(report->request.id, GR_REPORT_BAD_MESSAGE);
    const auto data = report->request.Data();
    ASSERT_GE(data.size(), 13u * 4);
    EXPECT_EQ(detail::LoadI32(data.data() + 5 * 4), 6666);
    EXPECT_EQ(detail::LoadI32(data.data() + 9 * 4), 1);
    EXPECT_EQ(detail::LoadI32(data.data() + 12 * 4), 4);
}

TEST_F(FrameRoad, OldCookiesAreDroppedAndALostConnectionIsTold)
{
    ASSERT_TRUE(Open());
    const uint32_t cookie = m_app.GetConnection().GetCookie();
    const struct {
        uint32_t id;
        uint32_t cookie;
    } stale[] = { { net::COMM_EVENT_SOCKET_ERROR, cookie + 1 }, { 5000, cookie - 1 }, { 5000, 0 } };
    for (const auto& message : stale)
        PostReceived(m_thread.GetThreadId(), message.id, message.cookie);
    PostReceived(m_thread.GetThreadId(), 5002, cookie);
    ASSERT_TRUE(Pump([&] { return !m_dispatcher.after.empty(); }));
    EXPECT_EQ(m_dispatcher.after, std::vector<uint32_t> { 5002 });
    EXPECT_TRUE(m_frame_ui.exit_boards.empty());

    // Playing and seated: the text names the place to come back to.
    m_app.SetPlaying();
    m_server.DisconnectClient();
    ASSERT_TRUE(Pump([&] { return !m_frame_ui.exit_boards.empty(); }));
    const ExitBoardRequest& board = m_frame_ui.exit_boards.front();
    EXPECT_EQ(board.text, "断线了！请尽快重入房间续玩。\r\n\r\n您的位置【华东区_新手房】。");
    EXPECT_EQ(board.seconds, 30);
    EXPECT_EQ(board.style, 49);
    EXPECT_EQ(board.picture, "vur大哭");
    EXPECT_TRUE(m_app.GetHallStatusKind());

    // Not playing: the plain text.
    m_app.ClearPlaying();
    CPlDkApp& app = m_app;
    m_window->OnConnectionLost();
    EXPECT_EQ(m_frame_ui.exit_boards.back().text, "与服务器连接断开。");
    EXPECT_FALSE(app.GetHallStatusKind());
}

// A window on the test thread whose timer runs a step, also while a request waits.
class CTimerWindow final : public platform::CMessageWindow {
public:
    explicit CTimerWindow(std::function<void()> step) : m_step(std::move(step)) {}
    ~CTimerWindow() override { Destroy(); }

protected:
    intptr_t WindowProc(platform::Message& msg) override
    {
        if (msg.id == platform::WM_TIMER)
            m_step();
        return 0;
    }

private:
    std::function<void()> m_step;
};

TEST_F(FrameRoad, NotificationsDuringAWaitAreDispatchedAfterTheRequestReturnsInOrder)
{
    // The server tells the table of other plays before it answers a throw,
    // and answers only once both reached the waiting thread (the throw's
    // record says how many that makes): the notifications surely arrive
    // during the throw's wait.
    std::atomic<size_t> arrived { 0 };
    CTimerWindow watcher([&] {
        arrived = m_app.GetConnection().GetHeldCount() + m_dispatcher.dispatched.size();
    });
    ASSERT_TRUE(watcher.Create());
    platform::SetTimer(watcher.GetHandle(), 1, 5);
    m_server.on_message = [&arrived](CTestGameServer& server, const ReceivedMessage& message) {
        if (message.request.id != GR_THROW_CARDS)
            return;
        const uint32_t first = message.request.Data()[0];
        const size_t expected = message.request.Data()[1];
        server.SendNotification(first, {});
        server.SendNotification(first + 1, {});
        const uint32_t start = platform::GetTickCount();
        while (arrived.load() < expected && !platform::HasElapsed(start, platform::GetTickCount(), DEADLINE_MS))
            ::usleep(1000);
        server.SendAnswer(message.serial, GR_OK, {});
    };
    ASSERT_TRUE(Open());
    std::vector<std::string> order;
    const auto play = [&](uint8_t first) {
        std::vector<uint8_t> record(64, 0);
        record[0] = first;
        // How many notifications will have reached this thread with the two.
        record[1] = static_cast<uint8_t>(m_app.GetConnection().GetHeldCount() + m_dispatcher.dispatched.size() + 2);
        std::string error;
        order.push_back("throw " + std::to_string(first));
        EXPECT_EQ(m_app.GetConnection().ThrowCards(error, record), GR_OK) << error;
        order.push_back("thrown " + std::to_string(first));
    };
    // A throw from a handler of the dispatcher: the event that caused it, a
    // later one, and the two told during the throw's wait follow it in order.
    m_dispatcher.handler = [&](uint32_t id) {
        order.push_back("dispatch " + std::to_string(id));
        if (id == 5000)
            play(70);
    };
    ASSERT_TRUE(m_server.SendNotification(5000, {}));
    ASSERT_TRUE(Pump([&] { return m_dispatcher.after.size() == 3; }));
    ASSERT_TRUE(m_server.SendNotification(5001, {}));
    ASSERT_TRUE(Pump([&] { return m_dispatcher.after.size() == 4; }));
    EXPECT_EQ(order, (std::vector<std::string> { "dispatch 5000", "throw 70", "thrown 70", "dispatch 70",
                                                 "dispatch 71", "dispatch 5001" }));

    // A throw from the player's input (outside any dispatch): both come after it returned.
    order.clear();
    play(80);
    EXPECT_EQ(m_app.GetConnection().GetHeldCount(), 2u);
    ASSERT_TRUE(Pump([&] { return m_dispatcher.after.size() == 6; }));
    EXPECT_EQ(order, (std::vector<std::string> { "throw 80", "thrown 80", "dispatch 80", "dispatch 81" }));
    EXPECT_EQ(m_app.GetConnection().GetHeldCount(), 0u);
    // The server's hook and the dispatcher's handler use this test's locals.
    m_server.Stop();
    m_dispatcher.handler = nullptr;
}

TEST_F(FrameRoad, AFloodOfNotificationsDuringAWaitLetsTheAnswerThroughAndFollowsItInOrder)
{
    // More notifications than the socket client lets its owner keep
    // unhandled arrive before the throw's answer: they are held without
    // holding the socket back, so the answer is read in time.
    constexpr uint32_t FLOOD = net::CPendingTraffic::MAX_MESSAGES + 104;
    m_server.on_message = [](CTestGameServer& server, const ReceivedMessage& message) {
        if (message.request.id != GR_THROW_CARDS)
            return;
        for (uint32_t i = 0; i < FLOOD; ++i)
            server.SendNotification(10000 + i, {});
        server.SendAnswer(message.serial, GR_OK, {});
    };
    ASSERT_TRUE(Open());
    std::string error;
    const uint32_t start = platform::GetTickCount();
    EXPECT_EQ(m_app.GetConnection().ThrowCards(error, std::vector<uint8_t>(64, 0)), GR_OK) << error;
    EXPECT_LT(platform::GetTickCount() - start, 4000u);
    ASSERT_TRUE(Pump([&] { return m_dispatcher.after.size() == FLOOD; }));
    for (uint32_t i = 0; i < FLOOD; ++i)
        ASSERT_EQ(m_dispatcher.after[i], 10000 + i);
    EXPECT_TRUE(m_frame_ui.exit_boards.empty());
    m_server.Stop();
}

TEST(HeldNotifications, LetTheSocketReadOnAndDropAFloodButNotTheSocketsEvents)
{
    const auto traffic = std::make_shared<net::CPendingTraffic>();
    const auto message = [&](uint32_t id, size_t bytes = 4) {
        auto comm = std::make_unique<net::CommMessage>();
        comm->request = net::RequestRecord::Make(id, std::vector<uint8_t>(bytes, 0));
        comm->pending = traffic->Take(sizeof(net::CommMessage) + bytes);
        platform::Message msg;
        msg.id = net::UM_COMM_MESSAGE;
        msg.payload = std::move(comm);
        return msg;
    };
    const auto hold = [](CHeldNotifications& held, platform::Message msg) { return held.Hold(msg); };
    using Outcome = CHeldNotifications::Outcome;
    // The bound on messages, then the bound on bytes.
    for (const bool by_bytes : { false, true }) {
        CHeldNotifications held;
        if (by_bytes)
            EXPECT_EQ(hold(held, message(5001, CHeldNotifications::MAX_BYTES / 2)), Outcome::Held);
        else
            for (uint32_t i = 0; i < CHeldNotifications::MAX_MESSAGES; ++i)
                ASSERT_EQ(hold(held, message(10000 + i)), Outcome::Held);
        EXPECT_EQ(traffic->GetMessages(), 0u);
        EXPECT_EQ(hold(held, message(5002, by_bytes ? CHeldNotifications::MAX_BYTES / 2 : 4)), Outcome::Overflowed);
        EXPECT_TRUE(held.IsEmpty());
        EXPECT_EQ(hold(held, message(5003)), Outcome::Dropped);
        EXPECT_EQ(hold(held, message(net::COMM_EVENT_CLOSED)), Outcome::Dropped);
        ASSERT_EQ(held.GetCount(), 1u);
        held.Reset();
        EXPECT_EQ(hold(held, message(5004)), Outcome::Held);
        EXPECT_EQ(held.TakeFirst()->PayloadAs<net::CommMessage>()->request.id, net::COMM_EVENT_CLOSED);
        EXPECT_EQ(held.TakeFirst()->PayloadAs<net::CommMessage>()->request.id, 5004u);
        EXPECT_EQ(held.GetBytes(), 0u);
        EXPECT_FALSE(held.TakeFirst());
    }
}

TEST_F(FrameRoad, AServerSilentTooLongDuringARoundGoesDownTheLostConnectionRoad)
{
    ASSERT_TRUE(Open());
    CPlDkConnection& connection = m_app.GetConnection();
    const uint32_t now = platform::GetTickCount();
    // Between rounds the server may say nothing.
    connection.LookAtServer(now + 2 * CServerWatch::SILENCE_LIMIT_MS);
    m_app.SetPlaying();
    connection.LookAtServer(now + 4 * CServerWatch::SILENCE_LIMIT_MS);
    ASSERT_TRUE(Pump([&] { return !m_frame_ui.exit_boards.empty(); }));
    EXPECT_EQ(m_frame_ui.exit_boards.front().text, "断线了！请尽快重入房间续玩。\r\n\r\n您的位置【华东区_新手房】。");
    EXPECT_EQ(connection.IsConnected(), 0);
    EXPECT_EQ(m_frame_ui.exit_boards.size(), 1u);
}

// The main game's turn clock, as the connection's watch asks it.
class CTurnClock final : public IMainGame {
public:
    std::optional<int32_t> seconds_left;
    void ClearTable() override {}
    void ResumeGame() override {}
    void StopCountdown() override {}
    [[nodiscard]] std::optional<int32_t> GetTurnSecondsLeft() const override { return seconds_left; }
};

TEST_F(FrameRoad, ATurnsClockKeepsASilentServerForTheTurnAndItsGraceButNoLonger)
{
    // A turn of 100 s, longer than the silence that gives a server up: the
    // server rightly says nothing while the player thinks, and for its grace
    // after the turn.
    CTurnClock clock;
    AppLinks links = m_app.Links();
    links.main_game = &clock;
    m_app.SetLinks(links);
    ASSERT_TRUE(Open());
    m_app.SetPlaying();
    CPlDkConnection& connection = m_app.GetConnection();
    const uint32_t turn = platform::GetTickCount();
    clock.seconds_left = 100;
    connection.LookAtServer(turn);
    // Later looks see the clock run out; they do not move the turn's end.
    clock.seconds_left = 0;
    const uint32_t turn_end = turn + 100 * 1000 + CServerWatch::TURN_GRACE_MS;
    connection.LookAtServer(turn_end - 1);
    Pump([] { return false; }, 300);
    EXPECT_TRUE(m_frame_ui.exit_boards.empty());
    EXPECT_EQ(connection.IsConnected(), 1);
    // The server that stopped during the turn is still noticed after it.
    connection.LookAtServer(turn_end);
    ASSERT_TRUE(Pump([&] { return !m_frame_ui.exit_boards.empty(); }));
    EXPECT_EQ(connection.IsConnected(), 0);
}

TEST_F(FrameRoad, AFloodPastTheHeldBoundEndsTheWaitThereAndTellsTheLossOnce)
{
    // 20,000 notices, and no answer, to a throw: the 16,385th breaks the held
    // queue's bound and gives the server up there and then.
    constexpr uint32_t FLOOD = 20000;
    static_assert(FLOOD > CHeldNotifications::MAX_MESSAGES);
    m_server.on_message = [](CTestGameServer& server, const ReceivedMessage& message) {
        if (message.request.id == GR_THROW_CARDS)
            for (uint32_t i = 0; i < FLOOD; ++i)
                server.SendNotification(10000 + i, {});
    };
    ASSERT_TRUE(Open());
    m_watched_window->keep_back_after_the_bound = true;
    CPlDkConnection& connection = m_app.GetConnection();
    std::string error;
    EXPECT_EQ(connection.ThrowCards(error, std::vector<uint8_t>(64, 0)), GR_CARD_REQUEST_NOT_SENT);
    const uint32_t ended = platform::GetTickCount();
    EXPECT_EQ(error, "与服务器连接断开。");
    ASSERT_NE(m_watched_window->bound_broken_tick, 0u);
    const uint32_t after_bound = platform::TicksBetween(m_watched_window->bound_broken_tick, ended);
    RecordProperty("wait_ended_ms_after_the_bound_broke", static_cast<int>(after_bound));
    EXPECT_LT(after_bound, 1000u) << "not the throw's 5 s";
    // Notices the socket had read past the bound still reach the window once
    // the wait is over: dropped, while the closed event behind them still
    // tells the loss.
    ASSERT_FALSE(connection.IsWaiting());
    const std::vector<platform::Message>& on_the_way = m_watched_window->kept_back;
    ASSERT_TRUE(std::any_of(on_the_way.begin(), on_the_way.end(), [](const platform::Message& msg) {
        const auto* message = msg.PayloadAs<net::CommMessage>();
        return message != nullptr && message->request.id >= 10000;
    })) << "no notice was still on its way when the wait ended";
    m_watched_window->HandOnKeptBack();
    ASSERT_TRUE(Pump([&] { return !m_frame_ui.exit_boards.empty(); }));
    Pump([] { return false; }, 300);
    EXPECT_EQ(m_frame_ui.exit_boards.size(), 1u);
    EXPECT_TRUE(m_panel.texts.empty()) << "a give-up is no time-out";
    EXPECT_TRUE(m_dispatcher.dispatched.empty()) << "nothing of the flood is handled";
    EXPECT_EQ(connection.IsConnected(), 0);
    m_server.Stop();
}

TEST_F(FrameRoad, MessagesTheSocketRefusesLeaveOneRefusalLineEach)
{
    const CRefusalLines lines;
    ASSERT_TRUE(Open());
    constexpr size_t PART = net::MAX_PART_LIMIT;
    const auto frames = [](uint32_t serial, uint32_t first_part, uint32_t parts, std::span<const uint8_t> part,
                           bool last) {
        std::vector<uint8_t> bytes;
        for (uint32_t n = first_part; n < first_part + parts; ++n) {
            net::PacketHeader header;
            header.kind = net::FRAME_KIND_MESSAGE;
            header.message_serial = serial;
            header.part_number = n;
            header.last_part = last ? 1 : 0;
            net::CByteBuffer frame;
            net::BuildFrame(header, part, true, frame);
            bytes.insert(bytes.end(), frame.Bytes().begin(), frame.Bytes().end());
        }
        return bytes;
    };
    // A cipher layer of 5 bytes, not whole blocks: the codec refuses it, and
    // the connection goes on.
    std::vector<uint8_t> layer(net::LAYER_WRAPPER_SIZE + 5, 0);
    net::StoreU32LE(layer.data(), 0x100);
    net::StoreU32LE(layer.data() + 4, 5);
    net::StoreU32LE(layer.data() + 16, 5);
    ASSERT_TRUE(m_server.SendRaw(frames(7, 1, 1, layer, true)));
    ASSERT_TRUE(m_server.SendNotification(5000, {}));
    ASSERT_TRUE(Pump([&] { return m_dispatcher.after.size() == 1; }));
    // Parts of one message past the cap of a message being joined: the
    // stream is refused and the connection is lost.
    const std::vector<uint8_t> part(PART, 0x11);
    const uint32_t breaking_part = (net::MAX_ASSEMBLED_MESSAGE - net::CONN_RECORD_SIZE) / (4 + PART) + 1;
    ASSERT_TRUE(m_server.SendRaw(frames(8, 1, breaking_part, part, false)));
    ASSERT_TRUE(Pump([&] { return !m_frame_ui.exit_boards.empty(); }));
    ASSERT_TRUE(Pump([&] { return lines.Get().size() >= 2; }));
    EXPECT_EQ(lines.Get(), (std::vector<std::string> {
                         "server message refused: message 7 (" + std::to_string(net::CONN_RECORD_SIZE + 4 + layer.size())
                             + " bytes) not decoded: the codec refused its cipher layer",
                         "server message refused: message 8 joined past " + std::to_string(net::MAX_ASSEMBLED_MESSAGE)
                             + " bytes at part " + std::to_string(breaking_part) }));
    EXPECT_EQ(m_dispatcher.after, std::vector<uint32_t> { 5000 });
}

TEST_F(FrameRoad, ThePulseTimerSendsPulsesAndTheSystemTextGoesToThePanel)
{
    ASSERT_TRUE(Open());
    m_window->SetPulseTimer(1);
    ASSERT_TRUE(Pump([&] { return Requested(GR_PULSE); }, 3000));
    const std::string text = "系统消息";
    (void)platform::SendMessage(m_window->GetHandle(), UM_SHOW_SYSTEM_TEXT, reinterpret_cast<uintptr_t>(text.c_str()));
    EXPECT_EQ(m_panel.texts, std::vector<std::string> { text });
}

TEST_F(FrameRoad, CloseAsksWhatTheRoomAndTheRoundCallFor)
{
    ASSERT_TRUE(Open());
    std::vector<uint8_t> options(4, 0);
    Answer(GR_ASK_EXIT, GR_EXIT_ALLOWED, options);
    // Playing, exit asked 10 s ago: wait 20 more seconds.
    m_app.SetPlaying();
    m_app.GetGameState().SetGamePhase(3);
    m_app.GetGameState().SetExitRequestTick(platform::GetTickCount() - 10000);
    (void)platform::SendMessage(m_window->GetHandle(), platform::WM_CLOSE);
    ASSERT_EQ(m_panel.texts.size(), 1u);
    EXPECT_EQ(m_panel.texts[0], " <c=2906200>已经请求退出，请耐心等候其他玩家回应(20秒)。\r\n");

    // No request pending, the round running: the question with the penalty.
    m_app.GetGameState().SetExitRequestTick(0);
    (void)platform::SendMessage(m_window->GetHandle(), platform::WM_CLOSE);
    ASSERT_EQ(m_frame_ui.boards.size(), 1u);
    EXPECT_EQ(m_frame_ui.boards[0].answer_event.id, GAMEMSG_QUIT_CONFIRMED);
    EXPECT_EQ(m_frame_ui.boards[0].style, 53);

    // Not started: the forced-quit box.
    m_app.GetGameState().SetGamePhase(0);
    (void)platform::SendMessage(m_window->GetHandle(), platform::WM_CLOSE);
    EXPECT_EQ(m_window_ui.force_quit_boxes, 1);

    // A match that has not started goes straight to the leave request; its
    // refusal keeps the window.
    m_app.Records().SetMatchRoom(true);
    Answer(GR_LEAVE_GAME, GR_LEAVE_KEEP_PLAYING);
    (void)platform::SendMessage(m_window->GetHandle(), platform::WM_CLOSE);
    EXPECT_TRUE(Requested(GR_LEAVE_GAME));
    ASSERT_EQ(m_frame_ui.boards.size(), 2u);
    EXPECT_NE(m_frame_ui.boards[1].text.find("生命不息"), std::string::npos);
    EXPECT_TRUE(platform::IsWindow(m_window->GetHandle()));
    EXPECT_EQ(m_window_ui.quit_boards, 0);
}

TEST_F(FrameRoad, AConfirmedLeaveEndsAsTheCloseRoadDoes)
{
    // The frame UI posts the player's confirmation; a refused leave keeps
    // the window with the server's text, an accepted one closes it.
    ASSERT_TRUE(Open());
    Answer(GR_LEAVE_GAME, GR_LEAVE_KEEP_PLAYING);
    (void)platform::SendMessage(m_window->GetHandle(), UM_LEAVE_AND_CLOSE);
    EXPECT_TRUE(Requested(GR_LEAVE_GAME));
    ASSERT_EQ(m_frame_ui.boards.size(), 1u);
    EXPECT_NE(m_frame_ui.boards[0].text.find("生命不息"), std::string::npos);
    EXPECT_TRUE(platform::IsWindow(m_window->GetHandle()));

    Answer(GR_LEAVE_GAME, GR_OK);
    (void)platform::SendMessage(m_window->GetHandle(), UM_LEAVE_AND_CLOSE);
    EXPECT_FALSE(platform::IsWindow(m_window->GetHandle()));
    // The loop ends; the quit is taken here, so that no later wait of this thread meets it.
    bool quit = false;
    for (platform::Message msg; platform::PeekMessage(msg);)
        quit = quit || msg.id == platform::WM_QUIT;
    EXPECT_TRUE(quit);
}

} // namespace
} // namespace client
