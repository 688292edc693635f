#include "client/CCardGameNotifyHandler.h"

#include "client/CCardGameApp.h"
#include "client/CCardGameConnection.h"
#include "client/CGameStateHolder.h"
#include "client/CardGameSceneHooks.h"

namespace client {

namespace {

constexpr size_t START_CHAIR_WORD = 3;

} // namespace

void CCardGameNotifyHandler::Dispatch(uint32_t id, Body data)
{
    // A refused event changed nothing, and the replay does not keep it either.
    const bool taken = RunJudged(id, [&] {
        if (!DispatchTableEvent(id, data))
            CGameNotifyHandler::Dispatch(id, data);
    });
    if (taken)
        RecordTableEvent(id, data);
}

bool CCardGameNotifyHandler::DispatchTableEvent(uint32_t id, Body data)
{
    using Handler = CCardGameNotifyHandler;
    static constexpr Entry<Handler> HANDLERS[] = {
        { GR_USER_START, &Handler::OnUserStart },
        { GR_GAME_DATA, &Handler::OnGameData },
        { GR_PLAYER_OFFLINE, &Handler::OnPlayerOffline },
        { GR_ASK_LOOK_CARD, &Handler::OnAskLookCard },
        { GR_CARD_VIEW_CHANGED, &Handler::OnCardViewChanged },
        { GR_HAND_CARDS, &Handler::OnHandCards },
        { GR_PLAYER_PASSED, &Handler::OnPlayerPassed },
        { GR_CARDS_THROWN, &Handler::OnCardsThrown },
        { GR_ID_221165, &Handler::OnNotify221165 },
        { GR_TURN_BEGIN, &Handler::OnTurnBegin },
        { GR_ID_211300, &Handler::OnNotify211300 },
    };
    return RunEntry(*this, HANDLERS, id, data);
}

void CCardGameNotifyHandler::RecordTableEvent(uint32_t id, Body data)
{
    if (App().IsReplayMode() || !App().HasRoomConfigsEx20000())
        return;
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->RecordTableEvent(id, data);
}

int32_t CCardGameNotifyHandler::GetSubId(uint32_t id, Body data) const
{
    return id == GR_GAME_DATA ? GameDataSubId(data) : 0;
}

int32_t GameDataSubId(std::span<const uint8_t> body)
{
    return platform::CByteReader(body).ReadWords<GAME_DATA_SUB_ID_WORD + 1>()[GAME_DATA_SUB_ID_WORD];
}

ICardGameSceneHooks* CCardGameNotifyHandler::Hooks() const
{
    IMainGame* game = App().Links().main_game;
    return game ? game->GetTableHooks() : nullptr;
}

void CCardGameNotifyHandler::OnUserStart(Body body)
{
    const auto words = LeadingWords<START_CHAIR_WORD + 1>(GR_USER_START, body);
    if (!words)
        return;
    const int32_t chair = (*words)[START_CHAIR_WORD];
    if (!IsTableChair(chair)) {
        RefuseChair(GR_USER_START, chair);
        return;
    }
    if (CGameStateHolder* state = App().GetGameStateHolder())
        (void)state->FlagSeat(body);
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnPlayerStarted(chair);
}

void CCardGameNotifyHandler::OnGameData(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        if (!hooks->OnGameData(body))
            MarkRefused();
}

void CCardGameNotifyHandler::OnPlayerOffline(Body body)
{
    const auto user_id = LeadingWords<1>(GR_PLAYER_OFFLINE, body);
    if (!user_id)
        return;
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnPlayerOffline((*user_id)[0]);
}

void CCardGameNotifyHandler::OnAskLookCard(Body body)
{
    const auto user_id = LeadingWords<1>(GR_ASK_LOOK_CARD, body);
    if (!user_id)
        return;
    const auto* app = dynamic_cast<const CCardGameApp*>(&App());
    if (app != nullptr && app->GetRejectKanPaiAsk() != 0)
        return;
    if (App().Records().GetUserValue41((*user_id)[0]) != 0)
        return;
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnCardViewRequest(body);
}

void CCardGameNotifyHandler::OnCardViewChanged(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        if (!hooks->OnCardViewReply(body))
            MarkRefused();
}

void CCardGameNotifyHandler::OnHandCards(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        if (!hooks->OnSetHandCards(body))
            MarkRefused();
}

void CCardGameNotifyHandler::OnPlayerPassed(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        if (!hooks->OnPlayerPassed(body))
            MarkRefused();
}

void CCardGameNotifyHandler::OnCardsThrown(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        if (!hooks->OnCardsThrown(body))
            MarkRefused();
}

void CCardGameNotifyHandler::OnNotify221165(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        if (!hooks->OnTableEvent221165(body))
            MarkRefused();
}

void CCardGameNotifyHandler::OnTurnBegin(Body body)
{
    if (CGameStateHolder* state = App().GetGameStateHolder())
        (void)state->SetTableWord15(TURN_BEGIN_TABLE_WORD15);
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnTurnBegin(body);
}

void CCardGameNotifyHandler::OnNotify211300(Body)
{
    if (App().IsPlaying())
        return;
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnTableEvent211300();
}

void CCardGameNotifyHandler::OnTableClosed(Body body)
{
    CGameNotifyHandler::OnTableClosed(body);
    // The connection is gone: a clock left running would play the own turn
    // into it until the window closes.
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnTableClosed();
}

} // namespace client
