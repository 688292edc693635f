// This game's plays on the own turn: the hint search and the hint button,
// the start of the own turn, the selection check and the throw, all judged
// by this game's play finder.
#include "game/scene/PlDkGameScene.h"

#include "game/scene/PlDkPlayFinder.h"

namespace scene {

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

void CPlDkGameScene::StartTurn() { CCardGameScene::StartTurn(); }
void CPlDkGameScene::HidePlayButtons() { CCardGameScene::HidePlayButtons(); }
void CPlDkGameScene::OnBtnHint() { CCardGameScene::OnBtnHint(); }
void CPlDkGameScene::CheckSelection() { CCardGameScene::CheckSelection(); }
int32_t CPlDkGameScene::ThrowSelection(std::span<const int32_t> cards) { return CCardGameScene::ThrowSelection(cards); }
void CPlDkGameScene::LowerAllCards()
{
    if (m_hand != nullptr)
        m_hand->LowerAllCards();
}

} // namespace scene
