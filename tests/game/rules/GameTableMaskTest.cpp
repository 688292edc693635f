// The masked appearance of anonymous tables over the host's user records.
#include "game/rules/GameTable.h"

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace rules {
namespace {

int32_t Word(const std::vector<uint8_t>& bytes, size_t offset)
{
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4); // test-side peek at a little-endian host
    return v;
}

void PutWord(std::vector<uint8_t>& bytes, size_t offset, int32_t v)
{
    std::memcpy(bytes.data() + offset, &v, 4);
}

std::vector<uint8_t> MakeRecords(int count)
{
    std::vector<uint8_t> records(CGameTable::MASK_RECORDS_OFFSET + 4 * CGameTable::MASK_RECORD_SIZE, 0);
    PutWord(records, 8, count);
    for (int c = 0; c < 4; ++c) {
        PutWord(records, 12 + 4 * static_cast<size_t>(c), 1);
        const size_t base = CGameTable::MASK_RECORDS_OFFSET + CGameTable::MASK_RECORD_SIZE * static_cast<size_t>(c);
        PutWord(records, base + 16, c);
        std::memset(records.data() + base + 36, 'x', 32); // a name with no terminator
    }
    return records;
}

class MaskFixture : public ::testing::Test {
protected:
    MaskFixture()
    {
        table.SetEnvironment(env.Get());
        for (int c = 0; c < 3; ++c) { // chair 3 stays empty
            auto p = std::make_unique<TablePlayer>();
            p->user_id = 10 + c;
            p->chair = c;
            p->seed_a = c;
            p->seed_b = 7 * c;
            table.AddPlayer(std::move(p));
        }
    }
    test::TestEnvironment env;
    CGameTable table { TableArgs {} };
};

TEST_F(MaskFixture, MasksOthersWithSeatLabelsAndKeepsFacesStable)
{
    std::vector<uint8_t> records = MakeRecords(99); // count is clamped to the chairs
    table.MaskOtherPlayers(0, records);
    const size_t second = CGameTable::MASK_RECORDS_OFFSET + CGameTable::MASK_RECORD_SIZE;
    const std::string label(reinterpret_cast<const char*>(records.data() + second + 36));
    EXPECT_EQ(label, CGameTable::GetSeatLabel(1));
    EXPECT_EQ(Word(records, second + 84), 1000);
    EXPECT_EQ(Word(records, second + 92), 100);
    EXPECT_EQ(Word(records, second + 88), GetLevelIndex(100, 1));
    // The viewer's own record is left alone.
    EXPECT_EQ(records[CGameTable::MASK_RECORDS_OFFSET + 36], 'x');
    // The empty chair 3 is masked without reading a player.
    const size_t fourth = CGameTable::MASK_RECORDS_OFFSET + 3 * CGameTable::MASK_RECORD_SIZE;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(records.data() + fourth + 36)), CGameTable::GetSeatLabel(3));

    const int32_t face5 = Word(records, second + 20);
    const int32_t face6 = Word(records, second + 24);
    const int32_t face8 = Word(records, second + 32);
    env.clock.Advance(12345);
    std::vector<uint8_t> again = MakeRecords(4);
    table.MaskOtherPlayers(0, again);
    EXPECT_EQ(Word(again, second + 20), face5);
    EXPECT_EQ(Word(again, second + 24), face6);
    EXPECT_EQ(Word(again, second + 32), face8);
}

TEST_F(MaskFixture, ShortBlocksAndBadChairsAreSkipped)
{
    const std::string masked_name = "游戏玩家";
    auto name_at = [](const std::vector<uint8_t>& bytes, size_t record_offset) {
        return std::string(reinterpret_cast<const char*>(bytes.data() + record_offset + 36));
    };
    const size_t first = CGameTable::MASK_RECORDS_OFFSET;
    const size_t second = first + CGameTable::MASK_RECORD_SIZE;
    const size_t third = second + CGameTable::MASK_RECORD_SIZE;

    // Records 2 and 3 do not fit the block: their bytes are left alone.
    std::vector<uint8_t> records = MakeRecords(4);
    records.resize(third + 10);
    const std::vector<uint8_t> before = records;
    table.MaskOtherPlayers(0, records);
    EXPECT_EQ(name_at(records, second), CGameTable::GetSeatLabel(1));
    EXPECT_TRUE(std::equal(records.begin() + static_cast<std::ptrdiff_t>(third), records.end(),
                           before.begin() + static_cast<std::ptrdiff_t>(third)));
    EXPECT_EQ(records[first + 36], 'x');

    // A viewer outside the table sees everyone masked and leaves no masks
    // behind to read for it.
    const std::vector<uint8_t> masks_before(table.GetMaskBuffer().begin(), table.GetMaskBuffer().end());
    for (const int viewer : { 7, -1 }) {
        std::vector<uint8_t> seen = MakeRecords(4);
        table.MaskOtherPlayers(viewer, seen);
        EXPECT_EQ(name_at(seen, first), CGameTable::GetSeatLabel(0)) << viewer;
        EXPECT_EQ(std::vector<uint8_t>(table.GetMaskBuffer().begin(), table.GetMaskBuffer().end()), masks_before);
    }

    // A block too short for its count word changes nothing and names no one.
    std::vector<uint8_t> tiny(6, 0xFF);
    table.MaskOtherPlayers(1, tiny);
    table.RememberNames(tiny);
    EXPECT_EQ(tiny, std::vector<uint8_t>(6, 0xFF));
    const std::span<const uint8_t> names = table.GetNameBuffer();
    EXPECT_TRUE(std::all_of(names.begin(), names.end(), [](uint8_t b) { return b == 0; }));

    // A record naming a chair past the table gets the bare label, and no
    // stored mask is read for it.
    std::vector<uint8_t> bad_chair = MakeRecords(4);
    PutWord(bad_chair, first + 16, 1000);
    table.MaskPlayerRecordStable(2, std::span(bad_chair).subspan(first, CGameTable::MASK_RECORD_SIZE));
    EXPECT_EQ(name_at(bad_chair, first), masked_name);
    EXPECT_EQ(Word(bad_chair, first + 16), 1000);
}

TEST_F(MaskFixture, RememberedNamesAreBoundedAndTerminated)
{
    std::vector<uint8_t> records = MakeRecords(4);
    table.RememberNames(records);
    std::span<const uint8_t> names = table.GetNameBuffer();
    ASSERT_EQ(names.size(), 4u * 52u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(names.data())), std::string(32, 'x'));
    table.ResetRound();
    EXPECT_EQ(table.GetNameBuffer()[0], 0);
}

} // namespace
} // namespace rules
