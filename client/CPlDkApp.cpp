#include "client/CPlDkApp.h"

#include <cstdio>
#include <cstdlib>

#include "client/CGameConnection.h"
#include "client/CGameFrameWnd.h"
#include "client/CRefusalLog.h"
#include "client/ClientText.h"
#include "client/FrameUIFactory.h"
#include "engine/core/GuiContainer.h"
#include "platform/Ini.h"
#include "platform/Tick.h"
#include "platform/Window.h"

namespace client {

namespace {

constexpr const char* STAND_ALONE_SERVER = "127.0.0.1";
constexpr const char* STAND_ALONE_GAME_NAME = "本地测试";
constexpr int32_t STAND_ALONE_GAME_ID = 30;
constexpr int32_t LOCAL_SEAT_USER_BASE = 10;
constexpr int32_t LOCAL_LOOKER_USER_BASE = 20;
constexpr int32_t LOCAL_SEAT_SILVER = 99999999;
constexpr const char* LOCAL_LEVEL_TITLES[PLDK_CHAIRS] = { "新手", "学徒", "高手", "大师" };
constexpr const char* LOCAL_SECOND_NAMES[PLDK_CHAIRS] = { "东", "南", "西", "北" };

// Without an installed frame UI (tests of the application alone), the root
// object of the main window only does what the frame UI's start hook must:
// start the connection.
class CStartRoot final : public engine::CGuiContainer {
public:
    explicit CStartRoot(CGameApp& app) : m_app(app) {}
    void OnStart() override { (void)m_app.ConnectByMode(); }

private:
    CGameApp& m_app;
};


} // namespace

CPlDkApp::CPlDkApp() : CCardGameApp(PLDK_GAME_CODE, DEFAULT_SERVER_PORT, PLDK_MAJOR_VERSION, PLDK_MINOR_VERSION)
{
    AppLinks links;
    links.connection = &m_connection;
    links.comm_thread = &m_comm_thread;
    links.wait_dialog = &m_comm_thread;
    SetLinks(links);
}

CPlDkApp::~CPlDkApp()
{
    if (CGameFrameWnd* window = GetMainWindow())
        window->SetNotifyHandler(nullptr);
}

std::unique_ptr<CGameFrameWnd> CPlDkApp::NewMainWindow()
{
    std::unique_ptr<CGameFrameWnd> window = CCardGameApp::NewMainWindow();
    window->SetNotifyHandler(&m_notify_handler);
    return window;
}

std::unique_ptr<engine::CGuiContainer> CPlDkApp::CreateFrameUI()
{
    if (IFrameUIFactory* factory = GetFrameUIFactory())
        return factory->CreateFrameUI(*this);
    return std::make_unique<CStartRoot>(*this);
}

void CPlDkApp::ReadGameSettings()
{
    const std::string ini = GetGameIniPath();
    m_sound_effect = platform::GetProfileInt(GAMESET_SECTION, "SoundEffect", 0, ini);
    m_music = platform::GetProfileInt(GAMESET_SECTION, "Music", 0, ini);
    m_reject_kan_pai_ask = platform::GetProfileInt(GAMESET_SECTION, "RejectKanPaiAsk", 0, ini);
    m_reject_pass_sound = platform::GetProfileInt(GAMESET_SECTION, "RejectPassSound", 0, ini);
    m_sort_type = platform::GetProfileInt(GAMESET_SECTION, "SortType", 1, ini);
}

int CPlDkApp::ExitInstance()
{
    const std::string ini = GetGameIniPath();
    const std::pair<const char*, int32_t> settings[] = {
        { "SoundEffect", m_sound_effect }, { "Music", m_music }, { "RejectKanPaiAsk", m_reject_kan_pai_ask },
        { "RejectPassSound", m_reject_pass_sound }, { "SortType", m_sort_type },
    };
    for (const auto& [key, value] : settings)
        (void)platform::WriteProfileString(GAMESET_SECTION, key, std::to_string(value), ini);
    return CCardGameApp::ExitInstance();
}

void CPlDkApp::SetStandAloneDefaults()
{
    HallLaunchFields& launch = Records().Launch();
    launch.user_id = 0;
    launch.hall_value5 = 1;
    launch.game_id = STAND_ALONE_GAME_ID;
    launch.hall_value3 = 0;
    launch.hall_window = 0;
    launch.restart_marker = 0;
    launch.table_no = 0;
    launch.chair_no = 0;
    launch.look_on = 0;
    launch.server_ip = STAND_ALONE_SERVER;
    launch.game_name = STAND_ALONE_GAME_NAME;
}

bool CPlDkApp::InitInstance()
{
    RegisterReplayFileType();
    ReadGameSettings();
    OpenReplayFromCommandLine();
    if (IsStandAlone())
        SetStandAloneDefaults();
    m_comm_thread.SetSkinIniPath(GetSkinIniPath());
    if (!CGameApp::InitInstance())
        return false;
    if (!CreateMainWindow())
        return false;
    if (IsStandAlone() && !IsReplayMode()) {
        FillLocalTestPlayers();
        PostToMainWindow(UM_GAME_INIT_DONE);
    } else if (IsReplayMode()) {
        Records().Table().player_count = PLDK_CHAIRS;
        PostToMainWindow(UM_GAME_INIT_DONE);
    }
    return true;
}

void CPlDkApp::FillLocalTestPlayers()
{
    CClientRecords& records = Records();
    records.Header().player_count = PLDK_CHAIRS;
    records.Table().player_count = PLDK_CHAIRS;
    CopyTextField(records.Room().area_name, "本地测试区");
    CopyTextField(records.Room().room_name, "本地测试房间");
    CopyTextField(records.Room().advert_host, "localhost");
    CopyTextField(records.Room().notice_host, "localhost");
    for (int i = 0; i < PLDK_CHAIRS; ++i) {
        GameUserRecord& seat = *records.Seat(i);
        seat.user_id = LOCAL_SEAT_USER_BASE + i;
        seat.chair = i;
        seat.table_no = 0;
        char name[32];
        std::snprintf(name, sizeof(name), "玩家%d", i + 1);
        CopyTextField(seat.name, name);
        seat.score = Random() % 999999;
        seat.wins = Random() % 1000;
        seat.losses = Random() % 1000;
        seat.draws = Random() % 1000;
        seat.games = seat.wins + seat.losses + seat.draws;
        seat.statistics2[0] = Random() % 1000;
        seat.statistics2[1] = Random() % 1000 + 100;
        seat.online_minutes = Random() % 1000000;

        GameUserRecord& looker = *records.OtherUser(i);
        looker.user_id = LOCAL_LOOKER_USER_BASE + i;
        looker.chair = i;
        looker.look_on = 1;
        std::snprintf(name, sizeof(name), "旁观%d", i + 1);
        CopyTextField(looker.name, name);
    }
    for (int i = 0; i < PLDK_CHAIRS; ++i) {
        GameUserRecord& seat = *records.Seat(i);
        CopyTextField(seat.level_title, LOCAL_LEVEL_TITLES[i]);
        CopyTextField(seat.second_name, LOCAL_SECOND_NAMES[i]);
    }
    records.Seat(0)->silver = LOCAL_SEAT_SILVER;
    std::srand(platform::GetTickCount());
    for (int i = 1; i < PLDK_CHAIRS; ++i)
        records.Seat(i)->statistics[0] = Random() % 116;
    for (int32_t v = 1000100; v < 1010100; v += 100) {
        const int32_t values[PLDK_CHAIRS] = { v, v + 1, v + 2, v + 3 };
        AddRoundResult(values);
    }
    ShowAdvertBar();
}

void CPlDkApp::ShowMainWindow()
{
    CGameFrameWnd* window = GetMainWindow();
    if (!window || !window->GetNativeWindow())
        return;
    platform::CNativeWindow& native = *window->GetNativeWindow();
    native.Maximize();
    native.BringToFront();
    native.SetTitle(Records().GetGameName().empty() ? GetGameCode() : Records().GetGameName());
}

void CPlDkApp::LoadStateBlock2(std::span<const uint8_t> bytes)
{
    if (!m_game_state.LoadTableData(bytes))
        CRefusalLog::Instance().Refuse(GR_LOGON, "a table record of %zu bytes the rules refuse", bytes.size());
}

} // namespace client
