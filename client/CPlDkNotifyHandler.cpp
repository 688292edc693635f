#include "client/CPlDkNotifyHandler.h"
#include "client/TextFunctions.h"

#include <algorithm>

#include "client/CGameFrameWnd.h"
#include "client/CPlDkApp.h"
#include "client/CardGameSceneHooks.h"
#include "net/NetLog.h"
#include "platform/Window.h"

namespace client {

namespace {

constexpr const char* SORRY_PICTURE = "vur抱歉";

} // namespace

CPlDkNotifyHandler::CPlDkNotifyHandler(CPlDkApp& app) : CCardGameNotifyHandler(app), m_app(app) {}

void CPlDkNotifyHandler::Dispatch(uint32_t id, Body data)
{
    using Handler = CPlDkNotifyHandler;
    static constexpr Entry<Handler> HANDLERS[] = {
        { GR_GAME_START, &Handler::OnGameStart },
        { GR_GAME_RESULT, &Handler::OnGameResult },
        { GR_SCORE_NOTIFY, &Handler::OnScoreNotify },
        { GR_TABLE_STATE, &Handler::OnTableState },
        // A short play still makes a whole record (the rest at its defaults).
        { GR_CARDS_THROWN, &Handler::OnCardsThrown },
    };
    bool known = false;
    const bool taken = RunJudged(id, [&] { known = RunEntry(*this, HANDLERS, id, data); });
    if (known) {
        if (taken)
            RecordTableEvent(id, data);
        return;
    }
    if (id == GR_IDLE_KICK)
        m_app.ShowExitMessageBoard({ "由于您长时间没有开始游戏，系统请您离开游戏", 10, 48, SORRY_PICTURE });
    CCardGameNotifyHandler::Dispatch(id, data);
}

std::array<uint8_t, PLAY_RECORD_BYTES> CPlDkNotifyHandler::MakePlayRecord(Body body)
{
    std::array<uint8_t, PLAY_RECORD_BYTES> record {};
    std::fill(record.begin() + PLAY_RECORD_HEAD_WORDS * 4, record.end(), uint8_t { 0xFF });
    std::copy_n(body.begin(), std::min(body.size(), record.size()), record.begin());
    return record;
}

void CPlDkNotifyHandler::OnCardsThrown(Body body)
{
    const std::array<uint8_t, PLAY_RECORD_BYTES> record = MakePlayRecord(body);
    CCardGameNotifyHandler::OnCardsThrown(record);
}

void CPlDkNotifyHandler::OnGameStart(Body body)
{
    if (!m_app.GetGameState().BeginRound(body)) {
        RefuseRecord(GR_GAME_START, body.size());
        return;
    }
    m_app.SetPlaying();
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->ShowRoundHeader();
}

void CPlDkNotifyHandler::OnRandomTableStart(Body record) { OnGameStart(record); }

void CPlDkNotifyHandler::OnGameResult(Body body)
{
    if (!m_app.GetGameState().EndRound(body)) {
        RefuseRecord(GR_GAME_RESULT, body.size());
        return;
    }
    // One line per settled round in the log (also for a replay played back).
    const int32_t* change = m_app.GetGameState().GetResultBlock().base.score_change;
    net::LogPrintf("round result: score changes %d %d %d %d", change[0], change[1], change[2], change[3]);
    m_app.ClearPlaying();
    (void)m_app.ApplyRoundResult(body);
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnRoundEnd();
}

void CPlDkNotifyHandler::OnScoreNotify(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        if (!hooks->OnScoreNotify(body))
            MarkRefused();
}

void CPlDkNotifyHandler::OnTableState(Body body)
{
    // Checked before the table is cleared, so a refused snapshot leaves the
    // running table as it was.
    platform::CByteReader in(body);
    const Body block = in.ReadBytes(rules::TABLE_GAME_DATA_BYTES);
    rules::TableGameData checked;
    if (RefuseIfShort(GR_TABLE_STATE, in))
        return;
    if (!rules::ReadTableGameData(block, checked)) {
        RefuseRecord(GR_TABLE_STATE, body.size());
        return;
    }
    ICardGameSceneHooks* hooks = Hooks();
    if (hooks)
        hooks->ResetTable();
    (void)m_app.GetGameState().LoadTableData(block);
    if (m_app.IsMatch())
        if (ISidePanel* panel = m_app.Links().side_panel)
            panel->ShowMatchListBar();
    if (hooks)
        hooks->OnTableSnapshot();
}

void CPlDkNotifyHandler::OnTableClosed(Body body)
{
    CCardGameNotifyHandler::OnTableClosed(body);
    if (CGameFrameWnd* window = m_app.GetMainWindow())
        if (platform::CNativeWindow* native = window->GetNativeWindow())
            native->BringToFront();
    const auto words = LeadingWords<7>(GR_PLAYER_EXITED, body);
    if (!words)
        return;
    const int32_t chair = (*words)[1];
    const std::string name
        = IsTableChair(chair) ? m_app.Records().GetName(m_app.Records().Seat(chair), NameKind::Display) : std::string();
    // The penalties are shown as amounts taken; negated in 64 bits, so the
    // lowest word does not overflow.
    const std::string text = (*words)[2] != 0
        ? FormatText("%s 已经强行退出，游戏结束。(扣除%lld两,%lld分)", name.c_str(),
                     -static_cast<long long>((*words)[6]), -static_cast<long long>((*words)[5]))
        : FormatText("%s 已经离开，游戏结束。", name.c_str());
    m_app.ShowExitMessageBoard({ text, 10, 48, SORRY_PICTURE });
}

} // namespace client
