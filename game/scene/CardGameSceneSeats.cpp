// The card table's seat boards following the frame UI's notices: seats
// filled, emptied and re-read when players come, go or the table changes;
// the onlookers' card view, the result box's buttons and the change of table.
#include <algorithm>
#include <array>
#include <string>

#include "client/CCardGameConnection.h"
#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "client/panel/PanelText.h"
#include "engine/core/EngineEvent.h"
#include "engine/widgets/GuiButton.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SeatBoard.h"
#include "platform/ByteOrder.h"

namespace scene {

void CCardGameScene::ResetSeatBoards()
{
    if (client::CGameStateHolder* state = GetGameState())
        state->ResetTableData();
    ClearTable();
    OnRandomTable();
}

void CCardGameScene::OnRandomTable()
{
    const int32_t players = std::min(App().Records().GetTablePlayerCount(), m_chair_count);
    for (int chair = 0; chair < players; ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair))) {
            board->ClearPlayer();
            board->SetPlayer(chair);
        }
    (void)LoadSound("snd_ArrageTable", 1);
}

void CCardGameScene::OnTableChanged()
{
    for (int chair = 0; chair < m_chair_count; ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair))) {
            board->ClearPlayer();
            if (App().Records().IsChairOccupied(chair))
                board->SetPlayer(chair);
        }
    (void)LoadSound("snd_ArrageTable", 1);
}

void CCardGameScene::RefreshSeatBoards()
{
    const client::CClientRecords& records = App().Records();
    const client::CGameStateHolder* state = GetGameState();
    for (int chair = 0; chair < m_chair_count; ++chair) {
        CSeatBoard* board = GetSeatBoard(ChairToView(chair));
        if (board == nullptr || !records.IsChairOccupied(chair))
            continue;
        board->SetPlayer(chair);
        if (state != nullptr && state->IsSeatFlagged(chair))
            board->ShowReady();
    }
    if (records.HasRoomConfig02() && records.GetHallParam10() == 0) {
        if (!records.IsLookOn() && !App().IsPlaying())
            ShowWaitingAnimation();
    } else if (!records.IsLookOn()) {
        ShowStartButton();
    }
}

void CCardGameScene::RefreshSeatBoardsAndPiles()
{
    for (int chair = 0; chair < m_chair_count; ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)); board != nullptr
            && App().Records().IsChairOccupied(chair))
            board->SetPlayer(chair);
    ResumeGame();
}

void CCardGameScene::RefreshOwnSeatBoard()
{
    if (CSeatBoard* own = GetSeatBoard(0))
        own->SetPlayer(App().Records().GetChairNO());
}

void CCardGameScene::OnPlayerEnter(const client::GameUserRecord& user)
{
    if (m_chairs == nullptr || !m_chairs->IsValidChair(user.chair))
        return;
    if (CSeatBoard* board = GetSeatBoard(ChairToView(user.chair)))
        board->SetPlayer(user.chair);
}

void CCardGameScene::OnPlayerLeave(const client::GameUserRecord& user)
{
    if (m_chairs == nullptr || !m_chairs->IsValidChair(user.chair))
        return;
    if (CSeatBoard* board = GetSeatBoard(ChairToView(user.chair)))
        board->ClearPlayer();
}

} // namespace scene

// --- The onlookers' card view, the result box's buttons and the change of table

namespace scene {
namespace {

constexpr uint32_t ASK_CARD_VIEW_COLOUR = 2906200;
constexpr uint32_t ASK_CARD_VIEW_WAIT_MS = 15000;
constexpr size_t CARD_VIEW_REPLY_WORDS = 10;

} // namespace

std::string CCardGameScene::SeatMarkupName(int chair, client::NameKind kind) const
{
    const client::CClientRecords& records = App().Records();
    return records.GetMarkupName(records.Seat(chair), kind);
}

void CCardGameScene::OnBtnAskCardView()
{
    const client::CClientRecords& records = App().Records();
    const client::CGameStateHolder* state = GetGameState();
    if (!records.IsLookOn() || records.IsRandomRoom() || state == nullptr || !state->IsTableWord15Set())
        return;
    if (auto* connection = TableRequests())
        (void)connection->AskLookCard();
    (void)LoadSound("SndHitButton", 1);
    if (engine::CGuiButton* button = GetButton(Button::AskCardView)) {
        button->ShowNotify(false);
        CancelObjectActions(button->GetId());
        engine::EngineEvent shown;
        engine::MakeEngineEvent(&shown, button->GetId(), engine::VELOTRIX_EVENT_SHOWN, 0, 0);
        (void)AddWaitTimeAction(ASK_CARD_VIEW_WAIT_MS, &shown);
    }
    const std::string name = SeatMarkupName(records.GetChairNO(), client::NameKind::Display);
    App().ShowSystemMessage(
        panel::FormatText(" <c=%d>请求%s给我看牌\r\n", static_cast<int>(ASK_CARD_VIEW_COLOUR), name.c_str()));
}

void CCardGameScene::SendCardViewSetting(int32_t user_id, int32_t allow)
{
    auto* connection = App().Links().SceneRequests();
    // The answer is shown as the server would confirm it, but only once it
    // went out: a request that was not sent changed nothing.
    if (connection == nullptr || connection->SetCardView(user_id, allow) == 0)
        return;
    const client::CClientRecords& records = App().Records();
    const std::array<int32_t, CARD_VIEW_REPLY_WORDS> words { records.GetUserID(), records.GetRoomID(),
                                                             records.GetTableNO(), records.GetChairNO(),
                                                             user_id, allow };
    std::array<uint8_t, 4 * CARD_VIEW_REPLY_WORDS> reply {};
    for (size_t i = 0; i < words.size(); ++i)
        platform::StoreU32LE(reply.data() + 4 * i, static_cast<uint32_t>(words[i]));
    OnCardViewReply(reply);
}

void CCardGameScene::OnBtnCheckResult()
{
    if (m_result_box == nullptr)
        return;
    if (!m_result_box->IsActive()) {
        if (!App().IsPlaying())
            detail::SetActive(m_result_button, true);
        detail::SetActive(m_result_box, true);
    } else {
        detail::SetActive(m_result_box, false);
    }
}

void CCardGameScene::OnResultClose()
{
    if (m_result_box == nullptr)
        return;
    detail::SetActive(m_result_box, false);
    const client::CClientRecords& records = App().Records();
    if (!App().IsPlaying() && !App().IsMatch() && !records.IsLookOn())
        ShowStartButton();
}

void CCardGameScene::OnResultContinue()
{
    if (App().IsPlaying() || App().Records().IsLookOn())
        return;
    detail::SetActive(m_result_box, false);
    if (App().IsReplayMode())
        return;
    ClearTable();
    const client::CGameStateHolder* state = GetGameState();
    for (int chair = 0; chair < m_chair_count; ++chair)
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair)); board != nullptr && state != nullptr
            && state->IsSeatFlagged(chair))
            board->ShowReady();
    OnBtnStart();
}

void CCardGameScene::OnChangeTable()
{
    const client::CClientRecords& records = App().Records();
    if (!records.HasRoomConfig40() || !records.HasRoomConfig80() || records.HasRoomConfig02())
        return;
    auto* connection = App().Links().SceneRequests();
    std::string error;
    if (connection == nullptr || connection->ChangeTable(error) == 0)
        return;
    if (CSeatBoard* own = GetSeatBoard(0))
        own->HideReady();
    ShowStartButton();
}

} // namespace scene
