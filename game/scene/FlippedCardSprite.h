#pragma once
// CFlippedCardSprite: the top-left 16 x 32 corner of a card (rank and
// suit), used for the score cards a seat has taken. The corners of a seat
// stand in rows of eight from an anchor the scene gives; the corner takes
// no mouse events.
//
// Owner: the object module; the corner canvas is the sprite's visual.
// Thread: UI thread. Hazards: ids outside the two decks hide the corner.

#include "game/scene/CardSprite.h"

namespace scene {

class CFlippedCardSprite : public CCardSprite {
public:
    static constexpr int32_t CORNER_WIDTH = 16;
    static constexpr int32_t CORNER_HEIGHT = 32;
    static constexpr int32_t ROW_LENGTH = 8;
    static constexpr int32_t DECK_CARDS = 108;

    CFlippedCardSprite() : CCardSprite(4) {}

    void Create() override;
    int OnEvent(const engine::EngineEvent& event) override;
    void UpdateImage() override;
    void Reset() override;
    [[nodiscard]] Point GetHandPosition() const override;
    [[nodiscard]] static int32_t GetCornerWidth() { return CORNER_WIDTH; }
    /// The corner row's start, moved half a corner inwards by view.
    void SetAnchor(int32_t x, int32_t y);
    [[nodiscard]] Point GetAnchor() const { return m_anchor; }
    [[nodiscard]] engine::CCanvasObject* GetCorner() const;

private:
    uint32_t m_corner_id { 0 };
    Point m_anchor {};
};

} // namespace scene
