#pragma once
// CPlDkSeatBoard: this game's seat board (four chairs). Besides the plate
// of CSeatBoard it shows the round score counting up, the points taken, a
// bomb icon with the number of bombs, the finishing place, a mark on the
// boards of the turned-up card's holder and partner, and the player's large
// character portrait beside the board.
//
// Owner: the object module; every part is an owned follower (the portrait
// and the placing only for ownership: they are placed by the board).
// Thread: UI thread, inside the engine tick or under the tick lock.
// Hazards: a score count-up is an engine action on the score display; it is
// stopped before every new count and when the seat changes.

#include <cstdint>

#include "game/scene/SeatBoard.h"

namespace client {
class CPlDkApp;
}

namespace scene {

/// The score count-up has ended (to the board).
inline constexpr uint32_t SEAT_BOARD_SCORE_DONE = 80000004;

class CPlDkSeatBoard : public CSeatBoard {
public:
    static constexpr int32_t BOMB_WIDTH = 80;
    static constexpr int32_t BOMB_HEIGHT = 30;
    static constexpr int32_t PORTRAIT_WIDTH = 135;
    static constexpr int32_t PORTRAIT_HEIGHT = 270;
    static constexpr uint32_t SCORE_STEP_MS = 30;
    /// The frame of "PlayerBoardSmall" the board draws: the turned card's
    /// team is marked, and the pointer over a plate lights it.
    [[nodiscard]] static constexpr uint32_t PlateFrame(bool marked, bool hovered)
    {
        return (marked ? 2u : 0u) + (hovered ? 1u : 0u);
    }

    explicit CPlDkSeatBoard(client::CPlDkApp& app);

    int OnEvent(const engine::EngineEvent& event) override;
    void CreateChildren(int view) override;
    void SetPlayer(int chair) override;
    void ClearPlayer() override;
    void ResetRound() override;
    void Draw() override;
    void PlaceBoard() override;
    void PlaceMark() override;
    [[nodiscard]] Point GetAnchorPoint(int mode) const override;
    /// Counts the score up (or down) by delta; at once in replays.
    virtual void AddScore(int32_t delta);
    virtual void LayoutScore();
    /// 0 hides the bomb icon.
    virtual void ShowBombCount(int32_t count);

    /// The scene marks the boards of the turned-up card's holder and partner.
    void SetTurnedCardMark(bool on);
    [[nodiscard]] bool HasTurnedCardMark() const { return m_turned_mark; }
    [[nodiscard]] int32_t GetCountWidth() const;
    /// Below 1 hides the points.
    void SetPoints(int32_t points);
    void MovePoints(int32_t x, int32_t y);
    void HidePoints();
    void ShowPlacing(int32_t place);
    void HidePlacing();
    void PlacePlacing();
    void DrawPortrait();
    void HidePortrait();
    [[nodiscard]] bool IsPortraitShown() const;

    [[nodiscard]] engine::CGuiDigitText* GetScore() const;
    [[nodiscard]] engine::CGuiDigitText* GetPoints() const;
    [[nodiscard]] engine::CCanvasObject* GetBombCanvas() const;
    [[nodiscard]] engine::CCanvasObject* GetPortrait() const;
    [[nodiscard]] engine::CImageObject* GetPlacing() const;

private:
    void Hide(engine::CEngineObject* part);
    /// d of the mark places: further in with the largest cards.
    [[nodiscard]] int32_t MarkInset() const;

    client::CPlDkApp& m_pldk_app;
    uint32_t m_score_id { 0 };
    uint32_t m_bomb_id { 0 };
    bool m_turned_mark { false };
    uint32_t m_placing_id { 0 };
    uint32_t m_portrait_id { 0 };
    uint32_t m_points_id { 0 };
};

} // namespace scene
