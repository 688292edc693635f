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
constexpr size_t PERIOD_ENDS_WORD = 15;
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

void CGameNotifyHandler::ShowNamedEndBoard(Body body, const char* format)
{
    const std::string name = m_app.Records().GetUserName(BodyWord(body, 0));
    ShowEndOfTableBoard({ FormatText(format, name.c_str()), 5, 1, "" });
}

void CGameNotifyHandler::OnSilverNotEnough(Body body) { ShowNamedEndBoard(body, "%s的银子不够了，这一桌游戏结束。"); }

void CGameNotifyHandler::OnScoreTooLow(Body body) { ShowNamedEndBoard(body, "%s的积分不够了，这一桌游戏结束。"); }

void CGameNotifyHandler::OnScoreTooHigh(Body body) { ShowNamedEndBoard(body, "%s的积分超出限制，这一桌游戏结束。"); }

void CGameNotifyHandler::OnPlayerNotSeated(Body) { ShowEndOfTableBoard({ "有玩家未入座，游戏结束。", 5, 1, "" }); }

void CGameNotifyHandler::OnUserRoundsLimit(Body body)
{
    const std::string name = m_app.Records().GetUserName(BodyWord(body, 0));
    ShowEndOfTableBoard(
        { FormatText("%s的总局数超出限制(%d局)，这一桌游戏结束。", name.c_str(), BodyWord(body, 3)), 30, 1, "" });
}

void CGameNotifyHandler::OnTableRoundsLimit(Body body)
{
    ShowEndOfTableBoard({ FormatText("这一桌的局数超出限制(%d局)，游戏结束。", BodyWord(body, 2)), 30, 1, "" });
}

void CGameNotifyHandler::OnOutsideOpeningHours(Body body)
{
    std::string text = "已超出限定时间，不能继续游戏。";
    // The periods are capped by the record's eight slots and by what the
    // body holds: period i needs its end word, word 15 + i.
    const int32_t wanted = BodyWord(body, 2);
    const size_t held = body.size() / 4 > PERIOD_ENDS_WORD ? body.size() / 4 - PERIOD_ENDS_WORD : 0;
    const size_t periods = wanted > 0 ? std::min({ static_cast<size_t>(wanted), MAX_OPENING_PERIODS, held }) : 0;
    if (wanted > 0)
        text += "下列时间段开放：\r\n\r\n";
    for (size_t i = 0; i < periods; ++i) {
        const int32_t start = BodyWord(body, PERIOD_STARTS_WORD + i);
        const int32_t end = BodyWord(body, PERIOD_ENDS_WORD + i);
        text += FormatText("%d点%02d分 ~ %d点%02d分\r\n", start / 100, start % 100, end / 100, end % 100);
    }
    ShowEndOfTableBoard({ text, 60, 1, "" });
}

void CGameNotifyHandler::OnServerText(Body body)
{
    ShowEndOfTableBoard({ BodyTextAt(body, SERVER_TEXT_AT), 60, 1, "" });
}

void CGameNotifyHandler::OnIdleRounds(Body body)
{
    const CClientRecords& records = m_app.Records();
    if (records.IsLookOn() || BodyWord(body, 0) != records.GetUserID() || BodyWord(body, 1) != records.GetChairNO())
        return;
    ShowEndOfTableBoard(
        { FormatText("您已经连续%d局未参与本桌游戏了，请您换张桌子！", BodyWord(body, 2)), 5, 1, "" });
}

void CGameNotifyHandler::OnResultBox(Body body)
{
    if (IGameServerLink* connection = m_app.Links().connection)
        connection->Close();
    const std::string text = BodyTextAt(body, ADDRESS_AT);
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
    m_app.ShowExitUrlMessageBoard(board);
}

// --- Adverts and boards

void CGameNotifyHandler::OnAdvertUrl(Body body)
{
    m_app.SetAdvertAddress(BodyTextAt(body, ADDRESS_AT));
    if (m_app.Links().side_panel == nullptr)
        return;
    // The panel frees the copy once its advert bar has taken it.
    const std::string address = m_app.GetAdvertAddress();
    std::vector<uint8_t> copy(address.begin(), address.end());
    copy.resize(address.size() + 2, 0);
    SendToSidePanel(GAMEMSG_ADVERT_URL, engine::MakeSystemPayload(std::move(copy)));
}

void CGameNotifyHandler::OnSignUpFailed(Body body)
{
    const std::string text = BodyTextAt(body, MATCH_TEXT_AT);
    ShowSystemBoard(m_app, text.empty() ? "报名失败,请重试!" : text);
}

void CGameNotifyHandler::OnWithdrawFailed(Body body)
{
    const std::string text = BodyTextAt(body, MATCH_TEXT_AT);
    ShowSystemBoard(m_app, text.empty() ? "退赛失败,请重试!" : text);
}

void CGameNotifyHandler::OnSystemBoardText(Body body) { ShowSystemBoard(m_app, BodyTextAt(body, BOARD_TEXT_AT)); }

void CGameNotifyHandler::OnGameTimeout(Body)
{
    m_app.ShowSystemMessage(" <z=qv系统通知>#r 游戏超时，本局结束!\r\n");
}

void CGameNotifyHandler::OnEliminationFull(Body body)
{
    m_app.ShowSystemMessage(FormatText(
        " <z=qv系统通知><c=255,s=240> 出局人数已满，本局结束后将等待其他桌结束确定前%d名晋级者。\r\n", BodyWord(body, 2)));
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
    const int32_t count = BodyWord(body, 1);
    const size_t needed = MatchRanking::HEAD_BYTES + MatchRankEntry::BYTES * static_cast<size_t>(std::max(count, 0));
    if (count < 0 || count > MatchRanking::MAX_ENTRIES || body.size() < needed) {
        RefuseShortBody(GR_ID_211170, body.size(), needed);
        return;
    }
    CClientRecords& records = m_app.Records();
    auto bytes = RecordBytes(records.Ranking());
    std::copy_n(body.begin(), needed, bytes.begin());
    (void)ReadRecord(std::span<const uint8_t>(bytes), records.Ranking());
    for (int32_t i = 0; i < count; ++i) {
        const Body entry = body.subspan(MatchRanking::HEAD_BYTES + MatchRankEntry::BYTES * static_cast<size_t>(i));
        const int32_t user_id = BodyWord(entry, 0);
        for (int slot = 0; user_id != 0 && slot < CClientRecords::SEAT_COUNT; ++slot) {
            TablePlayerRecord& player = *records.TablePlayer(slot);
            if (player.user_id != user_id)
                continue;
            player.score = BodyWord(entry, 1);
            player.silver = BodyWord(entry, 2);
            player.word46 = BodyWord(entry, 3);
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
    const auto word = static_cast<uintptr_t>(static_cast<uint32_t>(BodyWord(body, 2)));
    SendToMainGame(GAMEMSG_ID_80000028, word);
    SendToSidePanel(GAMEMSG_ID_80000028, word);
}

} // namespace client
