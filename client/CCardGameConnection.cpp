#include "client/CCardGameConnection.h"

#include <algorithm>

#include "client/CCardGameNotifyHandler.h"
#include "client/CGameApp.h"
#include "net/NetLog.h"
#include "platform/ByteReader.h"

namespace client {

namespace {

constexpr size_t PLAY_HEADER_BYTES = 64;
constexpr size_t PLAY_COUNT_WORD = 15;

} // namespace

int CCardGameConnection::SendRequest(std::string& error, uint32_t request_id, std::span<const uint8_t> data,
                                     RequestAnswer& answer, RequestWait wait)
{
    return SendCardRequest(error, request_id, data, answer, wait, CARD_GAME_REQUEST_FIRST);
}

int CCardGameConnection::SendCardRequest(std::string& error, uint32_t request_id, std::span<const uint8_t> data,
                                         RequestAnswer& answer, RequestWait wait, uint32_t first_card_request)
{
    const int result = CGameConnection::SendRequest(error, request_id, data, answer, wait);
    if (request_id < first_card_request || result != 0)
        return result;
    if (wait == RequestWait::Yes)
        net::LogPrintf("ProcoessRequest Faild,ReQuestid:%ld,nResponse:%ld", static_cast<long>(request_id),
                       static_cast<long>(answer.code));
    // A request that could not be sent is reported as failed, waiting or not.
    return 0;
}

uint32_t CCardGameConnection::GetRequestTimeout(uint32_t request_id) const
{
    return request_id >= CARD_GAME_REQUEST_FIRST ? CARD_GAME_REQUEST_TIMEOUT_S
                                                  : CGameConnection::GetRequestTimeout(request_id);
}

int32_t CCardGameConnection::BadMessageSubId(uint32_t message_id, std::span<const uint8_t> data) const
{
    return message_id == GR_GAME_DATA ? GameDataSubId(data) : 0;
}

int CCardGameConnection::AskLookCard()
{
    return SendWithoutWaiting(GR_ASK_LOOK_CARD, SeatBlock(32).Span());
}

int32_t CCardGameConnection::ThrowCards(std::string& error, std::span<const uint8_t> play_record)
{
    // The record is sent as its header and the card ids its count names,
    // never past the bytes the caller gave.
    platform::CByteReader in(play_record);
    in.Skip(PLAY_COUNT_WORD * 4);
    const int32_t count = in.ReadI32();
    if (play_record.size() < PLAY_HEADER_BYTES || !in.Ok())
        return GR_CARD_REQUEST_NOT_SENT;
    const size_t bytes = PLAY_HEADER_BYTES + 4 * static_cast<size_t>(std::max(count, 0));
    if (count < 0 || bytes > play_record.size())
        return GR_CARD_REQUEST_NOT_SENT;
    RequestAnswer answer;
    if (SendRequest(error, GR_THROW_CARDS, play_record.first(bytes), answer, RequestWait::Yes) == 0)
        return GR_CARD_REQUEST_NOT_SENT;
    return answer.code;
}

int32_t CCardGameConnection::Pass(std::string& error, std::span<const uint8_t, PASS_RECORD_BYTES> pass_record)
{
    RequestAnswer answer;
    if (SendRequest(error, GR_PASS, pass_record, answer, RequestWait::Yes) == 0)
        return GR_CARD_REQUEST_NOT_SENT;
    return answer.code;
}

int CCardGameConnection::Request221070(int32_t first, int32_t second)
{
    std::string error;
    RequestAnswer answer;
    if (SendRequest(error, GR_ID_221070, SeatBlock(40).Word(4, first).Word(5, second).Span(), answer,
                    RequestWait::Yes)
        == 0)
        return 0;
    return answer.code == GR_OK ? 1 : 0;
}

CRequestBody CCardGameConnection::GameRequestBody(int32_t sub_id, std::span<const uint8_t> data) const
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(CARD_GAME_HEADER_BYTES + data.size());
    body.Word(0, records.GetRoomID()).Word(1, records.GetUserID()).Word(2, sub_id);
    body.Word(4, static_cast<int32_t>(data.size())).Bytes(CARD_GAME_HEADER_BYTES, data);
    return body;
}

int32_t CCardGameConnection::SendGameRequest(int32_t sub_id, std::span<const uint8_t> data, RequestWait wait)
{
    std::string error;
    RequestAnswer answer;
    if (SendRequest(error, GR_SEND_GAME_DATA, GameRequestBody(sub_id, data).Span(), answer, wait) == 0)
        return GR_CARD_REQUEST_NOT_SENT;
    return answer.code;
}

std::vector<uint8_t> CCardGameConnection::QueryGameRequest(int32_t sub_id, std::span<const uint8_t> data,
                                                           int32_t& code)
{
    std::string error;
    RequestAnswer answer;
    if (SendRequest(error, GR_SEND_GAME_DATA, GameRequestBody(sub_id, data).Span(), answer, RequestWait::Yes) == 0) {
        code = GR_CARD_REQUEST_NOT_SENT;
        return {};
    }
    code = answer.code;
    return std::move(answer.data);
}

} // namespace client
