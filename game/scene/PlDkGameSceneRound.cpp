// This game's round on the table: a player ready, the round start, hands,
// plays and passes with their sounds, the points on the table and those
// won, and the round's end.
//
// Every record here is the server's: chairs are checked against the four
// seats, card counts clamped to 0..64 and to what the body holds, and words
// are read only where the body reaches (a missing word reads as 0).
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "client/CCardGameConnection.h"
#include "client/CCardGameNotifyHandler.h"
#include "client/CRefusalLog.h"
#include "client/CGameStateHolder.h"
#include "client/CPlDkApp.h"
#include "client/CPlDkGameState.h"
#include "client/CPlDkNotifyHandler.h"
#include "client/TextFunctions.h"
#include "client/panel/PanelText.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/CardRules.h"
#include "game/rules/RecordHeader.h"
#include "game/scene/CardCounter.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkHandOperations.h"
#include "game/scene/PlDkPlayFinder.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SceneText.h"
#include "net/NetUtil.h"
#include "platform/ByteReader.h"

namespace scene {
namespace {

using detail::SetActive;

constexpr int32_t SCORE_STEP_MS = 30;
constexpr uint32_t OWN_COLOUR = 255;
constexpr uint32_t OTHER_COLOUR = 0x232323;
constexpr size_t NAME_COLUMN = 21;
constexpr double BOMB_FLIGHT_FRAMES = 8.0;
constexpr int SCORE_NOTICE_CHAIRS = 8; ///< points, then bombs, of eight chairs

/// count card ids from `in`, the count clamped to 0..64.
std::vector<int32_t> ReadCards(platform::CByteReader& in, int32_t count)
{
    return *detail::ReadCards(in, std::clamp(count, 0, detail::MAX_BODY_CARDS));
}

bool IsBombType(int32_t type) { return type == rules::CARD_TYPE_BOMB || type == rules::CARD_TYPE_FOUR_JOKERS; }

/// a + b as the 32-bit sum wraps: the server's points may be any word.
int32_t WrappedSum(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

} // namespace

void CPlDkGameScene::OnPlayerStarted(int32_t chair)
{
    if (IsChair(chair))
        CCardGameScene::OnPlayerStarted(chair);
}

void CPlDkGameScene::OnRoundStart()
{
    if (!IsLookOn()) {
        if (client::CPlDkApp* app = PlDkApp())
            app->ShowMainWindow();
        (void)net::FlashMainWindow();
    }
    for (int view = 0; view < SEATS; ++view)
        if (CPlDkSeatBoard* board = GetPlDkSeatBoard(view))
            board->HidePortrait();
    // No one here presses the last round's continue: a watcher's table, or a
    // replay played from its first record (opened, restarted or sought back).
    if ((IsLookOn() || App().IsReplayMode()) && m_result_box != nullptr && m_result_box->IsActive())
        SetActive(m_result_box, false);
    m_timeout_count = 0;
    SetActive(m_slogan, false);
    // A round the server started without the press takes the start button away.
    SetActive(GetButton(Button::Start), false);
    StopCountdown();

    if (!App().IsReplayMode()) {
        bool elimination = false;
        Chat(RoundOpeningLine(elimination));
    }

    ResetTable();
    if (App().IsMatch())
        ShowMatchInfoBox();
    else
        ShowGameInfoBox();
    HideWaitingAnimation();
    SetActive(m_change_button, false);
    StartDeal();
    RefreshRanking();
}

void CPlDkGameScene::RefreshRanking()
{
    if (!App().GetAdvertAddress().empty())
        App().ShowAdvertBar();
}

bool CPlDkGameScene::RefuseUnlessChair(uint32_t id, int32_t chair) const
{
    if (IsChair(chair))
        return false;
    client::CRefusalLog::Instance().RefuseChair(id, chair);
    return true;
}

bool CPlDkGameScene::OnSetHandCards(std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    in.Skip(4);
    const int32_t chair = in.ReadI32();
    const int32_t count = in.ReadI32();
    const std::vector<int32_t> cards = ReadCards(in, count);
    if (client::RefuseIfShort(client::GR_HAND_CARDS, in) || detail::RefuseCardCount(client::GR_HAND_CARDS, count))
        return false;
    if (RefuseUnlessChair(client::GR_HAND_CARDS, chair))
        return false;
    if (m_hand == nullptr)
        return true;
    (void)m_hand->SetChairCards(chair, cards);
    (void)m_hand->RenumberHand(chair);
    if (IsLookOn() && chair == OwnChair())
        SetActive(GetButton(Button::AskCardView), false);
    RelayCards(chair);
    return true;
}

bool CPlDkGameScene::OnCardsThrown(std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    in.Skip(12);
    const int32_t chair = in.ReadI32();
    const int32_t next = in.ReadI32();
    in.Skip(4);
    const int32_t place = in.ReadI32();
    const int32_t seconds = in.ReadI32();
    const int32_t points_added = in.ReadI32();
    const int32_t table_points = in.ReadI32();
    in.Skip(8);
    rules::CardPlay play;
    play.type = in.ReadI32();
    play.beat_mask = in.ReadI32();
    play.strength = in.ReadI32();
    std::vector<int32_t> cards = ReadCards(in, in.ReadI32());
    play.count = static_cast<int32_t>(cards.size());
    if (client::RefuseIfShort(client::GR_CARDS_THROWN, in))
        return false;
    if (RefuseUnlessChair(client::GR_CARDS_THROWN, chair))
        return false;
    if (m_hand == nullptr)
        return true;

    // The table moves on: a showing of the last plays ends first.
    HideLastThrow();
    m_pass_counts[static_cast<size_t>(chair)] = 0;
    client::CPlDkGameState* state = GetPlDkGameState();
    if (state != nullptr)
        state->GetTableData().new_trick = 0;

    if (IsBombType(play.type) || play.type == rules::CARD_TYPE_TRIPLE || play.type == rules::CARD_TYPE_PAIR) {
        const int32_t level = m_hand->GetLevel();
        std::stable_sort(cards.begin(), cards.end(), [level](int32_t a, int32_t b) {
            return rules::GetCardOrder(a, level) * 10 + rules::GetCardSuit(a)
                > rules::GetCardOrder(b, level) * 10 + rules::GetCardSuit(b);
        });
    }
    int32_t& hand_points = m_hand_points[static_cast<size_t>(chair)];
    for (const int32_t card : cards) {
        const int32_t value = card >= 0 ? rules::GetCardValue(card) : -1;
        if (value == VALUE_FIVE)
            hand_points = WrappedSum(hand_points, -POINTS_FIVE);
        else if (value == VALUE_TEN || value == VALUE_KING)
            hand_points = WrappedSum(hand_points, -POINTS_TEN_OR_KING);
    }
    std::fill(std::begin(play.cards), std::end(play.cards), -1);
    std::copy(cards.begin(), cards.end(), std::begin(play.cards));
    SetLastPlay(chair, play);

    HidePlayButtons();
    PlayThrowSound(play.type, play.count);

    const int view = ChairToView(chair);
    const bool bomb = IsBombType(play.type);
    for (size_t i = 0; i < cards.size(); ++i) {
        const int32_t card = cards[i];
        if (card == -1)
            continue;
        const int index = m_hand->FindHandSprite(chair, card);
        if (index < 0)
            continue;
        CardSpriteState& s = m_sprites.At(index);
        s.card = card;
        s.face_up = true;
        s.view = view;
        s.chair = chair;
        s.row_index = static_cast<int32_t>(i);
        s.row_count = play.count;
        s.state = CARD_STATE_PLAYED;
        s.raised = false;
        CCardSprite* sprite = GetSprite(index);
        if (sprite != nullptr)
            sprite->m_spare_flag = bomb;
        // A bomb's cards fly from the hand to the table: the flight starts
        // before the redraw, which would put them there at once.
        s.moving = bomb && sprite != nullptr;
        m_sprites.Redraw(index);
        if (s.moving) {
            const Point target = sprite->GetPlayedPosition();
            const double dx = target.x - sprite->GetX();
            const double dy = target.y - sprite->GetY();
            sprite->FlyTo(target, 0, std::max(1.0, std::sqrt(dx * dx + dy * dy) / BOMB_FLIGHT_FRAMES));
        }
    }

    if (place != 0) {
        m_game_over = true;
        for (int c = 0; c < SEATS; ++c)
            (void)m_hand->RenumberHand(c);
        if (CPlDkSeatBoard* board = GetChairBoard(chair))
            board->ShowPlacing(place);
    }
    SetTableScore(table_points);
    if (points_added != 0)
        if (CPlDkSeatBoard* board = GetChairBoard(chair))
            board->AddScore(points_added);

    (void)m_hand->RenumberHand(chair);
    if (chair == OwnChair()) {
        SortHand(m_sort_type);
    } else if (m_card_counter != nullptr) {
        for (const int32_t card : cards) {
            m_card_counter->RemoveCard(card);
            (void)m_card_counter->AddSeatCard(chair, card);
        }
        (void)m_card_counter->DrawSeatBoard(chair);
    }

    if (place != 0 && next == chair) {
        // The round's last play: the turn comes back to the player who has
        // just gone out only when nobody is left to play. No turn starts
        // (no play buttons for an empty hand, no clock at a finished seat)
        // while the table waits for the result.
        StopClock();
    } else {
        SetActiveChair(next, seconds);
        StartTurn();
    }
    UpdateArrangeButtons();
    RelayCards(chair);
    return true;
}

void CPlDkGameScene::SetLastPlay(int chair, const rules::CardPlay& play)
{
    m_last.chair = chair;
    m_last.play = play;
    if (client::CPlDkGameState* state = GetPlDkGameState()) {
        state->GetTableData().last_play_chair = chair;
        state->GetTableData().last_play = play;
    }
}

bool CPlDkGameScene::OnPlayerPassed(std::span<const uint8_t> body)
{
    const auto words = client::LeadingWords<9>(client::GR_PLAYER_PASSED, body);
    if (!words)
        return false;
    const auto [word0, word1, chair, word3, next, trick_over, winner, points, seconds] = *words;
    if (RefuseUnlessChair(client::GR_PLAYER_PASSED, chair))
        return false;

    HideLastThrow();
    ++m_pass_counts[static_cast<size_t>(chair)];
    const client::CPlDkApp* app = PlDkApp();
    if (app == nullptr || app->GetRejectPassSound() == 0)
        (void)LoadSound("Snd_Pass", 1);
    HidePlayButtons();
    ShowPassMark(chair, PLAY_TYPE_PASS);
    if (trick_over != 0) {
        m_new_lead = true;
        SetLastPlay(-1, rules::CardPlay {});
        RetirePlayedCards(-1);
        if (points != 0) {
            SetTableScore(0);
            if (CPlDkSeatBoard* board = GetChairBoard(winner))
                board->AddScore(points);
        }
    }
    SetActiveChair(next, seconds);
    StartTurn();
    UpdateArrangeButtons();
    return true;
}

void CPlDkGameScene::PlayThrowSound(int32_t type, int32_t count)
{
    // A 510K sounds as a bomb of four; every other play as on the card table.
    if (type == rules::CARD_TYPE_510K || type == rules::CARD_TYPE_510K_SUITED)
        (void)LoadSound("Snd_Bomb4", 1);
    else
        CCardGameScene::PlayThrowSound(type, count);
}

void CPlDkGameScene::SetTableScore(int32_t points)
{
    if (client::CPlDkGameState* state = GetPlDkGameState())
        state->GetTableData().trick_points = points;
    UpdateScorePanel(points);
}

void CPlDkGameScene::UpdateScorePanel(int32_t points)
{
    if (m_score_panel == nullptr)
        return;
    m_score_panel->StopCounting();
    if (points < 1) {
        m_score_panel->SetValue(0);
        SetActive(m_score_panel, false);
        return;
    }
    (void)m_score_panel->CountTo(points, points / 10 + 1, SCORE_STEP_MS, nullptr);
    SetActive(m_score_panel, true);
}

void CPlDkGameScene::AwardScore(int chair, int32_t points)
{
    if (points > 0 && IsChair(chair)) {
        (void)LoadSound("Snd_WinScore", 1);
        if (client::CPlDkGameState* state = GetPlDkGameState())
            state->GetTableData().points_won[chair] = WrappedSum(state->GetTableData().points_won[chair], points);
        if (CPlDkSeatBoard* board = GetChairBoard(chair))
            board->AddScore(points);
    }
    if (m_score_panel != nullptr) {
        m_score_panel->StopCounting();
        m_score_panel->SetValue(0);
        SetActive(m_score_panel, false);
    }
}

bool CPlDkGameScene::OnScoreNotify(std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    const int32_t chair = in.ReadI32();
    std::array<int32_t, SCORE_NOTICE_CHAIRS> chair_points {};
    std::array<int32_t, SCORE_NOTICE_CHAIRS> chair_bombs {};
    for (int32_t& value : chair_points)
        value = in.ReadI32();
    for (int32_t& value : chair_bombs)
        value = in.ReadI32();
    const int32_t kind = in.ReadI32();
    if (client::RefuseIfShort(client::GR_SCORE_NOTIFY, in))
        return false;
    auto points = [&](int c) { return c >= 0 && c < SCORE_NOTICE_CHAIRS ? chair_points[static_cast<size_t>(c)] : 0; };
    auto bombs = [&](int c) { return c >= 0 && c < SCORE_NOTICE_CHAIRS ? chair_bombs[static_cast<size_t>(c)] : 0; };
    switch (kind) {
    case 1:
        if (IsChair(chair))
            AwardScore(chair, points(chair));
        break;
    case 2:
        (void)LoadSound("Snd_Cai", 1);
        for (int c = 0; c < SEATS; ++c)
            if (CPlDkSeatBoard* board = GetChairBoard(c)) {
                if (engine::CGuiDigitText* score = board->GetScore()) {
                    score->StopCounting();
                    score->SetValue(points(c));
                    board->LayoutScore();
                }
                board->ShowBombCount(bombs(c));
            }
        break;
    case 3:
        if (CPlDkSeatBoard* board = GetChairBoard(chair)) {
            board->ShowBombCount(bombs(chair));
            (void)LoadSound("Snd_Cai", 1);
        }
        break;
    default:
        break;
    }
    return true;
}

void CPlDkGameScene::OnBtnPass()
{
    const engine::CGuiButton* pass_button = GetButton(Button::Pass);
    if (IsLookOn() || pass_button == nullptr || !pass_button->IsActive() || !pass_button->IsVisible())
        return;
    HidePlayButtons();
    LowerAllCards();
    if (TableRequests() == nullptr)
        return;
    // A pass the server did not take gives the turn back; a taken one waits
    // for the table's pass event.
    if (SendPass(OwnChair(), 0) != client::GR_OK)
        StartTurn();
}

void CPlDkGameScene::OnBtnStart()
{
    CCardGameScene::OnBtnStart();
    SetActive(m_slogan, false);
}

void CPlDkGameScene::OnResultClose()
{
    SetActive(m_result_box, false);
    if (App().IsPlaying())
        return;
    // A replay starts no round: no start button, no slogan.
    if (App().IsReplayMode())
        return;
    // The table waits for the next start: the last plays leave the centre,
    // where the start button and the slogan come up; the cards left stay
    // shown in the hands.
    for (int i = 0; i < m_sprites.Count(); ++i)
        if (CardSpriteState& s = m_sprites.At(i); s.state == CARD_STATE_PLAYED) {
            s.state = CARD_STATE_CLEARED;
            m_sprites.Redraw(i);
        }
    if (!App().IsMatch() && !IsLookOn())
        ShowStartButton();
    if (!IsLookOn())
        SetActive(m_slogan, true);
}

void CPlDkGameScene::OnPlayerLeft(const client::GameUserRecord& user)
{
    const int chair = user.chair;
    if (!IsChair(chair))
        return;
    if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
        board->ClearPlayer();
    if (client::CGameStateHolder* state = GetGameState())
        state->UnflagSeat(chair);
    for (int c = 0; c < SEATS; ++c)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(c)); board != nullptr && board->GetChair() >= 0)
            RelayCards(c);
}

void CPlDkGameScene::OnRoundEnd()
{
    if (client::CPlDkApp* app = PlDkApp())
        app->SetSortType(m_sort_type);
    if (!IsLookOn())
        (void)net::FlashMainWindow();
    StopClock();
    HidePlayButtons();
    ShowSortButtons(false);

    Chat("\r\n");
    Chat(panel::FormatText(" <c=%d><size=14>===本局结束===\r\n", 0));
    if (m_score_panel != nullptr) {
        m_score_panel->StopCounting();
        m_score_panel->SetValue(0);
        SetActive(m_score_panel, false);
    }

    const client::CPlDkGameState* state = GetPlDkGameState();
    const client::CClientRecords& records = App().Records();
    for (int chair = 0; chair < m_chair_count && chair < SEATS; ++chair) {
        if (state != nullptr && m_hand != nullptr) {
            const rules::PlDkGameWinResult& result = state->GetResultBlock();
            const auto& left = result.cards_left[static_cast<size_t>(chair)];
            std::vector<int32_t> cards;
            for (const int32_t card : left)
                if (card >= 0 && card < CPlDkCardSprite::DECK_CARDS)
                    cards.push_back(card);
            (void)m_hand->SetChairCards(chair, cards);
            (void)m_hand->RenumberHand(chair);
        }
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)))
            board->ResetRound();
        const uint32_t colour = chair == OwnChair() ? OWN_COLOUR : OTHER_COLOUR;
        const std::string name = records.GetName(records.Seat(chair), client::NameKind::User);
        std::string line = panel::FormatText(" <c=%d>[%s]", static_cast<int>(colour), SeatMarkupName(chair).c_str());
        // The points of every row start in one column: a bracketed name of
        // at most 20 bytes is padded to 21.
        if (name.size() + 2 <= NAME_COLUMN - 1)
            line.append(NAME_COLUMN - (name.size() + 2), ' ');
        const int32_t points = state != nullptr ? state->GetResultBlock().settle_score[chair] : 0;
        line += panel::FormatText(points >= 0 ? "<c=%d>+%d分\r\n" : "<c=%d>%d分\r\n", static_cast<int>(colour),
                                  points);
        Chat(line);
        RelayCards(chair);
    }
    Chat("\r\n");
    (void)LoadSound("Snd_GameWin", 1);
    ShowResultBox();

    if (m_result_box != nullptr) {
        const engine::EngineRect area = GetArea();
        m_result_box->MoveTo(area.left + area.Width() / 2, area.top + area.Height() / 2);
        SetActive(m_result_box, true);
    }
    RefreshRanking();

    if (!IsLookOn() && !App().IsReplayMode() && App().IsMatch()) {
        if (auto* frame = App().Links().TableFrame())
            frame->HideMatchWaitAnimations();
        // The round header's pause between rounds (seconds, 3 by the rules).
        const int32_t delay =
            state != nullptr ? std::clamp(state->GetTableData().head[rules::HDR_CONST_3], 0, 3600) : 0;
        engine::EngineEvent over;
        engine::MakeEngineEvent(&over, GetId(), GAMEMSG_ROUND_OVER, 0, 0);
        (void)AddWaitTimeAction(static_cast<uint32_t>(delay) * 1000U, &over);
    }
}

} // namespace scene
