#include "game/scene/PlDkCardSprite.h"

#include <algorithm>

#include "engine/core/ImageObject.h"
#include "engine/core/ObjectDefs.h"

namespace scene {

namespace {

constexpr const char* SUIT_ICON_IMAGE = "花_图标";
constexpr uint32_t SUIT_ICON_LINK_FLAGS = 0x1180A2;
constexpr int32_t OWN_PLAY_GAP = 70;
/// Between two rows of plays, and between the own play and a raised card.
constexpr int32_t PLAY_ROW_GAP = 2;
constexpr int32_t OLD_PLAY_DEPTH = 4592;

} // namespace

void CPlDkCardSprite::Create()
{
    CCardSprite::Create();
    engine::CImageObject* face = GetFace();
    if (face == nullptr)
        return;
    engine::ImageRef image;
    GetImage(image, SUIT_ICON_IMAGE, 0);
    engine::CImageObject* icon = NewImageObject(image);
    if (icon == nullptr)
        return;
    m_suit_icon_id = icon->GetId();
    icon->SetZ(face->GetZ() + 0.1);
    icon->MoveTo(face->GetLeft() + 6, face->GetBottom() - 6);
    icon->Deactivate();
    face->AddFollower(icon, SUIT_ICON_LINK_FLAGS | engine::VELOTRIX_LINK_OWNED);
}

engine::CImageObject* CPlDkCardSprite::GetSuitIcon() const
{
    return dynamic_cast<engine::CImageObject*>(FindObject(m_suit_icon_id));
}

void CPlDkCardSprite::ShowSuitIcon()
{
    const engine::CImageObject* face = GetFace();
    engine::CImageObject* icon = GetSuitIcon();
    if (!m_suit_icon_shown || face == nullptr || icon == nullptr)
        return;
    icon->MoveTo(face->GetLeft() + 10, face->GetBottom() - 8);
    icon->Activate();
    icon->Invalidate();
}

bool CPlDkCardSprite::DrawCard()
{
    if (engine::CImageObject* icon = GetSuitIcon())
        icon->Deactivate();
    m_wild = false;
    const bool face_shown = IsValidFace(GetMaxCardId());
    switch (m_record.state) {
    case CARD_STATE_NONE:
        if (!face_shown)
            return CCardSprite::DrawCard();
        ShowImage(CARD_FACE_50, GetFaceFrame(), 0, 0);
        PlaceAt(GetPilePosition());
        SetZ(-m_record.row_index);
        return true;
    case CARD_STATE_HAND:
        if (m_record.view == 0 && face_shown && m_wild_test)
            m_wild = m_wild_test(m_record.card);
        (void)CCardSprite::DrawCard();
        if (m_record.view == 0)
            ShowSuitIcon();
        return true;
    case CARD_STATE_PLAYED:
        // While the last plays are shown the current play stands aside:
        // both at the same places would be read as one.
        if (m_ghost_second)
            return false;
        (void)CCardSprite::DrawCard();
        ShowSuitIcon();
        return true;
    case CARD_STATE_OLD_PLAY: {
        if (!m_ghost_first || !m_ghost_second)
            return false;
        ShowImage(LargeFace(), GetFaceFrame(), 0, 0);
        SetAlpha(GHOST_ALPHA);
        if (engine::CImageObject* face = GetFace())
            face->SetColorValue(SELECTED_TINT);
        SetZ(m_record.row_index - 324.0 * m_record.view + OLD_PLAY_DEPTH);
        PlaceAt(GetPlayedPosition());
        return true;
    }
    default:
        return false;
    }
}

void CPlDkCardSprite::Reset()
{
    ResetFields();
    m_record.state = CARD_STATE_NONE;
    m_suit_icon_shown = false;
    m_hand_shift = 0;
    m_ghost_first = false;
    m_ghost_shift = {};
    EnableMouseRoutes(false);
}

Point CPlDkCardSprite::GetPilePosition() const
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t index = m_record.row_index;
    const int32_t x = index < FACES_PER_DECK ? width / 2 - m_small_width / 2 - 2 : width / 2 + m_small_width / 2 + 2;
    const int32_t y = area.Height() / 2 + 2 * ((index % FACES_PER_DECK) / 2) - 48;
    return Point { area.left + x, area.top + y };
}

Point CPlDkCardSprite::GetPlayedPosition() const
{
    Point point = CCardSprite::GetPlayedPosition();
    const int32_t view = m_record.view;
    // The plays lie in three rows down the middle, which a low table packs
    // together: the own play goes down towards the own hand (no further than
    // above a raised card) until it clears the side seats' row across the
    // middle; where it can go no further the side row rises above it, and
    // the top seat's play above that.
    const engine::EngineRect area = GetMainGameRect();
    const int32_t height = area.Height();
    const HandGaps gaps = GetHandGaps();
    const int32_t own_lowest =
        height - gaps.bottom - gaps.raise_lift - PLAY_ROW_GAP - m_large_height - m_large_height / 2;
    const int32_t own_y = std::clamp(height / 2 + m_large_height + PLAY_ROW_GAP,
                                     height - m_large_height / 2 - m_large_height - OWN_PLAY_GAP, own_lowest);
    const int32_t side_y = std::min(height / 2, own_y - m_large_height - PLAY_ROW_GAP);
    const int32_t top_y = std::min(GetTopPlayY(), side_y - m_large_height - PLAY_ROW_GAP);
    if (view == 1 || view == 3)
        point.y = area.top + side_y;
    else if (view == 2)
        point.y = area.top + top_y;
    else
        point.y = area.top + own_y;
    // A last play shown sits a little higher than the play it was, every row
    // alike, but never up into the top seat's hand (a low table leaves the
    // top row less room under it).
    if (m_ghost_first && m_ghost_second) {
        const int32_t top_room = top_y - m_large_height / 2 - (m_small_height + gaps.edge) - PLAY_ROW_GAP;
        point.y -= std::clamp(top_room, 0, (3 * GetOverlapStepY()) / 2);
        point.x += m_ghost_shift.x;
        point.y += m_ghost_shift.y;
    }
    return point;
}

} // namespace scene
