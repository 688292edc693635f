// This game's chair rules (the turn order after the seat swap of the turned-up
// card, views and partners), the turn moving with its clock, the auto-play
// step, the card metrics, the places of the play and start buttons, of the
// card counts and of the score cards taken, the seat marks, the window alert,
// the recording choices and the change of table.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "client/CGameStateHolder.h"
#include "client/CPlDkApp.h"
#include "client/CPlDkGameState.h"
#include "client/CCardGameNotifyHandler.h"
#include "client/CPlDkNotifyHandler.h"
#include "client/panel/PanelText.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/CardRules.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkHandOperations.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/ReplayPanel.h"
#include "game/scene/SceneBody.h"
#include "game/scene/TableLayout.h"
#include "net/NetUtil.h"

namespace scene {
namespace {

using detail::SetActive;
using detail::SetEnabled;

constexpr uint32_t CHANGE_TABLE_WAIT_MS = 4000;
constexpr int32_t COUNT_GAP = 2;
/// The left seat's play starts this far in beyond a large card's height.
constexpr int32_t SIDE_PLAY_INSET = 85;
/// The score-card stacks' distances from the anchor, in corner widths.
constexpr int32_t STACK_OF_TENS = 2;
constexpr int32_t STACK_OF_FIVES = 4;
constexpr int32_t OWN_SCORE_ROW_FROM_BOTTOM = 40;
constexpr int32_t OWN_SCORE_ROW_NO_HAND = 45;
/// The round's dealt hands in the result block, kept as the recording's
/// snapshot.
constexpr size_t SNAPSHOT_OFFSET = 1016;
constexpr size_t SNAPSHOT_BYTES = 512;

} // namespace

// --- Chairs and views (the seat swap is taken into the chair maths at the
// partner step, so the views follow the plain ring until then)

int CPlDkGameScene::PrevChair(int chair) const
{
    if (m_chairs == nullptr)
        return CCardGameScene::PrevChair(chair);
    return m_chairs->PrevChair(chair);
}

int CPlDkGameScene::NextChair(int chair) const
{
    if (m_chairs == nullptr)
        return -1;
    return m_chairs->NextChair(chair);
}

bool CPlDkGameScene::IsPartnerChair(int chair) const
{
    if (m_chairs == nullptr)
        return CCardGameScene::IsPartnerChair(chair);
    return m_chairs->IsPartnerChair(chair);
}

int CPlDkGameScene::ViewToChair(int view) const
{
    if (m_chairs == nullptr)
        return -1;
    return m_chairs->ViewToChair(view);
}

int CPlDkGameScene::NextView(int view) const
{
    if (m_chairs == nullptr)
        return -1;
    return m_chairs->NextView(view);
}

int CPlDkGameScene::PrevView(int view) const
{
    if (m_chairs == nullptr)
        return -1;
    return m_chairs->PrevView(view);
}

int CPlDkGameScene::ChairToViewTraced(int chair, int mode) const
{
    const CPlDkChairMath* chairs = PlDkChairs();
    if (chairs == nullptr)
        return ChairToView(chair);
    return chairs->ChairToViewTraced(chair, mode);
}

bool CPlDkGameScene::Contains(int32_t value, std::span<const int32_t> values, int count)
{
    const auto n = static_cast<std::ptrdiff_t>(std::clamp<int>(count, 0, static_cast<int>(values.size())));
    return std::find(values.begin(), values.begin() + n, value) != values.begin() + n;
}

// --- Records

LastPlay CPlDkGameScene::GetLastCardPlay() const
{
    const client::CPlDkGameState* state = GetPlDkGameState();
    if (state == nullptr)
        return CCardGameScene::GetLastCardPlay();
    // A chair outside the table (the server's word) leaves the lead open.
    const rules::TableGameData& data = state->GetTableData();
    return LastPlay { IsChair(data.last_play_chair) ? data.last_play_chair : -1, data.last_play };
}

const TurnRecord& CPlDkGameScene::GetChairTurnRecord(int chair) const
{
    return CCardGameScene::GetChairTurnRecord(chair);
}

rules::ChairGroup* CPlDkGameScene::GetChairGroup(int chair) const
{
    client::CPlDkGameState* state = GetPlDkGameState();
    if (state == nullptr || !IsChair(chair))
        return nullptr;
    return &state->GetTableData().chair_groups[static_cast<size_t>(chair)];
}

// --- The turn

void CPlDkGameScene::SetActiveChair(int chair, int32_t seconds)
{
    // The chair comes from the server: one outside the table moves nothing.
    if (!IsChair(chair))
        return;
    if (m_clock != nullptr && seconds >= 0)
        m_clock->SetValue(seconds);
    client::CGameStateHolder* state = GetGameState();
    const bool in_order = state != nullptr && (state->GetTableWord15() & TURN_ORDER_FLAG) != 0;
    if (m_clock != nullptr) {
        if (in_order && GetSeatBoard(ChairToView(chair)) != nullptr) {
            const Point place = ClockPlace(chair);
            Place(m_clock, place.x, place.y);
        } else {
            Place(m_clock, OFF_SCREEN, OFF_SCREEN);
        }
    }
    // The chairs the turn passes on its way, the new one included; none when
    // the turn stays (a play of the chair that holds it).
    if (in_order && m_chairs != nullptr && GetActiveChair() != chair)
        for (const int passed : m_chairs->ChairsPassed(GetActiveChair(), chair))
            RetirePlayedCards(passed);
    if (rules::ChairGroup* turn = GetChairGroup(chair))
        turn->pass_time_limit = 0;
    m_chair_seconds[static_cast<size_t>(chair)] = seconds;
    if (state != nullptr)
        state->SetTableWord14(chair);
    for (int c = 0; c < SEATS; ++c)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(c)))
            board->SetHighlight(c == chair);
}

void CPlDkGameScene::AutoPlayStep()
{
    if (IsLookOn() || GetActiveChair() != OwnChair())
        return;
    if (++m_auto_play_ticks >= m_auto_play_delay) {
        m_auto_play_ticks = 0;
        OnTurnTimeout();
    }
}

// --- Layout helpers

void CPlDkGameScene::PublishCardMetrics(int32_t width, int32_t height)
{
    (void)height;
    // The main-game area decides the card size; the width passed only
    // stands in before the scene has an area.
    const int32_t area_width = GetArea().Width();
    engine::ImageRef board;
    GetImage(board, BOARD_SMALL_IMAGE, 0);
    for (const IntSetting& setting : CardMetricSettings(area_width > 0 ? area_width : width, board.height))
        SetIntSetting(setting.id, setting.value);
}

void CPlDkGameScene::PlacePlayButtons()
{
    engine::CGuiButton* pass = GetButton(Button::Pass);
    if (pass == nullptr)
        return;
    const engine::EngineRect area = GetArea();
    const PlayButtonPlaces places = scene::PlacePlayButtons(
        Area { area.left, area.top, area.Width(), area.Height() }, GetIntSetting(SETTING_LARGE_CARD_HEIGHT),
        GetIntSetting(SETTING_BOARD_SMALL_HEIGHT), static_cast<int32_t>(pass->GetHeight()), pass->IsActive());
    if (places.pass_shown) {
        Place(pass, places.pass.x, places.pass.y);
        Place(GetButton(Button::Hint), places.hint.x, places.hint.y);
    }
    Place(GetButton(Button::Throw), places.throw_button.x, places.throw_button.y);
}

Point CPlDkGameScene::ClockPlace(int chair) const
{
    const int view = ChairToView(chair);
    const CPlDkSeatBoard* board = GetPlDkSeatBoard(view);
    if (board == nullptr)
        return {};
    Point at = board->GetAnchorPoint(GetLastCardPlay().IsLeading() ? 1 : 0);
    if ((view != 1 && view != 3) || m_clock == nullptr)
        return at;
    // Once places are shown a side seat's displays stand aside towards the
    // middle, where its clock stands: the clock keeps clear of where they
    // stand then (places can come while the clock stands).
    const double aside = m_game_over ? 0.0 : board->GetCountWidth() / 2 + COUNT_GAP;
    const double half = m_clock->GetWidth() / 2 + COUNT_GAP + aside;
    for (const engine::CEngineObject* shown : { static_cast<const engine::CEngineObject*>(board->GetCardCount()),
                                                static_cast<const engine::CEngineObject*>(board->GetPoints()) })
        if (shown != nullptr && shown->IsActive())
            at.x = view == 1 ? std::max(at.x, static_cast<int32_t>(std::ceil(shown->GetRight() + half)))
                             : std::min(at.x, static_cast<int32_t>(std::floor(shown->GetLeft() - half)));
    return at;
}

void CPlDkGameScene::ShowStartButton()
{
    CCardGameScene::ShowStartButton();
    if (GetButton(Button::Start) == nullptr || App().IsReplayMode())
        return;
    PlaceStartButtonAndSlogan();
    if (App().Records().HasRoomConfig40())
        SetActive(m_change_button, true);
}

void CPlDkGameScene::PlaceStartButtonAndSlogan()
{
    engine::CGuiButton* start = GetButton(Button::Start);
    const engine::EngineRect area = GetArea();
    engine::ImageRef board;
    GetImage(board, BOARD_SMALL_IMAGE, 0);
    const CPlDkSeatBoard* own = GetPlDkSeatBoard(0);
    const StartPlaces at = PlaceStartAndSlogan(
        Area { area.left, area.top, area.Width(), area.Height() }, board.height,
        GetIntSetting(SETTING_LARGE_CARD_HEIGHT), start != nullptr ? static_cast<int32_t>(start->GetHeight()) : 0,
        m_slogan != nullptr ? static_cast<int32_t>(m_slogan->GetHeight()) : 0,
        own != nullptr && own->IsPortraitShown());
    Place(start, at.start.x, at.start.y);
    Place(m_slogan, at.slogan.x, at.slogan.y);
    if (start != nullptr && m_change_button != nullptr) {
        const Point change = PlaceChangeTableButton(at.start, static_cast<int32_t>(start->GetWidth()),
                                                    static_cast<int32_t>(m_change_button->GetWidth()));
        Place(m_change_button, change.x, change.y);
    }
}

void CPlDkGameScene::RelayCards(int chair)
{
    if (m_hand == nullptr || !IsChair(chair))
        return;
    (void)m_hand->RenumberHand(chair);
    LayoutScoreCards(chair);
}

void CPlDkGameScene::PlaceCardCount(int chair, int32_t count)
{
    const int view = IsChair(chair) ? ChairToView(chair) : -1;
    CPlDkSeatBoard* board = GetPlDkSeatBoard(view);
    if (view <= 0 || board == nullptr)
        return;
    board->SetCardCount(count);
    const int32_t points = GetHandPoints(chair);
    board->SetPoints(points);
    if (count < 1 || m_hand == nullptr)
        return;
    // The count stands beside the end of the fan, on the side of the table.
    const int32_t row = view == 3 ? count - 1 : 0;
    const CCardSprite* card = GetSprite(m_hand->FindHandSpriteAt(chair, row));
    if (card == nullptr)
        return;
    const int32_t width = board->GetCountWidth();
    const int32_t half_card = view == 2 ? card->GetSmallWidth() / 2 : card->GetSmallHeight() / 2;
    const int32_t side = view == 3 ? -1 : 1;
    // The displays are right-aligned: x is their right edge, so they end
    // COUNT_GAP before the fan on the right seat and start COUNT_GAP after
    // it on the others, never under the cards. Once places are shown they
    // stand half their width further aside, away from the fan (to the left
    // on the right seat), so that they stay beside it at every count.
    auto x = static_cast<int32_t>(card->GetX()) + side * (half_card + COUNT_GAP) + (side > 0 ? width : 0);
    if (m_game_over && points > 0) {
        x += side * (width / 2 + COUNT_GAP);
        // Never onto the left seat's play, which starts a large card's height
        // and 85 in from the edge.
        if (view == 1)
            x = std::min(x, GetArea().left + card->GetLargeHeight() + SIDE_PLAY_INSET - COUNT_GAP);
    }
    const auto y = static_cast<int32_t>(card->GetY());
    board->MoveCardCount(x, y);
    if (points > 0)
        if (const engine::CGuiDigitText* shown = board->GetPoints())
            board->MovePoints(x, y + static_cast<int32_t>(shown->GetHeight()) + COUNT_GAP);
}

void CPlDkGameScene::LayoutScoreCards(int chair)
{
    const int view = IsChair(chair) ? ChairToView(chair) : -1;
    if (view < 0)
        return;
    std::vector<CFlippedCardSprite*> taken;
    for (int i = 0; i < m_score_used; ++i)
        if (CFlippedCardSprite* sprite = GetScoreSprite(i); sprite != nullptr && sprite->Record().view == view)
            taken.push_back(sprite);
    if (taken.empty())
        return;
    // By card id, then regrouped suit by suit with that order kept.
    std::vector<int32_t> cards;
    for (const CFlippedCardSprite* sprite : taken)
        cards.push_back(sprite->Record().card);
    std::sort(cards.begin(), cards.end());
    std::stable_sort(cards.begin(), cards.end(),
                     [](int32_t a, int32_t b) { return rules::GetCardSuit(a) < rules::GetCardSuit(b); });

    const engine::EngineRect area = GetArea();
    Point anchor {};
    if (view == 0) {
        anchor = { area.left + area.Width() / 2 - OWN_SCORE_ROW_NO_HAND, area.bottom - OWN_SCORE_ROW_FROM_BOTTOM };
        const int first = m_hand != nullptr ? m_hand->FindHandSpriteAt(OwnChair(), 0) : -1;
        if (const CCardSprite* card = first >= 0 ? GetSprite(first) : nullptr)
            anchor.x = static_cast<int32_t>(card->GetX()) - card->GetLargeWidth() / 2
                - CFlippedCardSprite::CORNER_WIDTH / 2;
    } else if (const CSeatBoard* board = GetSeatBoard(view)) {
        // Beside the seat's plate, away from the table's edge.
        const auto half_width = static_cast<int32_t>(board->GetWidth() / 2);
        const auto half_height = static_cast<int32_t>(board->GetHeight() / 2);
        const auto x = static_cast<int32_t>(board->GetX());
        const auto y = static_cast<int32_t>(board->GetY());
        anchor = view == 2 ? Point { x + half_width + STACK_OF_FIVES * CFlippedCardSprite::CORNER_WIDTH, y }
                           : Point { x, y + half_height + CFlippedCardSprite::CORNER_HEIGHT };
    }
    // The row of view 1 runs to the right, the others to the left.
    const int32_t step = (view == 1 ? 1 : -1) * CFlippedCardSprite::CORNER_WIDTH;
    std::array<int32_t, 3> running {};
    for (size_t i = 0; i < taken.size(); ++i) {
        CardSpriteState& s = taken[i]->Record();
        s.card = cards[i];
        const int32_t value = rules::GetCardValue(s.card);
        const size_t stack = value == VALUE_FIVE ? 2 : value == VALUE_TEN ? 1 : 0;
        const int32_t offset = stack == 2 ? STACK_OF_FIVES : stack == 1 ? STACK_OF_TENS : 0;
        s.row_index = running[stack]++;
        taken[i]->SetAnchor(anchor.x + offset * step, anchor.y);
        taken[i]->UpdateImage();
    }
}

// --- Seat marks and selections

void CPlDkGameScene::Select510K()
{
    if (CPlDkHandOperations* hand = PlDkHand())
        (void)hand->Select510K();
    CheckSelection();
}

void CPlDkGameScene::SetSeatMark(int chair, bool on)
{
    if (CPlDkSeatBoard* board = GetChairBoard(chair))
        board->SetTurnedCardMark(on);
}

// --- Seats and the frame

void CPlDkGameScene::OnPlayerEnter(const client::GameUserRecord& user)
{
    CCardGameScene::OnPlayerEnter(user);
    const engine::CGuiButton* start = GetButton(Button::Start);
    if (start == nullptr || !start->IsActive() || !start->IsVisible() || IsLookOn())
        return;
    if (client::CPlDkApp* app = PlDkApp())
        app->ShowMainWindow();
    (void)net::FlashMainWindow();
}

void CPlDkGameScene::RefreshSeatBoards()
{
    CCardGameScene::RefreshSeatBoards();
    App().ShowAdvertBar();
    const engine::CGuiButton* start = GetButton(Button::Start);
    if (!m_game_over && start != nullptr && start->IsActive())
        SetActive(m_slogan, true);
}

void CPlDkGameScene::OnChangeTable()
{
    const client::CClientRecords& records = App().Records();
    if (records.HasRoomConfig40()) {
        CCardGameScene::OnChangeTable();
        ClearTable();
        // Offered again once the server had time to seat the player.
        SetEnabled(m_change_button, false);
        engine::EngineEvent back;
        engine::MakeEngineEvent(&back, GetId(), GAMEMSG_CHANGE_TABLE_STATE, 0, 0);
        (void)AddWaitFramesAction(this, CHANGE_TABLE_WAIT_MS, &back);
    }
    if (records.HasRoomConfig02()) {
        OnRoomConfigRequest();
        ClearTable();
        SetActive(GetButton(Button::Start), false);
        SetActive(m_change_button, false);
    }
}

// --- Recording

void CPlDkGameScene::RecordEventNormal(uint32_t id, std::span<const uint8_t> body)
{
    auto* board = dynamic_cast<CReplayPanel*>(GetReplayBoard());
    if (board == nullptr)
        return;
    switch (id) {
    case client::GR_GAME_START:
    case client::GR_RANDOM_TABLE:
        SetActive(m_save_button, false);
        (void)board->StartRecording();
        board->RecordTableInfo();
        (void)board->RecordEvent(id, body);
        return;
    case client::GR_GAME_RESULT:
        if (board->IsRecording()) {
            (void)board->RecordEvent(id, body);
            RecordSnapshot();
        }
        return;
    case client::GR_GAME_DATA:
    case client::GR_PLAYER_PASSED:
    case client::GR_CARDS_THROWN:
        if (board->IsRecording())
            (void)board->RecordEvent(id, body);
        return;
    default:
        return;
    }
}

void CPlDkGameScene::RecordSnapshot()
{
    auto* board = dynamic_cast<CReplayPanel*>(GetReplayBoard());
    const client::CPlDkGameState* state = GetPlDkGameState();
    if (board == nullptr || state == nullptr)
        return;
    std::array<uint8_t, sizeof(rules::PlDkGameWinResult)> result {};
    rules::WritePlDkGameWinResult(state->GetResultBlock(), result);
    static_assert(SNAPSHOT_OFFSET + SNAPSHOT_BYTES <= sizeof(rules::PlDkGameWinResult));
    (void)board->RecordSnapshot(client::GR_GAME_RESULT, std::span(result).subspan(SNAPSHOT_OFFSET, SNAPSHOT_BYTES));
}

void CPlDkGameScene::ShowReplaySavedNotice()
{
    auto* board = dynamic_cast<CReplayPanel*>(GetReplayBoard());
    if (board == nullptr || !board->IsRecording())
        return;
    const ReplaySaveResult saved = board->SaveRecording(true);
    // Only a file that is on disk is announced.
    if (saved.written)
        AnnounceReplaySaved(saved.path, saved.path);
}

} // namespace scene
