// CGameNotifyHandler: the end-of-table boards, system texts and boards, the
// advert address, the result box and the match notifications.
#include <algorithm>

#include "client/CGameApp.h"
#include "client/TextFunctions.h"
#include "client/CGameNotifyHandler.h"
#include "client/ClientText.h"
#include "engine/core/EngineEvent.h"
#include "client/CRefusalLog.h"
#include "net/NetLog.h"

namespace client {

namespace {

constexpr uint32_t SYSTEM_BOARD_COLOR = 0xFFFFFF;
constexpr int32_t SYSTEM_BOARD_SIZE = 16;
constexpr size_t MAX_OPENING_PERIODS = 8;
constexpr size_t PERIOD_STARTS_WORD = 7;
constexpr size_t MATCH_TEXT_AT = 16;
constexpr size_t ADDRESS_AT = 32;
constexpr size_t BOARD_TEXT_AT = 24;
constexpr size_t SERVER_TEXT_AT = 8;

using Body = CGameNotifyHandler::Body;

void ShowSystemBoard(CGameApp& app, const std::string& text)
{
    if (IFrameUI* frame = app.Links().frame_ui)
        frame->ShowSystemBoard(text, SYSTEM_BOARD_COLOR, SYSTEM_BOARD_SIZE);
}

} // namespace

// --- End of the table

void CGameNotifyHandler::ShowNamedEndBoard(uint32_t id, Body body, const char* format)
{
    const auto words = LeadingWords<1>(id, body);
    if (!words)
        return;
    const CClientRecords& records = m_app.Records();
    const std::string name = records.GetName(records.FindUser((*words)[0]), NameKind::User);
    ShowEndOfTableBoard({ FormatText(format, name.c_str()), 5, 1, "" });
}

void CGameNotifyHandler::OnSilverNotEnough(Body body)
{
    ShowNamedEndBoard(GR_END_SILVER_LOW, body, "%s的银子不够了，这一桌游戏结束。");
}

void CGameNotifyHandler::OnScoreTooLow(Body body)
{
    ShowNamedEndBoard(GR_END_SCORE_LOW, body, "%s的积分不够了，这一桌游戏结束。");
}

void CGameNotifyHandler::OnScoreTooHigh(Body body)
{
    ShowNamedEndBoard(GR_END_SCORE_OVER, body, "%s的积分超出限制，这一桌游戏结束。");
}

void CGameNotifyHandler::OnPlayerNotSeated(Body) { ShowEndOfTableBoard({ "有玩家未入座，游戏结束。", 5, 1, "" }); }

void CGameNotifyHandler::OnUserRoundsLimit(Body body)
{
    const auto words = LeadingWords<4>(GR_END_USER_ROUNDS_OVER, body);
    if (!words)
        return;
    const CClientRecords& records = m_app.Records();
    const std::string name = records.GetName(records.FindUser((*words)[0]), NameKind::User);
    ShowEndOfTableBoard(
        { FormatText("%s的总局数超出限制(%d局)，这一桌游戏结束。", name.c_str(), (*words)[3]), 30, 1, "" });
}

void CGameNotifyHandler::OnTableRoundsLimit(Body body)
{
    if (const auto words = LeadingWords<3>(GR_END_TABLE_ROUNDS_OVER, body))
        ShowEndOfTableBoard({ FormatText("这一桌的局数超出限制(%d局)，游戏结束。", (*words)[2]), 30, 1, "" });
}

void CGameNotifyHandler::OnOutsideOpeningHours(Body body)
{
    platform::CByteReader in(body);
    const int32_t wanted = in.ReadWords<3>()[2];
    if (RefuseIfShort(GR_END_OUT_OF_HOURS, in))
        return;
    // Eight start words from word 7, then the end words: the periods are
    // capped by the eight slots and by the end words the body holds.
    in.Skip(WORDS(PERIOD_STARTS_WORD - 3));
    platform::CByteReader starts(in.ReadBytes(WORDS(MAX_OPENING_PERIODS)));
    platform::CByteReader ends(in.ReadRest());
    const size_t periods
        = wanted > 0 ? std::min({ static_cast<size_t>(wanted), MAX_OPENING_PERIODS, ends.Remaining() / 4 }) : 0;
    std::string text = "已超出限定时间，不能继续游戏。";
    if (wanted > 0)
        text += "下列时间段开放：\r\n\r\n";
    for (size_t i = 0; i < periods; ++i) {
        const int32_t start = starts.ReadI32();
        const int32_t end = ends.ReadI32();
        text += FormatText("%d点%02d分 ~ %d点%02d分\r\n", start / 100, start % 100, end / 100, end % 100);
    }
    ShowEndOfTableBoard({ text, 60, 1, "" });
}

void CGameNotifyHandler::OnServerText(Body body)
{
    if (auto text = TextAt(GR_END_SERVER_TEXT, body, SERVER_TEXT_AT))
        ShowEndOfTableBoard({ std::move(*text), 60, 1, "", engine::TextKind::Markup });
}

void CGameNotifyHandler::OnIdleRounds(Body body)
{
    const auto words = LeadingWords<3>(GR_IDLE_ROUNDS_WARNING, body);
    const CClientRecords& records = m_app.Records();
    if (!words || records.IsLookOn() || (*words)[0] != records.GetUserID() || (*words)[1] != records.GetChairNO())
        return;
    ShowEndOfTableBoard({ FormatText("您已经连续%d局未参与本桌游戏了，请您换张桌子！", (*words)[2]), 5, 1, "" });
}

void CGameNotifyHandler::OnResultBox(Body body)
{
    const auto found = TextAt(GR_MATCH_OVER, body, ADDRESS_AT);
    if (!found)
        return;
    if (IGameServerLink* connection = m_app.Links().connection)
        connection->Close();
    const std::string& text = *found;
    const size_t bar = text.find('|');
    ExitUrlBoardRequest board;
    board.text = bar == std::string::npos ? std::string() : text.substr(0, bar);
    board.url = bar == std::string::npos ? text : text.substr(bar + 1);
    board.value3 = 1;
    board.seconds = 60;
    board.value5 = 1;
    board.value6 = 0;
    board.first_button = "查看成绩";
    board.second_button = "退出";
    board.kind = engine::TextKind::Markup;
    m_app.ShowExitUrlMessageBoard(board);
}

// --- Adverts and boards

void CGameNotifyHandler::OnAdvertUrl(Body body)
{
    const auto address_text = TextAt(GR_ID_211400, body, ADDRESS_AT);
    if (!address_text)
        return;
    m_app.SetAdvertAddress(*address_text);
    // Lent for the call: the panel copies what it keeps, and a panel that
    // does not take the event has nothing to free.
    const std::string address = m_app.GetAdvertAddress();
    SendToSidePanel(GAMEMSG_ADVERT_URL, reinterpret_cast<uintptr_t>(&address));
}

void CGameNotifyHandler::ShowBoardText(uint32_t id, Body body, size_t text_at, const char* empty_text)
{
    if (const auto text = TextAt(id, body, text_at))
        ShowSystemBoard(m_app, text->empty() ? empty_text : *text);
}

void CGameNotifyHandler::OnSignUpFailed(Body body)
{
    ShowBoardText(GR_MATCH_SIGNUP_FAILED, body, MATCH_TEXT_AT, "报名失败,请重试!");
}

void CGameNotifyHandler::OnWithdrawFailed(Body body)
{
    ShowBoardText(GR_MATCH_WITHDRAW_FAILED, body, MATCH_TEXT_AT, "退赛失败,请重试!");
}

void CGameNotifyHandler::OnSystemBoardText(Body body) { ShowBoardText(GR_ID_211243, body, BOARD_TEXT_AT, ""); }

void CGameNotifyHandler::OnGameTimeout(Body)
{
    m_app.ShowSystemMessage(" <z=qv系统通知>#r 游戏超时，本局结束!\r\n");
}

void CGameNotifyHandler::OnEliminationFull(Body body)
{
    if (const auto words = LeadingWords<3>(GR_MATCH_OUT_FULL, body))
        m_app.ShowSystemMessage(FormatText(
            " <z=qv系统通知><c=255,s=240> 出局人数已满，本局结束后将等待其他桌结束确定前%d名晋级者。\r\n",
            (*words)[2]));
}

// --- The match

void CGameNotifyHandler::OnMatchStage(Body body)
{
    if (!m_app.Records().CopyTableHeader(body)) {
        RefuseRecord(GR_MATCH_STAGE, body.size());
        return;
    }
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->ShowEliminationRound();
    m_app.SetPlaying();
}

void CGameNotifyHandler::OnMatchScores(Body body)
{
    // A negative count reads as a huge one, so it is refused with the rest.
    platform::CByteReader in(body);
    in.Skip(4);
    const uint32_t count = in.ReadU32();
    in.Skip(MatchRanking::HEAD_BYTES - 8);
    platform::CByteReader entries(in.ReadBytes(MatchRankEntry::BYTES * count));
    if (RefuseIfShort(GR_ID_211170, in))
        return;
    if (count > static_cast<uint32_t>(MatchRanking::MAX_ENTRIES)) {
        Refuse(GR_ID_211170, "%u entries, at most %d", count, MatchRanking::MAX_ENTRIES);
        return;
    }
    CClientRecords& records = m_app.Records();
    const size_t needed = MatchRanking::HEAD_BYTES + MatchRankEntry::BYTES * count;
    auto bytes = RecordBytes(records.Ranking());
    std::copy_n(body.begin(), needed, bytes.begin());
    (void)ReadRecord(std::span<const uint8_t>(bytes), records.Ranking());
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t user_id = entries.ReadI32();
        const int32_t score = entries.ReadI32();
        const int32_t silver = entries.ReadI32();
        const int32_t word46 = entries.ReadI32();
        entries.Skip(MatchRankEntry::BYTES - 16);
        for (int slot = 0; user_id != 0 && slot < CClientRecords::SEAT_COUNT; ++slot) {
            TablePlayerRecord& player = *records.TablePlayer(slot);
            if (player.user_id == user_id) {
                player.score = score;
                player.silver = silver;
                player.word46 = word46;
            }
        }
    }
    m_app.SortMatchRanking();
}

void CGameNotifyHandler::OnMatchOut(Body body)
{
    m_app.Records().MatchState().state = MATCH_STATE_ENDED;
    SendToSidePanel(GAMEMSG_ID_80000026, 0);
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->ShowMatchOutNotice(body);
}

void CGameNotifyHandler::OnMatchOutInfo(Body body)
{
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->ShowMatchOutInfo(body);
}

void CGameNotifyHandler::OnMatchBegin(Body body)
{
    m_app.Records().MatchState().state = MATCH_STATE_STARTED;
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->OnMatchBegin(body);
}

void CGameNotifyHandler::OnMatchSystemCancel(Body body)
{
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->ShowSystemCancelBanner(body);
}

void CGameNotifyHandler::OnSignUpOk(Body)
{
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->OnSignUpSucceeded();
}

void CGameNotifyHandler::OnWithdrawOk(Body)
{
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->OnWithdrawn();
}

void CGameNotifyHandler::OnMatchTablesLeft(Body body)
{
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->ShowRemainingTables(body);
}

void CGameNotifyHandler::OnMatchNotice(Body body)
{
    if (IFrameUI* frame = m_app.Links().frame_ui)
        frame->ShowPlayerDetailData(body);
}

void CGameNotifyHandler::OnRoundEventNotice(Body body)
{
    const auto words = LeadingWords<3>(GR_ID_211242, body);
    if (!words)
        return;
    const auto word = static_cast<uintptr_t>(static_cast<uint32_t>((*words)[2]));
    SendToMainGame(GAMEMSG_ID_80000028, word);
    SendToSidePanel(GAMEMSG_ID_80000028, word);
}

} // namespace client
