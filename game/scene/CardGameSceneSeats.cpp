// The card table's seat boards following the frame UI's notices: seats
// filled, emptied and re-read when players come, go or the table changes.
#include <algorithm>

#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "client/panel/CGameFrameUI.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/SeatBoard.h"

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
