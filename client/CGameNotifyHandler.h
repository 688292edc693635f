// CGameNotifyHandler: the notification dispatcher. The main window hands it
// every message of the game server (id and body) under the engine's tick
// lock; Dispatch finds the handler of the id and calls it with the body, and
// OnAfterDispatch keeps the record of the last message (id, sub-id, length,
// tick), which goes with a report of a message that failed. The handlers
// update the application's records and tell the frame UI, the side panel and
// the main game (each skipped while absent). CCardGameNotifyHandler adds the
// card table's events and CPlDkNotifyHandler this game's.
//
// Owner: the application (one object, installed in the main window).
// Threads: UI thread only.
// Hazards: every body comes from the network or a replay file. Each handler
// reads its fields through one CByteReader and checks it once (RefuseIfShort):
// a body too short for them is ignored and logged. Counts, chairs and
// offsets read from a body are checked against its length and the table's
// chairs before use; texts are read no further than the body and copied into
// fields cut on a character boundary.
// A server message box is the frame UI's (IFrameUI::ShowServerMessageBox):
// no handler waits for an answer, so no message loop ever runs inside a
// dispatch and no notification is handled while another's handler is on the
// stack.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "client/CRefusalLog.h"
#include "client/GameNotifyHandler.h"
#include "platform/ByteReader.h"

namespace client {

class CGameApp;
struct ExitBoardRequest;

/// The bytes of `count` words of a body.
constexpr size_t WORDS(size_t count) { return count * 4; }

// Notifications of the framework.
inline constexpr uint32_t GR_PLAYER_EXITED = 211000;
inline constexpr uint32_t GR_PLAYER_LEAVE = 211010;
inline constexpr uint32_t GR_PLAYER_ENTER = 211011;
inline constexpr uint32_t GR_LOOKER_LEAVE = 211020;
inline constexpr uint32_t GR_ID_211025 = 211025;
inline constexpr uint32_t GR_RANDOM_TABLE = 211028;
inline constexpr uint32_t GR_ID_211030 = 211030;
inline constexpr uint32_t GR_END_SILVER_LOW = 211110;
inline constexpr uint32_t GR_END_PLAYER_UNSEATED = 211120;
inline constexpr uint32_t GR_END_SCORE_LOW = 211130;
inline constexpr uint32_t GR_END_SCORE_OVER = 211132;
inline constexpr uint32_t GR_END_USER_ROUNDS_OVER = 211134;
inline constexpr uint32_t GR_END_TABLE_ROUNDS_OVER = 211136;
inline constexpr uint32_t GR_END_OUT_OF_HOURS = 211137;
inline constexpr uint32_t GR_END_SERVER_TEXT = 211138;
inline constexpr uint32_t GR_MATCH_STAGE = 211150;
inline constexpr uint32_t GR_ID_211170 = 211170;
inline constexpr uint32_t GR_ID_211190 = 211190;
inline constexpr uint32_t GR_ID_211191 = 211191;
inline constexpr uint32_t GR_MATCH_BEGIN = 211199;
inline constexpr uint32_t GR_ID_211200 = 211200;
inline constexpr uint32_t GR_MATCH_SYSTEM_CANCEL = 211201;
inline constexpr uint32_t GR_ID_211202 = 211202;
inline constexpr uint32_t GR_MATCH_SIGNUP_OK = 211203;
inline constexpr uint32_t GR_MATCH_WITHDRAW_OK = 211204;
inline constexpr uint32_t GR_MATCH_SIGNUP_FAILED = 211205;
inline constexpr uint32_t GR_MATCH_WITHDRAW_FAILED = 211206;
inline constexpr uint32_t GR_MATCH_OUT_FULL = 211210;
inline constexpr uint32_t GR_MATCH_TABLES_LEFT = 211220;
inline constexpr uint32_t GR_GAME_TIMEOUT = 211230;
inline constexpr uint32_t GR_ID_211241 = 211241;
inline constexpr uint32_t GR_ID_211242 = 211242;
inline constexpr uint32_t GR_ID_211243 = 211243;
inline constexpr uint32_t GR_ID_211400 = 211400;
inline constexpr uint32_t GR_MATCH_OVER = 211410;
inline constexpr uint32_t GR_ID_211510 = 211510;
inline constexpr uint32_t GR_ID_211600 = 211600;
inline constexpr uint32_t GR_TABLE_CHANGED = 211700;
inline constexpr uint32_t GR_IDLE_ROUNDS_WARNING = 211800;
inline constexpr uint32_t GR_ID_211900 = 211900;
inline constexpr uint32_t GR_ID_211910 = 211910;
inline constexpr uint32_t GR_ID_211920 = 211920;

/// Application event to the main game with the body of 211920.
inline constexpr uint32_t GAMEMSG_ID_80000063 = 80000063;

/// Room configs bit: players may enter and leave while a round is played.
inline constexpr int32_t ROOM_CONFIG_ENTER_WHILE_PLAYING = 0x1000;

class CGameNotifyHandler : public IGameNotifyHandler {
public:
    using Body = std::span<const uint8_t>;

    /// The record of the last dispatched message.
    struct LastMessage {
        uint32_t id = 0;
        int32_t sub_id = 0;
        uint32_t length = 0;
        uint32_t tick = 0;
    };

    explicit CGameNotifyHandler(CGameApp& app);
    ~CGameNotifyHandler() override = default;
    CGameNotifyHandler(const CGameNotifyHandler&) = delete;
    CGameNotifyHandler& operator=(const CGameNotifyHandler&) = delete;

    void Dispatch(uint32_t id, Body data) override;
    void OnAfterDispatch(uint32_t id, Body data) override;
    [[nodiscard]] std::array<int32_t, 4> GetPreviousRecord() const override;
    [[nodiscard]] const LastMessage& GetLastMessage() const { return m_last; }
    /// The tick source of the last-message record (tests fix it).
    void SetTickFunction(std::function<uint32_t()> tick) { m_tick = std::move(tick); }

    // The handlers, one per notification. Each gets the whole body.
    virtual void OnPlayerCall(Body body);
    virtual void OnAdvertUrl(Body body);
    virtual void OnPlayerChat(Body body);
    virtual void OnPlayerInfoUpdate(Body body);
    virtual void OnTableClosed(Body body);
    virtual void OnForcedExitAsk(Body body);
    virtual void OnExitAnswer(Body body);
    virtual void OnHallTableNotice(Body body);
    virtual void OnLookerLeave(Body body);
    virtual void OnPlayerNotSeated(Body body);
    virtual void OnSilverNotEnough(Body body);
    virtual void OnScoreTooLow(Body body);
    virtual void OnScoreTooHigh(Body body);
    virtual void OnUserRoundsLimit(Body body);
    virtual void OnTableRoundsLimit(Body body);
    virtual void OnOutsideOpeningHours(Body body);
    virtual void OnServerText(Body body);
    virtual void OnChatRecord(Body body);
    virtual void OnResultBox(Body body);
    virtual void OnIdleRounds(Body body);
    virtual void OnAmuletNotice(Body body);
    virtual void OnSeatTexts(Body body);
    virtual void OnSceneData(Body body);
    virtual void OnPlayerEnter(Body body);
    virtual void OnLookOnTargetLeft(Body body);
    virtual void OnRandomTable(Body body);
    /// The record after the player entries of 211028 (possibly empty).
    virtual void OnRandomTableStart(Body record) { (void)record; }
    virtual void OnMatchStage(Body body);
    virtual void OnMatchScores(Body body);
    virtual void OnServerMessageBox(Body body);
    virtual void OnMatchBegin(Body body);
    virtual void OnMatchTablesLeft(Body body);
    virtual void OnMatchNotice(Body body);
    virtual void OnMatchOut(Body body);
    virtual void OnMatchOutInfo(Body body);
    virtual void OnEliminationFull(Body body);
    virtual void OnGameTimeout(Body body);
    virtual void OnMatchSystemCancel(Body body);
    virtual void OnNotify211202(Body body) { (void)body; }
    virtual void OnSignUpOk(Body body);
    virtual void OnWithdrawOk(Body body);
    virtual void OnSignUpFailed(Body body);
    virtual void OnWithdrawFailed(Body body);
    virtual void OnRoundEventNotice(Body body);
    virtual void OnSystemBoardText(Body body);
    virtual void OnPlayerStats(Body body);
    virtual void OnPlayerValue(Body body);
    virtual void OnTableChanged(Body body);

protected:
    /// One row of a dispatch table: the id and its handler.
    template <class Handler>
    struct Entry {
        uint32_t id;
        void (Handler::*handle)(Body);
    };

    /// Runs the row of `id` on `self`; false when the table has no such id.
    template <class Handler, size_t N>
    static bool RunEntry(Handler& self, const Entry<Handler> (&table)[N], uint32_t id, Body body)
    {
        for (const Entry<Handler>& entry : table)
            if (entry.id == id) {
                (self.*entry.handle)(body);
                return true;
            }
        return false;
    }

    // The verdict on the message being dispatched (CRefusalVerdict): every
    // refusal of its id logged meanwhile marks it, wherever it was decided;
    // the table events are recorded only when none did (RunJudged).

    /// Refuses the message: one line in the refusal log (the printf-style reason).
    void Refuse(uint32_t id, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void RefuseChair(uint32_t id, int32_t chair);
    /// A body its record reader refuses.
    void RefuseRecord(uint32_t id, size_t length);
    /// Refuses the message whose reason a scene hook has logged (it answered false).
    void MarkRefused() { CRefusalVerdict::MarkInnermost(); }
    /// Runs `handlers` on message `id` with a verdict of their own and tells
    /// whether they took the message (none refused it). A dispatch nested in
    /// them (a game-data answer) has its own verdict.
    template <class Handlers>
    bool RunJudged(uint32_t id, Handlers&& handlers)
    {
        CRefusalVerdict verdict(id);
        handlers();
        return !verdict.IsRefused();
    }
    /// The sub-id the last-message record keeps of a message; 0 here.
    [[nodiscard]] virtual int32_t GetSubId(uint32_t id, Body data) const
    {
        (void)id, (void)data;
        return 0;
    }

    [[nodiscard]] CGameApp& App() const { return m_app; }
    /// Whether the UI thread has a main window; the end-of-table boards are
    /// shown only then.
    [[nodiscard]] virtual bool HasMainWindow() const;
    /// The exit board of an end-of-table notification (only with a main window).
    void ShowEndOfTableBoard(const ExitBoardRequest& request);
    /// The table's chair count, never above the records' seats.
    [[nodiscard]] int ChairCount() const;
    [[nodiscard]] bool IsTableChair(int32_t chair) const { return chair >= 0 && chair < ChairCount(); }
    /// Sends an application event to the main game when it exists.
    void SendToMainGame(uint32_t event_id, uintptr_t param1);
    void SendToSidePanel(uint32_t event_id, uintptr_t param1);
    void SetLastMessage(uint32_t id, int32_t sub_id, size_t length);

private:
    void ShowNamedEndBoard(uint32_t id, Body body, const char* format);
    /// The system board of the text at text_at (empty_text for none).
    void ShowBoardText(uint32_t id, Body body, size_t text_at, const char* empty_text);

    CGameApp& m_app;
    LastMessage m_last;
    std::function<uint32_t()> m_tick;
};


} // namespace client
