// The application: start-up in its three run modes, the hall's records and
// messages over the real endpoints, failure texts, and its services for
// replies and results.
#include <atomic>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "client/CGameFrameWnd.h"
#include "client/CPlDkApp.h"
#include "client/ClientKeys.h"
#include "client/ClientText.h"
#include "client/HallRecords.h"
#include "net/AesCipher.h"
#include "platform/Ini.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"
#include "tests/client/AppFakes.h"
#include "tests/client/BodyBuilder.h"
#include "tests/platform/TempFolder.h"

namespace client {
namespace {

using namespace client_test;

constexpr uint32_t DEADLINE_MS = 5000;
constexpr platform::RemoteHandle HALL = 0x7A000001;

// What the hall's window received.
struct HallInbox {
    std::mutex mutex;
    std::vector<platform::Message> posted;
    struct Copy {
        uint64_t kind;
        uint64_t wparam;
        std::vector<uint8_t> bytes;
    };
    std::vector<Copy> copies;
    std::function<void(const platform::Message&)> on_posted;

    size_t PostedCount()
    {
        std::lock_guard lock(mutex);
        return posted.size();
    }
    size_t CopyCount()
    {
        std::lock_guard lock(mutex);
        return copies.size();
    }
};

// The program's folders in a temporary folder, the message-box recorder, and
// a stand-in for the hall's window that records what reaches it.
class AppFixture : public ::testing::Test {
protected:
    AppFixture()
    {
        platform::SetProgramFolder(m_folder.Path());
        platform::SetUserDataFolder(m_folder / "data/");
        platform::SetUserConfigFolder(m_folder / "config/");
        platform::SetEndpointFolder(m_folder / "run/");
        platform::InstallMessageBox(&m_boxes);
    }
    ~AppFixture() override
    {
        platform::InstallMessageBox(nullptr);
        platform::SetEndpointFolder("");
        platform::SetUserConfigFolder("");
        platform::SetUserDataFolder("");
        platform::SetProgramFolder("");
    }

    void OpenHall()
    {
        m_hall = platform::CRemoteWindowEndpoint::Open(HALL, [this](platform::Message& msg) -> intptr_t {
            std::lock_guard lock(m_inbox.mutex);
            if (msg.id == platform::WM_COPYDATA) {
                const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(msg.lparam);
                const auto* bytes = static_cast<const uint8_t*>(record->data);
                m_inbox.copies.push_back({ record->kind, msg.wparam, { bytes, bytes + record->size } });
                return 1;
            }
            m_inbox.posted.push_back(platform::Message { {}, msg.id, msg.wparam, msg.lparam, 0, nullptr });
            if (m_inbox.on_posted)
                m_inbox.on_posted(m_inbox.posted.back());
            return 0;
        });
        ASSERT_NE(m_hall, nullptr);
    }

    void MakeApp(const std::string& command_line)
    {
        m_app = std::make_unique<CPlDkApp>();
        m_app->SetCommandLine(command_line);
        m_app->SetSleepFunction([this](uint32_t ms) { m_sleeps.push_back(ms); });
        m_app->SetRandomFunction([] { return 12345; });
        AppLinks links;
        links.frame_ui = &m_frame_ui;
        links.side_panel = &m_panel;
        links.connection = &m_connection;
        links.wait_dialog = &m_wait;
        m_app->SetLinks(links);
    }

    static std::string HallCommandLine() { return "30|127.0.0.1|3|" + std::to_string(HALL) + "|5|1001|7|2|0"; }

    bool Pump(const std::function<bool()>& done)
    {
        return platform::PumpMessagesUntil(done, DEADLINE_MS) != platform::WaitOutcome::TimedOut;
    }

    platform::testing::CTempFolder m_folder;
    platform::CRecordingMessageBox m_boxes;
    HallInbox m_inbox;
    std::unique_ptr<platform::CRemoteWindowEndpoint> m_hall;
    CFakeWaitDialog m_wait;
    CFakeConnection m_connection;
    CFakeFrameUI m_frame_ui;
    CFakeSidePanel m_panel;
    std::vector<uint32_t> m_sleeps;
    std::unique_ptr<CPlDkApp> m_app;
};

// A normal room's launch data with the own user 1001 at chair 2, enciphered
// with the copy-data key by AES directly (each whole block on its own).
std::vector<uint8_t> EncipheredLaunchData()
{
    BodyBuilder body(444 + 176 + 320);
    body.Word(0, 55).Word(111, 7).Word(111 + 2, 1).WordAtByte(620, 1001).WordAtByte(620 + 144, 2);
    std::vector<uint8_t> bytes = body.Bytes();
    net::CAesCipher aes(net::CAesCipher::Method::Portable);
    EXPECT_TRUE(aes.MakeKey(COPYDATA_KEY_BLOCK, 128));
    aes.EncryptBlocks(bytes.data(), bytes.data(), bytes.size() / 16);
    return bytes;
}

TEST_F(AppFixture, StartsFromTheHallTakesTheLaunchRecordAndReportsItsClose)
{
    OpenHall();
    MakeApp(HallCommandLine());
    ASSERT_TRUE(m_app->InitInstance());
    EXPECT_EQ(m_connection.address, "127.0.0.1");
    EXPECT_EQ(m_connection.port, DEFAULT_SERVER_PORT);
    EXPECT_EQ(m_wait.texts.at(0), "正在连接游戏服务器......");
    CGameFrameWnd* window = m_app->GetMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->StartNoticeTimer(0)) << "a notice period of 0 starts no timer";
    EXPECT_FALSE(window->StartNoticeTimer(-5));
    EXPECT_TRUE(window->StartNoticeTimer(60));

    // The hall learns our window and table.
    ASSERT_TRUE(Pump([&] { return m_inbox.PostedCount() > 0; }));
    {
        std::lock_guard lock(m_inbox.mutex);
        EXPECT_EQ(m_inbox.posted[0].id, UM_HALL_GAME_WINDOW);
        EXPECT_EQ(m_inbox.posted[0].wparam, window->GetRemoteHandle());
        EXPECT_EQ(m_inbox.posted[0].lparam, 7);
    }

    // The hall hands over the launch record; the frame UI's start logs on.
    std::optional<int64_t> answer;
    std::atomic<bool> sent { false };
    const platform::ThreadId waiter = platform::GetCurrentThreadId();
    std::thread hall([&] {
        answer = platform::SendRemoteCopyData(window->GetRemoteHandle(), HALL, COPYDATA_LAUNCH, EncipheredLaunchData(),
                                              DEADLINE_MS);
        sent = true;
        platform::PostThreadMessage(waiter, platform::WM_NULL);
    });
    ASSERT_TRUE(Pump([&] { return sent.load() && m_connection.logons > 0; }));
    hall.join();
    EXPECT_TRUE(answer.has_value());
    EXPECT_EQ(m_app->Records().GetSeatUserID(2), 1001);
    EXPECT_EQ(m_app->Records().GetRoomID(), 55);

    // An open-address request travels enciphered.
    EXPECT_TRUE(m_app->AskHallOpenURL("http://example.com/pay", 1));
    ASSERT_EQ(m_inbox.CopyCount(), 1u);
    {
        std::lock_guard lock(m_inbox.mutex);
        const auto& copy = m_inbox.copies[0];
        EXPECT_EQ(copy.kind, COPYDATA_OPEN_URL);
        ASSERT_EQ(copy.bytes.size(), 544u);
        std::vector<uint8_t> plain(544);
        net::CAesCipher aes(net::CAesCipher::Method::Portable);
        ASSERT_TRUE(aes.MakeKey(COPYDATA_KEY_BLOCK, 128));
        aes.DecryptBlocks(copy.bytes.data(), plain.data(), 544 / 16);
        EXPECT_EQ(detail::LoadI32(plain.data()), static_cast<int32_t>(window->GetRemoteHandle()));
        EXPECT_EQ(detail::LoadI32(plain.data() + 4), 1001);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain.data() + 20)), "http://example.com/pay");
    }

    // Closing reports the window to the hall, plain.
    const platform::RemoteHandle window_handle = window->GetRemoteHandle();
    platform::PostMessage(window->GetHandle(), platform::WM_CLOSE);
    ASSERT_TRUE(Pump([&] { return m_inbox.CopyCount() > 1; }));
    // The close ended this thread's loop; its quit message is taken here so
    // that the loops of later tests on this thread run.
    platform::Message left;
    while (platform::PeekMessage(left)) {
    }
    std::lock_guard lock(m_inbox.mutex);
    const auto& status = m_inbox.copies[1];
    EXPECT_EQ(status.kind, COPYDATA_STATUS);
    EXPECT_EQ(status.wparam, window_handle);
    ASSERT_EQ(status.bytes.size(), 188u);
    const int32_t expected[] = { static_cast<int32_t>(window_handle), 1001, 7, 2, 11, 0, 0, 30, 22 };
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(detail::LoadI32(status.bytes.data() + 4 * i), expected[i]) << "word " << i;
}

TEST_F(AppFixture, FailedConnectionsShowTheirTextAndReportStatusZero)
{
    const struct {
        bool connect;
        bool proxy;
        bool version;
        const char* text;
        uint32_t pause;
    } cases[] = {
        { false, false, true, "无法连接游戏服务器，请稍后再试。", 2000 },
        { false, true, true, "无法连接代理服务器【proxy.example】，请检查设置是否正确。", 2000 },
        { true, false, false, "版本太旧", 3000 },
    };
    OpenHall();
    for (const auto& c : cases) {
        MakeApp(HallCommandLine());
        m_connection.connect_result = c.connect;
        m_connection.via_proxy = c.proxy;
        m_connection.version_result = c.version;
        m_wait.texts.clear();
        m_sleeps.clear();
        const size_t reports = m_inbox.CopyCount();
        EXPECT_FALSE(m_app->InitInstance());
        ASSERT_EQ(m_wait.texts.size(), 2u);
        EXPECT_EQ(m_wait.texts[1], c.text);
        EXPECT_EQ(m_sleeps, std::vector<uint32_t> { c.pause });
        ASSERT_EQ(m_inbox.CopyCount(), reports + 1);
        std::lock_guard lock(m_inbox.mutex);
        EXPECT_EQ(m_inbox.copies.back().wparam, 0u);
        EXPECT_EQ(detail::LoadI32(m_inbox.copies.back().bytes.data()), 0);
    }
    // After a network failure the hall hears nothing more.
    m_app->SetRelaunchOnExit(true);
    m_app->ReportStatusToHall(0);
    EXPECT_EQ(m_inbox.CopyCount(), 3u);
    m_app->SetRelaunchOnExit(false);
}

TEST_F(AppFixture, ACommunicationThreadThatCannotStartEndsTheStartWithItsText)
{
    struct CFailingThread final : ICommThread {
        bool Start() override { return false; }
        void Stop() override {}
        [[nodiscard]] platform::ThreadId GetThreadId() const override { return 0; }
    } thread;
    MakeApp(HallCommandLine());
    AppLinks links = m_app->Links();
    links.comm_thread = &thread;
    m_app->SetLinks(links);
    EXPECT_FALSE(m_app->InitInstance());
    const auto shown = m_boxes.GetShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "通讯线程创建失败。");
    EXPECT_EQ(m_connection.address, "") << "no connection is tried";
}

TEST_F(AppFixture, WithoutTheHallsFieldsItAsksToStartTheHall)
{
    m_boxes.SetAnswer(platform::IDNO);
    for (const char* line : { "", "30|1.2.3.4|3|4|5|6|7|8" }) {
        MakeApp(line);
        EXPECT_FALSE(m_app->InitInstance());
    }
    const auto shown = m_boxes.GetShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "该程序必须从游戏大厅中启动,是否启动游戏大厅？\r\n\r\n(frame2.0)");
    EXPECT_EQ(shown[0].type, platform::MB_YESNO | platform::MB_ICONINFORMATION);
}

TEST_F(AppFixture, ReplayFilesAndTheLocalTestChooseTheStandAloneModes)
{
    std::ofstream(m_folder / "round.qvrep") << "replay";
    std::ofstream(m_folder / "notes.txt") << "text";
    const struct {
        std::string line;
        bool replay;
        std::string path;
    } cases[] = {
        { "\"" + (m_folder / "round.qvrep") + "\"", true, m_folder / "round.qvrep" },
        { m_folder / "missing.qvrep", false, "" },
        { m_folder / "notes.txt", false, m_folder / "notes.txt" },
    };
    for (const auto& c : cases) {
        MakeApp(c.line);
        m_app->OpenReplayFromCommandLine();
        EXPECT_EQ(m_app->IsReplayMode(), c.replay) << c.line;
        EXPECT_EQ(m_app->IsStandAlone(), c.replay) << c.line;
        EXPECT_EQ(m_app->GetReplayFilePath(), c.path) << c.line;
    }

    // Replay playback: no connection, four players, the frame UI started.
    MakeApp(cases[0].line);
    ASSERT_TRUE(m_app->InitInstance());
    EXPECT_EQ(m_connection.logons, 0);
    EXPECT_TRUE(m_wait.texts.empty());
    EXPECT_EQ(m_app->Records().GetTablePlayerCount(), 4);
    EXPECT_EQ(m_app->Records().GetServerIP(), "127.0.0.1");
    EXPECT_TRUE(m_boxes.GetShown().empty());
}

TEST_F(AppFixture, TheLocalTestSeatsFourPlaceholderPlayersWithAHistory)
{
    MakeApp("");
    m_app->SetRunMode(RUN_MODE_STAND_ALONE);
    ASSERT_TRUE(m_app->InitInstance());
    const CClientRecords& records = m_app->Records();
    for (int chair = 0; chair < 4; ++chair) {
        EXPECT_EQ(records.GetSeatUserID(chair), 10 + chair);
        EXPECT_EQ(records.OtherUser(chair)->user_id, 20 + chair);
        EXPECT_EQ(records.OtherUser(chair)->look_on, 1);
        const GameUserRecord& seat = *records.Seat(chair);
        EXPECT_EQ(seat.games, seat.wins + seat.losses + seat.draws);
        EXPECT_EQ(seat.score, 12345 % 999999);
    }
    EXPECT_EQ(records.Seat(0)->silver, 99999999);
    EXPECT_EQ(records.Header().player_count, 4);
    // 100 rounds: the last (v = 1010000) sits in slot 99 % 30.
    EXPECT_EQ(m_app->Records().History().round_count, 100);
    EXPECT_EQ(m_app->Records().History().values[3][9], 1010003);
    EXPECT_EQ(m_panel.child_events, std::vector<std::string> { "AdvertBar 80000054" });
    EXPECT_EQ(m_connection.logons, 0);
}

TEST_F(AppFixture, GameSettingsAreReadWithDefaultsAndWrittenAtExit)
{
    MakeApp("");
    m_app->SetRunMode(RUN_MODE_STAND_ALONE);
    ASSERT_TRUE(m_app->InitInstance());
    EXPECT_EQ(m_app->GetSortType(), 1);
    EXPECT_EQ(m_app->GetSoundEffectSetting(), 0);
    m_app->SetSoundEffectSetting(1);
    m_app->SetSortType(3);
    m_app->ExitInstance();
    MakeApp("");
    m_app->SetRunMode(RUN_MODE_STAND_ALONE);
    ASSERT_TRUE(m_app->InitInstance());
    EXPECT_EQ(m_app->GetSoundEffectSetting(), 1);
    EXPECT_EQ(m_app->GetSortType(), 3);
}

TEST_F(AppFixture, SignRepliesAreMatchedByTheirIdOnly)
{
    OpenHall();
    MakeApp(HallCommandLine());
    ASSERT_TRUE(m_app->ParseHallCommandLine());
    // The hall answers each request twice: first for an id nobody asked
    // for (ignored), then for the request itself.
    m_inbox.on_posted = [](const platform::Message& msg) {
        if (msg.id != UM_HALL_SIGN_REQUEST)
            return;
        for (const int32_t id : { static_cast<int32_t>(msg.lparam) + 100, static_cast<int32_t>(msg.lparam) }) {
            SignReplyRecord reply;
            reply.user_id = 1001;
            reply.request_id = id;
            CopyTextField(reply.token, id == msg.lparam ? "token-ok" : "token-stray");
            (void)platform::SendRemoteCopyData(static_cast<platform::RemoteHandle>(msg.wparam), 0,
                                               COPYDATA_SIGN_REPLY, EncipherCopyData(RecordBytes(reply)), DEADLINE_MS);
        }
    };
    EXPECT_EQ(m_app->RequestHallSign(), "token-ok");
    EXPECT_EQ(m_app->GetSignParams("http://a.example/p?x=1", true), "http://a.example/p?x=1&uid=1001&sign=token-ok");
    EXPECT_EQ(m_app->GetSignParams("http://a.example/p", false), "http://a.example/p");
}

TEST_F(AppFixture, HallRecordsAreCheckedBeforeUse)
{
    MakeApp(HallCommandLine());
    ASSERT_TRUE(m_app->ParseHallCommandLine());
    m_app->OnHallCopyData(COPYDATA_LAUNCH, std::vector<uint8_t>(100));
    EXPECT_EQ(m_wait.texts, std::vector<std::string> { "游戏程序初始化失败!" });
    EXPECT_EQ(m_sleeps, std::vector<uint32_t> { 2000 });

    m_app->OnHallCopyData(COPYDATA_USER, std::vector<uint8_t>(319, 1));
    BodyBuilder looker(320);
    looker.Word(0, 3001);
    m_app->OnHallCopyData(COPYDATA_USER, looker.Bytes());
    m_app->OnHallCopyData(COPYDATA_SHOW_USER, std::vector<uint8_t>(16));
    m_app->OnHallCopyData(COPYDATA_SHOW_USER, looker.Bytes());
    m_app->OnHallCopyData(99, {});
    EXPECT_EQ(m_frame_ui.calls, (std::vector<std::string> { "looker 3001", "detail", "small 3001" }));
}

class AppServices : public AppFixture {
protected:
    AppServices()
    {
        MakeApp("");
        for (int chair = 0; chair < 4; ++chair)
            m_app->Records().Seat(chair)->user_id = 100 + chair;
    }
};

TEST_F(AppServices, RoundHistoryRingKeepsThirtyRoundsAndAllTotals)
{
    for (int32_t round = 1; round <= 31; ++round) {
        const int32_t values[] = { round, -round, 0, 2 * round, 999 };
        m_app->AddRoundResult(values);
    }
    const RoundHistory& history = m_app->Records().History();
    EXPECT_EQ(history.round_count, 31);
    EXPECT_EQ(history.values[0][0], 31);
    EXPECT_EQ(history.values[0][1], 2);
    EXPECT_EQ(history.totals[0], 31 * 32 / 2);
    EXPECT_EQ(history.totals[3], 31 * 32);
    EXPECT_EQ(history.totals[4], 0) << "only the game's four chairs";
    m_app->ResetRoundHistory();
    EXPECT_EQ(m_app->Records().History().round_count, 0);
}

TEST_F(AppServices, RoundResultsUpdateTheSeatsUnlessKept)
{
    m_app->Records().Room().options = ROOM_OPTION_SILVER;
    BodyBuilder record(108 * 4);
    record.Word(2, 1000); // a chair count beyond the table is clamped
    record.Word(105, 1 << 1);
    for (int i = 0; i < 4; ++i)
        record.Word(24 + i, 100).Word(32 + i, 1000).Word(40 + i, 5).Word(48 + i, i == 0 ? 0 : (i == 2 ? -30 : 30));
    record.Word(64 + 3, 9).Text(288 + 16 * 3, "超级大师级别称号");
    ASSERT_TRUE(m_app->ApplyRoundResult(record.Bytes()));
    const CClientRecords& records = m_app->Records();
    EXPECT_EQ(records.Seat(0)->draws, 1) << "silver delta 0 with score delta 5 is a draw";
    EXPECT_EQ(records.Seat(1)->games, 0) << "kept by its bit";
    EXPECT_EQ(records.Seat(2)->losses, 1);
    EXPECT_EQ(records.Seat(3)->wins, 1);
    EXPECT_EQ(records.Seat(3)->silver, 1030);
    EXPECT_EQ(records.Seat(3)->score, 105);
    EXPECT_EQ(FieldText(records.Seat(3)->level_title), "超级大师级别称") << "16 bytes cut to 15 and terminated";
    EXPECT_EQ(m_app->Records().History().values[2][0], -30);
    EXPECT_EQ(m_frame_ui.calls.back(), "result");
    EXPECT_FALSE(m_app->ApplyRoundResult(std::vector<uint8_t>(108 * 4 - 1)));
}

TEST_F(AppServices, SingleResultsSilverChangesAndNamesStayInsideTheirChairsAndFields)
{
    BodyBuilder single(64);
    single.Word(1, 9).Word(6, 1);
    ASSERT_TRUE(m_app->ApplySingleResult(single.Bytes()));
    single.Word(1, 1).Word(6, 50).Word(8, 5).Word(7, 200).Word(9, -20).Word(11, 4).Text(48, "新秀");
    ASSERT_TRUE(m_app->ApplySingleResult(single.Bytes()));
    EXPECT_EQ(m_app->Records().Seat(1)->score, 55);
    EXPECT_EQ(m_app->Records().Seat(1)->silver, 180);
    EXPECT_EQ(m_app->Records().Seat(1)->losses, 1);

    BodyBuilder change(20);
    change.Word(1, -1).Word(2, 1).Word(4, 7);
    ASSERT_TRUE(m_app->ApplySilverChange(change.Bytes()));
    change.Word(1, 2);
    ASSERT_TRUE(m_app->ApplySilverChange(change.Bytes()));
    EXPECT_EQ(m_app->Records().Seat(2)->silver, 7);

    // A 52-byte name into the 32-byte field: cut between characters.
    BodyBuilder names(52 * 4);
    std::string long_name = "a";
    for (int i = 0; i < 25; ++i)
        long_name += "名";
    names.Text(52, long_name);
    ASSERT_TRUE(m_app->ApplySeatNames(names.Bytes()));
    const std::string name = FieldText(m_app->Records().Seat(1)->name);
    EXPECT_EQ(name.size(), 31u);
    EXPECT_EQ(name, long_name.substr(0, 31));
    EXPECT_FALSE(m_app->ApplySeatNames(std::vector<uint8_t>(52 * 3)));
}

TEST_F(AppServices, BoardsTextsAndBannersReachTheFrameUIAndThePanel)
{
    m_app->CheckSilverTooLittle({});
    m_app->CheckSilverTooMuch({});
    ASSERT_EQ(m_frame_ui.exit_boards.size(), 2u);
    EXPECT_EQ(m_frame_ui.exit_boards[0].text, "对不起，您的银子不够啦！");
    EXPECT_EQ(m_frame_ui.exit_boards[0].picture, "vur没钱");
    EXPECT_EQ(m_frame_ui.exit_boards[1].style, 48);

    m_app->ShowLowIncomeFailure(0, "");
    m_app->ShowLowIncomeFailure(1, "ignored");
    m_app->ShowSilverGift(0, "", 0, 0);
    m_app->ShowSilverGift(1, "", 1, 500);
    EXPECT_EQ(m_panel.texts, (std::vector<std::string> { " <z=qv系统通知> <c=255>获取低保活动配置失败!\r\n",
                                                         " <z=qv系统通知> <c=255>领取银子失败!\r\n" }));
    ASSERT_EQ(m_frame_ui.boards.size(), 1u);
    EXPECT_EQ(m_frame_ui.boards[0].text, "已赠送银子500两到后备箱中!");
    EXPECT_EQ(m_frame_ui.boards[0].style, 52);

    m_app->Records().Launch().chair_no = -1;
    m_app->OnLogonReply210210();
    EXPECT_EQ(m_app->Records().GetChairNO(), 0);
    EXPECT_TRUE(m_app->IsPlaying());
    m_app->OnEnterWashedOut({});
    m_app->OnEnterSignUpRejected({});
    EXPECT_EQ(m_frame_ui.calls, (std::vector<std::string> { "logon2", "washout", "rejected" }));

    // Without a frame UI or panel nothing happens.
    m_app->SetLinks({});
    m_app->CheckSilverTooMuch({});
    m_app->ShowSystemMessage("x");
    EXPECT_EQ(m_frame_ui.exit_boards.size(), 2u);
}

TEST_F(AppServices, NetworkFailureClearsTheTableAndRelaunchesOnExit)
{
    m_app->SetRunMode(RUN_MODE_STAND_ALONE);
    m_app->OnNetworkFailure();
    EXPECT_FALSE(m_app->GetRelaunchOnExit());
    m_app->SetRunMode(RUN_MODE_HALL);
    m_app->OnNetworkFailure();
    EXPECT_TRUE(m_app->GetRelaunchOnExit());
    ASSERT_EQ(m_frame_ui.exit_boards.size(), 1u);
    EXPECT_EQ(m_frame_ui.exit_boards[0].text, "您的网络出现了异常，请重新登录大厅。");
    EXPECT_EQ(m_frame_ui.exit_boards[0].seconds, 10);
    m_app->SetRelaunchOnExit(false);
}

TEST_F(AppServices, AdvertAndPayAddressesComeFromTheGameIniOrTheRoom)
{
    m_app->Records().Launch().game_id = 30;
    // No known host: no address (never "http:///advert/...").
    for (const char* blank : { "", "  " }) {
        CopyTextField(m_app->Records().Room().advert_host, blank);
        EXPECT_EQ(m_app->GetAdvertURL(), "") << '"' << blank << '"';
    }
    CopyTextField(m_app->Records().Room().advert_host, "ads.example");
    EXPECT_EQ(m_app->GetAdvertURL(), "http://ads.example/advert/window/30/ko.htm");
    EXPECT_EQ(m_app->GetPayURL(), "");
    ASSERT_TRUE(platform::WriteProfileString("ADVERT", "WWW3", "  http://own.example/a  ", m_app->GetGameIniPath()));
    ASSERT_TRUE(platform::WriteProfileString("ADVERT", "Pay", "http://pay.example/", m_app->GetGameIniPath()));
    EXPECT_EQ(m_app->GetAdvertURL(), "http://own.example/a");
    EXPECT_EQ(m_app->GetPayURL(), "http://pay.example/");
}

} // namespace
} // namespace client
