#pragma once
// CPlDkTable: this game's table. Four chairs, two decks (27 cards a hand), a
// level card, jokers that are wild under option bit 0x1, the 510K plays, four
// jokers and bombs filled by jokers, partners decided by a turned-up card,
// points from fives, tens and kings, and a finishing order. It keeps its
// round state in one TableGameData block, deals, runs the play flow and
// computes a round's per-chair results.
//
// Owner: the program's two long-lived instances, or the scene's short-lived
// ones. Thread: the owner's thread only.
// Hazards: requests are untrusted and checked before use (IsValidThrow,
// IsValidPass); the record fillers answer 0 when the caller's buffer is too
// small. Settings come from the "PlDkSvr.ini" file beside the program.

#include "game/rules/CardTable.h"
#include "game/rules/PlDkRecords.h"

#include <array>
#include <memory>

namespace rules {

/// Settlement modes.
inline constexpr int32_t SETTLE_NONE = -1;
inline constexpr int32_t SETTLE_PLACES = 0;       ///< every place counted
inline constexpr int32_t SETTLE_FIRST_TWO = 2;    ///< one team took places 1 and 2
inline constexpr int32_t SETTLE_MODE_THREE = 3;

inline constexpr int32_t OPTION_JOKERS_WILD = 0x1;

class CPlDkTable : public CCardTable {
public:
    explicit CPlDkTable(int32_t options = 0);
    ~CPlDkTable() override;

    // --- Block, reset and records (PlDkTable.cpp)
    TableGameData& GetTableGameData();
    [[nodiscard]] const TableGameData* PeekTableGameData() const { return m_block.get(); }
    ChairGroup& GetChairState(int chair);
    int Reset(int full) override;
    void ResetRound() override;
    void AllocTableGameData() override;
    [[nodiscard]] size_t GetTableInfoSize() const override { return TABLE_GAME_DATA_BYTES; }
    [[nodiscard]] size_t GetGameStartSize() const override { return sizeof(PlDkGameStartInfo); }
    [[nodiscard]] size_t GetDealInfoSize() const override { return DEAL_INFO_BYTES; }
    [[nodiscard]] size_t GetGameWinSize() const override { return PLDK_GAME_WIN_BYTES; }
    size_t FillTableInfo(std::span<uint8_t> out, int viewer_chair, int onlooker) override;
    /// The table-information record in memory (what FillTableInfo writes).
    void BuildTableInfo(TableGameData& info, int viewer_chair, int onlooker);
    size_t FillGameStart(std::span<uint8_t> out) override;
    size_t FillDealInfo(std::span<uint8_t> out, int viewer_chair, int onlooker) override;
    void BuildDealInfo(DealInfo& deal, int viewer_chair, int onlooker);
    void FillRecordHeader(std::span<int32_t, RECORD_HEADER_WORDS> head, int32_t& partner, int32_t& turned_card,
                          int32_t& turned_position) const override;
    /// This game's part of the win record, then the base settlement.
    int FillPlDkGameWin(PlDkGameWinResult& record, int winner);
    int SettleRound(PlDkGameWinResult& record, int winner, int keep_levels, const LevelNameMap* level_names);
    size_t FillGameWinRecord(std::span<uint8_t> out, int winner) override;

    // --- Seats, turn order and settings
    int GetNextBanker(std::span<const int32_t> info) override;
    uint32_t BeginPlaying() override { return AddStatus(TABLE_STATE_PLAYING | TABLE_STATE_BIDDING); }
    uint32_t SetPlayState() { return SetStatus(TABLE_STATE_PLAYING | TABLE_STATE_PLAY_PHASE); }
    [[nodiscard]] static int IsGameRequest(int32_t request_id);
    [[nodiscard]] std::string GetServerIniPath() const override;
    [[nodiscard]] int32_t GetKickTime() const override;
    [[nodiscard]] int GetPrevChair(int chair) const override;
    [[nodiscard]] static int GetPrevChairAfterSwap(int chair, int partner, int banker, int chairs);
    [[nodiscard]] int FindPartnerChair(int32_t card) const;
    [[nodiscard]] int GetPartnerChair(int chair) const override;
    [[nodiscard]] int GetPartner() const { return m_partner; }
    [[nodiscard]] int32_t GetTurnedCard() const { return m_turned_card; }
    [[nodiscard]] int32_t GetTurnedPosition() const { return m_turned_position; }
    [[nodiscard]] int32_t GetThrowWait() const { return m_throw_wait; }
    [[nodiscard]] bool IsBidding() const;
    int StartModeThreeRound();
    [[nodiscard]] int32_t GetSettleMode() const { return m_settle_mode; }
    [[nodiscard]] int GetSettled() const { return m_settled; }

    // --- Cards and deck (PlDkTable.cpp)
    int StartDeal() override;
    int32_t DealCard(int chair);
    int MoveCard(int new_chair, int old_chair, int32_t card) override;
    [[nodiscard]] int CheckDeck() const;
    [[nodiscard]] DeckCard* FindCardRecord(int32_t card);
    [[nodiscard]] const DeckCard* FindCardRecord(int32_t card) const;
    int SetCardHolder(int32_t card, int chair, int32_t place);
    [[nodiscard]] int32_t GetHighestCard(int chair) const;
    int GetHandCards(int chair, std::span<int32_t> out) const;
    [[nodiscard]] int32_t GetHandPoints(int chair) const;
    [[nodiscard]] int GetChairByPlace(int32_t place) const;
    void SetLevelValue(int32_t value) { GetTableGameData().level_value = value; }
    [[nodiscard]] int32_t GetLevelValue() const override { return m_block ? m_block->level_value : 1; }
    int32_t UpdateThinkTime(int chair);
    [[nodiscard]] int CardsBelongTo(int chair, std::span<const int32_t> cards) const override;
    [[nodiscard]] bool IsWildCard(int32_t card) const override;
    [[nodiscard]] bool IsWildValue(int32_t value) const override;
    [[nodiscard]] int IsPlayersTurn(std::span<const int32_t> request) const override;

    // --- Play flow and results (PlDkTablePlay.cpp)
    [[nodiscard]] int IsValidThrow(ThrowRequest& request) override;
    int ApplyThrow(const ThrowRequest& request) override;
    void AddBombBonus(const ThrowRequest& request);
    int AfterThrow(ThrowRequest& request) override;
    /// 1 when the chair may pass: the play phase, its turn, a trick to follow.
    [[nodiscard]] int IsValidPass(const PassRequest& request) const;
    int OnPass(PassRequest& request) override;
    void CollectTrick(int chair);
    void CloseTrick();
    int CalcRoundResults(std::span<int32_t> results);
    [[nodiscard]] int32_t GetRelation(int a, int b, int32_t x) const override;
    int ScaleResults(GameWinResult& win, std::span<int32_t> score_changes, std::span<int32_t> silver_changes) override;
    void FillWinExtra(GameWinResult& win, int winner) override;
    void RecordRoundResult(const GameWinResult& win) override;
    void FillRoomRecord(GameWinResult& win) const override;
    [[nodiscard]] const std::array<std::array<int32_t, PLDK_HISTORY_ROUNDS>, MAX_CHAIRS>& GetHistory() const { return m_history; }
    [[nodiscard]] const ChairInts& GetHistoryTotals() const { return m_history_total; }

    // --- This game's reading of plays (PlDkTableRules.cpp)
    /// This game's order: the general one with both 510K types before the bomb.
    [[nodiscard]] std::span<const int32_t> GetAnalysisOrder() const override;
    int AddCandidate(int32_t type, std::span<const int32_t> cards, int valid, CardPlayList& list) override;
    [[nodiscard]] int CanBeat(const CardPlay& last, const CardPlay& play) const override;
    int AddPairCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list) override;
    int AddTripleCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list) override;
    int AddMixed510KCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int AddSuited510KCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list);
    int FindBomb(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t length) const override;
    int FindTripleSeqPairs(std::span<const int32_t> cards, std::span<const int32_t> counters, int32_t wild, CardPlay& play, int32_t triples) const override;
    int FindFourJokers(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play) const override;
    int FindMixed510K(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play) const;
    int FindSuited510K(std::span<const int32_t> cards, std::span<const int32_t> counters, CardPlay& play, int32_t suit) const;

protected:
    [[nodiscard]] bool PairMayBeAllWild() const override { return true; }
    [[nodiscard]] int32_t GetMinimumPairs() const override { return 3; }
    [[nodiscard]] bool PicksSequencesFromTheTop() const override { return true; }
    [[nodiscard]] bool Replaces(const CardPlay& best, int32_t best_count, const CardPlay& entry,
                                bool same_count_for_sequences) const override;

private:
    /// The pair and triple adds: wild jokers alone read as the weakest set of
    /// `need` (value 2); anything else goes through the general add.
    int AddSameValueCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list, int32_t need,
                              int32_t type);
    int TryTripleSeqPairsRun(std::span<const int32_t> counters, int32_t wild, int32_t threshold,
                             std::span<const int32_t> run, int32_t base_strength, std::span<int32_t> pairs_out,
                             int32_t& strength_out) const;
    void AddToHand(int chair, int32_t card);
    void TakeOutOfHand(int chair, int32_t card);
    void FillPlDkWinPart(PlDkGameWinResult& record);
    [[nodiscard]] int32_t ReadRoomSetting(const char* section, int32_t default_value) const;

    std::unique_ptr<TableGameData> m_block;
    bool m_hands_dealt { false };
    std::array<std::array<int32_t, PLDK_HAND_SLOTS>, PLDK_CHAIRS> m_hands {};
    int32_t m_throw_wait { 20 };
    int32_t m_turned_position { -1 };
    int32_t m_turned_card { -1 };
    int m_partner { -1 };
    int32_t m_settle_mode { SETTLE_NONE };
    int m_settled { 0 };
    std::array<int32_t, PLDK_CHAIRS> m_kept_points {};
    std::array<std::array<int32_t, PLDK_HISTORY_ROUNDS>, MAX_CHAIRS> m_history {};
    ChairInts m_history_total {};
};

} // namespace rules
