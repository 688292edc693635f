// The card table's select, sort and option buttons.
#include <array>

#include "client/CCardGameConnection.h"
#include "client/CGameApp.h"
#include "engine/widgets/GuiButton.h"
#include "game/rules/CardPlay.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/CardGameSelection.h"
#include "game/scene/SceneBody.h"

namespace scene {
namespace {

constexpr int MIN_BOMB = 4;
constexpr int MAX_BOMB = 8;

} // namespace

void CCardGameScene::OnBtnSelect(uint32_t event_id)
{
    if (m_hand == nullptr)
        return;
    (void)LoadSound("Snd_HitCard", 1);
    m_hand->LowerAllCards();
    if (m_last_select == event_id) {
        CheckSelection();
        m_last_select = 0;
        return;
    }
    switch (event_id) {
    case GAMEMSG_BTN_SELECT_SINGLES:
        (void)m_hand->RaiseValuesWithCount(1);
        break;
    case GAMEMSG_BTN_SELECT_PAIRS:
        (void)m_hand->RaiseValuesWithCount(2);
        break;
    case GAMEMSG_BTN_SELECT_TRIPLES:
        (void)m_hand->RaiseValuesWithCount(3);
        break;
    case GAMEMSG_BTN_SELECT_BOMBS: {
        std::array<int32_t, detail::MAX_BODY_CARDS> hand {};
        const int n = m_hand->GetHandCards(hand);
        std::array<int32_t, detail::MAX_BODY_CARDS> out {};
        rules::CardPlay found;
        if (n > 0
            && ClassifyCards(std::span<const int32_t>(hand.data(), static_cast<size_t>(n)), out, rules::CardPlay {},
                             found, rules::CARD_TYPE_FOUR_JOKERS, 1)
                != 0)
            (void)m_hand->RaiseCards(found.Cards());
        for (int count = MIN_BOMB; count <= MAX_BOMB; ++count)
            (void)m_hand->RaiseValuesWithCount(count);
        break;
    }
    default:
        return;
    }
    m_last_select = event_id;
    CheckSelection();
}

void CCardGameScene::OnBtnSortByCount()
{
    if (m_sort_type == SORT_BY_COUNT_UP || m_sort_type == SORT_BY_COUNT_DOWN) {
        m_sort_type = m_sort_type == SORT_BY_COUNT_UP ? SORT_BY_COUNT_DOWN : SORT_BY_COUNT_UP;
    } else {
        m_previous_sort_type = m_sort_type;
        m_sort_type = SORT_BY_COUNT_UP;
    }
    m_last_select = 0;
    if (m_hand != nullptr)
        m_hand->SortHand(m_sort_type);
    (void)LoadSound("snd_sort", 1);
}

void CCardGameScene::OnBtnSortBySuit()
{
    if (m_sort_type == SORT_BY_SUIT) {
        m_sort_type = m_previous_sort_type;
    } else {
        m_previous_sort_type = m_sort_type;
        m_sort_type = SORT_BY_SUIT;
    }
    m_last_select = 0;
    if (m_hand != nullptr)
        m_hand->SortHand(m_sort_type);
    (void)LoadSound("snd_sort", 1);
}

void CCardGameScene::OnBtnSortBySize()
{
    if (m_sort_type == SORT_BY_SUIT)
        m_sort_type = m_previous_sort_type;
    m_sort_type = m_sort_type == SORT_BY_VALUE_DOWN ? SORT_BY_VALUE_UP : SORT_BY_VALUE_DOWN;
    if (engine::CGuiButton* button = GetButton(Button::SortBig)) {
        engine::ImageRef image;
        button->SetImage(GetImage(image, m_sort_type == SORT_BY_VALUE_UP ? "btn_SortSmall" : "btn_SortBig", 0));
        button->Invalidate();
    }
    m_last_select = 0;
    if (m_hand != nullptr)
        m_hand->SortHand(m_sort_type);
    (void)LoadSound("snd_sort", 1);
}

void CCardGameScene::SendOptionRequest(int32_t first, int32_t second)
{
    if (auto* connection = TableRequests())
        (void)connection->Request221070(first, second);
}

} // namespace scene
