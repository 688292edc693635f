#pragma once
// The cards of each seat's last play, kept when the played cards are taken
// off the table so that the player can look back at them (the last-throw
// button marks them among the card sprites).
//
// Owner: the scene holds one beside its card sprites. Thread: UI thread.
// Hazards: chairs come from table events; a chair outside 0 to 3 (other than
// -1, all chairs) retires nothing, and a seat's list never takes more than
// its 32 entries.

#include <array>
#include <cstdint>
#include <span>

#include "game/scene/CardSpriteState.h"

namespace scene {

inline constexpr int LAST_PLAY_SEATS = 4;
inline constexpr int LAST_PLAY_SLOTS = 32;
/// A seat whose state word is this or more is not marked.
inline constexpr int32_t LAST_PLAY_UNMARKED_STATE = 2;

class CLastPlayLists {
public:
    CLastPlayLists() { Clear(); }

    /// Every entry -1 and the keep flag cleared.
    void Clear();
    /// Moves the played cards (state 2) of chair, or of every chair for -1,
    /// to the old-play state (redrawn) and records their ids in their
    /// owners' lists in sprite order. When there were some, the chair's
    /// list is emptied first; for -1, or when the keep flag is set, all four
    /// lists are (and the keep flag is cleared). True when cards moved.
    bool RetirePlayedCards(ICardSpriteSet& sprites, int32_t chair);
    /// The id is not -1 and stands in the list of a seat whose state word
    /// is below LAST_PLAY_UNMARKED_STATE.
    [[nodiscard]] bool IsInLastPlay(int32_t card) const;
    /// Any entry is not -1 (state words not consulted).
    [[nodiscard]] bool HasLastPlay() const;

    void SetKeep(bool keep) { m_keep = keep; }
    [[nodiscard]] bool GetKeep() const { return m_keep; }
    void SetSeatState(int chair, int32_t state);
    /// A seat's list taken back (a running game rebuilt): its first 32 ids,
    /// -1 for the rest; nothing for a chair outside 0 to 3.
    void SetList(int chair, std::span<const int32_t> cards);
    [[nodiscard]] const std::array<int32_t, LAST_PLAY_SLOTS>& List(int chair) const { return m_lists.at(size_t(chair)); }

private:
    std::array<std::array<int32_t, LAST_PLAY_SLOTS>, LAST_PLAY_SEATS> m_lists {};
    std::array<int32_t, LAST_PLAY_SEATS> m_seat_state {};
    bool m_keep { false };
};

} // namespace scene
