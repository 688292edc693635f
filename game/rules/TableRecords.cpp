#include "game/rules/TableRecords.h"

#include "game/rules/RecordIo.h"

#include <cassert>
#include <cstring>

namespace rules {

void WriteGameStartInfo(const GameStartInfo& r, std::span<uint8_t> out)
{
    assert(out.size() >= GAME_START_INFO_BYTES);
    CRecordWriter w(out);
    w.WriteI32(r.table_tag);
    w.WriteI32(r.room_grade);
    w.WriteI32(r.chair_count);
    w.WriteI32(r.base_score);
    w.WriteI32(r.base_deposit);
    w.WriteI32s(r.chair_status);
    w.WriteI32(r.round_number);
    w.WriteI32(r.kick_time);
    w.WriteI32s(r.zero);
}

namespace {

template<typename Io, typename Record>
void VisitGameWinResult(Io& io, Record& r)
{
    io.I32(r.relation_mode);
    io.I32(r.flags);
    io.I32(r.chair_count);
    io.I32(r.round_number);
    io.I32(r.banker);
    io.I32s(r.team);
    io.I32(r.friend_flag);
    io.I32s(r.extra);
    io.I32(r.base_score);
    io.I32(r.base_deposit);
    io.I32s(r.score_before);
    io.I32s(r.silver_before);
    io.I32s(r.score_change);
    io.I32s(r.silver_change);
    io.I32s(r.fee);
    io.I32s(r.level_after);
    for (auto& name : r.level_name)
        io.Text(name, LEVEL_NAME_SIZE);
    io.I32(r.room_deposit);
    io.I32(r.absent_mask);
    io.I32s(r.unused);
}

template<typename Io, typename Record>
void VisitPlayerResult(Io& io, Record& r)
{
    io.I32(r.user_id);
    io.I32(r.table_tag);
    io.I32(r.room_grade);
    io.I32(r.chair);
    io.I32(r.game_id);
    io.I32(r.base_score);
    io.I32(r.base_deposit);
    io.I32(r.score_before);
    io.I32(r.silver_before);
    io.I32(r.minutes);
    io.I32(r.seconds);
    io.I32(r.one);
    io.I32(r.zero);
    io.I32(r.win);
    io.I32(r.loss);
    io.I32(r.draw);
    io.I32(r.score_change);
    io.I32(r.silver_change);
    io.I32(r.level_after);
    io.Text(r.level_name, LEVEL_NAME_SIZE);
    io.I32(r.fee);
    io.I32s(r.unused);
}

template<typename Io, typename Record>
void VisitResultHeader(Io& io, Record& r)
{
    io.I32(r.count);
    io.I32(r.table_tag);
    io.I32(r.game_id);
    io.I32(r.word3);
    io.I32(r.flags);
    io.I32(r.word5);
    io.I32(r.table_stamp);
    io.I32(r.word7);
    io.I32(r.word8);
}

template<typename Record, typename Visit>
bool ReadRecord(std::span<const uint8_t> in, Record& record, Visit visit)
{
    RecordReadIo io { CRecordReader(in) };
    visit(io, record);
    if (!io.r.Ok()) {
        std::memset(&record, 0, sizeof(record));
        return false;
    }
    return true;
}

} // namespace

void WriteGameWinResult(const GameWinResult& record, std::span<uint8_t> out)
{
    assert(out.size() >= GAME_WIN_RESULT_BYTES);
    RecordWriteIo io { CRecordWriter(out) };
    VisitGameWinResult(io, record);
}

void WriteResultHeader(const ResultHeader& record, std::span<uint8_t> out)
{
    assert(out.size() >= RESULT_HEADER_BYTES);
    RecordWriteIo io { CRecordWriter(out) };
    VisitResultHeader(io, record);
}

void WritePlayerResult(const PlayerResult& record, std::span<uint8_t> out)
{
    assert(out.size() >= PLAYER_RESULT_BYTES);
    RecordWriteIo io { CRecordWriter(out) };
    VisitPlayerResult(io, record);
}

bool ReadGameWinResult(std::span<const uint8_t> in, GameWinResult& record)
{
    return ReadRecord(in, record, [](RecordReadIo& io, GameWinResult& r) { VisitGameWinResult(io, r); });
}

bool ReadResultHeader(std::span<const uint8_t> in, ResultHeader& record)
{
    return ReadRecord(in, record, [](RecordReadIo& io, ResultHeader& r) { VisitResultHeader(io, r); });
}

bool ReadPlayerResult(std::span<const uint8_t> in, PlayerResult& record)
{
    return ReadRecord(in, record, [](RecordReadIo& io, PlayerResult& r) { VisitPlayerResult(io, r); });
}

} // namespace rules
