// The replay recorder tied to the application: a round recorded from the
// application's records, saved to the replay folder and loaded back; the
// elapsed times and counts; saving without writing; the match variant's
// upload only of a file that is on disk.
#include "game/scene/ReplayRecorder.h"

#include "game/scene/ReplayPlayback.h"

#include "client/CPlDkApp.h"
#include "client/ClientText.h"
#include "engine/core/EnginePath.h"
#include "platform/Path.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scene {
namespace {

class CFakeEnv final : public IReplayRecorderEnv {
public:
    [[nodiscard]] uint32_t GetTickCount() const override { return tick; }
    [[nodiscard]] ReplayLocalTime GetLocalTime() const override { return now; }
    bool SaveGameIcon(const std::string& path) override
    {
        icons.push_back(path);
        static const uint8_t kIcon[] = { 'P', 'P', 'S' };
        return engine::WriteWholeFile(path, kIcon) == 1;
    }
    bool StartUpload(const std::string& local_path, const std::string& remote_file) override
    {
        uploads.push_back(local_path + "|" + remote_file);
        return true;
    }

    uint32_t tick { 0xFFFFFF00u }; // wraps during the round
    ReplayLocalTime now { 2026, 12, 7, 9, 5, 3 };
    std::vector<std::string> icons;
    std::vector<std::string> uploads;
};

class ReplayRecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetUserDataFolder(m_folder.Path());
        client::CClientRecords& records = m_app.Records();
        records.Launch().user_id = 501;
        records.Launch().chair_no = 2;
        records.Launch().game_id = 77;
        records.Launch().game_name = "跑得快";
        records.Room().room_id = 12;
        records.Table().table_no = 3;
        for (int chair = 0; chair < 4; ++chair) {
            client::GameUserRecord& seat = *m_app.Records().Seat(chair);
            seat.user_id = 500 + chair;
            seat.chair = chair;
            client::CopyTextField(seat.name, "玩家" + std::to_string(chair));
        }
    }
    void TearDown() override { platform::SetUserDataFolder(""); }

    platform::testing::CTempFolder m_folder;
    client::CPlDkApp m_app;
    CFakeEnv m_env;
};

TEST_F(ReplayRecorderTest, RecordsSavesAndLoadsBack)
{
    CReplayImage image(ReplayVariant::Standard);
    CReplayRecorder recorder(image, m_app, m_env);
    EXPECT_EQ(recorder.RecordEvent(1, {}), 0u) << "no recording started";

    recorder.StartRecording();
    recorder.RecordTableInfo();
    EXPECT_TRUE(recorder.IsRecording());
    const uint8_t data[] = { 1, 2, 3 };
    recorder.RecordEvent(GR_GAME_START, data); // same millisecond: elapsed 0
    m_env.tick += 0x200;                        // across the tick's wrap
    recorder.RecordEvent(211080, {});
    EXPECT_EQ(image.GetHeaderFields().record_count, 2);
    EXPECT_EQ(image.GetHeaderFields().last_elapsed, 0x200u);

    const ReplaySaveResult saved = recorder.SaveRecording(true);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_TRUE(saved.written);
    EXPECT_FALSE(saved.upload_started) << "the standard board never uploads";
    const std::string folder = m_folder.Path() + "replays\\501\\跑得快\\";
    EXPECT_EQ(saved.path, folder + "跑得快_2026年12月7日9时5分3秒.qvrep");
    EXPECT_EQ(engine::ReadWholeFile(m_folder.Path() + "replays\\501\\user.text"),
              std::vector<uint8_t>({ 0xCD, 0xE6, 0xBC, 0xD2, '1' })); // "玩家1", no terminator
    ASSERT_EQ(m_env.icons.size(), 1u);
    EXPECT_EQ(m_env.icons[0], m_folder.Path() + "replays\\skins\\ico_跑得快.pps");

    CReplayImage loaded(ReplayVariant::Standard);
    ASSERT_TRUE(
        ReadReplayFile(loaded, saved.path, "pldk", m_app.GetMajorVersion(), m_app.GetMinorVersion()).IsLoaded());
    const QvRepHeader& header = loaded.GetHeader();
    EXPECT_EQ(header.game_id, 77);
    EXPECT_EQ(header.user_id, 501);
    EXPECT_EQ(header.chair, 2);
    EXPECT_EQ(header.start_date, 20261207);
    EXPECT_EQ(header.start_time, 90503);
    EXPECT_EQ(loaded.GetTableInfo().room_id, 12);
    EXPECT_EQ(loaded.GetTableInfo().table_no, 3);
    ASSERT_EQ(loaded.GetPlayerCount(), 4);
    for (int seat = 0; seat < 4; ++seat)
        EXPECT_EQ(loaded.GetPlayerInfo(seat)->user_id, 500 + seat) << "player record i is the user in chair i";
    ASSERT_EQ(loaded.GetEventCount(), 2u);
    EXPECT_EQ(loaded.GetEvent(0).elapsed, 0u);
    EXPECT_EQ(loaded.GetEvent(0).data.size(), 3u);
    EXPECT_EQ(loaded.GetEvent(1).elapsed, 0x200u);

    // The icon is written only once; the next save leaves it.
    recorder.StartRecording();
    (void)recorder.SaveRecording(true);
    EXPECT_EQ(m_env.icons.size(), 1u);

    // A game name that climbs out of the folder names an icon inside it.
    m_app.Records().Launch().game_name = "../../x";
    recorder.StartRecording();
    (void)recorder.SaveRecording(true);
    ASSERT_EQ(m_env.icons.size(), 2u);
    EXPECT_EQ(m_env.icons[1], m_folder.Path() + "replays\\skins\\ico_.._.._x.pps");
}

TEST_F(ReplayRecorderTest, SaveWithoutWriteOrFailedWriteReportsNothingWritten)
{
    CReplayImage image(ReplayVariant::Standard);
    CReplayRecorder recorder(image, m_app, m_env);
    recorder.StartRecording();
    recorder.RecordTableInfo();
    ReplaySaveResult saved = recorder.SaveRecording(false);
    EXPECT_FALSE(saved.written);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_FALSE(platform::PathExists(saved.path));
    EXPECT_TRUE(platform::PathExists(m_folder.Path() + "replays\\501\\user.text")) << "folders are made anyway";

    // A folder in the file's place: the write fails and says so.
    recorder.StartRecording();
    ASSERT_TRUE(platform::MakeDirectoryTree(saved.path));
    saved = recorder.SaveRecording(true);
    EXPECT_FALSE(saved.written);
    EXPECT_TRUE(image.IsEmpty());
}

TEST_F(ReplayRecorderTest, MatchBoardUploadsOnlyWrittenFilesWhenAsked)
{
    m_app.Records().SetMatchRoom(true);
    client::TableHeader& table = m_app.Records().Header();
    table.player_count = 2;
    table.header_value1 = 9;
    for (int slot = 0; slot < 2; ++slot)
        m_app.Records().TablePlayer(slot)->user_id = 700 + slot;
    CReplayImage image(ReplayVariant::Match);
    CReplayRecorder recorder(image, m_app, m_env);

    struct Case {
        int32_t upload_word;
        bool write;
        bool uploaded;
    };
    for (const Case c : { Case { 0, true, false }, Case { 1, false, false }, Case { 1, true, true } }) {
        m_env.uploads.clear();
        table.word35 = c.upload_word;
        recorder.StartRecording();
        recorder.RecordTableInfo();
        recorder.RecordEvent(211080, {});
        const ReplaySaveResult saved = recorder.SaveRecording(c.write);
        EXPECT_EQ(saved.upload_started, c.uploaded) << c.upload_word << c.write;
        ASSERT_EQ(m_env.uploads.size(), c.uploaded ? 1u : 0u);
        if (!c.uploaded)
            continue;
        EXPECT_EQ(m_env.uploads[0], saved.path + "|" + engine::GetFileNameExtLower(saved.path));
        CReplayImage loaded(ReplayVariant::Match);
        const int32_t major = m_app.GetMajorVersion();
        ASSERT_TRUE(ReadReplayFile(loaded, saved.path, "pldk", major, m_app.GetMinorVersion()).IsLoaded());
        EXPECT_EQ(loaded.GetMatchHeader().table_header_word1, 9);
        ASSERT_EQ(loaded.GetPlayerCount(), 2);
        EXPECT_EQ(loaded.GetMatchPlayerInfo(1)->words0[0], 701);
    }
}

} // namespace
} // namespace scene
