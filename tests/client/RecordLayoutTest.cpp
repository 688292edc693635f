// The records' byte layouts against bytes built by hand.
#include <gtest/gtest.h>

#include "BodyBuilder.h"
#include "client/ClientText.h"
#include "client/MatchRecords.h"
#include "client/RoomRecords.h"
#include "client/UserRecords.h"

using client_test::BodyBuilder;
using namespace client;

namespace {

template <class Record>
void ExpectRoundTrip(const BodyBuilder& body)
{
    Record record;
    ASSERT_TRUE(ReadRecord(body.Span(), record));
    const auto written = RecordBytes(record);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), body.Span().begin()));
}

} // namespace

TEST(RecordLayout, GameUserRecordFieldsSitAtTheirWords)
{
    BodyBuilder body(GameUserRecord::BYTES);
    body.Word(0, 7001).Word(1, 0x1001).Word(2, 12).Text(20, "Alice").Text(52, "Al");
    body.Word(17, 171).Word(19, 191).Word(20, 5000).Word(21, 3).Text(88, "title");
    body.Word(26, 260).Word(27, 270).Word(29, 290).Word(30, 30).Word(33, 33).Word(34, 340);
    body.Word(35, 9).Word(36, 2).Word(37, 1).Word(41, 4141).Word(79, -1);
    GameUserRecord user;
    ASSERT_TRUE(ReadRecord(body.Span(), user));
    EXPECT_EQ(user.user_id, 7001);
    EXPECT_EQ(user.flags, 0x1001);
    EXPECT_EQ(user.status, 12);
    EXPECT_EQ(FieldText(user.name), "Alice");
    EXPECT_EQ(FieldText(user.second_name), "Al");
    EXPECT_EQ(user.statistics[0], 171);
    EXPECT_EQ(user.statistics[2], 191);
    EXPECT_EQ(user.silver, 5000);
    EXPECT_EQ(user.level, 3);
    EXPECT_EQ(FieldText(user.level_title), "title");
    EXPECT_EQ(user.score, 260);
    EXPECT_EQ(user.online_minutes, 270);
    EXPECT_EQ(user.statistics2[1], 290);
    EXPECT_EQ(user.wins, 30);
    EXPECT_EQ(user.games, 33);
    EXPECT_EQ(user.online_seconds, 340);
    EXPECT_EQ(user.table_no, 9);
    EXPECT_EQ(user.chair, 2);
    EXPECT_EQ(user.look_on, 1);
    EXPECT_EQ(user.value41, 4141);
    EXPECT_EQ(user.reserved42[37], -1);
    ExpectRoundTrip<GameUserRecord>(body);
}

TEST(RecordLayout, PlayerAndEntryRecordsSitAtTheirWords)
{
    BodyBuilder player_bytes(TablePlayerRecord::BYTES);
    player_bytes.Word(0, 11).Word(4, 44).Text(20, "Bob").Text(52, "B").Word(22, 1).Word(24, 6);
    player_bytes.Word(47, 470).Word(48, 480).Word(52, 520).Word(53, 530).Word(54, 540).Word(66, 660);
    TablePlayerRecord player;
    ASSERT_TRUE(ReadRecord(player_bytes.Span(), player));
    EXPECT_EQ(player.user_id, 11);
    EXPECT_EQ(player.statistics[2], 44);
    EXPECT_EQ(FieldText(player.name), "Bob");
    EXPECT_EQ(player.rank_badge_present, 1);
    EXPECT_EQ(player.rank_badge_value, 6);
    EXPECT_EQ(player.score, 470);
    EXPECT_EQ(player.silver, 480);
    EXPECT_EQ(player.games, 520);
    EXPECT_EQ(player.word53, 530);
    EXPECT_EQ(player.word54, 540);
    EXPECT_EQ(player.word66, 660);
    ExpectRoundTrip<TablePlayerRecord>(player_bytes);

    BodyBuilder entry_bytes(ServerPlayerEntry::BYTES);
    entry_bytes.Word(0, 12).Word(3, 5).Word(4, 3).Word(7, 77).Word(8, 88).Text(36, "Carol").Text(68, "C");
    entry_bytes.Word(21, 2100).Word(22, 4).Word(23, 230).Word(24, 240).Word(25, 25).Word(29, 3600);
    ServerPlayerEntry entry;
    ASSERT_TRUE(ReadRecord(entry_bytes.Span(), entry));
    EXPECT_EQ(entry.chair, 3);
    EXPECT_EQ(entry.statistics29, 77);
    EXPECT_EQ(entry.statistics19, 88);
    EXPECT_EQ(FieldText(entry.name), "Carol");
    EXPECT_EQ(FieldText(entry.second_name), "C");
    EXPECT_EQ(entry.silver, 2100);
    EXPECT_EQ(entry.level, 4);
    EXPECT_EQ(entry.statistics28, 240);
    EXPECT_EQ(entry.wins, 25);
    EXPECT_EQ(entry.online_seconds, 3600);
    ExpectRoundTrip<ServerPlayerEntry>(entry_bytes);
}

TEST(RecordLayout, RoomTableAndHeaderRecords)
{
    BodyBuilder room_bytes(GameRoomRecord::BYTES);
    room_bytes.Word(0, 88).Word(3, 33).Word(4, 0x4004).Text(20, "area").Text(84, "ads.example");
    room_bytes.Text(148, "notice.example").Text(212, "room").Word(72, 45).Word(73, 0x1000048);
    room_bytes.Word(77, 0x60000).Word(80, 1);
    GameRoomRecord room;
    ASSERT_TRUE(ReadRecord(room_bytes.Span(), room));
    EXPECT_EQ(room.room_id, 88);
    EXPECT_EQ(room.room_value3, 33);
    EXPECT_EQ(FieldText(room.area_name), "area");
    EXPECT_EQ(FieldText(room.advert_host), "ads.example");
    EXPECT_EQ(FieldText(room.notice_host), "notice.example");
    EXPECT_EQ(FieldText(room.room_name), "room");
    EXPECT_EQ(room.NoticeRefreshSeconds(), 45);
    EXPECT_EQ(room.configs, 0x1000048);
    EXPECT_EQ(room.configs_ex, 0x60000);
    EXPECT_EQ(room.has_text_table, 1);
    ExpectRoundTrip<GameRoomRecord>(room_bytes);

    BodyBuilder header_bytes(TableHeader::BYTES);
    header_bytes.Word(0, 1).Word(1, 2).Word(2, 3).Word(3, 4).Word(29, 29).Word(35, 35);
    header_bytes.Text(144, "rule").Text(160, "description");
    TableHeader header;
    ASSERT_TRUE(ReadRecord(header_bytes.Span(), header));
    EXPECT_EQ(header.header_value1, 2);
    EXPECT_EQ(header.player_count, 4);
    EXPECT_EQ(header.words29[0], 29);
    EXPECT_EQ(header.word35, 35);
    EXPECT_EQ(FieldText(header.text144), "rule");
    EXPECT_EQ(FieldText(header.text160), "description");
    ExpectRoundTrip<TableHeader>(header_bytes);
}

TEST(RecordLayout, MatchRecordsAndRanking)
{
    BodyBuilder match_bytes(MatchRecord::BYTES);
    match_bytes.Text(72, "cup").Text(200, "http://award.example/");
    MatchRecord match;
    ASSERT_TRUE(ReadRecord(match_bytes.Span(), match));
    EXPECT_EQ(FieldText(match.match_name), "cup");
    EXPECT_EQ(FieldText(match.award_url), "http://award.example/");

    BodyBuilder ranking_bytes(MatchRanking::BYTES);
    ranking_bytes.Word(1, 2).Word(2, 1).Word(5, 1);
    ranking_bytes.WordAtByte(24, 501).WordAtByte(24 + 12, 9);
    ranking_bytes.WordAtByte(24 + 64, 502).WordAtByte(24 + 64 + 4, 55).WordAtByte(24 + 64 + 12, 3);
    ranking_bytes.WordAtByte(MatchRanking::BYTES - 4, 77);
    MatchRanking ranking;
    ASSERT_TRUE(ReadRecord(ranking_bytes.Span(), ranking));
    EXPECT_EQ(ranking.EntryCount(), 2);
    EXPECT_EQ(ranking.leaders_flag, 1);
    EXPECT_EQ(ranking.entries[0].user_id, 501);
    EXPECT_EQ(ranking.entries[0].rank_key, 9);
    EXPECT_EQ(ranking.entries[1].score, 55);
    EXPECT_EQ(ranking.entries[99].words4[11], 77);
    ExpectRoundTrip<MatchRanking>(ranking_bytes);
}

TEST(RecordLayout, ShortInputIsRefusedAndLeavesTheRecord)
{
    BodyBuilder body(GameUserRecord::BYTES - 1);
    body.Word(0, 5);
    GameUserRecord user;
    user.user_id = 42;
    EXPECT_FALSE(ReadRecord(body.Span(), user));
    EXPECT_EQ(user.user_id, 42);
}

TEST(RecordLayout, RankingCountIsClamped)
{
    MatchRanking ranking;
    ranking.entry_count = 1000;
    EXPECT_EQ(ranking.EntryCount(), MatchRanking::MAX_ENTRIES);
    ranking.entry_count = -5;
    EXPECT_EQ(ranking.EntryCount(), 0);
}
