// The hall's command line, the copy-data cipher and records, and the launch
// data the hall hands over.
#include <gtest/gtest.h>

#include "client/ClientKeys.h"
#include "client/ClientText.h"
#include "client/HallCommandLine.h"
#include "client/HallLaunchData.h"
#include "client/HallRecords.h"
#include "net/AesCipher.h"
#include "tests/client/BodyBuilder.h"

namespace client {
namespace {

using client_test::BodyBuilder;

TEST(HallCommandLine, ReadsEveryFormOfTheLaunchFields)
{
    const struct {
        const char* line;
        int32_t restart;
        const char* name;
        int32_t port;
        int32_t configs_ex;
        int32_t look_on;
    } cases[] = {
        { "30|10.0.0.1|3|4242|5|1001|7|2|0", 0, "", DEFAULT_SERVER_PORT, 0, 0 },
        { "30|10.0.0.1|3|4242|5|1001|7|2|0|", 0, "", DEFAULT_SERVER_PORT, 0, 0 },
        { "30|10.0.0.1|3|4242|5|1001|7|2|1|0|pldk|9000", 0, "pldk", 9000, 0, 1 },
        { "\"30|10.0.0.1|3|4242|5|1001|7|2|0|1|游戏|0|8|64|131072\"", 1, "游戏", DEFAULT_SERVER_PORT, 131072, 0 },
        { "30|10.0.0.1|3|4242|5|1001|7|2|0|0|a|1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|16|17|18|19|20|21", 0, "a", 1, 4, 0 },
    };
    for (const auto& c : cases) {
        const std::optional<HallLaunchFields> fields = ParseHallCommandLine(c.line);
        ASSERT_TRUE(fields.has_value()) << c.line;
        EXPECT_EQ(fields->game_id, 30);
        EXPECT_EQ(fields->server_ip, "10.0.0.1");
        EXPECT_EQ(fields->hall_window, 4242);
        EXPECT_EQ(fields->user_id, 1001);
        EXPECT_EQ(fields->table_no, 7);
        EXPECT_EQ(fields->chair_no, 2);
        EXPECT_EQ(fields->look_on, c.look_on) << c.line;
        EXPECT_EQ(fields->restart_marker, c.restart) << c.line;
        EXPECT_EQ(fields->game_name, c.name) << c.line;
        EXPECT_EQ(fields->server_port, c.port) << c.line;
        EXPECT_EQ(fields->room_configs_ex, c.configs_ex) << c.line;
    }
    for (const char* refused : { "", "\"\"", "\"", "30|1.2.3.4|3|4|5|6|7|8", "plain words" })
        EXPECT_FALSE(ParseHallCommandLine(refused).has_value()) << refused;
}

TEST(HallCommandLine, CutsLongTextsBetweenCharactersAndReadsItsOwnRelaunchText)
{
    const std::string long_ip(40, '9');
    std::string long_name = "a";
    for (int i = 0; i < 80; ++i)
        long_name += "游";
    const auto fields = ParseHallCommandLine("1|" + long_ip + "|3|4|5|6|7|2|0|0|" + long_name);
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->server_ip, std::string(31, '9'));
    EXPECT_EQ(fields->game_name.size(), 143u); // "a" and 71 two-byte characters
    EXPECT_EQ(fields->game_name.substr(0, 3), std::string("a") + "游");

    HallLaunchFields launch = *fields;
    launch.server_port = 1234;
    launch.room_options = -5;
    launch.room_configs = 64;
    launch.room_configs_ex = 0x20000;
    const std::string text = FormatHallCommandLine(launch);
    EXPECT_EQ(text.front(), '"');
    const auto again = ParseHallCommandLine(text);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->game_name, launch.game_name);
    EXPECT_EQ(again->server_port, 1234);
    EXPECT_EQ(again->room_options, -5);
    EXPECT_EQ(again->room_configs, 64);
    EXPECT_EQ(again->room_configs_ex, 0x20000);
}

TEST(HallRecords, CopyDataCipherIsAesOnEachWholeBlockWithTheTailLeftPlain)
{
    std::vector<uint8_t> plain(40);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> enciphered = EncipherCopyData(plain);
    ASSERT_EQ(enciphered.size(), plain.size());

    net::CAesCipher aes(net::CAesCipher::Method::Portable);
    ASSERT_TRUE(aes.MakeKey(COPYDATA_KEY_BLOCK, 128));
    std::vector<uint8_t> expected = plain;
    aes.EncryptBlocks(plain.data(), expected.data(), 2);
    EXPECT_EQ(enciphered, expected);
    EXPECT_EQ(DecipherCopyData(enciphered), plain);
    EXPECT_FALSE(IsEncipheredCopyData(COPYDATA_STATUS));
    EXPECT_FALSE(IsEncipheredCopyData(COPYDATA_STATUS_EX));
    EXPECT_TRUE(IsEncipheredCopyData(COPYDATA_OPEN_URL));
}

TEST(HallRecords, OpenUrlRequestIsPaddedAndEnciphered)
{
    OpenUrlRecord record;
    record.window = 77;
    record.user_id = 1001;
    record.game_id = 30;
    record.hall_value3 = 3;
    record.mode = 1;
    const std::vector<uint8_t> sent = MakeOpenUrlPayload(record, "http://example.com/" + std::string(300, 'x'));
    ASSERT_EQ(sent.size(), 544u);
    const std::vector<uint8_t> plain = DecipherCopyData(sent);
    EXPECT_EQ(detail::LoadI32(plain.data()), 77);
    EXPECT_EQ(detail::LoadI32(plain.data() + 16), 1);
    const std::string url = FieldText(reinterpret_cast<const char*>(plain.data() + 20), 256);
    EXPECT_EQ(url.size(), 255u);
    EXPECT_EQ(url.substr(0, 19), "http://example.com/");
    for (size_t i = 275; i < plain.size(); ++i)
        ASSERT_EQ(plain[i], 0) << i;
}

// A normal room's launch data: the own user (1001) at chair 2, another
// player, one onlooker and the room texts.
class LaunchData : public ::testing::Test {
protected:
    static constexpr size_t HEAD = 444 + 176;

    LaunchData()
    {
        m_records.Launch().user_id = 1001;
        m_records.Launch().chair_no = 2;
    }

    std::vector<uint8_t> Build(int32_t players, int32_t others, bool texts, int32_t configs = 0) const
    {
        BodyBuilder body(HEAD + static_cast<size_t>(players + others) * 320 + (texts ? 360 : 0));
        body.Word(0, 55).Word(73, configs).Word(80, texts ? 1 : 0);
        body.Word(111, 7).Word(111 + 2, players).Word(111 + 3, others);
        const int32_t users[] = { 1001, 1002, 2001 };
        const int32_t chairs[] = { 2, 0, 3 };
        for (int32_t i = 0; i < players + others; ++i) {
            const size_t at = HEAD + static_cast<size_t>(i) * 320;
            body.WordAtByte(at, users[i % 3] + (i >= 3 ? 10 * i : 0));
            body.WordAtByte(at + 8, i == 1 ? USER_STATUS_LEFT_OUT : 0);
            body.WordAtByte(at + 144, chairs[i % 3]);
            body.WordAtByte(at + 148, i >= players ? 1 : 0);
        }
        if (texts)
            body.Text(HEAD + static_cast<size_t>(players + others) * 320, "zero|one||three");
        return body.Bytes();
    }

    CClientRecords m_records;
};

TEST_F(LaunchData, SeatsPlayersByChairAndKeepsTheRoomTexts)
{
    ASSERT_TRUE(ApplyGameLaunchData(m_records, Build(2, 1, true)));
    EXPECT_EQ(m_records.GetRoomID(), 55);
    EXPECT_EQ(m_records.GetTableNO(), 7);
    EXPECT_EQ(m_records.GetTablePlayerCount(), 2);
    EXPECT_EQ(m_records.GetSeatUserID(2), 1001);
    EXPECT_EQ(m_records.GetSeatUserID(0), 1002);
    EXPECT_EQ(m_records.OtherUser(0)->user_id, 1001 + 1000 + 0); // 2001
    EXPECT_EQ(m_records.GetRoomText(0), "zero");
    EXPECT_EQ(m_records.GetRoomText(1), "one");
    EXPECT_EQ(m_records.GetRoomText(3), ""); // stops at the first empty field
}

TEST_F(LaunchData, ARandomRoomLeavesOutOtherChairsMarkedAsLeft)
{
    ASSERT_TRUE(ApplyGameLaunchData(m_records, Build(2, 0, false, ROOM_CONFIG_40)));
    EXPECT_EQ(m_records.GetTablePlayerCount(), 1);
    EXPECT_EQ(m_records.GetSeatUserID(0), 0);
}

TEST_F(LaunchData, RefusesPayloadsThatBreakTheirCountsOrChairs)
{
    std::vector<uint8_t> short_user = Build(2, 1, false);
    short_user.resize(short_user.size() - 1);
    std::vector<uint8_t> no_texts = Build(2, 0, true);
    no_texts.resize(no_texts.size() - 360);
    std::vector<uint8_t> bad_chair = Build(2, 0, false);
    bad_chair[HEAD + 320 + 144] = 8;
    std::vector<uint8_t> many_players = Build(2, 0, false);
    many_players[(111 + 2) * 4] = 9;
    std::vector<uint8_t> many_others = Build(2, 0, false);
    many_others[(111 + 3) * 4] = 65;
    std::vector<uint8_t> negative = Build(2, 0, false);
    negative[(111 + 3) * 4 + 3] = 0x80;
    std::vector<uint8_t> not_me = Build(2, 0, false);
    not_me[HEAD] = 0x11;
    std::vector<uint8_t> wrong_look_on = Build(2, 0, false);
    wrong_look_on[HEAD + 148] = 1;

    for (const auto& payload : { short_user, no_texts, bad_chair, many_players, many_others, negative })
        EXPECT_FALSE(ApplyGameLaunchData(m_records, payload));
    EXPECT_EQ(m_records.GetRoomID(), 0) << "a refused payload changes nothing";
    EXPECT_FALSE(ApplyGameLaunchData(m_records, not_me));
    EXPECT_FALSE(ApplyGameLaunchData(m_records, wrong_look_on));
    EXPECT_FALSE(ApplyGameLaunchData(m_records, std::vector<uint8_t>(HEAD - 1)));
}

TEST_F(LaunchData, MatchRoomAndOnlookersAreCheckedForLength)
{
    std::vector<uint8_t> match(572 + 176 + 320 + 1480);
    BodyBuilder named(match.size());
    named.WordAtByte(572 + 176, 1001).WordAtByte(572 + 176 + 144, 6).Text(572 + 176 + 320 + 72, "杯赛");
    named.WordAtByte(572 + 8, 99).WordAtByte(572 + 12, -3); // counts beyond the records
    EXPECT_FALSE(ApplyMatchLaunchData(m_records, std::span(named.Bytes()).first(match.size() - 1)));
    ASSERT_TRUE(ApplyMatchLaunchData(m_records, named.Bytes()));
    EXPECT_EQ(m_records.GetChairNO(), 0);
    EXPECT_EQ(m_records.GetSeatUserID(0), 1001);
    EXPECT_EQ(m_records.GetMatchName(), "杯赛");
    EXPECT_EQ(m_records.Seat(0)->chair, 0);
    EXPECT_EQ(m_records.Table().player_count, 8);
    EXPECT_EQ(m_records.Table().other_count, 0);

    BodyBuilder looker(320);
    looker.Word(0, 3001);
    EXPECT_EQ(AddLookerFromHall(m_records, std::span(looker.Bytes()).first(319)), nullptr);
    EXPECT_EQ(AddLookerFromHall(m_records, BodyBuilder(320).Bytes()), nullptr) << "no user id";
    for (int i = 0; i < CClientRecords::OTHER_USER_COUNT; ++i)
        ASSERT_NE(AddLookerFromHall(m_records, looker.Bytes()), nullptr);
    EXPECT_EQ(AddLookerFromHall(m_records, looker.Bytes()), nullptr) << "no free record";
    EXPECT_EQ(m_records.Table().other_count, CClientRecords::OTHER_USER_COUNT);
}

} // namespace
} // namespace client
