// Fakes of the parts the application reaches through AppLinks, recording
// what they are asked.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "client/AppLinks.h"
#include "client/CGameApp.h"
#include "platform/Message.h"
#include "platform/Tick.h"

namespace client_test {

/// Runs this thread's messages until done (asked every few milliseconds, as
/// other threads change what it reads without waking this one); false when
/// timeout_ms passed first.
inline bool PumpUntil(const std::function<bool()>& done, uint32_t timeout_ms = 10000)
{
    const uint32_t start = platform::GetTickCount();
    while (!done()) {
        if (platform::GetTickCount() - start >= timeout_ms)
            return false;
        (void)platform::PumpMessagesUntil(done, 5);
    }
    return true;
}

class CFakeWaitDialog final : public client::IWaitDialog {
public:
    std::vector<std::string> texts;
    int hides = 0;
    void ShowText(const std::string& text) override { texts.push_back(text); }
    void Hide() override { ++hides; }
    [[nodiscard]] platform::WindowHandle GetWindow() const override { return platform::WindowHandle::None; }
};

class CFakeConnection final : public client::IGameServerLink {
public:
    bool connect_result = true;
    bool via_proxy = false;
    bool version_result = true;
    bool logon_result = true;
    int logons = 0;
    int enters = 0;
    std::vector<std::pair<int32_t, int32_t>> leaves;
    std::string address;
    int32_t port = 0;

    void LoadProxySettings(const std::string&) override {}
    void SetCipherKey(std::span<const uint8_t>) override {}
    void SetNotifyThread(platform::ThreadId) override {}
    bool Connect(const std::string&, const std::string& to, int32_t to_port, bool& used_proxy) override
    {
        address = to;
        port = to_port;
        used_proxy = via_proxy;
        return connect_result;
    }
    [[nodiscard]] std::string GetProxyHost() const override { return "proxy.example"; }
    bool CheckVersion(std::string& error, int32_t& value1, int32_t& value2) override
    {
        value1 = 11;
        value2 = 22;
        if (!version_result)
            error = "版本太旧";
        return version_result;
    }
    bool Logon(std::string& error) override
    {
        ++logons;
        if (!logon_result)
            error = "登录失败";
        return logon_result;
    }
    bool EnterGame(std::string&) override { return ++enters, true; }
    bool LeaveTable(int32_t user_id, int32_t chair) override
    {
        leaves.emplace_back(user_id, chair);
        return true;
    }
    void Close() override {}
};

class CFakeFrameUI final : public client::IFrameUI {
public:
    std::vector<std::string> calls;
    std::vector<client::ExitBoardRequest> exit_boards;
    std::vector<client::MessageBoardRequest> boards;
    int32_t small_board_user = 0;

    void ShowMessageBoard(const client::MessageBoardRequest& request) override { boards.push_back(request); }
    void ShowExitMessageBoard(const client::ExitBoardRequest& request) override { exit_boards.push_back(request); }
    void ShowExitUrlMessageBoard(const client::ExitUrlBoardRequest&) override { calls.push_back("exit-url"); }
    void OnLogonReply(int hook) override { calls.push_back("logon" + std::to_string(hook)); }
    void OnEnterReply() override { calls.push_back("enter"); }
    void ShowNoSignUpBanner(std::span<const uint8_t>) override { calls.push_back("no-sign-up"); }
    void ShowWashoutBanner(std::span<const uint8_t>) override { calls.push_back("washout"); }
    void ShowMatchEndBanner(std::span<const uint8_t>) override { calls.push_back("match-end"); }
    void ShowMatchLateBanner(std::span<const uint8_t>) override { calls.push_back("match-late"); }
    void ShowMatchStartedBanner(std::span<const uint8_t>) override { calls.push_back("match-started"); }
    void ShowSystemCancelBanner(std::span<const uint8_t>) override { calls.push_back("system-cancel"); }
    void ShowSelfCancelBanner(std::span<const uint8_t>) override { calls.push_back("self-cancel"); }
    void ShowWaitSignUpCheckBanner(std::span<const uint8_t>) override { calls.push_back("sign-up-check"); }
    void ShowSystemRejectedBanner(std::span<const uint8_t>) override { calls.push_back("rejected"); }
    void NotifyLookerEnter(const client::GameUserRecord& user) override
    {
        calls.push_back("looker " + std::to_string(user.user_id));
    }
    void NotifySilverChange(std::span<const uint8_t>) override { calls.push_back("silver"); }
    void ShowPlayerDetailFull(std::span<const uint8_t>) override { calls.push_back("detail"); }
    [[nodiscard]] int32_t GetPlayerBoardSmallUser() const override { return small_board_user; }
    void ShowPlayerBoardSmall(int32_t user_id, int32_t, int32_t) override
    {
        calls.push_back("small " + std::to_string(user_id));
    }
    void OnSeatRecords() override { calls.push_back("result"); }
    [[nodiscard]] client::ITableFrame* GetTableFrame() override { return table_frame; }
    client::ITableFrame* table_frame = nullptr;
};

/// The table's view of a frame whose object id is `id`.
class CFakeTableFrame final : public client::ITableFrame {
public:
    explicit CFakeTableFrame(uint32_t id) : m_id(id) {}
    void PopupBox(engine::CEngineObject*) override {}
    [[nodiscard]] engine::EngineRect GetMainGameRect() const override { return {}; }
    void ShowAutoPlay(bool) override {}
    void HideMatchWaitAnimations() override {}
    void OnRoundEnd() override {}
    [[nodiscard]] int UpdateMaximizedFlag() override { return 0; }
    [[nodiscard]] uint32_t GetFrameObjectId() const override { return m_id; }

private:
    uint32_t m_id;
};

class CFakeSidePanel final : public client::ISidePanel {
public:
    std::vector<std::string> texts;
    std::vector<std::string> child_events;
    void SendPanelEvent(uint32_t, uintptr_t) override {}
    void AddSystemText(std::string_view markup) override { texts.emplace_back(markup); }
    void SendChildEvent(const char* child_name, uint32_t event_id) override
    {
        child_events.push_back(std::string(child_name) + " " + std::to_string(event_id));
    }
};

} // namespace client_test
