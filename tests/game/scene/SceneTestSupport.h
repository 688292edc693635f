#pragma once
// A headless table for the scene tests: 108 card sprite records and the own
// chair's hand laid out left to right (card ids come from the rules tests).

#include "game/rules/CardPlay.h"
#include "game/rules/CardTestSupport.h"
#include "game/scene/CardSpriteState.h"
#include "game/scene/ChairMath.h"
#include "game/scene/PlDkPlayFinder.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace scene::test {

using rules::test::BigJoker;
using rules::test::Card;
using rules::test::SmallJoker;

/// Gives a chair a hand: one sprite per card, in row order, 20 pixels apart.
inline void DealHand(ICardSpriteSet& sprites, int chair, const std::vector<int32_t>& cards, int view = 0)
{
    int next = 0;
    for (int i = 0; i < sprites.Count() && next < static_cast<int>(cards.size()); ++i) {
        CardSpriteState& s = sprites.At(i);
        if (s.state != CARD_STATE_NONE)
            continue;
        s = CardSpriteState {};
        s.card = cards[static_cast<size_t>(next)];
        s.chair = chair;
        s.view = view;
        s.state = CARD_STATE_HAND;
        s.row_index = next;
        s.row_count = static_cast<int32_t>(cards.size());
        s.x = 100 + 20 * next;
        s.y = 500;
        s.face_up = true;
        ++next;
    }
}

inline rules::CardPlay Play(int32_t type, int32_t strength, std::initializer_list<int32_t> cards)
{
    rules::CardPlay play;
    play.type = type;
    play.beat_mask = type;
    play.strength = strength;
    int n = 0;
    for (int32_t id : cards)
        play.cards[n++] = id;
    play.count = n;
    return play;
}

inline std::vector<int32_t> Ids(const rules::CardPlay& play)
{
    const auto cards = play.Cards();
    return { cards.begin(), cards.end() };
}

/// This game's table logic over 108 sprite records, the own chair 0.
struct SceneTable {
    CCardSpriteRecords sprites { 108 };
    CPlDkChairMath chairs { 0 };
    CPlDkHandOperations hand { sprites, chairs };
    CPlDkPlayFinder finder { hand };

    /// The raised own cards in hand order.
    [[nodiscard]] std::vector<int32_t> Raised() const
    {
        std::array<int32_t, 64> out {};
        const int n = hand.GetRaisedCards(out);
        return { out.begin(), out.begin() + n };
    }
};

} // namespace scene::test
