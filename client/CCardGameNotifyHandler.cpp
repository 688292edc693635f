#include "client/CCardGameNotifyHandler.h"

#include "client/CCardGameApp.h"
#include "client/CCardGameConnection.h"
#include "client/CGameStateHolder.h"
#include "client/CardGameSceneHooks.h"

namespace client {

namespace {

constexpr size_t WORDS(size_t count) { return count * 4; }
constexpr size_t START_CHAIR_WORD = 3;

} // namespace

void CCardGameNotifyHandler::Dispatch(uint32_t id, Body data)
{
    // A refused event changed nothing, and the replay does not keep it either.
    const bool taken = RunJudged([&] {
        if (!DispatchTableEvent(id, data))
            CGameNotifyHandler::Dispatch(id, data);
    });
    if (taken)
        RecordTableEvent(id, data);
}

bool CCardGameNotifyHandler::DispatchTableEvent(uint32_t id, Body data)
{
    using Handler = CCardGameNotifyHandler;
    // The minimum of each event is what its hook reads of the body.
    static constexpr Entry<Handler> HANDLERS[] = {
        { GR_USER_START, WORDS(START_CHAIR_WORD + 1), &Handler::OnUserStart },
        { GR_GAME_DATA, WORDS(GAME_DATA_SUB_ID_WORD + 1), &Handler::OnGameData },
        { GR_PLAYER_OFFLINE, WORDS(1), &Handler::OnPlayerOffline },
        { GR_ASK_LOOK_CARD, WORDS(1), &Handler::OnAskLookCard },
        { GR_CARD_VIEW_CHANGED, WORDS(6), &Handler::OnCardViewChanged },
        { GR_HAND_CARDS, WORDS(3), &Handler::OnHandCards },
        { GR_PLAYER_PASSED, WORDS(9), &Handler::OnPlayerPassed },
        { GR_CARDS_THROWN, WORDS(16), &Handler::OnCardsThrown },
        { GR_ID_221165, WORDS(2), &Handler::OnNotify221165 },
        { GR_TURN_BEGIN, 0, &Handler::OnTurnBegin },
        { GR_ID_211300, 0, &Handler::OnNotify211300 },
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
    const bool has_sub_id = id == GR_GAME_DATA && data.size() >= WORDS(GAME_DATA_SUB_ID_WORD + 1);
    return has_sub_id ? BodyWord(data, GAME_DATA_SUB_ID_WORD) : 0;
}

ICardGameSceneHooks* CCardGameNotifyHandler::Hooks() const
{
    IMainGame* game = App().Links().main_game;
    return game ? game->GetTableHooks() : nullptr;
}

void CCardGameNotifyHandler::OnUserStart(Body body)
{
    const int32_t chair = BodyWord(body, START_CHAIR_WORD);
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
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnPlayerOffline(BodyWord(body, 0));
}

void CCardGameNotifyHandler::OnAskLookCard(Body body)
{
    const auto* app = dynamic_cast<const CCardGameApp*>(&App());
    if (app != nullptr && app->GetRejectKanPaiAsk() != 0)
        return;
    if (App().Records().GetUserValue41(BodyWord(body, 0)) != 0)
        return;
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnCardViewRequest(body);
}

void CCardGameNotifyHandler::OnCardViewChanged(Body body)
{
    if (ICardGameSceneHooks* hooks = Hooks())
        hooks->OnCardViewReply(body);
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

} // namespace client
