#pragma once
// CCardTable: the card-game layer of the table model. It reads card ids
// through the program-wide callbacks, counts selections by value, reads a
// selection as every allowed play type (AnalyseCards), picks the reading to
// lead or to beat the last play, tests a beat, searches a hand for plays
// (the finders, weakest above a threshold so repeated calls walk upward) and
// runs the bidding for the banker. CPlDkTable overrides the game's own rules.
//
// Owner: whoever builds it; the scene builds short-lived ones on the stack.
// Thread: the owner's thread only.
// Hazards: card arrays hold ids with -1 behind the last card; ids outside
// 0..total-1 are not cards and are skipped by every count. Value counters
// have 16 entries. Strengths compare as unsigned numbers.

#include "game/rules/CardPlay.h"
#include "game/rules/CardRules.h"
#include "game/rules/GameTable.h"
#include "game/rules/RecordHeader.h"
#include "game/rules/TableRequests.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace rules {

/// The rule parameters of a card table.
struct CardRuleParams {
    int32_t total_cards { 108 };
    int32_t decks { 2 };
    int32_t hand_size { 32 };      ///< cards per hand, at most
    int32_t kept4 { 0 };
    int32_t kept5 { 16 };
    int32_t kept6 { 13 };
    int32_t kept7 { 0 };
    std::optional<std::array<int32_t, 16>> value_table;
    int32_t kept9 { 30 };
    int32_t kept10 { 4 };
    int32_t kept11 { 2 };
    int32_t high_bid { 400 };
    int32_t low_bid { 0 };
    int32_t default_bid { 100 };

    /// This game: 108 cards, 2 decks, 32-card hands.
    [[nodiscard]] static CardRuleParams PlDk() { return {}; }
    /// The scene's generic table: 216 cards, 4 decks, 64-card hands.
    [[nodiscard]] static CardRuleParams Generic();
};

/// Bidding option bits of the table.
inline constexpr int32_t OPTION_LOWEST_BID_WINS = 0x200000;
inline constexpr int32_t OPTION_BID_ONE_ROUND = 0x100000;
inline constexpr int MAX_BIDS = 32;

struct BidEntry {
    int32_t chair { 0 };
    int32_t pass { 0 };
    int32_t value { 0 };
    int32_t unused[4] {};
};

class CCardTable : public CGameTable {
public:
    CCardTable(const TableArgs& table_args, const CardRuleParams& rule_params,
               const CardCallbacks& callbacks = DefaultCardCallbacks());
    ~CCardTable() override;

    int Reset(int full) override;
    [[nodiscard]] const CardRuleParams& GetRuleParams() const { return m_rule; }

    // --- Counting (CardTable.cpp)
    [[nodiscard]] virtual int32_t GetLevelValue() const { return 0; }
    [[nodiscard]] bool IsCard(int32_t id) const { return id >= 0 && id < m_rule.total_cards; }
    [[nodiscard]] int CountValidCards(std::span<const int32_t> cards) const;
    [[nodiscard]] int GetHandCount(int chair) const;
    [[nodiscard]] std::span<const int32_t> GetValueCounters(int chair) const;
    int CountValues(std::span<const int32_t> cards, std::span<int32_t> counters, int32_t& wild_out) const;
    [[nodiscard]] virtual bool IsWildCard(int32_t card) const;
    [[nodiscard]] virtual bool IsWildValue(int32_t value) const;
    [[nodiscard]] int CountWildValues(std::span<const int32_t> counters, int32_t except_value) const;
    [[nodiscard]] virtual int CardsBelongTo(int chair, std::span<const int32_t> cards) const;

    // --- Reading a selection (CardTable.cpp)
    /// Reads the selection as each type of the mask, in the table's order
    /// (GetAnalysisOrder), appending the strongest reading of each type.
    int AnalyseCards(int chair, std::span<const int32_t> cards, CardPlayList& list, int32_t type_mask);
    /// The play types in the order the analysis tries them.
    [[nodiscard]] virtual std::span<const int32_t> GetAnalysisOrder() const;
    /// Runs the add operation of one play type; 0 for a type the table lacks.
    virtual int AddCandidate(int32_t type, std::span<const int32_t> cards, int valid, CardPlayList& list);
    [[nodiscard]] virtual int CanBeat(const CardPlay& last, const CardPlay& play) const;
    int PickLeadCandidate(CardPlayList& list) const;
    int PickBeatingCandidate(const CardPlay& last, CardPlayList& list) const;
    int AddSingleCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    virtual int AddPairCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    virtual int AddTripleCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddTriplePairCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddStraightCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddPairSeqCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddTripleSeqCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddTripleSeqPairsCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddBombCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddStraightFlushCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddBigBombCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddFourJokersCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddAnyCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);

    /// 1 in the play phase when word 2 of the request is the current chair.
    [[nodiscard]] virtual int IsPlayersTurn(std::span<const int32_t> request) const;
    /// Checks a throw; on success the request's play holds the verified reading.
    [[nodiscard]] virtual int IsValidThrow(ThrowRequest& request);

    // --- Counter-level searches (CardTableFinders.cpp)
    [[nodiscard]] int32_t FindValueToBeat(std::span<const int32_t> counters, int32_t need, int32_t wild,
                                          int32_t threshold) const;
    [[nodiscard]] int32_t FindStrongestValue(std::span<const int32_t> counters, int32_t need, int32_t wild) const;
    int32_t TakeStrongestValue(std::span<int32_t> counters, int32_t need, int32_t& wild) const;
    [[nodiscard]] int32_t FindWeakestValueAbove(std::span<const int32_t> counters, int32_t threshold) const;
    /// The weakest triple with a pair above the threshold; the pair needs a
    /// natural card unless PairMayBeAllWild().
    int FindTriplePairToBeat(std::span<const int32_t> counters, int32_t wild, int32_t threshold,
                             int32_t& triple_out, int32_t& pair_out) const;
    /// Moves `number` cards of `value` (and `suit` unless -1) that are not
    /// wild from hand to the end of dest, then fills a shortfall with wild
    /// cards; sorts the appended block. Returns the cards appended.
    int PickCards(std::span<int32_t> dest, std::span<int32_t> hand, int32_t value, int32_t number, int32_t suit) const;

    // --- Finders (CardTableFinders.cpp); each answers 1 when it wrote a play.
    // This game's table overrides the bomb, triple-sequence-with-pairs and
    // four-jokers finders; the others follow the protected hooks below.
    int FindSingle(std::span<const int32_t> cards, CardPlay& play) const;
    int FindPair(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play) const;
    int FindTriple(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play) const;
    virtual int FindBomb(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t length) const;
    int FindBigBomb(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t length) const;
    int FindTriplePair(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play) const;
    int FindStraight(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t length) const;
    int FindPairSeq(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t pairs) const;
    int FindTripleSeq(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t triples) const;
    virtual int FindTripleSeqPairs(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t triples) const;
    int FindStraightFlush(std::span<const int32_t> cards, CardPlay& play, int32_t length) const;
    virtual int FindFourJokers(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play) const;

    // --- Bidding (CardTable.cpp)
    int OnBid(const BidRequest& request, int& decided);
    int BeginPlayPhase();
    virtual int OnPlayPhaseStarted() { return 1; }
    [[nodiscard]] int GetBidCount() const { return m_bid_count; }
    [[nodiscard]] int32_t GetBestBid() const { return m_best_bid; }
    [[nodiscard]] const BidEntry& GetBid(int index) const { return m_bids[static_cast<size_t>(std::clamp(index, 0, MAX_BIDS - 1))]; }

    // --- Card-layer versions of the table's slots
    int GetBankerChair() override;
    int GetNextBanker(std::span<const int32_t> info) override;
    uint32_t BeginPlaying() override { return AddStatus(TABLE_STATE_PLAYING | TABLE_STATE_PLAY_PHASE); }
    uint32_t EndPlaying() override { return SetStatus(0); }
    [[nodiscard]] virtual int GetPartnerChair(int chair) const { return GetPrevChair(GetPrevChair(chair)); }
    // The general play flow only moves the state; this game's table runs the
    // real one (tricks, places, points).
    virtual int ApplyThrow(const ThrowRequest&) { SetStatus(TABLE_STATE_PLAYING | TABLE_STATE_PLAY_PHASE); return 0; }
    virtual int AfterThrow(ThrowRequest&) { return 1; }
    virtual int OnPass(PassRequest&) { return 1; }
    virtual int MoveCard(int /*new_chair*/, int /*old_chair*/, int32_t /*card*/) { return 1; }

    // --- Records (CardTableRecords.cpp). The general card game's fillers
    // clear the record and write the common header (RecordHeader.h); this
    // game's table replaces them with its full records.
    [[nodiscard]] size_t GetGameStartSize() const override { return CARD_GAME_START_BYTES; }
    [[nodiscard]] size_t GetGameWinSize() const override { return CARD_GAME_WIN_BYTES; }
    /// 0 (out untouched) when out is smaller than the start record.
    size_t FillGameStart(std::span<uint8_t> out) override;
    /// Of the caller's size: out is cleared and the header words that fit
    /// are written; the bytes filled, 0 when not even words 0-19 fit.
    size_t FillTableInfo(std::span<uint8_t> out, int viewer_chair, int onlooker) override;
    size_t FillDealInfo(std::span<uint8_t> out, int viewer_chair, int onlooker) override;
    /// The round-result record; 0 (out untouched) when out is smaller than it.
    virtual size_t FillGameWinRecord(std::span<uint8_t> out, int winner);
    /// Words 0-19 of the common header and words 90-92 (no partner or
    /// turned-up card in the general game: -1, -1, -1; no throw-wait: 0).
    virtual void FillRecordHeader(std::span<int32_t, RECORD_HEADER_WORDS> head, int32_t& partner,
                                  int32_t& turned_card, int32_t& turned_position) const;

protected:
    using Counters = std::array<int32_t, VALUE_COUNTERS>;
    /// Clears the record and writes the common header words that fit into
    /// it; its size, or 0 when not even words 0-19 fit.
    size_t WriteHeaderRecord(std::span<uint8_t> record) const;
    /// Whether two wild cards alone may stand for the pair of a triple with pair.
    [[nodiscard]] virtual bool PairMayBeAllWild() const { return false; }
    /// The fewest pairs of a pair sequence.
    [[nodiscard]] virtual int32_t GetMinimumPairs() const { return 2; }
    /// Whether straights and sequences take their cards from the top value down.
    [[nodiscard]] virtual bool PicksSequencesFromTheTop() const { return false; }
    /// The bomb and big bomb finders: the weakest value with `length` cards
    /// (0: the first length from shortest to longest that has one).
    int FindValueRun(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                     int32_t length, int32_t shortest, int32_t longest, int32_t type, int32_t mask) const;
    /// The threshold a sequence finder takes from the play to beat: its
    /// strength when it is of `type`, else 0; none when it is of `type` with
    /// another card count than `count` (the finder then fails).
    [[nodiscard]] static std::optional<int32_t> SequenceThreshold(const CardPlay& play, int32_t type, int32_t count);
    /// The pair and triple finders: `need` cards of the weakest value above
    /// the play's strength.
    int FindSameValue(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play,
                      int32_t need, int32_t type) const;
    /// The checks every throw passes (play phase, the current chair, a clean
    /// selection of its own cards) and the analysis of the cards under the
    /// request's type (never as "any cards"); 1 when a reading results.
    int ReadThrow(const ThrowRequest& request, CardPlayList& list);
    /// Order of a value under the current level.
    [[nodiscard]] int32_t Order(int32_t value) const { return GetValueOrder(value, GetLevelValue()); }
    /// Runs a finder on a fresh entry of the list, repeating while it
    /// succeeds when `repeat`; appends the entry on success.
    template<typename Finder>
    int AddByFinder(std::span<const int32_t> cards, CardPlayList& list, bool repeat, Finder finder);
    /// Writes the play's common words and puts -1 behind `count` cards.
    static void WritePlay(CardPlay& play, int32_t type, int32_t mask, int32_t strength, int32_t count);
    int FindSequence(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild,
                     CardPlay& play, int32_t runs, int32_t width, int32_t type, bool top_down) const;
    /// A copy of the first entries of cards into a 64-entry hand, -1 filled.
    [[nodiscard]] static std::array<int32_t, PLAY_CARDS> CopyHand(std::span<const int32_t> cards);
    /// The replacement rule shared by the lead and beat choices.
    [[nodiscard]] virtual bool Replaces(const CardPlay& best, int32_t best_count, const CardPlay& entry,
                                        bool same_count_for_sequences) const;
    /// Selection checks shared by the throw validators: count 1..64, the
    /// first count entries distinct cards of this table, -1 behind them.
    [[nodiscard]] bool IsCleanSelection(const CardPlay& play) const;

    CardRuleParams m_rule;
    std::array<Counters, MAX_CHAIRS> m_value_counters {};
    int m_bid_count { 0 };
    std::array<BidEntry, MAX_BIDS> m_bids {};
    int32_t m_best_bid { 100 };
};

template<typename Finder>
int CCardTable::AddByFinder(std::span<const int32_t> cards, CardPlayList& list, bool repeat, Finder finder)
{
    Counters counters {};
    int32_t wild = 0;
    CountValues(cards, counters, wild);
    CardPlay& entry = list.plays[static_cast<size_t>(list.count)];
    entry.Clear();
    if (!finder(counters, wild, entry))
        return 0;
    if (repeat) {
        // Walk upward: the last success is the strongest reading. Each step
        // is strictly stronger, so the walk ends.
        CardPlay next = entry;
        while (finder(counters, wild, next))
            entry = next;
    }
    ++list.count;
    return 1;
}

} // namespace rules
