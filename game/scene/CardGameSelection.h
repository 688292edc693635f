#pragma once
// The card-game table's selection rules: whether the raised cards form a
// play to lead or to beat the last play (judged with the generic card rules
// of an eight-chair, four-deck table, independent of this game's table), the
// reading a throw sends, and the classification that finds the weakest play
// of a hand that beats a given one.
//
// Owner: none; each call builds its own rules table and drops it.
// Thread: the UI thread (the rules' card callbacks are program-wide).

#include "game/rules/CardTable.h"
#include "game/scene/HandOperations.h"
#include "game/scene/PlaySearch.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace scene {

/// What a selection check found.
struct SelectionState {
    int selected { 0 };            ///< raised own cards
    bool has_reading { false };    ///< the raised cards read as a play
    bool throw_enabled { false };  ///< ... that may be led or beats the last play
    bool choice_cleared { false }; ///< nothing raised: the select choice becomes 0
};

/// The answer of a throw whose cards have no reading.
inline constexpr int THROW_NO_READING = 10100;
/// The rule mask of the card-game table's checks and searches.
inline constexpr int32_t CARD_GAME_RULE_MASK = rules::BEAT_MASK_WITH_FOUR_JOKERS;

/// The generic rules table of the checks (8 chairs, 216 cards, 4 decks,
/// 64-card hands, default callbacks).
[[nodiscard]] rules::TableArgs CardGameTableArgs();

/// Reads the raised own cards and judges them against the last play.
[[nodiscard]] SelectionState CheckCardGameSelection(const CHandOperations& hand, const LastPlay& last);

/// The reading a throw of these cards sends: the strongest reading when
/// leading, the one that beats the last play otherwise; none when the cards
/// have no such reading.
[[nodiscard]] std::optional<rules::CardPlay> ReadCardGameThrow(int own_chair, std::span<const int32_t> cards,
                                                               const LastPlay& last);

/// The weakest play of the cards that beats `to_beat`, by type in the
/// table's order (singles to triple sequences with pairs, bombs of 4 to 8,
/// straight flush, big bomb, four jokers). Answers 1 with `found` and its ids
/// in `out`, else 0. A rule flag of 0 clears the table's rule bit 0.
int ClassifyCards(std::span<const int32_t> cards, std::span<int32_t> out, rules::CardPlay to_beat,
                  rules::CardPlay& found, int32_t rule_mask, int rule_flag);
/// The same matcher under its second name.
inline int MatchPlayType(std::span<const int32_t> cards, std::span<int32_t> out, rules::CardPlay to_beat,
                         rules::CardPlay& found, int32_t rule_mask, int rule_flag)
{
    return ClassifyCards(cards, out, to_beat, found, rule_mask, rule_flag);
}

/// Completes a partial selection of the own hand: leading, the first play
/// (of triple with pair, straight, triple sequence, triple sequence with
/// pairs, four jokers) that holds every raised card; following, the one play
/// of any type that beats the last play and holds them, merged with the
/// raised cards. Answers 1 when it raised a play (the caller then runs the
/// selection check), else 0.
int AutoSelectPlay(CHandOperations& hand, const LastPlay& last);

/// What a drag over the cards did.
enum class DragSelection : uint8_t { Raised, Lowered };
/// The rules a drag over the cards applies, those of the table's game.
struct SweepRules {
    /// Completes a partial selection (as AutoSelectPlay): 1 when it raised a
    /// play. Empty: no completion.
    std::function<int()> complete;
    /// MatchPlayType with rule flag 0 (cards, out, play to beat, found, type
    /// mask): the plays a sweep may become. A game gives its own rules, so
    /// that a sweep never becomes a play the game does not accept.
    std::function<int(std::span<const int32_t>, std::span<int32_t>, const rules::CardPlay&, rules::CardPlay&,
                      int32_t)>
        match;
};
/// The drag over the own cards has ended: the swept cards (drag-marked) are
/// raised, completed by the rules' completion, and a sweep of more than one
/// card that leaves more than four raised becomes the widest sequence
/// (leading) or the weakest play of the last play's type (following a play
/// of four or more cards) that the rules' matcher finds among the raised
/// cards; when every swept card was raised already, they are lowered. A
/// click (a sweep of one card) raises or lowers that card alone unless the
/// completion raises more. The caller plays the sound and runs the
/// selection check.
DragSelection ApplyDragSelection(CHandOperations& hand, const LastPlay& last, const SweepRules& sweep);

/// The throw request: own user, room, table and chair, the next chair at
/// `next_chair_word` (4 or 5), the play from word 12.
struct ThrowIdentity {
    int32_t user_id { 0 };
    int32_t room_id { 0 };
    int32_t table_number { 0 };
};
[[nodiscard]] rules::ThrowRequest MakeThrowRequest(const ThrowIdentity& who, int own_chair, int next_chair,
                                                   int next_chair_word, const rules::CardPlay& play);
inline constexpr size_t THROW_REQUEST_BYTES = 320;
/// The request's 80 words as the connection's throw request sends them.
[[nodiscard]] std::array<uint8_t, THROW_REQUEST_BYTES> ThrowRequestBytes(const rules::ThrowRequest& request);

} // namespace scene
