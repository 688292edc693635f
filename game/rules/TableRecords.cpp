#include "game/rules/TableRecords.h"

#include "platform/RecordFields.h"

namespace rules {

namespace {

// Text fields read from bytes end in a 0 inside the field.
template <size_t N>
void TerminateText(char (&text)[N])
{
    text[N - 1] = '\0';
}

// A record read whole, or zeroed when the bytes are short.
template <typename Record>
bool ReadWhole(std::span<const uint8_t> in, Record& record)
{
    if (platform::ReadRecord(in, record))
        return true;
    record = Record {};
    return false;
}

} // namespace

void WriteGameStartInfo(const GameStartInfo& record, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(record, out);
}

void WriteGameWinResult(const GameWinResult& record, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(record, out);
}

void WriteResultHeader(const ResultHeader& record, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(record, out);
}

void WritePlayerResult(const PlayerResult& record, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(record, out);
}

bool ReadGameWinResult(std::span<const uint8_t> in, GameWinResult& record)
{
    if (!ReadWhole(in, record))
        return false;
    for (auto& name : record.level_name)
        TerminateText(name);
    return true;
}

bool ReadResultHeader(std::span<const uint8_t> in, ResultHeader& record)
{
    return ReadWhole(in, record);
}

bool ReadPlayerResult(std::span<const uint8_t> in, PlayerResult& record)
{
    if (!ReadWhole(in, record))
        return false;
    TerminateText(record.level_name);
    return true;
}

} // namespace rules
