#include "client/CGameFrameWnd.h"
#include "client/CRefusalLog.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "client/CGameApp.h"
#include "client/CGameCommThread.h"
#include "client/CGameConnection.h"
#include "client/CardGameSceneHooks.h"
#include "client/ClientText.h"
#include "client/FramePlacement.h"
#include "client/HallRecords.h"
#include "engine/core/GuiContainer.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/VelotrixDefs.h"
#include "net/CommRecords.h"
#include "net/NetLog.h"
#include "net/NetMessages.h"
#include "platform/Path.h"
#include "platform/Tick.h"

namespace client {

namespace {

constexpr const char* NOTICE_PATH_FORMAT = "/notify/game/%d.txt";
constexpr const char* NOTICE_FILE_FORMAT = "%s%d_%d.txt";

// Holds the engine's tick lock for a scope, however the scope is left.
class CCoreLock {
public:
    explicit CCoreLock(engine::GameCore& core) : m_core(core) { m_core.Lock(); }
    ~CCoreLock() { m_core.Unlock(); }
    CCoreLock(const CCoreLock&) = delete;
    CCoreLock& operator=(const CCoreLock&) = delete;

private:
    engine::GameCore& m_core;
};

// A text of several lines as one log line.
std::string OneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

// Why the window stays open after the user asked to close it.
void LogCloseAnswer(const std::string& answer)
{
    net::LogPrintf("close kept the window: %s", OneLine(answer).c_str());
}

} // namespace

CGameFrameWnd::CGameFrameWnd(CGameApp& app) : m_app(app) {}

CGameFrameWnd::~CGameFrameWnd()
{
    // The endpoint's thread sends to this window: it stops first.
    m_endpoint.reset();
    Destroy();
}

void CGameFrameWnd::PreCreateWindow(platform::NativeWindowOptions& options)
{
    options.frame = platform::WindowFrame::Borderless;
    options.resizable = false;
    if (const auto area = GetDesktopWorkArea()) {
        options.width = area->right - area->left;
        options.height = area->bottom - area->top;
    }
}

int CGameFrameWnd::Create(const platform::NativeWindowOptions& options)
{
    platform::NativeWindowOptions placed = options;
    PreCreateWindow(placed);
    if (engine::CVelotrixWnd::Create(placed) == 0)
        return 0;
    if (platform::CNativeWindow* native = GetNativeWindow()) {
        if (const auto area = GetDesktopWorkArea())
            native->SetPosition(area->left, area->top);
        ApplyMaxTrackSize();
    }
    if (auto* thread = dynamic_cast<CGameCommThread*>(m_app.Links().comm_thread))
        m_wait_dialog = &thread->GetDialog();
    m_remote_handle = platform::MakeProcessRemoteHandle();
    const platform::WindowHandle self = GetHandle();
    // The hall sends this window nothing but copy-data records.
    m_endpoint = platform::CRemoteWindowEndpoint::Open(m_remote_handle, [self](platform::Message& msg) -> intptr_t {
        if (msg.id != platform::WM_COPYDATA)
            return 0;
        return platform::TrySendMessage(self, platform::WM_COPYDATA, msg.wparam, msg.lparam).value_or(0);
    });
    if (!m_endpoint)
        net::LogPrintf("the main window's endpoint %u could not be opened", m_remote_handle);
    platform::SetTimer(self, TIMER_HALL_WATCH, HALL_WATCH_MS);
    return 1;
}

std::pair<int32_t, int32_t> CGameFrameWnd::GetMaxTrackSize() const
{
    if (GetRootObject() != nullptr && m_frame_ui != nullptr && m_frame_ui->GetSizeFlag() == 0)
        return { m_frame_ui->GetDefaultWidth(), m_frame_ui->GetDefaultHeight() };
    if (const auto area = GetDesktopWorkArea())
        return { area->right - area->left, area->bottom - area->top };
    return { 0, 0 };
}

void CGameFrameWnd::SetFrameUI(IFrameWindowUI* frame_ui)
{
    m_frame_ui = frame_ui;
    ApplyMaxTrackSize();
}

void CGameFrameWnd::ApplyMaxTrackSize()
{
    platform::CNativeWindow* native = GetNativeWindow();
    if (native == nullptr)
        return;
    int old_width = 0;
    int old_height = 0;
    native->GetClientSize(old_width, old_height);
    const auto [width, height] = GetMaxTrackSize();
    SetMaximumWindowSize(*native, width, height);
    if (m_frame_ui != nullptr) {
        const auto [min_width, min_height] = m_frame_ui->GetMinimumSize();
        SetMinimumWindowSize(*native, min_width, min_height);
    }
    // A window larger than its new limit shrinks at once, and the window
    // system reports no change of a size it was told: the engine is told here.
    int new_width = 0;
    int new_height = 0;
    native->GetClientSize(new_width, new_height);
    if (new_width > 0 && new_height > 0 && (new_width != old_width || new_height != old_height))
        (void)platform::PostMessage(GetHandle(), platform::WM_SIZE, platform::SIZE_RESTORED,
                                    platform::MakeLongParam(new_width, new_height));
}

CGameConnection* CGameFrameWnd::Connection() const
{
    return dynamic_cast<CGameConnection*>(m_app.Links().connection);
}

bool CGameFrameWnd::StartNoticeTimer(int32_t seconds)
{
    if (seconds <= 0)
        return false;
    return platform::SetTimer(GetHandle(), TIMER_NOTICE, static_cast<uint32_t>(seconds) * 1000u) != 0;
}

void CGameFrameWnd::SetPulseTimer(int32_t seconds)
{
    platform::KillTimer(GetHandle(), TIMER_PULSE);
    if (seconds > 0)
        platform::SetTimer(GetHandle(), TIMER_PULSE, static_cast<uint32_t>(seconds) * 1000u);
}

void CGameFrameWnd::StartPulse()
{
    SetPulseTimer(PULSE_SECONDS);
}

void CGameFrameWnd::OnPlayerQuit(int32_t chair)
{
    char text[256];
    const std::string name = m_app.Records().GetName(m_app.Records().Seat(chair), NameKind::Display);
    std::snprintf(text, sizeof(text), "%s已经退出,游戏结束。", name.c_str());
    if (m_app.Links().wait_dialog)
        m_app.Links().wait_dialog->ShowTextFor(text, QUIT_CLOSE_MS / 1000);
    platform::SetTimer(GetHandle(), TIMER_QUIT_CLOSE, QUIT_CLOSE_MS);
}

void CGameFrameWnd::OnConnectionLost()
{
    m_app.SetHallStatusKind(m_app.IsPlaying());
    if (m_app.Links().connection)
        m_app.Links().connection->Close();
    // The table goes with the connection: its clock stops and nothing more
    // is played or sent for the own turn (a running clock would play it
    // into the closed connection at every time-out).
    if (IMainGame* game = m_app.Links().main_game)
        if (ICardGameSceneHooks* hooks = game->GetTableHooks()) {
            CCoreLock lock(GetCore());
            hooks->OnTableClosed();
        }
    const CClientRecords& records = m_app.Records();
    char text[512];
    if (m_app.IsPlaying() && !records.IsLookOn())
        std::snprintf(text, sizeof(text), "断线了！请尽快重入房间续玩。\r\n\r\n您的位置【%s_%s】。",
                      records.GetAreaName().c_str(), records.GetRoomName().c_str());
    else
        std::snprintf(text, sizeof(text), "与服务器连接断开。");
    net::LogPrintf("the connection to the game server is lost: %s", OneLine(text).c_str());
    // The hall's area and room names keep their formatting.
    m_app.ShowExitMessageBoard({ text, 30, 49, "vur大哭", engine::TextKind::Markup });
}

intptr_t CGameFrameWnd::WindowProc(platform::Message& msg)
{
    switch (msg.id) {
    case net::UM_COMM_MESSAGE:
        // While a request waits for its answer the connection holds server
        // messages, and hands them back once the request has returned.
        if (CGameConnection* connection = Connection(); connection == nullptr || !connection->HoldNotification(msg))
            OnReceivePacket(msg);
        return 0;
    case UM_RELEASE_NOTIFICATIONS:
        if (CGameConnection* connection = Connection())
            connection->ReleaseNotifications([this](platform::Message& held) { OnReceivePacket(held); });
        return 0;
    case platform::WM_TIMER:
        OnTimer(msg.wparam);
        break;
    case UM_GAME_INIT_DONE:
        OnGameInitDone();
        return 0;
    case UM_NOTICE_DOWNLOADED:
        OnNoticeDownloaded(static_cast<uint32_t>(msg.wparam));
        return 0;
    case UM_URL_OPENED:
        // The URL's block is the message's payload, freed with it.
        if (m_app.Links().wait_dialog)
            m_app.Links().wait_dialog->Hide();
        return 0;
    case UM_SHOW_SYSTEM_TEXT:
        if (m_app.Links().side_panel && msg.wparam != 0)
            m_app.Links().side_panel->AddSystemText(reinterpret_cast<const char*>(msg.wparam));
        return 0;
    case platform::WM_CLOSE:
        OnClose();
        return 0;
    case UM_LEAVE_AND_CLOSE:
        LeaveAndClose();
        return 0;
    default:
        break;
    }
    return engine::CVelotrixWnd::WindowProc(msg);
}

void CGameFrameWnd::OnReceivePacket(platform::Message& msg)
{
    // The records live in the message's payload and go with it, whatever
    // happens to them here.
    m_last_receive_tick = platform::GetTickCount();
    const auto* message = msg.PayloadAs<net::CommMessage>();
    CGameConnection* connection = Connection();
    if (message == nullptr || connection == nullptr || message->conn.cookie != connection->GetCookie())
        return;
    const uint32_t id = message->request.id;
    if (id == net::COMM_EVENT_CLOSED || id == net::COMM_EVENT_SOCKET_ERROR) {
        OnConnectionLost();
        return;
    }
    if (m_notify_handler == nullptr)
        return;
    const std::span<const uint8_t> data = message->request.Data();
    bool failed = false;
    try {
        CCoreLock lock(GetCore());
        m_notify_handler->Dispatch(id, data);
    } catch (const std::exception& error) {
        net::LogPrintf("message %u failed: %s", id, error.what());
        failed = true;
    } catch (...) {
        net::LogPrintf("message %u failed", id);
        failed = true;
    }
    if (failed) {
        const std::array<int32_t, 4> previous = m_notify_handler->GetPreviousRecord();
        connection->ReportBadMessage(id, data, previous);
    }
    m_notify_handler->OnAfterDispatch(id, data);
}

void CGameFrameWnd::OnCopyData(const platform::CopyDataRecord* record)
{
    if (record == nullptr)
        return;
    const auto* bytes = static_cast<const uint8_t*>(record->data);
    const std::span<const uint8_t> payload(bytes, bytes ? record->size : 0);
    const uint32_t kind = static_cast<uint32_t>(record->kind);
    if (IsEncipheredCopyData(kind))
        m_app.OnHallCopyData(kind, DecipherCopyData(payload));
    else
        m_app.OnHallCopyData(kind, payload);
    engine::CVelotrixWnd::OnCopyData(record);
}

void CGameFrameWnd::OnTimer(uintptr_t timer)
{
    switch (timer) {
    case TIMER_HALL_WATCH:
        // The hall gone, the client ends with it.
        if (!m_app.IsStandAlone() && !m_app.IsHallWindowAlive())
            platform::PostQuitMessage(0);
        CRefusalLog::Instance().FlushIfDue();
        break;
    case TIMER_NOTICE:
        StartNoticeDownload();
        break;
    case TIMER_QUIT_CLOSE:
        platform::KillTimer(GetHandle(), TIMER_QUIT_CLOSE);
        if (m_hall_request_on)
            platform::PostMessage(GetHandle(), platform::WM_CLOSE);
        break;
    case TIMER_PULSE:
        if (CGameConnection* connection = Connection())
            (void)connection->SendPulse();
        break;
    default:
        break;
    }
}

void CGameFrameWnd::OnGameInitDone()
{
    if (engine::CGuiContainer* root = GetRootObject())
        root->OnStart();
    m_app.ShowAdvertBar();
}

void CGameFrameWnd::OnClose()
{
    const CClientRecords& records = m_app.Records();
    if (m_app.IsMatch()) {
        if (records.IsMatchStarted() && !records.IsMatchEnded()) {
            LogCloseAnswer("the match quit board");
            if (m_frame_ui)
                m_frame_ui->ShowQuitBoard();
            return;
        }
        LeaveAndClose();
        return;
    }
    CGameConnection* connection = Connection();
    if (!records.IsLookOn() && connection != nullptr && connection->AskExit() != 0) {
        const uint32_t asked = m_app.GetExitRequestTick();
        const uint32_t elapsed = platform::GetTickCount() - asked;
        if (m_app.IsPlaying() && asked != 0 && elapsed < EXIT_WAIT_MS) {
            char text[256];
            std::snprintf(text, sizeof(text), " <c=%d>已经请求退出，请耐心等候其他玩家回应(%d秒)。\r\n", EXIT_WAIT_COLOR,
                          static_cast<int>(30 - elapsed / 1000));
            m_app.ShowSystemMessage(text);
            LogCloseAnswer(text);
        } else if (m_app.IsGameNotStarted()) {
            LogCloseAnswer("the forced-quit box");
            if (m_frame_ui)
                m_frame_ui->ShowForceQuitBox();
        } else if ((records.GetRoomOptions() & ROOM_OPTION_NO_PENALTY) == 0) {
            MessageBoardRequest board;
            board.text = "游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？";
            board.answer_event.target = GetRootObject() ? static_cast<uint32_t>(GetRootObject()->GetId()) : 0;
            board.answer_event.id = GAMEMSG_QUIT_CONFIRMED;
            board.seconds = 5;
            board.style = 53;
            board.picture = "vur疑问";
            LogCloseAnswer(board.text);
            m_app.ShowMessageBoard(board);
        } else {
            MessageBoardRequest board;
            board.text = "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)";
            board.seconds = 5;
            board.style = 49;
            board.picture = "vur打牌";
            LogCloseAnswer(board.text);
            m_app.ShowMessageBoard(board);
        }
        return;
    }
    LeaveAndClose();
}

void CGameFrameWnd::LeaveAndClose()
{
    if (CGameConnection* connection = Connection()) {
        std::string error;
        const CClientRecords& records = m_app.Records();
        if (connection->LeaveGame(error, records.GetUserID(), records.GetChairNO()) != 0) {
            MessageBoardRequest board;
            board.text = error;
            board.seconds = 5;
            board.kind = engine::TextKind::Markup; // the server's text
            LogCloseAnswer(board.text);
            m_app.ShowMessageBoard(board);
            return;
        }
    }
    net::LogPrintf("the main window closes");
    m_app.ReportStatusToHall(static_cast<int32_t>(m_remote_handle));
    if (m_app.Links().comm_thread)
        m_app.Links().comm_thread->Stop();
    Destroy();
    platform::PostQuitMessage(0);
}

void CGameFrameWnd::KillTimers()
{
    for (const uintptr_t timer : { TIMER_HALL_WATCH, TIMER_NOTICE, TIMER_QUIT_CLOSE, TIMER_PULSE })
        platform::KillTimer(GetHandle(), timer);
}

void CGameFrameWnd::OnDestroy()
{
    KillTimers();
    m_notices.StopAll();
    engine::CVelotrixWnd::OnDestroy();
}

// --- Notices

void CGameFrameWnd::StartNoticeDownload()
{
    const CClientRecords& records = m_app.Records();
    char path[64];
    std::snprintf(path, sizeof(path), NOTICE_PATH_FORMAT, records.GetGameID());
    char file[1024];
    std::snprintf(file, sizeof(file), NOTICE_FILE_FORMAT, m_app.GetTempDir().c_str(), records.GetRoomWord3(),
                  records.GetGameID());
    if (m_notices.Start(GetHandle(), records.GetWebHost(), path, file) == 0)
        net::LogPrintf("the notice download could not start");
}

void CGameFrameWnd::OnNoticeDownloaded(uint32_t job_id)
{
    const std::shared_ptr<NoticeDownloadJob> job = m_notices.Take(job_id);
    if (!job || !job->done.load() || job->error.load() != 0)
        return;
    const auto bytes = platform::ReadFileBytes(job->local_file, NOTICE_MAX_BYTES);
    if (const auto os_path = platform::ToOsPath(job->local_file))
        (void)std::remove(os_path->c_str());
    if (bytes)
        ShowNoticeText(std::string(bytes->begin(), bytes->end()));
}

void CGameFrameWnd::ShowNoticeText(const std::string& text)
{
    if (m_app.Links().side_panel)
        m_app.Links().side_panel->SendPanelEvent(GAMEMSG_NOTICE_TEXT, reinterpret_cast<uintptr_t>(text.c_str()));
}

// --- The wait dialog over the engine's frame

bool CGameFrameWnd::Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                            std::span<const engine::EngineRect> changed)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || pitch < width * 4)
        return false;
    if (m_wait_dialog == nullptr || (!m_wait_dialog->IsShown() && !m_dialog_drawn))
        return engine::CVelotrixWnd::Present(pixels, width, height, pitch, changed);
    // Kept, so that the dialog can be drawn anew between engine frames.
    m_frame_width = width;
    m_frame_height = height;
    m_frame.resize(size_t(width) * size_t(height) * 4);
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(pixels + size_t(y) * size_t(pitch), size_t(width) * 4, m_frame.data() + size_t(y) * size_t(width) * 4);
    PresentWithDialog();
    return true;
}

void CGameFrameWnd::OnFrameTick()
{
    engine::CVelotrixWnd::OnFrameTick();
    if (m_wait_dialog == nullptr || m_wait_dialog->GetRevision() == m_dialog_revision)
        return;
    if (!m_frame.empty()) {
        PresentWithDialog();
    } else if (m_wait_dialog->IsShown()) {
        // No frame kept yet: the paint module shows its whole surface again,
        // and Present keeps it with the dialog drawn over it.
        m_dialog_revision = m_wait_dialog->GetRevision();
        GetCore().SendMessage(engine::VELOTRIX_MODULE_PAINT, engine::VELOTRIX_MSG_PAINT, 0, 0);
    }
}

uint32_t CGameFrameWnd::GetWorkDueIn()
{
    if (m_wait_dialog != nullptr && (m_wait_dialog->IsShown() || m_dialog_drawn))
        return 0;
    return engine::CVelotrixWnd::GetWorkDueIn();
}

void CGameFrameWnd::PresentWithDialog()
{
    m_dialog_revision = m_wait_dialog->GetRevision();
    m_composed = m_frame;
    const PixelTarget target { m_composed, m_frame_width, m_frame_height, m_frame_width * 4 };
    auto* objects = dynamic_cast<engine::ObjectModule*>(GetCore().GetModule(engine::VELOTRIX_MODULE_OBJECT));
    // The dialog's text goes through the shared text renderer.
    if (objects)
        objects->LockTextRenderer();
    m_dialog_drawn = m_wait_dialog->Draw(target);
    if (objects)
        objects->UnlockTextRenderer();
    (void)engine::CVelotrixWnd::Present(m_composed.data(), m_frame_width, m_frame_height, m_frame_width * 4, {});
    if (!m_dialog_drawn)
        m_frame.clear();
}

} // namespace client
