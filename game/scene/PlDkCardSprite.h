#pragma once
// CPlDkCardSprite: this game's card sprite (two decks of 54, ids 0..107).
// Besides the generic sprite it marks wild cards in the own hand, dims
// disabled cards, can show a suit icon on the face, shifts the own hand by
// thirds of a step, and lets an old play stay visible faded (both ghost
// flags set: the first marks the card as a last play, the second says the
// last plays are being shown, and then a card of the current play hides).
// Its piles and seats follow this game's four-seat table. A reset card
// sends no mouse events until the scene enables them again.
//
// Owner: the object module; the suit icon follows the face and goes with it.
// Thread: UI thread. Hazards: as CCardSprite; the wild test is the scene's
// and must not outlive it (the scene clears it before it goes).

#include <functional>

#include "game/scene/CardSprite.h"

namespace scene {

class CPlDkCardSprite : public CCardSprite {
public:
    static constexpr int32_t DECK_CARDS = 108;
    static constexpr double GHOST_ALPHA = 0.8;
    using WildTest = std::function<bool(int32_t card)>;

    CPlDkCardSprite() : CCardSprite(4) {}

    void Create() override;
    void Reset() override;
    [[nodiscard]] Point GetPilePosition() const override;
    [[nodiscard]] Point GetPlayedPosition() const override;
    [[nodiscard]] int32_t GetOverlapStepY() const override { return 15; }

    /// The table rules' wild-card test (empty: no card is wild).
    void SetWildTest(WildTest test) { m_wild_test = std::move(test); }
    [[nodiscard]] engine::CImageObject* GetSuitIcon() const;

    bool m_suit_icon_shown { false };
    int32_t m_hand_shift { 0 };   ///< in thirds of a horizontal step
    bool m_ghost_first { false };   ///< the card is in a seat's last play
    bool m_ghost_second { false };  ///< the last plays are being shown
    /// How far the card stands aside from its place while shown as a last
    /// play (the own one on the own turn, off the turn's buttons and clock).
    Point m_ghost_shift {};

protected:
    [[nodiscard]] HandGaps GetHandGaps() const override { return { 40, 35, 14, m_hand_shift }; }
    bool DrawCard() override;
    [[nodiscard]] int32_t GetMaxCardId() const override { return DECK_CARDS - 1; }
    [[nodiscard]] bool IsDimmed() const override { return m_record.drag_mark || m_disabled; }

private:
    void ShowSuitIcon();

    WildTest m_wild_test;
    uint32_t m_suit_icon_id { 0 };
};

} // namespace scene
