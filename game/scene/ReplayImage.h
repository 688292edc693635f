#pragma once
// CReplayImage: one replay in memory, laid out as the uncompressed ".qvrep"
// file (header, then the body: the table record, one player record per seat,
// then the event records in the order they were recorded). The recorder
// appends to it and saves it as a file (the header as it is, the body as one
// zlib stream); the reader loads a file into it and walks its records.
//
// A file is untrusted input: Load checks it whole before anything changes
// (header size, the "QvRep" magic, game code within its field, a body length
// of at most 64 MiB that one zlib stream filling the rest of the file gives
// exactly, at most 4 seats or 8 match players, every record head and its data
// inside the body, the record count, and a snapshot offset that names a
// record) and answers why it refused a file: another game's file is told
// apart from a damaged one.
//
// The snapshot is kept as a headed record (its own event id and length) so a
// reader walks over it; storing a second one replaces the first.
//
// Owner: the replay board. Thread: the UI thread.
// Hazards: spans from Event and Snapshot point into the image and are valid
// until the next change.

#include "game/scene/ReplayRecords.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scene {

enum class ReplayVariant : uint8_t { Standard, Match };

inline constexpr size_t REPLAY_BODY_CAP = size_t { 64 } << 20;
inline constexpr int32_t REPLAY_MAX_SEATS = 4;
inline constexpr int32_t REPLAY_MAX_MATCH_PLAYERS = 8;

/// One event record of the image.
struct ReplayEvent {
    uint32_t elapsed { 0 };
    uint32_t event_id { 0 };
    std::span<const uint8_t> data;
};

/// Why a file was refused.
enum class ReplayRefusal : uint8_t {
    None,          ///< not refused
    Unreadable,    ///< the file could not be read whole
    ShortHeader,   ///< shorter than its header
    NoMagic,       ///< no "QvRep" at its start: not a replay
    OtherGame,     ///< recorded by another game (or the other variant)
    BodyLength,    ///< a body length below 0 or above the cap, or a negative record count
    BodyStream,    ///< the body is no one zlib stream of the stored length filling the file
    PlayerCount,   ///< no table record, or more seats or players than the table has
    RecordOutside, ///< a record head or its data runs past the body
    RecordCount,   ///< the records do not match the header's count
    Snapshot,      ///< the snapshot offset names no record
    RecorderChair, ///< the recording player sat on no chair of the table
    OpeningRecord, ///< the table refused a record played on opening (the deal)
};

struct ReplayLoadResult {
    bool version_differs { false }; ///< loaded, but recorded by another version
    ReplayRefusal refusal { ReplayRefusal::None };

    /// Not refused; a refused file leaves the image unchanged.
    [[nodiscard]] bool IsLoaded() const { return refusal == ReplayRefusal::None; }
};

/// The fields both headers have.
struct ReplayHeaderFields {
    int32_t major_version { 0 };
    int32_t minor_version { 0 };
    int32_t record_count { 0 };
    uint32_t last_elapsed { 0 };
    int32_t snapshot_offset { -1 };
    int32_t body_length { 0 };
    int32_t user_id { 0 };
    int32_t chair { 0 };
};

class CReplayImage {
public:
    explicit CReplayImage(ReplayVariant variant) : m_variant(variant) { }

    [[nodiscard]] ReplayVariant GetVariant() const { return m_variant; }
    [[nodiscard]] size_t HeaderBytes() const;
    [[nodiscard]] size_t TableBytes() const;
    [[nodiscard]] size_t PlayerBytes() const;
    [[nodiscard]] bool IsEmpty() const { return m_image.empty(); }
    [[nodiscard]] std::span<const uint8_t> Bytes() const { return m_image; }
    void Reset();

    // --- Recording. Each answers the image length, 0 when nothing was added:
    // no recording started, the wrong variant, a record out of turn (the
    // table right after the header, its player records, then events), a
    // count above the limits, or a body that would pass its cap.
    /// Starts a new image with this header: the magic, record count 0, last
    /// elapsed 0, snapshot -1 and body length 0 are set here.
    size_t Start(const QvRepHeader& header);
    size_t Start(const QvRepMatchHeader& header);
    size_t AppendTable(const ReplayTableInfo& table);
    size_t AppendTable(const ReplayMatchTableInfo& table);
    size_t AppendPlayer(const ReplayPlayerInfo& player);
    size_t AppendPlayer(const ReplayMatchPlayerInfo& player);
    size_t RecordEvent(uint32_t elapsed, uint32_t event_id, std::span<const uint8_t> data);
    size_t RecordSnapshot(uint32_t elapsed, uint32_t event_id, std::span<const uint8_t> data);
    /// The file: the header with the end date and time and the body length,
    /// then the compressed body. None when nothing is recorded or zlib fails.
    [[nodiscard]] std::optional<std::vector<uint8_t>> Save(int32_t end_date, int32_t end_time);

    // --- Reading
    /// Loads a whole file recorded by this variant of the game `game_code`.
    ReplayLoadResult Load(std::span<const uint8_t> file, std::string_view game_code, int32_t major_version,
                          int32_t minor_version);

    [[nodiscard]] ReplayHeaderFields GetHeaderFields() const;
    [[nodiscard]] const QvRepHeader& GetHeader() const { return m_header; }
    [[nodiscard]] const QvRepMatchHeader& GetMatchHeader() const { return m_match_header; }
    /// The table and player records; read from the image (zeros when absent).
    [[nodiscard]] ReplayTableInfo GetTableInfo() const;
    [[nodiscard]] ReplayMatchTableInfo GetMatchTableInfo() const;
    [[nodiscard]] std::optional<ReplayPlayerInfo> GetPlayerInfo(int seat) const;
    [[nodiscard]] std::optional<ReplayMatchPlayerInfo> GetMatchPlayerInfo(int index) const;
    /// Player records counted by the table record (0 without one).
    [[nodiscard]] int GetPlayerCount() const;
    [[nodiscard]] size_t GetFirstRecordOffset() const;
    [[nodiscard]] size_t GetEventCount() const { return m_events.size(); }
    [[nodiscard]] ReplayEvent GetEvent(size_t index) const;
    /// The snapshot record; none when no snapshot was stored.
    [[nodiscard]] std::optional<ReplayEvent> GetSnapshot() const;

private:
    /// Writes the header struct over the first bytes of the image.
    void StoreHeader();
    void SetCounts(int32_t record_count, uint32_t last_elapsed, int32_t snapshot_offset, int32_t body_length);
    [[nodiscard]] bool CanAppend(size_t bytes) const;
    /// Events and the snapshot follow the table and all its player records.
    [[nodiscard]] bool CanRecord(size_t data_bytes) const;
    [[nodiscard]] bool ExpectsPlayer() const;
    size_t AppendBytes(std::span<const uint8_t> bytes);
    [[nodiscard]] ReplayEvent EventAt(size_t offset) const;

    ReplayVariant m_variant;
    std::vector<uint8_t> m_image;
    QvRepHeader m_header;
    QvRepMatchHeader m_match_header;
    std::vector<size_t> m_events;   ///< offsets of the event records
};

/// Saves the image to a file (replacing an old one); true only when the body
/// was compressed and the whole file written, so a caller never announces a
/// replay that is not on disk.
[[nodiscard]] bool WriteReplayFile(CReplayImage& image, std::string_view path, int32_t end_date, int32_t end_time);
/// The bytes of a replay file; none, without a log line (the caller tells
/// the refusal once), for a name that is no plain file (a folder, a pipe,
/// a device) or a file above engine::WHOLE_FILE_CAP.
[[nodiscard]] std::optional<std::vector<uint8_t>> ReadReplayBytes(std::string_view path);
/// Reads a whole file and loads it; a file that cannot be read is refused.
ReplayLoadResult ReadReplayFile(CReplayImage& image, std::string_view path, std::string_view game_code,
                                int32_t major_version, int32_t minor_version);

/// The message of another game's file.
inline constexpr char REPLAY_WRONG_GAME_TEXT[] = "游戏类型不符，请选择本游戏的Replay";
/// The message of a damaged file, or of one that is no replay at all.
inline constexpr char REPLAY_DAMAGED_TEXT[] = "录像文件已损坏，无法观看";
/// The message of an opened replay with a record the table refused (skipped).
inline constexpr char REPLAY_DAMAGED_RECORD_TEXT[] = "录像文件有损坏，损坏的部分已跳过";
/// The message of a file that could not be read.
inline constexpr char REPLAY_UNREADABLE_TEXT[] = "录像文件无法读取";
/// The message the player reads for a refusal (one of the three above).
[[nodiscard]] const char* ReplayRefusalMessage(ReplayRefusal refusal);
/// The reason of a refusal as the log line states it.
[[nodiscard]] const char* ReplayRefusalReason(ReplayRefusal refusal);
/// The warning of a file of another version: the program's version first.
[[nodiscard]] std::string FormatReplayVersionWarning(int32_t major, int32_t minor, int32_t file_major,
                                                     int32_t file_minor);

/// "%sreplays\%d\%s\": program folder, user id, game name. The names here
/// and in ReplayFileTitle are not ours: a path separator or a control byte in
/// them (outside a GBK character) becomes '_', and so does a name of dots.
[[nodiscard]] std::string ReplayFolder(std::string_view exe_dir, int32_t user_id, std::string_view game_name);
/// "%s_%d年%d月%d日%d时%d分%d秒" of a name and a local time.
[[nodiscard]] std::string ReplayFileTitle(std::string_view name, int year, int month, int day, int hour, int minute,
                                          int second);
/// "%sreplays\skins\ico_%s.pps": program folder, game name (cleaned as in
/// ReplayFolder), the game's icon beside the replays.
[[nodiscard]] std::string ReplayIconPath(std::string_view exe_dir, std::string_view game_name);
/// "%s%s.qvrep" of a folder and a title.
[[nodiscard]] std::string ReplayFilePath(std::string_view folder, std::string_view title);

} // namespace scene
