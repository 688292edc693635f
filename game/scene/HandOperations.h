#pragma once
// Hand operations of the card-game table over the card sprites: reading the
// own hand and its raised cards, counting by value, raising and lowering,
// sorting and renumbering hands, giving a chair its cards, and finding
// sprites. The own hand is the set of sprites of the own chair in the hand
// state, in ascending row index (ties in sprite order).
//
// Owner: the scene; holds references to its sprite set and chair maths,
// which must outlive it, and the scene's card-count placer (the scene's own
// step, so the scene must outlive it too). Thread: the UI thread only.
// Hazards: card lists are spans the caller sizes (normally 64 entries, -1
// behind the last card); outputs never write past the span. A sprite index of
// -1 means "none".

#include "game/scene/CardSpriteState.h"
#include "game/scene/ChairMath.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace scene {

/// Sort types of SortHand.
enum HandSortType : int {
    SORT_KEEP = 0,            ///< any type not below keeps the order
    SORT_BY_VALUE_DOWN = 1,
    SORT_BY_SUIT = 3,
    SORT_BY_VALUE_UP = 4,
    SORT_BY_COUNT_UP = 5,
    SORT_BY_COUNT_DOWN = 6,
};

inline constexpr int VALUE_SLOTS = 16;

class CHandOperations {
public:
    CHandOperations(ICardSpriteSet& sprites, const CChairMath& chairs, int32_t level = 1);
    virtual ~CHandOperations() = default;
    CHandOperations(const CHandOperations&) = delete;
    CHandOperations& operator=(const CHandOperations&) = delete;

    [[nodiscard]] ICardSpriteSet& Sprites() const { return m_sprites; }
    [[nodiscard]] const CChairMath& Chairs() const { return m_chairs; }
    [[nodiscard]] int32_t GetLevel() const { return m_level; }

    // --- Reading
    /// Sprite indexes of a chair's hand in hand order.
    [[nodiscard]] std::vector<int> HandSprites(int chair) const;
    /// Own hand cards in hand order (face-down entries skipped); -1 fills the
    /// rest of out. Answers the cards written.
    int GetHandCards(std::span<int32_t> out) const;
    int GetRaisedCards(std::span<int32_t> out) const;
    /// Own hand cards whose value is held exactly n times.
    int GetCardsWithCount(std::span<int32_t> out, int n) const;
    /// Zero-fills the counters and counts the own hand by value.
    void CountHandByValue(std::span<int32_t> counters) const;
    [[nodiscard]] int CountRaisedCards() const;
    /// Sprites of a chair (-1: any) in a state.
    [[nodiscard]] int CountSprites(int chair, int32_t state) const;
    /// The number of distinct values among the cards.
    [[nodiscard]] static int CountValues(std::span<const int32_t> cards);
    /// Sorts real cards first, by descending order x 1000 + card id; -1
    /// behind. Answers the number of real cards.
    static int SortCardsByOrder(std::span<int32_t> cards, int32_t level);

    // --- Finding sprites (index or -1)
    [[nodiscard]] int FindSpriteByCard(int32_t card) const;
    /// The chair's hand sprite holding the card, else the chair's first hand
    /// sprite.
    [[nodiscard]] int FindHandSprite(int chair, int32_t card) const;
    [[nodiscard]] int FindHandSpriteAt(int chair, int32_t row_index) const;

    // --- Raising and lowering own hand cards
    /// Lowers every raised own card (moving and raised flags off, redrawn).
    virtual void LowerAllCards();
    int RaiseValue(int32_t value);
    int RaiseCards(std::span<const int32_t> cards);
    /// Raises the value held exactly n times with the lowest order.
    int RaiseSmallestWithCount(int n);
    /// Raises every own card whose value is held exactly n times; the caller
    /// runs the selection check.
    int RaiseValuesWithCount(int n);
    /// The automatic lead: the lowest value, or the smallest group when that
    /// value is held as a bomb.
    int RaiseLeadCards();

    // --- Layout
    /// Row counts (and for other views row indexes and order) of a chair's
    /// hand; answers its size. PlaceCardCount follows.
    int RenumberHand(int chair);
    void SortHandByOrder(int chair);
    /// Re-orders the own hand by the type's keys and lays it out again from
    /// its leftmost position.
    void SortHand(int type);
    /// Gives a chair's hand sprites the sorted cards when their numbers
    /// match; answers 1 when it did.
    int SetChairCards(int chair, std::span<const int32_t> cards);
    /// Where the table shows a chair's card count (the last step of
    /// RenumberHand); without one nothing is shown.
    using CardCountPlacer = std::function<void(int chair, int count)>;
    void SetCardCountPlacer(CardCountPlacer placer) { m_place_card_count = std::move(placer); }
    void PlaceCardCount(int chair, int count) const
    {
        if (m_place_card_count)
            m_place_card_count(chair, count);
    }

protected:
    /// The sort key of an own hand sprite: its row index for a type that
    /// keeps the order, 0 for a face-down card, else CardSortKey.
    [[nodiscard]] int64_t SortKey(int type, int sprite, std::span<const int32_t> counters,
                                  std::span<const int32_t> marked) const;
    /// The key of a face-up card for one of the keyed sort types.
    [[nodiscard]] virtual int64_t CardSortKey(int type, const CardSpriteState& sprite, std::span<const int32_t> counters,
                                              std::span<const int32_t> marked) const;
    [[nodiscard]] static bool SortsDescending(int type);
    /// Cards the sort keys single out (this game: the 510K sets).
    [[nodiscard]] virtual std::vector<int32_t> MarkedCards(int /*type*/) const { return {}; }
    [[nodiscard]] bool IsOwnHand(const CardSpriteState& s) const;

    ICardSpriteSet& m_sprites;
    const CChairMath& m_chairs;
    int32_t m_level;
    CardCountPlacer m_place_card_count;
};

} // namespace scene
