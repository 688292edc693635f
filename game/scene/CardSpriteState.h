#pragma once
// The card sprites of a table as plain state records. The scene keeps no
// separate hand model: a chair's hand is the set of its sprites in the hand
// state, ordered by row index. Every hand operation, selection check and
// search of this library works on these records through ICardSpriteSet, so it
// runs without the engine; the engine's card sprites implement the interface
// (each keeps one record and redraws itself on Redraw), and tests use the
// headless CCardSpriteRecords.
//
// Owner: the scene owns the set; operations hold a reference for one call.
// Thread: the UI thread only.
// Hazards: a sprite index runs 0..Count()-1; a card id of -1 is a face-down
// card. Redraw is called after every change the screen must show.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scene {

/// Where a card sprite lies.
enum CardSpriteStateId : int32_t {
    CARD_STATE_NONE = 0,
    CARD_STATE_HAND = 1,
    CARD_STATE_PLAYED = 2,     ///< the current play on the table
    CARD_STATE_OLD_PLAY = 3,
    CARD_STATE_CLEARED = 7,
};

/// The fields of one card sprite that the table logic reads and writes.
struct CardSpriteState {
    int32_t card { -1 };        ///< -1 when face down
    int32_t chair { -1 };       ///< owner chair
    int32_t view { -1 };
    int32_t state { CARD_STATE_NONE };
    int32_t row_index { 0 };
    int32_t row_count { 0 };
    int32_t x { 0 };            ///< layout position
    int32_t y { 0 };
    int32_t group { 0 };        ///< arrange group, 0 for none
    bool moving { false };
    bool raised { false };
    bool drag_mark { false };
    bool face_up { false };
};

/// The pool of card sprites as the table logic sees it.
class ICardSpriteSet {
public:
    virtual ~ICardSpriteSet() = default;
    [[nodiscard]] virtual int Count() const = 0;
    [[nodiscard]] virtual CardSpriteState& At(int index) = 0;
    [[nodiscard]] virtual const CardSpriteState& At(int index) const = 0;
    /// The distance between neighbouring cards of the sprite's hand.
    [[nodiscard]] virtual int32_t GetOverlapStepX(int index) const = 0;
    /// Shows the record's current state.
    virtual void Redraw(int index) = 0;
};

/// The headless set: records in a vector, a fixed overlap step, and a count
/// of redraws per sprite.
class CCardSpriteRecords final : public ICardSpriteSet {
public:
    explicit CCardSpriteRecords(int count, int32_t overlap_step = 20)
        : m_records(static_cast<size_t>(count > 0 ? count : 0))
        , m_redraws(m_records.size(), 0)
        , m_step(overlap_step)
    {
    }
    [[nodiscard]] int Count() const override { return static_cast<int>(m_records.size()); }
    [[nodiscard]] CardSpriteState& At(int index) override { return m_records.at(static_cast<size_t>(index)); }
    [[nodiscard]] const CardSpriteState& At(int index) const override { return m_records.at(static_cast<size_t>(index)); }
    [[nodiscard]] int32_t GetOverlapStepX(int) const override { return m_step; }
    void Redraw(int index) override { ++m_redraws.at(static_cast<size_t>(index)); }
    [[nodiscard]] int GetRedraws(int index) const { return m_redraws.at(static_cast<size_t>(index)); }

private:
    std::vector<CardSpriteState> m_records;
    std::vector<int> m_redraws;
    int32_t m_step;
};

} // namespace scene
