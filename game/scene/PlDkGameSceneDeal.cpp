// This game's table at the start of a round: the deal card by card, the
// turned-up card that decides the partners and the seat swap after it, the
// start of play, the rebuilding of a running game for a late entrant, the
// info boxes, the sort buttons' states, the whole-hand selection and the
// quick-talk panel's redraw.
#include <algorithm>
#include <array>
#include <vector>

#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "client/CPlDkApp.h"
#include "client/TextFunctions.h"
#include "client/panel/PanelText.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/EngineEvent.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/CardRules.h"
#include "game/scene/CardCounter.h"
#include "game/scene/ChairMath.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkHandOperations.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SceneText.h"

namespace scene {
namespace {

using detail::SetActive;

constexpr uint32_t NAME_COLOUR = 0x3278DC;
constexpr uint32_t CARD_COLOUR = 0xAA321E;
constexpr uint32_t PARTNER_STEP_WAIT = 1000;
constexpr int32_t STATUS_RUNNING = 0x1;
constexpr int32_t STATUS_JUDGING = 0x10;
constexpr int32_t STATUS_IN_ORDER = 0x100;
constexpr int32_t STATUS_PLAYING = 0x101;
/// Room option bit 0: the partner's hand is dealt face up.
constexpr int32_t ROOM_OPTION_OPEN_HAND = 0x1;
/// Seat flags of the table data that mean a chair plays automatically.
constexpr int32_t CHAIR_AUTO_FLAGS = 0x20 | 0x08;
constexpr const char* INFO_BOX_IMAGE = "游戏信息框";
constexpr const char* INFO_DIGITS = "digit_basescore";
constexpr uint32_t INFO_DIGIT_FLAGS = 18;
constexpr const char* TALK_PANEL_IMAGE = "voicebg";
constexpr const char* TALK_ROW_IMAGE = "word";
constexpr uint32_t FOLLOW_ALL = 0x1BC0EB;

bool IsCardId(int32_t card) { return card >= 0 && card < CPlDkGameScene::HAND_SPRITES; }

/// A card id as the table shows it: -1 for anything outside the two decks.
int32_t CardOrNone(int32_t card) { return IsCardId(card) ? card : -1; }

} // namespace

int32_t CPlDkGameScene::DealRounds(const rules::TableGameData& data)
{
    return std::clamp<int32_t>(data.reserved_80, 0, DEAL_MAX_ROUNDS);
}

void CPlDkGameScene::ApplySeatSwap(const rules::TableGameData& data)
{
    CPlDkChairMath* chairs = PlDkChairs();
    if (chairs == nullptr)
        return;
    const int turned = IsChair(data.head[13]) ? data.head[13] : -1;
    const int other = IsChair(data.head_partner) ? data.head_partner : -1;
    chairs->SetSwap(turned, other);
}

void CPlDkGameScene::UndoSeatSwap()
{
    CPlDkChairMath* chairs = PlDkChairs();
    if (chairs == nullptr || (chairs->GetTurnedHolder() < 0 && chairs->GetOtherHolder() < 0))
        return;
    chairs->SetSwap(-1, -1);
    PlaceSeatBoardsByChair();
}

int CPlDkGameScene::DealtPartner(const rules::TableGameData& data) const
{
    // The seats swap only at the partner step, but the partner's hand is
    // the one of this round's turned card: two steps back under its swap.
    CPlDkChairMath chairs(OwnChair());
    chairs.SetSwap(IsChair(data.head[13]) ? data.head[13] : -1, IsChair(data.head_partner) ? data.head_partner : -1);
    return chairs.PrevChair(chairs.PrevChair(OwnChair()));
}

void CPlDkGameScene::PlaceSeatBoardsByChair()
{
    // Boards keep their chair (and its marks and scores) and move to the
    // chair's view; a board without a player takes a view left over.
    std::array<CSeatBoard*, MAX_VIEWS> placed {};
    std::vector<CSeatBoard*> spare;
    for (int view = 0; view < SEATS; ++view) {
        CSeatBoard* board = GetSeatBoard(view);
        if (board == nullptr)
            continue;
        const int to = IsChair(board->GetChair()) ? ChairToView(board->GetChair()) : -1;
        if (to >= 0 && to < SEATS && placed[static_cast<size_t>(to)] == nullptr)
            placed[static_cast<size_t>(to)] = board;
        else
            spare.push_back(board);
    }
    size_t next_spare = 0;
    for (int view = 0; view < SEATS && next_spare < spare.size(); ++view)
        if (placed[static_cast<size_t>(view)] == nullptr)
            placed[static_cast<size_t>(view)] = spare[next_spare++];
    for (int view = 0; view < SEATS; ++view) {
        CSeatBoard* board = placed[static_cast<size_t>(view)];
        m_seat_boards[static_cast<size_t>(view)] = board;
        if (board == nullptr)
            continue;
        board->SetView(view);
        board->PlaceBoard();
        board->Draw();
    }
}

void CPlDkGameScene::ChatTurnedCard(const rules::TableGameData& data)
{
    const int holder = data.head[13];
    if (IsChair(holder) && IsCardId(data.head_turned_card))
        Chat(panel::FormatText(" <c=%d>%s<c=0>抓到翻牌<c=%d>%s\r\n", static_cast<int>(NAME_COLOUR),
                               SeatMarkupName(holder).c_str(), static_cast<int>(CARD_COLOUR),
                               GetCardName(data.head_turned_card).c_str()));
}

void CPlDkGameScene::ShowTurnedCard(const rules::TableGameData& data)
{
    const int holder = data.head[13];
    if (m_turned_card == nullptr || data.head_turned_position == -1 || !IsCardId(data.head_turned_card)
        || !IsChair(holder))
        return;
    CardSpriteState& s = m_turned_card->Record();
    s.card = data.head_turned_card;
    s.face_up = true;
    s.chair = holder;
    s.view = ChairToView(holder);
    s.row_index = 0;
    s.row_count = 1;
    s.state = CARD_STATE_PLAYED;
    m_turned_card->m_spare_flag = true;  // the turned mark
    m_turned_card->SetMainGameRect(GetArea());
    m_turned_card->LoadBackImages();
    m_turned_card->Activate();
    m_turned_card->UpdateImage();
}

// --- The deal

void CPlDkGameScene::StartDeal()
{
    client::CGameStateHolder* state = GetGameState();
    if (state == nullptr)
        return;
    const rules::TableGameData& data = state->GetTableData();
    const int32_t rounds = DealRounds(data);
    engine::EngineEvent partner_step;
    engine::MakeEngineEvent(&partner_step, GetId(), GAMEMSG_PARTNER_STEP, 0, 0);
    if (m_deal_action != 0)
        MarkGroupEntries(m_deal_action);
    m_deal_action = 0;
    // A round is dealt to the seats as they sit without a swap: the
    // previous round's swap ends here, and this round's comes at its
    // partner step, where the chat tells it against this seating.
    UndoSeatSwap();

    if (App().IsReplayMode()) {
        // The whole deal at once.
        const int own = OwnChair();
        int next = 0;
        for (int32_t round = 0; round < rounds; ++round) {
            for (int chair = 0; chair < SEATS && next < m_sprites.Count(); ++chair) {
                CardSpriteState& s = m_sprites.At(next);
                s.chair = chair;
                s.view = ChairToView(chair);
                s.state = CARD_STATE_HAND;
                s.row_index = round;
                const bool shown = chair == own && !IsLookOn();
                s.card = shown ? CardOrNone(data.card_slots[round]) : -1;
                s.face_up = s.card >= 0;
                m_sprites.Redraw(next++);
                if (m_hand != nullptr)
                    (void)m_hand->RenumberHand(chair);
            }
        }
        SortHand(m_sort_type);
        // The chat tells who turned the card up, as the live deal does.
        ChatTurnedCard(data);
        // Every seat shows its card count, as after a live deal.
        for (int chair = 0; chair < SEATS; ++chair)
            RelayCards(chair);
        (void)AddWaitFramesAction(this, PARTNER_STEP_WAIT, &partner_step);
        return;
    }

    for (int chair = 0; chair < SEATS; ++chair)
        m_hand_points[static_cast<size_t>(chair)] = data.reserved_372[chair];
    if (data.head_turned_position != -1 && IsCardId(data.head_turned_card)) {
        CardSpriteState& s = m_sprites.At(TURNED_DEAL_INDEX);
        s.card = data.head_turned_card;
        s.face_up = true;
        m_sprites.Redraw(TURNED_DEAL_INDEX);
    }
    SetActive(m_turned_card, true);
    m_deal_count = 0;
    if (rounds == 0) {
        // Nothing to deal: on to the partner step, so the round goes on.
        m_dealing = false;
        (void)AddWaitFramesAction(this, PARTNER_STEP_WAIT, &partner_step);
        return;
    }
    m_dealing = true;
    engine::EngineEvent tick;
    engine::MakeEngineEvent(&tick, GetId(), GAMEMSG_DEAL_TICK, 0, 0);
    m_deal_action = AddRepeatEventAction(DEAL_TICK_MS, SEATS * rounds, &tick);
}

void CPlDkGameScene::OnDealTick()
{
    const client::CGameStateHolder* state = GetGameState();
    if (state == nullptr || !m_dealing)
        return;
    const rules::TableGameData& data = state->GetTableData();
    const int total = std::min(SEATS * DealRounds(data), m_sprites.Count());
    const int k = m_deal_count;
    if (k < 0 || k >= total) {
        m_dealing = false;
        return;
    }
    if (k % SEATS == 0)
        (void)LoadSound("Snd_DealCard", 1);
    const int chair = k % SEATS;
    CardSpriteState& s = m_sprites.At(k);
    s.chair = chair;
    s.view = ChairToView(chair);
    s.state = CARD_STATE_HAND;
    s.row_index = k;
    if (k == TURNED_DEAL_INDEX) {
        ShowTurnedCard(data);
        ChatTurnedCard(data);
    }
    // k / SEATS stays below DEAL_MAX_ROUNDS, inside the 32 words of a hand.
    const int word = k / SEATS;
    const bool open_hand = (App().Records().GetRoomOptions() & ROOM_OPTION_OPEN_HAND) != 0;
    s.card = -1;
    if (chair == OwnChair() && !IsLookOn())
        s.card = CardOrNone(data.card_slots[word]);
    else if (open_hand && chair == DealtPartner(data))
        s.card = CardOrNone(data.reserved_212[word]);
    s.face_up = s.card >= 0;
    m_sprites.Redraw(k);
    LayDealtCard(chair);
    SortHand(m_sort_type);

    m_deal_count = k + 1;
    if (m_deal_count >= total) {
        m_dealing = false;
        m_deal_action = 0;
        engine::EngineEvent partner_step;
        engine::MakeEngineEvent(&partner_step, GetId(), GAMEMSG_PARTNER_STEP, 0, 0);
        (void)AddWaitFramesAction(this, PARTNER_STEP_WAIT, &partner_step);
    }
}

void CPlDkGameScene::LayDealtCard(int chair)
{
    if (!IsChair(chair))
        return;
    std::vector<int> dealt;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.chair == chair && s.state == CARD_STATE_HAND)
            dealt.push_back(i);
    }
    const auto n = static_cast<int32_t>(dealt.size());
    for (int32_t position = 0; position < n; ++position) {
        const int index = dealt[static_cast<size_t>(position)];
        CardSpriteState& s = m_sprites.At(index);
        s.row_index = position;
        s.row_count = n;
        m_sprites.Redraw(index);
    }
    PlaceCardCount(chair, n);
}

// --- The partner step and the start of play

void CPlDkGameScene::MarkTurnedCardSeats()
{
    const client::CGameStateHolder* state = GetGameState();
    const int holder = state != nullptr ? state->GetTableData().head[13] : -1;
    const int partner = IsChair(holder) ? PrevChair(PrevChair(holder)) : -1;
    for (int chair = 0; chair < SEATS; ++chair)
        SetSeatMark(chair, IsChair(holder) && (chair == holder || chair == partner));
}

void CPlDkGameScene::RestoreRunningGame()
{
    client::CGameStateHolder* state = GetGameState();
    if (state == nullptr)
        return;
    const rules::TableGameData& data = state->GetTableData();
    const int holder = data.head[13];
    const int other = data.head_partner;

    // The seats change with the turned card's holders (the boards go with
    // their chairs) before they are marked.
    ApplySeatSwap(data);
    PlaceSeatBoardsByChair();
    MarkTurnedCardSeats();
    if (data.head_turned_position != -1 && IsChair(holder) && IsChair(other)) {
        const std::string card = IsCardId(data.head_turned_card) ? GetCardName(data.head_turned_card) : "";
        Chat(panel::FormatText(" <c=%d>%s<c=0>抓到另一张<c=%d>%s\r\n", static_cast<int>(NAME_COLOUR),
                               SeatMarkupName(other).c_str(), static_cast<int>(CARD_COLOUR), card.c_str()));
        if ((other + 2) % SEATS == holder)
            Chat(" <c=0>不需要交换位置\r\n");
        else
            Chat(panel::FormatText(" <c=%d>%s<c=0>与<c=%d>%s<c=0>交换位置\r\n", static_cast<int>(NAME_COLOUR),
                                   SeatMarkupName(other).c_str(), static_cast<int>(NAME_COLOUR),
                                   SeatMarkupName((holder + 2) % SEATS).c_str()));
    }
    if (m_turned_card != nullptr) {
        m_turned_card->MoveTo(-1000, -1000);
        m_turned_card->Deactivate();
        m_turned_card->Record().state = CARD_STATE_OLD_PLAY;
        m_turned_card->Invalidate();
    }
    // The dealt cards follow their chairs to the new views.
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& s = m_sprites.At(i);
        if (s.state == CARD_STATE_HAND && IsChair(s.chair) && s.view != ChairToView(s.chair)) {
            s.view = ChairToView(s.chair);
            m_sprites.Redraw(i);
        }
    }
    // In replay playback the hands come from the replay's stored record.
    (void)TakeReplayHands();
    // Each chair's hand, card count and points stand at its new view.
    for (int chair = 0; chair < SEATS; ++chair)
        RelayCards(chair);
    if (m_auto_play)
        if (CSeatBoard* own = GetSeatBoard(0))
            own->ShowAutoPlay(true);

    StartClock();
    const int current = data.head[14];
    SetActiveChair(current, data.head[17]);
    (void)LoadSound("Snd_GameStart", 1);
    ShowSortButtons(true);
    ClearOwnCardMarks();
    if (current == OwnChair() && !IsLookOn())
        SendJudgeSingleWin();
}

void CPlDkGameScene::ClearOwnCardMarks()
{
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& s = m_sprites.At(i);
        if (s.chair != OwnChair() || s.state != CARD_STATE_HAND)
            continue;
        s.raised = false;
        s.moving = false;
        s.group = 0;
        // A reset card took no mouse; the player's hand takes it from here.
        if (CCardSprite* sprite = GetSprite(i))
            sprite->EnableMouseRoutes(true);
        m_sprites.Redraw(i);
    }
}

void CPlDkGameScene::FillCardCounter()
{
    if (m_card_counter == nullptr)
        return;
    m_card_counter->Reset();
    for (int32_t card = 0; card < CCardCounter::DECK_CARDS; ++card)
        m_card_counter->AddCard(card);
    for (int i = 0; i < m_sprites.Count(); ++i) {
        const CardSpriteState& s = m_sprites.At(i);
        if (s.state != CARD_STATE_HAND || !IsChair(s.chair))
            continue;
        if (s.chair == OwnChair())
            m_card_counter->RemoveCard(s.card);
        else
            (void)m_card_counter->AddSeatCard(
                s.chair, s.face_up && IsCardId(s.card) ? s.card : CCardCounter::PLACEHOLDER_CARD);
    }
    if (m_card_counter->IsActive()) {
        m_card_counter->DrawCounter();
        if (!IsLookOn())
            m_card_counter->Relayout();
    }
}

void CPlDkGameScene::StartPlay()
{
    client::CGameStateHolder* state = GetGameState();
    if (state == nullptr)
        return;
    (void)state->SetTableWord15(STATUS_PLAYING);
    ShowGameInfoBox();
    const int current = state->GetTableWord14();
    SetActiveChair(current, state->GetTableWord16());
    SetActive(m_clock, true);
    if (current == OwnChair() && !IsLookOn())
        StartTurn();
    (void)LoadSound("Snd_Start", 1);
    FillCardCounter();
}

// --- A running game rebuilt

void CPlDkGameScene::GiveScoreCards(int chair, std::span<const int32_t> cards)
{
    if (!IsChair(chair))
        return;
    int32_t place = 0;
    for (int i = 0; i < m_score_used; ++i)
        if (const CFlippedCardSprite* sprite = GetScoreSprite(i); sprite != nullptr && sprite->Record().chair == chair)
            ++place;
    for (const int32_t card : cards) {
        CFlippedCardSprite* sprite = GetScoreSprite(m_score_used);
        if (sprite == nullptr)
            break;  // all 24 in use
        CardSpriteState& s = sprite->Record();
        s.card = card;
        s.chair = chair;
        s.view = ChairToView(chair);
        s.row_index = place++;
        s.state = CARD_STATE_NONE;
        ++m_score_used;
    }
    RelayCards(chair);
}

void CPlDkGameScene::ResumeGame()
{
    client::CGameStateHolder* state = GetGameState();
    if (state == nullptr)
        return;
    const rules::TableGameData& data = state->GetTableData();
    if (!IsLookOn()) {
        client::DebugTrace("SYSMSG_PLAYER_ONLINE");
        (void)SendGameData(GAMEDATA_REJOIN, {});
    }
    ApplySeatSwap(data);
    PlaceSeatBoardsByChair();

    m_last_plays.SetKeep(data.new_trick != 0);
    for (int chair = 0; chair < SEATS; ++chair) {
        m_last_plays.SetList(chair, data.trick_cards[chair]);
        m_last_plays.SetSeatState(chair, data.pass_count[chair]);
    }
    for (int i = 0; i < m_sprites.Count() && i < rules::PLDK_TOTAL_CARDS; ++i) {
        const rules::DeckCard& deck = data.deck[i];
        CardSpriteState& s = m_sprites.At(i);
        s.chair = IsChair(deck.holder) ? deck.holder : -1;
        s.view = s.chair >= 0 ? ChairToView(s.chair) : -1;
        s.card = CardOrNone(deck.card);
        s.face_up = s.card >= 0;
        s.state = deck.place;
        s.row_index = std::clamp<int32_t>(deck.order, 0, MAX_PLAY_CARDS - 1);
        s.raised = false;
    }
    // A play on the table is laid by its card count (the record gives the
    // holder's count): counted from its cards.
    std::array<int32_t, SEATS> play_counts {};
    for (int i = 0; i < m_sprites.Count() && i < rules::PLDK_TOTAL_CARDS; ++i)
        if (const CardSpriteState& s = m_sprites.At(i); s.state == CARD_STATE_PLAYED && IsChair(s.chair))
            ++play_counts[static_cast<size_t>(s.chair)];
    for (int i = 0; i < m_sprites.Count() && i < rules::PLDK_TOTAL_CARDS; ++i) {
        CardSpriteState& s = m_sprites.At(i);
        if (s.state == CARD_STATE_PLAYED && IsChair(s.chair))
            s.row_count = play_counts[static_cast<size_t>(s.chair)];
        m_sprites.Redraw(i);
    }
    for (int chair = 0; chair < SEATS; ++chair) {
        m_hand_points[static_cast<size_t>(chair)] = data.hand_points[chair];
        if (CPlDkSeatBoard* board = GetChairBoard(chair))
            board->AddScore(data.points_won[chair]);
        // Renumbers the hand and places its card count from the cards laid.
        RelayCards(chair);
    }
    StartClock();
    SetActiveChair(state->GetTableWord14(), state->GetTableWord16());
    const int32_t status = state->GetTableWord15();
    if ((status & STATUS_RUNNING) != 0) {
        if (m_turned_card != nullptr) {
            m_turned_card->Record().state = CARD_STATE_OLD_PLAY;
            m_turned_card->Deactivate();
            m_turned_card->Invalidate();
        }
    } else {
        ShowTurnedCard(data);
    }
    if (App().IsMatch())
        ShowMatchInfoBox();
    else
        ShowGameInfoBox();
    SortHand(m_sort_type);
    MarkTurnedCardSeats();
    if ((status & STATUS_JUDGING) != 0) {
        if (state->GetTableWord14() == OwnChair() && !IsLookOn())
            SendJudgeSingleWin();
        ShowSortButtons(true);
    }
    if ((status & STATUS_IN_ORDER) != 0) {
        ShowSortButtons(true);
        for (int chair = 0; chair < SEATS; ++chair) {
            if (data.place[chair] <= 0)
                continue;
            if (CPlDkSeatBoard* board = GetChairBoard(chair))
                board->ShowPlacing(data.place[chair]);
            m_game_over = true;
        }
        ClearOwnCardMarks();
        constexpr size_t SCORE_CARDS_PER_CHAIR = 24;
        for (int chair = 0; chair < SEATS; ++chair) {
            const auto count =
                static_cast<size_t>(std::clamp<int32_t>(data.reserved_5752[chair], 0, SCORE_CARDS_PER_CHAIR));
            GiveScoreCards(chair, std::span<const int32_t>(data.reserved_5368 + SCORE_CARDS_PER_CHAIR * chair, count));
        }
    }
    for (int chair = 0; chair < SEATS; ++chair) {
        if ((chair == OwnChair() && !IsLookOn()) || (data.chair_status[chair] & CHAIR_AUTO_FLAGS) == 0)
            continue;
        if (CSeatBoard* board = GetChairBoard(chair))
            board->ShowAutoPlay(true);
    }
}

// --- Info boxes

void CPlDkGameScene::ShowGameInfoBox()
{
    engine::CCanvasObject* box = PrepareInfoBox(INFO_BOX_IMAGE);
    if (box == nullptr)
        return;
    DrawBaseScore(*box, INFO_DIGITS, INFO_DIGIT_FLAGS, 11.0);
    RevealInfoBox();
}

// The card table's match box is this game's: the same texts and places.
void CPlDkGameScene::ShowMatchInfoBox() { CCardGameScene::ShowMatchInfoBox(); }

// --- Buttons and panels

void CPlDkGameScene::ShowSortButtons(bool show)
{
    if (App().IsReplayMode())
        return;
    if (IsLookOn()) {
        SetActive(GetButton(Button::AskCardView), true);
        return;
    }
    const client::CPlDkApp* app = PlDkApp();
    for (engine::CGuiButton* button :
         { GetButton(Button::Sort1), GetButton(Button::Sort2), GetButton(Button::Sort3), m_510k_button.get(),
           GetButton(Button::SortBomb), GetButton(Button::AutoPlay), m_last_throw_button.get() })
        SetActive(button, show);
    if (show) {
        if (app != nullptr && app->HasRoomConfigsEx40000())
            SetActive(m_counter_button, true);
    } else {
        for (engine::CGuiButton* button :
             { GetButton(Button::SortBig), GetButton(Button::SortType), GetButton(Button::CheckResult) })
            SetActive(button, false);
        SetActive(m_counter_button, false);
        if (m_talk_panel != nullptr && m_talk_panel->IsActive()) {
            m_talk_row = -1;
            SetActive(m_talk_panel, false);
        }
    }
    SetActive(m_arrange_button, show);
    SetActive(m_restore_button, false);
}

void CPlDkGameScene::RedrawTalkPanel()
{
    auto* panel = dynamic_cast<engine::CCanvasObject*>(m_talk_panel.get());
    if (panel == nullptr)
        return;
    engine::ImageRef image;
    panel->Clear();
    panel->DrawImage(GetImage(image, TALK_PANEL_IMAGE, 0), 0, 0, 0, 0, 0.0, 1.0);
    GetImage(image, TALK_ROW_IMAGE, 0);
    for (engine::CCanvasObject* row : m_talk_rows) {
        if (row == nullptr)
            continue;
        row->Clear();
        row->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
        row->Activate();
        row->Invalidate();
        (void)panel->AddFollower(row, FOLLOW_ALL);
    }
    if (m_talk_highlight != nullptr) {
        if (m_talk_row >= 0 && m_talk_row < TALK_ROWS) {
            m_talk_highlight->MoveTo(panel->GetX(),
                                     panel->GetTop() + TALK_FIRST_ROW + TALK_ROW_HEIGHT * m_talk_row + TALK_ROW_HEIGHT / 2);
            SetActive(m_talk_highlight, true);
        } else {
            SetActive(m_talk_highlight, false);
        }
    }
    // Pages are counted from 0 in the scene and shown from 1.
    panel->DrawText(135, 300, panel::FormatText("%d/2", m_talk_page + 1));
    panel->Invalidate();
}

} // namespace scene
