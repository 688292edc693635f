// The notification dispatcher and this game's handler: raw bodies through
// Dispatch to a recording frame UI, side panel and scene; the texts, boards,
// records and hooks each produces; truncated and hostile bodies.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "BodyBuilder.h"
#include "NotifyFakes.h"
#include "client/CClientRecords.h"
#include "client/ClientText.h"
#include "platform/MessageBox.h"

namespace client {
namespace {

using client_test::BodyBuilder;
using client_test::NotifyRig;

constexpr int32_t OWN_USER = 1001;
constexpr int32_t OWN_CHAIR = 2;
constexpr int32_t TABLE_NO = 7;

void Seat(CClientRecords& records, int chair, int32_t user_id, const char* name, const char* second = "")
{
    GameUserRecord& seat = *records.Seat(chair);
    seat.user_id = user_id;
    seat.chair = chair;
    seat.table_no = TABLE_NO;
    CopyTextField(seat.name, name);
    CopyTextField(seat.second_name, second);
}

class NotifyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::InstallMessageBox(&m_boxes);
        CClientRecords& records = rig.app.Records();
        records.Launch().user_id = OWN_USER;
        records.Launch().chair_no = OWN_CHAIR;
        records.Table().table_no = TABLE_NO;
        Seat(records, 0, 1000, "甲", "东");
        Seat(records, 1, 1003, "乙");
        Seat(records, OWN_CHAIR, OWN_USER, "我");
        records.Table().player_count = 3;
    }
    void TearDown() override { platform::InstallMessageBox(nullptr); }

    std::vector<std::string> ExitTexts() const
    {
        std::vector<std::string> texts;
        for (const ExitBoardRequest& board : rig.frame.exit_boards)
            texts.push_back(board.text + "|" + std::to_string(board.seconds) + "|" + std::to_string(board.style) +
                            "|" + board.picture + (board.kind == engine::TextKind::Markup ? "|markup" : ""));
        return texts;
    }

    platform::CRecordingMessageBox m_boxes;
    NotifyRig rig;
};

using Strings = std::vector<std::string>;

TEST_F(NotifyTest, TextsAndBoardsOfEachNotification)
{
    const struct {
        uint32_t id;
        std::vector<uint8_t> body;
        Strings system_texts;
        Strings exit_boards;
        Strings system_boards;
    } cases[] = {
        { 201200, BodyBuilder(20).Word(0, 1000).Word(4, 1003).Bytes(), { " 甲[东]呼叫 <c=32768>乙\n" }, {}, {} },
        { 201213, BodyBuilder(24).Word(0, 1003).Word(4, 1000).Word(5, 1).Bytes(),
          { " <c=2906200>乙答应甲的退出请求 \r\n" }, {}, {} },
        { 201213, BodyBuilder(24).Word(0, 1003).Word(4, 1000).Bytes(), { " <c=2906200>乙拒绝甲的退出请求 \r\n" }, {}, {} },
        { 211110, BodyBuilder(4).Word(0, 1003).Bytes(), {}, { "乙的银子不够了，这一桌游戏结束。|5|1|" }, {} },
        { 211120, {}, {}, { "有玩家未入座，游戏结束。|5|1|" }, {} },
        { 211130, BodyBuilder(4).Word(0, 1000).Bytes(), {}, { "甲的积分不够了，这一桌游戏结束。|5|1|" }, {} },
        { 211132, BodyBuilder(4).Word(0, 1000).Bytes(), {}, { "甲的积分超出限制，这一桌游戏结束。|5|1|" }, {} },
        { 211134, BodyBuilder(16).Word(0, 1000).Word(3, 99).Bytes(), {},
          { "甲的总局数超出限制(99局)，这一桌游戏结束。|30|1|" }, {} },
        { 211136, BodyBuilder(12).Word(2, 50).Bytes(), {}, { "这一桌的局数超出限制(50局)，游戏结束。|30|1|" }, {} },
        { 211137, BodyBuilder(12).Bytes(), {}, { "已超出限定时间，不能继续游戏。|60|1|" }, {} },
        { 211137, BodyBuilder(92).Word(2, 2).Word(7, 830).Word(8, 1900).Word(15, 1200).Word(16, 2305).Bytes(), {},
          { "已超出限定时间，不能继续游戏。下列时间段开放：\r\n\r\n8点30分 ~ 12点00分\r\n19点00分 ~ 23点05分\r\n|60|1|" },
          {} },
        // A count past the body's periods shows only the periods it holds.
        { 211137, BodyBuilder(64).Word(2, 1000).Word(7, 900).Word(15, 1000).Bytes(), {},
          { "已超出限定时间，不能继续游戏。下列时间段开放：\r\n\r\n9点00分 ~ 10点00分\r\n|60|1|" }, {} },
        // The server's own text keeps its markup; the boards that name a
        // player are plain text.
        { 211138, BodyBuilder(16).Text(8, "维护").Bytes(), {}, { "维护|60|1||markup" }, {} },
        { 211205, BodyBuilder(16).Bytes(), {}, {}, { "报名失败,请重试!|16777215|16" } },
        { 211205, BodyBuilder(20).Text(16, "满员").Bytes(), {}, {}, { "满员|16777215|16" } },
        { 211206, BodyBuilder(16).Bytes(), {}, {}, { "退赛失败,请重试!|16777215|16" } },
        { 211243, BodyBuilder(30).Text(24, "通知").Bytes(), {}, {}, { "通知|16777215|16" } },
        { 211210, BodyBuilder(12).Word(2, 8).Bytes(),
          { " <z=qv系统通知><c=255,s=240> 出局人数已满，本局结束后将等待其他桌结束确定前8名晋级者。\r\n" }, {}, {} },
        { 211230, {}, { " <z=qv系统通知>#r 游戏超时，本局结束!\r\n" }, {}, {} },
        { 211800, BodyBuilder(12).Word(0, OWN_USER).Word(1, OWN_CHAIR).Word(2, 3).Bytes(), {},
          { "您已经连续3局未参与本桌游戏了，请您换张桌子！|5|1|" }, {} },
        { 211800, BodyBuilder(12).Word(0, OWN_USER).Word(1, 0).Word(2, 3).Bytes(), {}, {}, {} },
        { 211800, BodyBuilder(12).Word(0, 1000).Word(1, OWN_CHAIR).Word(2, 3).Bytes(), {}, {}, {} },
        { 250001, {}, {}, { "由于您长时间没有开始游戏，系统请您离开游戏|10|48|vur抱歉" }, {} },
        { 211000, BodyBuilder(28).Word(1, 0).Word(2, 1).Word(5, -20).Word(6, -100).Bytes(), {},
          { "甲[东] 已经强行退出，游戏结束。(扣除100两,20分)|10|48|vur抱歉" }, {} },
        { 211000, BodyBuilder(28).Word(1, 1).Word(6, INT32_MIN).Bytes(), {}, { "乙 已经离开，游戏结束。|10|48|vur抱歉" }, {} },
        { 211000, BodyBuilder(28).Word(1, 1).Word(2, 1).Word(6, INT32_MIN).Bytes(), {},
          { "乙 已经强行退出，游戏结束。(扣除2147483648两,0分)|10|48|vur抱歉" }, {} },
        { 211202, BodyBuilder(64).Bytes(), {}, {}, {} },
        { 123456, BodyBuilder(64).Bytes(), {}, {}, {} },
    };
    for (const auto& c : cases) {
        NotifyTest::TearDown();
        NotifyTest::SetUp();
        rig.panel.texts.clear();
        rig.frame.exit_boards.clear();
        rig.frame.system_boards.clear();
        rig.Send(c.id, c.body);
        EXPECT_EQ(rig.panel.texts, c.system_texts) << c.id;
        EXPECT_EQ(ExitTexts(), c.exit_boards) << c.id;
        EXPECT_EQ(rig.frame.system_boards, c.system_boards) << c.id;
        EXPECT_EQ(rig.handler.GetLastMessage().id, c.id);
        EXPECT_EQ(rig.handler.GetLastMessage().length, c.body.size());
    }
}

TEST_F(NotifyTest, EndOfTableBoardsNeedAMainWindow)
{
    CPlDkNotifyHandler handler(rig.app); // no main window on this thread
    handler.Dispatch(211120, {});
    handler.Dispatch(211800, BodyBuilder(12).Word(0, OWN_USER).Word(1, OWN_CHAIR).Span());
    EXPECT_TRUE(rig.frame.exit_boards.empty());
    handler.Dispatch(250001, {});
    EXPECT_EQ(rig.frame.exit_boards.size(), 1u) << "the idle kick is no end-of-table board";
}

TEST_F(NotifyTest, PlayerCallRingsOnlyForTheOwnUser)
{
    rig.Send(201200, BodyBuilder(20).Word(0, 1000).Word(4, OWN_USER).Span());
    rig.Send(201200, BodyBuilder(20).Word(0, OWN_USER).Word(4, 1000).Span());
    EXPECT_EQ(rig.frame.calls, Strings { "sound SndAhoo" });
}

TEST_F(NotifyTest, PlayerEnterFillsTheSeatAndCountsNewPlayersOnly)
{
    CClientRecords& records = rig.app.Records();
    auto entry = [](int32_t user, int32_t chair) {
        return BodyBuilder(ServerPlayerEntry::BYTES).Word(0, user).Word(3, TABLE_NO).Word(4, chair).Text(36, "丙").Bytes();
    };
    rig.Send(211011, entry(1004, 3));
    EXPECT_EQ(records.Table().player_count, 4);
    EXPECT_EQ(FieldText(records.Seat(3)->name), "丙");
    rig.Send(211011, entry(1005, 3)); // an occupied chair: replaced, not counted
    EXPECT_EQ(records.Table().player_count, 4);
    EXPECT_EQ(records.GetSeatUserID(3), 1005);
    rig.Send(211011, entry(1006, 4)); // past this table's four chairs
    rig.Send(211011, entry(1006, -1));
    rig.Send(211011, entry(0, 0));
    EXPECT_EQ(rig.frame.calls, (Strings { "enter 1004@3", "enter 1005@3" }));

    // Playing in a room that keeps players out while a round runs.
    rig.app.SetPlaying();
    rig.Send(211011, entry(1007, 0));
    EXPECT_EQ(records.GetSeatUserID(0), 1000);
    records.Room().configs = ROOM_CONFIG_ENTER_WHILE_PLAYING;
    rig.Send(211011, entry(1007, 0));
    EXPECT_EQ(records.GetSeatUserID(0), 1007);
}

TEST_F(NotifyTest, PlayerLeaveClearsOnlyAMatchingSeat)
{
    CClientRecords& records = rig.app.Records();
    auto leave = [](int32_t user, int32_t chair, int32_t table, int32_t agreed = 0) {
        return BodyBuilder(36).Word(0, user).Word(1, chair).Word(7, table).Word(8, agreed).Bytes();
    };
    rig.Send(211010, leave(1000, 0, TABLE_NO + 1)); // another table
    rig.Send(211010, leave(1000, 1, TABLE_NO));     // another chair
    EXPECT_EQ(records.GetSeatUserID(0), 1000);
    EXPECT_TRUE(rig.frame.calls.empty());

    rig.Send(211010, leave(1000, 0, TABLE_NO));
    EXPECT_EQ(records.GetSeatUserID(0), 0);
    EXPECT_EQ(records.Table().player_count, 2);
    EXPECT_EQ(rig.frame.calls, Strings { "leave 1000" });

    rig.Send(211010, leave(OWN_USER, OWN_CHAIR, TABLE_NO, 1));
    EXPECT_EQ(ExitTexts(), Strings { "其他玩家同意您退出游戏！|10|48|vur胜利" });
}

TEST_F(NotifyTest, InfoUpdateCutsTheTitleBetweenCharacters)
{
    BodyBuilder body(20 + 52);
    body.Word(0, 1).Word(5, 1003).Word(7, 321).Word(8, 555).Word(9, 12);
    // 31 bytes: fifteen two-byte characters and one more byte.
    body.Text(20 + 20, std::string(30, '\xB0') + "x");
    rig.Send(211030, body.Span());
    const GameUserRecord& user = *rig.app.Records().Seat(1);
    EXPECT_EQ(user.silver, 555);
    EXPECT_EQ(user.score, 321);
    EXPECT_EQ(user.level, 12);
    EXPECT_EQ(FieldText(user.level_title), std::string(14, '\xB0')) << "cut to 15 bytes, not inside a character";

    body.Word(0, 2); // a second entry the body does not hold
    rig.Send(211030, body.Span());
    EXPECT_EQ(user.silver, 555);
}

TEST_F(NotifyTest, AdvertAddressIsKeptCutAndHandedToThePanel)
{
    rig.Send(211400, BodyBuilder(32 + 20).Text(32, "http://a.example/x").Span());
    EXPECT_EQ(rig.app.GetAdvertAddress(), "http://a.example/x");
    EXPECT_EQ(rig.panel.events, Strings { "80000060 http://a.example/x" });

    std::vector<uint8_t> long_address(32 + 600, 'a');
    rig.Send(211400, long_address);
    EXPECT_EQ(rig.app.GetAdvertAddress().size(), ADVERT_ADDRESS_BYTES - 1);
}

TEST_F(NotifyTest, ResultBoxSplitsAtTheFirstBar)
{
    rig.Send(211410, BodyBuilder(64).Text(32, "第一名|http://r.example/|x").Span());
    rig.Send(211410, BodyBuilder(64).Text(32, "http://only.example/").Span());
    ASSERT_EQ(rig.frame.url_boards.size(), 2u);
    EXPECT_EQ(rig.frame.url_boards[0].text, "第一名");
    EXPECT_EQ(rig.frame.url_boards[0].url, "http://r.example/|x");
    EXPECT_EQ(rig.frame.url_boards[0].first_button, "查看成绩");
    EXPECT_EQ(rig.frame.url_boards[0].seconds, 60);
    EXPECT_EQ(rig.frame.url_boards[1].text, "");
    EXPECT_EQ(rig.frame.url_boards[1].url, "http://only.example/");
    EXPECT_EQ(rig.link.closes, 2);
}

TEST_F(NotifyTest, AServerMessageBoxIsTheFramesAndNothingWaitsForIt)
{
    rig.Send(210530, BodyBuilder(8).Text(0, "停服").Span());
    rig.Send(211230, {});
    EXPECT_EQ(rig.frame.calls, Strings { "server-box 停服" });
    EXPECT_TRUE(m_boxes.GetShown().empty()) << "no desktop box";
    EXPECT_EQ(rig.handler.GetLastMessage().id, 211230u);
    EXPECT_EQ(rig.panel.texts.size(), 1u);
}

TEST_F(NotifyTest, EventsToThePanelAndTheScene)
{
    const auto body = BodyBuilder(40).Bytes();
    rig.Send(201210, body);
    rig.Send(211200, body);
    rig.Send(211900, body);
    rig.Send(211920, body);
    rig.Send(211242, BodyBuilder(12).Word(2, -1).Span());
    rig.Send(211190, body);
    EXPECT_EQ(rig.panel.events, (Strings { "80000058 40B", "80000059 40B", "80000061 40B", "80000028 4294967295",
                                           "80000026 0" }));
    EXPECT_EQ(rig.scene.calls, (Strings { "80000061 40B", "80000063 40B", "80000028 4294967295" }));
    EXPECT_EQ(rig.app.Records().MatchState().state, MATCH_STATE_ENDED);
    EXPECT_EQ(rig.frame.calls, Strings { "out 40B" });
}

TEST_F(NotifyTest, MatchScoresReachThePlayersAndTheRanking)
{
    CClientRecords& records = rig.app.Records();
    records.TablePlayer(1)->user_id = 1003;
    BodyBuilder body(24 + 64 * 2);
    body.Word(1, 2).WordAtByte(24, 1003).WordAtByte(28, 70).WordAtByte(32, 800).WordAtByte(36, 5);
    body.WordAtByte(24 + 64, 1000).WordAtByte(24 + 64 + 12, 1);
    rig.Send(211170, body.Span());
    EXPECT_EQ(records.TablePlayer(1)->score, 70);
    EXPECT_EQ(records.TablePlayer(1)->silver, 800);
    EXPECT_EQ(records.TablePlayer(1)->word46, 5);
    EXPECT_EQ(records.TablePlayer(0)->score, 0) << "an empty slot never matches";
    ASSERT_EQ(records.Ranking().EntryCount(), 2);
    EXPECT_EQ(records.Ranking().entries[0].user_id, 1000) << "sorted by key";
    EXPECT_EQ(rig.panel.events, Strings { "80000022 0" });

    body.Word(1, 3); // more entries than the body holds
    rig.Send(211170, body.Span());
    EXPECT_EQ(records.Ranking().EntryCount(), 2);
}

TEST_F(NotifyTest, TableClosedEndsTheConnection)
{
    rig.Send(211000, {});
    EXPECT_EQ(rig.link.closes, 1);
    EXPECT_EQ(rig.wait.hides, 1);
    EXPECT_TRUE(rig.frame.exit_boards.empty()) << "no words, no text";
}

TEST_F(NotifyTest, LastMessageRecordsTheGameDataSubId)
{
    rig.Send(229500, BodyBuilder(20).Word(2, 19840324).Span());
    EXPECT_EQ(rig.handler.GetPreviousRecord(), (std::array<int32_t, 4> { 229500, 19840324, 20, 4242 }));
    rig.Send(211230, BodyBuilder(20).Word(2, 19840324).Span());
    EXPECT_EQ(rig.handler.GetPreviousRecord(), (std::array<int32_t, 4> { 211230, 0, 20, 4242 }));
    rig.Send(229500, BodyBuilder(8).Span());
    EXPECT_EQ(rig.handler.GetPreviousRecord()[1], 0);
}

// Every id any layer handles, with bodies cut short at every length up to
// its fields and with hostile words: nothing is read past a body (ASan), and
// refused bodies leave the records unchanged.
TEST_F(NotifyTest, TruncatedAndHostileBodies)
{
    std::mt19937 random(31);
    for (const uint32_t id : client_test::NOTIFY_IDS) {
        for (size_t length : { 0, 1, 3, 4, 7, 8, 11, 12, 15, 16, 23, 24, 31, 35, 63, 64, 100, 135, 136, 300, 403 }) {
            for (const uint8_t fill : { 0x00, 0x7F, 0xFF }) {
                std::vector<uint8_t> body(length, fill);
                // Exactly sized, so ASan sees a read one byte past the end.
                rig.Send(id, body);
                for (uint8_t& byte : body)
                    byte = static_cast<uint8_t>(random());
                rig.Send(id, body);
            }
        }
    }
    // Counts and chairs out of range are refused whole.
    NotifyTest::TearDown();
    NotifyTest::SetUp();
    rig.frame.calls.clear();
    const auto before = RecordBytes(*rig.app.Records().Seat(0));
    rig.Send(211028, BodyBuilder(64 + 136 * 9).Word(1, 3).Word(2, 9).Span());
    rig.Send(211028, BodyBuilder(64 + 136).Word(1, 3).Word(2, 2).Span()); // 2 entries, room for 1
    rig.Send(211030, BodyBuilder(72).Word(0, -1).Span());
    rig.Send(211030, BodyBuilder(72).Word(0, 0x40000000).Span());
    rig.Send(211170, BodyBuilder(24 + 64 * 101).Word(1, 101).Span());
    rig.Send(211170, BodyBuilder(24).Word(1, -5).Span());
    rig.Send(211010, BodyBuilder(36).Word(0, 1000).Word(1, 8).Word(7, TABLE_NO).Span());
    EXPECT_EQ(RecordBytes(*rig.app.Records().Seat(0)), before);
    EXPECT_EQ(rig.app.Records().Table().player_count, 3);
    EXPECT_TRUE(rig.frame.calls.empty());
}

} // namespace
} // namespace client
