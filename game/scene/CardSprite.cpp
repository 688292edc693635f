#include "game/scene/CardSprite.h"

#include <algorithm>
#include <array>

#include "engine/core/EngineEvent.h"
#include "engine/core/ImageObject.h"
#include "game/scene/SceneWidgets.h"

namespace scene {

namespace {

constexpr int32_t OFF_TABLE = -10000;
constexpr int32_t SMALL_WIDTH_LIMIT = 1000;   // Widths up to here: size 1.
constexpr int32_t MEDIUM_WIDTH_LIMIT = 1400;  // Up to here: size 2.
constexpr int32_t HIDDEN_COLUMN_STEP = 8;
constexpr double DRAG_ALPHA = 0.7;
constexpr double HOVER_ALPHA = 0.9;

struct MouseRoute {
    uint32_t input;
    uint32_t forwarded;
};
constexpr std::array<MouseRoute, 6> MOUSE_ROUTES { {
    { engine::VELOTRIX_EVENT_LBUTTON_DOWN, GAMEMSG_CARD_LBUTTON_DOWN },
    { engine::VELOTRIX_EVENT_LBUTTON_UP, GAMEMSG_CARD_LBUTTON_UP },
    { engine::VELOTRIX_EVENT_RBUTTON_DOWN, GAMEMSG_CARD_RBUTTON_DOWN },
    { engine::VELOTRIX_EVENT_MOUSE_MOVE, GAMEMSG_CARD_MOUSE_MOVE },
    { engine::VELOTRIX_EVENT_MOUSE_ENTER, GAMEMSG_CARD_MOUSE_ENTER },
    { engine::VELOTRIX_EVENT_MOUSE_LEAVE, GAMEMSG_CARD_MOUSE_LEAVE },
} };

constexpr const char* FACE_50 = CARD_FACE_50;
constexpr const char* FACE_71 = "牌正面71x96";
constexpr const char* FACE_82 = CARD_FACE_82;
constexpr const char* FACE_98 = "牌正面98x132";
constexpr const char* BACK_50 = "牌背面50x68";
constexpr const char* BACK_71 = "牌背面71x96";
constexpr const char* BACK_82 = "牌背面82x110";
constexpr const char* BACK_98 = "牌背面98x132";

} // namespace

CCardSprite::CCardSprite(int chair_count) : m_chair_count(chair_count)
{
    ResetFields();
    m_record.state = CARD_STATE_NONE;
    m_record.x = OFF_TABLE;
    m_record.y = OFF_TABLE;
}

void CCardSprite::ResetFields()
{
    m_record.chair = -1;
    m_record.view = -1;
    m_record.row_index = -1;
    m_record.card = -1;
    m_record.row_count = 0;
    m_record.group = 0;
    m_record.moving = false;
    m_record.raised = false; // A card starts lowered.
    m_record.drag_mark = false;
    m_record.face_up = false;
    m_second_index = -1;
    m_spare = -1;
    m_spare_flag = false;
    m_disabled = false;
    m_wild = false;
    m_hover = false;
    m_raise_time = 0;
}

void CCardSprite::Create()
{
    engine::ImageRef small_back;
    engine::ImageRef large_back;
    GetImage(small_back, BACK_50, 0);
    GetImage(large_back, BACK_71, 0);
    m_size_index = 1;
    m_large_width = large_back.width;
    m_large_height = large_back.height;
    m_small_width = small_back.width;
    m_small_height = small_back.height;
    engine::CImageObject* face = NewImageObject(large_back);
    if (face == nullptr)
        return;
    m_face_id = face->GetId();
    SetVisual(face, BOARD_PART_LINK_FLAGS);
    SetMouseRoutes(true);
}

void CCardSprite::SetMouseRoutes(bool on)
{
    engine::CImageObject* face = GetFace();
    if (face == nullptr)
        return;
    for (const MouseRoute& route : MOUSE_ROUTES)
        face->RemoveEventRoutes(route.input);
    if (!on)
        return;
    const engine::CEngineObject* scene = FindObjectByName(MAIN_GAME_NAME);
    if (scene == nullptr)
        return;
    for (const MouseRoute& route : MOUSE_ROUTES)
        face->AddEventRoute(route.input, scene->GetId(), route.forwarded, GetId(), 0);
}

engine::CImageObject* CCardSprite::GetFace() const
{
    return dynamic_cast<engine::CImageObject*>(FindObject(m_face_id));
}

int CCardSprite::OnEvent(const engine::EngineEvent& event)
{
    if (event.id == GAMEMSG_CARD_MOVE_DONE) {
        m_record.moving = false;
        UpdateImage();
        return 1;
    }
    return CGuiObject::OnEvent(event);
}

void CCardSprite::EnterHover()
{
    m_hover = m_raise_time == 0 || GetTime() - m_raise_time >= HOVER_GRACE_MS;
    UpdateImage();
}

void CCardSprite::LeaveHover()
{
    m_hover = false;
    UpdateImage();
}

engine::EngineRect CCardSprite::GetMainGameRect() const
{
    if (!m_area.IsEmpty())
        return m_area;
    return engine::EngineRect { 0, 0, GetViewWidth(), GetViewHeight() };
}

void CCardSprite::LoadBackImages()
{
    const int32_t width = GetMainGameRect().Width();
    m_size_index = width <= SMALL_WIDTH_LIMIT ? 1 : width <= MEDIUM_WIDTH_LIMIT ? 2 : 3;
    engine::ImageRef large;
    engine::ImageRef small;
    GetImage(large, LargeBack(), 0);
    GetImage(small, SmallBack(), 0);
    m_large_width = large.width;
    m_large_height = large.height;
    m_small_width = small.width;
    m_small_height = small.height;
    if (engine::CImageObject* face = GetFace())
        face->SetImage(large, engine::CImageObject::FitSize::Yes);
}

const char* CCardSprite::LargeFace() const
{
    return m_size_index == 2 ? FACE_82 : m_size_index == 3 ? FACE_98 : FACE_71;
}
const char* CCardSprite::LargeBack() const
{
    return m_size_index == 2 ? BACK_82 : m_size_index == 3 ? BACK_98 : BACK_71;
}
const char* CCardSprite::SmallFace() const { return m_size_index == 3 ? FACE_71 : FACE_50; }
const char* CCardSprite::SmallBack() const { return m_size_index == 3 ? BACK_71 : BACK_50; }

void CCardSprite::ShowImage(const char* name, uint32_t frame, int32_t width, int32_t height)
{
    engine::CImageObject* face = GetFace();
    if (face == nullptr)
        return;
    engine::ImageRef image;
    GetImage(image, name, frame);
    face->SetImage(image, engine::CImageObject::FitSize::Yes);
    if (width > 0 && height > 0)
        face->SetSize(width, height);
}

double CCardSprite::GetFaceHeight() const
{
    const engine::CImageObject* face = GetFace();
    return face != nullptr ? face->GetHeight() : 0.0;
}

double CCardSprite::SeatAngle() const
{
    switch (m_record.view) {
    case 1:
        return 270.0;
    case 2:
        return m_chair_count == 3 ? 90.0 : 0.0;
    case 3:
        return 90.0;
    default:
        return 0.0;
    }
}

void CCardSprite::PlaceAt(Point point)
{
    m_record.x = point.x;
    m_record.y = point.y;
    if (!m_record.moving)
        MoveTo(point.x, point.y);
}

void CCardSprite::UpdateImage()
{
    SetAlpha(1.0);
    if (engine::CImageObject* face = GetFace()) {
        face->SetAngle(0.0);
        face->SetColorValue(NO_TINT);
    }
    if (!DrawCard()) {
        Deactivate();
        Invalidate();
        return;
    }
    Activate();
    Invalidate();
}

bool CCardSprite::DrawCard()
{
    engine::CImageObject* face = GetFace();
    const int32_t index = m_record.row_index;
    const uint32_t frame = GetFaceFrame();
    const bool face_shown = IsValidFace(GetMaxCardId());
    switch (m_record.state) {
    case CARD_STATE_NONE:
        ShowImage(BACK_50, 0, 0, 0);
        PlaceAt(GetPilePosition());
        SetZ(-index);
        return true;
    case CARD_STATE_HAND:
        if (m_record.view == 0) {
            ShowImage(face_shown ? LargeFace() : LargeBack(), face_shown ? frame : 0, m_large_width, m_large_height);
            if ((IsDimmed() || m_hover) && face != nullptr) {
                SetAlpha(IsDimmed() ? DRAG_ALPHA : HOVER_ALPHA);
                face->SetColorValue(SELECTED_TINT);
            }
            PlaceAt(GetHandPosition());
            SetZ(10.0 * index + 1000.0);
        } else {
            ShowImage(face_shown ? SmallFace() : SmallBack(), face_shown ? frame : 0, m_small_width, m_small_height);
            if (face != nullptr)
                face->SetAngle(SeatAngle());
            PlaceAt(GetHandPosition());
            SetZ(1000.0 - 10.0 * index);
        }
        return true;
    case CARD_STATE_PLAYED:
        ShowImage(LargeFace(), frame, 0, 0);
        if (face != nullptr)
            face->SetAlpha(1.0);
        SetZ(index + 2000.0 + (10.0 - m_record.view) * 324.0);
        PlaceAt(GetPlayedPosition());
        return true;
    default:
        return false;
    }
}

void CCardSprite::Reset()
{
    ResetFields();
    m_record.state = CARD_STATE_OLD_PLAY;
}

Point CCardSprite::GetPilePosition() const
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t index = m_record.row_index;
    const int32_t x = index < FACES_PER_DECK ? width / 2 + 2 + m_small_width / 2 : width / 2 - m_small_width / 2 - 2;
    const int32_t y = area.Height() / 2 - 216 + 2 * ((index % FACES_PER_DECK) / 2);
    return Point { area.left + x, area.top + y };
}

Point CCardSprite::GetHandPosition() const
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    const int32_t n = m_record.row_count;
    const int32_t i = m_record.row_index;
    const double half_face = GetFaceHeight() / 2;
    const int32_t step = m_record.face_up ? GetOverlapStepY() : HIDDEN_COLUMN_STEP;
    const int32_t right_seat = m_chair_count == 3 ? 2 : 3;
    const HandGaps gaps = GetHandGaps();
    int32_t x = 0;
    int32_t y = 0;
    if (m_record.view == 1) {
        x = static_cast<int32_t>(half_face + gaps.edge);
        y = height / 2 + (step * n) / 2 - i * step;
    } else if (m_record.view == right_seat) {
        x = static_cast<int32_t>(width - (half_face + gaps.edge));
        y = height / 2 - (step * n) / 2 + i * step;
    } else if (m_record.view == 2 && m_chair_count != 3) {
        x = width / 2 + (step * n) / 2 - i * step;
        y = static_cast<int32_t>(half_face + gaps.edge);
    } else {
        const int32_t step_x = GetOverlapStepX();
        x = width / 2 - ((n - 1) * step_x + m_large_width) / 2 + i * step_x - (step_x * gaps.shift_thirds) / 3
            + m_large_width / 2;
        y = static_cast<int32_t>(height - half_face - gaps.bottom - (m_record.raised ? gaps.raise_lift : 0));
    }
    return Point { area.left + x, area.top + y };
}

Point CCardSprite::GetPlayedPosition() const
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    const int32_t n = m_record.row_count;
    const int32_t i = m_record.row_index;
    const int32_t step = GetOverlapStepX();
    const int32_t wb = m_large_width;
    const int32_t hb = m_large_height;
    const int32_t right_seat = m_chair_count == 3 ? 2 : 3;
    int32_t x = width / 2 - (n / 2) * step + i * step;
    int32_t y = height - hb - hb / 2 - 100;
    if (m_record.view == 1) {
        x = wb / 2 + hb + 85 + i * step;
        y = height / 2;
    } else if (m_record.view == right_seat) {
        x = width - hb - wb / 2 - 85 - n * step + i * step;
        y = height / 2;
    } else if (m_record.view == 2 && m_chair_count != 3) {
        y = GetTopPlayY();
    }
    return Point { area.left + x, area.top + y };
}

int32_t CCardSprite::GetOverlapStepX() const
{
    return m_size_index == 1 ? 16 : m_size_index == 2 ? 20 : 22;
}

int32_t CCardSprite::GetOverlapStepY() const
{
    return m_size_index == 3 ? 16 : 13;
}

Point CCardSprite::GetShowRowPosition() const
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t n = m_record.row_count;
    const int32_t i = m_record.row_index;
    const int32_t gap = m_large_width + 20;
    const int32_t x = area.Width() / 2 - gap * (n / 2 - i) + (gap / 2) * (1 - n % 2);
    return Point { area.left + x, area.top + area.Height() / 4 };
}

void CCardSprite::Raise()
{
    m_record.raised = true;
    m_record.drag_mark = false;
    UpdateImage();
}

void CCardSprite::RaiseStamped()
{
    m_raise_time = GetTime();
    Raise();
}

void CCardSprite::Lower()
{
    m_record.raised = false;
    m_record.drag_mark = false;
    UpdateImage();
}

void CCardSprite::FlyTo(Point target, uint32_t wait_frames, double speed)
{
    m_record.moving = true;
    engine::EngineEvent done;
    engine::MakeEngineEvent(&done, GetId(), GAMEMSG_CARD_MOVE_DONE, GetId(), 0);
    (void)BeginGroup();
    if (wait_frames > 0) {
        (void)AddWaitFramesAction(this, wait_frames, nullptr);
        (void)NextGroup();
    }
    if (AddMoveToAction(this, target.x, target.y, speed, &done) == 0) {
        // No action module: land at once so the card is not left flying.
        m_record.moving = false;
        MoveTo(target.x, target.y);
    }
    EndGroup();
}

CCardSprite* CCardSpriteSet::Sprite(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return dynamic_cast<CCardSprite*>(m_owner.FindObject(m_ids[static_cast<size_t>(index)]));
}

int CCardSpriteSet::IndexOf(uint32_t id) const
{
    if (id == 0)
        return -1;
    const auto at = std::find(m_ids.begin(), m_ids.end(), id);
    return at != m_ids.end() ? static_cast<int>(at - m_ids.begin()) : -1;
}

CardSpriteState& CCardSpriteSet::At(int index)
{
    CCardSprite* sprite = Sprite(index);
    if (sprite == nullptr) {
        m_spare = CardSpriteState {};
        return m_spare;
    }
    return sprite->Record();
}

const CardSpriteState& CCardSpriteSet::At(int index) const
{
    const CCardSprite* sprite = Sprite(index);
    if (sprite == nullptr) {
        m_spare = CardSpriteState {};
        return m_spare;
    }
    return sprite->Record();
}

int32_t CCardSpriteSet::GetOverlapStepX(int index) const
{
    const CCardSprite* sprite = Sprite(index);
    return sprite != nullptr ? sprite->GetOverlapStepX() : 0;
}

void CCardSpriteSet::Redraw(int index)
{
    if (CCardSprite* sprite = Sprite(index))
        sprite->UpdateImage();
}

} // namespace scene
