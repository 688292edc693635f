// The replay image: byte layouts of both variants, recording and loading
// back, the snapshot block, and damaged files refused with nothing changed.
#include "game/scene/ReplayImage.h"

#include "client/ClientText.h"
#include "engine/core/ZlibBuffer.h"
#include "platform/ByteOrder.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace scene {
namespace {

using Bytes = std::vector<uint8_t>;

int32_t WordAt(const Bytes& bytes, size_t offset)
{
    return static_cast<int32_t>(platform::LoadU32LE(bytes.data() + offset));
}

void PutWord(Bytes& bytes, size_t offset, int32_t value)
{
    platform::StoreU32LE(bytes.data() + offset, static_cast<uint32_t>(value));
}

Bytes Inflate(const Bytes& file, size_t header_bytes)
{
    const int32_t length = WordAt(file, header_bytes == QvRepHeader::BYTES ? 64 : 60);
    const auto body = engine::ZlibUncompressBuffer(std::span(file).subspan(header_bytes), static_cast<size_t>(length));
    return body.value_or(Bytes {});
}

/// A file from a header and an uncompressed body, the body length as given.
Bytes MakeFile(Bytes header, const Bytes& body, size_t length_offset, int32_t body_length)
{
    PutWord(header, length_offset, body_length);
    const auto packed = engine::ZlibCompressBuffer(body);
    header.insert(header.end(), packed->begin(), packed->end());
    return header;
}

/// A standard recording: 4 seats, two events and a snapshot between them.
CReplayImage RecordStandard(int seats = 4)
{
    CReplayImage image(ReplayVariant::Standard);
    QvRepHeader header;
    client::CopyTextField(header.game_code, "pldk");
    header.game_id = 31;
    header.major_version = 5;
    header.user_id = 1001;
    header.chair = 2;
    header.start_date = 20261207;
    header.start_time = 93015;
    image.Start(header);
    ReplayTableInfo table;
    table.room_id = 7;
    table.table_no = 12;
    table.seat_count = seats;
    table.room_configs = 0x40;
    image.AppendTable(table);
    for (int seat = 0; seat < seats; ++seat) {
        client::GameUserRecord user;
        user.user_id = 1000 + seat;
        user.chair = seat;
        client::CopyTextField(user.name, seat == 0 ? "张三" : "player");
        user.wins = 3;
        image.AppendPlayer(MakeReplayPlayer(user));
    }
    const Bytes start = { 1, 2, 3, 4 };
    image.RecordEvent(0, 211040, start);
    image.RecordSnapshot(10, 229500, Bytes(16, 0xAB));
    image.RecordEvent(2500, 221170, Bytes(8, 0x55));
    return image;
}

TEST(ReplayImageTest, StandardFileLayout)
{
    CReplayImage image = RecordStandard();
    const auto saved = image.Save(20261207, 101500);
    ASSERT_TRUE(saved.has_value());
    const Bytes& file = *saved;
    EXPECT_EQ(std::memcmp(file.data(), "QvRep\0pldk\0", 11), 0);
    EXPECT_EQ(WordAt(file, 16), 31);
    EXPECT_EQ(WordAt(file, 20), 5);
    EXPECT_EQ(WordAt(file, 52), 2);       // record count
    EXPECT_EQ(WordAt(file, 56), 2500);    // last elapsed
    EXPECT_EQ(WordAt(file, 68), 1001);
    EXPECT_EQ(WordAt(file, 72), 2);
    EXPECT_EQ(WordAt(file, 76), 20261207);
    EXPECT_EQ(WordAt(file, 80), 93015);
    EXPECT_EQ(WordAt(file, 84), 20261207);
    EXPECT_EQ(WordAt(file, 88), 101500);
    const Bytes body = Inflate(file, 108);
    const size_t first = 216 + 4 * 192;
    ASSERT_EQ(body.size(), first + 12 + 4 + 12 + 16 + 12 + 8);
    EXPECT_EQ(WordAt(file, 64), static_cast<int32_t>(body.size()));
    EXPECT_EQ(WordAt(file, 60), static_cast<int32_t>(108 + first + 16)); // the snapshot's head
    EXPECT_EQ(WordAt(body, 0), 7);
    EXPECT_EQ(WordAt(body, 4), 12);
    EXPECT_EQ(WordAt(body, 8), 4);
    EXPECT_EQ(WordAt(body, 64), 0x40);
    EXPECT_EQ(WordAt(body, 216), 1000);           // player 0: user id
    EXPECT_EQ(WordAt(body, 216 + 12), 0);         // chair
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(body.data()) + 216 + 28), "张三");
    EXPECT_EQ(WordAt(body, 216 + 108), 3);        // wins
    EXPECT_EQ(WordAt(body, 216 + 192 + 12), 1);   // player 1's chair
    EXPECT_EQ(WordAt(body, first), 0);
    EXPECT_EQ(WordAt(body, first + 4), 211040);
    EXPECT_EQ(WordAt(body, first + 8), 4);
    EXPECT_EQ(WordAt(body, first + 16 + 4), 229500);
}

TEST(ReplayImageTest, MatchFileLayout)
{
    CReplayImage image(ReplayVariant::Match);
    QvRepMatchHeader header;
    client::CopyTextField(header.game_code, "pldk");
    header.major_version = 5;
    header.user_id = 88;
    header.table_header_word1 = 0x1234;
    client::CopyTextField(header.match_name, "冠军赛");
    image.Start(header);
    client::TableHeader table;
    table.room_id = 9;
    table.player_count = 2;
    table.word35 = 1;
    std::memset(table.text160, 'x', sizeof(table.text160)); // not terminated
    const ReplayMatchTableInfo info = MakeReplayMatchTable(table);
    EXPECT_EQ(client::FieldText(info.text160), std::string(84, 'x'));
    EXPECT_EQ(info.text160[191], 0);
    image.AppendTable(info);
    client::TablePlayerRecord player;
    player.user_id = 5;
    player.word66 = 66;
    player.score = 470;
    image.AppendPlayer(MakeReplayMatchPlayer(player));
    image.AppendPlayer(MakeReplayMatchPlayer(player));
    EXPECT_EQ(image.AppendPlayer(MakeReplayMatchPlayer(player)), 0u); // only two announced
    image.RecordEvent(40, 211028, Bytes { 9 });
    const Bytes file = *image.Save(1, 2);
    EXPECT_EQ(std::memcmp(file.data(), "QvReppldk\0", 10), 0);
    EXPECT_EQ(WordAt(file, 16), 5);
    EXPECT_EQ(WordAt(file, 48), 1);
    EXPECT_EQ(WordAt(file, 52), 40);
    EXPECT_EQ(WordAt(file, 56), -1);
    EXPECT_EQ(WordAt(file, 64), 88);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()) + 72), "冠军赛");
    EXPECT_EQ(WordAt(file, 144), 1);
    EXPECT_EQ(WordAt(file, 152), 0x1234);
    const Bytes body = Inflate(file, 172);
    ASSERT_EQ(body.size(), 252u + 2 * 180 + 12 + 1);
    EXPECT_EQ(WordAt(body, 0), 9);
    EXPECT_EQ(WordAt(body, 12), 2);
    EXPECT_EQ(WordAt(body, 40), 1);               // TableHeader word 35
    EXPECT_EQ(WordAt(body, 252), 5);
    EXPECT_EQ(WordAt(body, 252 + 76), 66);
    EXPECT_EQ(WordAt(body, 252 + 88), 470);
    EXPECT_EQ(WordAt(body, 252 + 360 + 4), 211028);

    CReplayImage loaded(ReplayVariant::Match);
    ASSERT_TRUE(loaded.Load(file, "pldk", 5, 0).IsLoaded());
    EXPECT_EQ(loaded.GetMatchPlayerInfo(1)->word264, 66);
    Bytes nine = body;
    PutWord(nine, 12, 9);
    nine.resize(252 + 9 * 180);
    const Bytes header_bytes(file.begin(), file.begin() + 172);
    EXPECT_FALSE(
        loaded.Load(MakeFile(header_bytes, nine, 60, static_cast<int32_t>(nine.size())), "pldk", 5, 0).IsLoaded());
    CReplayImage standard(ReplayVariant::Standard);
    EXPECT_FALSE(standard.Load(file, "pldk", 5, 0).IsLoaded());
}

TEST(ReplayImageTest, RecordSaveLoadPlaysTheSameRecords)
{
    CReplayImage recorded = RecordStandard();
    const Bytes file = *recorded.Save(20261207, 101500);
    CReplayImage loaded(ReplayVariant::Standard);
    const ReplayLoadResult result = loaded.Load(file, "pldk", 5, 0);
    ASSERT_TRUE(result.IsLoaded());
    EXPECT_FALSE(result.version_differs);
    EXPECT_TRUE(loaded.Load(file, "pldk", 5, 1).version_differs);
    EXPECT_EQ(loaded.Bytes().size(), recorded.Bytes().size());
    EXPECT_TRUE(std::equal(loaded.Bytes().begin(), loaded.Bytes().end(), recorded.Bytes().begin()));
    ASSERT_EQ(loaded.GetEventCount(), 2u);
    EXPECT_EQ(loaded.GetEvent(1).elapsed, 2500u);
    EXPECT_EQ(loaded.GetEvent(1).event_id, 221170u);
    EXPECT_EQ(loaded.GetEvent(1).data.size(), 8u);
    ASSERT_TRUE(loaded.GetSnapshot().has_value());
    EXPECT_EQ(loaded.GetSnapshot()->event_id, 229500u);
    EXPECT_EQ(loaded.GetPlayerCount(), 4);
    EXPECT_EQ(client::FieldText(loaded.GetPlayerInfo(0)->name), "张三");
    EXPECT_FALSE(loaded.GetPlayerInfo(4).has_value());
    EXPECT_EQ(loaded.GetHeaderFields().user_id, 1001);

    // A second snapshot replaces the first; the events stay where they were.
    recorded.RecordSnapshot(3000, 229501, Bytes(4, 1));
    ASSERT_TRUE(loaded.Load(*recorded.Save(1, 1), "pldk", 5, 0).IsLoaded());
    EXPECT_EQ(loaded.GetSnapshot()->event_id, 229501u);
    EXPECT_EQ(loaded.GetEventCount(), 2u);
    EXPECT_EQ(loaded.GetEvent(1).event_id, 221170u);
}

TEST(ReplayImageTest, EmptyRecordingHasNoEventsAndNoSnapshot)
{
    CReplayImage image(ReplayVariant::Standard);
    EXPECT_EQ(image.RecordEvent(0, 1, {}), 0u); // nothing started
    EXPECT_FALSE(image.Save(0, 0).has_value());
    QvRepHeader header;
    client::CopyTextField(header.game_code, "pldk");
    image.Start(header);
    EXPECT_EQ(image.RecordEvent(0, 1, {}), 0u); // no table yet
    ReplayTableInfo table;
    table.seat_count = 1;
    image.AppendTable(table);
    EXPECT_EQ(image.RecordEvent(0, 1, {}), 0u); // the seat's record is missing
    image.AppendPlayer(ReplayPlayerInfo {});
    const Bytes file = *image.Save(0, 0);
    EXPECT_EQ(WordAt(file, 52), 0);
    EXPECT_EQ(WordAt(file, 56), 0);
    EXPECT_EQ(WordAt(file, 60), -1);
    CReplayImage loaded(ReplayVariant::Standard);
    ASSERT_TRUE(loaded.Load(file, "pldk", 0, 0).IsLoaded());
    EXPECT_EQ(loaded.GetEventCount(), 0u);
    EXPECT_FALSE(loaded.GetSnapshot().has_value());
}

TEST(ReplayImageTest, DamagedFilesAreRefusedWithNothingChanged)
{
    CReplayImage good = RecordStandard();
    const Bytes file = *good.Save(1, 1);
    const Bytes header(file.begin(), file.begin() + 108);
    const Bytes body = Inflate(file, 108);
    const int32_t length = static_cast<int32_t>(body.size());
    const size_t first = 216 + 4 * 192;
    auto with_body = [&](const std::function<void(Bytes&)>& edit) {
        Bytes changed = body;
        edit(changed);
        return MakeFile(header, changed, 64, static_cast<int32_t>(changed.size()));
    };
    auto with_header = [&](const std::function<void(Bytes&)>& edit) {
        Bytes changed = file;
        edit(changed);
        return changed;
    };
    using R = ReplayRefusal;
    const struct {
        const char* name;
        Bytes file;
        ReplayRefusal refusal;
    } cases[] = {
        { "truncated header", Bytes(file.begin(), file.begin() + 107), R::ShortHeader },
        { "header only", header, R::BodyStream },
        { "no magic", with_header([](Bytes& f) { f[2] = 'r'; }), R::NoMagic },
        { "other game", with_header([](Bytes& f) { f[6] = 'x'; }), R::OtherGame },
        { "code filling its field", with_header([](Bytes& f) { std::memset(f.data() + 6, 'p', 10); }), R::OtherGame },
        { "body length one short", MakeFile(header, body, 64, length - 1), R::BodyStream },
        { "body length one long", MakeFile(header, body, 64, length + 1), R::BodyStream },
        { "body length above the cap", MakeFile(header, body, 64, 65 << 20), R::BodyLength },
        { "negative body length", MakeFile(header, body, 64, -5), R::BodyLength },
        { "truncated stream", Bytes(file.begin(), file.end() - 6), R::BodyStream },
        { "garbled stream", with_header([](Bytes& f) { f[f.size() / 2 + 54] ^= 0x5A; }), R::BodyStream },
        { "a byte after the stream", with_header([](Bytes& f) { f.push_back(0); }), R::BodyStream },
        { "a second stream after the first",
          with_header([&](Bytes& f) { f.insert(f.end(), file.begin() + 108, file.end()); }), R::BodyStream },
        { "five seats", with_body([](Bytes& b) { PutWord(b, 8, 5); }), R::PlayerCount },
        { "negative seats", with_body([](Bytes& b) { PutWord(b, 8, -1); }), R::PlayerCount },
        { "no table record", with_body([](Bytes& b) { b.resize(100); }), R::PlayerCount },
        { "record running past the body", with_body([&](Bytes& b) { PutWord(b, first + 8, 1000); }),
          R::RecordOutside },
        { "huge record length", with_body([&](Bytes& b) { PutWord(b, first + 8, -2); }), R::RecordOutside },
        { "half a head at the end", with_body([](Bytes& b) { b.insert(b.end(), { 1, 2, 3 }); }), R::RecordOutside },
        { "record count too high", with_header([](Bytes& f) { PutWord(f, 52, 3); }), R::RecordCount },
        { "negative record count", with_header([](Bytes& f) { PutWord(f, 52, -1); }), R::BodyLength },
        { "snapshot inside a record", with_header([](Bytes& f) { PutWord(f, 60, WordAt(f, 60) + 4); }),
          R::Snapshot },
        { "snapshot before the records", with_header([](Bytes& f) { PutWord(f, 60, 108); }), R::Snapshot },
        { "snapshot past the end", with_header([](Bytes& f) { PutWord(f, 60, 1 << 30); }), R::Snapshot },
    };
    CReplayImage loaded(ReplayVariant::Standard);
    ASSERT_TRUE(loaded.Load(file, "pldk", 5, 0).IsLoaded());
    const Bytes before(loaded.Bytes().begin(), loaded.Bytes().end());
    for (const auto& c : cases) {
        const ReplayLoadResult result = loaded.Load(c.file, "pldk", 5, 0);
        EXPECT_FALSE(result.IsLoaded()) << c.name;
        EXPECT_EQ(result.refusal, c.refusal) << c.name;
        EXPECT_STREQ(ReplayRefusalMessage(result.refusal),
                     c.refusal == R::OtherGame ? REPLAY_WRONG_GAME_TEXT : REPLAY_DAMAGED_TEXT)
            << c.name << ": a damaged file is not called another game's";
        EXPECT_TRUE(std::equal(before.begin(), before.end(), loaded.Bytes().begin(), loaded.Bytes().end())) << c.name;
        EXPECT_EQ(loaded.GetEventCount(), 2u) << c.name;
    }
    // A file of the other variant fails on its game code.
    CReplayImage match(ReplayVariant::Match);
    EXPECT_EQ(match.Load(file, "pldk", 5, 0).refusal, R::OtherGame);
    EXPECT_TRUE(match.IsEmpty());
}

TEST(ReplayImageTest, FilesAreWrittenWholeOrReportedAsFailed)
{
    const platform::testing::CTempFolder folder;
    CReplayImage recorded = RecordStandard(2);
    ASSERT_TRUE(WriteReplayFile(recorded, folder / "a.qvrep", 1, 1));
    CReplayImage loaded(ReplayVariant::Standard);
    EXPECT_TRUE(ReadReplayFile(loaded, folder / "a.qvrep", "pldk", 5, 0).IsLoaded());
    EXPECT_EQ(loaded.GetPlayerCount(), 2);
    EXPECT_FALSE(WriteReplayFile(recorded, folder / "missing/b.qvrep", 1, 1));
    EXPECT_FALSE(ReadReplayFile(loaded, folder / "missing/b.qvrep", "pldk", 5, 0).IsLoaded());
    CReplayImage empty(ReplayVariant::Standard);
    EXPECT_FALSE(WriteReplayFile(empty, folder / "c.qvrep", 1, 1));
    EXPECT_EQ(loaded.GetPlayerCount(), 2);
}

TEST(ReplayImageTest, NamesAndMessages)
{
    EXPECT_EQ(ReplayFolder("/opt/pldk/", 1001, "拖拉机"), "/opt/pldk/replays\\1001\\拖拉机\\");
    const std::string title = ReplayFileTitle("拖拉机", 2026, 12, 7, 9, 5, 3);
    EXPECT_EQ(title, "拖拉机_2026年12月7日9时5分3秒");
    // A server-given name never leaves the folder; a GBK trail byte 0x5C stays.
    EXPECT_EQ(ReplayFileTitle("..\\../x/y", 2026, 1, 2, 3, 4, 5), ".._.._x_y_2026年1月2日3时4分5秒");
    EXPECT_EQ(ReplayFileTitle("\x95\\", 2026, 1, 2, 3, 4, 5), "\x95\\_2026年1月2日3时4分5秒");
    EXPECT_EQ(ReplayFolder("/d/", 7, ".."), "/d/replays\\7\\__\\");
    EXPECT_EQ(ReplayFolder("/d/", 7, "..\\x/\r\n"), "/d/replays\\7\\.._x___\\");
    EXPECT_EQ(ReplayFilePath("d\\", title), "d\\" + title + ".qvrep");
    EXPECT_EQ(ReplayIconPath("/d/", "拖拉机"), "/d/replays\\skins\\ico_拖拉机.pps");
    EXPECT_EQ(ReplayIconPath("/d/", "..\\../x"), "/d/replays\\skins\\ico_.._.._x.pps");
    EXPECT_EQ(ReplayIconPath("/d/", ".."), "/d/replays\\skins\\ico___.pps");
    EXPECT_EQ(FormatReplayVersionWarning(5, 0, 4, 2), "当前游戏版本:5,0，录像版本:4,2,可能出现无法预料的观看错误!");
}

} // namespace
} // namespace scene
