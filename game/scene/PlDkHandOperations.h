#pragma once
// This game's hand operations: sort keys that keep arranged groups together
// and put the 510K sets first when sorting by count, and the 510K selection.
//
// Owner, thread and hazards as CHandOperations.

#include "game/scene/HandOperations.h"

namespace scene {

/// This game's score cards by card value (rules::GetCardValue) and their
/// points: a 5 counts 5, a 10 or a K counts 10.
inline constexpr int32_t VALUE_FIVE = 4;
inline constexpr int32_t VALUE_TEN = 9;
inline constexpr int32_t VALUE_KING = 12;
inline constexpr int32_t POINTS_FIVE = 5;
inline constexpr int32_t POINTS_TEN_OR_KING = 10;

class CPlDkHandOperations final : public CHandOperations {
public:
    CPlDkHandOperations(ICardSpriteSet& sprites, const CPlDkChairMath& chairs, int32_t level = 1)
        : CHandOperations(sprites, chairs, level)
    {
    }

    /// The cards of the 510K sets a hand holds: per suit as many suited sets
    /// as the smallest of its counts of 5s, 10s and Ks, then from what is
    /// left as many mixed sets as the smallest remaining count of each kind.
    [[nodiscard]] static std::vector<int32_t> Collect510KSets(std::span<const int32_t> cards);
    /// Raises the cards of the own hand's 510K sets, or lowers them when all
    /// of them are raised already; the caller runs the selection check.
    /// Answers the cards changed.
    int Select510K();

protected:
    [[nodiscard]] int64_t CardSortKey(int type, const CardSpriteState& sprite, std::span<const int32_t> counters,
                                      std::span<const int32_t> marked) const override;
    [[nodiscard]] std::vector<int32_t> MarkedCards(int type) const override;
};

} // namespace scene
