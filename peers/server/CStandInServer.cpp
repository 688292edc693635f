#include "peers/server/CStandInServer.h"
#include "peers/StandInSeats.h"
#include "peers/server/SceneNotice.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "client/AnswerCodes.h"
#include "client/CCardGameConnection.h"
#include "client/CGameNotifyHandler.h"
#include "client/CPlDkApp.h"
#include "platform/Path.h"
#include "client/ClientText.h"
#include "client/RecordCodec.h"
#include "client/UserRecords.h"
#include "game/scene/ReplayRecorder.h"
#include "platform/ByteOrder.h"
#include "platform/ByteWriter.h"
#include "platform/Tick.h"

namespace peers {

namespace {

constexpr size_t TABLE_HEAD_BYTES = 60;
constexpr int32_t TABLE_CHAIRS = 4;
constexpr size_t USER_START_BYTES = 32; ///< user id, room id, table number, chair
constexpr size_t INFO_NOTICE_BYTES = 20; ///< a player-info notice of no entries
/// A chat record: the seat block, the machine id, then the line's field of
/// 62 bytes from byte 48.
constexpr size_t CHAT_RECORD_BYTES = 128;
constexpr size_t CHAT_LINE_END = 48 + 62;

net::CServerChannel::Options ChannelOptions(uint16_t port)
{
    net::CServerChannel::Options options;
    options.port = port;
    return options;
}

int32_t WordAt(std::span<const uint8_t> body, size_t index)
{
    return body.size() >= (index + 1) * 4 ? static_cast<int32_t>(platform::LoadU32LE(body.data() + index * 4)) : 0;
}

std::vector<uint8_t> Words(std::initializer_list<int32_t> words)
{
    std::vector<uint8_t> bytes(words.size() * 4);
    size_t at = 0;
    for (const int32_t word : words) {
        platform::StoreU32LE(bytes.data() + at, static_cast<uint32_t>(word));
        at += 4;
    }
    return bytes;
}

constexpr int32_t SEAT_SILVER = 10000;
/// How long past its turn's seconds the table waits for the player.
constexpr uint32_t TURN_GRACE_MS = 10000;
/// How long the clients take to deal the cards out before play begins.
constexpr uint32_t DEAL_MS = 6000;
/// How long the table waits after the leader's play-start word before the
/// lead (the clients start play half a second after it).
constexpr uint32_t PLAY_START_MS = 1000;
/// The game data with which the leading chair's client starts everyone's
/// play (its chair and a card id, here 0).
constexpr int32_t GAMEDATA_JUDGE_SINGLE_WIN = 19840340;

} // namespace

// The round as the client's chair receives it, kept in the replay file
// format the client plays back: the header of the client's user and chair,
// the table and its seats as the client holds them after its log-on, then
// the round start, every play, pass and game data and the result, each
// stamped with the time since the start. Saved at the result, where the
// client keeps its replays (the user data folder).
class CRoundRecording {
public:
    CRoundRecording(int32_t game_id, int32_t room_id, int32_t table_no, int32_t chair,
                    const std::array<int32_t, CComputerRound::CHAIRS>& users)
        : m_game_id(game_id), m_room_id(room_id), m_table_no(table_no), m_chair(chair), m_users(users)
    {
    }

    /// Records one table event; a round start begins a new recording, the
    /// result ends it and saves it (the path written, or empty).
    [[nodiscard]] std::optional<std::string> Record(uint32_t id, std::span<const uint8_t> body)
    {
        if (id == CStandInServer::GR_GAME_START)
            Start();
        else if (m_image.IsEmpty())
            return std::nullopt;
        (void)m_image.RecordEvent(platform::GetTickCount() - m_start_tick, id, body);
        if (id != CStandInServer::GR_ROUND_RESULT)
            return std::nullopt;
        const scene::ReplayLocalTime now = m_env.GetLocalTime();
        const std::string folder = scene::ReplayFolder(platform::GetUserDataFolder(), UserId(), client::PLDK_GAME_CODE);
        (void)platform::MakeDirectoryTree(folder);
        const std::string path = scene::ReplayFilePath(
            folder, scene::ReplayFileTitle(client::PLDK_GAME_CODE, now.year, now.month, now.day, now.hour, now.minute,
                                           now.second));
        const bool written = scene::WriteReplayFile(m_image, path, now.Date(), now.Time());
        m_image.Reset();
        return written ? platform::FindExistingPath(path) : std::nullopt;
    }

private:
    [[nodiscard]] int32_t UserId() const { return m_users[static_cast<size_t>(m_chair)]; }

    void Start()
    {
        m_start_tick = platform::GetTickCount();
        const scene::ReplayLocalTime now = m_env.GetLocalTime();
        scene::QvRepHeader header;
        client::CopyTextField(header.game_code, client::PLDK_GAME_CODE);
        header.game_id = m_game_id;
        header.major_version = client::PLDK_MAJOR_VERSION;
        header.minor_version = client::PLDK_MINOR_VERSION;
        header.user_id = UserId();
        header.chair = m_chair;
        header.start_date = now.Date();
        header.start_time = now.Time();
        (void)m_image.Start(header);
        scene::ReplayTableInfo table;
        table.room_id = m_room_id;
        table.table_no = m_table_no;
        table.seat_count = CComputerRound::CHAIRS;
        (void)m_image.AppendTable(table);
        for (int seat = 0; seat < CComputerRound::CHAIRS; ++seat) {
            scene::ReplayPlayerInfo player;
            player.user_id = m_users[static_cast<size_t>(seat)];
            player.chair = seat;
            player.silver = SEAT_SILVER;
            client::CopyTextField(player.name, SeatName(seat, m_chair, player.user_id));
            (void)m_image.AppendPlayer(player);
        }
    }

    int32_t m_game_id;
    int32_t m_room_id;
    int32_t m_table_no;
    int32_t m_chair;
    std::array<int32_t, CComputerRound::CHAIRS> m_users;
    scene::CReplayImage m_image { scene::ReplayVariant::Standard };
    scene::CReplaySystemEnv m_env;
    uint32_t m_start_tick { 0 };
};

int CStandInServer::CSettings::GetProfileInt(std::string_view section, std::string_view, int default_value,
                                            std::string_view) const
{
    return section == "throwwait" && m_turn_seconds > 0 ? m_turn_seconds : default_value;
}

CStandInServer::CStandInServer(const ServerOptions& options, std::FILE* log)
    : m_options(options), m_log(log), m_round(StandInEnvironment(m_settings)), m_channel(ChannelOptions(options.port))
{
    m_channel.on_message = [this](net::CServerChannel& channel, const net::ServerMessage& message) {
        std::lock_guard lock(m_mutex);
        OnMessage(channel, message);
    };
}

CStandInServer::~CStandInServer()
{
    m_channel.Stop();
}

void CStandInServer::Tick()
{
    std::lock_guard lock(m_mutex);
    const uint32_t now = platform::GetTickCount();
    if (m_dealing) {
        const uint32_t elapsed = now - m_deal_tick;
        if (elapsed < DEAL_MS)
            return;
        // A computer player leads: its client tells the table that play
        // starts, as the player's client does when the player leads (a
        // player who did not wait for the deal has led already).
        const bool nobody_played = m_round.GetOutcome().actions == 0;
        if (!m_play_started && nobody_played && m_round.GetCurrentChair() != m_chair)
            SendPlayStart(m_channel, m_round.GetCurrentChair());
        m_play_started = true;
        if (elapsed < DEAL_MS + PLAY_START_MS)
            return;
        m_dealing = false;
        if (nobody_played) {
            m_turn_tick = now;
            m_step_tick = now; // the lead plays at once: the play-start word was its pause
        }
        PlayComputers(m_channel);
        return;
    }
    if (m_round.IsRunning() && !m_round.IsOver() && m_round.GetCurrentChair() == m_chair) {
        // The player's turn ran out long ago: the table plays for it.
        const uint32_t allowed = static_cast<uint32_t>(std::max(m_round.GetTurnSeconds(), 0)) * 1000 + TURN_GRACE_MS;
        RoundEvent event;
        if (now - m_turn_tick >= allowed && m_round.PlayComputer(event)) {
            m_log.Printf("chair %d timed out; played for it", m_chair);
            SendEvent(m_channel, event);
            PlayComputers(m_channel);
        }
        return;
    }
    if (m_round.IsRunning()) {
        PlayComputers(m_channel); // a computer play or the result waits for its pause
        return;
    }
    if (!m_logged_on)
        return;
    // The first round some time after the log-on, each next one some time
    // after the last result, unless the player has started it.
    const bool first_due = !m_first_round_started && m_options.start_after_ms >= 0
        && now - m_logon_tick >= static_cast<uint32_t>(m_options.start_after_ms);
    const bool next_due = m_result_tick != 0 && m_options.next_round_after_ms >= 0
        && now - m_result_tick >= static_cast<uint32_t>(m_options.next_round_after_ms);
    if (!first_due && !next_due)
        return;
    m_log.Printf("round starts by itself");
    StartRound(m_channel);
}

bool CStandInServer::Start()
{
    if (!m_channel.Start())
        return false;
    m_log.Printf("listening %u", m_channel.GetPort());
    return true;
}

void CStandInServer::OnMessage(net::CServerChannel& channel, const net::ServerMessage& message)
{
    const uint32_t id = message.request.id;
    const std::span<const uint8_t> body = message.request.Data();
    m_log.Printf("message %u (%zu bytes) from user %d", id, body.size(), WordAt(body, 0));
    const auto answer = [&](int32_t code, std::span<const uint8_t> data) {
        if (message.answer_wanted != 0)
            channel.SendAnswer(message.serial, static_cast<uint32_t>(code), data);
    };
    switch (id) {
    case client::GR_CHECK_VERSION:
        answer(client::GR_OK, Words({ MAJOR_VERSION, MINOR_VERSION, 0, 0, 0, 0, 0 }));
        return;
    case client::GR_LOGON:
        OnLogon(channel, message);
        return;
    case client::GR_ASK_EXIT:
        // Leaving a running round needs the table's consent; between rounds
        // the chair simply leaves.
        if (m_round.IsRunning())
            answer(client::GR_EXIT_ALLOWED, Words({ 0 }));
        else
            answer(client::GR_OK, {});
        return;
    case client::GR_ASK_FORCED_EXIT:
        OnForcedExit(channel);
        return;
    case client::GR_USER_START:
        m_log.Printf("start from user %d chair %d", WordAt(body, 0), WordAt(body, 3));
        answer(client::GR_OK, {});
        // A start while a round runs asks for nothing: the round goes on.
        if (m_round.IsRunning()) {
            m_log.Printf("start while a round runs: ignored");
            return;
        }
        m_first_round_started = true;
        StartRound(channel);
        return;
    case client::GR_THROW_CARDS:
        OnThrow(channel, message);
        return;
    case client::GR_PASS:
        OnPass(channel, message);
        return;
    case client::GR_SEND_GAME_DATA:
        OnGameData(channel, message);
        return;
    case client::GR_CHAT:
        OnChat(channel, message);
        return;
    default:
        answer(client::GR_OK, {});
        return;
    }
}

void CStandInServer::OnLogon(net::CServerChannel& channel, const net::ServerMessage& message)
{
    const std::span<const uint8_t> record = message.request.Data();
    if (record.size() < 108) {
        m_log.Printf("logon refused: %zu bytes", record.size());
        channel.SendAnswer(message.serial, static_cast<uint32_t>(client::GR_ERR_AUTH_FAILED), {});
        return;
    }
    const int32_t user_id = WordAt(record, 0);
    const int32_t table_no = WordAt(record, 4);
    const int32_t chair = WordAt(record, 5);
    m_user_id = user_id;
    m_room_id = WordAt(record, 3);
    m_table_no = table_no;
    m_chair = chair >= 0 && chair < TABLE_CHAIRS ? chair : 0;
    m_log.Printf("logon user %d game %d room %d table %d chair %d look-on %d", user_id, WordAt(record, 2), WordAt(record, 3),
        table_no, chair, WordAt(record, 14));

    // The table: the player and computer players on the other chairs.
    std::vector<uint8_t> answer(TABLE_HEAD_BYTES + TABLE_CHAIRS * client::ServerPlayerEntry::BYTES);
    platform::StoreU32LE(answer.data() + 8, TABLE_CHAIRS);
    for (int32_t seat = 0; seat < TABLE_CHAIRS; ++seat) {
        client::ServerPlayerEntry entry;
        entry.chair = seat;
        entry.table_no = table_no;
        entry.silver = SEAT_SILVER;
        entry.user_id = SeatUserId(seat, chair, user_id);
        client::CopyTextField(entry.name, SeatName(seat, chair, entry.user_id));
        client::WriteRecord(entry, std::span(answer).subspan(TABLE_HEAD_BYTES + seat * client::ServerPlayerEntry::BYTES));
    }
    // Joining a running round gives the seats and sets the client playing;
    // at a table where no round runs the client is only seated.
    if (m_round.IsRunning())
        channel.SendAnswer(message.serial, static_cast<uint32_t>(client::GR_ID_210210), answer);
    else
        channel.SendAnswer(message.serial, static_cast<uint32_t>(client::GR_ID_210200), {});
    // The table tells the seated client what its QR-code panel shows.
    channel.SendNotification(client::GR_ID_211920, SceneNoticeRecord(SceneNoticeText()));
    m_logged_on = true;
    m_logon_tick = platform::GetTickCount();
    if (m_options.record) {
        std::array<int32_t, CComputerRound::CHAIRS> users {};
        for (int seat = 0; seat < CComputerRound::CHAIRS; ++seat)
            users[static_cast<size_t>(seat)] = SeatUserId(seat, m_chair, user_id);
        m_recording = std::make_unique<CRoundRecording>(WordAt(record, 2), m_room_id, table_no, m_chair, users);
    }
}

void CStandInServer::OnForcedExit(net::CServerChannel& channel)
{
    if (!m_round.IsRunning()) {
        m_log.Printf("forced exit of chair %d: no round runs", m_chair);
        return;
    }
    // Each computer player answers yes: user, room, table, chair, the
    // asker, agreed.
    for (int32_t seat = 0; seat < TABLE_CHAIRS; ++seat) {
        if (seat == m_chair)
            continue;
        channel.SendNotification(client::GR_ANSWER_EXIT,
                                 Words({ SeatUserId(seat, m_chair, m_user_id), m_room_id, m_table_no, seat, m_user_id, 1 }));
    }
    m_round.Abandon();
    m_dealing = false;
    m_logged_on = false; // no next round starts by itself
    m_result_tick = 0;
    // The chair left with everyone's consent: no penalty (words 5 and 6).
    channel.SendNotification(client::GR_PLAYER_EXITED, Words({ m_user_id, m_chair, 0, 0, 0, 0, 0 }));
    m_log.Printf("forced exit of chair %d agreed; round ended", m_chair);
}

void CStandInServer::Record(uint32_t id, std::span<const uint8_t> body)
{
    if (!m_recording)
        return;
    if (const std::optional<std::string> path = m_recording->Record(id, body))
        m_log.Printf("replay saved %s", path->c_str());
}

void CStandInServer::StartRound(net::CServerChannel& channel)
{
    m_first_round_started = true;
    m_result_tick = 0;
    std::array<int32_t, CComputerRound::CHAIRS> users {};
    for (int chair = 0; chair < CComputerRound::CHAIRS; ++chair)
        users[static_cast<size_t>(chair)] = SeatUserId(chair, m_chair, m_user_id);
    // Every chair starts (the computer players at once): the table hears
    // each as a user-start event with its seat block.
    for (int chair = 0; chair < CComputerRound::CHAIRS; ++chair) {
        std::array<uint8_t, USER_START_BYTES> block {};
        platform::CByteWriter out(block);
        for (const int32_t word : { users[static_cast<size_t>(chair)], m_room_id, m_table_no, chair })
            out.WriteI32(word);
        channel.SendNotification(client::GR_USER_START, block);
    }
    if (!m_round.Begin(users, m_chair)) {
        m_log.Printf("round did not start");
        return;
    }
    channel.SendNotification(GR_GAME_START, m_round.GetOutcome().start_record);
    Record(GR_GAME_START, m_round.GetOutcome().start_record);
    if (!m_options.message_box.empty()) {
        std::vector<uint8_t> text(m_options.message_box.begin(), m_options.message_box.end());
        text.push_back(0);
        channel.SendNotification(client::GR_SERVER_MESSAGE_BOX, text);
    }
    for (int32_t i = 0; i < m_options.look_on_requests; ++i) {
        const int chair = (m_chair + 1 + i % (CComputerRound::CHAIRS - 1)) % CComputerRound::CHAIRS;
        channel.SendNotification(client::GR_ASK_LOOK_CARD, Words({ users[static_cast<size_t>(chair)] }));
    }
    SendBoxNotices(channel, users);
    // The table deals; play begins when the deal is over (Tick).
    m_dealing = true;
    m_play_started = false;
    m_deal_tick = platform::GetTickCount();
}

void CStandInServer::SendBoxNotices(net::CServerChannel& channel,
                                    const std::array<int32_t, CComputerRound::CHAIRS>& users)
{
    // Each notice differs from the one before (another player, rank or
    // text), as a hostile server would send them.
    for (int32_t i = 0; i < m_options.box_notices; ++i) {
        const int32_t other = users[static_cast<size_t>((m_chair + 1 + i % 3) % CComputerRound::CHAIRS)];
        client::GameUserRecord user;
        user.user_id = 1000000 + i;
        const auto record = client::RecordBytes(user);
        channel.SendNotification(client::GR_ID_211241, record);
        std::vector<uint8_t> ask = Words({ 1000000 + i });
        ask.resize(84);
        channel.SendNotification(client::GR_ASK_FORCED_EXIT, ask);
        channel.SendNotification(client::GR_ID_211190, Words({ 0, 0, i + 1 }));
        channel.SendNotification(client::GR_MATCH_SYSTEM_CANCEL, {});
        channel.SendNotification(client::GR_END_SILVER_LOW, Words({ other }));
        const std::string text = "服务器通知第" + std::to_string(i) + "号";
        std::vector<uint8_t> notice = Words({ 0, 0 });
        notice.insert(notice.end(), text.begin(), text.end());
        notice.push_back(0);
        channel.SendNotification(client::GR_END_SERVER_TEXT, notice);
    }
}

void CStandInServer::SendPlayStart(net::CServerChannel& channel, int32_t chair)
{
    const std::vector<uint8_t> data = Words({ chair, 0 });
    std::vector<uint8_t> body = Words({ m_room_id, SeatUserId(chair, m_chair, m_user_id), GAMEDATA_JUDGE_SINGLE_WIN, 0,
                                        static_cast<int32_t>(data.size()) });
    body.insert(body.end(), data.begin(), data.end());
    m_log.Printf("game data %d from chair %d", GAMEDATA_JUDGE_SINGLE_WIN, chair);
    channel.SendNotification(client::GR_GAME_DATA, body);
    Record(client::GR_GAME_DATA, body);
}

void CStandInServer::PlayComputers(net::CServerChannel& channel)
{
    while (m_round.IsRunning() && (m_round.IsOver() || m_round.GetCurrentChair() != m_chair)) {
        // Signed: a step due in the future is a "negative" time since it.
        if (static_cast<int32_t>(platform::GetTickCount() - m_step_tick) < 0)
            return;
        if (m_round.IsOver()) {
            EndRound(channel);
            return;
        }
        // Nobody is left to see the play: the round ends unplayed.
        if (!channel.WaitForClient(0)) {
            m_round.Abandon();
            m_log.Printf("the client left; round ended");
            return;
        }
        RoundEvent event;
        if (!m_round.PlayComputer(event)) {
            m_round.Abandon();
            m_log.Printf("round did not end (%d actions)", m_round.GetOutcome().actions);
            return;
        }
        SendEvent(channel, event);
    }
}

void CStandInServer::SendEvent(net::CServerChannel& channel, const RoundEvent& event)
{
    const uint32_t now = platform::GetTickCount();
    m_log.Printf("event %u chair %d at %u ms", event.id,
                 WordAt(event.body, event.id == CComputerRound::GR_CARDS_THROWN ? 3 : 2), now - m_deal_tick);
    channel.SendNotification(event.id, event.body);
    Record(event.id, event.body);
    m_turn_tick = now;
    m_step_tick = now + static_cast<uint32_t>(m_options.computer_pause_ms);
}

void CStandInServer::EndRound(net::CServerChannel& channel)
{
    m_round.Settle();
    m_result_tick = std::max(platform::GetTickCount(), 1u);
    const RoundOutcome& outcome = m_round.GetOutcome();
    channel.SendNotification(GR_ROUND_RESULT, outcome.result_record);
    m_log.Printf("result at %u ms", platform::GetTickCount() - m_deal_tick);
    m_log.Printf("round %d throws %d passes, first chair %d, results %d %d %d %d, score changes %lld %lld %lld %lld",
        outcome.throws, outcome.passes, outcome.first_chair, outcome.results[0], outcome.results[1],
        outcome.results[2], outcome.results[3], static_cast<long long>(outcome.score_change[0]),
        static_cast<long long>(outcome.score_change[1]), static_cast<long long>(outcome.score_change[2]),
        static_cast<long long>(outcome.score_change[3]));
    Record(GR_ROUND_RESULT, outcome.result_record);
}

void CStandInServer::AfterTurn(net::CServerChannel& channel, const net::ServerMessage& message,
                               const RoundEvent* event)
{
    const std::vector<uint8_t> empty_info(INFO_NOTICE_BYTES, 0);
    for (int32_t i = 0; i < m_options.notices_before_answer; ++i)
        channel.SendNotification(client::GR_ID_211030, empty_info);
    if (message.answer_wanted != 0)
        channel.SendAnswer(message.serial, static_cast<uint32_t>(event ? client::GR_OK : client::GR_ERR_INVALID_PARAM), {});
    if (event == nullptr)
        return;
    SendEvent(channel, *event);
    PlayComputers(channel);
}

void CStandInServer::OnThrow(net::CServerChannel& channel, const net::ServerMessage& message)
{
    rules::CardPlay play;
    int32_t chair = -1;
    RoundEvent event;
    const bool taken = ReadThrowRecord(message.request.Data(), chair, play) && chair == m_chair
        && m_round.Throw(chair, play, event);
    m_log.Printf("throw from chair %d: %d cards %s", chair, play.count, taken ? "taken" : "refused");
    AfterTurn(channel, message, taken ? &event : nullptr);
}

void CStandInServer::OnPass(net::CServerChannel& channel, const net::ServerMessage& message)
{
    const int32_t chair = WordAt(message.request.Data(), 2);
    RoundEvent event;
    const bool taken = chair == m_chair && m_round.Pass(chair, event);
    m_log.Printf("pass from chair %d %s", chair, taken ? "taken" : "refused");
    AfterTurn(channel, message, taken ? &event : nullptr);
}

void CStandInServer::OnGameData(net::CServerChannel& channel, const net::ServerMessage& message)
{
    // The header and the data it counts go to the table (here: the client)
    // as the game data event; a count beyond the body is refused.
    const std::span<const uint8_t> body = message.request.Data();
    const int32_t length = WordAt(body, 4);
    const bool whole = body.size() >= client::CARD_GAME_HEADER_BYTES && length >= 0
        && static_cast<size_t>(length) <= body.size() - client::CARD_GAME_HEADER_BYTES;
    m_log.Printf("game data %d (%d bytes) %s", WordAt(body, 2), length, whole ? "relayed" : "refused");
    if (message.answer_wanted != 0)
        channel.SendAnswer(message.serial, static_cast<uint32_t>(whole ? client::GR_OK : client::GR_ERR_INVALID_PARAM), {});
    if (whole) {
        const std::span<const uint8_t> relayed = body.first(client::CARD_GAME_HEADER_BYTES + static_cast<size_t>(length));
        channel.SendNotification(client::GR_GAME_DATA, relayed);
        Record(client::GR_GAME_DATA, relayed);
    }
}

void CStandInServer::OnChat(net::CServerChannel& channel, const net::ServerMessage& message)
{
    // The line goes to everyone at the table (here: the client, the
    // computer players read nothing) as the player chat event, spoken by
    // the logged-on user whatever the record names; a record too short to
    // hold the line's field is dropped.
    const std::span<const uint8_t> body = message.request.Data();
    const bool whole = m_logged_on && body.size() >= CHAT_LINE_END;
    m_log.Printf("chat from user %d (%zu bytes) %s", m_user_id, body.size(), whole ? "relayed" : "dropped");
    if (message.answer_wanted != 0)
        channel.SendAnswer(message.serial, static_cast<uint32_t>(whole ? client::GR_OK : client::GR_ERR_INVALID_PARAM), {});
    if (!whole)
        return;
    std::vector<uint8_t> line(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(std::min(body.size(), CHAT_RECORD_BYTES)));
    platform::StoreU32LE(line.data(), static_cast<uint32_t>(m_user_id));
    channel.SendNotification(client::GR_ID_201210, line);
}

} // namespace peers
