#pragma once
// CCardGameScene: the card table, the container the frame UI holds as
// "MainGame". It owns the seat boards (one per chair, stored by seat view;
// view 0 is the own seat), a fixed pool of card sprites, the play, sort and
// option buttons, the turn clock, the background pattern, two digit texts
// ("DigitPen", "DigitPen2"), the pass-hint image and the info box, and lays
// them all out again whenever its area changes. Its steps are virtual so a
// game's own scene can replace single ones.
//
// The sprites place themselves from their records (hand rows and played
// cards of every view); the layout hands them the area, renumbers each
// chair's hand and has every sprite redraw.
//
// Owner: the object module owns the scene and its children; the scene keeps
// raw pointers to them, valid as long as the scene (children are never
// re-created). The chair maths and the hand operations are the scene's own.
// So are the replay board's host (played records go to the main window's
// dispatcher) and recorder environment: the boards made with them are
// destroyed with the scene, before the two go.
// Thread: UI thread, inside the engine tick or under the tick lock.
// Hazards: chair numbers come from the server; every loop over chairs stops
// at the chair count and views outside 0..MAX_VIEWS-1 are ignored.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "client/CGameScene.h"
#include "client/CClientRecords.h"
#include "client/CardGameSceneHooks.h"
#include "client/GameNotifyHandler.h"
#include "client/UserRecords.h"
#include "engine/core/ObjectLink.h"
#include "platform/Cursor.h"
#include "game/scene/CardSprite.h"
#include "game/scene/ChairMath.h"
#include "game/scene/HandOperations.h"
#include "game/scene/PlaySearch.h"
#include "game/scene/ResultBoxPlan.h"

namespace engine {
class CCanvasObject;
class CGuiButton;
class CGuiDigitText;
class CImageObject;
} // namespace engine

namespace panel {
class CLookOnRequestBox;
} // namespace panel

namespace scene {

class CSeatBoard;
class CReplayDispatchHost;
class CReplaySystemEnv;

/// The scene's button events (parameter 1 and 2 are 0).
inline constexpr uint32_t GAMEMSG_BTN_START = 80000004;
inline constexpr uint32_t GAMEMSG_CHARACTER_AREA = 80000102;
inline constexpr uint32_t GAMEMSG_PASS_HINT_AREA = 80000111;
inline constexpr uint32_t GAMEMSG_BTN_THROW = 80000117;
inline constexpr uint32_t GAMEMSG_BTN_PASS = 80000118;
inline constexpr uint32_t GAMEMSG_BTN_HINT = 80000119;
inline constexpr uint32_t GAMEMSG_BTN_ASK_CARD_VIEW = 80000120;
inline constexpr uint32_t GAMEMSG_BTN_CHECK_RESULT = 80000122;
inline constexpr uint32_t GAMEMSG_BTN_SELECT_SINGLES = 80000125;
inline constexpr uint32_t GAMEMSG_BTN_SELECT_PAIRS = 80000126;
inline constexpr uint32_t GAMEMSG_BTN_SELECT_TRIPLES = 80000127;
inline constexpr uint32_t GAMEMSG_BTN_SORT_BY_SIZE = 80000128;
inline constexpr uint32_t GAMEMSG_BTN_SELECT_BOMBS = 80000129;
inline constexpr uint32_t GAMEMSG_BTN_SORT_BY_COUNT = 80000130;
inline constexpr uint32_t GAMEMSG_BTN_SORT_BY_SUIT = 80000131;
inline constexpr uint32_t GAMEMSG_BTN_AUTO_PLAY = 80000132;
inline constexpr uint32_t GAMEMSG_OPTION_1 = 80000135;
inline constexpr uint32_t GAMEMSG_OPTION_4 = 80000138;

inline constexpr uint32_t GAMEMSG_BTN_ASK_CARD_VIEW2 = 80000121;
// GAMEMSG_RESULT_CLOSE and GAMEMSG_RESULT_CONTINUE: ResultBoxPlan.h.
inline constexpr uint32_t GAMEMSG_BTN_QUIT = 80000133;

/// Application events to the scene.
/// The look-on consent box's answer: param1 the asking user, param2 1 to
/// consent, 0 to refuse.
inline constexpr uint32_t GAMEMSG_CARD_VIEW_ANSWER = 80000007;
inline constexpr uint32_t GAMEMSG_TOGGLE_GAMESET_BOARD = 80000076;
inline constexpr uint32_t GAMEMSG_CHANGE_TABLE = 80000093;
inline constexpr uint32_t GAMEMSG_ROOM_CONFIG_REQUEST = 80000094;
inline constexpr uint32_t GAMEMSG_DEAL_TICK = 80000098;
inline constexpr uint32_t GAMEMSG_CLOCK_TICK = 80000099;
/// The result box dragged: param2 the input record (words 2 and 3 the move).
inline constexpr uint32_t GAMEMSG_CLOSE_RESULT_BOX = 80000100;
/// param1: the character id of the picture the pointer entered.
inline constexpr uint32_t GAMEMSG_SHOW_CHARACTER = 80000103;
inline constexpr uint32_t GAMEMSG_HIDE_CHARACTER = 80000104;
inline constexpr uint32_t GAMEMSG_AUTO_PASS = 80000141;
/// A match room's pause between rounds has passed.
inline constexpr uint32_t GAMEMSG_ROUND_OVER = 80000101;

/// Game-data sub-ids (request 229510, relayed to the table as 229500).
inline constexpr int32_t GAMEDATA_PLAYER_BACK = 19840324;
inline constexpr int32_t GAMEDATA_REJOIN = 19840325;
inline constexpr int32_t GAMEDATA_TIMEOUT = 19840327;
inline constexpr int32_t GAMEDATA_AUTOPLAY_ON = 19840329;
inline constexpr int32_t GAMEDATA_AUTOPLAY_OFF = 19840330;
inline constexpr int32_t GAMEDATA_HAND = 19840337;

/// The last play of the table or of one chair's turn: the chair (-1 when
/// nobody played) and the cards (-1 behind the last).
struct TurnRecord {
    static constexpr int MAX_CARDS = 64;
    int32_t chair { -1 };
    std::array<int32_t, MAX_CARDS> cards {};
    TurnRecord() { cards.fill(-1); }
};

class CCardGameScene : public client::CGameScene, public client::ICardGameSceneHooks {
public:
    static constexpr int MAX_VIEWS = 8;
    static constexpr int SPRITE_POOL = 216;
    static constexpr int32_t TOOLTIP_WIDTH = 120;
    static constexpr double BUTTON_DEPTH = 10000.0;
    static constexpr double DIGIT_DEPTH = 10500.0;
    static constexpr double BACKGROUND_DEPTH = -999990.0;
    static constexpr double WAITING_DEPTH = 52000.0;
    static constexpr uint32_t INFO_BOX_KEY = 0xFF00FF;
    /// The small seat plate's image, whose height sizes the cards.
    static constexpr const char* BOARD_SMALL_IMAGE = "PlayerBoardSmall";
    /// Round status bit (table word 15): the chairs play in turn order.
    static constexpr int32_t TURN_ORDER_FLAG = 0x100;
    /// A clock standing at zero sends the time-out on its ticks 3, 13, 23 ...
    static constexpr int32_t TIMEOUT_REPEAT = 10;
    static constexpr int32_t TIMEOUT_SEND_AT = 3;
    /// Auto-play switched off cannot be switched on again for this long.
    static constexpr uint32_t AUTO_PLAY_COOL_DOWN_MS = 5000;
    /// A hand that cannot beat the last play passes by itself after this.
    static constexpr uint32_t AUTO_PASS_DELAY_MS = 1000;
    /// The pass prompt stays up at least this long (a still picture has no
    /// frames to play once).
    static constexpr uint32_t PASS_HINT_SHOWN_MS = 1500;
    /// The play types the hint search and the turn's check look for.
    static constexpr int32_t HINT_RULE_MASK = 0x81767;

    /// The scene's buttons.
    enum class Button {
        Start, Throw, Pass, Hint, Sort1, Sort2, Sort3, SortBomb, SortBig, SortType, AutoPlay, CheckResult,
        AskCardView, Count
    };
    /// A button of a row placed by its distance from the row's right end.
    struct RowPlace {
        Button button;
        int32_t from_right;
    };

    explicit CCardGameScene(client::CGameApp& app);
    ~CCardGameScene() override;

    void OnCreate() override { Create(); }
    virtual void Create();
    void OnAreaChanged() override { LayoutScene(); }
    virtual void LayoutScene();
    void OnStart() override;

    /// As the base; the board made is destroyed with the scene.
    void CreateInfoBoard() override;

    // --- Round clear-down and table furniture
    void ClearTable() override;
    virtual void ShowStartButton();
    virtual void UpdateSeatScores();
    virtual void RedrawOwnSeatBoard();
    virtual void ShowSortButtons(bool show);
    /// A chair's current play (every chair's for -1) becomes the old play.
    virtual void RetirePlayedCards(int chair);
    virtual void PlayStartEffect();
    /// Takes the pass prompt away at once (an own turn begins afresh).
    void HidePassPrompt();
    virtual void HidePlayButtons();

    // --- Info boxes
    virtual void ShowGameInfoBox();
    virtual void ShowMatchInfoBox();

    // --- Waiting animation
    virtual void ShowWaitingAnimation();
    virtual void HideWaitingAnimation();
    virtual void ShowWaiting();

    // --- Table events (bodies are the server's; every word read is bounded)
    [[nodiscard]] client::ICardGameSceneHooks* GetTableHooks() override { return this; }
    [[nodiscard]] std::optional<int32_t> GetTurnSecondsLeft() const override;
    void OnPlayerStarted(int32_t chair) override;
    void ShowRoundHeader() override;
    void OnPlayerOffline(int32_t user_id) override;
    bool OnCardViewReply(std::span<const uint8_t> body) override;
    /// Asks the player with the look-on consent box (its answers come back
    /// as GAMEMSG_CARD_VIEW_ANSWER). One question per asker stands until it
    /// is answered, and at most MAX_LOOK_ON_QUESTIONS at once; a request past
    /// either is refused.
    void OnCardViewRequest(std::span<const uint8_t> body) override;
    /// An asker must be a player the records keep, and each keeps one
    /// question at most; players come and go, so the records' count also
    /// bounds the boxes a server that swaps players can make stand.
    static constexpr size_t MAX_LOOK_ON_QUESTIONS =
        client::CClientRecords::SEAT_COUNT + client::CClientRecords::OTHER_USER_COUNT;
    /// The questions standing (their boxes not yet answered or gone).
    [[nodiscard]] size_t GetLookOnQuestionCount();
    /// A game-data message: the 20-byte head, then as many body bytes as
    /// the head's length names (never more than were received).
    bool OnGameData(std::span<const uint8_t> body) override;
    bool OnCardsThrown(std::span<const uint8_t> body) override;
    bool OnPlayerPassed(std::span<const uint8_t> body) override;
    bool OnSetHandCards(std::span<const uint8_t> body) override;
    bool OnTableEvent221165(std::span<const uint8_t> body) override;
    void OnTurnBegin(std::span<const uint8_t> body) override;
    void OnTableEvent211300() override {}
    /// Resets the table's furniture for a new state (the round's objects
    /// hidden, the buttons in their resting state).
    void ResetTable() override;
    void OnTableSnapshot() override {}
    void OnRoundEnd() override {}
    /// The clock stops and the play buttons go: nothing more is played.
    /// The table stays closed (no clock starts again) for the scene's life:
    /// the connection went with it.
    void OnTableClosed() override;
    [[nodiscard]] bool IsTableClosed() const { return m_table_closed; }
    /// The one road to the server for this table's game (throws, passes,
    /// game data, the rejoin word, look and option requests): null when
    /// nothing may be sent, in a replay, stand-alone or at a closed table.
    [[nodiscard]] client::ICardGameRequests* TableRequests() const;
    bool OnScoreNotify(std::span<const uint8_t>) override { return true; }
    /// Offers a dispatched event to the replay board, when one is held.
    void RecordTableEvent(uint32_t id, std::span<const uint8_t> body) override;
    virtual void RecordEventNormal(uint32_t id, std::span<const uint8_t> body);
    virtual void RecordEventMatch(uint32_t id, std::span<const uint8_t> body);
    /// Runs before a recording is saved (nothing in this class).
    virtual void OnBeforeSaveRecording() {}
    /// The chat line that tells where a replay was saved: a link to the
    /// path's folder showing `link_text`.
    void AnnounceReplaySaved(const std::string& path, std::string_view link_text) const;
    /// Runs when a round's header has been shown (nothing in this class).
    virtual void OnRoundStart() {}
    /// The round header's table part: reset, info box, round-start hook.
    void FinishRoundHeader();
    /// The chat line that opens a round: in a match room with an elimination
    /// stage its round (elimination true), else the round's number with its
    /// base silver (silver room) or base score.
    [[nodiscard]] std::string RoundOpeningLine(bool& elimination) const;
    virtual void PlayThrowSound(int32_t type, int32_t count);
    virtual void ShowPassMark(int chair, int32_t type);
    /// True when the client looks on and a hand card of the watched chair
    /// shows its face.
    [[nodiscard]] bool IsCardViewGranted() const;

    // --- Scene events and buttons
    int OnEvent(const engine::EngineEvent& event) override;
    /// The cards' mouse events (param1: the sprite's object id; param2 of a
    /// move: the input record). 0 when the event was ignored.
    virtual int OnCardSpriteEvent(const engine::EngineEvent& event);
    /// The play, select, sort, option and result-box buttons.
    virtual int OnButtonEvent(const engine::EngineEvent& event);
    /// The automatic pass and the presses on the bare table.
    virtual void OnBackgroundEvent(const engine::EngineEvent& event);
    virtual void OnBtnStart();
    /// The drag over the own cards ended (a click is a sweep of one card): the
    /// swept cards become the selection, or are lowered when all were raised;
    /// AutoSelectPlay and MatchPlayType are the rules it applies.
    void ApplyDragSelection();
    /// Completes a partial selection of the own hand (1 when it raised a play).
    virtual int AutoSelectPlay();
    /// The weakest play of `cards` of the masked types that beats `to_beat`
    /// (1 with it in `found` and `out`), under the table's rules.
    virtual int MatchPlayType(std::span<const int32_t> cards, std::span<int32_t> out, const rules::CardPlay& to_beat,
                              rules::CardPlay& found, int32_t type_mask, int rule_flag);
    virtual void ApplySoundSetting();
    virtual void OnDealTick() {}
    virtual void StartDeal() {}
    /// One second of the turn clock (the repeating clock action's tick).
    virtual void OnClockTick();
    /// Whether the clock's ticks count: a replay's clock follows the replay's
    /// time, so it stands while the replay is stopped, paused or at its end;
    /// a closed table's never.
    [[nodiscard]] bool IsClockRunning() const;
    virtual void OnBtnThrow();
    virtual void OnBtnPass();
    virtual void OnBtnAutoPlay();
    /// Steps through the plays that beat the last play: first those that
    /// split no group of equal cards, then all, weakest first; a hand that
    /// cannot beat it passes.
    virtual void OnBtnHint();
    /// Raises the next play stronger than the last no-split hint that splits
    /// no group of the hand; false when there is none.
    virtual bool FindNoSplitHint();
    /// The own auto-play as the server reports it.
    virtual void SetAutoPlay(bool on);
    [[nodiscard]] bool IsAutoPlay() const { return m_auto_play; }
    /// Enables btnThrow when the raised own cards may be thrown.
    virtual void CheckSelection();
    /// Sends the cards' best reading as the own play; the answer code, or
    /// GR_CARD_REQUEST_NOT_SENT when they have no reading or TableRequests no
    /// road.
    virtual int32_t ThrowSelection(std::span<const int32_t> cards);
    /// Sends the own pass from `chair` (the last play's chair in word 4); the
    /// answer code, or GR_CARD_REQUEST_NOT_SENT where TableRequests has no road.
    int32_t SendPass(int32_t chair, int32_t last_chair);
    /// Game data (request 229510) with its body; the answer code. A query
    /// waits for the answer and hands its data to the notification handler
    /// as a relayed game-data event (the code, 0 when no data came back).
    /// Nothing is sent where TableRequests has no road
    /// (GR_CARD_REQUEST_NOT_SENT).
    enum class GameDataQuery : uint8_t { No, Yes };
    virtual int32_t SendGameData(int32_t sub_id, std::span<const uint8_t> body,
                                 GameDataQuery query = GameDataQuery::No);
    /// False when it refused the data (too short for its chair).
    virtual bool OnGameDataPlayer(int32_t sub_id, std::span<const uint8_t> body);
    /// False when the hand is refused (OnSetHandCards).
    virtual bool OnGameDataHand(int32_t sub_id, std::span<const uint8_t> body);
    /// The notification handler a queried answer goes to (the main
    /// window's, else the application's own).
    [[nodiscard]] client::IGameNotifyHandler* GetNotifyHandler() const;
    virtual void OnAutoPlayOn(int chair);
    virtual void OnAutoPlayOff(int chair);

    // --- Select, sort and option buttons
    /// Raises one group of the hand (singles, pairs, triples or bombs, by
    /// the button's event); a second press of the same button only lowers.
    virtual void OnBtnSelect(uint32_t event_id);
    virtual void OnBtnSortByCount();
    virtual void OnBtnSortBySuit();
    virtual void OnBtnSortBySize();
    /// The option request 221070 with its two values.
    virtual void SendOptionRequest(int32_t first, int32_t second);
    [[nodiscard]] uint32_t GetLastSelectButton() const { return m_last_select; }
    /// An onlooker asks the watched player to show the cards.
    virtual void OnBtnAskCardView();
    /// Answers a look-on request (request 229560) and shows the answer as
    /// the server would; nothing is shown when the request was not sent.
    virtual void SendCardViewSetting(int32_t user_id, int32_t allow);
    virtual void OnBtnCheckResult();
    virtual void OnResultClose();
    virtual void OnResultContinue();
    virtual void OnChangeTable();
    virtual void OnRoomConfigRequest() { OnRoomConfig02(); }
    /// The result box's character picture (135 x 270), made on first use.
    virtual void ShowCharacterImage(int32_t character);
    virtual void HideCharacterImage();
    [[nodiscard]] engine::CCanvasObject* GetCharacterCanvas() const { return m_character; }

    // --- Seat refreshes (from the frame UI)
    void ResetSeatBoards() override;
    virtual void OnRandomTable();
    virtual void OnTableChanged();
    virtual void RefreshSeatBoards();
    virtual void RefreshSeatBoardsAndPiles();
    virtual void RefreshOwnSeatBoard();
    /// A player's record (its chair is checked against the table's chairs).
    void OnPlayerEnter(const client::GameUserRecord& user) override;
    void OnPlayerLeave(const client::GameUserRecord& user) override;

    // --- Turn flow
    void ResumeGame() override;
    /// Takes a running round back up after the deal (stored hands of a
    /// replay, the own auto-play mark, clock, turn and sort buttons).
    virtual void RestoreRunningGame();
    /// In replay playback, the hands the replay stored go to their chairs;
    /// false (nothing changed) without a replay board or stored hands.
    bool TakeReplayHands();
    /// The table is over: cleared for the next round unless a game runs.
    virtual void OnTableReset();
    /// Own clock at zero (or auto-play): plays or passes for the player.
    virtual void OnTurnTimeout();
    virtual void AutoPlayStep();
    /// Raises the weakest play that beats the last play (nothing when leading).
    virtual void SelectBeatingPlay();
    virtual void StartClock();
    virtual void StopClock();
    /// The own turn: play buttons and the automatic pass of a hopeless hand.
    virtual void StartTurn();
    /// Moves the turn (and the clock) to chair; seconds < 0 keeps the clock.
    virtual void SetActiveChair(int chair, int32_t seconds);
    [[nodiscard]] virtual int PrevChair(int chair) const;
    [[nodiscard]] virtual bool IsPartnerChair(int chair) const;
    /// The active chair of the game state (-1 without one).
    [[nodiscard]] int GetActiveChair() const;
    /// The last play with its reading (chair -1 when the next player leads):
    /// the scene's own record here; a game that keeps the last play in its
    /// table data answers from there, so a scene that comes back to a
    /// running round follows the play it finds.
    [[nodiscard]] virtual LastPlay GetLastCardPlay() const { return m_last; }
    /// The table's last play as its chair and cards (GetLastCardPlay's).
    [[nodiscard]] TurnRecord GetLastPlay() const;
    /// A chair's last turn; an empty record (chair -1) in this class.
    [[nodiscard]] virtual const TurnRecord& GetChairTurnRecord(int chair) const
    {
        (void)chair;
        return m_empty_record;
    }
    [[nodiscard]] virtual int GetCardSpriteCount() const { return SPRITE_POOL; }
    /// Shows a chair's card count beside its hand (every renumbering of the
    /// hand ends here); nothing in this class.
    virtual void PlaceCardCount(int chair, int32_t count)
    {
        (void)chair;
        (void)count;
    }
    /// Publishes the card and board sizes and the table colours as engine
    /// settings (50013 to 50021) for the rest of the window.
    virtual void PublishCardMetrics(int32_t width, int32_t height);

    // --- Access
    [[nodiscard]] client::CGameApp& GetApp() const { return App(); }
    [[nodiscard]] int GetChairCount() const { return m_chair_count; }
    [[nodiscard]] CSeatBoard* GetSeatBoard(int view) const;
    [[nodiscard]] int ChairToView(int chair) const;
    [[nodiscard]] CCardSprite* GetSprite(int index) const;
    [[nodiscard]] CCardSpriteSet& Sprites() { return m_sprites; }
    [[nodiscard]] CHandOperations* Hand() const { return m_hand.get(); }
    [[nodiscard]] engine::CGuiButton* GetButton(Button button) const;
    [[nodiscard]] engine::CGuiDigitText* GetClock() const { return m_clock; }
    [[nodiscard]] engine::CImageObject* GetBackground() const { return m_background; }
    [[nodiscard]] engine::CImageObject* GetPassHint() const { return m_pass_hint; }
    [[nodiscard]] engine::CCanvasObject* GetInfoBox() const { return m_info_box; }
    [[nodiscard]] engine::CGuiDigitText* GetInfoDigits() const { return m_info_digits; }
    [[nodiscard]] engine::CImageObject* GetWaitingAnimation() const { return m_waiting; }
    [[nodiscard]] int32_t GetSortType() const { return m_sort_type; }
    [[nodiscard]] platform::CursorHandle GetHandCursor() const { return m_hand_cursor; }
    [[nodiscard]] platform::CursorHandle GetArrowCursor() const { return m_arrow_cursor; }
    /// The result box and the further board the game's scene may make.
    void SetResultBox(engine::CEngineObject* box) { m_result_box = box; }
    void SetResultButton(engine::CEngineObject* button) { m_result_button = button; }
    [[nodiscard]] int32_t GetDragStart() const { return m_drag_start; }
    void SetExtraBoard(engine::CEngineObject* board) { m_extra_board = board; }

protected:
    /// The data of a relayed game-data message: after its head, as long as
    /// its length word says. None (the message refused and logged) for a
    /// negative length or one past the bytes received.
    [[nodiscard]] static std::optional<std::span<const uint8_t>> GameDataOf(std::span<const uint8_t> body);
    /// The name of the player at a chair as chat markup (empty for none).
    [[nodiscard]] std::string SeatMarkupName(int chair, client::NameKind kind = client::NameKind::User) const;
    /// A loaded replay's recording player (the application's chair) becomes
    /// the own chair: the chair maths and the bottom seat board take it. The
    /// one step for a replay opened at start and one opened from the board.
    virtual void SeatReplayRecorder();
    virtual void CreateClock();
    virtual void CreateBackground();
    virtual void CreateInputCatcher();
    virtual void CreateSeatBoards(int chair_count);
    virtual void CreateCardSprites();
    virtual void CreateButtons();
    /// A button on a skin image raising event_id at the scene; with a
    /// tooltip text (not empty) a tooltip of TOOLTIP_WIDTH.
    virtual engine::CGuiButton* CreateButton(const char* image_name, uint32_t event_id, std::string_view tooltip,
                                             bool hand_cursor, uint32_t flags, uint32_t image_flags);
    virtual void CreateToolTip(engine::CEngineObject& target, std::string_view text);
    /// The objects the pools are made of; this game's scene makes its own.
    [[nodiscard]] virtual std::unique_ptr<CSeatBoard> NewSeatBoard();
    [[nodiscard]] virtual std::unique_ptr<CCardSprite> NewCardSprite();
    /// The chair maths of the table (this game's seats swap places).
    [[nodiscard]] virtual std::unique_ptr<CChairMath> NewChairMath(int chair_count, int own_chair) const;
    [[nodiscard]] virtual std::unique_ptr<CHandOperations> NewHandOperations(ICardSpriteSet& sprites,
                                                                             const CChairMath& chairs) const;
    /// The replay board of a kind, over the scene's host and environment.
    [[nodiscard]] std::unique_ptr<engine::CEngineObject> NewReplayBoard(client::ReplayBoardKind kind) override;
    /// The info box canvas from the background image, made on first use.
    [[nodiscard]] engine::CCanvasObject* PrepareInfoBox(const char* image_name);
    /// Centres the info box 10 pixels inside the area's top left and shows it.
    void RevealInfoBox();
    /// Where the info box ends below, shown or yet to show (a match room's
    /// box or the game's).
    [[nodiscard]] double GetInfoBoxBottom();
    /// The info box's base score: the title "str_基础分" at (10, 10), then the
    /// score with its unit 分 in the digit strip (made on first use) at (80, y).
    void DrawBaseScore(engine::CCanvasObject& box, const char* strip, uint32_t flags, double y);

    void Place(engine::CEngineObject* object, double x, double y);
    /// Places each button of the row at (right - its distance, y).
    void PlaceButtonRow(std::span<const RowPlace> row, double right, double y);

    int m_chair_count { 0 };
    std::array<CSeatBoard*, MAX_VIEWS> m_seat_boards {};
    std::array<engine::CGuiButton*, static_cast<size_t>(Button::Count)> m_buttons {};
    CCardSpriteSet m_sprites;
    std::unique_ptr<CChairMath> m_chairs;
    std::unique_ptr<CHandOperations> m_hand;
    engine::CGuiDigitText* m_clock { nullptr };
    engine::CImageObject* m_background { nullptr };
    engine::CImageObject* m_pass_hint { nullptr };
    engine::CCanvasObject* m_info_box { nullptr };
    engine::CGuiDigitText* m_info_digits { nullptr };
    engine::CImageObject* m_waiting { nullptr };
    engine::CEngineObject* m_result_box { nullptr };
    engine::CEngineObject* m_extra_board { nullptr };
    engine::CEngineObject* m_result_button { nullptr };
    engine::CCanvasObject* m_character { nullptr };
    /// The row index where a drag over the own cards began (-1: none).
    int32_t m_drag_start { -1 };
    uint32_t m_input_catcher { 0 };
    int32_t m_sort_type { 0 };
    int32_t m_previous_sort_type { 0 };
    bool m_auto_play { false };
    platform::CursorHandle m_hand_cursor { 0 };
    platform::CursorHandle m_arrow_cursor { 0 };
    TurnRecord m_empty_record;
    LastPlay m_last;
    uint32_t m_last_select { 0 };
    rules::CardPlay m_hint_play;
    rules::CardPlay m_second_play;
    int32_t m_timeout_ticks { 0 };
    int32_t m_auto_play_ticks { 0 };
    int32_t m_auto_play_delay { 2 };
    uint32_t m_auto_play_off_time { 0 };
    bool m_auto_play_switched_off { false };
    std::array<int32_t, MAX_VIEWS> m_chair_seconds {};
    uint64_t m_clock_action { 0 };
    bool m_table_closed { false };
    std::unique_ptr<CReplayDispatchHost> m_replay_host;
    std::unique_ptr<CReplaySystemEnv> m_replay_env;
    /// The ids of the replay boards made (ids are never reused).
    std::vector<uint32_t> m_replay_board_ids;
    /// The look-on questions standing: the asker and his box.
    struct LookOnQuestion {
        int32_t asker;
        engine::ObjectLink<panel::CLookOnRequestBox> box;
    };
    std::vector<LookOnQuestion> m_look_on_questions;
    /// Forgets the answered questions (`asker`'s) and those whose box went.
    void ForgetLookOnQuestions(std::optional<int32_t> asker);
};

} // namespace scene
