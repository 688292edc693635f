// What the application reaches of the parts that are built above it or beside
// it: the frame UI, the side panel and the main game (client/panel and
// game/scene implement these), the game-server connection, the communication
// thread and the wait dialog. The application holds each as a non-owning
// pointer that may be null: a service whose part is absent does nothing, as
// the application's operations do when there is no frame UI.
// Owner: the implementers; each takes its own link out of the application in
// its own destructor (the parts may go in any order), and the application
// must outlive them.
// Threads: UI thread, like the application.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "client/UserRecords.h"
#include "engine/core/CanvasServices.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/EngineRect.h"
#include "platform/Message.h"

namespace engine {
class CEngineObject;
}

namespace client {

/// Application events of the dispatcher to the side panel and the frame UI.
/// Events that carry a server body have param1 point to a
/// `std::span<const uint8_t>` of it (the body with its length), valid only
/// while the event is delivered (sent, never posted).
inline constexpr uint32_t GAMEMSG_ID_80000026 = 80000026; ///< to the match list bar
inline constexpr uint32_t GAMEMSG_ID_80000028 = 80000028; ///< param1: the round event word
inline constexpr uint32_t GAMEMSG_PLAYER_CHAT = 80000058;   ///< param1: the body (span)
inline constexpr uint32_t GAMEMSG_CHAT_RECORD = 80000059;   ///< param1: the body (span)
inline constexpr uint32_t GAMEMSG_ADVERT_URL = 80000060;    ///< param1: the address (const std::string*, borrowed)
inline constexpr uint32_t GAMEMSG_AMULET_NOTICE = 80000061; ///< param1: the body (span)
inline constexpr uint32_t GAMEMSG_ADVERT_CYCLE = 80000062;  ///< the advert bar's auto-cycle step
inline constexpr uint32_t GAMEMSG_NOTICE_TEXT = 80000064;   ///< param1: a downloaded notice (const char*, borrowed)
inline constexpr uint32_t GAMEMSG_FRAME_HELP = 80000065;    ///< the frame's help button
inline constexpr uint32_t GAMEMSG_MATCH_SIGNUP = 80000066;  ///< the sign-up button
inline constexpr uint32_t GAMEMSG_MATCH_GIVEUP = 80000067;  ///< the give-up button

/// The six values of a message board: text, answer event, second event and
/// three further values (the seconds it stays, its style, its picture).
/// The text of every board is plain unless it is markup by design (a
/// server's formatted text, the program's own markup): a board that names a
/// player stays Plain.
struct MessageBoardRequest {
    std::string text;
    engine::EngineEvent answer_event {};
    engine::EngineEvent second_event {};
    int32_t seconds = 0;
    int32_t style = 0;
    std::string picture;
    engine::TextKind kind = engine::TextKind::Plain;
};

/// A message board whose answers close the main window or quit.
struct ExitBoardRequest {
    std::string text;
    int32_t seconds = 0;
    int32_t style = 0;
    std::string picture; ///< empty: none
    engine::TextKind kind = engine::TextKind::Plain;
};

/// As ExitBoardRequest, with a web address its first button opens.
struct ExitUrlBoardRequest {
    std::string text;
    std::string url;
    int32_t value3 = 1;
    int32_t seconds = 0;
    int32_t value5 = 1;
    int32_t value6 = 0;
    std::string first_button;
    std::string second_button;
    engine::TextKind kind = engine::TextKind::Plain;
};

/// What the table scene asks of the frame UI it sits in.
class ITableFrame {
public:
    virtual ~ITableFrame() = default;
    /// Shows a box (an object of the frame's) over the frame, above the last.
    virtual void PopupBox(engine::CEngineObject* box) = 0;
    /// The main-game area: left, top, right, bottom.
    [[nodiscard]] virtual engine::EngineRect GetMainGameRect() const = 0;
    virtual void ShowAutoPlay(bool on) = 0;
    virtual void HideMatchWaitAnimations() = 0;
    /// The round-end hook, after the match waiting widgets were hidden.
    virtual void OnRoundEnd() = 0;
    /// Nonzero when the main window is maximised.
    [[nodiscard]] virtual int UpdateMaximizedFlag() = 0;
    /// The frame's engine object id, the target of the seat boards' clicks.
    [[nodiscard]] virtual uint32_t GetFrameObjectId() const = 0;
};

/// The frame UI (CGameFrameUI) as the application reaches it.
class IFrameUI {
public:
    virtual ~IFrameUI() = default;
    virtual void ShowMessageBoard(const MessageBoardRequest& request) = 0;
    virtual void ShowExitMessageBoard(const ExitBoardRequest& request) = 0;
    virtual void ShowExitUrlMessageBoard(const ExitUrlBoardRequest& request) = 0;
    /// The log-on hooks 1 to 3, after the replies 210200, 210210 and 210220.
    virtual void OnLogonReply(int hook) = 0;
    /// The enter hook, after a match room's enter reply was applied.
    virtual void OnEnterReply() = 0;
    // The match banners; each takes the reply's body unchanged.
    virtual void ShowNoSignUpBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowWashoutBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowMatchEndBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowMatchLateBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowMatchStartedBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowSystemCancelBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowSelfCancelBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowWaitSignUpCheckBanner(std::span<const uint8_t> reply) = 0;
    virtual void ShowSystemRejectedBanner(std::span<const uint8_t> reply) = 0;
    virtual void NotifyLookerEnter(const GameUserRecord& user) = 0;
    virtual void NotifySilverChange(std::span<const uint8_t> record) = 0;
    virtual void ShowPlayerDetailFull(std::span<const uint8_t> user_record) = 0;
    /// The user id of the small player board shown now, 0 when none is.
    [[nodiscard]] virtual int32_t GetPlayerBoardSmallUser() const = 0;
    virtual void ShowPlayerBoardSmall(int32_t user_id, int32_t x, int32_t y) = 0;
    /// The seat records took a round's results or the seat names.
    virtual void OnSeatRecords() = 0;

    // What the notification dispatcher calls besides (the main window's
    // calls are IFrameWindowUI's, client/GameNotifyHandler.h).
    // Each does nothing unless the frame UI overrides it (so fakes need not).
    virtual void ShowExitRequest(std::span<const uint8_t>) {}
    virtual void NotifyLookerLeave(const GameUserRecord&) {}
    virtual void NotifyPlayerEnter(const GameUserRecord&) {}
    virtual void NotifyPlayerLeave(const GameUserRecord&) {}
    virtual void NotifyRandomTable() {}
    virtual void NotifyTableChanged() {}
    virtual void ShowEliminationRound() {}
    virtual void OnMatchBegin(std::span<const uint8_t>) {}
    virtual void ShowRemainingTables(std::span<const uint8_t>) {}
    virtual void ShowPlayerDetailData(std::span<const uint8_t>) {}
    virtual void ShowMatchOutNotice(std::span<const uint8_t>) {}
    virtual void ShowMatchOutInfo(std::span<const uint8_t>) {}
    virtual void OnSignUpSucceeded() {}
    virtual void OnWithdrawn() {}
    /// A server's message box (plain text, one OK button) over everything
    /// of the frame and modal in it; it never blocks the caller, and the
    /// window keeps drawing and handling messages while it is up. False when
    /// this frame shows none.
    [[nodiscard]] virtual bool ShowServerMessageBox(const std::string& /*text*/) { return false; }
    /// A self-closing board over the frame (colour 0x00BBGGRR, font size).
    virtual void ShowSystemBoard(const std::string& /*text*/, uint32_t /*colour*/, int32_t /*size*/) {}
    /// Plays a named sound once.
    virtual void PlayFrameSound(const char* /*name*/) {}
    /// What the table scene reaches of this frame; null for a frame without.
    [[nodiscard]] virtual ITableFrame* GetTableFrame() { return nullptr; }
};

/// The side panel (CSubSystemPanel): application events to it or to one of
/// its named children ("AdvertBar", "UserListBar").
class ISidePanel {
public:
    virtual ~ISidePanel() = default;
    virtual void SendPanelEvent(uint32_t event_id, uintptr_t param1) = 0;
    /// Adds a line of markup to the chat box's system texts.
    virtual void AddSystemText(std::string_view markup) = 0;
    /// Empties the chat box (a replay shown again from its start).
    virtual void ClearChat() {}
    virtual void SendChildEvent(const char* child_name, uint32_t event_id) = 0;
    /// Refreshes the match list bar (match rooms).
    virtual void ShowMatchListBar() {}
};

class ICardGameSceneHooks; // client/CardGameSceneHooks.h
class ISceneRequests;     // client/CGameConnection.h
class ICardGameRequests;  // client/CCardGameConnection.h

/// The main game scene (CGameScene).
class IMainGame {
public:
    virtual ~IMainGame() = default;
    virtual void ClearTable() = 0;
    virtual void ResumeGame() = 0;
    /// Stops the start countdown (the server took the start).
    virtual void StopCountdown() = 0;
    /// An application event to the scene, sent at once (param1 may point to
    /// a body span valid only during the call, as for the side panel).
    virtual void SendGameEvent(uint32_t event_id, uintptr_t param1) { (void)event_id, (void)param1; }
    /// Seats and lookers coming and going, as the frame UI hears of them (the
    /// record is borrowed for the call).
    virtual void OnPlayerEnter(const GameUserRecord& seat) { (void)seat; }
    virtual void OnPlayerLeave(const GameUserRecord& seat) { (void)seat; }
    virtual void OnLookerEnter(const GameUserRecord& user) { (void)user; }
    virtual void OnLookerLeave(const GameUserRecord& user) { (void)user; }
    /// The card table's event hooks; null for a scene without a card table.
    [[nodiscard]] virtual ICardGameSceneHooks* GetTableHooks() { return nullptr; }
    /// The seconds the running turn's clock shows (0 once it ran out), any
    /// chair's; nullopt while no turn's clock runs. The connection's watch
    /// asks it: the server rightly waits for a player while the turn runs.
    [[nodiscard]] virtual std::optional<int32_t> GetTurnSecondsLeft() const { return std::nullopt; }
};

/// The game-server connection (CGameConnection) as the application drives it.
class IGameServerLink {
public:
    virtual ~IGameServerLink() = default;
    virtual void LoadProxySettings(const std::string& hall_ini_path) = 0;
    virtual void SetCipherKey(std::span<const uint8_t> key) = 0;
    virtual void SetNotifyThread(platform::ThreadId thread) = 0;
    /// Connects; `used_proxy` tells whether a proxy was in the way.
    [[nodiscard]] virtual bool Connect(const std::string& name, const std::string& address, int32_t port,
                                       bool& used_proxy) = 0;
    [[nodiscard]] virtual std::string GetProxyHost() const = 0;
    /// The version check; its two values go to the hall in status reports.
    [[nodiscard]] virtual bool CheckVersion(std::string& error, int32_t& value1, int32_t& value2) = 0;
    [[nodiscard]] virtual bool Logon(std::string& error) = 0;
    [[nodiscard]] virtual bool EnterGame(std::string& error) = 0;
    virtual bool LeaveTable(int32_t user_id, int32_t chair) = 0;
    virtual void Close() = 0;
    /// The requests the table scene sends; null for a link without them.
    [[nodiscard]] virtual ISceneRequests* GetSceneRequests() { return nullptr; }
    [[nodiscard]] virtual ICardGameRequests* GetCardGameRequests() { return nullptr; }
};

/// The communication thread (CGameCommThread).
class ICommThread {
public:
    virtual ~ICommThread() = default;
    [[nodiscard]] virtual bool Start() = 0;
    virtual void Stop() = 0;
    /// The thread's queue; 0 while it does not run.
    [[nodiscard]] virtual platform::ThreadId GetThreadId() const = 0;
};

/// The wait dialog: a text shown while the UI thread waits.
class IWaitDialog {
public:
    virtual ~IWaitDialog() = default;
    virtual void ShowText(const std::string& text) = 0;
    /// Shows the text and hides it after `seconds` (0: until hidden).
    virtual void ShowTextFor(const std::string& text, uint32_t seconds)
    {
        (void)seconds;
        ShowText(text);
    }
    virtual void Hide() = 0;
    /// The window that receives the hall's sign replies.
    [[nodiscard]] virtual platform::WindowHandle GetWindow() const = 0;
};

/// The parts the application works with; every pointer may be null.
struct AppLinks {
    IFrameUI* frame_ui = nullptr;
    ISidePanel* side_panel = nullptr;
    IMainGame* main_game = nullptr;
    IGameServerLink* connection = nullptr;
    ICommThread* comm_thread = nullptr;
    IWaitDialog* wait_dialog = nullptr;

    // What the table scene reaches through the frame UI and the connection.
    [[nodiscard]] ITableFrame* TableFrame() const { return frame_ui ? frame_ui->GetTableFrame() : nullptr; }
    [[nodiscard]] ISceneRequests* SceneRequests() const
    {
        return connection ? connection->GetSceneRequests() : nullptr;
    }
    [[nodiscard]] ICardGameRequests* CardGameRequests() const
    {
        return connection ? connection->GetCardGameRequests() : nullptr;
    }
};

} // namespace client
