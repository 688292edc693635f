// One replay in memory: recording, saving, loading and walking its records.
#include "game/scene/ReplayImage.h"

#include "client/ClientText.h"
#include "engine/core/EnginePath.h"
#include "engine/core/ZlibBuffer.h"
#include "platform/Path.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace scene {
namespace {

using platform::ReadRecord;
using platform::RecordBytes;

template <class Record>
Record RecordAt(std::span<const uint8_t> image, size_t offset)
{
    Record record {};
    if (offset <= image.size())
        (void)ReadRecord(image.subspan(offset), record);
    return record;
}

} // namespace

ReplayPlayerInfo MakeReplayPlayer(const client::GameUserRecord& seat)
{
    ReplayPlayerInfo player;
    player.user_id = seat.user_id;
    player.flags = seat.flags;
    player.status = seat.status;
    player.chair = seat.chair;
    std::copy(std::begin(seat.statistics), std::end(seat.statistics), player.statistics);
    client::CopyTextField(player.name, client::FieldText(seat.name));
    client::CopyTextField(player.second_name, client::FieldText(seat.second_name));
    player.silver = seat.silver;
    player.level = seat.level;
    client::CopyTextField(player.level_title, client::FieldText(seat.level_title));
    player.score = seat.score;
    player.statistics2 = seat.statistics2[0];
    const int32_t results[5] = { seat.wins, seat.losses, seat.draws, seat.games, seat.online_seconds };
    std::copy(std::begin(results), std::end(results), player.results);
    return player;
}

ReplayMatchTableInfo MakeReplayMatchTable(const client::TableHeader& header)
{
    ReplayMatchTableInfo table;
    table.room_id = header.room_id;
    table.header_value1 = header.header_value1;
    table.table_no = header.table_no;
    table.player_count = header.player_count;
    std::copy(std::begin(header.words29), std::end(header.words29), table.words29);
    table.words29[6] = header.word35;
    client::CopyTextField(table.text144, client::FieldText(header.text144));
    // The header's text is shorter than the record's field: never read past it.
    client::CopyTextField(table.text160, client::FieldText(header.text160));
    return table;
}

ReplayMatchPlayerInfo MakeReplayMatchPlayer(const client::TablePlayerRecord& player)
{
    ReplayMatchPlayerInfo record;
    const int32_t first[5] = { player.user_id, player.flags, player.statistics[0], player.statistics[1],
                               player.statistics[2] };
    std::copy(std::begin(first), std::end(first), record.words0);
    client::CopyTextField(record.name, client::FieldText(player.name));
    client::CopyTextField(record.second_name, client::FieldText(player.second_name));
    record.words96[0] = player.rank_badge_value;
    record.words96[1] = player.word25;
    record.word264 = player.word66;
    const int32_t words[8] = { player.word46, player.score, player.silver, player.wins, player.losses, player.draws,
                               player.games, player.word53 };
    std::copy(std::begin(words), std::end(words), record.words184);
    return record;
}

void ApplyReplayMatchPlayer(client::TablePlayerRecord& player, const ReplayMatchPlayerInfo& record)
{
    player.user_id = record.words0[0];
    player.flags = record.words0[1];
    std::copy(record.words0 + 2, record.words0 + 5, player.statistics);
    client::CopyTextField(player.name, client::FieldText(record.name));
    client::CopyTextField(player.second_name, client::FieldText(record.second_name));
    player.rank_badge_value = record.words96[0];
    player.word25 = record.words96[1];
    player.word66 = record.word264;
    int32_t* const words[8] = { &player.word46, &player.score, &player.silver, &player.wins,
                                &player.losses, &player.draws, &player.games, &player.word53 };
    for (size_t i = 0; i < std::size(words); ++i)
        *words[i] = record.words184[i];
}

// --- Sizes and header fields

size_t CReplayImage::HeaderBytes() const
{
    return m_variant == ReplayVariant::Standard ? QvRepHeader::BYTES : QvRepMatchHeader::BYTES;
}

size_t CReplayImage::TableBytes() const
{
    return m_variant == ReplayVariant::Standard ? ReplayTableInfo::BYTES : ReplayMatchTableInfo::BYTES;
}

size_t CReplayImage::PlayerBytes() const
{
    return m_variant == ReplayVariant::Standard ? ReplayPlayerInfo::BYTES : ReplayMatchPlayerInfo::BYTES;
}

void CReplayImage::Reset()
{
    m_image.clear();
    m_events.clear();
    m_header = {};
    m_match_header = {};
}

ReplayHeaderFields CReplayImage::GetHeaderFields() const
{
    auto fields = [](const auto& h) {
        return ReplayHeaderFields { h.major_version, h.minor_version, h.record_count, h.last_elapsed,
                                    h.snapshot_offset, h.body_length, h.user_id, h.chair };
    };
    return m_variant == ReplayVariant::Standard ? fields(m_header) : fields(m_match_header);
}

void CReplayImage::SetCounts(int32_t record_count, uint32_t last_elapsed, int32_t snapshot_offset,
                             int32_t body_length)
{
    auto set = [&](auto& h) {
        h.record_count = record_count;
        h.last_elapsed = last_elapsed;
        h.snapshot_offset = snapshot_offset;
        h.body_length = body_length;
    };
    if (m_variant == ReplayVariant::Standard)
        set(m_header);
    else
        set(m_match_header);
    StoreHeader();
}

void CReplayImage::StoreHeader()
{
    if (m_image.size() < HeaderBytes())
        return;
    if (m_variant == ReplayVariant::Standard)
        platform::WriteRecord(m_header, std::span(m_image).first(QvRepHeader::BYTES));
    else
        platform::WriteRecord(m_match_header, std::span(m_image).first(QvRepMatchHeader::BYTES));
}

// --- Recording

size_t CReplayImage::Start(const QvRepHeader& header)
{
    if (m_variant != ReplayVariant::Standard)
        return 0;
    Reset();
    m_header = header;
    std::memset(m_header.magic, 0, sizeof(m_header.magic));
    std::memcpy(m_header.magic, REPLAY_MAGIC, 5);
    m_image.resize(QvRepHeader::BYTES);
    SetCounts(0, 0, -1, 0);
    return m_image.size();
}

size_t CReplayImage::Start(const QvRepMatchHeader& header)
{
    if (m_variant != ReplayVariant::Match)
        return 0;
    Reset();
    m_match_header = header;
    std::memcpy(m_match_header.magic, REPLAY_MAGIC, 5);
    m_image.resize(QvRepMatchHeader::BYTES);
    SetCounts(0, 0, -1, 0);
    return m_image.size();
}

bool CReplayImage::CanRecord(size_t data_bytes) const
{
    return data_bytes <= static_cast<size_t>(INT32_MAX) && m_image.size() >= HeaderBytes() + TableBytes()
        && m_image.size() >= GetFirstRecordOffset() && CanAppend(ReplayRecordHead::BYTES + data_bytes);
}

bool CReplayImage::CanAppend(size_t bytes) const
{
    return !m_image.empty() && bytes <= REPLAY_BODY_CAP && m_image.size() - HeaderBytes() <= REPLAY_BODY_CAP - bytes;
}

size_t CReplayImage::AppendBytes(std::span<const uint8_t> bytes)
{
    if (!CanAppend(bytes.size()))
        return 0;
    m_image.insert(m_image.end(), bytes.begin(), bytes.end());
    return m_image.size();
}

size_t CReplayImage::AppendTable(const ReplayTableInfo& table)
{
    if (m_variant != ReplayVariant::Standard || m_image.size() != QvRepHeader::BYTES || table.seat_count < 0
        || table.seat_count > REPLAY_MAX_SEATS)
        return 0;
    return AppendBytes(RecordBytes(table));
}

size_t CReplayImage::AppendTable(const ReplayMatchTableInfo& table)
{
    if (m_variant != ReplayVariant::Match || m_image.size() != QvRepMatchHeader::BYTES || table.player_count < 0
        || table.player_count > REPLAY_MAX_MATCH_PLAYERS)
        return 0;
    return AppendBytes(RecordBytes(table));
}

bool CReplayImage::ExpectsPlayer() const
{
    return m_image.size() >= HeaderBytes() + TableBytes() && m_image.size() < GetFirstRecordOffset();
}

size_t CReplayImage::AppendPlayer(const ReplayPlayerInfo& player)
{
    return m_variant == ReplayVariant::Standard && ExpectsPlayer() ? AppendBytes(RecordBytes(player)) : 0;
}

size_t CReplayImage::AppendPlayer(const ReplayMatchPlayerInfo& player)
{
    return m_variant == ReplayVariant::Match && ExpectsPlayer() ? AppendBytes(RecordBytes(player)) : 0;
}

size_t CReplayImage::RecordEvent(uint32_t elapsed, uint32_t event_id, std::span<const uint8_t> data)
{
    if (!CanRecord(data.size()))
        return 0;
    const size_t offset = m_image.size();
    const ReplayRecordHead head { elapsed, event_id, static_cast<int32_t>(data.size()) };
    AppendBytes(RecordBytes(head));
    AppendBytes(data);
    m_events.push_back(offset);
    const ReplayHeaderFields h = GetHeaderFields();
    SetCounts(h.record_count + 1, elapsed, h.snapshot_offset, h.body_length);
    return m_image.size();
}

size_t CReplayImage::RecordSnapshot(uint32_t elapsed, uint32_t event_id, std::span<const uint8_t> data)
{
    if (!CanRecord(data.size()))
        return 0;
    ReplayHeaderFields h = GetHeaderFields();
    if (h.snapshot_offset >= 0) {
        // Only the last snapshot counts: the earlier block leaves the body.
        const size_t old = static_cast<size_t>(h.snapshot_offset);
        const size_t old_bytes = ReplayRecordHead::BYTES + EventAt(old).data.size();
        m_image.erase(m_image.begin() + static_cast<std::ptrdiff_t>(old),
                      m_image.begin() + static_cast<std::ptrdiff_t>(old + old_bytes));
        for (size_t& offset : m_events)
            offset -= offset > old ? old_bytes : 0;
    }
    const size_t offset = m_image.size();
    const ReplayRecordHead head { elapsed, event_id, static_cast<int32_t>(data.size()) };
    AppendBytes(RecordBytes(head));
    AppendBytes(data);
    SetCounts(h.record_count, h.last_elapsed, static_cast<int32_t>(offset), h.body_length);
    return m_image.size();
}

std::optional<std::vector<uint8_t>> CReplayImage::Save(int32_t end_date, int32_t end_time)
{
    if (m_image.empty())
        return std::nullopt;
    auto set_end = [&](auto& h) {
        h.end_date = end_date;
        h.end_time = end_time;
    };
    if (m_variant == ReplayVariant::Standard)
        set_end(m_header);
    else
        set_end(m_match_header);
    const ReplayHeaderFields h = GetHeaderFields();
    SetCounts(h.record_count, h.last_elapsed, h.snapshot_offset, static_cast<int32_t>(m_image.size() - HeaderBytes()));
    const std::optional<std::vector<uint8_t>> body
        = engine::ZlibCompressBuffer(std::span(m_image).subspan(HeaderBytes()));
    if (!body)
        return std::nullopt;
    std::vector<uint8_t> file(m_image.begin(), m_image.begin() + static_cast<std::ptrdiff_t>(HeaderBytes()));
    file.insert(file.end(), body->begin(), body->end());
    return file;
}

// --- Reading

ReplayLoadResult CReplayImage::Load(std::span<const uint8_t> file, std::string_view game_code, int32_t major_version,
                                    int32_t minor_version)
{
    auto refuse = [](ReplayRefusal refusal) { return ReplayLoadResult { false, refusal }; };
    // Everything is checked on a candidate; the image changes only at the end.
    CReplayImage candidate(m_variant);
    const size_t header_bytes = HeaderBytes();
    if (file.size() < header_bytes)
        return refuse(ReplayRefusal::ShortHeader);
    // Both variants begin with the magic; the standard one's zero byte after
    // it is where the match variant's game code begins, so a file of the
    // other variant is told apart by its game code.
    if (std::memcmp(file.data(), REPLAY_MAGIC, 5) != 0)
        return refuse(ReplayRefusal::NoMagic);
    std::string code;
    if (m_variant == ReplayVariant::Standard) {
        (void)ReadRecord(file, candidate.m_header);
        code = client::FieldText(candidate.m_header.game_code);
    } else {
        (void)ReadRecord(file, candidate.m_match_header);
        code = client::FieldText(candidate.m_match_header.game_code);
    }
    if (code != game_code)
        return refuse(ReplayRefusal::OtherGame);
    const ReplayHeaderFields h = candidate.GetHeaderFields();
    if (h.body_length < 0 || static_cast<size_t>(h.body_length) > REPLAY_BODY_CAP || h.record_count < 0)
        return refuse(ReplayRefusal::BodyLength);
    const std::optional<std::vector<uint8_t>> body
        = engine::ZlibUncompressBuffer(file.subspan(header_bytes), static_cast<size_t>(h.body_length), REPLAY_BODY_CAP);
    if (!body)
        return refuse(ReplayRefusal::BodyStream);
    candidate.m_image.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(header_bytes));
    candidate.m_image.insert(candidate.m_image.end(), body->begin(), body->end());

    if (candidate.m_image.size() < header_bytes + TableBytes())
        return refuse(ReplayRefusal::PlayerCount);
    const int32_t players = m_variant == ReplayVariant::Standard ? candidate.GetTableInfo().seat_count
                                                                 : candidate.GetMatchTableInfo().player_count;
    const int32_t max_players = m_variant == ReplayVariant::Standard ? REPLAY_MAX_SEATS : REPLAY_MAX_MATCH_PLAYERS;
    if (players < 0 || players > max_players)
        return refuse(ReplayRefusal::PlayerCount);
    const size_t first = candidate.GetFirstRecordOffset();
    if (first > candidate.m_image.size())
        return refuse(ReplayRefusal::RecordOutside);
    // Walk the records: every head and its data inside the body, the
    // snapshot (when there is one) exactly on a record.
    bool snapshot_found = false;
    for (size_t at = first; at < candidate.m_image.size();) {
        const size_t left = candidate.m_image.size() - at;
        if (left < ReplayRecordHead::BYTES)
            return refuse(ReplayRefusal::RecordOutside);
        const ReplayRecordHead head = RecordAt<ReplayRecordHead>(candidate.m_image, at);
        const uint32_t length = static_cast<uint32_t>(head.data_length);
        if (length > left - ReplayRecordHead::BYTES)
            return refuse(ReplayRefusal::RecordOutside);
        if (h.snapshot_offset >= 0 && at == static_cast<size_t>(h.snapshot_offset))
            snapshot_found = true;
        else
            candidate.m_events.push_back(at);
        at += ReplayRecordHead::BYTES + length;
    }
    if (h.snapshot_offset != -1 && !snapshot_found)
        return refuse(ReplayRefusal::Snapshot);
    if (candidate.m_events.size() != static_cast<size_t>(h.record_count))
        return refuse(ReplayRefusal::RecordCount);

    *this = std::move(candidate);
    return { h.major_version != major_version || h.minor_version != minor_version, ReplayRefusal::None };
}

ReplayTableInfo CReplayImage::GetTableInfo() const
{
    if (m_variant != ReplayVariant::Standard || m_image.size() < QvRepHeader::BYTES + ReplayTableInfo::BYTES)
        return {};
    return RecordAt<ReplayTableInfo>(m_image, QvRepHeader::BYTES);
}

ReplayMatchTableInfo CReplayImage::GetMatchTableInfo() const
{
    if (m_variant != ReplayVariant::Match || m_image.size() < QvRepMatchHeader::BYTES + ReplayMatchTableInfo::BYTES)
        return {};
    return RecordAt<ReplayMatchTableInfo>(m_image, QvRepMatchHeader::BYTES);
}

int CReplayImage::GetPlayerCount() const
{
    const int32_t count
        = m_variant == ReplayVariant::Standard ? GetTableInfo().seat_count : GetMatchTableInfo().player_count;
    const int32_t limit = m_variant == ReplayVariant::Standard ? REPLAY_MAX_SEATS : REPLAY_MAX_MATCH_PLAYERS;
    return std::clamp(count, 0, limit);
}

size_t CReplayImage::GetFirstRecordOffset() const
{
    return HeaderBytes() + TableBytes() + PlayerBytes() * static_cast<size_t>(GetPlayerCount());
}

std::optional<ReplayPlayerInfo> CReplayImage::GetPlayerInfo(int seat) const
{
    const size_t offset = QvRepHeader::BYTES + ReplayTableInfo::BYTES + ReplayPlayerInfo::BYTES * static_cast<size_t>(seat);
    if (m_variant != ReplayVariant::Standard || seat < 0 || seat >= GetPlayerCount()
        || offset + ReplayPlayerInfo::BYTES > m_image.size())
        return std::nullopt;
    return RecordAt<ReplayPlayerInfo>(m_image, offset);
}

std::optional<ReplayMatchPlayerInfo> CReplayImage::GetMatchPlayerInfo(int index) const
{
    const size_t offset = QvRepMatchHeader::BYTES + ReplayMatchTableInfo::BYTES
        + ReplayMatchPlayerInfo::BYTES * static_cast<size_t>(index);
    if (m_variant != ReplayVariant::Match || index < 0 || index >= GetPlayerCount()
        || offset + ReplayMatchPlayerInfo::BYTES > m_image.size())
        return std::nullopt;
    return RecordAt<ReplayMatchPlayerInfo>(m_image, offset);
}

ReplayEvent CReplayImage::EventAt(size_t offset) const
{
    if (offset > m_image.size() || m_image.size() - offset < ReplayRecordHead::BYTES)
        return {};
    const ReplayRecordHead head = RecordAt<ReplayRecordHead>(m_image, offset);
    const size_t start = offset + ReplayRecordHead::BYTES;
    const size_t length = std::min(static_cast<size_t>(static_cast<uint32_t>(head.data_length)), m_image.size() - start);
    return { head.elapsed, head.event_id, std::span(m_image).subspan(start, length) };
}

ReplayEvent CReplayImage::GetEvent(size_t index) const
{
    return index < m_events.size() ? EventAt(m_events[index]) : ReplayEvent {};
}

std::optional<ReplayEvent> CReplayImage::GetSnapshot() const
{
    const int32_t offset = GetHeaderFields().snapshot_offset;
    if (offset < 0 || static_cast<size_t>(offset) < GetFirstRecordOffset())
        return std::nullopt;
    if (static_cast<size_t>(offset) + ReplayRecordHead::BYTES > m_image.size())
        return std::nullopt;
    return EventAt(static_cast<size_t>(offset));
}

// --- Files

bool WriteReplayFile(CReplayImage& image, std::string_view path, int32_t end_date, int32_t end_time)
{
    const std::optional<std::vector<uint8_t>> file = image.Save(end_date, end_time);
    return file && engine::WriteWholeFile(path, *file) == 1;
}

std::optional<std::vector<uint8_t>> ReadReplayBytes(std::string_view path)
{
    if (!platform::IsPlainFile(path))
        return std::nullopt;
    return engine::ReadWholeFile(path, engine::WHOLE_FILE_CAP, engine::ReadFailure::Quiet);
}

ReplayLoadResult ReadReplayFile(CReplayImage& image, std::string_view path, std::string_view game_code,
                                int32_t major_version, int32_t minor_version)
{
    const std::optional<std::vector<uint8_t>> file = ReadReplayBytes(path);
    if (!file)
        return { false, ReplayRefusal::Unreadable };
    return image.Load(*file, game_code, major_version, minor_version);
}

// --- Texts and names

namespace {

std::string Printf(const char* format, auto... args)
{
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0)
        return {};
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<size_t>(n));
    return text;
}

} // namespace

std::string FormatReplayVersionWarning(int32_t major, int32_t minor, int32_t file_major, int32_t file_minor)
{
    return Printf("当前游戏版本:%d,%d，录像版本:%d,%d,可能出现无法预料的观看错误!", static_cast<int>(major),
                  static_cast<int>(minor), static_cast<int>(file_major), static_cast<int>(file_minor));
}

const char* ReplayRefusalMessage(ReplayRefusal refusal)
{
    switch (refusal) {
    case ReplayRefusal::None:
        return "";
    case ReplayRefusal::Unreadable:
        return REPLAY_UNREADABLE_TEXT;
    case ReplayRefusal::OtherGame:
        return REPLAY_WRONG_GAME_TEXT;
    default:
        return REPLAY_DAMAGED_TEXT;
    }
}

const char* ReplayRefusalReason(ReplayRefusal refusal)
{
    switch (refusal) {
    case ReplayRefusal::None:
        return "";
    case ReplayRefusal::Unreadable:
        return "文件无法读取";
    case ReplayRefusal::ShortHeader:
        return "文件短于录像头";
    case ReplayRefusal::NoMagic:
        return "没有QvRep标记，不是录像文件";
    case ReplayRefusal::OtherGame:
        return "其他游戏的录像";
    case ReplayRefusal::BodyLength:
        return "录像头的正文长度或记录数无效";
    case ReplayRefusal::BodyStream:
        return "压缩正文损坏、长度不符或其后有多余字节";
    case ReplayRefusal::PlayerCount:
        return "桌子记录缺失或玩家数超出桌子";
    case ReplayRefusal::RecordOutside:
        return "记录超出正文";
    case ReplayRefusal::RecordCount:
        return "记录数与录像头不符";
    case ReplayRefusal::Snapshot:
        return "快照位置不在记录上";
    case ReplayRefusal::RecorderChair:
        return "录像者的椅子号无效";
    case ReplayRefusal::OpeningRecord:
        return "开局的记录损坏，牌桌拒绝了它";
    }
    return "";
}

namespace {

/// The game's or the match's name (not ours) as one part of a path: a
/// separator, a control byte or a name of dots would put the file elsewhere
/// or make it hard to name, so each becomes '_'. GBK trail bytes (0x5C too) stay.
std::string PathPartOf(std::string_view name)
{
    if (name.find_first_not_of('.') == std::string_view::npos)
        return std::string(name.size(), '_');
    std::string safe;
    safe.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (platform::IsGbkLeadByte(name[i]) && i + 1 < name.size()) {
            safe += name[i];
            safe += name[++i];
            continue;
        }
        const auto byte = static_cast<unsigned char>(name[i]);
        safe += byte == '/' || byte == '\\' || byte < 0x20 || byte == 0x7F ? '_' : name[i];
    }
    return safe;
}

} // namespace

std::string ReplayFolder(std::string_view exe_dir, int32_t user_id, std::string_view game_name)
{
    return std::string(exe_dir) + "replays\\" + Printf("%d", static_cast<int>(user_id)) + "\\"
        + PathPartOf(game_name) + "\\";
}

std::string ReplayIconPath(std::string_view exe_dir, std::string_view game_name)
{
    return std::string(exe_dir) + "replays\\skins\\ico_" + PathPartOf(game_name) + ".pps";
}

std::string ReplayFileTitle(std::string_view name, int year, int month, int day, int hour, int minute, int second)
{
    return PathPartOf(name) + Printf("_%d年%d月%d日%d时%d分%d秒", year, month, day, hour, minute, second);
}

std::string ReplayFilePath(std::string_view folder, std::string_view title)
{
    return std::string(folder) + std::string(title) + ".qvrep";
}

} // namespace scene
