// The game-server connection against the loopback test server: the greeting,
// request bodies byte for byte, answer codes and texts, time-outs, and the
// card-game layer.
#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <unistd.h>
#include <mutex>

#include <gtest/gtest.h>

#include "client/AnswerCodes.h"
#include "client/CPlDkApp.h"
#include "client/MachineId.h"
#include "net/NetLog.h"
#include "net/PacketKeys.h"
#include "tests/client/AppFakes.h"
#include "tests/client/BodyBuilder.h"
#include "tests/net/support/Loopback.h"
#include "tests/net/support/TestGameServer.h"
#include "platform/MessageWindow.h"
#include "platform/Path.h"
#include "platform/Tick.h"
#include "tests/platform/TempFolder.h"

namespace client {
namespace {

using namespace client_test;
using net::testing::CTestGameServer;
using net::testing::ReceivedMessage;

constexpr uint32_t DEADLINE_MS = 10000;

struct Reply {
    int32_t code;
    std::vector<uint8_t> body;
};

int32_t WordOf(std::span<const uint8_t> bytes, size_t index)
{
    return detail::LoadI32(bytes.data() + index * 4);
}

// The user's folders in a temporary folder, set before the application is made.
class CUserFolders : public platform::testing::CTempFolder {
public:
    CUserFolders()
    {
        platform::SetUserDataFolder(Path());
        platform::SetUserConfigFolder(Path());
    }
    ~CUserFolders()
    {
        platform::SetUserConfigFolder("");
        platform::SetUserDataFolder("");
    }
};

// This game's application seated at table 7, chair 2, in room 55, with its
// connection open on a loopback server that answers by request id.
class Connection : public ::testing::Test {
protected:
    Connection()
    {
        m_server.on_message = [this](CTestGameServer& server, const ReceivedMessage& message) {
            if (m_before_answer)
                m_before_answer();
            std::lock_guard lock(m_mutex);
            const auto reply = m_replies.find(message.request.id);
            if (reply != m_replies.end() && message.answer_wanted != 0)
                server.SendAnswer(message.serial, static_cast<uint32_t>(reply->second.code), reply->second.body);
        };
        CClientRecords& records = m_app.Records();
        records.Launch().user_id = 1001;
        records.Launch().chair_no = 2;
        records.Launch().game_id = 30;
        records.Room().room_id = 55;
        records.Room().room_value74 = 74;
        records.Room().room_value76 = 76;
        records.Table().table_no = 7;
        records.Seat(2)->user_id = 1001;
        records.Seat(2)->flags = 0x11;
        records.Seat(2)->chair = 2;
        records.Seat(0)->user_id = 1002;
        AppLinks links;
        links.connection = &m_app.GetConnection();
        links.frame_ui = &m_frame_ui;
        links.side_panel = &m_panel;
        m_app.SetLinks(links);
    }
    ~Connection() override
    {
        m_app.GetConnection().Close();
        // The server's thread reads the replies and the hook, which die before it.
        m_server.Stop();
    }

    void Answer(uint32_t id, int32_t code, std::vector<uint8_t> body = {})
    {
        std::lock_guard lock(m_mutex);
        m_replies[id] = Reply { code, std::move(body) };
    }

    ::testing::AssertionResult Open()
    {
        if (!m_server.Start())
            return ::testing::AssertionFailure() << "no server";
        m_connection.SetCipherKey(net::PACKET_KEY);
        bool proxy_failed = true;
        if (!m_connection.Connect("game", "127.0.0.1", m_server.GetPort(), proxy_failed) || proxy_failed)
            return ::testing::AssertionFailure() << "no connection";
        if (!m_server.WaitForClient(DEADLINE_MS))
            return ::testing::AssertionFailure() << "no greeting";
        return ::testing::AssertionSuccess();
    }

    /// The next request the server received.
    std::vector<uint8_t> Received(uint32_t expected_id)
    {
        const std::optional<ReceivedMessage> message = m_server.WaitForMessage(DEADLINE_MS);
        EXPECT_TRUE(message.has_value());
        if (!message)
            return {};
        EXPECT_EQ(message->request.id, expected_id);
        return { message->request.Data().begin(), message->request.Data().end() };
    }

    CUserFolders m_folders;
    CFakeFrameUI m_frame_ui;
    CFakeSidePanel m_panel;
    CPlDkApp m_app;
    CPlDkConnection& m_connection = m_app.GetConnection();
    CTestGameServer m_server;
    std::mutex m_mutex;
    std::map<uint32_t, Reply> m_replies;
    std::function<void()> m_before_answer; ///< set before Open(); runs on the server's thread
};

TEST_F(Connection, GreetsAndChecksTheVersion)
{
    ASSERT_TRUE(Open());
    EXPECT_EQ(m_server.GetGreeting(), std::vector<uint8_t>(GAME_GREETING, GAME_GREETING + 21));
    const struct {
        std::vector<int32_t> words;
        bool ok;
        const char* text;
        int32_t major;
        int32_t minor;
    } cases[] = {
        { { 5, 0 }, true, "", 0, 0 },
        { { 6, 0 }, false, "您的游戏程序太旧了,必须下载新的程序才能玩游戏。", 6, 0 },
        { { 4, 9 }, false, "服务正在更新中，请稍候再试。", 0, 0 },
        { { 5, 2 }, false, "您的游戏程序需要更新。", 0, 2 },
        { { 5 }, false, "服务器繁忙，请稍候再试。", 0, 0 },
    };
    for (const auto& c : cases) {
        BodyBuilder body(c.words.size() * 4);
        for (size_t i = 0; i < c.words.size(); ++i)
            body.Word(i, c.words[i]);
        Answer(GR_CHECK_VERSION, 10, body.Bytes());
        std::string error;
        int32_t major = 0;
        int32_t minor = 0;
        EXPECT_EQ(m_connection.CheckVersion(error, major, minor), c.ok);
        EXPECT_EQ(error, c.ok ? error : std::string(c.text));
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
        EXPECT_TRUE(Received(GR_CHECK_VERSION).empty());
    }
}

TEST_F(Connection, LogonSendsItsRecordAndTakesTheAnswer)
{
    ASSERT_TRUE(Open());
    BodyBuilder state(64);
    state.Word(14, 30);
    Answer(GR_LOGON, GR_ID_210200, state.Bytes());
    std::string error;
    ASSERT_TRUE(m_connection.Logon(error));
    const std::vector<uint8_t> record = Received(GR_LOGON);
    ASSERT_EQ(record.size(), 108u);
    const int32_t expected[] = { 1001, 0x11, 30, 55, 7, 2 };
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(WordOf(record, i), expected[i]) << "word " << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 24)), GetMachineID());
    EXPECT_EQ(WordOf(record, 22), 76);
    EXPECT_EQ(m_app.GetGameState().GetStateBlock()[14], 30);
    EXPECT_EQ(m_frame_ui.calls.back(), "logon1");

    // A room with configs bit 0x40 sends the player entry too.
    m_app.Records().Room().configs = ROOM_CONFIG_40;
    Answer(GR_LOGON, GR_ID_210210, {});
    ASSERT_TRUE(m_connection.Logon(error));
    EXPECT_EQ(Received(GR_LOGON).size(), 244u);
    EXPECT_EQ(m_app.GetLogonWord(), 1);
    EXPECT_TRUE(m_app.IsPlaying());

    Answer(GR_LOGON, GR_ERR_AUTH_FAILED, {});
    EXPECT_FALSE(m_connection.Logon(error));
    m_app.Records().Seat(2)->user_id = 0;
    EXPECT_FALSE(m_connection.Logon(error));
    EXPECT_EQ(error, "对象不存在。");
}

TEST_F(Connection, EnterAnswersReachTheirHandlersAndServerTextsAreShownAsSent)
{
    ASSERT_TRUE(Open());
    Answer(GR_ENTER_GAME, GR_ENTER_WASHED_OUT, { 1, 2 });
    std::string error;
    EXPECT_TRUE(m_connection.EnterGame(error));
    const std::vector<uint8_t> record = Received(GR_ENTER_GAME);
    ASSERT_EQ(record.size(), 176u);
    EXPECT_EQ(WordOf(record, 4), 55);
    EXPECT_EQ(WordOf(record, 6), 2);
    EXPECT_EQ(WordOf(record, 16), 74);
    EXPECT_EQ(m_frame_ui.calls.back(), "washout");
    Answer(GR_ENTER_GAME, GR_ENTER_OK, std::vector<uint8_t>(40)); // too short for the player and state
    EXPECT_FALSE(m_connection.EnterGame(error));

    const std::string text = "系统维护中";
    Answer(GR_ASK_EXIT, GR_ERR_SERVER_TEXT, std::vector<uint8_t>(text.begin(), text.end()));
    RequestAnswer answer;
    EXPECT_EQ(m_connection.SendRequest(error, GR_ASK_EXIT, {}, answer, RequestWait::Yes), 0);
    EXPECT_EQ(error, text);
    EXPECT_TRUE(answer.data.empty());
}

TEST_F(Connection, ExitAndLeaveAnswers)
{
    ASSERT_TRUE(Open());
    BodyBuilder options(4);
    options.Word(0, 0x4004);
    Answer(GR_ASK_EXIT, GR_EXIT_ALLOWED, options.Bytes());
    EXPECT_EQ(m_connection.AskExit(), 1);
    EXPECT_EQ(Received(GR_ASK_EXIT).size(), 32u);
    EXPECT_EQ(m_app.Records().GetRoomOptions(), 0x4004);
    Answer(GR_ASK_EXIT, 10, {});
    EXPECT_EQ(m_connection.AskExit(), 0);

    BodyBuilder seconds(4);
    seconds.Word(0, 42);
    Answer(GR_LEAVE_GAME, GR_LEAVE_RANDOM_WAIT, seconds.Bytes());
    std::string error;
    EXPECT_EQ(m_connection.LeaveGame(error, 1001, 2), 1);
    EXPECT_EQ(error, "系统已经为您分配了随机桌位，\r\n\r\n必须再等 42 秒钟才能离开。");
    (void)Received(GR_ASK_EXIT);
    const std::vector<uint8_t> leave = Received(GR_LEAVE_GAME);
    ASSERT_EQ(leave.size(), 96u);
    const int32_t expected[] = { 1001, 55, 7, 2, 0, 7, 2, 1001 };
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(WordOf(leave, i), expected[i]) << "word " << i;
    Answer(GR_LEAVE_GAME, 10, {});
    EXPECT_EQ(m_connection.LeaveGame(error, 1001, 2), 0);

    EXPECT_TRUE(m_connection.LeaveTable(1002, 0));
    (void)Received(GR_LEAVE_GAME);
    const std::vector<uint8_t> other = Received(GR_LEAVE_TABLE);
    ASSERT_EQ(other.size(), 96u);
    EXPECT_EQ(WordOf(other, 0), 1002);
    EXPECT_EQ(WordOf(other, 4), 1) << "not the own user";
}

TEST_F(Connection, RequestsWithoutAnswerCarryTheirValuesAndPulseReportsLatency)
{
    ASSERT_TRUE(Open());
    Answer(GR_ASK_EXIT, 10, {});
    EXPECT_EQ(m_connection.AskExit(), 0);
    (void)Received(GR_ASK_EXIT);
    EXPECT_EQ(m_connection.GetLatencyCount(), 1);

    EXPECT_EQ(m_connection.SendPulse(), 1);
    const std::vector<uint8_t> pulse = Received(GR_PULSE);
    ASSERT_EQ(pulse.size(), 16u);
    EXPECT_EQ(WordOf(pulse, 0), 1001);
    EXPECT_LE(WordOf(pulse, 1), WordOf(pulse, 2));
    EXPECT_EQ(m_connection.GetLatencyCount(), 0) << "reset by the pulse";
    EXPECT_EQ(m_connection.SendPulse(), 1);
    const std::vector<uint8_t> quiet = Received(GR_PULSE);
    EXPECT_EQ(WordOf(quiet, 1), 0);

    std::string long_line(100, 'x');
    EXPECT_EQ(m_connection.SendChat(long_line), 1);
    const std::vector<uint8_t> chat = Received(GR_CHAT);
    ASSERT_EQ(chat.size(), 128u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(chat.data() + 48)), std::string(61, 'x'));

    EXPECT_EQ(m_connection.AnswerExit(8, 9), 1);
    const std::vector<uint8_t> answer = Received(GR_ANSWER_EXIT);
    ASSERT_EQ(answer.size(), 40u);
    EXPECT_EQ(WordOf(answer, 4), 8);
    EXPECT_EQ(WordOf(answer, 5), 9);

    EXPECT_EQ(m_connection.SendGameRequest(19840324, {}, RequestWait::No), 0);
    const std::vector<uint8_t> game = Received(GR_SEND_GAME_DATA);
    ASSERT_EQ(game.size(), 20u);
    EXPECT_EQ(WordOf(game, 2), 19840324);
    EXPECT_EQ(WordOf(game, 4), 0);

    const int32_t previous[4] = { 1, 2, 3, 4 };
    BodyBuilder game_data(12);
    game_data.Word(2, 19840330);
    m_connection.ReportBadMessage(GR_GAME_DATA, game_data.Bytes(), previous);
    const std::vector<uint8_t> report = Received(GR_REPORT_BAD_MESSAGE);
    ASSERT_EQ(report.size(), 128u);
    EXPECT_EQ(WordOf(report, 5), static_cast<int32_t>(GR_GAME_DATA));
    EXPECT_EQ(WordOf(report, 6), 19840330);
    EXPECT_EQ(WordOf(report, 7), 12);
    EXPECT_EQ(WordOf(report, 12), 4);
}

TEST_F(Connection, TimeOutsFollowTheRequestAndAClosedConnectionSaysSo)
{
    const struct {
        uint32_t id;
        uint32_t seconds;
    } cases[] = {
        { GR_LOGON, 30 }, { GR_ENTER_GAME, 30 }, { GR_ID_214000, 30 }, { GR_ID_214010, 30 },
        { GR_CHECK_VERSION, 15 }, { GR_ASK_EXIT, 5 }, { GR_CHAT, 10 }, { 220000, 10 },
        { GR_THROW_CARDS, 5 }, { GR_PASS, 5 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(m_connection.GetRequestTimeout(c.id), c.seconds) << c.id;

    std::string error;
    RequestAnswer answer;
    EXPECT_EQ(m_connection.SendRequest(error, GR_ASK_EXIT, {}, answer, RequestWait::No), 0);
    EXPECT_EQ(answer.code, GR_ERR_NOT_CONNECTED);
    EXPECT_EQ(error, "与服务器连接断开。");
    EXPECT_EQ(m_connection.SendChat("hello"), 0) << "a request that could not leave is a failure";
}

TEST_F(Connection, ACardRequestWithoutAnswerEndsAfterFiveSecondsWithTheNotSentCode)
{
    ASSERT_TRUE(Open());
    BodyBuilder play(64 + 8);
    play.Word(15, 2).Word(16, 33).Word(17, 34);
    std::string error;
    const uint32_t start = platform::GetTickCount();
    EXPECT_EQ(m_connection.ThrowCards(error, play.Bytes()), GR_CARD_REQUEST_NOT_SENT);
    const uint32_t elapsed = platform::GetTickCount() - start;
    EXPECT_GE(elapsed, 4900u);
    EXPECT_LT(elapsed, 9000u);
    EXPECT_EQ(error, "请求处理超时。");
    // The player reads it in the chat; one time-out alone gives nobody up.
    EXPECT_EQ(m_panel.texts, std::vector<std::string> { TEXT_TIMEOUT_LINE });
    EXPECT_EQ(m_connection.GetServerWatch().GetTimeoutsInARow(), 1);
    EXPECT_EQ(m_connection.IsConnected(), 1);
    EXPECT_EQ(Received(GR_THROW_CARDS).size(), 72u);
    play.Word(15, 3); // one card id more than the record holds
    EXPECT_EQ(m_connection.ThrowCards(error, play.Bytes()), GR_CARD_REQUEST_NOT_SENT);
}

TEST_F(Connection, SafeBoxAnswersGiveTheirTextsAndCopyNoMoreThanCame)
{
    ASSERT_TRUE(Open());
    m_app.Records().Launch().game_name = "够级";
    const struct {
        int32_t code;
        std::vector<int32_t> words;
        int result;
        const char* text;
    } cases[] = {
        { 10, {}, 1, "银子已经成功划入您指定的游戏。" },
        { 60042, {}, 0, "系统禁止在【够级】里存放银子。" },
        { 229604, { 5000 }, 0, "高于房间最高银子限制【5000两】。" },
        { 60086, { 100, 40 }, 0, "系统限定每日划入【够级】不能超过100两，\r\n今天您最多还可以划入40两。" },
        { 60086, { 100 }, 0, "系统限定每日划入【够级】不能超过100两，\r\n今天您已经超限，到明天才能划银。" },
        { 60095, { 0, 1, 5, 0 }, 0, "系统限定每月划入游戏总额不能超过4294967296两，\r\n本月您最多还可以划入5两。" },
    };
    for (const auto& c : cases) {
        BodyBuilder body(c.words.size() * 4);
        for (size_t i = 0; i < c.words.size(); ++i)
            body.Word(i, c.words[i]);
        Answer(GR_SAFEBOX_TO_GAME, c.code, body.Bytes());
        std::string error;
        EXPECT_EQ(m_connection.SafeBoxToGame(error, 300, 7), c.result) << c.code;
        EXPECT_EQ(error, c.text) << c.code;
        const std::vector<uint8_t> record = Received(GR_SAFEBOX_TO_GAME);
        ASSERT_EQ(record.size(), 112u);
        EXPECT_EQ(WordOf(record, 5), 300);
        EXPECT_EQ(WordOf(record, 20), 2);
        EXPECT_EQ(WordOf(record, 21), 2);
    }

    BodyBuilder three(12);
    three.Word(0, 1).Word(1, 2).Word(2, 3);
    Answer(GR_SAFEBOX_OPEN, 10, three.Bytes());
    int32_t record[8] = { -1, -1, -1, -1, -1, -1, -1, -1 };
    std::string error;
    ASSERT_EQ(m_connection.OpenSafeBox(error, record), 1);
    EXPECT_EQ(record[2], 3);
    EXPECT_EQ(record[3], -1) << "no more words than the answer holds";
    EXPECT_EQ(Received(GR_SAFEBOX_OPEN).size(), 76u);
}

TEST_F(Connection, AWaitingRequestKeepsTheThreadsWindowsRunning)
{
    class CTickingWindow final : public platform::CMessageWindow {
    public:
        std::atomic<int> ticks { 0 };

    protected:
        intptr_t WindowProc(platform::Message& msg) override
        {
            if (msg.id == platform::WM_TIMER)
                ++ticks;
            return 0;
        }
    } window;
    ASSERT_TRUE(window.Create());
    platform::SetTimer(window.GetHandle(), 1, 10);
    // The answer is held until the timer has ticked five times, which only the
    // waiting request's message loop can make happen; without it the answer
    // comes at the deadline (before the request's own time-out) and the count
    // below fails.
    m_before_answer = [&window] {
        const uint32_t start = platform::GetTickCount();
        while (window.ticks.load() < 5 && !platform::HasElapsed(start, platform::GetTickCount(), DEADLINE_MS))
            ::usleep(1000);
    };
    ASSERT_TRUE(Open());
    BodyBuilder version(8);
    version.Word(0, 5);
    Answer(GR_CHECK_VERSION, 10, version.Bytes());
    std::string error;
    int32_t major = 0;
    int32_t minor = 0;
    window.ticks = 0;
    EXPECT_TRUE(m_connection.CheckVersion(error, major, minor)) << error;
    EXPECT_GE(window.ticks.load(), 5) << "the timer ran while the request waited";
}

TEST_F(Connection, AQuitDuringAWaitEndsItAtOnceAndStaysForTheOuterLoop)
{
    ASSERT_TRUE(Open());
    BodyBuilder play(64);
    std::string error;
    platform::PostQuitMessage(0);
    const uint32_t start = platform::GetTickCount();
    EXPECT_EQ(m_connection.ThrowCards(error, play.Bytes()), GR_CARD_REQUEST_NOT_SENT);
    // Not the request's 5 s: the program ends, the connection with it.
    EXPECT_LT(platform::GetTickCount() - start, m_connection.GetRequestTimeout(GR_THROW_CARDS) * 1000);
    EXPECT_EQ(error, "与服务器连接断开。");
    EXPECT_EQ(m_connection.IsConnected(), 0);
    EXPECT_TRUE(m_panel.texts.empty()) << "a quit is no time-out";
    EXPECT_EQ(m_connection.GetServerWatch().GetTimeoutsInARow(), 0);
    bool quit_left = false;
    for (platform::Message msg; platform::PeekMessage(msg);)
        quit_left = quit_left || msg.id == platform::WM_QUIT;
    EXPECT_TRUE(quit_left);
}

TEST(ServerWatch, TimeOutsInARowAndSilenceGiveUpOnlyDuringARound)
{
    using Verdict = CServerWatch::Verdict;
    constexpr uint32_t LIMIT = CServerWatch::SILENCE_LIMIT_MS;
    // Steps: 't' a time-out, 'a' an answer, 'l' a look at the tick with the
    // bytes given; the verdict of the last step.
    struct Step {
        char kind;
        bool in_round;
        uint32_t tick = 0;
        uint64_t bytes = 0;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
        Verdict last;
        uint32_t base = 1000; ///< the tick of the connection
    } cases[] = {
        { "three time-outs in a round", { { 't', true }, { 't', true }, { 't', true } }, Verdict::Gone },
        { "two are not enough", { { 't', true }, { 't', true } }, Verdict::Alive },
        { "an answer starts the count again", { { 't', true }, { 't', true }, { 'a', true }, { 't', true } },
          Verdict::Alive },
        { "outside a round nothing is given up", { { 't', false }, { 't', false }, { 't', false } }, Verdict::Alive },
        { "counted before, the round's time-out decides",
          { { 't', false }, { 't', false }, { 't', true } }, Verdict::Gone },
        { "silent just short of the limit", { { 'l', true, LIMIT - 1 } }, Verdict::Alive },
        { "silent for the limit", { { 'l', true, LIMIT } }, Verdict::Gone },
        { "bytes came: the silence starts again", { { 'l', true, LIMIT - 1, 1 }, { 'l', true, 2 * LIMIT - 2, 1 } },
          Verdict::Alive },
        { "then silent for the limit", { { 'l', true, LIMIT - 1, 1 }, { 'l', true, 2 * LIMIT - 1, 1 } },
          Verdict::Gone },
        { "silence outside a round is no sign", { { 'l', false, LIMIT }, { 'l', true, 2 * LIMIT - 1 } },
          Verdict::Alive },
        { "across the tick's wrap", { { 'l', true, LIMIT } }, Verdict::Gone, UINT32_MAX - 9 },
    };
    for (const auto& c : cases) {
        CServerWatch watch;
        const uint32_t base = c.base;
        watch.Reset(base, 0);
        Verdict verdict = Verdict::Alive;
        for (const Step& step : c.steps) {
            if (step.kind == 't')
                verdict = watch.OnTimedOut(step.in_round);
            else if (step.kind == 'a')
                watch.OnAnswer();
            else
                verdict = watch.OnLook(base + step.tick, step.bytes, step.in_round);
        }
        EXPECT_EQ(verdict, c.last) << c.name;
    }
}

TEST_F(Connection, AnUnreachableProxyFailsWithTheProxyNamed)
{
    const std::string ini = m_folders / "hall.ini";
    const uint16_t closed = net::testing::FreeLoopbackPort();
    std::ofstream(ini) << "[PROXY]\nNeed=1\nHost=127.0.0.1\nSock=3\nPort=" << closed << "\n";
    m_connection.LoadProxySettings(ini);
    EXPECT_EQ(m_connection.GetProxyHost(), "127.0.0.1");
    bool proxy_failed = false;
    const uint32_t start = platform::GetTickCount();
    EXPECT_FALSE(m_connection.Connect("", "127.0.0.1", 21473, proxy_failed));
    EXPECT_TRUE(proxy_failed);
    EXPECT_LT(platform::GetTickCount() - start, 11000u);
}

} // namespace
} // namespace client
