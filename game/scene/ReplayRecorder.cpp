#include "game/scene/ReplayRecorder.h"

#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "client/ClientText.h"
#include "engine/core/EngineEntity.h"
#include "engine/core/EnginePath.h"
#include "net/FtpUpload.h"
#include "platform/Path.h"
#include "platform/Tick.h"

#include <cstdio>
#include <ctime>

namespace scene {

// --- The system environment

uint32_t CReplaySystemEnv::GetTickCount() const
{
    return platform::GetTickCount();
}

ReplayLocalTime CReplaySystemEnv::GetLocalTime() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    (void)localtime_r(&now, &local);
    return { local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec };
}

bool CReplaySystemEnv::SaveGameIcon(const std::string& path)
{
    return m_engine != nullptr && m_engine->SaveImageAsPps(REPLAY_GAME_ICON_IMAGE, path) != 0;
}

bool CReplaySystemEnv::StartUpload(const std::string& local_path, const std::string& remote_file)
{
    return net::StartFtpUpload(local_path.c_str(), m_server.c_str(), "", remote_file.c_str(), "", "",
                               platform::WindowHandle::None, 0)
        != 0;
}

// --- Recording

namespace {

ReplayTableInfo MakeReplayTable(const client::CGameApp& app, const client::CGameStateHolder* state)
{
    const client::CClientRecords& records = app.Records();
    ReplayTableInfo table;
    table.room_id = records.GetRoomID();
    table.table_no = records.GetTableNO();
    table.seat_count = app.GetChairCount();
    table.room_options = records.GetRoomOptions();
    table.silver_room = records.IsSilverRoom() ? 1 : 0;
    if (state != nullptr) {
        table.state_word8 = state->GetTableWord8();
        table.state_word13 = state->GetTableWord13();
        table.state_word10 = state->GetTableWord10();
        table.state_word9 = state->GetTableWord9();
    }
    table.room_configs = records.GetRoomConfigs();
    return table;
}

} // namespace

size_t CReplayRecorder::StartRecording()
{
    m_recording = true;
    m_start_tick = m_env.GetTickCount();
    const ReplayLocalTime now = m_env.GetLocalTime();
    const client::CClientRecords& records = m_app.Records();
    // The fields both headers have; the image sets the magic and the counts.
    const auto start = [&](auto& header) {
        client::CopyTextField(header.game_code, m_app.GetGameCode());
        header.major_version = m_app.GetMajorVersion();
        header.minor_version = m_app.GetMinorVersion();
        header.user_id = records.GetUserID();
        header.chair = records.GetChairNO();
        header.start_date = now.Date();
        header.start_time = now.Time();
        return m_image.Start(header);
    };
    if (m_image.GetVariant() == ReplayVariant::Standard) {
        QvRepHeader header;
        header.game_id = records.GetGameID();
        return start(header);
    }
    QvRepMatchHeader header;
    header.table_header_word1 = records.GetTableHeaderWord1();
    client::CopyTextField(header.match_name, records.GetMatchName());
    return start(header);
}

void CReplayRecorder::RecordTableInfo()
{
    if (!m_recording)
        return;
    int players = 0;
    if (m_image.GetVariant() == ReplayVariant::Standard) {
        const ReplayTableInfo table = MakeReplayTable(m_app, m_state);
        if (m_image.AppendTable(table) == 0)
            return;
        players = table.seat_count;
    } else {
        const ReplayMatchTableInfo table = MakeReplayMatchTable(m_app.Records().Header());
        if (m_image.AppendTable(table) == 0)
            return;
        players = table.player_count;
    }
    for (int seat = 0; seat < players; ++seat)
        RecordPlayerInfo(seat);
}

size_t CReplayRecorder::RecordPlayerInfo(int seat)
{
    if (!m_recording)
        return 0;
    const client::CClientRecords& records = m_app.Records();
    if (m_image.GetVariant() == ReplayVariant::Standard) {
        const client::GameUserRecord* user = records.Seat(seat);
        return user != nullptr ? m_image.AppendPlayer(MakeReplayPlayer(*user)) : 0;
    }
    const client::TablePlayerRecord* player = records.TablePlayer(seat);
    return player != nullptr ? m_image.AppendPlayer(MakeReplayMatchPlayer(*player)) : 0;
}

size_t CReplayRecorder::RecordEvent(uint32_t event_id, std::span<const uint8_t> data)
{
    if (!m_recording)
        return 0;
    return m_image.RecordEvent(platform::TicksBetween(m_start_tick, m_env.GetTickCount()), event_id, data);
}

size_t CReplayRecorder::RecordSnapshot(uint32_t event_id, std::span<const uint8_t> data)
{
    if (!m_recording)
        return 0;
    return m_image.RecordSnapshot(platform::TicksBetween(m_start_tick, m_env.GetTickCount()), event_id, data);
}

std::string CReplayRecorder::BuildReplayPath()
{
    const client::CClientRecords& records = m_app.Records();
    const std::string exe_dir = platform::GetUserDataFolder();
    const int32_t user_id = records.GetUserID();
    const std::string game_name = records.GetGameName();

    const std::string folder = ReplayFolder(exe_dir, user_id, game_name);
    (void)engine::MakeDirectoryTree(folder);
    char user_text[48];
    std::snprintf(user_text, sizeof(user_text), "replays\\%d\\user.text", static_cast<int>(user_id));
    const std::string name = records.GetName(records.FindUser(user_id), client::NameKind::User);
    (void)engine::WriteWholeFile(exe_dir + user_text,
                                 std::span(reinterpret_cast<const uint8_t*>(name.data()), name.size()));

    const std::string skins = exe_dir + "replays\\skins\\";
    (void)engine::MakeDirectoryTree(skins);
    const std::string icon = ReplayIconPath(exe_dir, game_name);
    if (!platform::PathExists(icon))
        (void)m_env.SaveGameIcon(icon);

    const ReplayLocalTime now = m_env.GetLocalTime();
    const std::string title = ReplayFileTitle(m_app.IsMatch() ? records.GetMatchName() : game_name, now.year,
                                              now.month, now.day, now.hour, now.minute, now.second);
    return ReplayFilePath(folder, title);
}

ReplaySaveResult CReplayRecorder::SaveRecording(bool write)
{
    m_recording = false;
    ReplaySaveResult result;
    result.path = BuildReplayPath();
    if (write && !m_image.IsEmpty()) {
        const ReplayLocalTime now = m_env.GetLocalTime();
        result.written = WriteReplayFile(m_image, result.path, now.Date(), now.Time());
    }
    m_image.Reset();
    // Only a file that is on disk goes to the server.
    if (m_image.GetVariant() == ReplayVariant::Match && result.written && m_app.GetTableHeaderWord35() != 0)
        result.upload_started = m_env.StartUpload(result.path, engine::GetFileNameExtLower(result.path));
    return result;
}

} // namespace scene
