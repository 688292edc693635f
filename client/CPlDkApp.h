// CPlDkApp: this game's application: game code "pldk", port 21473, version
// 5.0, four chairs, its game-state holder and its five GAMESET settings (read
// at start, written at exit). Its InitInstance also sets up the stand-alone
// modes: the local test seats four placeholder players; replay playback sets
// four players; both start the frame UI at once.
// Owner: the program's entry (one object). Thread: UI thread.
#pragma once

#include "client/CCardGameApp.h"
#include "client/CCardGameConnection.h"
#include "client/CGameCommThread.h"
#include "client/CPlDkGameState.h"
#include "client/CPlDkNotifyHandler.h"

namespace client {

inline constexpr const char* PLDK_GAME_CODE = "pldk";
inline constexpr int32_t PLDK_MAJOR_VERSION = 5;
inline constexpr int32_t PLDK_MINOR_VERSION = 0;
inline constexpr int PLDK_CHAIRS = 4;
inline constexpr const char* GAMESET_SECTION = "GAMESET";

class CPlDkApp : public CCardGameApp {
public:
    CPlDkApp();
    /// The main window outlives this part of the application: it forgets the
    /// handler first.
    ~CPlDkApp() override;

    [[nodiscard]] bool InitInstance() override;
    int ExitInstance() override;
    [[nodiscard]] int GetChairCount() const override { return PLDK_CHAIRS; }
    [[nodiscard]] bool HasRoomConfigsEx20000() const override { return false; }
    [[nodiscard]] bool HasRoomConfigsEx40000() const { return Records().HasRoomConfigsEx40000(); }
    [[nodiscard]] std::unique_ptr<engine::CGuiContainer> CreateFrameUI() override;
    void ShowMainWindow();

    [[nodiscard]] CPlDkGameState& GetGameState() { return m_game_state; }
    [[nodiscard]] CPlDkConnection& GetConnection() { return m_connection; }
    /// The notification handler, installed in the main window when it is made.
    [[nodiscard]] CPlDkNotifyHandler& GetNotifyHandler() { return m_notify_handler; }
    [[nodiscard]] CGameStateHolder* GetGameStateHolder() override { return &m_game_state; }
    [[nodiscard]] std::span<int32_t> GetStateBlock() override { return m_game_state.GetStateBlock(); }
    void LoadStateBlock(std::span<const uint8_t> bytes) override { m_game_state.LoadStateBlock(bytes); }
    /// The table record of a log-on answer; one the rules refuse leaves the
    /// table as it was and is logged.
    void LoadStateBlock2(std::span<const uint8_t> bytes) override;
    [[nodiscard]] int32_t GetSoundEffectSetting() const { return m_sound_effect; }
    [[nodiscard]] int32_t GetMusicSetting() const { return m_music; }
    [[nodiscard]] int32_t GetRejectKanPaiAsk() const override { return m_reject_kan_pai_ask; }
    [[nodiscard]] int32_t GetRejectPassSound() const { return m_reject_pass_sound; }
    [[nodiscard]] int32_t GetSortType() const { return m_sort_type; }
    void SetSoundEffectSetting(int32_t value) { m_sound_effect = value; }
    void SetMusicSetting(int32_t value) { m_music = value; }
    void SetRejectKanPaiAsk(int32_t value) { m_reject_kan_pai_ask = value; }
    void SetRejectPassSound(int32_t value) { m_reject_pass_sound = value; }
    void SetSortType(int32_t value) { m_sort_type = value; }

protected:
    [[nodiscard]] std::unique_ptr<CGameFrameWnd> NewMainWindow() override;
    [[nodiscard]] int32_t GetGamePhase() const override { return m_game_state.GetGamePhase(); }
    [[nodiscard]] uint32_t GetExitRequestTick() const override { return m_game_state.GetExitRequestTick(); }

private:
    void ReadGameSettings();
    void SetStandAloneDefaults();
    void FillLocalTestPlayers();

    CPlDkConnection m_connection { *this };
    CGameCommThread m_comm_thread;
    CPlDkGameState m_game_state;
    CPlDkNotifyHandler m_notify_handler { *this };
    int32_t m_sound_effect { 0 };
    int32_t m_music { 0 };
    int32_t m_reject_kan_pai_ask { 0 };
    int32_t m_reject_pass_sound { 0 };
    int32_t m_sort_type { 0 };
};

} // namespace client
