// The replay board: a round recorded from the application, saved, opened
// again and played back to the same records at their pace; stepping,
// stepping back and seeking by the bar; the buttons and the time text;
// refused files that leave the table as it was, are told as another game's,
// damaged or unreadable, and are logged; the command-line start.
#include "game/scene/ReplayPanel.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/EnginePath.h"
#include "engine/media/ResourceCategory.h"
#include "engine/media/ResourceModule.h"
#include "engine/media/TextTag.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiProgressBar.h"
#include "client/CPlDkNotifyHandler.h"
#include "client/GameNotifyHandler.h"
#include "client/panel/CGameFrameUI.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkResultBox.h"
#include "game/scene/QrCodePanel.h"
#include "game/scene/ReplaySceneHost.h"
#include "game/scene/SceneRecorders.h"
#include "game/scene/SkinImages.h"

#include "client/AppFakes.h"
#include "client/RoundRecordBytes.h"
#include "platform/DailyLog.h"
#include "platform/Path.h"
#include "platform/Process.h"

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace scene::test {
namespace {

using Button = CReplayPanel::Button;

// An open dialog that answers after `waits` polls.
class CScriptedChoice final : public IReplayFileChoice {
public:
    CScriptedChoice(std::string answer, int waits) : m_answer(std::move(answer)), m_waits(waits) { }
    std::optional<ReplayChoice> Poll() override
    {
        if (m_waits-- > 0)
            return std::nullopt;
        return ReplayChoice { m_answer, false };
    }

private:
    std::string m_answer;
    int m_waits;
};

class CRecordingHost final : public IReplaySceneHost {
public:
    bool DispatchRecord(uint32_t event_id, std::span<const uint8_t> data) override
    {
        ids.push_back(event_id);
        (void)data;
        return true;
    }
    void RefreshMainGame() override { ++refreshes; }
    void SeatRecordingPlayer() override { ++seatings; }
    void ClearChat() override { ++clears; }
    std::unique_ptr<IReplayFileChoice> ChooseReplayFile(const std::string& folder) override
    {
        dialog_folder = folder;
        if (!program.empty())
            return std::make_unique<CProgramReplayChoice>(platform::CProcessOutput::Start("sh", { "-c", program }));
        if (!chosen)
            return nullptr;
        return std::make_unique<CScriptedChoice>(*chosen, 3);
    }

    std::vector<uint32_t> ids;
    int refreshes { 0 };
    int seatings { 0 };
    int clears { 0 };
    std::optional<std::string> chosen; ///< the desktop dialog's answer; none: no dialog
    std::string program;               ///< a shell script run as the chooser program, when set
    std::string dialog_folder;
};

// Sets a file's modification time (seconds since the epoch); paths are the
// program's (GBK, either separator).
void SetModified(const std::string& path, time_t when)
{
    const timeval times[2] = { { when, 0 }, { when, 0 } };
    EXPECT_EQ(::utimes(platform::ToOsPath(path).value_or("").c_str(), times), 0) << path;
}

time_t Modified(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(platform::ToOsPath(path).value_or("").c_str(), &st), 0) << path;
    return st.st_mtime;
}

constexpr uint32_t EVENT_A = 211050;
constexpr uint32_t EVENT_B = 211060;
constexpr uint32_t EVENT_RESULT = 211080;

class ReplayPanelTest : public BoardTest {
protected:
    ReplayPanelTest()
    {
        AddImage("Rep_bitBoard", 500, 40);
        for (const char* name :
             { "Rep_btnPlay", "Rep_btnReset", "Rep_btnPreStep", "Rep_btnNextStep", "Rep_btnOpenFile" })
            AddImage(name, 20, 20, 4);
        AddImage("Rep_btnStop", 24, 20, 4);
        AddImage("Rep_Rrogressbar", 200, 8, 3);
        m_app.Records().Launch().game_name = "pldk";
        for (int chair = 0; chair < 4; ++chair)
            m_app.Records().Seat(chair)->user_id = 100 + chair;
        m_app.Records().Launch().user_id = 102;
        m_app.Records().Launch().chair_no = 2;
    }
    void LinkFrame(client_test::CFakeFrameUI& frame_ui)
    {
        client::AppLinks links = m_app.Links();
        links.frame_ui = &frame_ui;
        m_app.SetLinks(links);
    }
    // The daily log goes to the test's folder until StopLog, which gives
    // back every line written.
    void StartLog()
    {
        ASSERT_TRUE(platform::MakeDirectoryTree(LogFolder()));
        platform::CDailyLog::Instance().SetFolder(LogFolder());
    }
    std::string StopLog()
    {
        platform::CDailyLog& log = platform::CDailyLog::Instance();
        log.Close();
        log.SetFolder("");
        std::string lines;
        for (const auto& entry : std::filesystem::directory_iterator(LogFolder())) {
            std::ifstream in(entry.path(), std::ios::binary);
            lines.append(std::istreambuf_iterator<char>(in), {});
        }
        return lines;
    }
    std::string LogFolder() const { return m_folders.Path() + "logs/"; }
    // A board whose records go to this game's notification handler, as the
    // program's own do.
    CReplayBoard* MakeDispatchingBoard(CReplayDispatchHost& host)
    {
        std::unique_ptr<CEngineObject> made = MakeReplayBoard(client::ReplayBoardKind::Standard, m_app, host, m_env);
        auto* board = dynamic_cast<CReplayBoard*>(made.get());
        if (board != nullptr)
            m_engine.m_objects->AddObject(std::move(made), nullptr);
        return board;
    }
    CReplayBoard* MakeBoard()
    {
        auto owned = std::make_unique<CReplayBoard>(m_app, m_host, m_env);
        CReplayBoard* board = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        board->MoveTo(400, 500);
        board->Show(true);
        board->Activate();
        board->SetMaxGap(client::REPLAY_MAX_GAP_MS);
        Run();
        return board;
    }
    // Records a round: game start and A at once, B 300 ms later, the
    // result after a pause of 9 s; saved, and the seats cleared.
    std::string RecordRound(CReplayPanel& board)
    {
        board.StartRecording();
        board.RecordTableInfo();
        board.RecordEvent(GR_GAME_START, {});
        board.RecordEvent(EVENT_A, {});
        m_env.tick += 300;
        board.RecordEvent(EVENT_B, {});
        m_env.tick += 9000;
        board.RecordEvent(EVENT_RESULT, {});
        const ReplaySaveResult saved = board.SaveRecording(true);
        EXPECT_TRUE(saved.written);
        m_app.Records().ClearSeats();
        m_app.Records().Launch().user_id = 0;
        return saved.path;
    }
    // Replay names that are no plain file: a folder, a pipe and a link to
    // an endless device (made once).
    std::vector<std::string> NoPlainFiles()
    {
        const std::string folder = m_folders.Path() + "folder.qvrep";
        const std::string pipe = m_folders.Path() + "pipe.qvrep";
        const std::string zero = m_folders.Path() + "zero.qvrep";
        if (!platform::PathExists(folder)) {
            EXPECT_TRUE(platform::MakeDirectoryTree(folder));
            EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
            EXPECT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
        }
        return { folder, pipe, zero };
    }
    [[nodiscard]] std::vector<bool> Shown(const CReplayPanel& board) const
    {
        std::vector<bool> shown;
        for (Button b : { Button::Play, Button::Restart, Button::Previous, Button::Next })
            shown.push_back(board.GetButton(b)->IsActive());
        return shown;
    }

    CRecordingHost m_host;
    CFixedReplayEnv m_env;
};

TEST_F(ReplayPanelTest, RecordedRoundPlaysBackAtItsPace)
{
    CReplayBoard* board = MakeBoard();
    EXPECT_EQ(Shown(*board), std::vector<bool>({ false, false, false, false })) << "empty board";
    const std::string path = RecordRound(*board);

    ASSERT_TRUE(board->OpenReplayFile(path));
    EXPECT_TRUE(m_app.IsReplayMode());
    EXPECT_EQ(m_app.Records().GetUserID(), 102) << "the watcher becomes the recording user";
    EXPECT_EQ(m_app.Records().Seat(3)->user_id, 103);
    EXPECT_GE(m_host.refreshes, 1);
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ GR_GAME_START })) << "the first record plays at once";
    EXPECT_EQ(Shown(*board), std::vector<bool>({ true, true, true, true }));
    EXPECT_EQ(board->GetTimeText(), "00:00/00:09");

    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PLAY, 0, 0 });
    EXPECT_EQ(board->GetButton(Button::Play)->GetImageChild()->GetWidth(), 24) << "shows stop";
    EXPECT_EQ(m_host.ids.size(), 2u) << "A of the same moment follows at once";
    Run(250);
    EXPECT_EQ(m_host.ids.size(), 2u);
    Run(100);
    EXPECT_EQ(m_host.ids.size(), 3u) << "B after 300 ms";
    Run(4800);
    EXPECT_EQ(m_host.ids.size(), 3u);
    Run(300);
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ GR_GAME_START, EVENT_A, EVENT_B, EVENT_RESULT }))
        << "the 9 s pause is cut to 5 s";
    EXPECT_FALSE(board->IsPlaying()) << "the end pauses";
    EXPECT_EQ(Shown(*board), std::vector<bool>({ true, true, true, false }));
    EXPECT_EQ(board->GetTimeText(), "00:09/00:09");
}

TEST_F(ReplayPanelTest, WithTheDefaultSkinTheTimeTextLeavesTheOpenButtonClear)
{
    // The board centred on the table of the client's default size (810 x 600).
    LoadSkinImages(m_paint->images, "replay.kor",
                   { "Rep_bitBoard", "Rep_Rrogressbar", "Rep_btnPlay", "Rep_btnStop", "Rep_btnReset",
                     "Rep_btnPreStep", "Rep_btnNextStep", "Rep_btnOpenFile" });
    CReplayBoard* board = MakeBoard();
    board->MoveTo(405, 300);
    ASSERT_TRUE(board->OpenReplayFile(RecordRound(*board)));
    board->SeekToTime(9000);  // the longest time text, at the bar's end
    Run();
    m_text->drawn.clear();
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PLAY, 0, 0 });
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PLAY, 0, 0 });
    const auto drawn = std::find_if(m_text->drawn.begin(), m_text->drawn.end(),
                                    [&](const auto& d) { return d.text == board->GetTimeText(); });
    ASSERT_NE(drawn, m_text->drawn.end()) << board->GetTimeText();
    // The text's cells are half its height wide.
    const double left = board->GetVisual()->GetLeft() + drawn->x;
    const double right = left + drawn->font_height * static_cast<double>(drawn->text.size()) / 2;
    const double top = board->GetVisual()->GetTop() + drawn->y;
    const double bottom = top + drawn->font_height;
    const engine::CEngineObject* open = board->GetButton(Button::OpenFile)->GetVisual();
    EXPECT_TRUE(right <= open->GetLeft() || left >= open->GetRight() || bottom <= open->GetTop() ||
                top >= open->GetBottom())
        << left << "-" << right << " x " << top << "-" << bottom << " meets the open button " << open->GetLeft()
        << "-" << open->GetRight() << " x " << open->GetTop() << "-" << open->GetBottom();
}

TEST_F(ReplayPanelTest, TheHoverCaptionShowsWholeOverTheBoard)
{
    // The scene raises the board to the top layer; the caption names the
    // hovered button in its own size (twelve-pixel text, 3 pixels around).
    CReplayBoard* board = MakeBoard();
    board->RaiseToTopLayer();
    for (const auto& [button, text] : { std::pair { Button::OpenFile, "选择录像" }, { Button::Play, "播放" } }) {
        board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_SHOW_CAPTION,
                           static_cast<uintptr_t>(board->GetButton(button)->GetId()), 0 });
        const engine::CCanvasObject* caption = board->GetCaption();
        ASSERT_NE(caption, nullptr) << text;
        EXPECT_TRUE(caption->IsActive()) << text;
        EXPECT_EQ(caption->GetWidth(), 6 * std::string(text).size() + 6) << text;
        EXPECT_EQ(caption->GetHeight(), 18) << text;
        EXPECT_EQ(caption->GetState().layer, engine::VELOTRIX_LAYER_TOP) << text;
    }
}

TEST_F(ReplayPanelTest, TheCaptionGoesWithThePointerAndNamesWhatThePlayButtonDoesNow)
{
    CReplayBoard* board = MakeBoard();
    board->RaiseToTopLayer();
    ASSERT_TRUE(board->OpenReplayFile(RecordRound(*board)));
    const CEngineObject* play = board->GetButton(Button::Play)->GetVisual();
    const auto x = static_cast<int32_t>((play->GetLeft() + play->GetRight()) / 2);
    const auto y = static_cast<int32_t>((play->GetTop() + play->GetBottom()) / 2);
    MoveTo(x, y);
    Run(600);
    ASSERT_NE(board->GetCaption(), nullptr);
    EXPECT_TRUE(board->GetCaption()->IsActive());
    EXPECT_EQ(DrawnTexts().back(), "播放");
    m_text->drawn.clear();
    ClickAt(x, y);
    EXPECT_TRUE(board->IsPlaying());
    EXPECT_TRUE(board->GetCaption()->IsActive());
    const std::vector<std::string> texts = DrawnTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "暂停"), texts.end()) << "the button now pauses";
    MoveTo(x, y - 200);
    EXPECT_FALSE(board->GetCaption()->IsActive()) << "the pointer left the button";
}

TEST_F(ReplayPanelTest, StepsStepsBackAndSeeksByTheBar)
{
    CReplayBoard* board = MakeBoard();
    ASSERT_TRUE(board->OpenReplayFile(RecordRound(*board)));
    m_host.ids.clear();

    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ EVENT_A, EVENT_B }));
    EXPECT_EQ(board->GetStepIndex(), 3);

    m_host.ids.clear();
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PREV_STEP, 0, 0 });
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ GR_GAME_START, EVENT_A })) << "replayed from the first record";
    EXPECT_EQ(m_host.clears, 2) << "opened, then stepped back: the chat starts again each time";
    std::vector<std::string> flags;
    for (const std::string& call : m_music->calls)
        if (call.rfind("flag", 0) == 0)
            flags.push_back(call);
    EXPECT_EQ(flags, std::vector<std::string>({ "flag 1", "flag 0" })) << "stepping back runs with the flag set";

    m_host.ids.clear();
    const double position = 0.5; // 4.65 s: before the result
    board->SendEvent({ board->GetId(), VELOTRIX_EVENT_POSITION_SET, reinterpret_cast<uintptr_t>(&position), 0 });
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ EVENT_B }));
    board->SendEvent({ board->GetId(), VELOTRIX_EVENT_POSITION_SET, reinterpret_cast<uintptr_t>(&position), 0 });
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ EVENT_B, GR_GAME_START, EVENT_A, EVENT_B }))
        << "a point before the cursor replays from the first record";

    board->AllowStepBack(false);
    EXPECT_FALSE(board->GetButton(Button::Previous)->IsActive());
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
    EXPECT_EQ(m_host.ids.back(), EVENT_RESULT) << "nothing after the last record";
    EXPECT_FALSE(board->GetButton(Button::Next)->IsActive());
}

TEST_F(ReplayPanelTest, ASeekWhilePlayingGoesOnFromThePlaceSoughtAtItsPace)
{
    CReplayBoard* board = MakeBoard();
    ASSERT_TRUE(board->OpenReplayFile(RecordRound(*board)));
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PLAY, 0, 0 });
    // Half way (4.65 s): B lies before, the result 4.65 s after.
    const double half = 0.5;
    const auto seek_half = [&] {
        board->SendEvent({ board->GetId(), VELOTRIX_EVENT_POSITION_SET, reinterpret_cast<uintptr_t>(&half), 0 });
        EXPECT_EQ(board->GetTimeText(), "00:04/00:09");
        EXPECT_EQ(m_host.ids.back(), EVENT_B);
    };
    seek_half();
    Run(4500);
    EXPECT_EQ(m_host.ids.back(), EVENT_B) << "nothing before its time";
    Run(300);
    EXPECT_EQ(m_host.ids.back(), EVENT_RESULT);
    EXPECT_EQ(board->GetTimeText(), "00:09/00:09");
    seek_half();
    Run(5000);
    EXPECT_EQ(m_host.ids.back(), EVENT_B) << "the ended replay paused: it stays where it was put";
}

TEST_F(ReplayPanelTest, AtTheEndThePlayButtonOffersPlayAgain)
{
    CReplayBoard* board = MakeBoard();
    ASSERT_TRUE(board->OpenReplayFile(RecordRound(*board)));
    const engine::CGuiButton* play = board->GetButton(Button::Play);
    // The caption drawn last (the time text is drawn after it).
    const auto caption = [&] {
        const std::vector<std::string> texts = DrawnTexts();
        const auto last = std::find_if(texts.rbegin(), texts.rend(),
                                       [](const std::string& text) { return text == "播放" || text == "暂停"; });
        return last != texts.rend() ? *last : std::string();
    };
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_SHOW_CAPTION, static_cast<uintptr_t>(play->GetId()), 0 });
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PLAY, 0, 0 });
    EXPECT_EQ(caption(), "暂停");
    Run(6000);
    ASSERT_EQ(m_host.ids.back(), EVENT_RESULT);
    EXPECT_FALSE(board->IsPlaying());
    EXPECT_EQ(play->GetImageChild()->GetWidth(), 20) << "the play picture, not stop's";
    EXPECT_EQ(caption(), "播放");
    // Pressed at the end, play plays the replay again from its first record
    // at its pace, as after the restart button.
    const int refreshes = m_host.refreshes;
    m_host.ids.clear();
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PLAY, 0, 0 });
    EXPECT_TRUE(board->IsPlaying());
    EXPECT_EQ(caption(), "暂停");
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ GR_GAME_START, EVENT_A }));
    EXPECT_GT(m_host.refreshes, refreshes) << "the recorded table applied again";
    Run(6000);
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ GR_GAME_START, EVENT_A, EVENT_B, EVENT_RESULT }));
    EXPECT_FALSE(board->IsPlaying());
}

TEST_F(ReplayPanelTest, InAReplayTheQrPanelShowsTheMobileSitesCode)
{
    // No server sends a replay the code a live table is sent.
    ASSERT_EQ(m_engine.m_core.LoadModule(std::make_unique<engine::ResourceModule>(), true, true),
              engine::VELOTRIX_RETURN_OK);
    auto* resources =
        dynamic_cast<engine::ResourceModule*>(m_engine.m_core.GetModule(engine::VELOTRIX_MODULE_RESOURCE));
    m_app.SetReplayMode(1);
    auto* scene = AddScene<CPlDkGameScene>({ 0, 0, 810, 600 });
    scene->SendEvent({ scene->GetId(), GAMEMSG_BTN_QR_CODE, 0, 0 });
    const auto code = resources->Find(engine::MakeNameKey(engine::ResourceNameOf(QR_IMAGE_RESOURCE)));
    EXPECT_EQ(std::vector<uint8_t>(code.begin(), code.end()), MakeQrBitmap(QR_MOBILE_SITE_URL));
    m_engine.m_objects->DestroyObject(scene->GetId());
}

TEST_F(ReplayPanelTest, AReplaysResultBoxClosedBringsNoStartButton)
{
    m_app.SetReplayMode(1);
    auto* scene = AddScene<CPlDkGameScene>({ 0, 0, 810, 600 });
    // The result box closed, and the frame's refresh of the seats after a
    // round.
    scene->OnResultClose();
    scene->SendEvent({ scene->GetId(), panel::GAMEMSG_REFRESH_SEAT_BOARDS, 0, 0 });
    EXPECT_FALSE(scene->GetButton(CCardGameScene::Button::Start)->IsActive());
    EXPECT_FALSE(scene->GetSlogan()->IsActive());
    m_engine.m_objects->DestroyObject(scene->GetId());
}

TEST_F(ReplayPanelTest, FromItsFirstRecordAReplayShowsNoResultBoxOrRoundOfWhatPlayedBefore)
{
    AddCardImages(50, 68);
    AddImage(RESULT_BOX_IMAGE, 500, 320);
    CChatSink chat;
    CRecordingConnection connection { m_app };
    auto* scene = AddScene<CPlDkGameScene>({ 0, 0, 810, 600 });
    LinkTable(m_app, chat, connection, 100, scene);
    client::CPlDkNotifyHandler handler(m_app);
    CReplayDispatchHost host(handler);
    CReplayBoard* board = MakeDispatchingBoard(host);
    ASSERT_NE(board, nullptr);
    // Two replays of a round each, from its deal to its result.
    const auto record = [&](const std::string& name, int32_t round) {
        board->StartRecording();
        board->RecordTableInfo();
        board->RecordEvent(GR_GAME_START, client_test::TableBlockBytes(round, 0));
        m_env.tick += 2000;
        board->RecordEvent(client::GR_GAME_RESULT, client_test::ResultBytes(round));
        const ReplaySaveResult saved = board->SaveRecording(true);
        EXPECT_TRUE(saved.written);
        const std::string path = m_folders.Path() + name;
        EXPECT_EQ(engine::WriteWholeFile(path, *engine::ReadWholeFile(saved.path)), 1);
        return path;
    };
    const std::string first = record("first.qvrep", 1);
    const std::string second = record("second.qvrep", 2);
    const double start = 0.0;
    const struct {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        { "restarted", [&] { board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_RESTART, 0, 0 }); } },
        { "stepped back", [&] { board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_PREV_STEP, 0, 0 }); } },
        { "sought to its start",
          [&] {
              board->SendEvent({ board->GetId(), VELOTRIX_EVENT_POSITION_SET, reinterpret_cast<uintptr_t>(&start), 0 });
          } },
        { "another opened", [&] { EXPECT_TRUE(board->OpenReplayFile(second)); } },
    };
    ASSERT_TRUE(board->OpenReplayFile(first));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Played to its end: its result box and its round in the score history.
        board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
        ASSERT_NE(scene->GetResultBoxParts(), nullptr);
        const CEngineObject* box = scene->GetResultBoxParts()->GetBox();
        EXPECT_TRUE(box->IsActive());
        EXPECT_EQ(m_app.Records().History().round_count, 1);
        c.act();
        EXPECT_EQ(board->GetStepIndex(), 1) << "the deal";
        EXPECT_FALSE(box->IsActive());
        EXPECT_EQ(m_app.Records().History().round_count, 0);
    }
    m_engine.m_objects->DestroyObject(scene->GetId());
}

TEST_F(ReplayPanelTest, RefusedFilesLeaveTheTableAndEmptyTheBoardAndAreToldAndLogged)
{
    client_test::CFakeFrameUI frame_ui;
    LinkFrame(frame_ui);
    StartLog();

    CReplayBoard* board = MakeBoard();
    const std::string good = m_folders.Path() + "good.qvrep";
    const std::vector<uint8_t> good_bytes = *engine::ReadWholeFile(RecordRound(*board));
    ASSERT_EQ(engine::WriteWholeFile(good, good_bytes), 1);
    // The recording user on chair 9: no seat to watch from.
    m_app.Records().Launch().chair_no = 9;
    const std::string bad_chair = RecordRound(*board);
    auto write = [&](const std::string& name, std::vector<uint8_t> bytes) {
        const std::string path = m_folders.Path() + name;
        EXPECT_EQ(engine::WriteWholeFile(path, bytes), 1);
        return path;
    };
    std::vector<uint8_t> other_game = good_bytes;
    other_game[6] = 'x';
    std::vector<uint8_t> trailing = good_bytes;
    trailing.push_back(0);
    std::vector<uint8_t> no_magic = good_bytes;
    no_magic[0] = 'q';
    // Past the reading cap: a sparse file, never read.
    const std::string huge = m_folders.Path() + "huge.qvrep";
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, engine::WHOLE_FILE_CAP + 1);

    ASSERT_TRUE(board->OpenReplayFile(good));
    EXPECT_EQ(m_host.seatings, 1) << "the recording player is seated";
    m_app.SetReplayMode(0);
    m_app.Records().Seat(0)->user_id = 55;
    const struct {
        std::string path;
        const char* message;
        const char* reason;
    } cases[] = {
        { bad_chair, REPLAY_DAMAGED_TEXT, ReplayRefusalReason(ReplayRefusal::RecorderChair) },
        { m_folders.Path() + "missing.qvrep", REPLAY_UNREADABLE_TEXT, ReplayRefusalReason(ReplayRefusal::Unreadable) },
        { write("other.qvrep", other_game), REPLAY_WRONG_GAME_TEXT, ReplayRefusalReason(ReplayRefusal::OtherGame) },
        { write("tail.qvrep", trailing), REPLAY_DAMAGED_TEXT, ReplayRefusalReason(ReplayRefusal::BodyStream) },
        { write("magic.qvrep", no_magic), REPLAY_DAMAGED_TEXT, ReplayRefusalReason(ReplayRefusal::NoMagic) },
        { huge, REPLAY_UNREADABLE_TEXT, ReplayRefusalReason(ReplayRefusal::Unreadable) },
        { NoPlainFiles()[1], REPLAY_UNREADABLE_TEXT, ReplayRefusalReason(ReplayRefusal::Unreadable) },
        { NoPlainFiles()[2], REPLAY_UNREADABLE_TEXT, ReplayRefusalReason(ReplayRefusal::Unreadable) },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(board->OpenReplayFile(good)) << "a replay is on the board before each refusal";
        m_app.SetReplayMode(0);
        m_app.Records().Seat(0)->user_id = 55;
        frame_ui.boards.clear();
        EXPECT_FALSE(board->OpenReplayFile(c.path)) << c.path;
        EXPECT_FALSE(m_app.IsReplayMode());
        EXPECT_EQ(m_app.Records().Seat(0)->user_id, 55) << "the table as it was";
        EXPECT_TRUE(board->GetReplayImage().IsEmpty()) << "the replay loaded before is dropped";
        EXPECT_EQ(Shown(*board), std::vector<bool>({ false, false, false, false }));
        ASSERT_EQ(frame_ui.boards.size(), 1u) << c.path;
        EXPECT_EQ(frame_ui.boards[0].text, c.message) << c.path;
    }
    EXPECT_EQ(m_host.seatings, 1 + static_cast<int>(std::size(cases))) << "a refused file seats no one";

    // One line per refusal, naming the file and the reason.
    const std::string lines = StopLog();
    for (const auto& c : cases) {
        const std::string line = "录像" + c.path + " 被拒绝: " + c.reason + "\r\n";
        size_t count = 0;
        for (size_t at = lines.find(line); at != std::string::npos; at = lines.find(line, at + 1))
            ++count;
        EXPECT_EQ(count, 1u) << line;
    }
    EXPECT_EQ(lines.find("打开失败"), std::string::npos) << "no second line from the file reader";
}

TEST_F(ReplayPanelTest, ACommandLineReplayThatIsNoPlainFileIsToldItCannotBeRead)
{
    client_test::CFakeFrameUI frame_ui;
    LinkFrame(frame_ui);
    CReplayBoard* board = MakeBoard();
    for (const std::string& path : NoPlainFiles()) {
        m_app.SetReplayMode(0);
        frame_ui.boards.clear();
        m_app.SetCommandLine("\"" + path + "\"");
        m_app.OpenReplayFromCommandLine();
        EXPECT_TRUE(m_app.IsReplayMode()) << path << ": not the hall's start";
        EXPECT_FALSE(StartCommandLineReplay(m_app, *board)) << path;
        ASSERT_EQ(frame_ui.boards.size(), 1u) << path;
        EXPECT_EQ(frame_ui.boards[0].text, REPLAY_UNREADABLE_TEXT) << path;
    }
}

TEST_F(ReplayPanelTest, CaptionsAndTheCommandLineStart)
{
    CReplayBoard* board = MakeBoard();
    const std::string path = RecordRound(*board);
    const uint32_t open_id = board->GetButton(Button::OpenFile)->GetId();
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_SHOW_CAPTION, open_id, 0 });
    ASSERT_NE(board->GetCaption(), nullptr);
    EXPECT_TRUE(board->GetCaption()->IsActive());
    EXPECT_EQ(DrawnTexts().back(), "选择录像");
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_HIDE_CAPTION, 0, 0 });
    EXPECT_FALSE(board->GetCaption()->IsActive());

    m_host.chosen = path; // the open dialog's answer
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_OPEN_FILE, 0, 0 });
    Run(500);
    EXPECT_TRUE(m_app.IsReplayMode());
    m_app.SetReplayMode(0);
    m_host.ids.clear();

    // A file copied from another system under a GBK name: the command line
    // carries its bytes as they are, and it opens.
    const std::string gbk_name = m_folders.Path() + "\xC2\xBC\xCF\xF1.qvrep";
    const std::vector<uint8_t> bytes = *engine::ReadWholeFile(path);
    std::ofstream(gbk_name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
    m_app.SetCommandLine("\"" + gbk_name + "\"");
    m_app.OpenReplayFromCommandLine();
    ASSERT_TRUE(StartCommandLineReplay(m_app, *board));
    EXPECT_EQ(m_host.ids, std::vector<uint32_t>({ GR_GAME_START }));
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
    EXPECT_FALSE(board->GetButton(Button::Previous)->IsActive()) << "stepping back is locked in replay mode";
}

TEST_F(ReplayPanelTest, TheOpenDialogRunsBesideTheEngineAndACancelledChoiceChangesNothing)
{
    CReplayBoard* board = MakeBoard();
    board->MoveTo(400, 300);
    const std::string path = RecordRound(*board);
    ASSERT_TRUE(board->OpenReplayFile(path));
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
    const auto open_dialog = [&] { board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_OPEN_FILE, 0, 0 }); };

    // The desktop's dialog, cancelled: the replay stays where it was.
    m_host.chosen = "";
    open_dialog();
    EXPECT_EQ(m_host.dialog_folder, platform::GetUserDataFolder() + "replays\\");
    Run(500);
    EXPECT_EQ(board->GetStepIndex(), 2);
    EXPECT_FALSE(board->GetReplayImage().IsEmpty());

    // No desktop dialog: the board lists the replays folder's files, by
    // their names as they are.
    m_host.chosen.reset();
    const std::string folder = platform::GetUserDataFolder() + "replays\\";
    const std::string odd = folder + "<c=255>odd.qvrep";
    ASSERT_EQ(engine::WriteWholeFile(odd, *engine::ReadWholeFile(path)), 1);
    ASSERT_EQ(engine::WriteWholeFile(folder + "notes.txt", std::vector<uint8_t>(3)), 1);
    // The odd one a minute older than the recorded one: listed after it.
    SetModified(odd, Modified(path) - 60);
    open_dialog();
    CReplayFileList* list = board->GetFileList();
    ASSERT_NE(list, nullptr);
    std::vector<std::string> names;
    for (const ReplayFileEntry& file : list->GetFiles())
        names.push_back(file.name);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind("102/pldk/pldk_", 0), 0u) << names[0];
    EXPECT_EQ(names[1], "<c=255>odd.qvrep");
    const std::vector<std::string> texts = DrawnTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), engine::EscapeCanvasText("<c=255>odd.qvrep")), texts.end())
        << "no colour tag";
    const CEngineObject* cancel = list->GetCancelButton();
    ClickAt(static_cast<int32_t>(cancel->GetX()), static_cast<int32_t>(cancel->GetY()));
    Run(500);
    EXPECT_EQ(board->GetFileList(), nullptr);
    EXPECT_EQ(board->GetStepIndex(), 2) << "cancelled: nothing changed";

    // Chosen in the list: that replay opens from its first record.
    open_dialog();
    list = board->GetFileList();
    ASSERT_NE(list, nullptr);
    const auto odd_at = std::find_if(list->GetFiles().begin(), list->GetFiles().end(),
                                     [](const ReplayFileEntry& f) { return f.name == "<c=255>odd.qvrep"; });
    list->Select(static_cast<int>(odd_at - list->GetFiles().begin()));
    const CEngineObject* open = list->GetOpenButton();
    ClickAt(static_cast<int32_t>(open->GetX()), static_cast<int32_t>(open->GetY()));
    Run(500);
    EXPECT_EQ(board->GetFileList(), nullptr);
    EXPECT_EQ(board->GetStepIndex(), 1);
}

TEST_F(ReplayPanelTest, TheBoardsOwnListOpensInTheViewOverTheResultBox)
{
    CReplayBoard* board = MakeBoard();
    const double view_width = board->GetViewWidth();
    const double view_height = board->GetViewHeight();
    // The board where the scene puts it (the table's top left corner) and
    // dragged into the far corner.
    for (const auto& [x, y] : { std::pair { 76.0, 95.0 }, { view_width - 60, view_height - 30 } }) {
        board->MoveTo(x, y);
        board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_OPEN_FILE, 0, 0 });
        const CReplayFileList* list = board->GetFileList();
        ASSERT_NE(list, nullptr);
        EXPECT_GE(list->GetLeft(), 0) << x;
        EXPECT_GE(list->GetTop(), 0) << x;
        EXPECT_LE(list->GetRight(), view_width) << x;
        EXPECT_LE(list->GetBottom(), view_height) << x;
        EXPECT_GT(list->GetZ(), CPlDkResultBox::BOX_DEPTH) << x;
        board->GetFileList()->Cancel();
        Run(500);
        ASSERT_EQ(board->GetFileList(), nullptr);
    }
}

TEST_F(ReplayPanelTest, TheBoardsOwnListShowsTheNewestReplaysNewestFirst)
{
    // More replays than the list shows four times over, their times in an
    // order unlike their names' or their making's.
    constexpr int FILES = 4 * static_cast<int>(CReplayFileList::MAX_FILES) + 100;
    const std::string folder = platform::GetUserDataFolder() + "replays\\";
    ASSERT_TRUE(platform::MakeDirectoryTree(folder));
    const time_t base = ::time(nullptr) - 24 * 3600;
    const auto age = [](int i) { return (i * 17) % FILES; }; // a different age each
    for (int i = 0; i < FILES; ++i) {
        const std::string name = folder + "f" + std::to_string(i) + ".qvrep";
        ASSERT_EQ(engine::WriteWholeFile(name, std::vector<uint8_t>(1)), 1);
        SetModified(name, base + age(i));
    }
    CReplayBoard* board = MakeBoard();
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_OPEN_FILE, 0, 0 });
    ASSERT_NE(board->GetFileList(), nullptr);
    std::vector<std::string> names;
    for (const ReplayFileEntry& file : board->GetFileList()->GetFiles())
        names.push_back(file.name);
    std::vector<std::string> newest(FILES);
    for (int i = 0; i < FILES; ++i)
        newest[static_cast<size_t>(FILES - 1 - age(i))] = "f" + std::to_string(i) + ".qvrep";
    newest.resize(CReplayFileList::MAX_FILES);
    EXPECT_EQ(names, newest);
}

TEST(ReplayChooserProgram, AnswersItsPathOrACancel)
{
    const struct {
        const char* script;
        const char* path;
        bool unnamed;
    } cases[] = {
        { "printf '/tmp/\\345\\275\\225.qvrep\\n'", "/tmp/\xC2\xBC.qvrep", false }, // 录, in UTF-8 on the line
        { "printf '/tmp/a\\nb.qvrep\\n'", "/tmp/a\nb.qvrep", false },                  // a name with a line break
        { "printf '/tmp/\\360\\237\\230\\200.qvrep\\n'", "", true },                 // no GBK form
        { "exit 1", "", false },
        { "echo /tmp/x.qvrep; exit 1", "", false },
    };
    for (const auto& c : cases) {
        CProgramReplayChoice choice(platform::CProcessOutput::Start("sh", { "-c", c.script }));
        std::optional<ReplayChoice> answer;
        for (int i = 0; i < 12000 && !answer; ++i) {
            answer = choice.Poll();
            if (!answer)
                ::usleep(5000);
        }
        ASSERT_TRUE(answer.has_value()) << c.script;
        EXPECT_EQ(answer->path, c.path) << c.script;
        EXPECT_EQ(answer->unnamed, c.unnamed) << c.script;
    }
}

TEST_F(ReplayPanelTest, TheChooserProgramsWholeAnswerOpensAndANameWithoutGbkIsTold)
{
    client_test::CFakeFrameUI frame_ui;
    LinkFrame(frame_ui);
    CReplayBoard* board = MakeBoard();
    const std::vector<uint8_t> bytes = *engine::ReadWholeFile(RecordRound(*board));
    // A replay whose name holds a line break: its first line names nothing.
    ASSERT_EQ(engine::WriteWholeFile(m_folders.Path() + "a\nb.qvrep", bytes), 1);
    const struct {
        std::string script;
        bool opens;
        const char* told;
    } cases[] = {
        { "printf '%s\\n' '" + m_folders.Path() + "a\nb.qvrep'", true, nullptr },
        { "printf '" + m_folders.Path() + "\\360\\237\\230\\200.qvrep\\n'", false, REPLAY_UNNAMED_TEXT },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        m_app.SetReplayMode(0);
        frame_ui.boards.clear();
        m_host.program = c.script;
        board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_OPEN_FILE, 0, 0 });
        for (int i = 0; i < 1000 && !m_app.IsReplayMode() && frame_ui.boards.empty(); ++i) {
            ::usleep(5000);
            Run(100);
        }
        EXPECT_EQ(m_app.IsReplayMode(), c.opens);
        if (c.told != nullptr) {
            ASSERT_EQ(frame_ui.boards.size(), 1u);
            EXPECT_EQ(frame_ui.boards[0].text, c.told);
        } else {
            EXPECT_TRUE(frame_ui.boards.empty());
        }
    }
}

TEST_F(ReplayPanelTest, AChooserProgramLetGoWithTheBoardIsEnded)
{
    CReplayBoard* board = MakeBoard();
    const std::string pid_file = m_folders.Path() + "chooser.pid";
    m_host.program =
        "echo $$ > '" + pid_file + ".part' && mv '" + pid_file + ".part' '" + pid_file + "' && exec sleep 60";
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_OPEN_FILE, 0, 0 });
    int pid = 0;
    for (int i = 0; i < 2000 && pid == 0; ++i) {
        ::usleep(5000);
        std::ifstream(pid_file) >> pid;
    }
    ASSERT_GT(pid, 0) << "the chooser did not start";
    m_engine.m_objects->DestroyObject(board->GetId());
    // Ended: gone, or a zombie waiting to be reaped.
    const auto ended = [pid] {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string skip, state;
        return !(stat >> skip >> skip >> state) || state == "Z";
    };
    bool gone = ended();
    for (int i = 0; i < 1000 && !gone; ++i) {
        ::usleep(5000);
        gone = ended();
    }
    EXPECT_TRUE(gone) << "the chooser program " << pid << " still runs";
    if (!gone)
        ::kill(pid, SIGKILL);
}

TEST_F(ReplayPanelTest, MatchBoardWritesItsPlayersBack)
{
    client::CClientRecords& records = m_app.Records();
    records.SetMatchRoom(true);
    records.Header().player_count = 2;
    records.Header().table_no = 6;
    records.Header().word35 = 0;
    for (int slot = 0; slot < 2; ++slot) {
        client::TablePlayerRecord& player = *records.TablePlayer(slot);
        player.user_id = 300 + slot;
        client::CopyTextField(player.name, "match" + std::to_string(slot));
        player.score = 40 + slot;
        player.word53 = 7;
        player.word66 = 9;
        player.rank_badge_value = 3;
    }
    auto owned = std::make_unique<CReplayUploadBoard>(m_app, m_host, m_env);
    CReplayUploadBoard* board = owned.get();
    m_engine.m_objects->AddObject(std::move(owned), nullptr);
    const std::string path = RecordRound(*board);
    for (int slot = 0; slot < 2; ++slot)
        *records.TablePlayer(slot) = client::TablePlayerRecord {};
    records.Header().player_count = 0;

    ASSERT_TRUE(board->OpenReplayFile(path));
    EXPECT_EQ(records.Header().player_count, 2);
    for (int slot = 0; slot < 2; ++slot) {
        const client::TablePlayerRecord& player = *records.TablePlayer(slot);
        EXPECT_EQ(player.user_id, 300 + slot);
        EXPECT_EQ(client::FieldText(player.name), "match" + std::to_string(slot));
        EXPECT_EQ(player.score, 40 + slot);
        EXPECT_EQ(player.word53, 7);
        EXPECT_EQ(player.word66, 9);
        EXPECT_EQ(player.rank_badge_value, 3);
        EXPECT_EQ(records.Seat(slot)->user_id, 300 + slot) << "the seat made from the player";
        EXPECT_EQ(records.Seat(slot)->table_no, 6);
    }
    board->AllowStepBack(false);
    board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_NEXT_STEP, 0, 0 });
    EXPECT_TRUE(board->GetButton(Button::Previous)->IsActive()) << "the match board ignores the lock";
}

// A dispatcher that cannot take EVENT_A.
class CPickyHandler final : public client::IGameNotifyHandler {
public:
    void Dispatch(uint32_t id, std::span<const uint8_t>) override
    {
        if (id == EVENT_A)
            throw std::runtime_error("bad record");
        taken.push_back(id);
    }
    void OnAfterDispatch(uint32_t id, std::span<const uint8_t>) override { after.push_back(id); }
    std::vector<uint32_t> taken;
    std::vector<uint32_t> after;
};

TEST_F(ReplayPanelTest, TheDispatchHostSkipsARecordTheDispatcherRefuses)
{
    const std::string path = RecordRound(*MakeBoard());
    CPickyHandler handler;
    int refreshes = 0;
    CReplayDispatchHost host(handler, [&refreshes] { ++refreshes; });
    std::unique_ptr<CEngineObject> made = MakeReplayBoard(client::ReplayBoardKind::Standard, m_app, host, m_env);
    ASSERT_NE(dynamic_cast<CReplayBoard*>(made.get()), nullptr);
    EXPECT_NE(dynamic_cast<CReplayUploadBoard*>(
                  MakeReplayBoard(client::ReplayBoardKind::Upload, m_app, host, m_env).get()),
              nullptr);
    auto* board = dynamic_cast<CReplayBoard*>(made.get());
    m_engine.m_objects->AddObject(std::move(made), nullptr);

    ASSERT_TRUE(board->OpenReplayFile(path));
    EXPECT_GE(refreshes, 1);
    board->SeekToStep(4);
    EXPECT_EQ(handler.taken, std::vector<uint32_t>({ GR_GAME_START, EVENT_B, EVENT_RESULT }));
    EXPECT_EQ(handler.after, std::vector<uint32_t>({ GR_GAME_START, EVENT_A, EVENT_B, EVENT_RESULT }));

    // The main window's dispatcher, looked up per record: without a window
    // the record is dropped.
    CReplayDispatchHost window_host(m_app);
    EXPECT_TRUE(window_host.DispatchRecord(EVENT_B, {}));
}

TEST_F(ReplayPanelTest, ADamagedDealIsToldAsADamagedFileNotOpenedAsAnEmptyTable)
{
    client_test::CFakeFrameUI frame_ui;
    LinkFrame(frame_ui);
    client::CPlDkNotifyHandler handler(m_app);
    CReplayDispatchHost host(handler);
    CReplayBoard* board = MakeDispatchingBoard(host);
    ASSERT_NE(board, nullptr);
    const uint8_t cut_deal[8] {}; // far shorter than a deal
    board->StartRecording();
    board->RecordTableInfo();
    board->RecordEvent(GR_GAME_START, cut_deal);
    const ReplaySaveResult saved = board->SaveRecording(true);
    ASSERT_TRUE(saved.written);

    EXPECT_FALSE(board->OpenReplayFile(saved.path));
    EXPECT_FALSE(m_app.IsReplayMode());
    EXPECT_TRUE(board->GetReplayImage().IsEmpty());
    ASSERT_EQ(frame_ui.boards.size(), 1u);
    EXPECT_EQ(frame_ui.boards[0].text, REPLAY_DAMAGED_TEXT);
}

TEST_F(ReplayPanelTest, ALaterRecordTheTableRefusesIsSkippedAndToldOnce)
{
    client_test::CFakeFrameUI frame_ui;
    LinkFrame(frame_ui);
    StartLog();
    client::CPlDkNotifyHandler handler(m_app);
    CReplayDispatchHost host(handler);
    CReplayBoard* board = MakeDispatchingBoard(host);
    ASSERT_NE(board, nullptr);
    const uint8_t cut_deal[8] {}; // far shorter than a deal: the table refuses it
    const auto record = [&](const std::string& name, std::vector<uint32_t> ids) {
        board->StartRecording();
        board->RecordTableInfo();
        for (const uint32_t id : ids)
            board->RecordEvent(id, id == GR_GAME_START ? std::span<const uint8_t>(cut_deal)
                                                       : std::span<const uint8_t>());
        const ReplaySaveResult saved = board->SaveRecording(true);
        EXPECT_TRUE(saved.written);
        const std::string path = m_folders.Path() + name;
        EXPECT_EQ(engine::WriteWholeFile(path, *engine::ReadWholeFile(saved.path)), 1);
        return path;
    };
    const std::string sound = record("sound.qvrep", { EVENT_A, EVENT_B, EVENT_B });
    const std::string damaged = record("damaged.qvrep", { EVENT_A, EVENT_B, GR_GAME_START, EVENT_B, GR_GAME_START });
    for (const auto& [path, boards] : { std::pair { sound, 0u }, { damaged, 1u } }) {
        SCOPED_TRACE(path);
        frame_ui.boards.clear();
        ASSERT_TRUE(board->OpenReplayFile(path)) << "a replay that opens soundly is not refused";
        EXPECT_TRUE(frame_ui.boards.empty());
        // Played through twice: the second refused record and the second
        // pass are not told again.
        for (int pass = 0; pass < 2; ++pass) {
            board->SeekToStep(5);
            board->SendEvent({ board->GetId(), GAMEMSG_REPLAY_RESTART, 0, 0 });
        }
        EXPECT_EQ(board->GetStepIndex(), 1);
        ASSERT_EQ(frame_ui.boards.size(), boards);
        for (const client::MessageBoardRequest& told : frame_ui.boards)
            EXPECT_EQ(told.text, REPLAY_DAMAGED_RECORD_TEXT);
    }
    const std::string lines = StopLog();
    const std::string told = "录像" + damaged + " 的第3条记录(" + std::to_string(GR_GAME_START) + ")被牌桌拒绝";
    EXPECT_NE(lines.find(told), std::string::npos) << lines;
    EXPECT_EQ(lines.find(told, lines.find(told) + 1), std::string::npos) << "told once";
    EXPECT_EQ(lines.find("录像" + sound + " 的"), std::string::npos);
}

} // namespace
} // namespace scene::test
