#pragma once
// CGameTable: the model of one game table. It holds the chairs (1 to 8), the
// players seated on them and the onlookers behind them, the table state and
// chair status bits, the banker and teams, the turn and its time limit, the
// round parameters and counters, and it settles a round's silver and score.
// It draws and sends nothing. CCardTable and CPlDkTable derive from it.
//
// Owner: whoever builds it (program-wide instances, or the scene's short-lived
// tables). It owns its TablePlayer objects. Thread: the owner's thread only;
// it takes no lock.
// Hazards: times are 32-bit ticks from the injected clock, compared by
// unsigned difference; randomness comes from the injected generator, so tests
// inject both. Arrays passed to the settlement functions hold at least
// chair-count entries. Result codes and bits are in GameTableTypes.h.

#include "game/rules/GameTableTypes.h"
#include "game/rules/RulesEnvironment.h"
#include "game/rules/TableMath.h"
#include "game/rules/TablePlayer.h"
#include "game/rules/TableRecords.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace rules {

class CGameTable {
public:
    explicit CGameTable(const TableArgs& args);
    virtual ~CGameTable();
    CGameTable(const CGameTable&) = delete;
    CGameTable& operator=(const CGameTable&) = delete;

    void SetEnvironment(const RulesEnvironment& environment);
    [[nodiscard]] const RulesEnvironment& Environment() const { return m_env; }
    [[nodiscard]] uint32_t Now() const { return m_env.clock->GetTickCount(); }

    // --- Header and reset (GameTable.cpp)
    void SetTableHeader(const TableHeader& header);
    int ClearTableHeader();
    [[nodiscard]] bool HasTableHeader() const { return m_header.words[TableHeader::PRESENT] != 0; }
    [[nodiscard]] uint32_t GetHeaderWord1() const { return m_header.words[TableHeader::PRESENT]; }
    [[nodiscard]] const TableHeader& GetTableHeader() const { return m_header; }
    virtual int Reset(int full);
    int ResetAll() { return Reset(1); }
    void ResetChair(int chair);
    virtual void ResetRound();

    // --- Players (GameTable.cpp)
    int AddPlayer(std::unique_ptr<TablePlayer> player);
    /// Enters an onlooker in the players map and the onlooker list of its chair.
    int AddLooker(std::unique_ptr<TablePlayer> looker);
    /// Removes the user id's entry and empties its seat; answers its chair, -1
    /// when unknown. With delete_it 0 the object is handed to *kept instead
    /// of being deleted (deleted all the same when kept is null: the table
    /// owns it, so nothing else could free it).
    int RemovePlayer(int32_t user_id, int delete_it, std::unique_ptr<TablePlayer>* kept = nullptr);
    void RemoveLooker(int32_t user_id, int chair);
    void RemoveLookerEverywhere(int32_t user_id, int delete_it);
    [[nodiscard]] bool IsPlayer(int32_t user_id) const { return FindPlayer(user_id) != nullptr; }
    [[nodiscard]] bool IsLooker(int32_t user_id) const { return FindLooker(user_id) != nullptr; }
    [[nodiscard]] TablePlayer* FindPlayer(int32_t user_id) const;
    [[nodiscard]] TablePlayer* FindLooker(int32_t user_id) const;
    [[nodiscard]] TablePlayer* GetSeat(int chair) const { return IsValidChair(chair) ? m_seats[chair] : nullptr; }
    [[nodiscard]] int GetLookerCount(int chair) const;
    [[nodiscard]] int GetPlayerCount() const { return static_cast<int>(m_players.size()); }
    [[nodiscard]] bool HasPlayers() const { return !m_players.empty(); }
    [[nodiscard]] bool IsTableEmpty() const { return m_players.empty(); }
    [[nodiscard]] bool IsTableFull() const { return GetPlayerCount() == m_chair_count; }
    [[nodiscard]] bool IsFullAndEntered() const { return IsTableFull() && HasTableHeader(); }
    [[nodiscard]] bool IsValidChair(int chair) const { return chair >= 0 && chair < m_chair_count; }
    [[nodiscard]] int CountRealPlayers() const;
    [[nodiscard]] int32_t GetPlayerValue(int32_t user_id) const;
    void SnapshotPlayers(int all);
    void MarkIdlePlayers();
    [[nodiscard]] std::span<const int32_t, 18> GetSnapshot(int chair) const;

    // --- State and chair status (GameTable.cpp)
    uint32_t AddStatus(uint32_t bits);
    uint32_t RemoveStatus(uint32_t bits);
    uint32_t SetStatus(uint32_t bits);
    [[nodiscard]] uint32_t GetStatus() const { return m_state; }
    virtual uint32_t BeginPlaying() { return AddStatus(TABLE_STATE_PLAYING); }
    virtual uint32_t EndPlaying();
    uint32_t SetState1000() { return AddStatus(TABLE_STATE_1000); }
    uint32_t ClearState1000() { return RemoveStatus(TABLE_STATE_1000); }
    [[nodiscard]] bool IsPlaying() const { return (m_state & TABLE_STATE_PLAYING) != 0; }
    [[nodiscard]] bool IsNotPlaying() const { return !IsPlaying(); }
    [[nodiscard]] bool IsWaiting() const { return (m_state & TABLE_STATE_WAITING) != 0; }
    [[nodiscard]] bool IsIdleTooLong() const;
    void SetChairReady(int chair);
    [[nodiscard]] uint32_t GetChairStatus(int chair) const { return IsValidChair(chair) ? m_chair_status[chair] : 0; }
    void SetChairStatus(int chair, uint32_t bits);
    [[nodiscard]] bool IsChairAway(int chair) const { return (GetChairStatus(chair) & (CHAIR_AWAY | CHAIR_AWAY_2)) != 0; }
    [[nodiscard]] bool IsChairStatus10(int chair) const { return (GetChairStatus(chair) & CHAIR_STATUS_10) != 0; }
    int IncChairCounter(int chair);
    [[nodiscard]] int AllOthersAnswered(int chair) const;
    /// Writes the chair count and a 13-word entry per chair from word 5 on
    /// into out (at least 5 + 13 x chairs words); 0 when a chair is not
    /// present or empty, or out is too small.
    int FillTableSnapshot(std::span<int32_t> out, const LevelNameMap* level_names) const;

    // Host-given per-chair words (the client leaves them 0).
    void SetPlayerFlags(int chair, int32_t flags);
    void SetChairFlags(int chair, int32_t flags);
    [[nodiscard]] int32_t GetPlayerFlags(int chair) const { return IsValidChair(chair) ? m_player_flags[chair] : 0; }
    [[nodiscard]] int32_t GetChairFlags(int chair) const { return IsValidChair(chair) ? m_chair_flags[chair] : 0; }
    void SetGraceSwitch(int on) { m_grace = on; }
    void SetWaitingMark(int chair, uint32_t stamp);
    void SetAnswered(int chair, int answered);
    void SetAnswerMatrix(int asker, int other, int answered);
    void SetContinuation(int on) { m_continuation = on; }

    // Flag tests over the chairs.
    [[nodiscard]] bool IsFreeTable() const;
    [[nodiscard]] bool IsNotAllSilver() const { return !AllHave(PlayerFlags(), 0x4); }
    [[nodiscard]] bool AnyPlayerFlag400() const { return AnyHas(PlayerFlags(), 0x400); }
    [[nodiscard]] bool AnyPlayerFlag80000() const { return AnyHas(PlayerFlags(), 0x80000); }
    [[nodiscard]] bool AnyPlayerFlag200() const { return AnyHas(PlayerFlags(), 0x200); }
    [[nodiscard]] bool AnyChairFlag1() const { return AnyHas(ChairFlags(), 0x1); }
    [[nodiscard]] int IsAnyChairFlag1() const { return AnyChairFlag1() ? 1 : 0; }
    [[nodiscard]] bool AnyChairFlag40() const { return AnyHas(ChairFlags(), 0x40); }
    [[nodiscard]] bool AnyChairFlag2() const { return AnyHas(ChairFlags(), 0x2); }
    [[nodiscard]] bool AnyChairFlag1000() const { return AnyHas(ChairFlags(), 0x1000); }

    // --- Teams, banker, seats (GameTable.cpp)
    [[nodiscard]] int GetNextChair(int chair) const;
    [[nodiscard]] virtual int GetPrevChair(int chair) const;
    int ResetTeams();
    [[nodiscard]] int GetTeamCount() const;
    [[nodiscard]] int GetTeamSize(int32_t team) const;
    [[nodiscard]] int GetOtherTeamsSize(int32_t team) const;
    [[nodiscard]] int FindTeamChair(int chair, int32_t team) const;
    [[nodiscard]] int FindOtherTeamChair(int chair, int32_t team) const;
    [[nodiscard]] int32_t GetTeam(int chair) const { return IsValidChair(chair) ? m_teams[chair] : -1; }
    void SetTeam(int chair, int32_t team);
    [[nodiscard]] static bool IsSameChair(int a, int b) { return a == b; }
    [[nodiscard]] virtual int GetBankerChair();
    [[nodiscard]] virtual int GetNextBanker(std::span<const int32_t> info);
    [[nodiscard]] int GetBanker() const { return m_banker; }
    void SetBanker(int chair) { m_banker = chair; }
    virtual int StartDeal();
    int BeginBankerTurn();
    int InitRound(std::span<const int32_t> info);
    int UpdateFirstRoundFlag();
    [[nodiscard]] int GetFirstRoundFlag() const { return m_first_round; }
    [[nodiscard]] bool IsBankerFixed() const { return m_round_number == 0; }
    uint32_t SetRelationMode(int flag);
    uint32_t SetRelationMode2();
    [[nodiscard]] uint32_t GetRelationMode() const { return m_relation_mode; }
    [[nodiscard]] int IsFriend(int chair) const;
    [[nodiscard]] static std::string GetSeatLabel(int chair);
    [[nodiscard]] virtual std::string GetServerIniPath() const;
    [[nodiscard]] virtual int32_t GetKickTime() const;
    [[nodiscard]] int32_t GetRoundNumber() const { return m_round_number; }
    [[nodiscard]] int32_t GetRoundValue() const { return m_round_value; }
    [[nodiscard]] int GetChairCount() const { return m_chair_count; }
    [[nodiscard]] int32_t GetOptions() const { return m_options; }
    void SetOptions(int32_t options) { m_options = options; }
    [[nodiscard]] const TableArgs& GetArgs() const { return m_args; }
    [[nodiscard]] const char* GetRoundId() const { return m_round_id; }

    // --- Hooks for the card layers
    virtual int OnDealt() { return 1; }
    virtual void AllocTableGameData() { }
    virtual void OnRoundStart() { }
    virtual int OnRoundRestored(std::span<const int32_t>) { return 0; }
    virtual int OnSettled() { return 1; }
    virtual int OnLeaveSettled() { return 1; }

    // --- Turns and timers (GameTableTurns.cpp)
    int StartTurn(int chair, int32_t seconds);
    int SetCurrentChair(int chair);
    [[nodiscard]] int GetCurrentChair() const { return m_current_chair; }
    void StampTime();
    [[nodiscard]] bool IsTurnTimeout() const;
    [[nodiscard]] bool IsChairTimeout(int chair) const;
    [[nodiscard]] bool IsTableStale() const;
    [[nodiscard]] int GetActiveChair(int chair, int32_t seconds) const;
    [[nodiscard]] bool IsWithin(int32_t seconds) const;
    [[nodiscard]] bool IsInCooldown(int chair, int32_t seconds) const;
    int GetElapsedTime(int32_t& seconds_out, int32_t& minutes_out);
    [[nodiscard]] uint32_t GetTurnLimit() const { return m_turn_limit; }
    [[nodiscard]] uint32_t GetTurnStart() const { return m_turn_start; }
    [[nodiscard]] uint32_t GetThinkingTime(int chair) const { return IsValidChair(chair) ? m_thinking[chair] : 0; }
    [[nodiscard]] uint32_t GetTableStamp() const { return m_table_stamp; }
    [[nodiscard]] virtual bool IsCountdownEnabled() const { return false; }
    [[nodiscard]] bool IsCountdownRunning() const;
    int StartCountdown(int on, int32_t seconds);
    [[nodiscard]] int32_t GetCountdownLength() const { return m_countdown_length; }
    [[nodiscard]] int32_t GetCountdownRemaining(uint32_t now) const;
    void ClearCountdown();

    // --- Round start and money (GameTableStart.cpp)
    [[nodiscard]] int StartGame(int& chair_out, const StartGameArgs& args);
    [[nodiscard]] const RoundParams& GetRoundParams() const { return m_round; }
    [[nodiscard]] int32_t GetBaseScore() const { return m_base_score; }
    [[nodiscard]] int32_t GetBaseDeposit() const { return m_base_deposit; }
    [[nodiscard]] bool AllPlayForSilver() const { return m_all_flag4 != 0; }
    [[nodiscard]] int32_t CalcBaseScore(int32_t x) const;
    [[nodiscard]] int32_t CalcBaseDeposit(int32_t x) const;
    [[nodiscard]] int32_t GetBaseScoreFor(std::span<const int32_t> scores) const;
    [[nodiscard]] int32_t GetDepositUnit(std::span<const int32_t> silvers, int32_t grade) const;
    void CalcLevels(std::span<const int32_t> scores, std::span<const int32_t> changes, std::span<int32_t> levels) const;
    [[nodiscard]] int64_t SumOverChairs(std::span<const int32_t> values) const;

    // --- Settlement (GameTableSettle.cpp)
    void CapLosses(std::span<const int32_t> holdings, std::span<int32_t> changes) const;
    int32_t TakeWinFees(std::span<int32_t> changes, std::span<int32_t> fees) const;
    int32_t TakeTableFees(std::span<const int32_t> holdings, std::span<int32_t> remaining, std::span<int32_t> fees) const;
    [[nodiscard]] static int32_t GetMaxFeePercent() { return 5; }
    int CheckZeroSum(std::span<int32_t> changes, std::span<int32_t> fees, int32_t total) const;
    static int ClampLoss(int32_t holding, int32_t& change);
    void TakeWinFee(int32_t holding, int32_t& change, int32_t& fee) const;
    int32_t TakeTableFee(int32_t amount, int32_t& remaining, int32_t& fee) const;
    static int CheckZeroSumOne(int32_t& change, int32_t& fee);
    [[nodiscard]] int32_t CalcLoss(int chair, int32_t units, int32_t& compensation_out) const;
    [[nodiscard]] int32_t DivideAmongTeam(int chair, int other, int32_t amount) const;
    [[nodiscard]] virtual int32_t GetRelation(int a, int b, int32_t x) const;
    [[nodiscard]] static int32_t Negate(int32_t x) { return -x; }

    // --- Result records (GameTableResults.cpp)
    [[nodiscard]] virtual size_t GetGameStartSize() const { return GAME_START_INFO_BYTES; }
    /// Fills the start record into out; answers the bytes written, 0 when out
    /// is smaller than GetGameStartSize().
    virtual size_t FillGameStart(std::span<uint8_t> out);
    void BuildGameStart(GameStartInfo& start) const;
    [[nodiscard]] virtual size_t GetTableInfoSize() const { return 0; }
    virtual size_t FillTableInfo(std::span<uint8_t> out, int viewer_chair, int onlooker);
    [[nodiscard]] virtual size_t GetDealInfoSize() const { return 0; }
    virtual size_t FillDealInfo(std::span<uint8_t> out, int viewer_chair, int onlooker);
    [[nodiscard]] virtual size_t GetGameWinSize() const { return GAME_WIN_RESULT_BYTES; }
    int FillGameWin(GameWinResult& win, int winner);
    void FillHoldings(GameWinResult& win) const;
    [[nodiscard]] virtual int32_t GetResultFlags(const GameWinResult&) const { return 0; }
    [[nodiscard]] virtual int32_t GetResultFlags2(const GameWinResult&) const { return 0; }
    virtual void FillWinExtra(GameWinResult&, int /*winner*/) { }
    virtual int ScaleResults(GameWinResult& win, std::span<int32_t> score_changes, std::span<int32_t> silver_changes);
    int SettleGame(GameWinResult& win, int winner, int keep_levels, const LevelNameMap* level_names);
    virtual void RecordRoundResult(const GameWinResult& win);
    void KeepPlayerLevels(GameWinResult& win) const;
    void FillLevelNames(GameWinResult& win, const LevelNameMap* level_names) const;
    virtual void FillRoomRecord(GameWinResult& win) const;
    void FillAbsentMask(GameWinResult& win) const;
    [[nodiscard]] bool HasBigSilverWin(const GameWinResult& win) const;
    /// Header and one result per chair (results has chair-count entries).
    void FillResultHeader(const GameWinResult& win, int32_t game_id, ResultHeader& header,
                          std::span<PlayerResult> results);
    void BuildPlayerResults(const GameWinResult& win, std::span<PlayerResult> results);
    /// Header and the packed results of the players who are not idle.
    void FillActiveResultHeader(const GameWinResult& win, int32_t game_id, ResultHeader& header,
                                std::span<PlayerResult> results);
    int BuildActivePlayerResults(const GameWinResult& win, std::span<PlayerResult> results);
    void AddResultsToPlayers(std::span<const PlayerResult> results);
    void AddResultMinutes(const PlayerResult& result);
    /// Keeps a copy of a round result, for ReplayStoredResult.
    void StoreResult(const GameWinResult& win);
    [[nodiscard]] const GameWinResult* GetStoredResult() const { return m_stored_result.get(); }
    /// Applies a received result block (ResultHeader then PlayerResult
    /// entries, little-endian) to the stored result. 0 when nothing was
    /// stored or the block is malformed; 1 otherwise.
    int ReplayStoredResult(std::span<const uint8_t> block, const LevelNameMap* level_names);
    virtual void GetLeavePenalty(int chair, int32_t& penalty, int32_t& score, int32_t& silver);
    int BuildLeaveResult(LeaveResult* leave, int chair, int keep_levels, const LevelNameMap* level_names);
    void FillLeaveResults(const LeaveResult& leave, int chair, int32_t game_id, ResultHeader& header,
                          PlayerResult& result);

    // --- Loss relief (GameTableResults.cpp); never enabled in this program.
    [[nodiscard]] virtual bool IsLossReliefEnabled() const { return false; }
    void ApplyLossRelief(std::span<int32_t> changes);
    int32_t RandomLossRelief(int32_t amount);
    int GetLossReliefs(std::span<int32_t> user_ids, std::span<int32_t> amounts) const;

    // --- Masked appearance of anonymous tables (GameTableMask.cpp)
    /// The host's record: word 2 the count, words 3 on a presence flag per
    /// chair, from byte 64 one 136-byte user record per chair.
    static constexpr size_t MASK_RECORDS_OFFSET = 64;
    static constexpr size_t MASK_RECORD_SIZE = 136;
    void MaskOtherPlayers(int chair, std::span<uint8_t> records);
    void MaskPlayerRecord(int viewer, std::span<uint8_t> record);
    void MaskPlayerRecordStable(int viewer, std::span<uint8_t> record);
    void RememberMasks(int chair, std::span<const uint8_t> records);
    void RememberNames(std::span<const uint8_t> records);
    [[nodiscard]] std::span<const uint8_t> GetMaskBuffer() const { return m_masks; }
    [[nodiscard]] std::span<const uint8_t> GetNameBuffer() const { return m_names; }

protected:
    [[nodiscard]] std::span<const int32_t> PlayerFlags() const { return { m_player_flags.data(), static_cast<size_t>(m_chair_count) }; }
    [[nodiscard]] std::span<const int32_t> ChairFlags() const { return { m_chair_flags.data(), static_cast<size_t>(m_chair_count) }; }
    void BookThinkingTime(uint32_t now);
    [[nodiscard]] int32_t RandomBelow(int32_t n) const;
    [[nodiscard]] bool WouldBeIdle(int chair) const;
    void ZeroMaskBuffers();
    [[nodiscard]] int32_t SmallestPositiveSilverOfSnapshots() const;
    [[nodiscard]] int32_t SilverBefore(int chair) const;
    /// The count, table tag, game id and table stamp of a result header.
    void FillHeaderWords(ResultHeader& header, int32_t count, int32_t game_id) const;
    /// One seated chair's result record from the round result.
    void FillPlayerResult(PlayerResult& result, const GameWinResult& win, int chair, int32_t minutes,
                          int32_t seconds) const;

    RulesEnvironment m_env;
    TableArgs m_args;
    int m_chair_count { 4 };
    int32_t m_options { 0 };
    TableHeader m_header;

    std::map<int32_t, std::unique_ptr<TablePlayer>> m_players;
    std::array<std::map<int32_t, TablePlayer*>, MAX_CHAIRS> m_lookers;
    std::array<TablePlayer*, MAX_CHAIRS> m_seats {};
    ChairInts m_player_flags {};
    ChairInts m_chair_flags {};
    int m_all_flag2 { 0 };
    int m_all_flag4 { 0 };
    int m_grace { 0 };
    RoundParams m_round;
    ChairInts m_loss_relief {};
    int m_first_round { 0 };
    int32_t m_round_number { 0 };
    int m_banker { 0 };
    ChairInts m_teams {};
    int32_t m_round_value { 0 };
    std::array<uint32_t, MAX_CHAIRS> m_waiting_marks {};
    char m_round_id[32] {};
    uint32_t m_state { 0 };
    uint32_t m_state_stamp { 0 };
    int m_current_chair { -1 };
    uint32_t m_current_stamp { 0 };
    uint32_t m_turn_start { 0 };
    uint32_t m_round_start { 0 };
    std::array<uint32_t, MAX_CHAIRS> m_thinking {};
    ChairInts m_answered {};
    std::array<uint32_t, MAX_CHAIRS> m_chair_turn_start {};
    ChairInts m_counters {};
    std::array<uint32_t, MAX_CHAIRS> m_chair_status {};
    std::array<ChairInts, MAX_CHAIRS> m_answer_matrix {};
    int32_t m_base_score { 0 };
    int32_t m_base_deposit { 0 };
    uint32_t m_relation_mode { 0 };
    uint32_t m_turn_limit { 0 };
    uint32_t m_table_stamp { 0 };
    uint32_t m_countdown_start { 0 };
    int32_t m_countdown_length { 0 };
    int m_continuation { 0 };
    ChairInts m_idle_rounds {};
    std::array<std::array<int32_t, 18>, MAX_CHAIRS> m_snapshots {};
    std::unique_ptr<GameWinResult> m_stored_result;
    std::vector<uint8_t> m_masks;
    std::vector<uint8_t> m_names;
};

} // namespace rules
