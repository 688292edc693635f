// Hand operations over headless sprite records: reading, raising, sort keys
// of the card-game table and of this game, renumbering and the 510K sets.
#include "game/scene/PlDkHandOperations.h"

#include "SceneTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace scene {
namespace {

using test::BigJoker;
using test::Card;
using test::DealHand;
using test::SmallJoker;

class HandOperationsTest : public ::testing::Test {
protected:
    /// The own hand's card ids in row order.
    std::vector<int32_t> Row(const CHandOperations& hand) const
    {
        std::vector<int32_t> row;
        for (int i : hand.HandSprites(0))
            row.push_back(m_sprites.At(i).card);
        return row;
    }
    std::vector<int32_t> Raised(const CHandOperations& hand) const
    {
        std::array<int32_t, 64> out {};
        const int n = hand.GetRaisedCards(out);
        return { out.begin(), out.begin() + n };
    }

    CCardSpriteRecords m_sprites { 108 };
    CChairMath m_ring { 4, 0 };
    CPlDkChairMath m_chairs { 0 };
};

TEST_F(HandOperationsTest, GenericSortKeys)
{
    // 3 of spades, ace of diamonds, 3 of hearts, big joker, 2 of clubs (the
    // level card: order 20), ace of spades.
    const std::vector<int32_t> cards = { Card(2, 3), Card(13, 0), Card(2, 2), BigJoker(), Card(1, 1), Card(13, 3) };
    const struct {
        int type;
        std::vector<int32_t> row;
    } cases[] = {
        { SORT_BY_VALUE_DOWN, { BigJoker(), Card(1, 1), Card(13, 3), Card(13, 0), Card(2, 3), Card(2, 2) } },
        { SORT_BY_VALUE_UP, { Card(2, 2), Card(2, 3), Card(13, 0), Card(13, 3), Card(1, 1), BigJoker() } },
        { SORT_BY_SUIT, { BigJoker(), Card(13, 3), Card(2, 3), Card(2, 2), Card(1, 1), Card(13, 0) } },
        { SORT_BY_COUNT_DOWN, { Card(13, 3), Card(13, 0), Card(2, 3), Card(2, 2), BigJoker(), Card(1, 1) } },
        { SORT_BY_COUNT_UP, { Card(1, 1), BigJoker(), Card(2, 2), Card(2, 3), Card(13, 0), Card(13, 3) } },
        { 2, cards },
        { 0, cards },
    };
    for (const auto& c : cases) {
        CCardSpriteRecords sprites(108);
        DealHand(sprites, 0, cards);
        sprites.At(0).x = 300; // the row is re-laid from its leftmost card
        CHandOperations hand(sprites, m_ring);
        hand.SortHand(c.type);
        std::vector<int32_t> row;
        int k = 0;
        for (int i : hand.HandSprites(0)) {
            row.push_back(sprites.At(i).card);
            EXPECT_EQ(sprites.At(i).x, 120 + 20 * k) << c.type;
            EXPECT_EQ(sprites.At(i).y, 500);
            ++k;
        }
        EXPECT_EQ(row, c.row) << "sort type " << c.type;
    }
}

TEST_F(HandOperationsTest, PlDkSortKeepsArrangedGroupsAndPuts510KFirstByCount)
{
    // Two arranged groups: group 2 leads a descending sort, then group 1,
    // then the rest; ascending sorts close the hand with them.
    const std::vector<int32_t> cards = { Card(2, 0), Card(7, 1), Card(13, 2), Card(5, 3), Card(5, 0) };
    DealHand(m_sprites, 0, cards);
    m_sprites.At(0).group = 1; // the 3
    m_sprites.At(3).group = 2; // the 6 of spades
    CPlDkHandOperations hand(m_sprites, m_chairs);
    hand.SortHand(SORT_BY_VALUE_DOWN);
    EXPECT_EQ(Row(hand), (std::vector<int32_t> { Card(5, 3), Card(2, 0), Card(13, 2), Card(7, 1), Card(5, 0) }));
    hand.SortHand(SORT_BY_VALUE_UP);
    EXPECT_EQ(Row(hand), (std::vector<int32_t> { Card(5, 0), Card(7, 1), Card(13, 2), Card(2, 0), Card(5, 3) }));

    // By count: a 510K set ranks between triples and bombs, so here it leads.
    CCardSpriteRecords sprites(108);
    const std::vector<int32_t> mixed = { Card(4, 0), Card(9, 1), Card(12, 2), Card(3, 0), Card(3, 1), Card(8, 3) };
    DealHand(sprites, 0, mixed);
    CPlDkHandOperations by_count(sprites, m_chairs);
    by_count.SortHand(SORT_BY_COUNT_DOWN);
    std::vector<int32_t> row;
    for (int i : by_count.HandSprites(0))
        row.push_back(sprites.At(i).card);
    EXPECT_EQ(row, (std::vector<int32_t> { Card(12, 2), Card(9, 1), Card(4, 0), Card(3, 1), Card(3, 0), Card(8, 3) }));
    by_count.SortHand(SORT_BY_COUNT_UP);
    row.clear();
    for (int i : by_count.HandSprites(0))
        row.push_back(sprites.At(i).card);
    EXPECT_EQ(row, (std::vector<int32_t> { Card(8, 3), Card(3, 0), Card(3, 1), Card(4, 0), Card(9, 1), Card(12, 2) }));
}

TEST_F(HandOperationsTest, RaisingByValueCountAndList)
{
    DealHand(m_sprites, 0, { Card(5, 0), Card(5, 1), Card(9, 2), Card(9, 3), Card(9, 0), Card(3, 1), Card(11, 2) });
    DealHand(m_sprites, 1, { Card(3, 0) }, 1);
    CHandOperations hand(m_sprites, m_ring);
    // Singles are the 4 and the Q; the 4 has the lower order.
    EXPECT_EQ(hand.RaiseSmallestWithCount(1), 1);
    EXPECT_EQ(Raised(hand), (std::vector<int32_t> { Card(3, 1) }));
    EXPECT_EQ(hand.RaiseSmallestWithCount(4), 0);
    hand.LowerAllCards();
    EXPECT_EQ(hand.CountRaisedCards(), 0);
    EXPECT_EQ(hand.RaiseValuesWithCount(3), 3);
    hand.LowerAllCards();
    // A card not in the own hand raises nothing (not the first card instead).
    EXPECT_EQ(hand.RaiseCards(std::vector<int32_t> { Card(3, 0), -1, Card(11, 2) }), 1);
    EXPECT_EQ(Raised(hand), (std::vector<int32_t> { Card(11, 2) }));
    std::array<int32_t, 8> with_two {};
    EXPECT_EQ(hand.GetCardsWithCount(with_two, 2), 2);
    EXPECT_EQ(with_two[0], Card(5, 0));
    EXPECT_EQ(with_two[2], -1);
    EXPECT_EQ(CHandOperations::CountValues(std::vector<int32_t> { Card(5, 0), Card(5, 1), Card(9, 2), -1 }), 2);
    EXPECT_EQ(hand.CountSprites(-1, CARD_STATE_HAND), 8);
    EXPECT_EQ(hand.CountSprites(1, CARD_STATE_HAND), 1);
}

TEST_F(HandOperationsTest, LeadRaisesTheLowestValueOrTheSmallestGroupUnderABomb)
{
    const struct {
        std::vector<int32_t> cards;
        std::vector<int32_t> raised;
    } cases[] = {
        { { Card(9, 0), Card(3, 0), Card(3, 1), Card(12, 2) }, { Card(3, 0), Card(3, 1) } },
        // Four 4s are a bomb: the smallest single (the 10) leads instead.
        { { Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3), Card(9, 0), Card(12, 1), Card(12, 2) }, { Card(9, 0) } },
        { { Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3), Card(12, 1), Card(12, 2) }, { Card(12, 1), Card(12, 2) } },
    };
    for (const auto& c : cases) {
        CCardSpriteRecords sprites(108);
        DealHand(sprites, 0, c.cards);
        CHandOperations hand(sprites, m_ring);
        hand.RaiseLeadCards();
        std::array<int32_t, 64> out {};
        const int n = hand.GetRaisedCards(out);
        EXPECT_EQ(std::vector<int32_t>(out.begin(), out.begin() + n), c.raised);
    }
}

TEST_F(HandOperationsTest, SetChairCardsNeedsOneCardPerSprite)
{
    DealHand(m_sprites, 2, { -1, -1, -1, -1, -1, -1 }, 2);
    CHandOperations hand(m_sprites, m_ring);
    const std::vector<int32_t> five = { Card(1, 0), Card(2, 0), Card(3, 0), Card(4, 0), Card(5, 0), -1 };
    EXPECT_EQ(hand.SetChairCards(2, five), 0);
    EXPECT_EQ(m_sprites.At(0).card, -1);
    const std::vector<int32_t> six = { Card(2, 0), Card(1, 0), Card(4, 0), -1, Card(3, 0), Card(5, 0), Card(6, 0) };
    EXPECT_EQ(hand.SetChairCards(2, six), 1);
    // Sorted by descending order: the 2 (level card) first.
    EXPECT_EQ(m_sprites.At(0).card, Card(1, 0));
    EXPECT_EQ(m_sprites.At(1).card, Card(6, 0));
    EXPECT_EQ(m_sprites.At(5).card, Card(2, 0));
    EXPECT_EQ(m_sprites.At(5).row_count, 6);
    EXPECT_TRUE(m_sprites.At(5).face_up);
}

TEST_F(HandOperationsTest, RenumberOtherViewsSortsByOrder)
{
    DealHand(m_sprites, 0, { Card(5, 0), Card(2, 0) });
    DealHand(m_sprites, 1, { Card(13, 0), Card(3, 0), -1 }, 1);
    m_sprites.At(0).row_index = 7;
    CHandOperations hand(m_sprites, m_ring);
    EXPECT_EQ(hand.RenumberHand(0), 2);
    EXPECT_EQ(m_sprites.At(0).row_index, 7); // the own view keeps its order
    EXPECT_EQ(m_sprites.At(1).row_count, 2);
    EXPECT_EQ(hand.RenumberHand(1), 3);
    EXPECT_EQ(m_sprites.At(4).row_index, 0); // face down first (order 0)
    EXPECT_EQ(m_sprites.At(3).row_index, 1);
    EXPECT_EQ(m_sprites.At(2).row_index, 2);
    EXPECT_EQ(hand.FindHandSpriteAt(1, 2), 2);
    EXPECT_EQ(hand.FindHandSprite(1, Card(9, 3)), 2); // falls back to the first
    EXPECT_EQ(hand.FindSpriteByCard(Card(3, 0)), 3);
}

TEST_F(HandOperationsTest, Select510KTakesSuitedSetsThenMixed)
{
    const struct {
        std::vector<int32_t> cards;
        std::vector<int32_t> sets;
    } cases[] = {
        // Two 5s of hearts, a 10 and a K of hearts, a K of spades: one suited set, no mixed one.
        { { Card(4, 2), Card(4, 2, 1), Card(9, 2), Card(12, 2), Card(12, 3) }, { Card(4, 2), Card(9, 2), Card(12, 2) } },
        { { Card(4, 0), Card(9, 1), Card(12, 3), Card(12, 0) }, { Card(4, 0), Card(9, 1), Card(12, 0) } },
        { { Card(4, 0), Card(9, 0), Card(12, 0), Card(4, 1), Card(9, 2), Card(12, 3) },
          { Card(4, 0), Card(9, 0), Card(12, 0), Card(4, 1), Card(9, 2), Card(12, 3) } },
        { { Card(4, 0), Card(9, 1), SmallJoker() }, {} },
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPlDkHandOperations::Collect510KSets(c.cards), c.sets);

    DealHand(m_sprites, 0, cases[0].cards);
    CPlDkHandOperations hand(m_sprites, m_chairs);
    EXPECT_EQ(hand.Select510K(), 3);
    EXPECT_EQ(Raised(hand), (std::vector<int32_t> { Card(4, 2), Card(9, 2), Card(12, 2) }));
    EXPECT_EQ(hand.Select510K(), 3); // a second press takes them back
    EXPECT_EQ(hand.CountRaisedCards(), 0);
}

} // namespace
} // namespace scene
