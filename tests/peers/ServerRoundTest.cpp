// The client's game connection against the stand-in server program: game
// data and chat relayed back, a whole round in which the client's chair plays by the
// hint search as the computer players do, every table event read the way the
// client reads it; and the log-on through a real SOCKS5 proxy (microsocks)
// with the hall's proxy settings.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <sstream>
#include <thread>

#include "client/AnswerCodes.h"
#include "client/CGameNotifyHandler.h"
#include "client/CPlDkApp.h"
#include "client/CPlDkGameState.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/PlDkPlayFinder.h"
#include "game/scene/QrCodePanel.h"
#include "game/scene/ReplayPlayback.h"
#include "game/scene/ReplayRecorder.h"
#include "net/CommRecords.h"
#include "net/PacketKeys.h"
#include "net/ProxySocketBase.h"
#include "peers/server/SceneNotice.h"
#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/Message.h"
#include "platform/Text.h"
#include "platform/Tick.h"
#include "tests/net/ProcessSupport.h"
#include "tests/peers/PeerPrograms.h"

namespace {

using namespace peers_test;

constexpr uint32_t GR_CARDS_THROWN = 221170;
constexpr uint32_t GR_PLAYER_PASSED = 223100;
constexpr int OWN_CHAIR = 1;
constexpr int32_t OWN_USER = 1001;
constexpr int32_t ROOM = 55;
constexpr int32_t TABLE = 7;

struct Event {
    uint32_t id = 0;
    std::vector<uint8_t> body;
};

int32_t Word(std::span<const uint8_t> body, size_t index)
{
    platform::CByteReader in(body);
    (void)in.ReadBytes(index * 4);
    return in.ReadI32();
}

bool operator==(const Event& a, const Event& b)
{
    return a.id == b.id && a.body == b.body;
}

// The replay recorder's time stands still; the playback's records are kept.
class CStillReplayEnv final : public scene::IReplayRecorderEnv {
public:
    [[nodiscard]] uint32_t GetTickCount() const override { return 0; }
    [[nodiscard]] scene::ReplayLocalTime GetLocalTime() const override { return { 2026, 12, 7, 10, 0, 0 }; }
    bool SaveGameIcon(const std::string&) override { return false; }
    bool StartUpload(const std::string&, const std::string&) override { return false; }
};

class CPlayedRecords final : public scene::IReplayFeed {
public:
    void FeedEvent(uint32_t event_id, std::span<const uint8_t> data) override
    {
        played.push_back({ event_id, { data.begin(), data.end() } });
    }
    void SetProgress(double) override {}
    void SetSoundFlag(bool) override {}
    std::vector<Event> played;
};

// The connection's notifications go to a thread of their own that keeps
// them in order, so that the test thread's waiting requests never take them.
class CEventThread {
public:
    CEventThread()
    {
        std::promise<platform::ThreadId> id;
        std::future<platform::ThreadId> future = id.get_future();
        m_thread = std::jthread([this, &id] {
            id.set_value(platform::GetCurrentThreadId()); // makes the thread's queue
            (void)platform::PumpMessagesUntil([this] { return m_stop.load(); }, platform::WAIT_FOREVER,
                                              [this](platform::Message& msg) {
                                                  const auto* message = msg.PayloadAs<net::CommMessage>();
                                                  if (message == nullptr)
                                                      return;
                                                  if (message->request.id <= net::COMM_EVENT_SOCKET_ERROR) {
                                                      std::lock_guard lock(m_mutex);
                                                      m_closed_cookies.push_back(message->conn.cookie);
                                                      m_changed.notify_all();
                                                      return;
                                                  }
                                                  const auto data = message->request.Data();
                                                  std::lock_guard lock(m_mutex);
                                                  m_events.push_back({ message->request.id, { data.begin(), data.end() } });
                                                  m_changed.notify_all();
                                              });
        });
        m_id = future.get();
    }
    ~CEventThread()
    {
        m_stop = true;
        (void)platform::PostThreadMessage(m_id, 0);
    }

    [[nodiscard]] platform::ThreadId GetId() const { return m_id; }

    std::optional<Event> Next()
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::milliseconds(DEADLINE_MS), [this] { return !m_events.empty(); }))
            return std::nullopt;
        Event event = std::move(m_events.front());
        m_events.pop_front();
        return event;
    }

    /// The cookie of the next closed or failed connection the socket events tell.
    std::optional<uint32_t> NextClosed()
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::milliseconds(DEADLINE_MS),
                                [this] { return !m_closed_cookies.empty(); }))
            return std::nullopt;
        const uint32_t cookie = m_closed_cookies.front();
        m_closed_cookies.pop_front();
        return cookie;
    }
    [[nodiscard]] size_t GetClosedCount()
    {
        std::lock_guard lock(m_mutex);
        return m_closed_cookies.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Event> m_events;
    std::deque<uint32_t> m_closed_cookies;
    std::atomic<bool> m_stop { false };
    platform::ThreadId m_id { 0 };
    std::jthread m_thread; // last: joined before the members it uses go
};

std::vector<uint8_t> ThrowRecord(const rules::CardPlay& play)
{
    std::vector<uint8_t> record(80 * 4);
    platform::CByteWriter out(record);
    for (const int32_t word : { OWN_USER, ROOM, TABLE, OWN_CHAIR, (OWN_CHAIR + 3) % 4, 0, 0, 0, 0, 0, 0, 0 })
        out.WriteI32(word);
    rules::WriteCardPlay(play, std::span(record).subspan(out.Written()));
    return record;
}

std::array<uint8_t, client::PASS_RECORD_BYTES> PassRecord(int32_t last_play_chair)
{
    std::array<uint8_t, client::PASS_RECORD_BYTES> record {};
    platform::CByteWriter out(record);
    for (const int32_t word : { OWN_USER, ROOM, OWN_CHAIR, TABLE, last_play_chair })
        out.WriteI32(word);
    return record;
}

// A play or pass (chair 0 to 3) or the result (chair -1) as the server's
// log times it, in milliseconds since the round's deal.
struct LoggedStep {
    int chair = -1;
    uint32_t at_ms = 0;
};

std::vector<LoggedStep> LoggedSteps(const std::string& log)
{
    std::vector<LoggedStep> steps;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned id = 0;
        LoggedStep step;
        if (std::sscanf(line.c_str(), "event %u chair %d at %u ms", &id, &step.chair, &step.at_ms) == 3
            || std::sscanf(line.c_str(), "result at %u ms", &step.at_ms) == 1)
            steps.push_back(step);
    }
    return steps;
}

/// The shortest time, in the log, from a step to the computer play or the
/// result after it (the client's own plays may come as fast as it likes);
/// -1 when there is none.
int64_t ShortestPauseBeforeTheTable(const std::vector<LoggedStep>& steps)
{
    int64_t shortest = -1;
    for (size_t i = 1; i < steps.size(); ++i) {
        if (steps[i].chair == OWN_CHAIR)
            continue;
        const int64_t pause = int64_t(steps[i].at_ms) - int64_t(steps[i - 1].at_ms);
        shortest = shortest < 0 ? pause : std::min(shortest, pause);
    }
    return shortest;
}

class ServerRound : public CPeerPrograms {
protected:
    ServerRound()
    {
        client::CClientRecords& records = m_app.Records();
        records.Launch().user_id = OWN_USER;
        records.Launch().chair_no = OWN_CHAIR;
        records.Room().room_id = ROOM;
        records.Table().table_no = TABLE;
        records.Seat(OWN_CHAIR)->user_id = OWN_USER;
        records.Seat(OWN_CHAIR)->chair = OWN_CHAIR;
        records.Room().configs = client::ROOM_CONFIG_40; // the server seats the table
        m_connection.SetCipherKey(net::PACKET_KEY);
        m_connection.SetNotifyThread(m_events.GetId());
    }
    ~ServerRound() override
    {
        m_connection.Close();
        if (m_server) {
            ::kill(*m_server, SIGCONT); // in case a test stopped it
            ::kill(*m_server, SIGTERM);
            EXPECT_TRUE(platform::WaitProcess(*m_server, DEADLINE_MS).has_value());
        }
    }

    /// Starts the server and logs on to it, directly or through the proxy
    /// settings loaded before.
    void LogOn(const std::vector<std::string>& options = {})
    {
        m_port = StartServer(m_log, m_server, options);
        ASSERT_FALSE(m_port.empty()) << ReadAll(m_log);
        bool proxy_failed = true;
        ASSERT_TRUE(m_connection.Connect("", "127.0.0.1", std::stoi(m_port), proxy_failed));
        EXPECT_FALSE(proxy_failed);
        std::string error;
        int32_t major = 0;
        int32_t minor = 0;
        ASSERT_TRUE(m_connection.CheckVersion(error, major, minor)) << error;
        ASSERT_TRUE(m_connection.Logon(error)) << error;
        EXPECT_FALSE(m_app.IsPlaying()) << "no round runs yet";
        EXPECT_EQ(m_app.Records().GetSeatUserID(OWN_CHAIR), OWN_USER);
        // Then the table's scene notice: the text of the QR-code panel.
        const std::optional<Event> notice = m_events.Next();
        ASSERT_TRUE(notice.has_value());
        EXPECT_EQ(notice->id, client::GR_ID_211920);
        EXPECT_EQ(scene::QrNoticeText(notice->body), peers::SceneNoticeText());
    }

    /// Starts a round and waits for its deal (the user-start events skipped).
    void StartRound()
    {
        std::string error;
        ASSERT_EQ(m_connection.UserStart(error), 1);
        ASSERT_TRUE(NextOf(GR_GAME_START).has_value());
    }

    /// The next event with this id; the others before it are skipped.
    std::optional<Event> NextOf(uint32_t id)
    {
        std::optional<Event> event;
        while ((event = m_events.Next()) && event->id != id) {}
        return event;
    }

    /// With a server whose computer players pause, the client's chair acts
    /// on its first two turns (passing, or leading with the hint's play),
    /// then leaves while the computer player's answer to its second action
    /// waits: by a forced exit, or by closing its connection. Each computer
    /// play came its pause after the step before, and none after the player
    /// left; the log tells `ended`.
    void PlayTwoTurnsAndLeave(bool forced_exit, const std::string& ended)
    {
        ASSERT_NO_FATAL_FAILURE(LogOn({ "--computer-pause-ms", std::to_string(PAUSE_MS) }));
        std::string error;
        ASSERT_EQ(m_connection.UserStart(error), 1);
        const std::optional<Event> start = NextOf(GR_GAME_START);
        ASSERT_TRUE(start.has_value());
        client::CPlDkGameState state;
        ASSERT_TRUE(state.BeginRound(start->body));
        std::vector<int32_t> hand;
        for (const int32_t card : state.GetTableData().card_slots)
            if (card != rules::NO_CARD)
                hand.push_back(card);
        int current = state.GetTableData().head[rules::HDR_CURRENT_CHAIR];
        for (int own_turns = 0; own_turns < 2;) {
            if (current == OWN_CHAIR) {
                ++own_turns;
                if (m_connection.Pass(error, PassRecord(OWN_CHAIR)) != client::GR_OK) {
                    std::array<int32_t, rules::PLAY_CARDS> chosen {};
                    rules::CardPlay lead;
                    ASSERT_EQ(scene::CPlDkPlayFinder::SearchHint(hand, chosen, {}, lead, scene::PLDK_HINT_MASK,
                                                                 scene::NO_WILD, -1),
                              1);
                    ASSERT_EQ(m_connection.ThrowCards(error, ThrowRecord(lead)), client::GR_OK) << error;
                    for (const int32_t card : lead.Cards())
                        std::erase(hand, card);
                }
                if (own_turns == 2)
                    break;
            }
            const std::optional<Event> event = m_events.Next();
            ASSERT_TRUE(event.has_value());
            if (event->id == GR_CARDS_THROWN || event->id == GR_PLAYER_PASSED)
                current = Word(event->body, 4);
        }
        if (forced_exit) {
            std::array<uint8_t, 64> record {};
            ASSERT_NE(m_connection.AskForcedExit(record), 0);
        } else {
            m_connection.Close();
        }
        const std::string text = WaitForLine(m_log, ended);
        EXPECT_NE(text.find(ended), std::string::npos) << text;
        ::usleep(3 * PAUSE_MS * 1000); // time enough for a play that should not come
        const std::vector<LoggedStep> steps = LoggedSteps(ReadAll(m_log));
        ASSERT_GE(steps.size(), 4u) << text;
        EXPECT_EQ(steps.back().chair, OWN_CHAIR) << "a play after the player left\n" << ReadAll(m_log);
        EXPECT_GE(ShortestPauseBeforeTheTable(steps), int64_t(PAUSE_MS)) << text;
    }

    static constexpr uint32_t PAUSE_MS = 200;
    const std::string m_log = m_folder / "server.log";
    std::optional<platform::ProcessId> m_server;
    std::string m_port;
    CEventThread m_events;
    client::CPlDkApp m_app;
    client::CPlDkConnection& m_connection = m_app.GetConnection();
};

// The client's state while the round runs, from the events alone.
struct OwnView {
    std::vector<int32_t> hand;
    int current = -1;
    bool leading = true;
    rules::CardPlay last;
    int own_throws = 0;
    int own_passes = 0;
};

TEST_F(ServerRound, TheClientsChairPlaysAWholeRoundAndEveryEventReadsAsTheClientReadsIt)
{
    // Turns of 7 seconds; the server saves the round as the client's replay;
    // the computer players take a short pause.
    constexpr int64_t ROUND_PAUSE_MS = 20;
    ASSERT_NO_FATAL_FAILURE(LogOn({ "--turn-seconds", "7", "--record", "1", "--computer-pause-ms",
                                    std::to_string(ROUND_PAUSE_MS) }));

    // Game data comes back as the table's game data event, header and data.
    const std::vector<uint8_t> data { 1, 2, 3, 4, 5 };
    ASSERT_EQ(m_connection.SendGameRequest(19840324, data, client::RequestWait::Yes), client::GR_OK);
    std::optional<Event> relayed = m_events.Next();
    ASSERT_TRUE(relayed.has_value());
    EXPECT_EQ(relayed->id, client::GR_GAME_DATA);
    ASSERT_EQ(relayed->body.size(), client::CARD_GAME_HEADER_BYTES + data.size());
    EXPECT_EQ(Word(relayed->body, 1), OWN_USER);
    EXPECT_EQ(Word(relayed->body, 2), 19840324);
    EXPECT_EQ(Word(relayed->body, 4), 5);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), relayed->body.begin() + client::CARD_GAME_HEADER_BYTES));

    std::string error;
    ASSERT_EQ(m_connection.UserStart(error), 1);
    // Every chair is reported started, with its seat block, before the deal.
    std::vector<int32_t> started;
    for (int chair = 0; chair < 4; ++chair) {
        const std::optional<Event> user_start = m_events.Next();
        ASSERT_TRUE(user_start.has_value());
        ASSERT_EQ(user_start->id, client::GR_USER_START);
        ASSERT_EQ(user_start->body.size(), 32u);
        const int32_t seat = m_app.GetGameState().FlagSeat(user_start->body);
        EXPECT_EQ(Word(user_start->body, 0), seat == OWN_CHAIR ? OWN_USER : 9001 + seat);
        EXPECT_EQ(Word(user_start->body, 1), ROOM);
        EXPECT_EQ(Word(user_start->body, 2), TABLE);
        started.push_back(seat);
    }
    EXPECT_EQ(started, (std::vector<int32_t> { 0, 1, 2, 3 }));
    std::optional<Event> start = m_events.Next();
    ASSERT_TRUE(start.has_value());
    ASSERT_EQ(start->id, GR_GAME_START);
    EXPECT_TRUE(m_app.GetGameState().BeginRound(start->body));
    // The round is recorded as the scene records it, and played back below.
    scene::CReplayImage recorded(scene::ReplayVariant::Standard);
    CStillReplayEnv replay_env;
    scene::CReplayRecorder recorder(recorded, m_app, replay_env);
    recorder.StartRecording();
    recorder.RecordTableInfo();
    recorder.RecordEvent(start->id, start->body);
    std::vector<Event> round { *start };
    // The round start is the deal as this chair receives it: its own hand.
    ASSERT_EQ(start->body.size(), rules::DEAL_INFO_BYTES);
    const rules::TableGameData* table = &m_app.GetGameState().GetTableData();
    OwnView view;
    for (const int32_t card : table->card_slots)
        if (card != rules::NO_CARD)
            view.hand.push_back(card);
    EXPECT_EQ(view.hand.size(), 27u);
    const int32_t seconds = table->head[rules::HDR_THROW_WAIT];
    EXPECT_EQ(seconds, 7);
    view.current = table->head[rules::HDR_CURRENT_CHAIR];
    const int first_chair = view.current;
    int play_starts = 0;

    bool refused_once = false;
    std::optional<Event> result;
    for (int events = 0; !result && events < 4000; ++events) {
        if (view.current == OWN_CHAIR) {
            if (!refused_once) {
                // A card the own hand does not hold is refused, and nothing follows.
                refused_once = true;
                rules::CardPlay foreign;
                foreign.type = rules::CARD_TYPE_SINGLE;
                foreign.count = 1;
                foreign.cards[0] = 0;
                while (std::find(view.hand.begin(), view.hand.end(), foreign.cards[0]) != view.hand.end())
                    ++foreign.cards[0];
                EXPECT_EQ(m_connection.ThrowCards(error, ThrowRecord(foreign)), client::GR_ERR_INVALID_PARAM);
            }
            std::array<int32_t, rules::PLAY_CARDS> chosen {};
            rules::CardPlay found;
            const rules::CardPlay to_beat = view.leading ? rules::CardPlay {} : view.last;
            bool thrown = scene::CPlDkPlayFinder::SearchHint(view.hand, chosen, to_beat, found, scene::PLDK_HINT_MASK,
                                                             scene::NO_WILD, -1)
                    == 1
                && m_connection.ThrowCards(error, ThrowRecord(found)) == client::GR_OK;
            // A leader whose hint was refused plays a single.
            for (size_t i = 0; !thrown && view.leading && i < view.hand.size(); ++i) {
                rules::CardPlay single;
                single.type = rules::CARD_TYPE_SINGLE;
                single.count = 1;
                single.cards[0] = view.hand[i];
                thrown = m_connection.ThrowCards(error, ThrowRecord(single)) == client::GR_OK;
            }
            if (thrown) {
                ++view.own_throws;
            } else {
                ASSERT_FALSE(view.leading) << "a leader always has a play";
                ASSERT_EQ(m_connection.Pass(error, PassRecord(OWN_CHAIR)), client::GR_OK) << ReadAll(m_log);
                ++view.own_passes;
            }
        }
        std::optional<Event> event = m_events.Next();
        ASSERT_TRUE(event.has_value()) << "no event after " << events;
        recorder.RecordEvent(event->id, event->body);
        round.push_back(*event);
        const std::span<const uint8_t> body = event->body;
        if (event->id == GR_CARDS_THROWN) {
            ASSERT_EQ(body.size(), 320u);
            EXPECT_EQ(Word(body, 3), view.current) << "the chair whose turn it was played";
            EXPECT_EQ(Word(body, 0), view.current == OWN_CHAIR ? OWN_USER : 9001 + view.current);
            EXPECT_EQ(Word(body, 7), seconds);
            rules::CardPlay play;
            ASSERT_TRUE(rules::ReadCardPlay(body.subspan(48), play));
            ASSERT_GT(play.count, 0);
            EXPECT_NE(play.type, 0);
            if (view.current == OWN_CHAIR) {
                for (const int32_t card : play.Cards()) {
                    const auto held = std::find(view.hand.begin(), view.hand.end(), card);
                    ASSERT_NE(held, view.hand.end()) << "card " << card;
                    view.hand.erase(held);
                }
            }
            view.last = play;
            view.leading = false;
            // The thrower named as the next chair ends the round: the result follows.
            view.current = Word(body, 4) == Word(body, 3) ? -1 : Word(body, 4);
        } else if (event->id == GR_PLAYER_PASSED) {
            ASSERT_EQ(body.size(), 36u);
            EXPECT_EQ(Word(body, 2), view.current) << "the chair whose turn it was passed";
            EXPECT_EQ(Word(body, 8), seconds);
            if (Word(body, 5) != 0) {
                view.leading = true;
                view.last.Clear();
            }
            view.current = Word(body, 4);
        } else if (event->id == client::GR_GAME_DATA) {
            // A computer player that leads starts everyone's play, as the
            // player's client does when it leads: before any play.
            ++play_starts;
            EXPECT_EQ(Word(body, 2), 19840340);
            EXPECT_EQ(Word(body, 1), 9001 + first_chair);
            EXPECT_EQ(Word(body, 4), 8);
            EXPECT_EQ(Word(body, 5), first_chair);
            EXPECT_TRUE(view.leading && view.last.count == 0) << "after a play";
        } else {
            ASSERT_EQ(event->id, GR_ROUND_RESULT);
            result = std::move(event);
        }
        ASSERT_TRUE(view.current >= -1 && view.current < 4) << "next chair " << view.current;
    }
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(play_starts, first_chair == OWN_CHAIR ? 0 : 1);
    EXPECT_GT(view.own_throws, 0);
    EXPECT_TRUE(m_app.GetGameState().EndRound(result->body));
    auto win = std::make_unique<rules::PlDkGameWinResult>();
    ASSERT_TRUE(rules::ReadPlDkGameWinResult(result->body, *win));
    int64_t score_sum = 0;
    for (int chair = 0; chair < 4; ++chair)
        score_sum += win->base.score_change[chair];
    EXPECT_EQ(score_sum, 0);

    // Saved, opened again and played back: the same records, the same result.
    const scene::ReplaySaveResult saved = recorder.SaveRecording(true);
    ASSERT_TRUE(saved.written);
    scene::CReplayImage loaded(scene::ReplayVariant::Standard);
    ASSERT_TRUE(scene::ReadReplayFile(loaded, saved.path, m_app.GetGameCode(), m_app.GetMajorVersion(),
                                      m_app.GetMinorVersion())
                    .IsLoaded());
    EXPECT_EQ(loaded.GetPlayerInfo(OWN_CHAIR)->user_id, OWN_USER);
    CPlayedRecords feed;
    scene::CReplayPlayback playback(loaded, feed);
    playback.Restart();
    while (playback.PlayNextRecord()) {
    }
    EXPECT_TRUE(feed.played == round);
    client::CPlDkGameState replayed;
    ASSERT_FALSE(feed.played.empty());
    EXPECT_TRUE(replayed.BeginRound(feed.played.front().body));
    EXPECT_TRUE(replayed.EndRound(feed.played.back().body));
    EXPECT_TRUE(std::equal(std::begin(replayed.GetResultBlock().base.score_change),
                           std::end(replayed.GetResultBlock().base.score_change), win->base.score_change));

    // The server's replay holds the round as this chair received it.
    const std::string saved_text = WaitForLine(m_log, "replay saved ");
    const size_t saved_at = saved_text.find("replay saved ");
    ASSERT_NE(saved_at, std::string::npos) << saved_text;
    const size_t saved_end = saved_text.find('\n', saved_at);
    const std::string server_replay = saved_text.substr(saved_at + 13, saved_end - saved_at - 13);
    scene::CReplayImage server_image(scene::ReplayVariant::Standard);
    const std::string server_path = platform::Utf8ToGbk(server_replay).value_or("");
    ASSERT_TRUE(scene::ReadReplayFile(server_image, server_path, "pldk", 5, 0).IsLoaded()) << server_replay;
    EXPECT_EQ(server_image.GetHeaderFields().user_id, OWN_USER);
    ASSERT_EQ(server_image.GetEventCount(), round.size());
    for (size_t i = 0; i < round.size(); ++i) {
        const scene::ReplayEvent event = server_image.GetEvent(i);
        EXPECT_TRUE((Event { event.event_id, { event.data.begin(), event.data.end() } }) == round[i]) << i;
    }

    const std::string text = WaitForLine(m_log, "round ");
    EXPECT_NE(text.find("start from user 1001 chair 1"), std::string::npos) << text;
    EXPECT_NE(text.find("throw from chair 1"), std::string::npos) << text;
    const size_t at = text.find(", results ");
    ASSERT_NE(at, std::string::npos) << text;
    int results[4] {};
    ASSERT_EQ(std::sscanf(text.c_str() + at, ", results %d %d %d %d", &results[0], &results[1], &results[2], &results[3]), 4);
    EXPECT_EQ(results[0] + results[1] + results[2] + results[3], 0) << text;
    // Each computer play, and the result, came its pause after the step before.
    const std::vector<LoggedStep> steps = LoggedSteps(text);
    ASSERT_EQ(steps.size(), round.size() - 1 - static_cast<size_t>(play_starts)) << text;
    EXPECT_EQ(steps.back().chair, -1) << "the result last";
    EXPECT_GE(ShortestPauseBeforeTheTable(steps), ROUND_PAUSE_MS) << text;
}

TEST_F(ServerRound, ComputerPlayersPauseBeforeEachPlayAndTheWaitingPlayIsDroppedAtAForcedExit)
{
    ASSERT_NO_FATAL_FAILURE(PlayTwoTurnsAndLeave(true, "forced exit of chair 1 agreed; round ended"));
}

TEST_F(ServerRound, TheWaitingComputerPlayIsDroppedWhenTheClientIsGone)
{
    ASSERT_NO_FATAL_FAILURE(PlayTwoTurnsAndLeave(false, "the client left; round ended"));
}

TEST_F(ServerRound, LogsOnThroughARealSocks5ProxyWithTheHallsProxySettings)
{
    if (!net::testing::ProgramExists("/usr/bin/microsocks"))
        GTEST_SKIP() << "microsocks is not installed (scripts/packages-test.txt): the path through a real SOCKS5 "
                        "proxy is not tested";
    net::testing::CChildProcess proxy;
    const uint16_t proxy_port = net::testing::StartOnFreePort(proxy, [](uint16_t port) {
        return std::vector<std::string> { "/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(port) };
    });
    ASSERT_NE(proxy_port, 0);
    const std::string ini = m_folder / "hall.ini";
    std::ofstream(ini) << "[PROXY]\nNeed=1\nHost=127.0.0.1\nSock=" << net::PROXY_SOCKS5 << "\nPort=" << proxy_port
                       << "\n";
    m_connection.LoadProxySettings(ini);
    ASSERT_NO_FATAL_FAILURE(LogOn());
    const std::string text = WaitForLine(m_log, "logon user 1001");
    EXPECT_NE(text.find("logon user 1001"), std::string::npos) << text;
}

TEST_F(ServerRound, ALogOnSetsTheClientPlayingOnlyWhileARoundRuns)
{
    ASSERT_NO_FATAL_FAILURE(LogOn());
    EXPECT_EQ(m_app.Records().GetSeatUserID(0), 0) << "seated by the hall, not by the log-on answer";
    ASSERT_NO_FATAL_FAILURE(StartRound());
    // Logging on again, into the running round: the seats and the playing flag.
    std::string error;
    ASSERT_TRUE(m_connection.Logon(error)) << error;
    EXPECT_TRUE(m_app.IsPlaying());
    EXPECT_EQ(m_app.Records().GetSeatUserID(0), 9001) << "computer players on the other chairs";
}

TEST_F(ServerRound, ChatComesBackToTheTableAndAStartDuringARoundDealsNothing)
{
    ASSERT_NO_FATAL_FAILURE(LogOn());
    // The line goes to everyone at the table, the client too, spoken by
    // the logged-on user.
    ASSERT_NE(m_connection.SendChat("hello 你好"), 0);
    const std::optional<Event> line = NextOf(client::GR_ID_201210);
    ASSERT_TRUE(line.has_value());
    ASSERT_EQ(line->body.size(), 128u);
    EXPECT_EQ(Word(line->body, 0), OWN_USER);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(line->body.data() + 48)), "hello 你好");

    ASSERT_NO_FATAL_FAILURE(StartRound());
    std::string error;
    ASSERT_EQ(m_connection.UserStart(error), 1);
    const std::string text = WaitForLine(m_log, "start while a round runs: ignored");
    EXPECT_NE(text.find("start while a round runs: ignored"), std::string::npos) << text;
}

TEST_F(ServerRound, AForcedExitDuringARoundIsAgreedAndTheChairLeavesTheTable)
{
    ASSERT_NO_FATAL_FAILURE(LogOn());
    // Between rounds the window closes without asking anyone.
    EXPECT_EQ(m_connection.AskExit(), 0);
    std::array<uint8_t, 64> record {};
    ASSERT_NE(m_connection.AskForcedExit(record), 0); // no round: not answered
    ASSERT_NO_FATAL_FAILURE(StartRound());
    EXPECT_EQ(m_connection.AskExit(), 1) << "a running round: the table is asked";
    ASSERT_NE(m_connection.AskForcedExit(record), 0);
    std::vector<int32_t> agreed;
    for (int answer = 0; answer < 3; ++answer) {
        const std::optional<Event> event = m_events.Next();
        ASSERT_TRUE(event.has_value());
        ASSERT_EQ(event->id, client::GR_ANSWER_EXIT);
        EXPECT_EQ(Word(event->body, 4), OWN_USER);
        EXPECT_EQ(Word(event->body, 5), 1) << "agreed";
        agreed.push_back(Word(event->body, 3));
    }
    EXPECT_EQ(agreed, (std::vector<int32_t> { 0, 2, 3 })) << "every other chair";
    const std::optional<Event> left = m_events.Next();
    ASSERT_TRUE(left.has_value());
    ASSERT_EQ(left->id, client::GR_PLAYER_EXITED);
    EXPECT_EQ(Word(left->body, 1), OWN_CHAIR);
    EXPECT_EQ(Word(left->body, 2), 0) << "no penalty";
    const std::string text = WaitForLine(m_log, "round ended");
    EXPECT_NE(text.find("forced exit of chair 1: no round runs"), std::string::npos) << text;
    EXPECT_NE(text.find("forced exit of chair 1 agreed; round ended"), std::string::npos) << text;
}

// The chat's system lines.
class CChatLines final : public client::ISidePanel {
public:
    std::vector<std::string> lines;
    void SendPanelEvent(uint32_t, uintptr_t) override {}
    void AddSystemText(std::string_view markup) override { lines.emplace_back(markup); }
    void SendChildEvent(const char*, uint32_t) override {}
};

TEST_F(ServerRound, AStoppedServerIsToldAtEachTimeOutAndGivenUpAfterALongSilenceButNotWhenItResumes)
{
    CChatLines chat;
    client::AppLinks links;
    links.side_panel = &chat;
    m_app.SetLinks(links);
    ASSERT_NO_FATAL_FAILURE(LogOn());
    ASSERT_NO_FATAL_FAILURE(StartRound());
    m_app.SetPlaying(); // as the deal's handler does
    const auto throw_foreign_card = [this] {
        rules::CardPlay play;
        play.type = rules::CARD_TYPE_SINGLE;
        play.count = 1;
        std::string error;
        EXPECT_EQ(m_connection.ThrowCards(error, ThrowRecord(play)), client::GR_CARD_REQUEST_NOT_SENT);
        return error;
    };
    // The signal is sent at once but takes hold later: the server is stopped
    // only once the system says so of each of its threads.
    const auto stopped = [this] {
        bool all = true;
        std::error_code error;
        for (const auto& task :
             std::filesystem::directory_iterator("/proc/" + std::to_string(*m_server) + "/task", error)) {
            const std::string stat = ReadAll(task.path() / "stat");
            const size_t name_end = stat.rfind(')');
            all = all && name_end != std::string::npos && stat.size() > name_end + 2 && stat[name_end + 2] == 'T';
        }
        return all && !error;
    };
    const auto stop_server = [&](int signal) {
        ASSERT_EQ(::kill(*m_server, signal), 0);
        for (int i = 0; i < 500 && stopped() != (signal == SIGSTOP); ++i)
            ::usleep(10000);
        ASSERT_EQ(stopped(), signal == SIGSTOP);
    };

    // Stopped mid-round: the throw gets no answer, and the player reads why.
    // Its time-out also lets every byte sent before the stop arrive.
    ASSERT_NO_FATAL_FAILURE(stop_server(SIGSTOP));
    EXPECT_EQ(throw_foreign_card(), "请求处理超时。");
    EXPECT_EQ(chat.lines, std::vector<std::string> { client::TEXT_TIMEOUT_LINE });
    EXPECT_EQ(throw_foreign_card(), "请求处理超时。");
    EXPECT_EQ(chat.lines.size(), 2u);
    EXPECT_EQ(m_connection.GetServerWatch().GetTimeoutsInARow(), 2);

    // Resumed: slow, but alive; its answer starts the count again, short of
    // the requests in a row that give it up.
    ASSERT_NO_FATAL_FAILURE(stop_server(SIGCONT));
    ASSERT_EQ(m_connection.SendGameRequest(19840324, std::vector<uint8_t> { 1 }, client::RequestWait::Yes),
              client::GR_OK);
    EXPECT_EQ(m_connection.GetServerWatch().GetTimeoutsInARow(), 0);
    EXPECT_EQ(m_events.GetClosedCount(), 0u) << "a server that answers is not given up";
    EXPECT_EQ(m_connection.IsConnected(), 1);

    // Stopped again and silent for the limit: the lost-connection road, as
    // for a server that closed the socket.
    ASSERT_NO_FATAL_FAILURE(stop_server(SIGSTOP));
    EXPECT_EQ(throw_foreign_card(), "请求处理超时。");
    const uint32_t silent = platform::GetTickCount();
    m_connection.LookAtServer(silent);
    m_connection.LookAtServer(silent + client::CServerWatch::SILENCE_LIMIT_MS);
    EXPECT_EQ(m_events.NextClosed(), m_connection.GetCookie());
    EXPECT_EQ(chat.lines.size(), 3u);
    ASSERT_NO_FATAL_FAILURE(stop_server(SIGCONT));
}

} // namespace
