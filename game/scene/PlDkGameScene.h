#pragma once
// CPlDkGameScene: this game's card table, the "MainGame" object of this
// game's frame UI. It keeps the card table's structure (creation in steps,
// seat boards by view, the card sprites, the buttons, the turn clock, the
// table-event hooks) and adds four seats of CPlDkSeatBoard, 108 hand cards
// of CPlDkCardSprite, the turned-up partner card, 24 score-card corners for
// the 5s, 10s and Ks each seat has taken, the score panel of the points on
// the table, four chat bubbles, the slogan, the settings board, the card
// counter, the arrange, restore, 510K, last-throw and change-table buttons
// and the QR-code panel. Plays are judged, hinted and thrown through this
// game's play finder (CPlDkPlayFinder) under the four-seat chair rules with
// the partner swap (CPlDkChairMath).
//
// Files: PlDkGameScene.cpp (members, creation, layout, resets),
// PlDkGameSceneRound.cpp (round start, plays, passes, scores, round end),
// PlDkGameSceneHints.cpp (hint search, turn start, selection, throw, clock,
// time-out), PlDkGameSceneEvents.cpp and PlDkGameSceneChairs.cpp (events,
// buttons, sorting, auto-play, chair rules, seat marks, layout helpers),
// PlDkGameSceneDeal.cpp, PlDkResultBox.cpp and PlDkGameSceneLastPlay.cpp
// (deal, partner swap, info boxes, talk panel, result box, last plays, QR).
//
// Owner: the object module owns the scene and every object it creates (all
// registered children); the scene keeps raw pointers, valid as long as it is.
// It owns its play finder, last-play lists and QR panel helper.
// Thread: UI thread, inside the engine tick or under the tick lock.
// Hazards: every chair, count and card id of a table event is the server's:
// chairs are checked against 0..3, counts clamped to 0..64, bodies read only
// where they reach; a missing object or panel is skipped.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "game/rules/CardPlay.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/LastPlayLists.h"
#include "game/scene/PlDkResultBox.h"

namespace rules {
struct ChairGroup;
}

namespace client {
class CPlDkApp;
class CPlDkGameState;
} // namespace client

namespace engine {
class CCanvasObject;
class CEngineObject;
class CGuiButton;
class CGuiDigitText;
class CImageObject;
} // namespace engine

namespace scene {

class CCardCounter;
class CFlippedCardSprite;
class CGameSetBoard;
class CPlDkCardSprite;
class CPlDkChairMath;
class CPlDkHandOperations;
class CPlDkPlayFinder;
class CPlDkSeatBoard;
class CQrCodePanel;

// This game's application events to the scene (80000076 to 80000165;
// GAMEMSG_SETTINGS_CHANGED 80000077 is the settings board's, GameSetBoard.h;
// those the card table handles too are in CardGameScene.h).
inline constexpr uint32_t GAMEMSG_BTN_CARD_COUNTER = 80000145;
inline constexpr uint32_t GAMEMSG_CHAT_BUBBLE_TIMER = 80000146;
inline constexpr uint32_t GAMEMSG_SAVE_REPLAY = 80000147;
inline constexpr uint32_t GAMEMSG_PARTNER_STEP = 80000148;
inline constexpr uint32_t GAMEMSGEX_JUDGE_SINGLE_WIN = 80000149;
inline constexpr uint32_t GAMEMSGEX_JUDGE_PLAY_SND = 80000150;
inline constexpr uint32_t GAMEMSG_TALK_PANEL_DRAG = 80000151;
inline constexpr uint32_t GAMEMSG_TALK_PANEL_CLICK = 80000152;
inline constexpr uint32_t GAMEMSG_HIDE_LAST_THROW = 80000153;
inline constexpr uint32_t GAMEMSG_BTN_LAST_THROW = 80000154;
inline constexpr uint32_t GAMEMSG_VOICE_PANEL_1 = 80000156;
inline constexpr uint32_t GAMEMSG_VOICE_PANEL_2 = 80000157;
inline constexpr uint32_t GAMEMSG_TALK_PANEL_CLOSE = 80000158;
inline constexpr uint32_t GAMEMSG_BTN_ARRANGE = 80000159;
inline constexpr uint32_t GAMEMSG_BTN_RESTORE = 80000160;
inline constexpr uint32_t GAMEMSG_BTN_SORT_510K = 80000161;
inline constexpr uint32_t GAMEMSG_CHANGE_TABLE_STATE = 80000165;
inline constexpr uint32_t GAMEMSG_CARD_LOWER = 80000115;

// This game's game-data sub-ids.
inline constexpr int32_t GAMEDATA_JUDGE_SINGLE_WIN = 19840340;
inline constexpr int32_t GAMEDATA_JUDGE_PLAY_SND = 19840341;
inline constexpr int32_t GAMEDATA_SCORE_CARDS = 19840342;

class CPlDkGameScene : public CCardGameScene {
public:
    static constexpr int SEATS = 4;
    /// Where an object waits out of sight.
    static constexpr double OFF_SCREEN = -1000.0;
    static constexpr int HAND_SPRITES = 108;
    static constexpr int SCORE_SPRITES = 24;
    static constexpr int MAX_PLAY_CARDS = 64;
    static constexpr int HAND_CARDS = 32;
    static constexpr int32_t PLAY_TYPE_PASS = 0x20000000;
    static constexpr double CHAT_BUBBLE_DEPTH = 52000.0;
    static constexpr double SCORE_PANEL_DEPTH = 1000.0;
    static constexpr double SETTINGS_BOARD_DEPTH = 80000.0;
    /// The frame of the image "chat" each view's chat bubble is drawn from.
    static constexpr std::array<uint32_t, SEATS> CHAT_FRAMES { 2, 1, 4, 0 };

    explicit CPlDkGameScene(client::CGameApp& app);
    /// Stores the sort type in the application's SortType setting.
    ~CPlDkGameScene() override;

    // ------------------------------------------------------------------
    // --- Members, creation, layout, resets (PlDkGameScene.cpp)
    void Create() override;
    void LayoutScene() override;
    void OnStart() override;
    void ResetSeatBoards() override;
    /// Before a game: flags, counters, hint plays, last plays, sprites,
    /// seat boards and per-chair scores back to their start.
    void ResetTable() override;
    /// End of a round: sprites, seats, score panel, buttons, counter.
    void ClearTable() override;
    void StopClock() override;
    [[nodiscard]] int GetCardSpriteCount() const override { return HAND_SPRITES; }
    virtual void CreateCardCounter();
    /// The score words of every chair's turn record to 0, the last play's
    /// chair -1 and the table data's round-start flag 1.
    virtual void ResetPlayerScores();
    /// Every score corner reset with its index (none in use).
    void ResetScoreSprites();

    // --- Round start, plays, passes, scores, clock, round end (PlDkGameSceneRound.cpp)
    void OnPlayerStarted(int32_t chair) override;
    /// The table-event layer's round header: this game's round start.
    void ShowRoundHeader() override { OnRoundStart(); }
    void OnRoundStart() override;
    bool OnSetHandCards(std::span<const uint8_t> body) override;
    bool OnCardsThrown(std::span<const uint8_t> body) override;
    bool OnPlayerPassed(std::span<const uint8_t> body) override;
    void PlayThrowSound(int32_t type, int32_t count) override;
    virtual void SetTableScore(int32_t points);
    virtual void UpdateScorePanel(int32_t points);
    virtual void AwardScore(int chair, int32_t points);
    bool OnScoreNotify(std::span<const uint8_t> body) override;
    void OnBtnPass() override;
    void OnBtnStart() override;
    void OnResultClose() override;
    /// The frame UI's player-left notice goes to OnPlayerLeft.
    void OnPlayerLeave(const client::GameUserRecord& user) override { OnPlayerLeft(user); }
    virtual void OnPlayerLeft(const client::GameUserRecord& user);
    void OnRoundEnd() override;
    // The clock and its time-out play (PlDkGameSceneHints.cpp).
    void OnClockTick() override;
    void OnTurnTimeout() override;
    /// The table's last play (chair -1 when the next player leads), kept in
    /// the scene and in the game state's table data.
    void SetLastPlay(int chair, const rules::CardPlay& play);
    /// The side panel's advert bar refreshes its page when the application
    /// holds an advert address.
    void RefreshRanking();

    // --- Hint search, turn start, selection and throw (PlDkGameSceneHints.cpp)
    /// The hint search (CPlDkPlayFinder::SearchHint): 1 with the play in
    /// `found` and its ids in `out`, else 0.
    virtual int SearchHint(std::span<const int32_t> hand, std::span<int32_t> out, rules::CardPlay to_beat,
                           rules::CardPlay& found, int32_t type_mask, int wild, int32_t suit);
    virtual int SearchHintLongFirst(std::span<const int32_t> hand, std::span<int32_t> out, rules::CardPlay to_beat,
                                    rules::CardPlay& found, int32_t type_mask, int wild, int32_t suit);
    void StartTurn() override;
    void HidePlayButtons() override;
    void OnBtnHint() override;
    void CheckSelection() override;
    int32_t ThrowSelection(std::span<const int32_t> cards) override;
    virtual void LowerAllCards();
    /// No completion of a partial selection: a click raises the card
    /// clicked, never a play around it.
    int AutoSelectPlay() override { return 0; }
    /// This game's search (its hint order) over the types of its plays: a
    /// sweep becomes only a play this game accepts.
    int MatchPlayType(std::span<const int32_t> cards, std::span<int32_t> out, const rules::CardPlay& to_beat,
                      rules::CardPlay& found, int32_t type_mask, int rule_flag) override;

    // ------------------------------------------------------------------
    // --- Events, buttons, chair rules (PlDkGameSceneEvents.cpp, PlDkGameSceneChairs.cpp)
    /// This game's rows of the events 80000076 to 80000165 (0: consumed,
    /// also when the object a row acts on is missing); the rest go to the
    /// card table.
    int OnEvent(const engine::EngineEvent& event) override;
    /// The button ids 80000117 to 80000138; answers 1.
    int OnButtonEvent(const engine::EngineEvent& event) override;
    virtual void ToggleCardCounter();
    /// 恢复 while no own card is raised and some are arranged, else 理牌.
    virtual void UpdateArrangeButtons();
    void OnBtnSortBySize() override;
    void OnBtnSortByCount() override;
    void OnBtnSortBySuit() override;
    /// Switches the own auto-play at once and tells the table (game data);
    /// switching it on within 5 s of switching it off is refused.
    void OnBtnAutoPlay() override;
    /// The auto-play mark of a chair (and for the own chair the button).
    virtual void SetAutoPlayOn(int chair);
    virtual void SetAutoPlayOff(int chair);
    void OnAutoPlayOn(int chair) override { SetAutoPlayOn(chair); }
    void OnAutoPlayOff(int chair) override { SetAutoPlayOff(chair); }
    virtual void SortHand(int32_t sort_type);
    /// The raised own cards become a new arranged group at the left (not
    /// for a watcher nor in a replay, which show the hands as held).
    virtual void ArrangeSelection();
    /// Every arranged group and raised card undone (as ArrangeSelection).
    virtual void RestoreArrangement();
    bool OnGameData(std::span<const uint8_t> body) override;
    bool OnGameDataHand(int32_t sub_id, std::span<const uint8_t> body) override;
    virtual void SendJudgeSingleWin();
    /// True when it handled the press (raised a play).
    virtual bool AssistSelection();
    virtual void AssistSelectionAlt();
    bool FindNoSplitHint() override { return AssistSelection(); }
    void SelectBeatingPlay() override { AssistSelectionAlt(); }
    /// The SoundEffect and Music settings applied to the music module.
    virtual void OnSettingsChanged();
    void ApplySoundSetting() override { OnSettingsChanged(); }
    /// The cards of a chair laid out again: its hand renumbered, its card
    /// count placed and its score cards laid out.
    virtual void RelayCards(int chair);
    /// The quick-talk phrase of a chair (0..3) and phrase (0..19): chat line
    /// and bubble; anything outside is ignored.
    virtual void ShowQuickTalk(int32_t chair, int32_t phrase);
    /// The score cards a chair took (ids, then word 24 the count, word 25
    /// the chair); beyond the 24 corners they are dropped.
    /// False when it refused the data (too short for its chair).
    virtual bool OnScoreCards(std::span<const uint8_t> body);
    /// The quick-talk panel is not made by the scene; whoever offers one
    /// hands it over here (null: none).
    void SetTalkPanel(engine::CEngineObject* panel) { m_talk_panel = panel; }
    [[nodiscard]] engine::CEngineObject* GetTalkPanel() const { return m_talk_panel; }
    [[nodiscard]] int32_t GetTalkPage() const { return m_talk_page; }
    [[nodiscard]] int32_t GetTalkRow() const { return m_talk_row; }
    [[nodiscard]] engine::CGuiButton* GetArrangeButton() const { return m_arrange_button; }
    [[nodiscard]] engine::CGuiButton* GetRestoreButton() const { return m_restore_button; }
    [[nodiscard]] engine::CGuiButton* GetChangeButton() const { return m_change_button; }
    [[nodiscard]] engine::CGuiButton* GetLastThrowButton() const { return m_last_throw_button; }
    [[nodiscard]] engine::CGuiButton* Get510KButton() const { return m_510k_button; }
    [[nodiscard]] engine::CGuiButton* GetQrButton() const { return m_qr_button; }
    /// The chat bubble (its frame; the text follows it) of a view, or null.
    [[nodiscard]] engine::CCanvasObject* GetChatBubble(int view) const
    {
        return view >= 0 && view < SEATS ? m_bubble_frames[static_cast<size_t>(view)].get() : nullptr;
    }
    /// The phrase row at (x, y) from the panel's top left: rows of 26 pixels
    /// from 30 down, 10 to width - 20 across; -1 between rows, outside, and
    /// below the tenth row.
    [[nodiscard]] static int32_t TalkPanelRow(int32_t x, int32_t y, int32_t panel_width);
    // chair rules and layout helpers
    [[nodiscard]] int PrevChair(int chair) const override;
    [[nodiscard]] bool IsPartnerChair(int chair) const override;
    /// The last play kept in the table data (the scene's own record only
    /// without a game state): a scene that comes back to a running round
    /// follows the play the round holds.
    [[nodiscard]] LastPlay GetLastCardPlay() const override;
    [[nodiscard]] const TurnRecord& GetChairTurnRecord(int chair) const override;
    /// A chair's turn words in the table data (null for no chair or state).
    [[nodiscard]] rules::ChairGroup* GetChairGroup(int chair) const;
    [[nodiscard]] int NextChair(int chair) const;
    [[nodiscard]] int ViewToChair(int view) const;
    [[nodiscard]] int NextView(int view) const;
    [[nodiscard]] int PrevView(int view) const;
    [[nodiscard]] int ChairToViewTraced(int chair, int mode) const;
    [[nodiscard]] client::CPlDkGameState* GetPlDkGameState() const;
    void SetActiveChair(int chair, int32_t seconds) override;
    void AutoPlayStep() override;
    void PublishCardMetrics(int32_t width, int32_t height) override;
    virtual void PlacePlayButtons();
    void ShowStartButton() override;
    /// Places the start button, the slogan under it and the change-table
    /// button beside it (TableLayout's PlaceStartAndSlogan).
    void PlaceStartButtonAndSlogan();
    /// The turn clock's place at a chair's turn: the seat board's clock
    /// point, a side seat's moved in off its card count and points where
    /// those stand aside towards the middle.
    [[nodiscard]] Point ClockPlace(int chair) const;
    void PlaceCardCount(int chair, int32_t count) override;
    virtual void LayoutScoreCards(int chair);
    virtual void Select510K();
    virtual void SetSeatMark(int chair, bool on);
    void OnPlayerEnter(const client::GameUserRecord& user) override;
    void RefreshSeatBoards() override;
    void RecordEventNormal(uint32_t id, std::span<const uint8_t> body) override;
    virtual void RecordSnapshot();
    virtual void ShowReplaySavedNotice();
    void OnChangeTable() override;
    [[nodiscard]] static bool Contains(int32_t value, std::span<const int32_t> values, int count);

protected:
    // helpers of the sort buttons and the arranged groups
    /// A sort button's common part: the new type, groups and raised cards
    /// undone, 理牌 offered, the hand sorted, the sound.
    void ApplySortType(int32_t sort_type);
    [[nodiscard]] bool IsOwnHandSprite(const CardSpriteState& sprite) const;
    /// The own groups 1 to 9 numbered again from 1 in their order; answers
    /// the number a new group takes (one more than the groups numbered).
    int32_t CompactGroups();
    /// Sort, arrange buttons and the own cards' relayout after (un)arranging.
    void FinishArrangement();
    /// Whether the player may arrange the own hand (理牌, 恢复).
    [[nodiscard]] bool MayArrange() const;

public:

    // ------------------------------------------------------------------
    // --- Deal, info boxes, talk panel, result box, last play (PlDkGameSceneDeal.cpp, PlDkResultBox.cpp, PlDkGameSceneLastPlay.cpp)
    /// The most cards a player is dealt (a round record's count is clamped
    /// to 0..DEAL_MAX_ROUNDS, so the deal never passes sprite 107 nor the
    /// 32 words of a hand).
    static constexpr int32_t DEAL_MAX_ROUNDS = 27;
    /// The deal's card that is turned up (sprite and tick 54).
    static constexpr int TURNED_DEAL_INDEX = 54;
    static constexpr uint32_t DEAL_TICK_MS = 30;
    /// The quick-talk panel: ten rows a page, the first TALK_FIRST_ROW pixels
    /// below the panel's top, each TALK_ROW_HEIGHT high.
    static constexpr int TALK_ROWS = 10;
    static constexpr int32_t TALK_FIRST_ROW = 30;
    static constexpr int32_t TALK_ROW_HEIGHT = 26;
    /// The cards per player of the round record (word 20), within 0..DEAL_MAX_ROUNDS.
    [[nodiscard]] static int32_t DealRounds(const rules::TableGameData& data);
    /// Starts the deal: live, one card every DEAL_TICK_MS; in replay
    /// playback laid out at once. A round without cards goes straight to
    /// the partner step.
    void StartDeal() override;
    /// Deals the next card (GAMEMSG_DEAL_TICK).
    void OnDealTick() override;
    /// The partner step after the deal (GAMEMSG_PARTNER_STEP): partner
    /// texts, the seat swap, the start of play.
    void RestoreRunningGame() override;
    /// Rebuilds a running game from the table data (a late entrant).
    void ResumeGame() override;
    void ShowGameInfoBox() override;
    void ShowMatchInfoBox() override;
    void ShowSortButtons(bool show) override;
    /// The play start (GAMEMSG_CHAT_BUBBLE_TIMER).
    virtual void StartPlay();
    virtual void RedrawTalkPanel();
    /// The turned-card mark on the boards of its holder and that holder's partner.
    virtual void MarkTurnedCardSeats();
    /// Numbers a chair's dealt cards in sprite order and places its count.
    virtual void LayDealtCard(int chair);
    /// The round's result box: built on the first call, refilled on each.
    virtual void ShowResultBox();
    /// The score cards a chair has taken go to the next free score-card
    /// sprites (none beyond the 24); the chair's cards are then relaid.
    virtual void GiveScoreCards(int chair, std::span<const int32_t> cards);
    /// Puts the played cards away into the last-play lists.
    void RetirePlayedCards(int chair) override;
    [[nodiscard]] bool IsInLastPlay(int32_t card) const;
    [[nodiscard]] bool HasLastPlay() const;
    /// The seats' last plays are shown on their own: marked among the card
    /// sprites while the current play, the seats' pass marks and the trick's
    /// points on the table stand aside (nothing stands aside when there is
    /// no last play). Answers the serial of this showing, which its timed
    /// end (GAMEMSG_HIDE_LAST_THROW with the serial in param1) must carry.
    virtual uint32_t ShowLastThrow();
    /// The table as it is again: marks undone, what stood aside put back.
    /// Every change of the table ends a showing first.
    virtual void HideLastThrow();
    /// While the last plays show on the own turn, the own one stands aside
    /// from the play buttons and the clock, which stand where it lay.
    void StandOwnLastPlayAside();
    void OnSceneNotice(std::span<const uint8_t> record) override;
    virtual void ShowQRCodePanel(std::string_view text);
    [[nodiscard]] bool IsDealing() const { return m_dealing; }
    [[nodiscard]] int32_t GetDealCount() const { return m_deal_count; }
    [[nodiscard]] const CPlDkResultBox* GetResultBoxParts() const { return m_result_parts.get(); }
    [[nodiscard]] bool IsLastThrowShown() const { return m_last_throw; }

    // ------------------------------------------------------------------
    // --- Access (for the files above and the tests)
    [[nodiscard]] CPlDkSeatBoard* GetPlDkSeatBoard(int view) const;
    [[nodiscard]] CPlDkSeatBoard* GetChairBoard(int chair) const;
    [[nodiscard]] CPlDkCardSprite* GetTurnedCard() const { return m_turned_card; }
    [[nodiscard]] CFlippedCardSprite* GetScoreSprite(int index) const;
    [[nodiscard]] int GetScoreSpritesUsed() const { return m_score_used; }
    [[nodiscard]] engine::CGuiDigitText* GetScorePanel() const { return m_score_panel; }
    [[nodiscard]] CGameSetBoard* GetSetBoard() const { return m_set_board; }
    [[nodiscard]] CCardCounter* GetCardCounter() const { return m_card_counter; }
    [[nodiscard]] engine::CGuiButton* GetCounterButton() const { return m_counter_button; }
    [[nodiscard]] engine::CImageObject* GetSlogan() const { return m_slogan; }
    [[nodiscard]] CPlDkPlayFinder* Finder() const { return m_finder.get(); }
    [[nodiscard]] CPlDkHandOperations* PlDkHand() const;
    [[nodiscard]] CPlDkChairMath* PlDkChairs() const;
    [[nodiscard]] const CLastPlayLists& LastPlays() const { return m_last_plays; }
    [[nodiscard]] int32_t GetRoomMode() const { return m_room_mode; }
    [[nodiscard]] int32_t GetTimeoutCount() const { return m_timeout_count; }
    [[nodiscard]] int32_t GetPassCount(int chair) const;
    [[nodiscard]] int32_t GetHandPoints(int chair) const;
    [[nodiscard]] bool IsNewLead() const { return m_new_lead; }
    [[nodiscard]] bool IsGameOver() const { return m_game_over; }
    [[nodiscard]] int32_t GetHintIndex() const { return m_hint_index; }
    [[nodiscard]] int32_t GetZeroTicks() const { return m_timeout_ticks; }

protected:
    /// Also every seat board takes the chair of its view again.
    void SeatReplayRecorder() override;
    void CreateSeatBoards(int chair_count) override;
    void CreateCardSprites() override;
    void CreateButtons() override;
    void CreateClock() override;
    void CreateBackground() override;
    [[nodiscard]] std::unique_ptr<CSeatBoard> NewSeatBoard() override;
    [[nodiscard]] std::unique_ptr<CCardSprite> NewCardSprite() override;
    [[nodiscard]] std::unique_ptr<CChairMath> NewChairMath(int chair_count, int own_chair) const override;
    [[nodiscard]] std::unique_ptr<CHandOperations> NewHandOperations(ICardSpriteSet& sprites,
                                                                     const CChairMath& chairs) const override;

    [[nodiscard]] client::CPlDkApp* PlDkApp() const;
    [[nodiscard]] bool IsLookOn() const;
    [[nodiscard]] int OwnChair() const;
    [[nodiscard]] bool IsChair(int chair) const { return chair >= 0 && chair < SEATS; }
    /// Whether `chair` names no seat of the table; message `id` is then refused
    /// for it, and the values read with it must not be used.
    [[nodiscard]] bool RefuseUnlessChair(uint32_t id, int32_t chair) const;
    /// The chat line through the application.
    void Chat(const std::string& line) const;

    // --- Members of the table (creation, layout, resets, round flow)
    engine::ObjectLink<CPlDkCardSprite> m_turned_card;
    std::array<engine::ObjectLink<CFlippedCardSprite>, SCORE_SPRITES> m_score_sprites {};
    int m_score_used { 0 };
    engine::ObjectLink<engine::CGuiDigitText> m_score_panel;
    engine::ObjectLink<CGameSetBoard> m_set_board;
    engine::ObjectLink<CCardCounter> m_card_counter;
    engine::ObjectLink<engine::CGuiButton> m_counter_button;
    engine::ObjectLink<engine::CGuiButton> m_save_button;
    engine::ObjectLink<engine::CGuiButton> m_last_throw_button;
    engine::ObjectLink<engine::CGuiButton> m_510k_button;
    engine::ObjectLink<engine::CGuiButton> m_arrange_button;
    engine::ObjectLink<engine::CGuiButton> m_restore_button;
    engine::ObjectLink<engine::CGuiButton> m_change_button;
    engine::ObjectLink<engine::CGuiButton> m_qr_button;
    engine::ObjectLink<engine::CGuiButton> m_qr_close_button;
    engine::ObjectLink<engine::CGuiButton> m_qr_site_button;
    engine::ObjectLink<engine::CEngineObject> m_qr_panel;
    std::unique_ptr<CQrCodePanel> m_qr;
    engine::ObjectLink<engine::CImageObject> m_slogan;
    engine::ObjectLink<engine::CImageObject> m_centre_mark;
    std::array<engine::ObjectLink<engine::CCanvasObject>, SEATS> m_bubble_frames {};
    std::array<engine::ObjectLink<engine::CCanvasObject>, SEATS> m_bubble_texts {};
    engine::ObjectLink<engine::CEngineObject> m_talk_panel;
    int32_t m_talk_page { 0 };
    int32_t m_talk_row { -1 };
    int32_t m_room_mode { 0 };
    int32_t m_timeout_count { 0 };
    CLastPlayLists m_last_plays;
    std::array<int32_t, SEATS> m_pass_counts {};
    std::array<int32_t, SEATS> m_hand_points {};
    bool m_new_lead { false };
    bool m_game_over { false };
    bool m_last_throw { false };
    /// Counts the showings of the last plays; a timed end of an earlier
    /// one leaves a later showing alone.
    uint32_t m_last_throw_serial { 0 };
    /// The seats (by view) whose pass mark stands aside while the last plays show.
    std::array<bool, SEATS> m_marks_aside {};
    /// The trick's points on the table stand aside while the last plays show.
    bool m_points_aside { false };
    int32_t m_hint_index { 0 };
    std::unique_ptr<CPlDkPlayFinder> m_finder;

    // --- Members of events, buttons, chair rules (PlDkGameSceneEvents.cpp, PlDkGameSceneChairs.cpp)
    /// The channel of the background music "default" (0: not playing).
    uint32_t m_music_channel { 0 };

    // --- Members of deal, info boxes, talk panel, result box, last play (PlDkGameSceneDeal.cpp, PlDkResultBox.cpp, PlDkGameSceneLastPlay.cpp)
    /// Seat boards follow their chairs to the views of the chair rules.
    void PlaceSeatBoardsByChair();
    /// The chair rules take the turned card's holders from the table data.
    void ApplySeatSwap(const rules::TableGameData& data);
    /// The chair rules back to the plain ring and the boards to its views.
    void UndoSeatSwap();
    void ShowTurnedCard(const rules::TableGameData& data);
    /// The chat line naming the turned card's holder and the card.
    void ChatTurnedCard(const rules::TableGameData& data);
    /// The own partner of the round being dealt (-1 without an own chair).
    [[nodiscard]] int DealtPartner(const rules::TableGameData& data) const;
    void FillCardCounter();
    /// The own hand's cards lose their raised, moving and arranged marks and
    /// take the mouse again (a reset took it away).
    void ClearOwnCardMarks();
    int32_t m_deal_count { 0 };
    bool m_dealing { false };
    uint64_t m_deal_action { 0 };
    std::unique_ptr<CPlDkResultBox> m_result_parts;
    /// The quick-talk panel's rows and highlight (supplied with the panel).
    std::array<engine::ObjectLink<engine::CCanvasObject>, TALK_ROWS> m_talk_rows {};
    engine::ObjectLink<engine::CEngineObject> m_talk_highlight;
};

} // namespace scene
