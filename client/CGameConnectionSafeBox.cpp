// The safe-box requests and the two requests whose records the scene fills
// (214000 and 214010).
#include <algorithm>
#include <cstdio>

#include "client/AnswerCodes.h"
#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/MachineId.h"

namespace client {

namespace {

constexpr size_t SAFE_BOX_QUERY_BYTES = 76;
constexpr size_t SAFE_BOX_MOVE_BYTES = 112;
constexpr int32_t MOVE_TO_SAFE_BOX = 1;
constexpr int32_t MOVE_TO_GAME = 2;
constexpr size_t ANSWER_BLOCK_214010_BYTES = 124;

constexpr int32_t GR_SAFEBOX_GAME_FORBIDDEN = 60042;
constexpr int32_t GR_SAFEBOX_TOO_LITTLE = 60005;
constexpr int32_t GR_SAFEBOX_BAD_KEY = 1011;
constexpr int32_t GR_SAFEBOX_PLAYING = 229601;
constexpr int32_t GR_SAFEBOX_READY = 229600;
constexpr int32_t GR_SAFEBOX_ABOVE_MAXIMUM = 229604;
constexpr int32_t GR_SAFEBOX_BELOW_MINIMUM = 229603;
constexpr int32_t GR_SAFEBOX_KEY_LOCKED = 60029;
constexpr int32_t GR_SAFEBOX_DAILY_LIMIT = 60086;
constexpr int32_t GR_SAFEBOX_MONTHLY_LIMIT = 60095;
constexpr int32_t GR_SAFEBOX_GIFT_ROUNDS = 60070;
constexpr int32_t GR_SAFEBOX_GIFT_MINUTES = 60071;
constexpr int32_t GR_SAFEBOX_GIFT_KEEP = 60092;

std::string Format(const char* format, auto... values)
{
    char text[512];
    std::snprintf(text, sizeof(text), format, values...);
    return text;
}

int64_t Word64(const RequestAnswer& answer, size_t first_word)
{
    const uint32_t low = static_cast<uint32_t>(answer.Word(first_word).value_or(0));
    const uint32_t high = static_cast<uint32_t>(answer.Word(first_word + 1).value_or(0));
    return static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low);
}

/// The texts both directions share; false when the code is not one of them.
bool SharedSafeBoxText(std::string& text, const RequestAnswer& answer, const std::string& game_name)
{
    switch (answer.code) {
    case GR_SAFEBOX_GAME_FORBIDDEN:
        text = Format("系统禁止在【%s】里存放银子。", game_name.c_str());
        return true;
    case GR_SAFEBOX_PLAYING:
        text = "正在玩的游戏不能划帐。";
        return true;
    case GR_SAFEBOX_READY:
        text = "已经准备的游戏不能划帐。";
        return true;
    default:
        return false;
    }
}

/// Copies the first `words` words of the answer into the caller's record,
/// no more than the answer holds.
void CopyAnswerWords(const RequestAnswer& answer, std::span<int32_t> record, size_t words)
{
    const size_t count = std::min({ words, record.size(), answer.data.size() / 4 });
    for (size_t i = 0; i < count; ++i)
        record[i] = answer.Word(i).value_or(0);
}

} // namespace

CRequestBody CGameConnection::SafeBoxQueryBody() const
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(SAFE_BOX_QUERY_BYTES);
    body.Word(0, records.GetUserID()).Word(1, records.GetGameID()).Text(3 * 4, GetMachineID(), 32);
    return body;
}

CRequestBody CGameConnection::SafeBoxMoveBody(int32_t first, int32_t second, int32_t direction) const
{
    const CClientRecords& records = GetApp().Records();
    CRequestBody body(SAFE_BOX_MOVE_BYTES);
    body.Word(0, records.GetUserID()).Word(1, records.GetGameID()).Word(2, records.GetRoomID());
    body.Word(3, records.GetTableNO()).Word(4, records.GetChairNO()).Word(5, first).Word(6, second);
    body.Text(12 * 4, GetMachineID(), 32).Word(20, records.GetChairNO()).Word(21, direction);
    return body;
}

int CGameConnection::OpenSafeBox(std::string& error, std::span<int32_t, 8> record)
{
    RequestAnswer answer;
    if (SendRequest(error, GR_SAFEBOX_OPEN, SafeBoxQueryBody().Span(), answer, RequestWait::Yes) == 0)
        return 0;
    if (answer.code != GR_OK) {
        GetSafeBoxErrorText(error, answer.code);
        return 0;
    }
    CopyAnswerWords(answer, record, record.size());
    return 1;
}

int CGameConnection::QuerySafeBoxKey(std::string& error, std::span<int32_t, 6> record, int32_t& value)
{
    RequestAnswer answer;
    if (SendRequest(error, GR_SAFEBOX_QUERY_KEY, SafeBoxQueryBody().Span(), answer, RequestWait::Yes) == 0)
        return 0;
    if (answer.code != GR_OK) {
        GetSafeBoxErrorText(error, answer.code);
        return 0;
    }
    CopyAnswerWords(answer, record, record.size());
    value = answer.Word(record.size()).value_or(0);
    return 1;
}

int CGameConnection::SafeBoxToGame(std::string& error, int32_t first, int32_t second)
{
    if (!GetApp().IsGameNotStarted())
        return 0;
    RequestAnswer answer;
    if (SendRequest(error, GR_SAFEBOX_TO_GAME, SafeBoxMoveBody(first, second, MOVE_TO_GAME).Span(), answer,
                    RequestWait::Yes)
        == 0)
        return 0;
    const std::string game = GetApp().Records().GetGameName();
    if (SharedSafeBoxText(error, answer, game))
        return 0;
    switch (answer.code) {
    case GR_OK:
        error = "银子已经成功划入您指定的游戏。";
        return 1;
    case GR_SAFEBOX_TOO_LITTLE:
        error = "您的保险箱里的银子不够。";
        break;
    case GR_SAFEBOX_BAD_KEY:
        error = "保护密码计算结果错误。";
        break;
    case GR_SAFEBOX_ABOVE_MAXIMUM:
        error = Format("高于房间最高银子限制【%d两】。", answer.Word(0).value_or(0));
        break;
    case GR_SAFEBOX_KEY_LOCKED:
        error = "由于您连续的保护密码计算结果错误,系统禁止您在这段时间内取银子。";
        break;
    case GR_SAFEBOX_DAILY_LIMIT: {
        const int32_t limit = answer.Word(0).value_or(0);
        const int32_t left = answer.Word(1).value_or(0);
        error = left > 0 ? Format("系统限定每日划入【%s】不能超过%d两，\r\n今天您最多还可以划入%d两。", game.c_str(), limit, left)
                         : Format("系统限定每日划入【%s】不能超过%d两，\r\n今天您已经超限，到明天才能划银。", game.c_str(), limit);
        break;
    }
    case GR_SAFEBOX_MONTHLY_LIMIT: {
        const long long limit = Word64(answer, 0);
        const long long left = Word64(answer, 2);
        error = left > 0 ? Format("系统限定每月划入游戏总额不能超过%lld两，\r\n本月您最多还可以划入%lld两。", limit, left)
                         : Format("系统限定每月划入游戏不能超过%lld两，\r\n本月您已经超限，到下个月才能划银。", limit);
        break;
    }
    default:
        GetSafeBoxErrorText(error, answer.code);
        break;
    }
    return 0;
}

int CGameConnection::GameToSafeBox(std::string& error, int32_t value, int32_t& code)
{
    if (!GetApp().IsGameNotStarted())
        return 0;
    RequestAnswer answer;
    const int sent = SendRequest(error, GR_GAME_TO_SAFEBOX, SafeBoxMoveBody(value, 0, MOVE_TO_SAFE_BOX).Span(), answer,
                                 RequestWait::Yes);
    code = answer.code;
    if (sent == 0)
        return 0;
    if (SharedSafeBoxText(error, answer, GetApp().Records().GetGameName()))
        return 0;
    switch (answer.code) {
    case GR_OK:
        error.clear();
        return 1;
    case GR_SAFEBOX_TOO_LITTLE:
        error = "您的划帐数额超过现在拥有的金额。";
        break;
    case GR_SAFEBOX_BELOW_MINIMUM:
        error = Format("低于房间最低银子限制【%d两】。", answer.Word(0).value_or(0));
        break;
    case GR_SAFEBOX_GIFT_ROUNDS:
        error = Format("很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 局才能转出。", answer.Word(0).value_or(0));
        break;
    case GR_SAFEBOX_GIFT_MINUTES:
        error = Format("很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 分钟才能转出。", answer.Word(0).value_or(0));
        break;
    case GR_SAFEBOX_GIFT_KEEP:
        error = Format("很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出%d两。(至少保留%d两)",
                       answer.Word(0).value_or(0), answer.Word(1).value_or(0));
        break;
    default:
        GetSafeBoxErrorText(error, answer.code);
        break;
    }
    return 0;
}

int CGameConnection::Request214010(std::string& error, std::span<const uint8_t, 320> record,
                                   std::span<uint8_t, 124> answer_block)
{
    RequestAnswer answer;
    if (SendRequest(error, GR_ID_214010, record, answer, RequestWait::Yes) == 0)
        return 0;
    std::fill(answer_block.begin(), answer_block.end(), uint8_t { 0 });
    std::copy_n(answer.data.begin(), std::min(answer.data.size(), ANSWER_BLOCK_214010_BYTES), answer_block.begin());
    return 1;
}

int CGameConnection::Request214000(std::string& error, std::span<const uint8_t> record)
{
    RequestAnswer answer;
    if (SendRequest(error, GR_ID_214000, record, answer, RequestWait::Yes) == 0)
        return 0;
    error = std::string(answer.data.begin(), std::find(answer.data.begin(), answer.data.end(), uint8_t { 0 }));
    return 1;
}

} // namespace client
