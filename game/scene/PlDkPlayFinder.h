#pragma once
// This game's play finder: the hint search (the first play of a hand that
// may be laid on the play given, in a fixed order of types and lengths), the
// selection check and the throw reading under this game's rules, the hint
// button's cycle with its no-split assist, the decision at the start of the
// own turn (automatic pass or the pass prompt) and the play made when the
// turn times out. Everything is judged by a CPlDkTable built for the call.
//
// Owner: the scene; holds a reference to its hand operations, which must
// outlive it. Keeps the hint record and the second hint record between
// presses. Thread: the UI thread only (the rules' card callbacks are
// program-wide).
// Hazards: the results tell the caller what to do (raise is already done on
// the sprites; passing, throwing, sounds and buttons are the caller's).

#include "game/rules/PlDkTable.h"
#include "game/scene/CardGameSelection.h"
#include "game/scene/PlDkHandOperations.h"
#include "game/scene/PlaySearch.h"

#include <cstdint>
#include <optional>
#include <span>

namespace scene {

/// The play types of this game's searches and selection checks.
inline constexpr int32_t PLDK_HINT_MASK = 0x381347;
static_assert(PLDK_HINT_MASK
              == (rules::CARD_TYPE_SINGLE | rules::CARD_TYPE_PAIR | rules::CARD_TYPE_TRIPLE | rules::CARD_TYPE_STRAIGHT
                  | rules::CARD_TYPE_PAIR_SEQ | rules::CARD_TYPE_TRIPLE_SEQ | rules::CARD_TYPE_BOMB
                  | rules::CARD_TYPE_FOUR_JOKERS | rules::CARD_TYPE_510K | rules::CARD_TYPE_510K_SUITED));
/// Wild flag of a search.
inline constexpr int WILD_JOKERS = 1;
inline constexpr int NO_WILD = 0;

/// What the start of the own turn leaves to the caller.
enum class TurnStart : uint8_t {
    NotOwnTurn,   ///< nothing to do
    Lead,         ///< retire the played cards, hide pass and hint
    Follow,       ///< show pass and hint
    AutoPass,     ///< queue the automatic pass after the wait, then as Follow
    PassPrompt,   ///< flash the pass prompt, then as Follow
};

/// What a press of the hint button leaves to the caller.
enum class HintPress : uint8_t {
    Nothing,      ///< leading: the hint does nothing
    Raised,       ///< a play is raised: check, "Snd_HitCard"
    Assisted,     ///< the assist raised a play (it ran the check and sound)
    Pass,         ///< nothing beats the last play: pass
};

/// The play made when the own turn times out.
enum class TimeoutPlay : uint8_t { Throw, Pass };

class CPlDkPlayFinder {
public:
    explicit CPlDkPlayFinder(CPlDkHandOperations& hand) : m_hand(hand) { }

    /// The hint search over a hand: answers 1 with the play in `found` and
    /// its ids in `out`, else 0. Wild flag 0 makes no joker wild; suit -1
    /// lets the suited 510K take any suit.
    static int SearchHint(std::span<const int32_t> hand, std::span<int32_t> out, rules::CardPlay to_beat,
                          rules::CardPlay& found, int32_t type_mask, int wild, int32_t suit);
    /// The same with the lengths longest first.
    static int SearchHintLongFirst(std::span<const int32_t> hand, std::span<int32_t> out, rules::CardPlay to_beat,
                                   rules::CardPlay& found, int32_t type_mask, int wild, int32_t suit);

    /// The selection check under this game's rules (at most 32 raised cards).
    [[nodiscard]] SelectionState CheckSelection(const LastPlay& last) const;
    /// The reading a throw of these cards sends; none gives THROW_NO_READING.
    [[nodiscard]] std::optional<rules::CardPlay> ReadThrow(std::span<const int32_t> cards, const LastPlay& last) const;
    /// The throw request: the next chair (PrevChair of the own chair, which
    /// honours the seat swap) in word 4.
    [[nodiscard]] rules::ThrowRequest MakeThrow(const ThrowIdentity& who, const rules::CardPlay& play) const;

    /// Start of a turn of `current_chair`: decides the automatic pass and
    /// clears both hint records.
    TurnStart StartTurn(int current_chair, const LastPlay& last);
    /// One press of the hint button.
    HintPress PressHint(const LastPlay& last);
    /// The no-split assist: the whole hand when it is one play that can be
    /// taken, else the next play after the second hint that takes every
    /// copy of each value it holds. Answers true when it raised cards.
    bool AssistSelection(const LastPlay& last);
    /// The other assist (following only): the first no-split play that beats
    /// the last play, else the first play that beats it.
    void AssistSelectionAlt(const LastPlay& last);
    /// The own turn timed out: raises the play to throw, or decides to pass.
    TimeoutPlay PlayOnTimeout(const LastPlay& last);

    void ClearHints();
    [[nodiscard]] const rules::CardPlay& GetHint() const { return m_hint; }
    [[nodiscard]] const rules::CardPlay& GetSecondHint() const { return m_second_hint; }
    [[nodiscard]] CPlDkHandOperations& Hand() const { return m_hand; }

private:
    [[nodiscard]] int OwnChair() const { return m_hand.Chairs().GetOwnChair(); }
    /// The own hand, -1 behind; answers the cards.
    int ReadHand(std::span<int32_t, rules::PLAY_CARDS> hand) const;
    /// The whole hand read as one play that can be taken now.
    [[nodiscard]] std::optional<rules::CardPlay> WholeHandPlay(std::span<const int32_t> hand, const LastPlay& last) const;
    /// Walks the hint's plays from `start`; the first that splits no group
    /// of equal cards of the hand.
    [[nodiscard]] std::optional<rules::CardPlay> FindNoSplit(std::span<const int32_t> hand,
                                                             const rules::CardPlay& start) const;

    CPlDkHandOperations& m_hand;
    rules::CardPlay m_hint;
    rules::CardPlay m_second_hint;
};

} // namespace scene
