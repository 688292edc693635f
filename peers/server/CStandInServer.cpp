#include "peers/server/CStandInServer.h"

#include <vector>

#include "client/AnswerCodes.h"
#include "client/CCardGameConnection.h"
#include "client/ClientText.h"
#include "client/UserRecords.h"
#include "platform/ByteOrder.h"
#include "platform/ByteWriter.h"

namespace peers {

namespace {

constexpr size_t TABLE_HEAD_BYTES = 60;
constexpr int32_t TABLE_CHAIRS = 4;
constexpr size_t USER_START_BYTES = 32; ///< user id, room id, table number, chair

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

} // namespace

CStandInServer::CStandInServer(uint16_t port, std::FILE* log) : m_log(log), m_channel(ChannelOptions(port))
{
    m_channel.on_message = [this](net::CServerChannel& channel, const net::ServerMessage& message) {
        OnMessage(channel, message);
    };
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
        answer(client::GR_EXIT_ALLOWED, Words({ 0 }));
        return;
    case client::GR_USER_START:
        m_log.Printf("start from user %d chair %d", WordAt(body, 0), WordAt(body, 3));
        answer(client::GR_OK, {});
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
        entry.silver = 10000;
        entry.user_id = seat == chair ? user_id : COMPUTER_USER_BASE + seat;
        char name[32];
        std::snprintf(name, sizeof(name), seat == chair ? "玩家%d" : "电脑%d", entry.user_id);
        client::CopyTextField(entry.name, name);
        client::WriteRecord(entry, std::span(answer).subspan(TABLE_HEAD_BYTES + seat * client::ServerPlayerEntry::BYTES));
    }
    channel.SendAnswer(message.serial, static_cast<uint32_t>(client::GR_ID_210210), answer);
}

void CStandInServer::StartRound(net::CServerChannel& channel)
{
    std::array<int32_t, CComputerRound::CHAIRS> users {};
    for (int chair = 0; chair < CComputerRound::CHAIRS; ++chair)
        users[static_cast<size_t>(chair)] = chair == m_chair ? m_user_id : COMPUTER_USER_BASE + chair;
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
    PlayComputers(channel);
}

void CStandInServer::PlayComputers(net::CServerChannel& channel)
{
    RoundEvent event;
    while (m_round.IsRunning() && !m_round.IsOver() && m_round.GetCurrentChair() != m_chair) {
        if (!m_round.PlayComputer(event)) {
            m_log.Printf("round did not end (%d actions)", m_round.GetOutcome().actions);
            return;
        }
        SendEvent(channel, event);
    }
    if (m_round.IsRunning() && m_round.IsOver())
        EndRound(channel);
}

void CStandInServer::SendEvent(net::CServerChannel& channel, const RoundEvent& event)
{
    m_log.Printf("event %u chair %d", event.id,
                 WordAt(event.body, event.id == CComputerRound::GR_CARDS_THROWN ? 3 : 2));
    channel.SendNotification(event.id, event.body);
}

void CStandInServer::EndRound(net::CServerChannel& channel)
{
    m_round.Settle();
    const RoundOutcome& outcome = m_round.GetOutcome();
    channel.SendNotification(GR_ROUND_RESULT, outcome.result_record);
    m_log.Printf("round %d throws %d passes, first chair %d, results %d %d %d %d", outcome.throws, outcome.passes,
        outcome.first_chair, outcome.results[0], outcome.results[1], outcome.results[2], outcome.results[3]);
}

void CStandInServer::AfterTurn(net::CServerChannel& channel, const net::ServerMessage& message,
                               const RoundEvent* event)
{
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
    if (whole)
        channel.SendNotification(client::GR_GAME_DATA, body.first(client::CARD_GAME_HEADER_BYTES + static_cast<size_t>(length)));
}

} // namespace peers
