// This game's table: the played cards put away into each seat's last play,
// the last-throw button's marking of them, and the QR-code panel's notice.
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/QrCodePanel.h"

namespace scene {

void CPlDkGameScene::RetirePlayedCards(int chair)
{
    (void)m_last_plays.RetirePlayedCards(m_sprites, chair);
    // The cards are old plays by now: the card table's put-away only
    // clears the seats' marks.
    CCardGameScene::RetirePlayedCards(chair);
}

bool CPlDkGameScene::IsInLastPlay(int32_t card) const { return m_last_plays.IsInLastPlay(card); }

bool CPlDkGameScene::HasLastPlay() const { return m_last_plays.HasLastPlay(); }

void CPlDkGameScene::ShowLastThrow()
{
    m_last_throw = true;
    if (!HasLastPlay())
        return;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        auto* sprite = dynamic_cast<CPlDkCardSprite*>(GetSprite(i));
        if (sprite == nullptr)
            continue;
        // An old play shows only while both flags are set: the mark says
        // which cards, the mode that the last plays are being shown.
        sprite->m_ghost_first = IsInLastPlay(sprite->Record().card);
        sprite->m_ghost_second = true;
        m_sprites.Redraw(i);
    }
}

void CPlDkGameScene::HideLastThrow()
{
    m_last_throw = false;
    for (int i = 0; i < m_sprites.Count(); ++i) {
        auto* sprite = dynamic_cast<CPlDkCardSprite*>(GetSprite(i));
        if (sprite == nullptr)
            continue;
        sprite->m_ghost_first = false;
        sprite->m_ghost_second = false;
        m_sprites.Redraw(i);
    }
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
