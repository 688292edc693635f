#include "client/CGameApp.h"
#include "client/CRefusalLog.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cerrno>

#include "client/CGameFrameWnd.h"
#include "client/FrameUIFactory.h"
#include "client/HallPaths.h"
#include "engine/core/GuiContainer.h"
#include "net/NetLog.h"
#include "net/PacketKeys.h"
#include "platform/Ini.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"
#include "platform/Window.h"

namespace client {

namespace {

constexpr const char* SKIN_COLOR_SECTION = "CommColors";
constexpr const char* SKIN_COLOR_KEYS[7] = {
    "AdvHeader", "AdvText", "AdvBk", "AdvGrid", "PlayerViewHeader", "PlayerViewText", "TitleText",
};
constexpr ColorRef SKIN_COLOR_DEFAULTS[7] = {
    MakeRgb(8, 88, 53), 0, MakeRgb(225, 241, 229), MakeRgb(216, 230, 217), 0, 0, 0,
};
constexpr const char* HALL_INI_BASE_NAME = "VuduDiro";
constexpr uint32_t CONNECT_FAILURE_PAUSE_MS = 2000;
constexpr uint32_t VERSION_FAILURE_PAUSE_MS = 3000;
constexpr int FALLBACK_SCREEN_WIDTH = 1024;
constexpr int FALLBACK_SCREEN_HEIGHT = 768;
constexpr int CAPTION_HEIGHT = 23;

void SleepMilliseconds(uint32_t milliseconds)
{
    timespec span { static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L };
    while (nanosleep(&span, &span) != 0 && errno == EINTR) {
    }
}

std::pair<int, int> ScreenSize()
{
    return platform::CNativeWindow::GetDesktopSize().value_or(
        std::make_pair(FALLBACK_SCREEN_WIDTH, FALLBACK_SCREEN_HEIGHT));
}

} // namespace

CGameApp::CGameApp(std::string game_code, int32_t default_port, int32_t major_version, int32_t minor_version)
    : m_game_code(std::move(game_code))
    , m_default_port(default_port)
    , m_major_version(major_version)
    , m_minor_version(minor_version)
    , m_sleep(SleepMilliseconds)
    , m_random([] { return std::rand(); })
{
    m_small_screen = IsSmallScreenWidth(ScreenSize().first);
    m_records.SetMatchRoom(platform::GetProfileInt("Test", "IsMatch", 0, GetGameIniPath()) != 0);
    LoadSkinColors();
}

CGameApp::~CGameApp()
{
    {
        std::lock_guard lock(m_sign_mutex);
        m_sign_requests.clear();
    }
    if (m_relaunch_on_exit)
        Relaunch();
    m_main_window.reset();
    m_records.ClearRoomTexts();
}

void CGameApp::LoadSkinColors()
{
    const std::string skin_ini = GetSkinIniPath();
    for (size_t i = 0; i < std::size(m_colors); ++i) {
        const std::string text =
            skin_ini.empty() ? std::string() : platform::GetProfileString(SKIN_COLOR_SECTION, SKIN_COLOR_KEYS[i], "", skin_ini);
        m_colors[i] = ParseRgbText(text, SKIN_COLOR_DEFAULTS[i]);
    }
}

void CGameApp::SetReplayMode(int replay)
{
    m_replay_mode = replay;
    if (replay != 0)
        m_run_mode = RUN_MODE_STAND_ALONE;
}

int32_t CGameApp::GetTableHeaderWord35() const
{
    return IsReplayMode() ? 0 : m_records.GetTableHeaderWord35();
}

void CGameApp::Sleep(uint32_t milliseconds) const
{
    if (m_sleep)
        m_sleep(milliseconds);
}

int CGameApp::Random() const
{
    return m_random ? m_random() : 0;
}

void CGameApp::PostToMainWindow(uint32_t id)
{
    if (m_main_window)
        platform::PostMessage(m_main_window->GetHandle(), id);
}

void CGameApp::SetVersionValues(int32_t value1, int32_t value2)
{
    m_version_value1 = value1;
    m_version_value2 = value2;
}

void CGameApp::FixOwnChair()
{
    if (m_records.Launch().chair_no == -1)
        m_records.Launch().chair_no = 0;
}

// --- Files and folders

std::string CGameApp::GetModuleDir() const
{
    return platform::GetProgramFolder();
}

std::string CGameApp::GetGameIniPath() const
{
    // Written at run time, so it lives in the user's data folder; the copy
    // beside the program is the default it starts from.
    const std::string name = m_game_code + ".ini";
    const std::string user_path = platform::GetUserDataFolder() + name;
    if (!platform::PathExists(user_path)) {
        const std::string default_path = GetModuleDir() + name;
        if (auto bytes = platform::ReadFileBytes(default_path, 1 << 20)) {
            if (auto file = platform::OpenFile(user_path, "wb"))
                std::fwrite(bytes->data(), 1, bytes->size(), file.get());
        }
    }
    return user_path;
}

std::string CGameApp::GetSkinIniPath() const
{
    const std::string game_ini = GetGameIniPath();
    if (platform::PathExists(game_ini)) {
        const std::string path = platform::GetProfileString("SKIN", "Path", "", game_ini);
        if (!path.empty())
            return path;
    }
    const std::string default_skin = GetModuleDir() + "skins\\skin.ini";
    return platform::PathExists(default_skin) ? default_skin : std::string();
}

std::string CGameApp::GetHallIniPath() const
{
    return GetExeDirPath() + HALL_INI_BASE_NAME + ".ini";
}

std::string CGameApp::GetTempDir() const
{
    const std::string folder = platform::GetUserDataFolder() + "temp\\";
    (void)platform::MakeDirectoryTree(folder);
    return folder;
}

std::string CGameApp::GetPortraitDir() const
{
    return GetExeDirPath() + "Share\\Image\\portrait\\";
}

std::string CGameApp::GetCharacterDir(int32_t character) const
{
    return GetExeDirPath() + "Share\\Image\\Character\\" + std::to_string(character) + "\\";
}

std::string CGameApp::GetUserDataPath() const
{
    return platform::GetUserDataFolder() + "users\\" + std::to_string(m_records.GetUserID()) + ".dat";
}

// --- Start and exit

bool CGameApp::InitInstance()
{
    net::LogInit(GAME_LOG_NAME, GAME_LOG_FLAGS);
    if (!ParseHallCommandLine())
        return false;
    // The control container, the 3D controls, the socket window class and the
    // socket library need nothing on this system: sockets are always there.
    if (!StartCommThread()) {
        platform::ShowMessageBox(platform::WindowHandle::None, "通讯线程创建失败。", m_game_code, platform::MB_ICONERROR);
        return false;
    }
    return ConnectGameServer();
}

bool CGameApp::StartCommThread()
{
    return m_links.comm_thread == nullptr || m_links.comm_thread->Start();
}

bool CGameApp::ConnectGameServer()
{
    if (IsStandAlone())
        return true;
    IWaitDialog* wait = m_links.wait_dialog;
    if (wait)
        wait->ShowText("正在连接游戏服务器......");

    IGameServerLink* connection = m_links.connection;
    bool used_proxy = false;
    bool connected = false;
    if (connection) {
        connection->LoadProxySettings(GetHallIniPath());
        connection->SetCipherKey(std::span<const uint8_t>(net::PACKET_KEY));
        connection->SetNotifyThread(m_links.comm_thread ? m_links.comm_thread->GetThreadId() : 0);
        connected = connection->Connect("", m_records.GetServerIP(), m_records.Launch().server_port, used_proxy);
    }
    if (!connected) {
        char text[256];
        if (used_proxy)
            std::snprintf(text, sizeof(text), "无法连接代理服务器【%s】，请检查设置是否正确。",
                          connection->GetProxyHost().c_str());
        else
            std::snprintf(text, sizeof(text), "无法连接游戏服务器，请稍后再试。");
        if (wait)
            wait->ShowText(text);
        net::LogPrintf("%s", text);
        Sleep(CONNECT_FAILURE_PAUSE_MS);
        ReportStatusToHall(0);
        return false;
    }
    std::string error;
    int32_t value1 = 0;
    int32_t value2 = 0;
    if (!connection->CheckVersion(error, value1, value2)) {
        if (wait)
            wait->ShowText(error);
        net::LogPrintf("%s", error.c_str());
        Sleep(VERSION_FAILURE_PAUSE_MS);
        ReportStatusToHall(0);
        return false;
    }
    SetVersionValues(value1, value2);
    if (!m_keep_wait_text && wait)
        wait->Hide();
    return true;
}

std::unique_ptr<CGameFrameWnd> CGameApp::NewMainWindow()
{
    return std::make_unique<CGameFrameWnd>(*this);
}

std::unique_ptr<engine::CGuiContainer> CGameApp::CreateFrameUI()
{
    if (IFrameUIFactory* factory = GetFrameUIFactory())
        return factory->CreateFrameUI(*this);
    return std::make_unique<engine::CGuiContainer>();
}

bool CGameApp::CreateMainWindow()
{
    const auto [width, height] = ScreenSize();
    std::unique_ptr<CGameFrameWnd> window = NewMainWindow();
    platform::NativeWindowOptions options;
    options.title = m_records.GetGameName().empty() ? m_game_code : m_records.GetGameName();
    options.width = width;
    options.height = std::max(1, height - 2 * CAPTION_HEIGHT);
    options.resizable = true;
    if (!window || window->Create(options) == 0)
        return false;
    m_main_window = std::move(window);
    if (m_main_window->StartEngine(CreateFrameUI(), nullptr) == 0)
        return false;
    if (platform::CNativeWindow* native = m_main_window->GetNativeWindow())
        native->BringToFront();
    NotifyHallStarted(m_main_window->GetRemoteHandle());
    return true;
}

bool CGameApp::ConnectByMode()
{
    return IsMatch() ? EnterMatch() : LogonGame();
}

bool CGameApp::LogonGame()
{
    if (!RunEntryRequest(&IGameServerLink::Logon))
        return false;
    if (m_main_window && !IsStandAlone())
        m_main_window->StartPulse();
    return true;
}

bool CGameApp::EnterMatch()
{
    return RunEntryRequest(&IGameServerLink::EnterGame);
}

bool CGameApp::RunEntryRequest(bool (IGameServerLink::*request)(std::string&))
{
    if (IsStandAlone())
        return true;
    std::string error = "无法连接游戏服务器，请稍后再试。";
    if (m_links.connection && (m_links.connection->*request)(error)) {
        if (m_links.wait_dialog)
            m_links.wait_dialog->Hide();
        return true;
    }
    if (m_links.wait_dialog)
        m_links.wait_dialog->ShowText(error);
    Sleep(CONNECT_FAILURE_PAUSE_MS);
    PostToMainWindow(platform::WM_CLOSE);
    return false;
}

void CGameApp::SendLeaveRequest()
{
    if (!m_links.connection)
        return;
    m_links.connection->LeaveTable(m_records.GetUserID(), m_records.GetChairNO());
    m_links.connection->Close();
}

int CGameApp::ExitInstance()
{
    CRefusalLog::Instance().Flush();
    net::LogFree();
    if (m_links.comm_thread)
        m_links.comm_thread->Stop();
    return 0;
}

} // namespace client
