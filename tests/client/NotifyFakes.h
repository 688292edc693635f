// Recording frame UI, side panel and scene for the notification handlers'
// tests and fuzz target: every call becomes one line of text.
#pragma once

#include <string>
#include <vector>

#include "client/AppLinks.h"
#include "client/CGameApp.h"
#include "client/CPlDkApp.h"
#include "client/CPlDkNotifyHandler.h"
#include "client/CRefusalLog.h"
#include "client/CardGameSceneHooks.h"
#include "engine/core/EngineEvent.h"

namespace client_test {

/// Every id some layer of this game's handler takes.
inline constexpr uint32_t NOTIFY_IDS[] = {
    201160, 201200, 201210, 201212, 201213, 210530, 211000, 211010, 211011, 211020, 211025, 211028, 211030,
    211040, 211080, 211090, 211110, 211120, 211130, 211132, 211134, 211136, 211137, 211138, 211150, 211160,
    211170, 211190, 211191, 211199, 211200, 211201, 211202, 211203, 211204, 211205, 211206, 211210, 211220,
    211230, 211240, 211241, 211242, 211243, 211300, 211400, 211410, 211510, 211600, 211700, 211800, 211900,
    211910, 211920, 221165, 221168, 221170, 223100, 229500, 229550, 229570, 229580, 250001
};

inline std::string Bytes(std::span<const uint8_t> body) { return std::to_string(body.size()) + "B"; }

class CRecordingFrameUI final : public client::IFrameUI {
public:
    std::vector<std::string> calls;
    std::vector<client::ExitBoardRequest> exit_boards;
    std::vector<client::ExitUrlBoardRequest> url_boards;
    std::vector<std::string> system_boards;

    void ShowMessageBoard(const client::MessageBoardRequest& r) override { calls.push_back("board " + r.text); }
    void ShowExitMessageBoard(const client::ExitBoardRequest& r) override { exit_boards.push_back(r); }
    void ShowExitUrlMessageBoard(const client::ExitUrlBoardRequest& r) override { url_boards.push_back(r); }
    void OnLogonReply(int) override {}
    void OnEnterReply() override {}
    void ShowNoSignUpBanner(std::span<const uint8_t>) override {}
    void ShowWashoutBanner(std::span<const uint8_t>) override {}
    void ShowMatchEndBanner(std::span<const uint8_t>) override {}
    void ShowMatchLateBanner(std::span<const uint8_t>) override {}
    void ShowMatchStartedBanner(std::span<const uint8_t>) override {}
    void ShowSystemCancelBanner(std::span<const uint8_t> b) override { calls.push_back("cancel " + Bytes(b)); }
    void ShowSelfCancelBanner(std::span<const uint8_t>) override {}
    void ShowWaitSignUpCheckBanner(std::span<const uint8_t>) override {}
    void ShowSystemRejectedBanner(std::span<const uint8_t>) override {}
    void NotifyLookerEnter(const client::GameUserRecord&) override {}
    void NotifySilverChange(std::span<const uint8_t>) override { calls.push_back("silver"); }
    void ShowPlayerDetailFull(std::span<const uint8_t>) override {}
    [[nodiscard]] int32_t GetPlayerBoardSmallUser() const override { return 0; }
    void ShowPlayerBoardSmall(int32_t, int32_t, int32_t) override {}
    void OnSeatRecords() override { calls.push_back("result"); }
    void ShowExitRequest(std::span<const uint8_t> b) override { calls.push_back("exit-request " + Bytes(b)); }
    bool ShowServerMessageBox(const std::string& text) override
    {
        calls.push_back("server-box " + text);
        return true;
    }
    void NotifyLookerLeave(const client::GameUserRecord& u) override
    {
        calls.push_back("looker-leave " + std::to_string(u.user_id));
    }
    void NotifyPlayerEnter(const client::GameUserRecord& s) override
    {
        calls.push_back("enter " + std::to_string(s.user_id) + "@" + std::to_string(s.chair));
    }
    void NotifyPlayerLeave(const client::GameUserRecord& s) override
    {
        calls.push_back("leave " + std::to_string(s.user_id));
    }
    void NotifyRandomTable() override { calls.push_back("random-table"); }
    void NotifyTableChanged() override { calls.push_back("table-changed"); }
    void ShowEliminationRound() override { calls.push_back("elimination"); }
    void OnMatchBegin(std::span<const uint8_t> b) override { calls.push_back("match-begin " + Bytes(b)); }
    void ShowRemainingTables(std::span<const uint8_t> b) override { calls.push_back("tables-left " + Bytes(b)); }
    void ShowPlayerDetailData(std::span<const uint8_t> b) override { calls.push_back("detail " + Bytes(b)); }
    void ShowMatchOutNotice(std::span<const uint8_t> b) override { calls.push_back("out " + Bytes(b)); }
    void ShowMatchOutInfo(std::span<const uint8_t> b) override { calls.push_back("out-info " + Bytes(b)); }
    void OnSignUpSucceeded() override { calls.push_back("signed-up"); }
    void OnWithdrawn() override { calls.push_back("withdrawn"); }
    void ShowSystemBoard(const std::string& text, uint32_t colour, int32_t size) override
    {
        system_boards.push_back(text + "|" + std::to_string(colour) + "|" + std::to_string(size));
    }
    void PlayFrameSound(const char* name) override { calls.push_back(std::string("sound ") + name); }
};

/// Records events as "id param" (a body span as its length, an advert
/// address as its text).
inline std::string EventText(uint32_t event_id, uintptr_t param1)
{
    using namespace client;
    std::string text = std::to_string(event_id) + " ";
    switch (event_id) {
    case GAMEMSG_PLAYER_CHAT:
    case GAMEMSG_CHAT_RECORD:
    case GAMEMSG_AMULET_NOTICE:
    case GAMEMSG_ID_80000063:
        return text + Bytes(*reinterpret_cast<const std::span<const uint8_t>*>(param1));
    case GAMEMSG_ADVERT_URL:
        return text + *reinterpret_cast<const std::string*>(param1);
    default:
        return text + std::to_string(param1);
    }
}

class CRecordingPanel final : public client::ISidePanel {
public:
    std::vector<std::string> events;
    std::vector<std::string> texts;
    void SendPanelEvent(uint32_t event_id, uintptr_t param1) override { events.push_back(EventText(event_id, param1)); }
    void AddSystemText(std::string_view markup) override { texts.emplace_back(markup); }
    void SendChildEvent(const char* child, uint32_t event_id) override
    {
        events.push_back(std::string(child) + " " + std::to_string(event_id));
    }
    void ShowMatchListBar() override { events.push_back("match-list"); }
};

class CRecordingScene final : public client::IMainGame, public client::ICardGameSceneHooks {
public:
    std::vector<std::string> calls;
    std::vector<uint8_t> last_body;

    void ClearTable() override { calls.push_back("clear"); }
    void ResumeGame() override { calls.push_back("resume"); }
    void StopCountdown() override { calls.push_back("stop-countdown"); }
    void SendGameEvent(uint32_t event_id, uintptr_t param1) override { calls.push_back(EventText(event_id, param1)); }
    client::ICardGameSceneHooks* GetTableHooks() override { return this; }

    void OnPlayerStarted(int32_t chair) override { calls.push_back("started " + std::to_string(chair)); }
    void ShowRoundHeader() override { calls.push_back("round-header"); }
    void OnPlayerOffline(int32_t user) override { calls.push_back("offline " + std::to_string(user)); }
    bool OnCardViewReply(std::span<const uint8_t> b) override { return Keep("view-reply", b); }
    void OnCardViewRequest(std::span<const uint8_t> b) override { Keep("view-request", b); }
    bool OnGameData(std::span<const uint8_t> b) override { return Keep("game-data", b); }
    bool OnCardsThrown(std::span<const uint8_t> b) override { return Keep("thrown", b); }
    bool OnPlayerPassed(std::span<const uint8_t> b) override { return Keep("passed", b); }
    bool OnSetHandCards(std::span<const uint8_t> b) override { return Keep("hand", b); }
    bool OnTableEvent221165(std::span<const uint8_t> b) override { return Keep("221165", b); }
    void OnTurnBegin(std::span<const uint8_t> b) override { Keep("turn", b); }
    void OnTableEvent211300() override { calls.push_back("211300"); }
    void ResetTable() override { calls.push_back("reset"); }
    void OnTableSnapshot() override { calls.push_back("snapshot"); }
    void OnRoundEnd() override { calls.push_back("round-end"); }
    void OnTableClosed() override { calls.push_back("table-closed"); }
    bool OnScoreNotify(std::span<const uint8_t> b) override { return Keep("score", b); }
    void RecordTableEvent(uint32_t id, std::span<const uint8_t> b) override
    {
        calls.push_back("record " + std::to_string(id) + " " + Bytes(b));
    }

    bool refuses = false;            ///< the hooks that may refuse answer false
    uint32_t logs_refusal_of = 0; ///< when set, each hook logs a refusal of this message id (and goes on)

private:
    bool Keep(const char* what, std::span<const uint8_t> body)
    {
        calls.push_back(std::string(what) + " " + Bytes(body));
        last_body.assign(body.begin(), body.end());
        if (logs_refusal_of != 0)
            client::CRefusalLog::Instance().Refuse(logs_refusal_of, "a refusal logged by the hook");
        return !refuses;
    }
};

class CRecordingLink final : public client::IGameServerLink {
public:
    int closes = 0;
    void LoadProxySettings(const std::string&) override {}
    void SetCipherKey(std::span<const uint8_t>) override {}
    void SetNotifyThread(platform::ThreadId) override {}
    bool Connect(const std::string&, const std::string&, int32_t, bool&) override { return false; }
    [[nodiscard]] std::string GetProxyHost() const override { return {}; }
    bool CheckVersion(std::string&, int32_t&, int32_t&) override { return false; }
    bool Logon(std::string&) override { return false; }
    bool EnterGame(std::string&) override { return false; }
    bool LeaveTable(int32_t, int32_t) override { return false; }
    void Close() override { ++closes; }
};

class CRecordingWait final : public client::IWaitDialog {
public:
    int hides = 0;
    void ShowText(const std::string&) override {}
    void Hide() override { ++hides; }
    [[nodiscard]] platform::WindowHandle GetWindow() const override { return platform::WindowHandle::None; }
};

/// This game's handler as if the UI thread had a main window (the
/// end-of-table boards need one).
class CWindowedNotifyHandler final : public client::CPlDkNotifyHandler {
public:
    using CPlDkNotifyHandler::CPlDkNotifyHandler;

protected:
    [[nodiscard]] bool HasMainWindow() const override { return true; }
};

/// This game's application with recording parts, and its handler.
struct NotifyRig {
    CRecordingFrameUI frame;
    CRecordingPanel panel;
    CRecordingScene scene;
    CRecordingLink link;
    CRecordingWait wait;
    client::CPlDkApp app;
    CWindowedNotifyHandler handler { app };

    NotifyRig()
    {
        client::AppLinks links;
        links.frame_ui = &frame;
        links.side_panel = &panel;
        links.main_game = &scene;
        links.connection = &link;
        links.wait_dialog = &wait;
        app.SetLinks(links);
        app.SetRunMode(client::RUN_MODE_STAND_ALONE);
        handler.SetTickFunction([] { return 4242u; });
    }
    void Send(uint32_t id, std::span<const uint8_t> body)
    {
        handler.Dispatch(id, body);
        handler.OnAfterDispatch(id, body);
    }
};

} // namespace client_test
