#pragma once
// This game's hand operations: sort keys that keep arranged groups together
// and put the 510K sets first when sorting by count, and the 510K selection.
//
// Owner, thread and hazards as CHandOperations.

#include "game/rules/CardRules.h"
#include "game/scene/HandOperations.h"

namespace scene {

using rules::POINTS_FIVE;
using rules::POINTS_TEN_OR_KING;
using rules::VALUE_FIVE;
using rules::VALUE_KING;
using rules::VALUE_TEN;

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
