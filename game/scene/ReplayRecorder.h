#pragma once
// CReplayRecorder: the writing half of a replay board. While a game runs the
// scene's recording hooks hand it the table's events; it keeps them, with the
// milliseconds since the start of recording, in the board's CReplayImage and
// at the end of a game stores the image as a ".qvrep" file under
// "replays\<user id>\<game name>\" in the user data folder. A match board
// then hands the saved file to the FTP upload job when the table header asks
// for it.
//
// Everything it reads of the table comes from the application (the room,
// table and seat records, the table header, the game-state words); the tick,
// the local time, the game icon and the upload come from IReplayRecorderEnv
// so tests drive them.
//
// Owner: the replay board; the image, the application, the environment and
// the game-state holder must outlive it. Thread: the UI thread.
// Hazards: a save reports whether the file is on disk; the caller announces
// a saved replay only then.

#include "game/scene/ReplayImage.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>

namespace client {
class CGameApp;
class CGameStateHolder;
} // namespace client

namespace engine {
class CEngineEntity;
}

namespace scene {

/// The FTP server that takes uploaded match replays.
inline constexpr char REPLAY_UPLOAD_SERVER[] = "replay.pldk.lan";
/// The engine image written as the replay folder's game icon.
inline constexpr char REPLAY_GAME_ICON_IMAGE[] = "GameIcon";

struct ReplayLocalTime {
    int year { 0 };
    int month { 0 };
    int day { 0 };
    int hour { 0 };
    int minute { 0 };
    int second { 0 };

    [[nodiscard]] int32_t Date() const { return year * 10000 + month * 100 + day; }
    [[nodiscard]] int32_t Time() const { return hour * 10000 + minute * 100 + second; }
};

/// What the recorder takes from outside the table.
class IReplayRecorderEnv {
public:
    virtual ~IReplayRecorderEnv() = default;
    [[nodiscard]] virtual uint32_t GetTickCount() const = 0;
    [[nodiscard]] virtual ReplayLocalTime GetLocalTime() const = 0;
    /// Writes the game icon image to `path`; false when it could not.
    virtual bool SaveGameIcon(const std::string& path) = 0;
    /// Starts the upload of a saved match replay; its result is not awaited.
    /// False when the job could not start.
    virtual bool StartUpload(const std::string& local_path, const std::string& remote_file) = 0;
};

/// The system's tick and local time, the icon from an engine (none: no icon)
/// and the upload through net::StartFtpUpload (anonymous, to the server's
/// top folder; "host" or "host:port").
class CReplaySystemEnv final : public IReplayRecorderEnv {
public:
    explicit CReplaySystemEnv(engine::CEngineEntity* engine = nullptr, std::string server = REPLAY_UPLOAD_SERVER)
        : m_engine(engine), m_server(std::move(server))
    {
    }
    [[nodiscard]] uint32_t GetTickCount() const override;
    [[nodiscard]] ReplayLocalTime GetLocalTime() const override;
    bool SaveGameIcon(const std::string& path) override;
    bool StartUpload(const std::string& local_path, const std::string& remote_file) override;

private:
    engine::CEngineEntity* m_engine;
    std::string m_server;
};

/// The outcome of SaveRecording.
struct ReplaySaveResult {
    std::string path;             ///< the replay's path, also when nothing was written
    bool written { false };       ///< the whole file is on disk
    bool upload_started { false };
};

class CReplayRecorder {
public:
    /// The image's variant decides the layouts: standard for ordinary rooms,
    /// match (with the upload) for match rooms. `state` gives the game-state
    /// words of the table record (zeros without one).
    CReplayRecorder(CReplayImage& image, client::CGameApp& app, IReplayRecorderEnv& env,
                    const client::CGameStateHolder* state = nullptr)
        : m_image(image), m_app(app), m_env(env), m_state(state)
    {
    }

    /// Begins a new recording (a running one is thrown away); the image length.
    size_t StartRecording();
    /// The table record and the player records (each seat, or each player of
    /// the match table header).
    void RecordTableInfo();
    /// One player record; the image length, 0 when nothing was added.
    size_t RecordPlayerInfo(int seat);
    /// One event record stamped with the time since the start; the image
    /// length, 0 when dropped (no recording running).
    size_t RecordEvent(uint32_t event_id, std::span<const uint8_t> data);
    /// Stores the snapshot record (replacing an earlier one).
    size_t RecordSnapshot(uint32_t event_id, std::span<const uint8_t> data);
    /// Ends the recording and, when `write`, stores the file; the image is
    /// emptied in every case. A match board uploads a written file when the
    /// table header's upload word is set.
    ReplaySaveResult SaveRecording(bool write);
    /// Makes the folders, rewrites "user.text", writes the icon file when it
    /// is missing, and gives the path of a replay saved now.
    std::string BuildReplayPath();
    [[nodiscard]] bool IsRecording() const { return m_recording; }

private:
    CReplayImage& m_image;
    client::CGameApp& m_app;
    IReplayRecorderEnv& m_env;
    const client::CGameStateHolder* m_state;
    uint32_t m_start_tick { 0 };
    bool m_recording { false };
};

} // namespace scene
