// This game's table: the played cards put away into each seat's last play,
// the last-throw button's marking of them, and the QR-code panel's notice.
#include <utility>

#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/QrCodePanel.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SeatBoard.h"

namespace scene {

using detail::SetActive;

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
    return m_last_throw_serial;
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
