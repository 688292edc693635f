#pragma once
// CSeatBoard: the plate that shows one chair of the table around the play
// area: the player's small character picture and name, a highlight and a
// hover state, a status image (rank badge, or a blinking auto-play or
// offline animation), the cards left in the hand, a mark (the "ready"
// animation or a pass mark) and in match rooms the match score. The scene
// makes one per chair in view order (view 0 is the own seat at the bottom);
// each board places itself by its view, turning the side boards, and tells
// the scene where the seat's cards go (GetAnchorPoint).
//
// Clicks on a seated board go to the frame UI as GAMEMSG_SEAT_LEFT_CLICK and
// GAMEMSG_SEAT_RIGHT_CLICK with the player's user id; the pointer entering
// and leaving comes back to the board as SEAT_BOARD_HOVER_ON/_OFF.
//
// Owner: the object module. The canvas (visual), the status image, the card
// count and the mark are owned followers that go with the board; the board
// reaches them by id. The application outlives the boards.
// Thread: UI thread, inside the engine tick or under the tick lock.
// Hazards: chair numbers come from the server; a chair the table does not
// have shows nothing (the application's lookups answer empty).

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/EngineRect.h"
#include "engine/core/GuiObject.h"
#include "game/scene/TableLayout.h"

namespace client {
class CGameApp;
}

namespace engine {
class CCanvasObject;
class CGuiDigitText;
class CImageObject;
} // namespace engine

namespace scene {

/// The board's own hover events (routed from its visual).
inline constexpr uint32_t SEAT_BOARD_HOVER_ON = 80000001;
inline constexpr uint32_t SEAT_BOARD_HOVER_OFF = 80000002;
/// How a board's part follows its canvas: position, depth, size, rotation
/// and redraws.
inline constexpr uint32_t SEAT_PART_LINK_FLAGS = 98466;

class CSeatBoard : public engine::CGuiObject {
public:
    static constexpr double BOARD_DEPTH = 1000.0;
    static constexpr double MARK_DEPTH = 10000.0;
    static constexpr int32_t ANCHOR_INSET = 180;
    static constexpr size_t NAME_LIMIT = 10;   ///< names this long or longer are cut
    static constexpr size_t NAME_KEPT = 8;

    explicit CSeatBoard(client::CGameApp& app);

    [[nodiscard]] client::CGameApp& GetApp() const { return m_app; }
    virtual void CreateChildren(int view);
    /// Shows a chair (-1 does nothing).
    virtual void SetPlayer(int chair);
    virtual void ClearPlayer();
    virtual void ResetRound();
    /// Paints the canvas (only while a chair is shown).
    virtual void Draw();
    virtual void PlaceBoard();
    virtual void PlaceMark();
    virtual void SetHighlight(bool on);
    void ShowReady();
    void HideReady() { HideMark(); }
    virtual void ShowPassMark(std::string_view image_name);
    virtual void HideMark();
    /// Where the scene puts the seat's cards (view coordinates).
    [[nodiscard]] virtual Point GetAnchorPoint(int mode) const;
    /// A name of NAME_LIMIT bytes or more keeps its first NAME_KEPT bytes
    /// (one less when the last kept byte would start a two-byte character)
    /// and gets "..".
    [[nodiscard]] static std::string CutName(std::string_view name);
    virtual void ShowMatchScore(int32_t score, int32_t value);
    virtual void ShowAutoPlay(bool on);
    virtual void ShowOffline(bool on);
    [[nodiscard]] bool IsOffline() const { return m_offline; }
    virtual void HideStatusImage();
    /// Below 1 hides the count.
    virtual void SetCardCount(int32_t count);
    virtual void MoveCardCount(int32_t x, int32_t y);
    void SetView(int view) { m_view = view; }

    int OnEvent(const engine::EngineEvent& event) override;

    [[nodiscard]] int GetChair() const { return m_chair; }
    [[nodiscard]] int GetView() const { return m_view; }
    [[nodiscard]] bool IsHighlighted() const { return m_highlight; }
    [[nodiscard]] bool IsHovered() const { return m_hover; }
    [[nodiscard]] int32_t GetTextX() const { return m_text_x; }
    [[nodiscard]] int32_t GetCardCountWidth() const;
    [[nodiscard]] int32_t GetCardCountHeight() const;
    [[nodiscard]] engine::CCanvasObject* GetCanvas() const;
    [[nodiscard]] engine::CImageObject* GetStatusImage() const;
    [[nodiscard]] engine::CImageObject* GetMark() const;
    [[nodiscard]] engine::CGuiDigitText* GetCardCount() const;

    /// The area the board lives in: the one set here, else the frame UI's
    /// main-game area, else the whole view.
    void SetMainGameRect(const engine::EngineRect& rect) { m_area = rect; }
    [[nodiscard]] engine::EngineRect GetMainGameRect() const;

protected:
    /// The board canvas of the plate image's size, made the visual.
    [[nodiscard]] engine::CCanvasObject* MakeCanvas();
    void FinishCanvas(engine::CCanvasObject& canvas);
    void MakeStatusImage(const engine::CCanvasObject& canvas);
    /// A digit display with the unit glyph and suffix, a step above the
    /// canvas, hidden, owned by leader and following it with link_flags.
    [[nodiscard]] engine::CGuiDigitText* MakeDigits(std::string_view digits, uint32_t flags, std::string_view unit_image,
                                                    std::string_view unit, const engine::CCanvasObject& canvas,
                                                    engine::CEngineObject& leader, uint32_t link_flags);
    /// Draws the plate frame, the small picture and the name at the centre.
    void DrawPlate(int32_t frame);
    void SetStatusAnimation(const char* image_name, bool on);
    void SetSeatRoutes();
    void RemoveSeatRoutes();
    [[nodiscard]] int32_t PlateHeight() const;
    [[nodiscard]] int ChairCount() const;
    /// The frame UI's object id (0 without one).
    [[nodiscard]] uint32_t FrameUiId() const;
    [[nodiscard]] int32_t GetCharacter() const;
    void SetPlace(Point centre, double angle);

    client::CGameApp& m_app;
    bool m_highlight { false };
    int m_chair { -1 };
    int m_view { -1 };
    int32_t m_text_x { 0 };
    uint32_t m_canvas_id { 0 };
    uint32_t m_status_id { 0 };
    uint32_t m_mark_id { 0 };
    uint32_t m_count_id { 0 };
    uint64_t m_blink { 0 };
    bool m_offline { false };
    bool m_hover { false };
    engine::EngineRect m_area {};
};

} // namespace scene
