// CGameApp: the application object, root of the client. It carries the game's
// identity (game code, default port, version), the run mode, the records of
// room, table and players (CClientRecords), the flags of the close and
// connection roads, the skin colours and the main window; its InitInstance
// brings the program from the command line to a connected main window and
// ExitInstance takes it down. CCardGameApp (card-game layer) and CPlDkApp
// (this game) derive from it.
//
// The parts above it (frame UI, side panel, main game) and the connection,
// communication thread and wait dialog are reached through AppLinks; each may
// be absent, and the application's services then do nothing for it.
//
// Owner: the program's entry owns the one application object. Thread: UI
// thread, except OnSignReply (any thread: the hall's answers arrive on the
// endpoint's own thread while the UI thread waits for them).
// Hazards: records from the hall and the server are checked before use (see
// HallLaunchData.h and CClientRecords.h). Run mode 1 (stand-alone) never
// parses the command line, never connects and never reports to the hall.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "client/AppLinks.h"
#include "client/CClientRecords.h"
#include "client/TextFunctions.h"
#include "platform/Event.h"
#include "platform/RemoteWindow.h"

namespace engine {
class CGuiContainer;
}

namespace client {

class CGameFrameWnd;
class CGameStateHolder;

/// The size of the advert address field (a longer address is cut).
inline constexpr size_t ADVERT_ADDRESS_BYTES = 256;

inline constexpr int RUN_MODE_HALL = 0;
inline constexpr int RUN_MODE_STAND_ALONE = 1;

/// Private messages of the main window and the communication thread.
inline constexpr uint32_t UM_COMM_SET_TARGET = 0x854D;
inline constexpr uint32_t UM_GAME_INIT_DONE = 0x85B1;
inline constexpr uint32_t UM_SHOW_SYSTEM_TEXT = 0x85B5;

/// Application events to the side panel.
inline constexpr uint32_t GAMEMSG_ADVERT_BAR = 80000054;
inline constexpr uint32_t GAMEMSG_USER_LIST_REFRESH = 80000055;
inline constexpr uint32_t GAMEMSG_USER_LIST_UPDATE = 80000056;

/// The library log's name and flags for the client.
inline constexpr const char* GAME_LOG_NAME = "Game";
inline constexpr uint32_t GAME_LOG_FLAGS = 0xA001D;

class CGameApp {
public:
    CGameApp(std::string game_code, int32_t default_port, int32_t major_version, int32_t minor_version);
    virtual ~CGameApp();
    CGameApp(const CGameApp&) = delete;
    CGameApp& operator=(const CGameApp&) = delete;

    // --- Start and exit
    [[nodiscard]] virtual bool InitInstance();
    virtual int ExitInstance();
    /// The arguments the program was started with, joined by blanks.
    void SetCommandLine(std::string command_line) { m_command_line = std::move(command_line); }
    [[nodiscard]] const std::string& GetCommandLine() const { return m_command_line; }
    [[nodiscard]] bool ConnectGameServer();
    [[nodiscard]] virtual bool CreateMainWindow();
    [[nodiscard]] virtual std::unique_ptr<engine::CGuiContainer> CreateFrameUI();
    [[nodiscard]] virtual bool ConnectByMode();
    [[nodiscard]] virtual bool EnterMatch();
    [[nodiscard]] virtual bool LogonGame();
    virtual void SendLeaveRequest();
    [[nodiscard]] CGameFrameWnd* GetMainWindow() const { return m_main_window.get(); }

    // --- Identity, modes and flags
    [[nodiscard]] const std::string& GetGameCode() const { return m_game_code; }
    [[nodiscard]] int32_t GetDefaultPort() const { return m_default_port; }
    [[nodiscard]] int32_t GetMajorVersion() const { return m_major_version; }
    [[nodiscard]] int32_t GetMinorVersion() const { return m_minor_version; }
    [[nodiscard]] int GetRunMode() const { return m_run_mode; }
    /// The entry's local-test switch: stand-alone without a replay file.
    void SetRunMode(int run_mode) { m_run_mode = run_mode; }
    virtual void SetReplayMode(int replay);
    [[nodiscard]] virtual bool IsReplayMode() const { return m_replay_mode != 0; }
    [[nodiscard]] bool IsStandAlone() const { return m_run_mode == RUN_MODE_STAND_ALONE; }
    [[nodiscard]] static bool IsSmallScreenWidth(int width) { return width <= 800; }
    [[nodiscard]] bool IsSmallScreen() const { return m_small_screen; }
    [[nodiscard]] virtual bool IsMatch() const { return m_records.IsMatchRoom(); }
    [[nodiscard]] virtual bool IsPlaying() const { return m_playing; }
    virtual void SetPlaying() { m_playing = true; }
    virtual void ClearPlaying() { m_playing = false; }
    void SetHallStatusKind(bool playing_kind) { m_hall_status_kind = playing_kind; }
    [[nodiscard]] bool GetHallStatusKind() const { return m_hall_status_kind; }
    void SetRelaunchOnExit(bool relaunch) { m_relaunch_on_exit = relaunch; }
    [[nodiscard]] bool GetRelaunchOnExit() const { return m_relaunch_on_exit; }
    void SetKeepWaitText(bool keep) { m_keep_wait_text = keep; }
    [[nodiscard]] int32_t GetVersionValue1() const { return m_version_value1; }
    [[nodiscard]] int32_t GetVersionValue2() const { return m_version_value2; }
    [[nodiscard]] virtual int GetChairCount() const = 0;
    /// The log-on word: 1 after a log-on that seated this player.
    void SetLogonWord(int32_t word) { m_logon_word = word; }
    [[nodiscard]] int32_t GetLogonWord() const { return m_logon_word; }
    /// The log-on answers' state blocks; this game keeps them in its
    /// game-state holder. Each copies no more than it holds.
    virtual void LoadStateBlock(std::span<const uint8_t>) {}
    virtual void LoadStateBlock2(std::span<const uint8_t>) {}
    [[nodiscard]] virtual bool HasRoomConfigsEx20000() const { return m_records.HasRoomConfigsEx20000(); }
    [[nodiscard]] virtual int32_t GetTableHeaderWord35() const;
    [[nodiscard]] virtual bool IsGameNotStarted() const { return m_records.IsGameNotStarted(GetGamePhase()); }
    [[nodiscard]] virtual bool IsSafeBoxOfferEnabled() const { return false; }
    /// Word 1 of the game-state holder: the tick of the own exit request; 0 without one.
    [[nodiscard]] virtual uint32_t GetExitRequestTick() const { return 0; }
    /// The game's game-state holder; null in the framework.
    [[nodiscard]] virtual CGameStateHolder* GetGameStateHolder() { return nullptr; }
    /// The game-state holder's words after its first two (the seat flags at
    /// 5-12, the countdown length at 14); empty in the framework.
    [[nodiscard]] virtual std::span<int32_t> GetStateBlock() { return {}; }

    // --- Records and links
    [[nodiscard]] CClientRecords& Records() { return m_records; }
    [[nodiscard]] const CClientRecords& Records() const { return m_records; }
    void SetLinks(const AppLinks& links) { m_links = links; }
    /// Links one part; a part takes its link out as it goes (DropLink), so
    /// no link outlives its part whatever the order the parts go in.
    template <typename T>
    void SetLink(T* AppLinks::*link, std::type_identity_t<T>* part)
    {
        m_links.*link = part;
    }
    /// Takes a link out when it still leads to `part`.
    template <typename T>
    void DropLink(T* AppLinks::*link, const std::type_identity_t<T>* part)
    {
        if (m_links.*link == part)
            m_links.*link = nullptr;
    }
    [[nodiscard]] const AppLinks& Links() const { return m_links; }
    /// Waits without doing anything (the failure texts stay up this long);
    /// tests replace it.
    void SetSleepFunction(std::function<void(uint32_t)> sleep) { m_sleep = std::move(sleep); }
    /// The random numbers of the local test mode (tests make them fixed).
    void SetRandomFunction(std::function<int()> random) { m_random = std::move(random); }

    // --- Files and folders (GBK program paths)
    [[nodiscard]] std::string GetModuleDir() const;
    [[nodiscard]] std::string GetGameIniPath() const;
    [[nodiscard]] std::string GetSkinIniPath() const;
    [[nodiscard]] std::string GetHallIniPath() const;
    [[nodiscard]] std::string GetTempDir() const;
    [[nodiscard]] virtual std::string GetPortraitDir() const;
    [[nodiscard]] virtual std::string GetCharacterDir(int32_t character) const;
    [[nodiscard]] std::string GetUserDataPath() const;

    // --- Skin colours
    [[nodiscard]] ColorRef GetAdvHeaderColor() const { return m_colors[0]; }
    [[nodiscard]] ColorRef GetAdvTextColor() const { return m_colors[1]; }
    [[nodiscard]] ColorRef GetAdvBkColor() const { return m_colors[2]; }
    [[nodiscard]] ColorRef GetAdvGridColor() const { return m_colors[3]; }
    [[nodiscard]] ColorRef GetPlayerViewHeaderColor() const { return m_colors[4]; }
    [[nodiscard]] ColorRef GetPlayerViewTextColor() const { return m_colors[5]; }
    [[nodiscard]] ColorRef GetTitleTextColor() const { return m_colors[6]; }
    void LoadSkinColors();

    // --- The hall (CGameAppHall.cpp)
    [[nodiscard]] bool ParseHallCommandLine();
    virtual void LaunchHall();
    virtual void Relaunch();
    virtual bool RunSelfWithArgs(const std::string& text);
    void NotifyHallStarted(platform::RemoteHandle window);
    void ReportStatusToHall(int32_t status);
    bool AskHallOpenURL(const std::string& url, int32_t mode);
    [[nodiscard]] std::string RequestHallSign();
    [[nodiscard]] virtual std::string GetSignParams(const std::string& url, bool with_sign);
    /// A deciphered WM_COPYDATA record from the hall, by kind.
    void OnHallCopyData(uint32_t kind, std::span<const uint8_t> payload);
    [[nodiscard]] bool InitMatchFromHall(std::span<const uint8_t> payload);
    [[nodiscard]] bool InitGameFromHall(std::span<const uint8_t> payload);
    /// The hall's answer to a sign request. Any thread.
    void OnSignReply(std::span<const uint8_t> payload);
    /// The hall window as the launch fields name it.
    [[nodiscard]] platform::RemoteHandle GetHallWindow() const;
    [[nodiscard]] bool IsHallWindowAlive() const;

    // --- The wait dialog and web pages (CGameAppWeb.cpp)
    /// The text in the wait dialog for `seconds`.
    void ShowWaitTextTimed(const std::string& text, uint32_t seconds);
    /// Opens a page in the user's browser, with the sign parameters when asked.
    virtual void OpenURL(const std::string& url, bool with_sign);

    // --- Services for replies, boards and results (CGameAppServices.cpp)
    void ShowSystemMessage(const std::string& text);
    void ShowMessageBoard(const MessageBoardRequest& request);
    void ShowExitMessageBoard(const ExitBoardRequest& request);
    void ShowExitUrlMessageBoard(const ExitUrlBoardRequest& request);
    virtual void OnLogonReply210200();
    virtual void OnLogonReply210210();
    virtual void OnLogonReply210220();
    /// The enter reply of a match room: false when the reply is too short.
    virtual bool ApplyMatchPlayerInfo(std::span<const uint8_t> reply);
    virtual void OnEnterNotSignedUp(std::span<const uint8_t> reply);
    virtual void OnEnterWashedOut(std::span<const uint8_t> reply);
    virtual void OnEnterMatchEnded(std::span<const uint8_t> reply);
    virtual void OnEnterMatchLate(std::span<const uint8_t> reply);
    virtual void OnEnterMatchStarted(std::span<const uint8_t> reply);
    virtual void OnEnterSystemCancel(std::span<const uint8_t> reply);
    virtual void OnEnterSelfCancel(std::span<const uint8_t> reply);
    virtual void OnEnterSignUpChecking(std::span<const uint8_t> reply);
    virtual void OnEnterSignUpRejected(std::span<const uint8_t> reply);
    virtual void ShowTextAndQuit(const std::string& text);
    virtual void CheckSilverTooLittle(std::span<const uint8_t> record);
    virtual void CheckSilverTooMuch(std::span<const uint8_t> record);
    virtual void ShowLowIncomeFailure(int32_t result, const std::string& text);
    virtual void ShowSilverGift(int32_t result, const std::string& text, int32_t place, int32_t amount);
    virtual void ShowAdvertBar();
    virtual void RefreshUserList();
    virtual void UpdateUserList();
    [[nodiscard]] std::string GetAdvertURL() const;
    [[nodiscard]] std::string GetPayURL() const;
    virtual void ResetRoundHistory();
    virtual void AddRoundResult(std::span<const int32_t> values);
    /// A round's result record (108 words). False, nothing changed, when short.
    virtual bool ApplyRoundResult(std::span<const uint8_t> record);
    virtual bool ApplySingleResult(std::span<const uint8_t> record);
    virtual bool ApplySilverChange(std::span<const uint8_t> record);
    virtual bool ApplySeatNames(std::span<const uint8_t> record);
    /// The advert address a notification gave, cut to its field; empty
    /// until one arrived.
    void SetAdvertAddress(std::string_view address);
    [[nodiscard]] std::string GetAdvertAddress() const;
    /// Orders the match ranking, then tells the side panel and the main game.
    void SortMatchRanking();
    /// The answers of the scene's requests 214010 and 214000: the request's
    /// result, its text and the values it was sent with, and its answer block
    /// (124 bytes) or result word. Nothing happens with them here.
    virtual void OnReply214010(int result, const std::string& text, int32_t value, std::span<const uint8_t> block)
    {
        (void)result, (void)text, (void)value, (void)block;
    }
    virtual void OnReply214000(int result, const std::string& text, int32_t first, int32_t second, int32_t word)
    {
        (void)result, (void)text, (void)first, (void)second, (void)word;
    }
    /// The last round-result record, kept whole.
    [[nodiscard]] const std::vector<uint8_t>& GetLastRoundResult() const { return m_last_round_result; }

protected:
    /// The main window's object; this game's application makes its own kind.
    [[nodiscard]] virtual std::unique_ptr<CGameFrameWnd> NewMainWindow();
    /// Word 0 of the game-state holder (the game phase); 0 without one.
    [[nodiscard]] virtual int32_t GetGamePhase() const { return 0; }
    void Sleep(uint32_t milliseconds) const;
    [[nodiscard]] int Random() const;
    void PostToMainWindow(uint32_t id);
    void SetVersionValues(int32_t value1, int32_t value2);
    /// The own chair -1 becomes 0 (after a log-on or enter reply).
    void FixOwnChair();

private:
    struct SignRequest {
        int32_t id = 0;
        int32_t user_id = 0;
        std::string token;
        std::shared_ptr<platform::CEvent> answered;
        platform::ThreadId waiter = 0; ///< woken when the answer is in
    };

    bool StartCommThread();
    /// Log-on or enter: the wait dialog hides on success; on failure its
    /// text shows, and the main window closes after a pause.
    bool RunEntryRequest(bool (IGameServerLink::*request)(std::string&));
    void HandleLaunchData(std::span<const uint8_t> payload);
    void HandleHallRequest(std::span<const uint8_t> payload);
    void HandleShowUser(std::span<const uint8_t> payload);
    bool EnsureSignEndpoint();

    std::string m_game_code;
    int32_t m_default_port;
    int32_t m_major_version;
    int32_t m_minor_version;
    int m_run_mode { RUN_MODE_HALL };
    int m_replay_mode { 0 };
    bool m_small_screen { false };
    CClientRecords m_records;
    bool m_playing { false };
    bool m_hall_status_kind { false };
    bool m_relaunch_on_exit { false };
    bool m_keep_wait_text { false };
    int32_t m_logon_word { 0 };
    int32_t m_version_value1 { 0 };
    int32_t m_version_value2 { 0 };
    ColorRef m_colors[7] {};
    std::string m_command_line;
    AppLinks m_links;
    std::function<void(uint32_t)> m_sleep;
    std::function<int()> m_random;
    std::vector<uint8_t> m_last_round_result;
    char m_advert_address[ADVERT_ADDRESS_BYTES] {};

    std::mutex m_sign_mutex;
    std::vector<SignRequest> m_sign_requests;
    int32_t m_next_sign_id { 1 };
    std::unique_ptr<platform::CRemoteWindowEndpoint> m_sign_endpoint;

    // Destroyed first: the window's handlers reach the members above.
    std::unique_ptr<CGameFrameWnd> m_main_window;
};

} // namespace client
