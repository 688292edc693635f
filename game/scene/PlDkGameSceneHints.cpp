// This game's plays on the own turn: the hint search and the hint button,
// the start of the own turn, the selection check and the throw, all judged
// by this game's play finder; the turn clock and the play its time-out makes.
#include <array>
#include <string>

#include "client/CCardGameConnection.h"
#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "client/TextFunctions.h"
#include "engine/core/EngineEvent.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/CardRules.h"
#include "game/scene/CardGameSelection.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkHandOperations.h"
#include "game/scene/PlDkPlayFinder.h"
#include "game/scene/SceneBody.h"
#include "net/NetUtil.h"
#include "platform/ByteOrder.h"

namespace scene {
namespace {

using detail::SetActive;
using detail::SetEnabled;

constexpr int32_t JUDGING_FLAG = 0x10;
constexpr int32_t JUDGE_LOWEST_VALUE = 2;
constexpr int32_t JUDGE_HIGHEST_VALUE = 8;

} // namespace

int CPlDkGameScene::SearchHint(std::span<const int32_t> hand, std::span<int32_t> out, rules::CardPlay to_beat,
                               rules::CardPlay& found, int32_t type_mask, int wild, int32_t suit)
{
    return CPlDkPlayFinder::SearchHint(hand, out, to_beat, found, type_mask, wild, suit);
}

int CPlDkGameScene::SearchHintLongFirst(std::span<const int32_t> hand, std::span<int32_t> out,
                                        rules::CardPlay to_beat, rules::CardPlay& found, int32_t type_mask, int wild,
                                        int32_t suit)
{
    return CPlDkPlayFinder::SearchHintLongFirst(hand, out, to_beat, found, type_mask, wild, suit);
}

int CPlDkGameScene::MatchPlayType(std::span<const int32_t> cards, std::span<int32_t> out,
                                  const rules::CardPlay& to_beat, rules::CardPlay& found, int32_t type_mask,
                                  int rule_flag)
{
    return SearchHint(cards, out, to_beat, found, type_mask & PLDK_HINT_MASK, rule_flag != 0 ? WILD_JOKERS : NO_WILD,
                      -1);
}

void CPlDkGameScene::StartTurn()
{
    // A closed table (its connection gone) plays no turn any more.
    if (App().IsReplayMode() || IsLookOn() || IsTableClosed() || GetActiveChair() != OwnChair()
        || m_finder == nullptr)
        return;
    (void)net::FlashMainWindow();
    // A prompt from an earlier turn says nothing about this one.
    HidePassPrompt();
    engine::CGuiButton* throw_button = GetButton(Button::Throw);
    SetActive(throw_button, true);
    SetEnabled(throw_button, false);
    engine::CGuiButton* pass = GetButton(Button::Pass);
    engine::CGuiButton* hint = GetButton(Button::Hint);
    const bool leading = GetLastCardPlay().IsLeading();
    SetActive(pass, !leading);
    SetActive(hint, !leading);
    CheckSelection();
    const TurnStart start = m_finder->StartTurn(OwnChair(), GetLastCardPlay());
    if (start == TurnStart::Lead) {
        RetirePlayedCards(-1);
        SetEnabled(pass, false);
        SetEnabled(hint, false);
        PlacePlayButtons();
        return;
    }
    if (start == TurnStart::AutoPass) {
        engine::EngineEvent auto_pass;
        engine::MakeEngineEvent(&auto_pass, GetId(), GAMEMSG_AUTO_PASS, 0, 0);
        (void)AddWaitTimeAction(AUTO_PASS_DELAY_MS, &auto_pass);
    } else if (start == TurnStart::PassPrompt) {
        PlayStartEffect();
    }
    SetEnabled(pass, true);
    SetEnabled(hint, true);
    PlacePlayButtons();
}

void CPlDkGameScene::HidePlayButtons() { CCardGameScene::HidePlayButtons(); }

void CPlDkGameScene::OnBtnHint()
{
    if (m_auto_play)
        OnBtnAutoPlay();
    if (GetLastCardPlay().IsLeading() || m_finder == nullptr)
        return;
    LowerAllCards();
    switch (m_finder->PressHint(GetLastCardPlay())) {
    case HintPress::Assisted:
        CheckSelection(); // brings the arrange buttons up to date
        (void)LoadSound("Snd_HitCard", 1);
        break;
    case HintPress::Raised:
        CheckSelection();
        (void)LoadSound("Snd_HitCard", 1);
        break;
    case HintPress::Pass:
        OnBtnPass();
        break;
    case HintPress::Nothing:
        break;
    }
}

void CPlDkGameScene::CheckSelection()
{
    if (IsLookOn() || m_finder == nullptr)
        return;
    UpdateArrangeButtons(); // a changed selection decides between 理牌 and 恢复
    engine::CGuiButton* throw_button = GetButton(Button::Throw);
    SetEnabled(throw_button, false);
    const SelectionState state = m_finder->CheckSelection(GetLastCardPlay());
    if (state.selected == 0) {
        m_hint_index = 0;
        return;
    }
    if (state.throw_enabled)
        SetEnabled(throw_button, true);
    if (state.has_reading && m_talk_panel != nullptr && m_talk_panel->IsActive())
        SetActive(m_talk_panel, false);
}

int32_t CPlDkGameScene::ThrowSelection(std::span<const int32_t> cards)
{
    if (m_finder == nullptr)
        return THROW_NO_READING;
    const std::optional<rules::CardPlay> play = m_finder->ReadThrow(cards, GetLastCardPlay());
    if (!play)
        return THROW_NO_READING;
    auto* connection = TableRequests();
    if (connection == nullptr)
        return client::GR_CARD_REQUEST_NOT_SENT;
    const client::CClientRecords& records = App().Records();
    const ThrowIdentity who { records.GetUserID(), records.Room().room_id, records.GetTableNO() };
    const auto bytes = ThrowRequestBytes(m_finder->MakeThrow(who, *play));
    std::string error;
    return connection->ThrowCards(error, bytes);
}

void CPlDkGameScene::LowerAllCards()
{
    if (m_hand != nullptr)
        m_hand->LowerAllCards();
    UpdateArrangeButtons();
}


void CPlDkGameScene::OnClockTick()
{
    if (m_clock == nullptr || !m_clock->IsActive() || IsTableClosed())
        return;
    const int32_t seconds = m_clock->GetValue();
    if (seconds >= 1) {
        m_timeout_ticks = 0;
        m_clock->SetValue(seconds - 1);
        m_clock->Invalidate();
        if (m_auto_play && !IsLookOn())
            AutoPlayStep();
        return;
    }
    if (m_timeout_ticks == 0)
        OnTurnTimeout();
    ++m_timeout_ticks;
    if (m_timeout_ticks > 0 && m_timeout_ticks % TIMEOUT_REPEAT == TIMEOUT_SEND_AT) {
        if (GetActiveChair() == OwnChair())
            OnBtnAutoPlay();
        client::DebugTrace("%s", "SYSMSG_GAME_CLOCK_STOP");
        (void)SendGameData(GAMEDATA_TIMEOUT, {});
    }
}

void CPlDkGameScene::OnTurnTimeout()
{
    if (IsLookOn() || IsTableClosed() || GetActiveChair() != OwnChair() || !IsChair(OwnChair()))
        return;
    const client::CGameStateHolder* state = GetGameState();
    if (state != nullptr && (state->GetTableWord15() & JUDGING_FLAG) != 0) {
        for (int i = 0; i < m_sprites.Count(); ++i) {
            const CardSpriteState& s = m_sprites.At(i);
            if (s.chair != OwnChair() || s.state != CARD_STATE_HAND || s.card < 0)
                continue;
            const int32_t value = rules::GetCardValue(s.card);
            if (value < JUDGE_LOWEST_VALUE || value > JUDGE_HIGHEST_VALUE)
                continue;
            std::array<uint8_t, 8> body {};
            platform::StoreU32LE(body.data(), static_cast<uint32_t>(OwnChair()));
            platform::StoreU32LE(body.data() + 4, static_cast<uint32_t>(s.card));
            client::DebugTrace("%s", "GAMEMSGEX_JUDGE_SINGLE_WIN");
            (void)SendGameData(GAMEDATA_JUDGE_SINGLE_WIN, body, GameDataQuery::Yes);
            break;
        }
        return;
    }
    const engine::CGuiButton* throw_button = GetButton(Button::Throw);
    if (throw_button != nullptr && throw_button->IsActive() && m_finder != nullptr) {
        if (m_finder->PlayOnTimeout(GetLastCardPlay()) == TimeoutPlay::Throw) {
            CheckSelection();
            OnBtnThrow();
        } else {
            OnBtnPass();
        }
    }
    ++m_timeout_count;
    if (!m_auto_play)
        OnBtnAutoPlay();
}

} // namespace scene
