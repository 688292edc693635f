#include "game/scene/ReplayPanel.h"

#include "client/CCardGameApp.h"
#include "client/ClientText.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/EngineLog.h"
#include "engine/core/EnginePath.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiProgressBar.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/SceneWidgets.h"
#include "platform/Path.h"

#include <algorithm>
#include <memory>

namespace scene {

namespace {

constexpr const char* BOARD_IMAGE = "Rep_bitBoard";
constexpr const char* PROGRESS_IMAGE = "Rep_Rrogressbar";
constexpr const char* PLAY_IMAGE = "Rep_btnPlay";
constexpr const char* STOP_IMAGE = "Rep_btnStop";
/// The play button's caption while it pauses.
constexpr const char* PAUSE_CAPTION = "暂停";
constexpr uint32_t CAPTION_COLOUR_KEY = 0xFFFFFF;
constexpr double PART_DEPTH_STEP = 0.01;
constexpr double CAPTION_DEPTH_STEP = 0.1;
/// The board's own file list: over the table's boxes (the result box), under
/// the settings board.
constexpr double FILE_LIST_DEPTH = 70000.0;
/// How often the open dialog's answer is looked for.
constexpr uint32_t CHOICE_POLL_MS = 100;
// The buttons stand in a row along the board's top, the bar and the time
// text under the bar's right end along its bottom, and the board's picture
// leaves the band between them clear.
constexpr int32_t SIDE_MARGIN = 5;
constexpr int32_t ROW_MARGIN = 2;
constexpr int32_t BUTTON_GAP = 3;
constexpr int32_t TIME_FONT_SIZE = 10;
constexpr int32_t CAPTION_FONT_SIZE = 12;
constexpr int32_t CAPTION_HEIGHT = 18;
constexpr int32_t CAPTION_MARGIN = 3;
constexpr int32_t CAPTION_DROP = 10;
/// The bar's thumb: the third frame of its image.
constexpr uint32_t PROGRESS_THUMB_FRAME = 2;

struct ButtonInfo {
    const char* image;
    uint32_t click;
    const char* caption;
};

// In CReplayPanel::Button order.
constexpr ButtonInfo BUTTONS[CReplayPanel::BUTTON_COUNT] = {
    { PLAY_IMAGE, GAMEMSG_REPLAY_PLAY, "播放" },
    { "Rep_btnReset", GAMEMSG_REPLAY_RESTART, "停止" },
    { "Rep_btnPreStep", GAMEMSG_REPLAY_PREV_STEP, "上一步" },
    { "Rep_btnNextStep", GAMEMSG_REPLAY_NEXT_STEP, "下一步" },
    { "Rep_btnOpenFile", GAMEMSG_REPLAY_OPEN_FILE, "选择录像" },
};

int32_t TextChars(const std::string& text)
{
    return static_cast<int32_t>(text.size());
}

void ShowPart(engine::CEngineObject* part, bool show)
{
    if (part == nullptr)
        return;
    if (show)
        part->Activate();
    else
        part->Deactivate();
    part->Invalidate();
}

} // namespace

CReplayPanel::CReplayPanel(client::CGameApp& app, ReplayVariant variant, IReplaySceneHost& host,
                           IReplayRecorderEnv& env, const client::CGameStateHolder* state)
    : m_app(app), m_host(host), m_image(variant), m_recorder(m_image, app, env, state), m_playback(m_image, *this)
{
}

CReplayPanel::~CReplayPanel()
{
    m_image.Reset();
}

// --- Building

void CReplayPanel::Create()
{
    engine::ImageRef board;
    GetImage(board, BOARD_IMAGE, 0);
    engine::CCanvasObject* visual = NewCanvasObject(board.width, board.height, engine::WIDGET_COLOUR_KEY);
    if (visual == nullptr)
        return;
    visual->SetDraggable(true);
    visual->AddFlags(SKIN_BUTTON_IMAGE_FLAGS);
    SetVisual(visual, BOARD_PART_LINK_FLAGS);

    const double left = visual->GetLeft();
    // Play, restart, previous and next stand in a row from the left, the
    // open-file button at the right.
    double x = left + SIDE_MARGIN;
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        const ButtonInfo& info = BUTTONS[i];
        engine::EngineEvent click;
        engine::MakeEngineEvent(&click, GetId(), info.click, 0, 0);
        engine::CGuiButton* button = MakeSkinButton(*this, info.image, click, 0);
        if (button == nullptr)
            continue;
        m_button_ids[i] = button->GetId();
        const double width = button->GetWidth();
        const bool open_file = static_cast<Button>(i) == Button::OpenFile;
        const double button_x = open_file ? visual->GetRight() - SIDE_MARGIN - width / 2 : x + width / 2;
        AttachPart(*visual, *button, button_x, visual->GetTop() + ROW_MARGIN + button->GetHeight() / 2,
                   PART_DEPTH_STEP);
        if (!open_file)
            x += width + BUTTON_GAP;
        if (engine::CImageObject* image = button->GetImageChild()) {
            image->AddEventRoute(engine::VELOTRIX_EVENT_HOVER_TIMEOUT, GetId(), GAMEMSG_REPLAY_SHOW_CAPTION,
                                 button->GetId(), 0);
            // The caption goes when the pointer leaves the button (or drags).
            image->AddEventRoute(engine::VELOTRIX_EVENT_MOUSE_LEAVE, GetId(), GAMEMSG_REPLAY_HIDE_CAPTION, 0, 0);
            image->AddEventRoute(engine::VELOTRIX_EVENT_MOUSE_MOVE, GetId(), GAMEMSG_REPLAY_HIDE_CAPTION, 0, 0);
        }
        if (static_cast<Button>(i) == Button::Next) {
            // The bar runs along the bottom from the left, the time text
            // under it.
            auto* bar = dynamic_cast<engine::CGuiProgressBar*>(
                RegisterObject(std::make_unique<engine::CGuiProgressBar>()));
            if (bar == nullptr)
                continue;
            m_bar_id = bar->GetId();
            bar->Create(PROGRESS_IMAGE, 1, 0, 0.0);
            engine::ImageRef thumb;
            GetImage(thumb, PROGRESS_IMAGE, PROGRESS_THUMB_FRAME);
            bar->SetThumb(thumb, GetId());
            // The knob's frame is as wide as the bar: only its drawn pixels
            // may catch the pointer, or at the bar's start it would cover
            // the next-step button.
            if (engine::CImageObject* knob = bar->GetThumb())
                knob->AddFlags(engine::VELOTRIX_OBJ_HIT_PICTURE);
            AttachPart(*visual, *bar, left + SIDE_MARGIN + bar->GetWidth() / 2,
                       visual->GetBottom() - ROW_MARGIN - TIME_FONT_SIZE - bar->GetHeight() / 2, PART_DEPTH_STEP);
        }
    }
    UpdateButtons();
    DrawProgress();
}

void CReplayPanel::Activate()
{
    CGuiObject::Activate();
    UpdateButtons();
    m_caption_button = 0;
    ShowPart(GetCaption(), false);
}

engine::CGuiButton* CReplayPanel::GetButton(Button button) const
{
    return dynamic_cast<engine::CGuiButton*>(FindObject(m_button_ids[static_cast<int>(button)]));
}

engine::CGuiProgressBar* CReplayPanel::GetProgressBar() const
{
    return dynamic_cast<engine::CGuiProgressBar*>(FindObject(m_bar_id));
}

engine::CCanvasObject* CReplayPanel::GetCaption() const
{
    return m_caption_id != 0 ? dynamic_cast<engine::CCanvasObject*>(FindObject(m_caption_id)) : nullptr;
}

// --- Events

int CReplayPanel::OnEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case GAMEMSG_REPLAY_PLAY:
        TogglePlay();
        break;
    case GAMEMSG_REPLAY_STEP:
        m_step_action = 0;
        if (m_playing)
            PlayStep();
        break;
    case GAMEMSG_REPLAY_RESTART:
        Restart();
        break;
    case GAMEMSG_REPLAY_PREV_STEP:
        OnPrevStep();
        break;
    case GAMEMSG_REPLAY_NEXT_STEP:
        OnNextStep();
        break;
    case GAMEMSG_REPLAY_OPEN_FILE:
        ChooseFile();
        break;
    case GAMEMSG_REPLAY_POLL_CHOICE:
        PollChoice(); // a chosen replay draws its progress as it opens
        return 1;
    case GAMEMSG_REPLAY_SHOW_CAPTION:
        DrawCaptions(static_cast<uint32_t>(event.param1));
        return 1;
    case GAMEMSG_REPLAY_HIDE_CAPTION:
        m_caption_button = 0;
        ShowPart(GetCaption(), false);
        return 1;
    case engine::VELOTRIX_EVENT_SCROLL_CHANGED:
        break;
    case engine::VELOTRIX_EVENT_POSITION_SET:
        if (m_image.IsEmpty() || event.param1 == 0)
            return 1;
        SeekByBar(*reinterpret_cast<const double*>(event.param1));
        break;
    default:
        return CGuiObject::OnEvent(event);
    }
    DrawProgress();
    return 1;
}

// --- Playback

void CReplayPanel::CancelStep()
{
    if (m_step_action != 0)
        CancelAction(m_step_action);
    m_step_action = 0;
}

void CReplayPanel::ShowPlaying(bool playing)
{
    if (engine::CGuiButton* play = GetButton(Button::Play)) {
        engine::ImageRef image;
        GetImage(image, playing ? STOP_IMAGE : PLAY_IMAGE, 0);
        play->SetImage(image);
        // A caption shown over the button names what it does now.
        if (m_caption_button != 0 && m_caption_button == play->GetId())
            DrawCaptions(m_caption_button);
    }
}

void CReplayPanel::TogglePlay()
{
    if (m_playing) {
        Pause();
        return;
    }
    // At the end, play starts the replay again from its first record, the
    // recorded table applied again as by the restart button.
    if (m_playback.IsAtEnd())
        Restart();
    m_playing = true;
    m_playback.StartPacing();
    ShowPlaying(true);
    PlayStep();
}

void CReplayPanel::Pause()
{
    CancelStep();
    m_playing = false;
    ShowPlaying(false);
}

void CReplayPanel::PlayStep()
{
    const std::optional<uint32_t> gap = m_playback.PlayStep();
    UpdateButtons();
    // None at the end: nothing plays on, so the board pauses there and the
    // play button offers play again.
    if (gap)
        ScheduleStep(*gap);
    else
        Pause();
}

void CReplayPanel::ScheduleStep(uint32_t wait)
{
    CancelStep();
    engine::EngineEvent step;
    engine::MakeEngineEvent(&step, GetId(), GAMEMSG_REPLAY_STEP, 0, 0);
    m_step_action = AddWaitTimeAction(wait, &step);
}

void CReplayPanel::SeekByBar(double position)
{
    position = std::clamp(position, 0.0, 1.0);
    const auto target = static_cast<uint32_t>(position * m_image.GetHeaderFields().last_elapsed);
    SeekToTime(target);
    // The replay stands where the player put it: the bar and the time text
    // stay there, and a playing replay goes on from there at its pace (the
    // step due before the seek, timed from the old place, is dropped; sought
    // past the last record, it pauses).
    SetProgress(position);
    if (m_playing) {
        CancelStep();
        if (const std::optional<uint32_t> wait = m_playback.PaceFrom(target))
            ScheduleStep(*wait);
        else
            Pause();
    }
    UpdateButtons();
}

void CReplayPanel::OnPrevStep()
{
    if (m_playing)
        TogglePlay();
    StepBack();
    UpdateButtons();
}

void CReplayPanel::OnNextStep()
{
    if (m_playing)
        TogglePlay();
    (void)m_playback.PlayNextRecord();
    UpdateButtons();
}

void CReplayPanel::Restart()
{
    Pause();
    ApplyRecordedTable();
    m_playback.Restart();
    UpdateButtons();
}

void CReplayPanel::Clear()
{
    Pause();
    m_image.Reset();
    m_playback.Rewind();
    UpdateButtons();
}

ReplayRefusal CReplayPanel::LoadRecording(std::span<const uint8_t> file)
{
    ReplayLoadResult result =
        m_image.Load(file, m_app.GetGameCode(), m_app.GetMajorVersion(), m_app.GetMinorVersion());
    // The watcher becomes the recording user: that user must sit on a chair.
    if (result.IsLoaded() && !client::IsValidChair(m_image.GetHeaderFields().chair))
        result.refusal = ReplayRefusal::RecorderChair;
    if (result.refusal != ReplayRefusal::None)
        return result.refusal;
    const ReplayHeaderFields header = m_image.GetHeaderFields();
    if (result.version_differs) {
        m_app.ShowMessageBoard({ FormatReplayVersionWarning(m_app.GetMajorVersion(), m_app.GetMinorVersion(),
                                                            header.major_version, header.minor_version),
                                 {}, {}, 10, 0, "" });
    }
    m_app.Records().Launch().user_id = header.user_id;
    m_app.Records().Launch().chair_no = header.chair;
    ApplyRecordedTable();
    m_host.SeatRecordingPlayer();
    return ReplayRefusal::None;
}

bool CReplayPanel::OpenReplayFile(const std::string& path)
{
    const std::optional<std::vector<uint8_t>> file = ReadReplayBytes(path);
    ReplayRefusal refusal = file ? LoadRecording(*file) : ReplayRefusal::Unreadable;
    if (refusal == ReplayRefusal::None) {
        // The opening records (the deal) are played at once: a record the
        // table refuses there makes the file a damaged one, not an empty table.
        const bool was_replay = m_app.IsReplayMode();
        m_path = path;
        m_refused_records = 0;
        m_damage_told = false;
        m_app.SetReplayMode(1);
        m_opening = true;
        Restart();
        m_opening = false;
        if (m_refused_records != 0) {
            refusal = ReplayRefusal::OpeningRecord;
            m_app.SetReplayMode(was_replay ? 1 : 0);
        }
    }
    if (refusal != ReplayRefusal::None) {
        Clear();
        engine::WriteGameLog("录像%s 被拒绝: %s", path.c_str(), ReplayRefusalReason(refusal));
        m_app.ShowMessageBoard({ ReplayRefusalMessage(refusal), {}, {}, 10, 0, "" });
        return false;
    }
    if (engine::CGuiProgressBar* bar = GetProgressBar())
        bar->EnableDrag(true);
    DrawProgress();
    return true;
}

void CReplayPanel::ChooseFile()
{
    if (m_choice != nullptr)
        return;
    const std::string folder = platform::GetUserDataFolder() + "replays\\";
    m_choice = m_host.ChooseReplayFile(folder);
    if (m_choice == nullptr) {
        auto* list = dynamic_cast<CReplayFileList*>(
            RegisterObject(std::make_unique<CReplayFileList>(ListReplayFiles(folder, CReplayFileList::MAX_FILES))));
        if (list == nullptr)
            return;
        m_file_list = list;
        // From the board's top left corner down and right, kept in the view.
        list->RaiseToTopLayer();
        engine::PlaceAtDepth(*list, FILE_LIST_DEPTH);
        const double half_width = list->GetWidth() / 2;
        const double half_height = list->GetHeight() / 2;
        list->MoveTo(std::clamp(GetLeft() + half_width, half_width, std::max(half_width, GetViewWidth() - half_width)),
                     std::clamp(GetTop() + half_height, half_height,
                                std::max(half_height, GetViewHeight() - half_height)));
        list->Show(true);
        list->Activate();
        list->Invalidate();
        m_choice = std::make_unique<CEngineReplayChoice>(*list);
    }
    engine::EngineEvent poll;
    engine::MakeEngineEvent(&poll, GetId(), GAMEMSG_REPLAY_POLL_CHOICE, 0, 0);
    m_choice_action = AddRepeatEventAction(CHOICE_POLL_MS, -1, &poll);
}

void CReplayPanel::PollChoice()
{
    const std::optional<ReplayChoice> chosen = m_choice != nullptr ? m_choice->Poll() : ReplayChoice {};
    if (!chosen)
        return;
    if (m_choice_action != 0)
        CancelAction(m_choice_action);
    m_choice_action = 0;
    m_choice.reset();
    if (CReplayFileList* list = m_file_list)
        DestroyObject(list, true);
    if (chosen->unnamed) {
        engine::WriteGameLog("选择的录像未打开: 文件名无法转换为GBK");
        m_app.ShowMessageBoard({ REPLAY_UNNAMED_TEXT, {}, {}, 10, 0, "" });
    } else if (!chosen->path.empty()) {
        (void)OpenReplayFile(chosen->path);
    }
}

void CReplayPanel::ApplyRecordedTable()
{
    if (m_image.IsEmpty())
        return;
    client::CClientRecords& records = m_app.Records();
    const int players = m_image.GetPlayerCount();
    if (m_image.GetVariant() == ReplayVariant::Standard) {
        const std::span<const uint8_t> bytes = m_image.Bytes();
        const size_t table_at = m_image.HeaderBytes();
        (void)records.ApplyRoomInfo(bytes.subspan(table_at, m_image.TableBytes()));
        for (int seat = 0; seat < players; ++seat) {
            const size_t at = table_at + m_image.TableBytes() + static_cast<size_t>(seat) * m_image.PlayerBytes();
            if (client::GameUserRecord* user = records.Seat(seat))
                (void)client::CClientRecords::FillSeatFromShortRecord(*user, bytes.subspan(at, m_image.PlayerBytes()));
        }
        m_host.RefreshMainGame();
    } else {
        const ReplayMatchTableInfo table = m_image.GetMatchTableInfo();
        client::TableHeader& header = records.Header();
        header.room_id = table.room_id;
        header.header_value1 = table.header_value1;
        header.table_no = table.table_no;
        header.player_count = table.player_count;
        std::copy(table.words29, table.words29 + std::size(header.words29), header.words29);
        header.word35 = table.words29[6];
        client::CopyTextField(header.text144, client::FieldText(table.text144));
        client::CopyTextField(header.text160, client::FieldText(table.text160));
        records.ApplyTableHeader();
        for (int index = 0; index < players; ++index) {
            client::TablePlayerRecord* player = records.TablePlayer(index);
            client::GameUserRecord* seat = records.Seat(index);
            const std::optional<ReplayMatchPlayerInfo> info = m_image.GetMatchPlayerInfo(index);
            if (player == nullptr || seat == nullptr || !info)
                continue;
            ApplyReplayMatchPlayer(*player, *info);
            records.MakeSeatRecord(*seat, *player, index, header.table_no);
        }
        if (client::IFrameUI* frame = m_app.Links().frame_ui)
            frame->ShowEliminationRound();
    }
    m_playback.Rewind();
}

void CReplayPanel::FeedEvent(uint32_t event_id, std::span<const uint8_t> data)
{
    if (m_host.DispatchRecord(event_id, data))
        return;
    ++m_refused_records;
    // A refused opening record refuses the file (OpenReplayFile tells it).
    if (m_opening || m_damage_told)
        return;
    m_damage_told = true;
    engine::WriteGameLog("录像%s 的第%d条记录(%u)被牌桌拒绝, 已跳过", m_path.c_str(), GetStepIndex() + 1, event_id);
    m_app.ShowMessageBoard({ REPLAY_DAMAGED_RECORD_TEXT, {}, {}, 10, 0, "" });
}

void CReplayPanel::BeginFromStart()
{
    m_host.ClearChat();
    // The replay's round enters the score history when its result plays
    // (again); the bar shows the emptied history as it shows a round added.
    if (m_app.Records().History().round_count != 0) {
        m_app.ResetRoundHistory();
        m_app.ShowAdvertBar();
    }
}

void CReplayPanel::SetProgress(double position)
{
    if (engine::CGuiProgressBar* bar = GetProgressBar())
        bar->SetPosition(position);
}

void CReplayPanel::SetSoundFlag(bool on)
{
    engine::CEngineEntity::SetSoundFlag(on ? 1 : 0);
}

ReplaySaveResult CReplayPanel::SaveRecording(bool write)
{
    const ReplaySaveResult result = m_recorder.SaveRecording(write);
    m_playback.Rewind();
    UpdateButtons();
    return result;
}

// --- Looks

void CReplayPanel::UpdateButtons()
{
    // The match board ignores the back-step lock.
    const bool locked = m_back_step_locked && m_image.GetVariant() == ReplayVariant::Standard;
    const ReplayButtons shown = m_playback.GetButtons(locked);
    ShowPart(GetButton(Button::Play), shown.play);
    ShowPart(GetButton(Button::Restart), shown.restart);
    ShowPart(GetButton(Button::Previous), shown.previous);
    ShowPart(GetButton(Button::Next), shown.next);
}

void CReplayPanel::AllowStepBack(bool allowed)
{
    m_back_step_locked = !allowed;
    UpdateButtons();
}

void CReplayPanel::DrawProgress()
{
    auto* visual = dynamic_cast<engine::CCanvasObject*>(GetVisual());
    if (visual == nullptr)
        return;
    visual->Clear();
    engine::ImageRef board;
    GetImage(board, BOARD_IMAGE, 0);
    visual->DrawImage(board, 0, 0, board.width, board.height, 0.0, 1.0);
    m_time_text.clear();
    const engine::CGuiProgressBar* bar = GetProgressBar();
    if (!m_image.IsEmpty() && bar != nullptr) {
        m_time_text = FormatReplayProgress(bar->GetPosition(), m_image.GetHeaderFields().last_elapsed);
        visual->SetFont(TIME_FONT_SIZE, 400, engine::WIDGET_FACE);
        visual->SetTextColor(0xFFFFFF, 0, 1.0);
        const auto right = static_cast<int32_t>(bar->GetRight() - visual->GetLeft());
        const int32_t x = right - TIME_FONT_SIZE * TextChars(m_time_text) / 2;
        visual->DrawText(x, static_cast<int32_t>(bar->GetBottom() - visual->GetTop()), m_time_text);
    }
    visual->Invalidate();
}

void CReplayPanel::DrawCaptions(uint32_t button_id)
{
    const ButtonInfo* info = nullptr;
    engine::CEngineObject* button = nullptr;
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        if (m_button_ids[i] != 0 && m_button_ids[i] == button_id) {
            info = &BUTTONS[i];
            button = FindObject(button_id);
        }
    }
    engine::CEngineObject* visual = GetVisual();
    if (info == nullptr || button == nullptr || visual == nullptr)
        return;
    engine::CCanvasObject* caption = GetCaption();
    if (caption == nullptr) {
        caption = NewCanvasObject(10, 10, CAPTION_COLOUR_KEY);
        if (caption == nullptr)
            return;
        m_caption_id = caption->GetId();
        // Over the board, which the scene raises to the top layer.
        caption->RaiseToTopLayer();
        engine::PlaceAtDepth(*caption, GetZ() + CAPTION_DEPTH_STEP);
        caption->SetFont(CAPTION_FONT_SIZE, 400, engine::WIDGET_FACE);
    }
    const bool pauses = info == &BUTTONS[static_cast<int>(Button::Play)] && m_playing;
    const std::string text = pauses ? PAUSE_CAPTION : info->caption;
    const int32_t width = CAPTION_FONT_SIZE * TextChars(text) / 2 + 2 * CAPTION_MARGIN;
    caption->Resize(width, CAPTION_HEIGHT);
    caption->SetSize(width, CAPTION_HEIGHT);
    caption->Clear();
    caption->DrawText(CAPTION_MARGIN, CAPTION_MARGIN, text);
    caption->MoveTo(button->GetRight(), visual->GetTop() + CAPTION_DROP - CAPTION_HEIGHT / 2.0);
    ShowPart(caption, true);
    m_caption_button = button_id;
}

// --- The command line

bool StartCommandLineReplay(client::CCardGameApp& app, CReplayPanel& board)
{
    if (!app.IsReplayMode())
        return false;
    board.AllowStepBack(false);
    return board.OpenReplayFile(app.GetReplayFilePath());
}

} // namespace scene
