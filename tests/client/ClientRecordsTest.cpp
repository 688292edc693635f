// The application's records: lookups, conversions both ways, bodies from the
// server (well-formed and hostile) and the match ranking order.
#include <gtest/gtest.h>

#include "BodyBuilder.h"
#include "client/CClientRecords.h"
#include "client/ClientText.h"

using client_test::BodyBuilder;
using namespace client;

namespace {

constexpr int32_t OWN_ID = 1000;

GameUserRecord MakeUser(int32_t user_id, const char* name, const char* second_name, int32_t chair)
{
    GameUserRecord user;
    user.user_id = user_id;
    CopyTextField(user.name, name);
    CopyTextField(user.second_name, second_name);
    user.chair = chair;
    return user;
}

/// A server table record: `head_bytes` of head with the count in word
/// `count_word`, then one 136-byte entry per (user id, chair).
BodyBuilder MakeEntriesBody(size_t head_bytes, size_t count_word,
                            std::initializer_list<std::pair<int32_t, int32_t>> users)
{
    BodyBuilder body(head_bytes + users.size() * ServerPlayerEntry::BYTES);
    body.Word(count_word, static_cast<int32_t>(users.size()));
    size_t offset = head_bytes;
    for (const auto& [user_id, chair] : users) {
        body.WordAtByte(offset, user_id).WordAtByte(offset + 16, chair);
        body.Text(offset + 36, "player").WordAtByte(offset + 84, 100 * chair);
        offset += ServerPlayerEntry::BYTES;
    }
    return body;
}

class ClientRecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_records.Launch().user_id = OWN_ID;
        m_records.Launch().chair_no = 1;
    }
    CClientRecords m_records;
};

} // namespace

TEST_F(ClientRecordsTest, LookupsSearchSeatsBeforeOthers)
{
    GameUserRecord seated = MakeUser(77, "seated", "", 2);
    seated.flags = 0x1;
    GameUserRecord other = MakeUser(77, "other", "", 5);
    other.flags = 0x1000;
    *m_records.Seat(2) = seated;
    *m_records.OtherUser(10) = other;
    *m_records.OtherUser(11) = MakeUser(88, "watcher", "w", 3);

    EXPECT_EQ(FieldText(m_records.FindUser(77)->name), "seated");
    EXPECT_EQ(m_records.GetUserChairNO(77), 2);
    EXPECT_TRUE(m_records.HasUserFlag1000(77)) << "the flag is read from the other-user record";
    EXPECT_TRUE(m_records.IsBlueDiamond(77));
    EXPECT_TRUE(m_records.IsSeatedUser(77));
    EXPECT_FALSE(m_records.IsLookOnUser(77));
    EXPECT_TRUE(m_records.IsLookOnUser(88));
    EXPECT_EQ(m_records.GetName(m_records.FindUser(88), NameKind::Display), "watcher[w]");
    EXPECT_EQ(m_records.GetName(m_records.FindUser(77), NameKind::Display), "seated");
    EXPECT_EQ(m_records.GetName(m_records.Seat(2), NameKind::User), "seated");
}

TEST_F(ClientRecordsTest, UnknownUsersAndBadChairsGiveEmptyAnswers)
{
    EXPECT_EQ(m_records.FindUser(4242), nullptr);
    EXPECT_EQ(m_records.GetUserChairNO(4242), -1);
    EXPECT_EQ(m_records.GetName(m_records.FindUser(4242), NameKind::Display), "");
    EXPECT_EQ(m_records.GetUserValue41(4242), 0);
    EXPECT_EQ(m_records.FindUser(0), nullptr) << "user id 0 marks an empty record";
    EXPECT_EQ(m_records.GetSeatUserID(-1), 0);
    EXPECT_EQ(m_records.GetSeatUserID(8), 0);
    EXPECT_FALSE(m_records.IsChairOccupied(8));
    EXPECT_EQ(m_records.Seat(8), nullptr);
    EXPECT_EQ(m_records.OtherUser(64), nullptr);
}

TEST_F(ClientRecordsTest, SeatDuanOnlyInMatchRoomsWithABadge)
{
    m_records.TablePlayer(1)->rank_badge_present = 1;
    m_records.TablePlayer(1)->rank_badge_value = 7;
    EXPECT_EQ(m_records.GetSeatDuan(1), -1);
    m_records.SetMatchRoom(true);
    EXPECT_EQ(m_records.GetSeatDuan(1), 7);
    EXPECT_EQ(m_records.GetSeatDuan(2), -1);
    EXPECT_EQ(m_records.GetSeatDuan(9), -1);
}

TEST_F(ClientRecordsTest, RoomTestsReadTheirBits)
{
    m_records.Room().options = ROOM_OPTION_SILVER;
    m_records.Room().configs = ROOM_CONFIG_RANDOM_SEATS | ROOM_CONFIG_80;
    m_records.Room().configs_ex = ROOM_CONFIG_EX_40000;
    EXPECT_TRUE(m_records.IsSilverRoom());
    EXPECT_FALSE(m_records.HasRoomOption4000());
    EXPECT_TRUE(m_records.IsRandomRoom());
    EXPECT_TRUE(m_records.HasRoomConfig80());
    EXPECT_FALSE(m_records.HasRoomConfig40());
    EXPECT_TRUE(m_records.HasRoomConfigsEx40000());
    EXPECT_FALSE(m_records.HasRoomConfigsEx20000());
    EXPECT_TRUE(m_records.IsGameNotStarted(1));
    EXPECT_FALSE(m_records.IsGameNotStarted(2));
    m_records.Room().configs |= ROOM_CONFIG_02;
    EXPECT_FALSE(m_records.IsGameNotStarted(0));

    m_records.MatchState().state = 499;
    EXPECT_TRUE(m_records.IsMatchBeforeStart());
    m_records.MatchState().state = 500;
    EXPECT_TRUE(m_records.IsMatchStarted());
    EXPECT_FALSE(m_records.IsMatchEnded());
    m_records.MatchState().state = 600;
    EXPECT_TRUE(m_records.IsMatchEnded());
}

TEST_F(ClientRecordsTest, ServerEntryConvertsBothWays)
{
    m_records.SetRoomText(4, "level four");
    ServerPlayerEntry entry;
    entry.user_id = 55;
    entry.flags = 3;
    entry.status = 2;
    entry.table_no = 6;
    entry.chair = 3;
    entry.statistics[0] = 17;
    entry.statistics[1] = 18;
    entry.statistics29 = 29;
    entry.statistics19 = 19;
    CopyTextField(entry.name, "Dave");
    CopyTextField(entry.second_name, "D");
    entry.silver = 1234;
    entry.level = 4;
    entry.score = 99;
    entry.statistics28 = 28;
    entry.wins = 1;
    entry.losses = 2;
    entry.draws = 3;
    entry.games = 6;
    entry.online_seconds = 7260;

    GameUserRecord seat;
    m_records.FillSeatRecord(seat, entry);
    EXPECT_EQ(seat.statistics[0], 17);
    EXPECT_EQ(seat.statistics[1], 18);
    EXPECT_EQ(seat.statistics[2], 19);
    EXPECT_EQ(seat.statistics2[0], 28);
    EXPECT_EQ(seat.statistics2[1], 29);
    EXPECT_EQ(seat.silver, 1234);
    EXPECT_EQ(seat.score, 99);
    EXPECT_EQ(seat.table_no, 6);
    EXPECT_EQ(seat.chair, 3);
    EXPECT_EQ(seat.online_minutes, 121);
    EXPECT_EQ(FieldText(seat.level_title), "level four");

    const ServerPlayerEntry back = CClientRecords::MakeServerPlayerEntry(seat);
    EXPECT_EQ(RecordBytes(back), RecordBytes(entry));
}

TEST_F(ClientRecordsTest, LongNamesAreCutOnCharacterBoundariesAndTerminated)
{
    // Fifteen two-byte characters and one more: 32 bytes, no terminator.
    std::string long_name;
    for (int i = 0; i < 16; ++i)
        long_name += "\xB0\xA1";
    ServerPlayerEntry entry;
    entry.user_id = 9;
    std::memcpy(entry.name, long_name.data(), 32);
    m_records.SetRoomText(0, "\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1x");
    GameUserRecord seat;
    m_records.FillSeatRecord(seat, entry);
    EXPECT_EQ(FieldText(seat.name), long_name.substr(0, 30));
    EXPECT_EQ(seat.name[30], '\0');
    EXPECT_EQ(FieldText(seat.level_title).size(), 14u) << "16-byte field keeps 7 whole characters";
}

TEST_F(ClientRecordsTest, CopyTableHeaderBuildsSeatsAndFindsTheOwnChair)
{
    BodyBuilder body(TableHeader::BYTES + 4 * TablePlayerRecord::BYTES);
    body.Word(0, 31).Word(1, 41).Word(2, 12).Word(3, 4);
    for (int i = 0; i < 4; ++i) {
        const size_t offset = TableHeader::BYTES + i * TablePlayerRecord::BYTES;
        body.WordAtByte(offset, i == 3 ? OWN_ID : 500 + i).Text(offset + 20, "p");
        body.WordAtByte(offset + 48 * 4, 1000 * i).WordAtByte(offset + 53 * 4, 53);
        body.WordAtByte(offset + 2 * 4, 2).WordAtByte(offset + 4 * 4, 4);
        body.WordAtByte(offset + 49 * 4, 49).WordAtByte(offset + 52 * 4, 52).WordAtByte(offset + 54 * 4, 54);
    }
    ASSERT_TRUE(m_records.CopyTableHeader(body.Span()));
    EXPECT_EQ(m_records.GetRoomID(), 31);
    EXPECT_EQ(m_records.GetTableNO(), 12);
    EXPECT_EQ(m_records.GetTablePlayerCount(), 4);
    EXPECT_EQ(m_records.GetTableHeaderWord1(), 41);
    EXPECT_EQ(m_records.GetChairNO(), 3);
    EXPECT_EQ(m_records.Launch().table_no, 12);
    EXPECT_EQ(m_records.Seat(2)->silver, 2000);
    EXPECT_EQ(m_records.Seat(2)->statistics2[0], 53);
    EXPECT_EQ(m_records.Seat(2)->chair, 2);
    EXPECT_EQ(m_records.Seat(2)->table_no, 12);
    EXPECT_EQ(m_records.Seat(2)->statistics[0], 2);
    EXPECT_EQ(m_records.Seat(2)->statistics[2], 4);
    EXPECT_EQ(m_records.Seat(2)->wins, 49);
    EXPECT_EQ(m_records.Seat(2)->games, 52);
    EXPECT_EQ(m_records.Seat(2)->online_seconds, 54);
    EXPECT_NE(m_records.FindTablePlayer(OWN_ID), nullptr);
    EXPECT_EQ(m_records.GetSeatUserID(4), 0);
}

TEST_F(ClientRecordsTest, HostileTableHeadersAreRefusedWithoutChange)
{
    m_records.Seat(0)->user_id = 321;
    BodyBuilder too_many(TableHeader::BYTES + 9 * TablePlayerRecord::BYTES);
    too_many.Word(3, 9);
    EXPECT_FALSE(m_records.CopyTableHeader(too_many.Span()));
    BodyBuilder negative(TableHeader::BYTES);
    negative.Word(3, -1);
    EXPECT_FALSE(m_records.CopyTableHeader(negative.Span()));
    BodyBuilder short_entries(TableHeader::BYTES + 2 * TablePlayerRecord::BYTES - 1);
    short_entries.Word(3, 2);
    EXPECT_FALSE(m_records.CopyTableHeader(short_entries.Span()));
    EXPECT_FALSE(m_records.CopyTableHeader({}));
    EXPECT_EQ(m_records.GetSeatUserID(0), 321);
}

TEST_F(ClientRecordsTest, TableInfoFillsSeatsInOrderAndSetsTheOwnChair)
{
    BodyBuilder body = MakeEntriesBody(64, 2, { { 400, 0 }, { 401, 1 }, { OWN_ID, 2 } });
    body.Word(1, 17).Word(3, 400).Word(4, 401).Word(5, OWN_ID);
    m_records.Seat(5)->user_id = 999;
    ASSERT_TRUE(m_records.ApplyTableInfo(body.Span()));
    EXPECT_EQ(m_records.GetTableNO(), 17);
    EXPECT_EQ(m_records.GetTablePlayerCount(), 3);
    EXPECT_EQ(m_records.GetChairNO(), 2);
    EXPECT_EQ(m_records.GetSeatUserID(1), 401);
    EXPECT_EQ(m_records.Seat(1)->silver, 100);
    EXPECT_EQ(m_records.GetSeatUserID(5), 0) << "the seats are cleared first";
}

TEST_F(ClientRecordsTest, OtherSeatsKeepTheOwnSeat)
{
    *m_records.Seat(1) = MakeUser(OWN_ID, "me", "", 1);
    BodyBuilder body = MakeEntriesBody(60, 2, { { 600, 0 }, { 601, 1 }, { 602, 2 } });
    ASSERT_TRUE(m_records.ApplyOtherSeats(body.Span()));
    EXPECT_EQ(m_records.GetSeatUserID(0), 600);
    EXPECT_EQ(m_records.GetSeatUserID(1), OWN_ID);
    EXPECT_EQ(m_records.GetSeatUserID(2), 602);
}

TEST_F(ClientRecordsTest, TableSeatsGoToTheirChairsAndBadChairsAreSkipped)
{
    BodyBuilder body = MakeEntriesBody(68, 4, { { 700, 3 }, { 701, 8 }, { 702, -1 }, { OWN_ID, 0 } });
    body.Word(2, 21).Word(3, 0);
    ASSERT_TRUE(m_records.ApplyTableSeats(body.Span()));
    EXPECT_EQ(m_records.GetSeatUserID(3), 700);
    EXPECT_EQ(m_records.GetSeatUserID(0), OWN_ID);
    EXPECT_EQ(m_records.FindUser(701), nullptr);
    EXPECT_EQ(m_records.FindUser(702), nullptr);
    EXPECT_EQ(m_records.GetChairNO(), 0);
    EXPECT_EQ(m_records.GetTableNO(), 21);

    BodyBuilder bad_own = MakeEntriesBody(68, 4, { { 703, 2 } });
    bad_own.Word(3, 12);
    ASSERT_TRUE(m_records.ApplyTableSeats(bad_own.Span()));
    EXPECT_EQ(m_records.GetChairNO(), 0) << "an own chair outside 0..7 is not taken";
}

TEST_F(ClientRecordsTest, EntriesWithChairsOutsideTheTableAreSkipped)
{
    BodyBuilder info = MakeEntriesBody(64, 2, { { 410, 0 }, { 411, 9 }, { 412, -3 }, { OWN_ID, 3 } });
    info.Word(3, 410).Word(4, 411).Word(5, 412).Word(6, OWN_ID);
    ASSERT_TRUE(m_records.ApplyTableInfo(info.Span()));
    EXPECT_EQ(m_records.GetSeatUserID(0), 410);
    EXPECT_EQ(m_records.GetSeatUserID(1), 0);
    EXPECT_EQ(m_records.GetSeatUserID(2), 0);
    EXPECT_EQ(m_records.GetUserChairNO(411), -1) << "no record may carry a chair outside 0..7";
    EXPECT_EQ(m_records.GetChairNO(), 3);

    BodyBuilder others = MakeEntriesBody(60, 2, { { 610, 0 }, { 611, 1000 } });
    ASSERT_TRUE(m_records.ApplyOtherSeats(others.Span()));
    EXPECT_EQ(m_records.GetSeatUserID(0), 610);
    EXPECT_EQ(m_records.FindUser(611), nullptr);

    BodyBuilder short_record(SHORT_USER_RECORD_BYTES);
    short_record.Word(0, 612).Word(3, 8);
    GameUserRecord seat = MakeUser(5, "kept", "", 1);
    EXPECT_FALSE(CClientRecords::FillSeatFromShortRecord(seat, short_record.Span()));
    EXPECT_EQ(seat.user_id, 5);
    EXPECT_EQ(seat.chair, 1);
}

TEST_F(ClientRecordsTest, HostileSeatBodiesAreRefused)
{
    m_records.Seat(4)->user_id = 444;
    const auto refused_by_all = [&](std::span<const uint8_t> body) {
        return !m_records.ApplyTableInfo(body) && !m_records.ApplyOtherSeats(body) &&
               !m_records.ApplyTableSeats(body);
    };
    EXPECT_TRUE(refused_by_all({}));
    BodyBuilder tiny(8);
    EXPECT_TRUE(refused_by_all(tiny.Span()));
    BodyBuilder huge(68 + 8 * ServerPlayerEntry::BYTES);
    huge.Word(2, 0x7FFFFFFF).Word(4, 0x7FFFFFFF);
    EXPECT_TRUE(refused_by_all(huge.Span()));
    BodyBuilder nine(68 + 9 * ServerPlayerEntry::BYTES);
    nine.Word(2, 9).Word(4, 9);
    EXPECT_TRUE(refused_by_all(nine.Span()));
    // Two entries after the shortest head (60 bytes), one byte short.
    BodyBuilder truncated = MakeEntriesBody(60, 4, { { 1, 0 }, { 2, 1 } });
    truncated.Word(2, 2);
    truncated.Bytes().pop_back();
    EXPECT_TRUE(refused_by_all(truncated.Span()));
    EXPECT_EQ(m_records.GetSeatUserID(4), 444);
}

TEST_F(ClientRecordsTest, ShortRecordAndRoomInfoFromAReplay)
{
    BodyBuilder player(SHORT_USER_RECORD_BYTES);
    player.Word(0, 808).Word(1, 1).Word(3, 2).Word(6, 66).Text(28, "Eve").Text(60, "E");
    player.Word(19, 1900).Word(20, 5).Text(84, "pro").Word(25, 250).Word(26, 260).Word(31, 310);
    GameUserRecord seat;
    ASSERT_TRUE(CClientRecords::FillSeatFromShortRecord(seat, player.Span()));
    EXPECT_EQ(seat.user_id, 808);
    EXPECT_EQ(seat.chair, 2);
    EXPECT_EQ(seat.statistics[2], 66);
    EXPECT_EQ(FieldText(seat.name), "Eve");
    EXPECT_EQ(FieldText(seat.second_name), "E");
    EXPECT_EQ(seat.silver, 1900);
    EXPECT_EQ(seat.level, 5);
    EXPECT_EQ(FieldText(seat.level_title), "pro");
    EXPECT_EQ(seat.score, 250);
    EXPECT_EQ(seat.statistics2[0], 260);
    EXPECT_EQ(seat.online_seconds, 310);
    EXPECT_FALSE(CClientRecords::FillSeatFromShortRecord(seat, player.Span().first(100)));

    BodyBuilder room(SHORT_ROOM_RECORD_BYTES);
    room.Word(0, 5).Word(1, 6).Word(2, 4).Word(4, 0x4).Word(16, 0x8);
    ASSERT_TRUE(m_records.ApplyRoomInfo(room.Span()));
    EXPECT_EQ(m_records.GetRoomID(), 5);
    EXPECT_EQ(m_records.GetTableNO(), 6);
    EXPECT_EQ(m_records.GetTablePlayerCount(), 4);
    EXPECT_TRUE(m_records.IsSilverRoom());
    EXPECT_TRUE(m_records.IsRandomRoom());
    room.Word(2, 50);
    EXPECT_FALSE(m_records.ApplyRoomInfo(room.Span()));
}

TEST_F(ClientRecordsTest, RankingPutsTheOwnUserThenLeadersFirst)
{
    MatchRanking& ranking = m_records.Ranking();
    ranking.entry_count = 4;
    ranking.leader_count = 2;
    ranking.leaders_flag = 1;
    const int32_t ids[] = { 10, 11, OWN_ID, 13 };
    const int32_t keys[] = { 300, 200, 900, 100 };
    for (int i = 0; i < 4; ++i) {
        ranking.entries[i].user_id = ids[i];
        ranking.entries[i].rank_key = keys[i];
    }
    m_records.SortMatchRanking();
    EXPECT_EQ(ranking.entries[0].user_id, OWN_ID);
    EXPECT_EQ(ranking.entries[1].user_id, 11);
    EXPECT_EQ(ranking.entries[2].user_id, 10);
    EXPECT_EQ(ranking.entries[3].user_id, 13);

    ranking.leaders_flag = 0;
    ranking.entries[3].rank_key = -20'000'000;
    m_records.SortMatchRanking();
    EXPECT_EQ(ranking.entries[0].user_id, 13) << "a key more than 10,000,000 lower beats the own entry";
    EXPECT_EQ(ranking.entries[1].user_id, OWN_ID);

    m_records.Launch().user_id = 0;
    ranking.entries[0] = MatchRankEntry { .user_id = 0, .rank_key = 50 };
    ranking.entries[1] = MatchRankEntry { .user_id = 21, .rank_key = 40 };
    ranking.entry_count = 2;
    m_records.SortMatchRanking();
    EXPECT_EQ(ranking.entries[0].user_id, 21) << "an empty entry is never the own user";

    ranking.entry_count = 5000;
    ranking.entries[99].rank_key = -2'000'000'000;
    m_records.SortMatchRanking();
    EXPECT_EQ(ranking.entries[0].rank_key, -2'000'000'000) << "the count is capped at 100 entries";
}
