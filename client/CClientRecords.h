// The client's picture of its room, its table and the people at it: the hall's
// launch fields, the room and table records, 8 seat records (by chair), 64
// other-user records, the table header with 8 player slots, the match record,
// state and ranking, the round history and the room's text table; with the
// accessors, lookups and conversions through which the rest of the client
// reads and fills them. The application object holds one and forwards its
// accessors to it.
// Owner: the application. UI thread only; no locking.
// Hazards: bodies given to CopyTableHeader and the Apply* operations come from
// the server or from replay files. Each is checked whole (length, counts of at
// most 8 entries) before anything changes; a refused body leaves every record
// as it was and the operation returns false. An entry whose chair is outside
// 0..7 is skipped, so every seat record holds a chair a caller may index by. Texts are GBK; every
// text copied into a record field is cut on a character boundary and
// terminated.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "client/HallLaunchFields.h"
#include "client/MatchRecords.h"
#include "client/RoomRecords.h"
#include "client/RoundHistory.h"
#include "client/UserRecords.h"

namespace client {

/// The cut-down player record of a replay file (192 bytes) read by
/// FillSeatFromShortRecord.
inline constexpr size_t SHORT_USER_RECORD_BYTES = 192;
/// The table record of a replay file (216 bytes) read by ApplyRoomInfo.
inline constexpr size_t SHORT_ROOM_RECORD_BYTES = 216;
/// Application event sent to the side panel and the main game after the match
/// ranking was sorted.
inline constexpr int32_t GAMEMSG_RANKING_SORTED = 80000022;

/// Which name of a player: the account name, or the name shown (with the
/// second name in brackets when there is one).
enum class NameKind { User, Display };

class CClientRecords {
public:
    static constexpr int SEAT_COUNT = MAX_CHAIRS;
    static constexpr int OTHER_USER_COUNT = 64;

    CClientRecords() = default;
    CClientRecords(const CClientRecords&) = delete;
    CClientRecords& operator=(const CClientRecords&) = delete;

    // The records themselves. Seat, OtherUser and TablePlayer give null
    // outside their range.
    HallLaunchFields& Launch() { return m_launch; }
    const HallLaunchFields& Launch() const { return m_launch; }
    GameRoomRecord& Room() { return m_room; }
    const GameRoomRecord& Room() const { return m_room; }
    GameTableRecord& Table() { return m_table; }
    const GameTableRecord& Table() const { return m_table; }
    GameUserRecord* Seat(int chair);
    const GameUserRecord* Seat(int chair) const;
    GameUserRecord* OtherUser(int index);
    const GameUserRecord* OtherUser(int index) const;
    TableHeader& Header() { return m_header; }
    const TableHeader& Header() const { return m_header; }
    TablePlayerRecord* TablePlayer(int slot);
    const TablePlayerRecord* TablePlayer(int slot) const;
    MatchRecord& Match() { return m_match; }
    const MatchRecord& Match() const { return m_match; }
    MatchStateBlock& MatchState() { return m_match_state; }
    MatchRanking& Ranking() { return m_ranking; }
    const MatchRanking& Ranking() const { return m_ranking; }
    RoundHistory& History() { return m_history; }

    /// Whether this is a match room (the game INI's `IsMatch`).
    void SetMatchRoom(bool match_room) { m_match_room = match_room; }
    [[nodiscard]] bool IsMatchRoom() const { return m_match_room; }

    void SetRoomText(int index, std::string text);
    void ClearRoomTexts() { m_room_texts.clear(); }
    /// The room text of an index, empty when absent.
    [[nodiscard]] std::string GetRoomText(int index) const;

    // Launch fields.
    [[nodiscard]] int32_t GetGameID() const { return m_launch.game_id; }
    [[nodiscard]] std::string GetServerIP() const { return m_launch.server_ip; }
    [[nodiscard]] int64_t GetHallWnd() const { return m_launch.hall_window; }
    [[nodiscard]] int32_t GetUserID() const { return m_launch.user_id; }
    [[nodiscard]] int32_t GetChairNO() const { return m_launch.chair_no; }
    [[nodiscard]] bool IsLookOn() const { return m_launch.look_on != 0; }
    [[nodiscard]] int32_t GetHallParam10() const { return m_launch.restart_marker; }
    [[nodiscard]] std::string GetGameName() const { return m_launch.game_name; }

    // Room, table and match values.
    [[nodiscard]] int32_t GetRoomID() const { return m_room.room_id; }
    [[nodiscard]] int32_t GetRoomWord3() const { return m_room.room_value3; }
    [[nodiscard]] int32_t GetRoomOptions() const { return m_room.options; }
    [[nodiscard]] int32_t GetRoomConfigs() const { return m_room.configs; }
    [[nodiscard]] int32_t GetRoomConfigsEx() const { return m_room.configs_ex; }
    [[nodiscard]] std::string GetAreaName() const;
    [[nodiscard]] std::string GetRoomName() const;
    [[nodiscard]] std::string GetWebHost() const;
    [[nodiscard]] int32_t GetTableNO() const { return m_table.table_no; }
    [[nodiscard]] int32_t GetTablePlayerCount() const { return m_table.player_count; }
    [[nodiscard]] int32_t GetTableHeaderWord1() const { return m_header.header_value1; }
    /// Header word 35 as received; the application answers 0 in replay mode.
    [[nodiscard]] int32_t GetTableHeaderWord35() const { return m_header.word35; }
    [[nodiscard]] std::string GetMatchName() const;
    [[nodiscard]] std::string GetMatchAwardURL() const;

    // Tests of the room words and the match state.
    [[nodiscard]] bool IsSilverRoom() const { return (m_room.options & ROOM_OPTION_SILVER) != 0; }
    [[nodiscard]] bool HasRoomOption4000() const { return (m_room.options & ROOM_OPTION_4000) != 0; }
    [[nodiscard]] bool HasRoomConfig02() const { return (m_room.configs & ROOM_CONFIG_02) != 0; }
    [[nodiscard]] bool IsRandomRoom() const { return (m_room.configs & ROOM_CONFIG_RANDOM_SEATS) != 0; }
    [[nodiscard]] bool HasRoomConfig40() const { return (m_room.configs & ROOM_CONFIG_40) != 0; }
    [[nodiscard]] bool HasRoomConfig80() const { return (m_room.configs & ROOM_CONFIG_80) != 0; }
    [[nodiscard]] bool HasRoomConfig1000000() const { return (m_room.configs & ROOM_CONFIG_1000000) != 0; }
    [[nodiscard]] bool HasRoomConfigsEx20000() const { return (m_room.configs_ex & ROOM_CONFIG_EX_20000) != 0; }
    [[nodiscard]] bool HasRoomConfigsEx40000() const { return (m_room.configs_ex & ROOM_CONFIG_EX_40000) != 0; }
    [[nodiscard]] bool IsMatchBeforeStart() const { return m_match_state.state < MATCH_STATE_STARTED; }
    [[nodiscard]] bool IsMatchStarted() const { return m_match_state.state >= MATCH_STATE_STARTED; }
    [[nodiscard]] bool IsMatchEnded() const { return m_match_state.state >= MATCH_STATE_ENDED; }
    /// False when configs bit 0x2 is set, else whether the game phase (word 0
    /// of the game-state holder) is below 2.
    [[nodiscard]] bool IsGameNotStarted(int32_t game_phase) const;

    // Lookups by user id: the 8 seats first, then the 64 other users.
    [[nodiscard]] const GameUserRecord* FindUser(int32_t user_id) const;
    [[nodiscard]] GameUserRecord* FindUser(int32_t user_id);
    [[nodiscard]] int32_t GetUserChairNO(int32_t user_id) const; ///< -1 when unknown
    [[nodiscard]] bool IsSeatedUser(int32_t user_id) const;
    [[nodiscard]] bool IsLookOnUser(int32_t user_id) const;
    [[nodiscard]] bool HasUserFlag1000(int32_t user_id) const;
    [[nodiscard]] bool IsBlueDiamond(int32_t user_id) const;
    [[nodiscard]] const TablePlayerRecord* FindTablePlayer(int32_t user_id) const;
    [[nodiscard]] int32_t GetUserValue41(int32_t user_id) const; ///< 0 when unknown

    /// A player's name (NameKind::Display adds "[second name]"), the one name
    /// getter: the server's text on one line (control bytes and a character
    /// cut by the field's end are dropped), not escaped. It is plain text:
    /// a canvas draws it with DrawPlainText, a board shows it in a text of
    /// engine::TextKind::Plain. Empty for none; pass FindUser(id) or Seat(chair).
    [[nodiscard]] static std::string GetName(const GameUserRecord* user, NameKind kind);
    /// The same as chat markup (engine::EscapeMarkup), the one road by which
    /// a name reaches a chat line or any other rich-text markup: markup bytes
    /// show as themselves.
    [[nodiscard]] static std::string GetMarkupName(const GameUserRecord* user, NameKind kind);

    // Lookups by chair; an empty or out-of-range chair gives 0 or -1.
    [[nodiscard]] int32_t GetSeatUserID(int chair) const;
    [[nodiscard]] bool IsChairOccupied(int chair) const { return GetSeatUserID(chair) != 0; }
    [[nodiscard]] int32_t GetSeatDuan(int chair) const;

    // Conversions between the server's layouts and the seat records.
    void MakeSeatRecord(GameUserRecord& seat, const TablePlayerRecord& player, int32_t chair, int32_t table_no);
    void FillSeatRecord(GameUserRecord& seat, const ServerPlayerEntry& entry) const;
    [[nodiscard]] static ServerPlayerEntry MakeServerPlayerEntry(const GameUserRecord& seat);
    /// False, and the seat untouched, when the record is short or its chair
    /// is outside 0..7.
    [[nodiscard]] static bool FillSeatFromShortRecord(GameUserRecord& seat, std::span<const uint8_t> record);

    // Bodies received from the server or read from a replay file.
    [[nodiscard]] bool CopyTableHeader(std::span<const uint8_t> body);
    void ApplyTableHeader();
    [[nodiscard]] bool ApplyTableInfo(std::span<const uint8_t> body);
    [[nodiscard]] bool ApplyOtherSeats(std::span<const uint8_t> body);
    [[nodiscard]] bool ApplyTableSeats(std::span<const uint8_t> body);
    [[nodiscard]] bool ApplyRoomInfo(std::span<const uint8_t> record);

    /// Orders the ranking entries by their key (own user first, then the
    /// leaders). The caller then sends GAMEMSG_RANKING_SORTED.
    void SortMatchRanking();

    void ClearSeats();

private:
    [[nodiscard]] const GameUserRecord* FindSeatedUser(int32_t user_id) const;
    [[nodiscard]] const GameUserRecord* FindOtherUser(int32_t user_id) const;
    void SetOwnSeat(int32_t chair, int32_t table_no);

    HallLaunchFields m_launch;
    GameRoomRecord m_room;
    GameTableRecord m_table;
    GameUserRecord m_seats[SEAT_COUNT] {};
    GameUserRecord m_others[OTHER_USER_COUNT] {};
    TableHeader m_header;
    TablePlayerRecord m_players[SEAT_COUNT] {};
    MatchRecord m_match;
    MatchStateBlock m_match_state;
    MatchRanking m_ranking;
    RoundHistory m_history;
    std::map<int, std::string> m_room_texts;
    bool m_match_room { false };
};

} // namespace client
