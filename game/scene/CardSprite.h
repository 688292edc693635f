#pragma once
// CCardSprite: one playing card on the table as an engine object. The scene
// owns a fixed pool of them and fills each one's record (card id, owner
// chair, seat view, state, place in its row); the sprite then picks its own
// image, size, rotation, depth and position from the record and the
// main-game area, and forwards the mouse events of its face to the scene
// object named "MainGame" (parameter 1 = the sprite's object id, so a card
// gone by the time the event arrives is simply not found).
//
// Sizes: the main-game width picks the size index (1 up to 1000 pixels, 2 up
// to 1400, else 3) and with it the large card (own hand, played cards) and
// the small card (other seats' hands, the piles).
//
// CCardSpriteSet is the pool as the table logic sees it (ICardSpriteSet):
// each sprite keeps one CardSpriteState record and redraws from it.
//
// Owner: the object module owns the sprites; the scene keeps their ids.
// The face image object is the sprite's visual and goes with it.
// Thread: UI thread, inside the engine tick or under the tick lock.
// Hazards: card ids come from the server; an id outside the decks shows
// the back. A moving card (its flight action running) is not moved by
// layout until GAMEMSG_CARD_MOVE_DONE arrives.

#include <cstdint>
#include <vector>

#include "engine/core/EngineRect.h"
#include "engine/core/GuiObject.h"
#include "game/scene/CardSpriteState.h"
#include "game/scene/TableLayout.h"

namespace engine {
class CImageObject;
}

namespace scene {

/// The scene's events about cards (parameter 1: the sprite's object id).
inline constexpr uint32_t GAMEMSG_CARD_LBUTTON_DOWN = 80000107;
inline constexpr uint32_t GAMEMSG_CARD_LBUTTON_UP = 80000108;
inline constexpr uint32_t GAMEMSG_CARD_RBUTTON_DOWN = 80000109;
inline constexpr uint32_t GAMEMSG_CARD_MOUSE_MOVE = 80000110;
inline constexpr uint32_t GAMEMSG_CARD_MOUSE_ENTER = 80000112;
inline constexpr uint32_t GAMEMSG_CARD_MOUSE_LEAVE = 80000113;
/// To the card itself when its flight ends.
inline constexpr uint32_t GAMEMSG_CARD_MOVE_DONE = 80000114;

/// Face strips (54 frames, frame = face index) used outside the sprite too.
inline constexpr const char* CARD_FACE_50 = "牌正面50x68";
inline constexpr const char* CARD_FACE_82 = "牌正面82x110";

/// The name of the scene object that takes the cards' mouse events.
inline constexpr const char* MAIN_GAME_NAME = "MainGame";

class CCardSprite : public engine::CGuiObject {
public:
    static constexpr int32_t FACES_PER_DECK = 54;
    static constexpr int32_t MAX_CARD_ID = 215;
    /// The colour value of an untinted face, and of the selection tint.
    static constexpr uint32_t NO_TINT = 0xFF00FF;
    static constexpr uint32_t SELECTED_TINT = 0x50FF0000;
    /// A hover right after RaiseStamped is not marked for this long.
    static constexpr uint32_t HOVER_GRACE_MS = 300;

    /// chair_count: the table's chairs (3 or 4), which decide the seats.
    explicit CCardSprite(int chair_count = 4);

    void OnCreate() override { Create(); }
    virtual void Create();
    int OnEvent(const engine::EngineEvent& event) override;

    [[nodiscard]] static int32_t GetFaceIndex(int32_t card) { return card % FACES_PER_DECK; }
    /// Picks the size index from the main-game width and takes the card
    /// sizes from the back images.
    virtual void LoadBackImages();
    /// Redraws the card from its record; every change ends with it.
    virtual void UpdateImage();
    virtual void Reset();
    /// Adds the six mouse routes of the face again, or removes them.
    void EnableMouseRoutes(bool on) { SetMouseRoutes(on); }

    [[nodiscard]] virtual Point GetPilePosition() const;
    [[nodiscard]] virtual Point GetHandPosition() const;
    [[nodiscard]] virtual Point GetPlayedPosition() const;
    [[nodiscard]] virtual int32_t GetOverlapStepX() const;
    [[nodiscard]] virtual int32_t GetOverlapStepY() const;
    [[nodiscard]] virtual int32_t GetCardHeight() const { return m_large_height; }
    [[nodiscard]] virtual Point GetShowRowPosition() const;
    virtual void Raise();
    virtual void RaiseStamped();
    virtual void Lower();
    /// The mouse came over the card: marked (drawn tinted) unless it was
    /// raised by RaiseStamped less than HOVER_GRACE_MS ago.
    void EnterHover();
    void LeaveHover();

    /// Flies to the record's position: waits wait_frames frames, then moves
    /// at speed pixels a frame; the flight ends with GAMEMSG_CARD_MOVE_DONE.
    /// The record's moving flag is set until then.
    void FlyTo(Point target, uint32_t wait_frames, double speed);

    /// The main-game area (view coordinates); the whole view when empty.
    void SetMainGameRect(const engine::EngineRect& rect) { m_area = rect; }
    [[nodiscard]] engine::EngineRect GetMainGameRect() const;

    [[nodiscard]] CardSpriteState& Record() { return m_record; }
    [[nodiscard]] const CardSpriteState& Record() const { return m_record; }
    [[nodiscard]] int32_t GetSizeIndex() const { return m_size_index; }
    [[nodiscard]] int32_t GetLargeWidth() const { return m_large_width; }
    [[nodiscard]] int32_t GetLargeHeight() const { return m_large_height; }
    [[nodiscard]] int32_t GetSmallWidth() const { return m_small_width; }
    [[nodiscard]] int32_t GetSmallHeight() const { return m_small_height; }
    [[nodiscard]] bool IsHovered() const { return m_hover; }
    [[nodiscard]] engine::CImageObject* GetFace() const;
    [[nodiscard]] int GetChairCount() const { return m_chair_count; }

    // Fields kept with the card for the scene; nothing here reads them.
    int32_t m_second_index { -1 };
    int32_t m_spare { -1 };
    bool m_spare_flag { false };
    bool m_disabled { false };
    bool m_wild { false };

protected:
    /// The hand layout's gaps: from the area's edge to a side hand's centre
    /// line (plus half the card), from the bottom to the own hand, the lift
    /// of a raised card, and the own hand's shift in thirds of a step.
    struct HandGaps {
        int32_t edge;
        int32_t bottom;
        int32_t raise_lift;
        int32_t shift_thirds;
    };
    [[nodiscard]] virtual HandGaps GetHandGaps() const { return { 48, 48, 10, 0 }; }
    /// The top seat's play row: the centre line below the area's top.
    [[nodiscard]] int32_t GetTopPlayY() const { return m_large_height + 40 + m_large_height / 2; }
    /// Shows the record's state; false for a state that hides the card.
    /// Alpha, angle and tint are reset before.
    virtual bool DrawCard();
    /// The highest card id that has a face.
    [[nodiscard]] virtual int32_t GetMaxCardId() const { return MAX_CARD_ID; }
    /// Whether the own hand's card is drawn dimmed (the drag look).
    [[nodiscard]] virtual bool IsDimmed() const { return m_record.drag_mark; }
    [[nodiscard]] uint32_t GetFaceFrame() const
    {
        return static_cast<uint32_t>(GetFaceIndex(m_record.card < 0 ? 0 : m_record.card));
    }
    /// Adds (on) or removes the six mouse routes of the face.
    void SetMouseRoutes(bool on);
    /// Shows one frame of an image on the face, at size (0, 0: its own).
    void ShowImage(const char* name, uint32_t frame, int32_t width, int32_t height);
    /// Moves to the area point unless the card is flying; stores it.
    void PlaceAt(Point point);
    [[nodiscard]] bool IsValidFace(int32_t max_card) const
    {
        return m_record.face_up && m_record.card >= 0 && m_record.card <= max_card;
    }
    /// The face's drawn height (the vh of the seat formulas).
    [[nodiscard]] double GetFaceHeight() const;
    /// Rotation of another seat's hand for the table's chairs.
    [[nodiscard]] double SeatAngle() const;
    /// The image names of the large and small faces and backs.
    [[nodiscard]] const char* LargeFace() const;
    [[nodiscard]] const char* LargeBack() const;
    [[nodiscard]] const char* SmallFace() const;
    [[nodiscard]] const char* SmallBack() const;
    void ResetFields();

    CardSpriteState m_record;
    int m_chair_count;
    int32_t m_size_index { 0 };
    int32_t m_large_width { 0 };
    int32_t m_large_height { 0 };
    int32_t m_small_width { 0 };
    int32_t m_small_height { 0 };
    bool m_hover { false };
    uint32_t m_raise_time { 0 };
    uint32_t m_face_id { 0 };
    engine::EngineRect m_area {};
};

/// The engine sprites as the table logic's sprite set. The sprites are
/// found by id at every call; a sprite gone answers a spare record.
class CCardSpriteSet final : public ICardSpriteSet {
public:
    explicit CCardSpriteSet(engine::CEngineEntity& owner) : m_owner(owner) {}
    void Add(const CCardSprite& sprite) { m_ids.push_back(sprite.GetId()); }
    void Clear() { m_ids.clear(); }
    [[nodiscard]] CCardSprite* Sprite(int index) const;
    /// The index of the sprite with the object id; -1 for none.
    [[nodiscard]] int IndexOf(uint32_t id) const;

    [[nodiscard]] int Count() const override { return static_cast<int>(m_ids.size()); }
    [[nodiscard]] CardSpriteState& At(int index) override;
    [[nodiscard]] const CardSpriteState& At(int index) const override;
    [[nodiscard]] int32_t GetOverlapStepX(int index) const override;
    void Redraw(int index) override;

private:
    engine::CEngineEntity& m_owner;
    std::vector<uint32_t> m_ids;
    mutable CardSpriteState m_spare;
};

} // namespace scene
