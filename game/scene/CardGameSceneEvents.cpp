// The card table's answers to the table events: starts, the round header,
// dropped players, card-view permissions, hands, plays and passes, and the
// turn moving from chair to chair with its clock.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "client/CCardGameConnection.h"
#include "client/CCardGameNotifyHandler.h"
#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "client/CRefusalLog.h"
#include "client/panel/CLookOnRequestBox.h"
#include "client/panel/CharacterImage.h"
#include "client/panel/PanelText.h"
#include "engine/core/EngineEvent.h"
#include "net/NetUtil.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/rules/CardRules.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/CardGameSelection.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SceneText.h"
#include "game/scene/SeatBoard.h"

namespace scene {
namespace {

using client::RefuseIfShort;
using detail::MAX_BODY_CARDS;
using detail::ReadCards;
using detail::RefuseCardCount;
using detail::SetActive;
using detail::SetEnabled;

constexpr uint32_t STARTED_COLOUR = 0x808080;
constexpr uint32_t HEADER_COLOUR = 0xFF0000;
constexpr uint32_t OFFLINE_COLOUR = 0x4B967D;
constexpr uint32_t CARD_VIEW_COLOUR = 0x2C5858;
constexpr uint32_t ELIMINATION_COLOUR = 0x0000FF;
constexpr double LOOK_ON_BOX_DEPTH = 90000.0;
constexpr int32_t PASS_TYPE = 0x20000000;
constexpr uint32_t FRAME_RATE = 30;
constexpr double MOVE_FRAMES = 4.0;
constexpr uint32_t CLOCK_PERIOD_MS = 1000;
constexpr int32_t BIG_JOKER_VALUE = 15;

} // namespace

int CCardGameScene::PrevChair(int chair) const
{
    const int count = App().GetChairCount();
    return count > 0 ? (chair + count - 1) % count : -1;
}

bool CCardGameScene::IsPartnerChair(int chair) const
{
    return chair == PrevChair(PrevChair(App().Records().GetChairNO()));
}

int CCardGameScene::GetActiveChair() const
{
    const client::CGameStateHolder* state = GetGameState();
    return state != nullptr ? state->GetTableWord14() : -1;
}

bool CCardGameScene::IsCardViewGranted() const
{
    const client::CClientRecords& records = App().Records();
    if (!records.IsLookOn())
        return false;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.chair == records.GetChairNO() && s.state == CARD_STATE_HAND && s.card >= 0 && s.face_up)
            return true;
    }
    return false;
}

void CCardGameScene::OnPlayerStarted(int32_t chair)
{
    if (App().IsMatch() || m_chairs == nullptr || !m_chairs->IsValidChair(chair))
        return;
    const client::CClientRecords& records = App().Records();
    if (chair != records.GetChairNO()) {
        const std::string name = SeatMarkupName(chair, client::NameKind::Display);
        App().ShowSystemMessage(
            panel::FormatText("<c=%d> %s 已经开始\r\n", static_cast<int>(STARTED_COLOUR), name.c_str()));
    }
    if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
        board->ShowReady();
}

std::string CCardGameScene::RoundOpeningLine(bool& elimination) const
{
    const client::CClientRecords& records = App().Records();
    const client::CGameStateHolder* state = GetGameState();
    // The elimination stage's round, as the frame UI shows it.
    const int32_t elimination_round = records.Header().words29[0];
    elimination = App().IsMatch() && elimination_round >= 1;
    if (elimination)
        return panel::FormatText(" <c=%d><size=16>淘汰赛第%s轮\r\n", static_cast<int>(ELIMINATION_COLOUR),
                                 ChineseNumeral(elimination_round).c_str());
    const int32_t round = state != nullptr ? state->GetTableWord8() : 0;
    if (records.IsSilverRoom())
        return panel::FormatText("\r\n<size=12>【第%d局】基础银：<c=255>%d<>两\r\n", round,
                                 state != nullptr ? state->GetTableWord9() : 0);
    return panel::FormatText("\r\n<size=12>【第%d局】基础分：<c=255>%d<>分\r\n", round,
                             state != nullptr ? state->GetTableWord10() : 0);
}

void CCardGameScene::ShowRoundHeader()
{
    if (!App().IsReplayMode()) {
        bool elimination = false;
        std::string text = RoundOpeningLine(elimination);
        // Outside the elimination stage the table and round come first.
        if (!elimination) {
            const client::CGameStateHolder* state = GetGameState();
            text = panel::FormatText("\r\n<c=%d><size=16><第%d桌,第%d局>\r\n", static_cast<int>(HEADER_COLOUR),
                                     App().Records().GetTableNO(), state != nullptr ? state->GetTableWord8() : 0)
                + text;
        }
        App().ShowSystemMessage(text);
    }
    FinishRoundHeader();
}

void CCardGameScene::FinishRoundHeader()
{
    ResetTable();
    if (App().IsMatch())
        ShowMatchInfoBox();
    else
        ShowGameInfoBox();
    HideWaitingAnimation();
    OnRoundStart();
}

void CCardGameScene::OnPlayerOffline(int32_t user_id)
{
    const client::CClientRecords& records = App().Records();
    const int chair = records.GetUserChairNO(user_id);
    if (m_chairs == nullptr || !m_chairs->IsValidChair(chair))
        return;
    if (!records.IsLookOn() && chair == records.GetChairNO()) {
        if (auto* connection = TableRequests())
            (void)connection->SendGameRequest(GAMEDATA_REJOIN, {}, client::RequestWait::No);
        return;
    }
    const std::string name = records.GetMarkupName(records.FindUser(user_id), client::NameKind::User);
    App().ShowSystemMessage(
        panel::FormatText(" <z=qv系统通知> <c=%d>%s掉线了!\r\n", static_cast<int>(OFFLINE_COLOUR), name.c_str()));
    if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
        board->ShowOffline(true);
}

bool CCardGameScene::OnCardViewReply(std::span<const uint8_t> body)
{
    const auto words = client::LeadingWords<6>(client::GR_CARD_VIEW_CHANGED, body);
    if (!words)
        return false;
    const auto [owner, word1, word2, owner_chair, viewer, allowed] = *words;
    const client::CClientRecords& records = App().Records();
    const std::string owner_name = records.GetMarkupName(records.FindUser(owner), client::NameKind::User);
    const std::string viewer_name = records.GetMarkupName(records.FindUser(viewer), client::NameKind::User);
    App().ShowSystemMessage(panel::FormatText(" <c=%d>%s%s%s看牌 \r\n", static_cast<int>(CARD_VIEW_COLOUR),
                                              owner_name.c_str(), allowed != 0 ? "允许" : "禁止", viewer_name.c_str()));
    if (!records.IsLookOn() || owner_chair != records.GetChairNO() || viewer != records.GetUserID() || allowed != 0
        || !IsCardViewGranted())
        return true;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& s = m_sprites.At(i);
        if (s.chair != owner_chair || s.state != CARD_STATE_HAND || !s.face_up)
            continue;
        s.face_up = false;
        s.card = -1;
        m_sprites.Redraw(i);
    }
    return true;
}

void CCardGameScene::OnCardViewRequest(std::span<const uint8_t> body)
{
    const auto words = client::LeadingWords<1>(client::GR_ASK_LOOK_CARD, body);
    if (!words)
        return;
    const int32_t user_id = (*words)[0];
    const client::GameUserRecord* user = App().Records().FindUser(user_id);
    if (user == nullptr)
        return;
    ForgetLookOnQuestions(std::nullopt);
    auto& log = client::CRefusalLog::Instance();
    if (std::any_of(m_look_on_questions.begin(), m_look_on_questions.end(),
                    [&](const LookOnQuestion& question) { return question.asker == user_id; })) {
        log.Refuse(client::GR_ASK_LOOK_CARD, "player %d asks again before his question is answered", user_id);
        return;
    }
    if (m_look_on_questions.size() >= MAX_LOOK_ON_QUESTIONS) {
        log.Refuse(client::GR_ASK_LOOK_CARD, "player %d asks while %zu questions stand, at most %zu", user_id,
                   m_look_on_questions.size(), MAX_LOOK_ON_QUESTIONS);
        return;
    }
    auto* box = dynamic_cast<panel::CLookOnRequestBox*>(RegisterObject(std::make_unique<panel::CLookOnRequestBox>()));
    if (box == nullptr)
        return;
    m_look_on_questions.push_back({ user_id, box });
    std::string picture;
    panel::GetCharacterImagePath(App(), picture, user->statistics[2], panel::CHARACTER_IMAGE_SMALL);
    const auto asker = static_cast<uintptr_t>(static_cast<uint32_t>(user_id));
    engine::EngineEvent consent;
    engine::MakeEngineEvent(&consent, GetId(), GAMEMSG_CARD_VIEW_ANSWER, asker, 1);
    engine::EngineEvent refusal;
    engine::MakeEngineEvent(&refusal, GetId(), GAMEMSG_CARD_VIEW_ANSWER, asker, 0);
    box->Setup(client::CClientRecords::GetName(user, client::NameKind::User), picture, consent, refusal);
    box->SetDraggable(true);
    engine::PlaceAtDepth(*box, LOOK_ON_BOX_DEPTH);
    box->Invalidate();
    (void)LoadSound("SndHi", 1);
    if (auto* frame = App().Links().TableFrame())
        frame->PopupBox(box);
}

void CCardGameScene::ForgetLookOnQuestions(std::optional<int32_t> asker)
{
    std::erase_if(m_look_on_questions, [&](const LookOnQuestion& question) {
        return question.box == nullptr || question.asker == asker;
    });
}

size_t CCardGameScene::GetLookOnQuestionCount()
{
    ForgetLookOnQuestions(std::nullopt);
    return m_look_on_questions.size();
}

bool CCardGameScene::OnSetHandCards(std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    in.Skip(4);
    const int32_t chair = in.ReadI32();
    const int32_t count = in.ReadI32();
    const auto cards = ReadCards(in, count);
    if (RefuseIfShort(client::GR_HAND_CARDS, in) || RefuseCardCount(client::GR_HAND_CARDS, count))
        return false;
    if (m_chairs != nullptr && !m_chairs->IsValidChair(chair)) {
        client::CRefusalLog::Instance().RefuseChair(client::GR_HAND_CARDS, chair);
        return false;
    }
    if (!cards || m_hand == nullptr || m_chairs == nullptr)
        return true;
    std::array<int32_t, MAX_BODY_CARDS> record {};
    record.fill(-1);
    std::copy(cards->begin(), cards->end(), record.begin());
    (void)m_hand->SetChairCards(chair, std::span<const int32_t>(record.data(), cards->size()));
    (void)m_hand->RenumberHand(chair);
    const client::CClientRecords& records = App().Records();
    if (records.IsLookOn() && chair == records.GetChairNO())
        SetActive(GetButton(Button::AskCardView), false);
    return true;
}

void CCardGameScene::PlayThrowSound(int32_t type, int32_t count)
{
    const char* sound = "Snd_Throw";
    if (type == rules::CARD_TYPE_BOMB) {
        if (count < 4)
            return;
        sound = count == 4 ? "Snd_Bomb4" : count == 5 ? "Snd_Bomb5" : count == 6 ? "Snd_Bomb6" : "Snd_Bomb78";
    } else if (type == rules::CARD_TYPE_FOUR_JOKERS) {
        sound = "Snd_4King";
    }
    (void)LoadSound(sound, 1);
}

void CCardGameScene::ShowPassMark(int chair, int32_t type)
{
    if (type != PASS_TYPE)
        return;
    if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
        board->ShowPassMark("不出");
}

bool CCardGameScene::OnCardsThrown(std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    in.Skip(12);
    const int32_t chair = in.ReadI32();
    in.Skip(4);
    const int32_t next = in.ReadI32();
    in.Skip(4);
    const int32_t seconds = in.ReadI32();
    in.Skip(16);
    const int32_t type = in.ReadI32();
    const int32_t beat_mask = in.ReadI32();
    const int32_t strength = in.ReadI32();
    const int32_t count = in.ReadI32();
    auto cards = ReadCards(in, count);
    if (RefuseIfShort(client::GR_CARDS_THROWN, in) || RefuseCardCount(client::GR_CARDS_THROWN, count))
        return false;
    if (!cards || m_hand == nullptr || m_chairs == nullptr || !m_chairs->IsValidChair(chair)
        || !m_chairs->IsValidChair(next))
        return true;
    if (rules::IsSequenceType(type) && m_sort_type != 4 && m_sort_type != 6) {
        const int32_t level = m_hand->GetLevel();
        auto key = [level](int32_t card) { return rules::GetCardOrder(card, level) * 10 + rules::GetCardSuit(card); };
        for (size_t i = 0; i < cards->size(); ++i)
            for (size_t j = i + 1; j < cards->size(); ++j)
                if (key((*cards)[j]) > key((*cards)[i]))
                    std::swap((*cards)[i], (*cards)[j]);
    }
    m_last.chair = chair;
    m_last.play.type = type;
    m_last.play.beat_mask = beat_mask;
    m_last.play.strength = strength;
    m_last.play.count = count;
    std::fill(std::begin(m_last.play.cards), std::end(m_last.play.cards), -1);
    std::copy(cards->begin(), cards->end(), std::begin(m_last.play.cards));

    HidePlayButtons();
    PlayThrowSound(type, count);
    const int view = ChairToView(chair);
    for (size_t i = 0; i < cards->size(); ++i) {
        const int32_t card = (*cards)[i];
        if (card == -1)
            continue;
        const int index = m_hand->FindHandSprite(chair, card);
        if (index < 0)
            continue;
        CardSpriteState& s = m_sprites.At(index);
        s.card = card;
        s.view = view;
        s.chair = chair;
        s.row_count = count;
        s.row_index = static_cast<int32_t>(i);
        s.state = CARD_STATE_PLAYED;
        s.raised = false;
        m_sprites.Redraw(index);
        if (CCardSprite* sprite = GetSprite(index)) {
            const Point target = sprite->GetPlayedPosition();
            const double dx = target.x - sprite->GetX();
            const double dy = target.y - sprite->GetY();
            const double speed = std::max(1.0, std::sqrt(dx * dx + dy * dy) / MOVE_FRAMES);
            sprite->FlyTo(target, FRAME_RATE * static_cast<uint32_t>(i), speed);
        }
    }
    (void)m_hand->RenumberHand(chair);
    if (chair == App().Records().GetChairNO())
        m_hand->SortHand(m_sort_type);
    SetActiveChair(next, seconds);
    StartTurn();
    return true;
}

bool CCardGameScene::OnPlayerPassed(std::span<const uint8_t> body)
{
    const auto words = client::LeadingWords<9>(client::GR_PLAYER_PASSED, body);
    if (!words)
        return false;
    const int32_t chair = (*words)[2];
    const int32_t next = (*words)[4];
    if (m_chairs == nullptr || !m_chairs->IsValidChair(chair) || !m_chairs->IsValidChair(next))
        return true;
    (void)LoadSound("Snd_Pass", 1);
    HidePlayButtons();
    ShowPassMark(chair, PASS_TYPE);
    if ((*words)[5] != 0) {
        m_last = LastPlay {};
        RetirePlayedCards(-1);
    }
    SetActiveChair(next, (*words)[8]);
    StartTurn();
    return true;
}

bool CCardGameScene::OnTableEvent221165(std::span<const uint8_t> body)
{
    const auto words = client::LeadingWords<2>(client::GR_ID_221165, body);
    if (!words)
        return false;
    const int32_t chair = (*words)[1];
    if (m_chairs == nullptr)
        return true;
    if (!m_chairs->IsValidChair(chair)) {
        client::CRefusalLog::Instance().RefuseChair(client::GR_ID_221165, chair);
        return false;
    }
    const client::CGameStateHolder* state = GetGameState();
    SetActiveChair(PrevChair(chair), state != nullptr ? state->GetTableWord16() : -1);
    return true;
}

void CCardGameScene::OnTurnBegin(std::span<const uint8_t> body)
{
    (void)body;
    const int chair = GetActiveChair();
    if (m_chairs == nullptr || !m_chairs->IsValidChair(chair))
        return;
    const client::CGameStateHolder* state = GetGameState();
    SetActiveChair(chair, state != nullptr ? state->GetTableWord16() : -1);
    StartTurn();
}

void CCardGameScene::ResetTable()
{
    m_chair_count = std::min(App().GetChairCount(), MAX_VIEWS);
    m_drag_start = -1;
    m_last_select = 0;
    m_auto_play = false;
    m_auto_play_off_time = 0;
    m_auto_play_switched_off = false;
    m_hint_play.Clear();
    m_second_play.Clear();
    for (int i = 0; i < m_sprites.Count(); ++i) {
        if (CCardSprite* sprite = GetSprite(i))
            sprite->Reset();
        m_sprites.At(i).row_index = i;
        m_sprites.Redraw(i);
    }
    for (int chair = 0; chair < m_chair_count; ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
            board->ResetRound();
    m_chair_seconds.fill(0);
    if (m_clock_action != 0)
        MarkGroupEntries(m_clock_action);
    m_clock_action = 0;
}

void CCardGameScene::StartClock()
{
    if (m_table_closed)
        return;
    if (m_clock_action != 0)
        MarkGroupEntries(m_clock_action);
    engine::EngineEvent tick;
    engine::MakeEngineEvent(&tick, GetId(), GAMEMSG_CLOCK_TICK, 0, 0);
    m_clock_action = AddRepeatEventAction(CLOCK_PERIOD_MS, -1, &tick);
    SetActive(m_clock, true);
    SetAutoPlay(false);
    if (CSeatBoard* own = GetSeatBoard(0))
        own->ShowAutoPlay(false);
}

void CCardGameScene::StopClock()
{
    if (m_clock_action != 0)
        MarkGroupEntries(m_clock_action);
    m_clock_action = 0;
    SetActive(m_clock, false);
    SetAutoPlay(false);
    if (CSeatBoard* own = GetSeatBoard(0))
        own->ShowAutoPlay(false);
}

void CCardGameScene::OnTableClosed()
{
    m_table_closed = true;
    StopClock();
    HidePlayButtons();
    HidePassPrompt();
}

void CCardGameScene::SetActiveChair(int chair, int32_t seconds)
{
    if (m_chairs == nullptr || !m_chairs->IsValidChair(chair))
        return;
    if (m_clock != nullptr && seconds >= 0)
        m_clock->SetValue(seconds);
    client::CGameStateHolder* state = GetGameState();
    const bool in_order = state != nullptr && (state->GetTableWord15() & TURN_ORDER_FLAG) != 0;
    if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)); board != nullptr && m_clock != nullptr) {
        const Point place = board->GetAnchorPoint(in_order ? (GetLastCardPlay().IsLeading() ? 1 : 0) : 2);
        m_clock->MoveTo(place.x, place.y);
        m_clock->Invalidate();
    }
    if (in_order) {
        int step = GetActiveChair();
        // Bounded by the chair count: the previous active chair may be stale.
        for (int n = 0; n < m_chair_count && m_chairs->IsValidChair(step) && step != chair; ++n) {
            step = PrevChair(step);
            RetirePlayedCards(step);
        }
    }
    if (chair < MAX_VIEWS)
        m_chair_seconds[static_cast<size_t>(chair)] = seconds;
    if (state != nullptr)
        state->SetTableWord14(chair);
    for (int c = 0; c < m_chair_count; ++c)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(c)))
            board->SetHighlight(c == chair);
}

void CCardGameScene::StartTurn()
{
    const client::CClientRecords& records = App().Records();
    if (App().IsReplayMode() || records.IsLookOn() || GetActiveChair() != records.GetChairNO() || m_hand == nullptr)
        return;
    (void)net::FlashMainWindow();
    // A prompt from an earlier turn says nothing about this one.
    HidePassPrompt();
    const LastPlay last = GetLastCardPlay();
    const bool leading = last.IsLeading();
    engine::CGuiButton* throw_button = GetButton(Button::Throw);
    SetActive(throw_button, true);
    SetEnabled(throw_button, false);
    SetActive(GetButton(Button::Pass), !leading);
    SetActive(GetButton(Button::Hint), !leading);
    if (CheckCardGameSelection(*m_hand, last).throw_enabled)
        SetEnabled(throw_button, true);
    if (leading) {
        RetirePlayedCards(-1);
        SetEnabled(GetButton(Button::Pass), false);
        SetEnabled(GetButton(Button::Hint), false);
        return;
    }
    std::array<int32_t, MAX_BODY_CARDS> hand {};
    const int n = m_hand->GetHandCards(hand);
    if (n > 0) {
        std::array<int32_t, MAX_BODY_CARDS> out {};
        rules::CardPlay found;
        const bool beats = ClassifyCards(std::span<const int32_t>(hand.data(), static_cast<size_t>(n)), out,
                                         last.play, found, HINT_RULE_MASK, 1)
            != 0;
        if (!beats) {
            const bool big_joker = last.play.type == rules::CARD_TYPE_SINGLE
                && rules::GetCardValue(last.play.cards[0]) == BIG_JOKER_VALUE;
            if (n <= 3 && (n < last.play.count || big_joker)) {
                engine::EngineEvent pass;
                engine::MakeEngineEvent(&pass, GetId(), GAMEMSG_AUTO_PASS, 0, 0);
                (void)AddWaitTimeAction(AUTO_PASS_DELAY_MS, &pass);
            } else {
                PlayStartEffect();
            }
        }
    }
    m_hint_play.Clear();
    m_second_play.Clear();
    SetEnabled(GetButton(Button::Pass), true);
    SetEnabled(GetButton(Button::Hint), true);
}

} // namespace scene
