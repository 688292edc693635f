#pragma once
// CReplayPanel: the replay board. It holds one replay image and either
// records into it (through its CReplayRecorder) or plays it back (through
// its CReplayPlayback): a small movable panel with play, restart, step and
// open-file buttons, the "Rep_Rrogressbar" progress bar and the time text.
// Playback hands each recorded table event, at its recorded pace, to the
// scene's host, which dispatches it exactly as a message from the server.
//
// CReplayBoard (ordinary rooms, the standard file variant) and
// CReplayUploadBoard (match rooms, the match variant, uploading saved
// replays) are the two boards; they differ only in the image's variant.
// The scene base (client::CGameScene) makes one through NewReplayBoard and
// sets its depth and longest pause.
//
// Owner: the object module, like every registered object; the buttons, the
// bar and the caption are owned parts following the panel's canvas. The
// application, the host, the environment and the game-state holder outlive
// the panel. Thread: UI thread, inside the engine tick or under its lock.
// Hazards: a replay file is untrusted; a file the image refuses, or whose
// recording user sits on no chair, leaves the table and the application as
// they were and the board empty.

#include "client/CGameScene.h"
#include "engine/core/GuiObject.h"
#include "engine/core/ObjectLink.h"
#include "game/scene/ReplayChooser.h"
#include "game/scene/ReplayImage.h"
#include "game/scene/ReplayPlayback.h"
#include "game/scene/ReplayRecorder.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace client {
class CCardGameApp;
}

namespace engine {
class CCanvasObject;
class CGuiButton;
class CGuiProgressBar;
} // namespace engine

namespace scene {

/// The panel's own events (the buttons' clicks, the step wait, the captions).
inline constexpr uint32_t GAMEMSG_REPLAY_PLAY = 80000001;
inline constexpr uint32_t GAMEMSG_REPLAY_STEP = 80000002;
inline constexpr uint32_t GAMEMSG_REPLAY_RESTART = 80000003;
inline constexpr uint32_t GAMEMSG_REPLAY_PREV_STEP = 80000004;
inline constexpr uint32_t GAMEMSG_REPLAY_NEXT_STEP = 80000005;
inline constexpr uint32_t GAMEMSG_REPLAY_OPEN_FILE = 80000006;
inline constexpr uint32_t GAMEMSG_REPLAY_SHOW_CAPTION = 80000007; ///< param1: the button's id
inline constexpr uint32_t GAMEMSG_REPLAY_HIDE_CAPTION = 80000008;
inline constexpr uint32_t GAMEMSG_REPLAY_POLL_CHOICE = 80000009; ///< the open dialog's answer is looked for

/// What the board needs of the scene.
class IReplaySceneHost {
public:
    virtual ~IReplaySceneHost() = default;
    /// One played record, handed to the notification dispatcher as a
    /// message from the server; data is valid only during the call. False
    /// when the table refused it (it changed nothing and is skipped).
    virtual bool DispatchRecord(uint32_t event_id, std::span<const uint8_t> data) = 0;
    /// The recorded table was applied to the application: redraw the game.
    virtual void RefreshMainGame() = 0;
    /// A replay was loaded: its recording player's chair (the application's
    /// own chair now) is the own chair of the table from here on.
    virtual void SeatRecordingPlayer() = 0;
    /// The replay plays from its first record again (opened, stopped,
    /// stepped or sought back): its earlier lines leave the chat.
    virtual void ClearChat() = 0;
    /// The desktop's open dialog for a replay, starting in initial_folder and
    /// running beside the engine; null when the desktop offers none (the
    /// board then lists the folder's replays itself).
    virtual std::unique_ptr<IReplayFileChoice> ChooseReplayFile(const std::string& initial_folder) = 0;
};

class CReplayPanel : public engine::CGuiObject, public client::IReplayBoard, private IReplayFeed {
public:
    enum class Button { Play, Restart, Previous, Next, OpenFile };
    static constexpr int BUTTON_COUNT = 5;

    ~CReplayPanel() override;

    void OnCreate() override { Create(); }
    /// Builds the canvas, the buttons and the bar.
    virtual void Create();
    /// Activating the panel activates its parts; the buttons then show as
    /// the replay asks.
    void Activate() override;
    /// The panel's events; each answers 1.
    int OnEvent(const engine::EngineEvent& event) override;

    // --- Playback
    /// Plays or pauses; at the end it plays the replay again from its start.
    void TogglePlay();
    void OnPrevStep();
    void OnNextStep();
    /// Reads and loads the file, enters replay mode and plays its first
    /// record; false (nothing changed but the board emptied) when refused:
    /// the player is told why (another game's file, a damaged or an
    /// unreadable one) and the refusal is logged with its reason. A later
    /// record the table refuses is skipped; the first of an opened replay
    /// is told (a log line and the damaged-file board), the others not.
    bool OpenReplayFile(const std::string& path);
    /// Opens the open dialog (one at a time); its answer is polled from the
    /// engine's tick, and the chosen replay opened. A cancelled choice
    /// changes nothing.
    void ChooseFile();
    /// The engine's own list, while it is open.
    [[nodiscard]] CReplayFileList* GetFileList() const { return m_file_list; }
    void Restart();
    void PlayStep();
    void SetMaxGap(uint32_t milliseconds) override { m_playback.SetMaxGap(milliseconds); }
    /// Loads a whole file into the image and applies its table; the reason
    /// when refused (the board's image may then be left half-replaced: the
    /// caller empties it).
    ReplayRefusal LoadRecording(std::span<const uint8_t> file);
    void ApplyRecordedTable();
    void SeekToStep(int step) { m_playback.SeekToStep(step); }
    void SeekToTime(uint32_t milliseconds) { m_playback.SeekToTime(milliseconds); }
    void StepBack() { m_playback.StepBack(); }
    [[nodiscard]] uint32_t GetPlayedTime() const { return m_playback.GetPlayedTime(); }
    [[nodiscard]] int GetStepIndex() const { return m_playback.GetStepIndex(); }
    void UpdateButtons();
    void DrawProgress();
    void DrawCaptions(uint32_t button_id);
    /// 0 hides the previous-step button (the standard board only).
    void AllowStepBack(bool allowed);
    /// Playing stops by itself once the last record has played (play then
    /// plays from the start again).
    [[nodiscard]] bool IsPlaying() const { return m_playing; }
    /// Whether the replay's time goes on: playing, with records left to play.
    [[nodiscard]] bool IsAdvancing() const { return m_playing && !m_playback.IsAtEnd(); }
    /// The engine's sound flag stays callable beside the playback's.
    using engine::CGuiObject::SetSoundFlag;

    // --- Recording (see CReplayRecorder)
    size_t StartRecording() { return m_recorder.StartRecording(); }
    void RecordTableInfo() { m_recorder.RecordTableInfo(); }
    size_t RecordPlayerInfo(int seat) { return m_recorder.RecordPlayerInfo(seat); }
    size_t RecordEvent(uint32_t event_id, std::span<const uint8_t> data)
    {
        return m_recorder.RecordEvent(event_id, data);
    }
    size_t RecordSnapshot(uint32_t event_id, std::span<const uint8_t> data)
    {
        return m_recorder.RecordSnapshot(event_id, data);
    }
    ReplaySaveResult SaveRecording(bool write);
    std::string BuildReplayPath() { return m_recorder.BuildReplayPath(); }
    [[nodiscard]] bool IsRecording() const { return m_recorder.IsRecording(); }

    [[nodiscard]] const CReplayImage& GetReplayImage() const { return m_image; }
    [[nodiscard]] engine::CGuiButton* GetButton(Button button) const;
    [[nodiscard]] engine::CGuiProgressBar* GetProgressBar() const;
    [[nodiscard]] engine::CCanvasObject* GetCaption() const;
    /// The time text drawn last (empty while the board is empty).
    [[nodiscard]] const std::string& GetTimeText() const { return m_time_text; }

protected:
    CReplayPanel(client::CGameApp& app, ReplayVariant variant, IReplaySceneHost& host, IReplayRecorderEnv& env,
                 const client::CGameStateHolder* state);

private:
    void FeedEvent(uint32_t event_id, std::span<const uint8_t> data) override;
    void SetProgress(double position) override;
    void SetSoundFlag(bool on) override;
    /// The chat's lines and the score history's round of what played before go.
    void BeginFromStart() override;
    void CancelStep();
    /// Stops the step timer and shows the play button's play picture.
    void Pause();
    /// The step timer raises the next step after `wait` milliseconds.
    void ScheduleStep(uint32_t wait);
    /// The bar was put at `position` (0..1) of the replay's time.
    void SeekByBar(double position);
    void PollChoice();
    void ShowPlaying(bool playing);
    /// Stops and empties the board.
    void Clear();

    client::CGameApp& m_app;
    IReplaySceneHost& m_host;
    CReplayImage m_image;
    CReplayRecorder m_recorder;
    CReplayPlayback m_playback;
    uint32_t m_button_ids[BUTTON_COUNT] {};
    uint32_t m_bar_id { 0 };
    uint32_t m_caption_id { 0 };
    /// The button whose caption shows; 0 when none does.
    uint32_t m_caption_button { 0 };
    uint64_t m_step_action { 0 };
    std::unique_ptr<IReplayFileChoice> m_choice;
    uint64_t m_choice_action { 0 };
    engine::ObjectLink<CReplayFileList> m_file_list;
    bool m_playing { false };
    bool m_back_step_locked { false };
    std::string m_time_text;
    /// The replay opened last, and what its records did on the table: the
    /// records refused so far; whether a refused one was told.
    std::string m_path;
    uint64_t m_refused_records { 0 };
    bool m_opening { false };
    bool m_damage_told { false };
};

/// The board of ordinary rooms (the standard variant).
class CReplayBoard final : public CReplayPanel {
public:
    CReplayBoard(client::CGameApp& app, IReplaySceneHost& host, IReplayRecorderEnv& env,
                 const client::CGameStateHolder* state = nullptr)
        : CReplayPanel(app, ReplayVariant::Standard, host, env, state)
    {
    }
};

/// The board of match rooms (the match variant; saved replays are uploaded).
class CReplayUploadBoard final : public CReplayPanel {
public:
    CReplayUploadBoard(client::CGameApp& app, IReplaySceneHost& host, IReplayRecorderEnv& env,
                       const client::CGameStateHolder* state = nullptr)
        : CReplayPanel(app, ReplayVariant::Match, host, env, state)
    {
    }
};

/// The scene's start in replay mode: back-stepping locked, the replay named
/// on the command line opened. False when the application is not in replay
/// mode or the file was refused.
bool StartCommandLineReplay(client::CCardGameApp& app, CReplayPanel& board);

} // namespace scene
