#include "game/scene/FlippedCardSprite.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/SceneWidgets.h"

namespace scene {

void CFlippedCardSprite::Create()
{
    m_large_width = m_small_width = CORNER_WIDTH;
    m_large_height = m_small_height = CORNER_HEIGHT;
    engine::CCanvasObject* corner = NewCanvasObject(CORNER_WIDTH, CORNER_HEIGHT, engine::WIDGET_COLOUR_KEY);
    if (corner == nullptr)
        return;
    m_corner_id = corner->GetId();
    SetVisual(corner, BOARD_PART_LINK_FLAGS);
}

engine::CCanvasObject* CFlippedCardSprite::GetCorner() const
{
    return dynamic_cast<engine::CCanvasObject*>(FindObject(m_corner_id));
}

int CFlippedCardSprite::OnEvent(const engine::EngineEvent&)
{
    return 1;
}

void CFlippedCardSprite::UpdateImage()
{
    SetAlpha(1.0);
    engine::CCanvasObject* corner = GetCorner();
    if (corner == nullptr)
        return;
    corner->SetAngle(0.0);
    corner->SetTintColour(NO_TINT);
    if (m_record.state != CARD_STATE_NONE || m_record.card < 0 || m_record.card >= DECK_CARDS) {
        Deactivate();
        Invalidate();
        return;
    }
    engine::ImageRef face;
    GetImage(face, CARD_FACE_82, GetFaceFrame());
    corner->Clear();
    corner->DrawImage(face, 0, 0, CORNER_WIDTH, CORNER_HEIGHT, 0, 0, 1.0);
    PlaceAt(GetHandPosition());
    SetZ(m_record.row_index);
    Activate();
    Invalidate();
}

void CFlippedCardSprite::Reset()
{
    ResetFields();
    m_record.state = CARD_STATE_NONE;
    m_anchor = {};
}

void CFlippedCardSprite::SetAnchor(int32_t x, int32_t y)
{
    const int32_t half = CORNER_WIDTH / 2;
    switch (m_record.view) {
    case 1:
        m_anchor = { x + half, y - CORNER_WIDTH };
        break;
    case 2:
        m_anchor = { x - half, y + CORNER_WIDTH };
        break;
    default:
        m_anchor = { x - half, y - CORNER_WIDTH };
        break;
    }
}

Point CFlippedCardSprite::GetHandPosition() const
{
    const int32_t column = (m_record.row_index % ROW_LENGTH) * CORNER_WIDTH;
    switch (m_record.view) {
    case 0:
    case 2:
    case 3:
        return { m_anchor.x - column, m_anchor.y };
    case 1:
        return { m_anchor.x + column, m_anchor.y };
    default:
        return { 0, m_anchor.y };
    }
}

} // namespace scene
