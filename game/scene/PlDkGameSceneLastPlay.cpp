// This game's table: the played cards put away into each seat's last play,
// the last-throw button's marking of them, and the QR-code panel's notice.
#include <cmath>
#include <utility>
#include <vector>

#include "engine/core/CanvasObject.h"
#include "engine/core/EngineRect.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/QrCodePanel.h"
#include "game/scene/SceneBody.h"
#include "game/scene/TableLayout.h"

namespace scene {

using detail::SetActive;

namespace {

/// Where a picture of the object's size and turn lies about the centre (x,
/// y): across for a quarter-turned one (the side seats' plates and hands).
Area PlaceAbout(const engine::CEngineObject& object, double x, double y)
{
    const bool across = std::lround(object.GetAngle()) % 180 == 90;
    const double width = across ? object.GetHeight() : object.GetWidth();
    const double height = across ? object.GetWidth() : object.GetHeight();
    return { static_cast<int32_t>(std::lround(x - width / 2)), static_cast<int32_t>(std::lround(y - height / 2)),
             static_cast<int32_t>(width), static_cast<int32_t>(height) };
}

Area PlaceOf(const engine::CEngineObject& object)
{
    return PlaceAbout(object, object.GetX(), object.GetY());
}

/// Where a card lies once it has reached its place (a moving one is on its
/// way there).
Area CardPlace(const CCardSprite& sprite, const engine::CImageObject& face)
{
    return PlaceAbout(face, sprite.Record().x, sprite.Record().y);
}

/// The smallest area holding both, by the engine's union of rectangles.
Area Union(const Area& a, const Area& b)
{
    const engine::EngineRect both = engine::UnionRects({ a.left, a.top, a.left + a.width, a.top + a.height },
                                                       { b.left, b.top, b.left + b.width, b.top + b.height });
    return { both.left, both.top, both.Width(), both.Height() };
}

} // namespace

void CPlDkGameScene::RetirePlayedCards(int chair)
{
    (void)m_last_plays.RetirePlayedCards(m_sprites, chair);
    // The cards are old plays by now: the card table's put-away only
    // clears the seats' marks.
    CCardGameScene::RetirePlayedCards(chair);
}

bool CPlDkGameScene::IsInLastPlay(int32_t card) const { return m_last_plays.IsInLastPlay(card); }

bool CPlDkGameScene::HasLastPlay() const { return m_last_plays.HasLastPlay(); }

uint32_t CPlDkGameScene::ShowLastThrow()
{
    m_last_throw = true;
    ++m_last_throw_serial;
    if (!HasLastPlay())
        return m_last_throw_serial;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        auto* sprite = dynamic_cast<CPlDkCardSprite*>(GetSprite(i));
        if (sprite == nullptr)
            continue;
        // An old play shows only while both flags are set: the mark says
        // which cards, the mode that the last plays are being shown (the
        // current play stands aside under it).
        sprite->m_ghost_first = IsInLastPlay(sprite->Record().card);
        sprite->m_ghost_second = true;
        m_sprites.Redraw(i);
    }
    // A pass mark belongs to the current trick: it would sit over the last
    // plays and tell the player the wrong trick.
    for (int view = 0; view < SEATS; ++view) {
        const CSeatBoard* board = GetSeatBoard(view);
        engine::CImageObject* mark = board != nullptr ? board->GetMark() : nullptr;
        m_marks_aside[static_cast<size_t>(view)] = mark != nullptr && mark->IsActive();
        if (m_marks_aside[static_cast<size_t>(view)]) {
            mark->Deactivate();
            mark->Invalidate();
        }
    }
    // So do the current trick's points on the table.
    m_points_aside = m_score_panel != nullptr && m_score_panel->IsActive();
    if (m_points_aside)
        SetActive(m_score_panel, false);
    StandOwnLastPlayAside();
    return m_last_throw_serial;
}

void CPlDkGameScene::StandOwnLastPlayAside()
{
    // The own last play as shown, and everything else shown about it.
    std::vector<int> own;
    Area play;
    std::vector<Area> others;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        auto* sprite = dynamic_cast<CPlDkCardSprite*>(GetSprite(i));
        const engine::CImageObject* face = sprite != nullptr ? sprite->GetFace() : nullptr;
        if (face == nullptr || !sprite->IsActive())
            continue;
        const CardSpriteState& s = m_sprites.At(i);
        if (s.view == 0 && s.state == CARD_STATE_OLD_PLAY) {
            own.push_back(i);
            sprite->m_ghost_shift = {};
            m_sprites.Redraw(i);
            play = Union(play, CardPlace(*sprite, *face));
        } else {
            others.push_back(CardPlace(*sprite, *face));
        }
    }
    // On the own turn its buttons and clock stand where the own play lay.
    Area turn;
    for (const Button button : { Button::Pass, Button::Hint, Button::Throw })
        if (const engine::CGuiButton* shown = GetButton(button); shown != nullptr && shown->IsActive())
            turn = Union(turn, PlaceOf(*shown));
    if (own.empty() || turn.width <= 0 || GetActiveChair() != OwnChair())
        return;
    if (m_clock != nullptr && m_clock->IsActive())
        turn = Union(turn, PlaceOf(*m_clock));
    for (int view = 0; view < SEATS; ++view) {
        const CPlDkSeatBoard* board = GetPlDkSeatBoard(view);
        if (board == nullptr)
            continue;
        for (const engine::CEngineObject* shown :
             { static_cast<const engine::CEngineObject*>(board->GetCanvas()),
               static_cast<const engine::CEngineObject*>(board->GetCardCount()),
               static_cast<const engine::CEngineObject*>(board->GetPoints()) })
            if (shown != nullptr && shown->IsActive())
                others.push_back(PlaceOf(*shown));
    }
    const engine::EngineRect area = GetArea();
    const Point shift =
        StepAsideFromTurn(play, turn, others, Area { area.left, area.top, area.Width(), area.Height() });
    for (const int i : own) {
        static_cast<CPlDkCardSprite*>(GetSprite(i))->m_ghost_shift = shift;
        m_sprites.Redraw(i);
    }
}

void CPlDkGameScene::HideLastThrow()
{
    const bool shown = m_last_throw;
    m_last_throw = false;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        auto* sprite = dynamic_cast<CPlDkCardSprite*>(GetSprite(i));
        if (sprite == nullptr || (!sprite->m_ghost_first && !sprite->m_ghost_second))
            continue;
        sprite->m_ghost_first = false;
        sprite->m_ghost_second = false;
        sprite->m_ghost_shift = {};
        m_sprites.Redraw(i);
    }
    for (int view = 0; view < SEATS; ++view) {
        const bool aside = std::exchange(m_marks_aside[static_cast<size_t>(view)], false);
        const CSeatBoard* board = GetSeatBoard(view);
        engine::CImageObject* mark = board != nullptr ? board->GetMark() : nullptr;
        if (shown && aside && mark != nullptr) {
            mark->Activate();
            mark->Invalidate();
        }
    }
    if (std::exchange(m_points_aside, false) && shown)
        SetActive(m_score_panel, true);
}

void CPlDkGameScene::OnSceneNotice(std::span<const uint8_t> record)
{
    if (m_qr != nullptr)
        m_qr->OnSceneNotice(record);
}

void CPlDkGameScene::ShowQRCodePanel(std::string_view text)
{
    if (m_qr != nullptr)
        (void)m_qr->ShowQRCodePanel(text);
}

} // namespace scene
