#pragma once
// CGameFrameUI: the root engine object of the game window. It holds the main
// game (the table scene, child "MainGame") on the left and the side panel on
// the right, starts both and the server connection, and shows what the
// application and the notification dispatcher hand it: message boards (plain,
// exit and exit-with-address), the match banners and notices, the system
// board, notice boxes over the frame (PopupBox), the auto-play animation and
// the player boards. A game derives from it to load its skins and create its
// own scene and side panel (CreateChildren). The window has no frame of its
// own: the frame UI draws the title buttons (help, minimise, maximise or
// restore, close) in its top right corner and the table backdrop behind
// everything, and its area follows the engine's view.
//
// Owner: the object module (the host window's root object). It installs
// itself as the application's frame UI (and the main window's, when there is
// one) when created and takes itself out when destroyed, so the application
// and its main window must outlive it. The main game and the side panel are
// registered children it does not own; it links the main game to the
// application, and each takes its own link out as it goes. Thread: UI thread, inside the engine tick or under its lock.
// Hazards: bodies handed in come from the server: each is read field by
// field with its length checked, and a short body shows nothing. Answers of
// boards arrive as posted events, after the call that showed them returned.
// No board waits for its answer (there is no nested message loop): a
// server's message box stands above every other box and is the engine's
// modal object while it is up, but the window keeps drawing and the
// dispatcher keeps handling notifications meanwhile, so whoever asked for it
// has long returned when its OK arrives, and the box goes with this frame
// when the program ends. Only one is shown at a time; a flood of them keeps
// MAX_SERVER_BOXES texts and refuses the rest. A box's text is cut to
// MAX_BOX_TEXT bytes. Every other box belongs to a
// kind (BoxKind) and is bounded the same way, however often a server asks
// for one: at most MAX_BOXES_PER_KIND of a kind that servers asked for are up
// at once (a box the client asks for itself is never crowded out), and never
// two with the same text (forced-exit questions: from the same asker; player
// details: of the same player). A box past that is not made; when a server
// message asked for it, the refusal log tells it once per kind until a box
// of that kind is answered. An answered box fades out and destroys itself,
// and the frame forgets it.
#include <array>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "client/AppLinks.h"
#include "client/GameNotifyHandler.h"
#include "engine/core/GuiContainer.h"

namespace client {
class CGameApp;
class CGameConnection;
}

namespace engine {
class CCanvasObject;
class CGuiButton;
class CGuiEventQueue;
class CGuiImageText;
class CGuiMessageBox;
class CImageObject;
}

namespace panel {

class CSubSystemPanel;

/// Events the frame UI sends to the main game.
inline constexpr uint32_t GAMEMSG_RESET_SEAT_BOARDS = 80000002;
inline constexpr uint32_t GAMEMSG_REFRESH_MAIN_GAME = 80000003;
inline constexpr uint32_t GAMEMSG_REFRESH_SEAT_BOARDS = 80000011;
inline constexpr uint32_t GAMEMSG_RANDOM_TABLE = 80000018;
inline constexpr uint32_t GAMEMSG_TABLE_CHANGED = 80000020;
inline constexpr uint32_t GAMEMSG_REFRESH_OWN_SEAT = 80000030;
/// The settings title button: shows or hides the game's settings board.
inline constexpr uint32_t GAMEMSG_TOGGLE_GAMESET_BOARD = 80000076;
/// Seat boards to the frame UI; param1 the player's user id.
inline constexpr uint32_t GAMEMSG_SEAT_LEFT_CLICK = 80000047;
inline constexpr uint32_t GAMEMSG_SEAT_RIGHT_CLICK = 80000048;

/// The frame UI's own answers (posted to itself by its boards).
inline constexpr uint32_t FRAME_EVENT_CLOSE_WINDOW = 80000068;
inline constexpr uint32_t FRAME_EVENT_QUIT = 80000069;
inline constexpr uint32_t FRAME_EVENT_OPEN_EXIT_URL = 80000070;
inline constexpr uint32_t FRAME_EVENT_EXIT_ANSWER = 80000071; ///< param1 asker, param2 1 agree / 0 refuse
inline constexpr uint32_t FRAME_EVENT_FORCE_QUIT = 80000072;
inline constexpr uint32_t FRAME_EVENT_BOARD_CLOSED = 80000073;
inline constexpr uint32_t FRAME_EVENT_MINIMIZE = 80000074;
inline constexpr uint32_t FRAME_EVENT_MAXIMIZE = 80000075; ///< maximise, or restore when maximised
inline constexpr uint32_t FRAME_EVENT_SERVER_BOX_OK = 80000083;

class CGameFrameUI : public engine::CGuiContainer,
                     public client::IFrameUI,
                     public client::IFrameWindowUI,
                     public client::ITableFrame {
public:
    static constexpr int32_t DEFAULT_WIDTH_SMALL = 800;
    static constexpr int32_t DEFAULT_WIDTH_LARGE = 1050;
    static constexpr int32_t DEFAULT_HEIGHT = 600;
    /// The smallest frame at which the table beside the side panel lays out
    /// without overlaps (narrower, a side seat's play of five cards meets the
    /// points lying on the table; lower, the top seat's play meets its
    /// hand's displays). The window is never made smaller, and a view smaller
    /// than this is laid out at this size from its top left corner.
    static constexpr int32_t MIN_WIDTH = 970;
    static constexpr int32_t MIN_HEIGHT = 560;
    static constexpr int32_t WIDE_WORK_AREA = 1280;
    static constexpr double POPUP_BASE_DEPTH = 90000.0;
    static constexpr double POPUP_DEPTH_STEP = 10.0;
    static constexpr int32_t SIDE_PANEL_WIDTH = 240;
    // The frame metrics (engine integer settings) the side panel's bars read.
    static constexpr int32_t SETTING_TAB_HEIGHT = 50007;    ///< P: tab row above the advert page
    static constexpr int32_t SETTING_HEADER_HEIGHT = 50008; ///< R: header row of the score table
    static constexpr int32_t SETTING_ROW_HEIGHT = 50009;    ///< Q: one chair's row
    static constexpr int32_t SETTING_PAGE_EXTRA = 50011;    ///< S: the page's extra height
    static constexpr int32_t SYSTEM_BOARD_SECONDS = 5;
    // The title buttons, right to left from the frame's top right corner.
    enum class FrameButton { Close, Maximize, Minimize, Help, Settings, Count };
    static constexpr std::array<const char*, static_cast<size_t>(FrameButton::Count)> FRAME_BUTTON_IMAGES {
        "btn_FrameClose", "btn_FrameMax", "btn_FrameMin", "btn_FrameHelp", "btn_FrameSet"
    };
    static constexpr const char* RESTORE_BUTTON_IMAGE = "btn_FrameRestore";
    static constexpr int32_t FRAME_BUTTON_MARGIN = 2;
    static constexpr double FRAME_BUTTON_DEPTH = 85000.0;
    /// The backdrop lies below everything of the table and the side panel.
    static constexpr double BACKDROP_DEPTH = -1000000.0;
    static constexpr const char* BACKDROP_PATTERN = "bit_BkgPattern";
    static constexpr const char* BACKDROP_NAME = "TableBackdrop";
    static constexpr uint32_t BACKDROP_COLOUR = 0x3A6E1C; ///< 0x00BBGGRR, under a missing pattern
    static constexpr size_t NAME_BYTES_IN_BODY = 32;
    /// Server message boxes stand this far above their place among the
    /// popup boxes, so above every other box of the frame and each above the
    /// last (below the engine's highest depth until the box counter passes
    /// forty thousand).
    static constexpr double SERVER_BOX_DEPTH = 500000.0;
    /// Server message boxes kept, the one shown included; more are refused.
    static constexpr size_t MAX_SERVER_BOXES = 16;
    /// Bytes of a box's text kept and drawn, far more than a box shows: a
    /// longer text (a server's) is cut to it, so the bounded boxes also
    /// keep a bounded number of bytes.
    static constexpr size_t MAX_BOX_TEXT = 4096;
    /// What a box over the frame is for; the boxes of one kind are bounded.
    enum class BoxKind {
        MessageBoard, ///< message boards, the quit and forced-quit questions
        ExitBoard,    ///< exit message boards (the end of a table, a lost connection)
        ExitUrlBoard,
        ExitRequest,  ///< another player asks to leave a running game
        Banner,       ///< the match banners
        MatchOut,
        PlayerDetail,
        Count
    };
    /// Boxes of one kind up at once; more are refused.
    static constexpr size_t MAX_BOXES_PER_KIND = 3;

    explicit CGameFrameUI(client::CGameApp& app);
    ~CGameFrameUI() override;

    void OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;
    /// The main game's OnStart, the side panel's, then the server connection.
    void OnStart() override;
    /// The area a caller sets; until then the frame takes the engine's view.
    void SetArea(const engine::EngineRect& area) override;
    void OnAreaChanged() override;

    // --- Children
    /// Stores the scene, names it "MainGame" and registers it as a child.
    virtual void SetMainGame(std::unique_ptr<engine::CGuiContainer> scene);
    virtual void SetSubSystem(std::unique_ptr<CSubSystemPanel> panel);
    [[nodiscard]] engine::CGuiContainer* GetMainGame() const { return m_main_game; }
    [[nodiscard]] CSubSystemPanel* GetSubSystem() const { return m_sub_system; }
    [[nodiscard]] client::CGameApp& GetApp() const { return m_app; }
    [[nodiscard]] virtual int32_t GetSidePanelWidth() const { return SIDE_PANEL_WIDTH; }
    virtual void SetSidePanelWidth(int32_t width);
    virtual void SetSidePanelVisibleWidth(int32_t width);
    [[nodiscard]] engine::EngineRect GetMainGameRect() const override;

    // --- Creation steps (a game's OnCreate calls them in order)
    virtual void LoadSkinPackages() {}
    virtual void SetFrameMetrics();
    /// The title buttons: settings (GAMEMSG_TOGGLE_GAMESET_BOARD on to the
    /// main game), help (GAMEMSG_FRAME_HELP to the frame, which a game
    /// answers), minimise, maximise or restore, and close (the main window's
    /// close road).
    virtual void CreateFrameButtons();
    /// The table's felt pattern over the whole frame, below everything.
    virtual void DrawTableBackdrop();
    virtual void CreateChildren() {}
    virtual void OpenForumPage() {}

    // --- Window
    [[nodiscard]] int32_t GetDefaultWidth() const override;
    [[nodiscard]] int32_t GetDefaultHeight() const override { return DEFAULT_HEIGHT; }
    /// 0: the default size is the main window's largest (the frame has no
    /// other size mode).
    [[nodiscard]] int32_t GetSizeFlag() const override { return 0; }
    [[nodiscard]] std::pair<int32_t, int32_t> GetMinimumSize() const override { return { MIN_WIDTH, MIN_HEIGHT }; }
    /// The work-area width the default width follows (the desktop's unless set).
    void SetWorkAreaWidth(int32_t width) { m_work_area_width = width; }
    [[nodiscard]] int UpdateMaximizedFlag() override;

    // --- Boxes over the frame and the main game
    /// Shows box over the frame at depth 90000 + 10 x the box counter.
    void PopupBox(engine::CEngineObject* box) override;
    [[nodiscard]] int32_t GetBoxCounter() const { return m_box_counter; }
    /// The box popped up last while it exists, else null.
    [[nodiscard]] engine::CEngineObject* GetLastBox() const { return FindObject(m_last_box_id); }
    virtual void RefreshMainGame();
    void ShowAutoPlay(bool on) override;
    [[nodiscard]] bool IsAutoPlayShown() const { return m_auto_play_shown; }
    /// The auto-play animation; null until first shown.
    [[nodiscard]] engine::CImageObject* GetAutoPlayAnimation() const { return m_auto_play; }
    void HideMatchWaitAnimations() override;
    /// The round-end hook: the scene's ClearTable calls it after hiding the
    /// tournament waiting widgets. Nothing here; a game may add to it.
    void OnRoundEnd() override {}
    [[nodiscard]] uint32_t GetFrameObjectId() const override { return GetId(); }
    [[nodiscard]] client::ITableFrame* GetTableFrame() override { return this; }
    /// The tournament event queue of a match room (null elsewhere); the
    /// scene releases it (Next) when a round's events are handled.
    [[nodiscard]] engine::CGuiEventQueue* GetEventQueue() const { return m_event_queue; }
    void ShowForceQuitBox() override;
    void ShowQuitBoard() override;
    /// One server box at a time, the engine's modal object while it is up
    /// (the pointer and the keys reach only the box; Return is its OK); the
    /// next waiting text follows its OK.
    bool ShowServerMessageBox(const std::string& text) override;
    /// The server box shown now, else null.
    [[nodiscard]] engine::CEngineObject* GetServerBox() const { return FindObject(m_server_box_id); }
    /// The self-closing board with the text (colour 0x00BBGGRR, font size).
    void ShowSystemBoard(const std::string& text, uint32_t colour, int32_t size) override;
    using engine::CEngineEntity::ShowSystemBoard;
    void PlayFrameSound(const char* name) override;

    // --- Message boards (client::IFrameUI)
    void ShowMessageBoard(const client::MessageBoardRequest& request) override;
    void ShowExitMessageBoard(const client::ExitBoardRequest& request) override;
    void ShowExitUrlMessageBoard(const client::ExitUrlBoardRequest& request) override;
    void OnLogonReply(int hook) override;
    void OnEnterReply() override;
    void ShowNoSignUpBanner(std::span<const uint8_t> reply) override;
    void ShowWashoutBanner(std::span<const uint8_t> reply) override;
    void ShowMatchEndBanner(std::span<const uint8_t> reply) override;
    void ShowMatchLateBanner(std::span<const uint8_t> reply) override;
    void ShowMatchStartedBanner(std::span<const uint8_t> reply) override;
    void ShowSystemCancelBanner(std::span<const uint8_t> reply) override;
    void ShowSelfCancelBanner(std::span<const uint8_t> reply) override;
    void ShowWaitSignUpCheckBanner(std::span<const uint8_t> reply) override;
    void ShowSystemRejectedBanner(std::span<const uint8_t> reply) override;

    // --- Notifications (client::IFrameUI)
    void ShowExitRequest(std::span<const uint8_t> body) override;
    void NotifyLookerEnter(const client::GameUserRecord& user) override;
    void NotifyLookerLeave(const client::GameUserRecord& user) override;
    void NotifyPlayerEnter(const client::GameUserRecord& seat) override;
    void NotifyPlayerLeave(const client::GameUserRecord& seat) override;
    void NotifyRandomTable() override;
    void NotifyTableChanged() override;
    void NotifySilverChange(std::span<const uint8_t> record) override;
    void ShowEliminationRound() override;
    void OnMatchBegin(std::span<const uint8_t> body) override;
    void ShowRemainingTables(std::span<const uint8_t> body) override;
    void ShowPlayerDetailData(std::span<const uint8_t> body) override;
    void ShowMatchOutNotice(std::span<const uint8_t> body) override;
    void ShowMatchOutInfo(std::span<const uint8_t> body) override;
    void OnSignUpSucceeded() override;
    void OnWithdrawn() override;
    void OnSeatRecords() override;

    // --- Player boards
    void ShowPlayerDetailFull(std::span<const uint8_t> user_record) override;
    [[nodiscard]] int32_t GetPlayerBoardSmallUser() const override;
    void ShowPlayerBoardSmall(int32_t user_id, int32_t x, int32_t y) override;
    [[nodiscard]] engine::CCanvasObject* GetPlayerBoardSmall() const { return m_player_board_small; }

    [[nodiscard]] engine::CGuiButton* GetFrameButton(FrameButton which) const;
    [[nodiscard]] engine::CCanvasObject* GetBackdrop() const { return m_backdrop; }

    /// The last text a board of this frame showed (for tests and the log).
    [[nodiscard]] const std::string& GetLastBoardText() const { return m_last_board_text; }
    /// The boxes of the kind up now (answered ones, fading out, not counted).
    [[nodiscard]] size_t GetOpenBoxCount(BoxKind kind);

protected:
    /// A message box with the text (and a picture when named), answers
    /// posted as given (null: no such button); popped up over the frame.
    /// The text is drawn as its kind says, wrapped, and cut above the
    /// buttons' row.
    engine::CEngineObject* ShowTextBox(const std::string& text, engine::TextKind kind,
                                       const engine::EngineEvent* ok_event,
                                       const engine::EngineEvent* cancel_event, int32_t seconds,
                                       const std::string& picture = {});
    /// ShowTextBox for a box of the kind, when the kind's bound lets it be
    /// shown (see the class comment); `key` names what makes two boxes of the
    /// kind the same (the text when empty); the text is cut to MAX_BOX_TEXT.
    /// Null when refused.
    engine::CGuiMessageBox* ShowBoundedBox(BoxKind kind, std::string key, const std::string& text,
                                           engine::TextKind text_kind, const engine::EngineEvent* ok_event,
                                           const engine::EngineEvent* cancel_event, int32_t seconds,
                                           const std::string& picture = {});
    [[nodiscard]] engine::EngineEvent SelfEvent(uint32_t id, uintptr_t param1 = 0, uintptr_t param2 = 0) const;
    /// The event to the main game; its answer, 0 without one.
    int SendToMainGame(uint32_t id, uintptr_t param1 = 0, uintptr_t param2 = 0);
    [[nodiscard]] client::CGameConnection* GetConnection() const;
    virtual void CloseMainWindow();
    virtual void QuitProgram();
    /// The player confirmed leaving a running game or match: the main
    /// window leaves and closes as its close road does (without a window
    /// the server is told and the program ends).
    virtual void LeaveAndQuit();
    /// Sets an image text (made by a game) or, without one, shows the system board.
    void ShowRoundText(engine::CGuiImageText* text, const std::string& value);
    void LayoutChildren();
    void PlaceFrameButtons();
    void PlaceBackdrop();
    void TileBackdrop(engine::CCanvasObject& canvas, int32_t width, int32_t height);
    /// The maximise button shows "restore" while the main window is maximised.
    void UpdateMaximizeButton();
    virtual void MinimizeMainWindow();
    virtual void ToggleMaximized();

    // The tournament widgets a game creates in match rooms (null until then).
    engine::ObjectLink<engine::CImageObject> m_wait_arrange;
    engine::ObjectLink<engine::CGuiEventQueue> m_event_queue;
    engine::ObjectLink<engine::CGuiButton> m_signup_button;
    engine::ObjectLink<engine::CGuiButton> m_giveup_button;
    engine::ObjectLink<engine::CGuiImageText> m_start_countdown;
    engine::ObjectLink<engine::CGuiImageText> m_signup_countdown;
    engine::ObjectLink<engine::CGuiImageText> m_round_text;
    engine::ObjectLink<engine::CGuiImageText> m_tables_text;

private:
    void ShowBanner(const char* text);
    /// Forgets the boxes answered or gone.
    void ForgetClosedBoxes();
    void RefuseBox(BoxKind kind, const char* reason);
    [[nodiscard]] client::IMainGame* MainGameLink() const { return m_main_game ? m_main_game_link : nullptr; }
    void AnswerExitRequest(int32_t asker, bool agree);
    void ShowFirstServerBox();

    client::CGameApp& m_app;
    bool m_area_follows_view { true };
    std::array<engine::ObjectLink<engine::CGuiButton>, static_cast<size_t>(FrameButton::Count)> m_frame_buttons {};
    engine::ObjectLink<engine::CCanvasObject> m_backdrop;
    engine::ObjectLink<engine::CGuiContainer> m_main_game;
    /// The scene as the application's main game, followed only while
    /// m_main_game still reaches the scene (MainGameLink).
    client::IMainGame* m_main_game_link { nullptr };
    engine::ObjectLink<CSubSystemPanel> m_sub_system;
    int32_t m_side_width { SIDE_PANEL_WIDTH };
    int32_t m_side_visible_width { SIDE_PANEL_WIDTH };
    int32_t m_box_counter { 0 };
    uint32_t m_last_box_id { 0 };
    int32_t m_work_area_width { 0 }; ///< 0: ask the desktop
    engine::ObjectLink<engine::CImageObject> m_auto_play;
    bool m_auto_play_shown { false };
    engine::ObjectLink<engine::CCanvasObject> m_player_board_small;
    int32_t m_player_board_user { 0 };
    std::string m_exit_url;
    /// The shown server box's text first, then the waiting ones.
    std::deque<std::string> m_server_box_texts;
    uint32_t m_server_box_id { 0 };
    struct OpenBox {
        BoxKind kind;
        std::string key;
        engine::ObjectLink<engine::CGuiMessageBox> box;
    };
    std::vector<OpenBox> m_open_boxes;
    /// Per kind: a refusal was told since a box of the kind was last answered.
    std::array<bool, static_cast<size_t>(BoxKind::Count)> m_refusal_told {};
    std::string m_last_board_text;
    int m_maximized { 0 };
};

} // namespace panel
