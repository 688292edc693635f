// The card table's round clear-down, the furniture around the cards (start,
// sort and option buttons, seat marks and scores, the pass-hint flash) and
// the game and match info boxes.
#include "client/CGameApp.h"
#include "client/CGameStateHolder.h"
#include "client/panel/PanelText.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/SceneBody.h"
#include "game/scene/SeatBoard.h"

namespace scene {
namespace {

constexpr const char* GAME_INFO_IMAGE = "游戏信息框";
constexpr const char* MATCH_INFO_IMAGE = "比赛信息框";
constexpr const char* INFO_DIGITS = "digit_Pen";
constexpr uint32_t INFO_DIGIT_FLAGS = 2;
constexpr const char* FIXED_ROUNDS_SYSTEM = "定局淘汰";
constexpr const char* INFO_FONT = "宋体";
constexpr int32_t INFO_TITLE_SIZE = 20;
constexpr int32_t INFO_LINE_SIZE = 12;
constexpr int32_t INFO_FONT_WEIGHT = 400;
constexpr uint32_t MATCH_TEXT_COLOUR = 0x81C593;
constexpr uint32_t MATCH_NOTE_COLOUR = 0x09FEC5;
constexpr int32_t INFO_INSET = 10;
constexpr double INFO_FADE_STEP = 0.1;

using detail::SetActive;

} // namespace

void CCardGameScene::ClearTable()
{
    for (int i = 0; i < m_sprites.Count(); ++i) {
        m_sprites.At(i).state = CARD_STATE_CLEARED;
        m_sprites.Redraw(i);
    }
    for (int chair = 0; chair < m_chair_count; ++chair) {
        if (CSeatBoard* board = GetSeatBoard(ChairToView(chair))) {
            board->HideMark();
            board->ResetRound();
        }
    }
    SetActive(m_info_box, false);
    SetActive(m_extra_board, false);
    HidePlayButtons();
    ShowSortButtons(false);
    if (auto* frame = App().Links().TableFrame()) {
        frame->HideMatchWaitAnimations();
        frame->OnRoundEnd();
    }
}

void CCardGameScene::HidePlayButtons()
{
    for (Button button : { Button::Throw, Button::Pass, Button::Hint })
        SetActive(GetButton(button), false);
}

void CCardGameScene::ShowStartButton()
{
    // A replay starts no round.
    if (App().IsReplayMode())
        return;
    SetActive(GetButton(Button::Start), true);
    StartCountdown();
}

void CCardGameScene::UpdateSeatScores()
{
    const client::CClientRecords& records = App().Records();
    const client::MatchRanking& ranking = records.Ranking();
    if (ranking.EntryCount() == 0) {
        if (CSeatBoard* own = GetSeatBoard(0))
            own->ShowMatchScore(ranking.entries[0].score, records.Header().words29[4]);
        return;
    }
    const int32_t players = std::min(records.GetTablePlayerCount(), ranking.EntryCount());
    for (int32_t i = 0; i < players; ++i) {
        const client::MatchRankEntry& entry = ranking.entries[i];
        // A listed player who sits nowhere at this table is passed over; the
        // players after him still get their scores.
        const int view = ChairToView(records.GetUserChairNO(entry.user_id));
        if (view == -1)
            continue;
        if (CSeatBoard* board = GetSeatBoard(view))
            board->ShowMatchScore(entry.score, records.Header().words29[4]);
    }
}

void CCardGameScene::RedrawOwnSeatBoard()
{
    if (CSeatBoard* own = GetSeatBoard(0))
        own->Draw();
}

void CCardGameScene::ShowSortButtons(bool show)
{
    if (App().IsReplayMode() || App().Records().IsRandomRoom())
        return;
    if (m_chairs != nullptr && m_chairs->IsValidChair(App().Records().GetChairNO())) {
        SetActive(GetButton(Button::CheckResult), true);
        for (Button button : { Button::Sort1, Button::Sort2, Button::Sort3, Button::SortBomb, Button::SortBig,
                               Button::SortType, Button::AutoPlay })
            SetActive(GetButton(button), show);
        if (!show)
            SetActive(GetButton(Button::CheckResult), false);
        return;
    }
    SetActive(GetButton(Button::AskCardView), show);
}

void CCardGameScene::RetirePlayedCards(int chair)
{
    for (int i = 0; i < m_sprites.Count(); ++i) {
        CardSpriteState& sprite = m_sprites.At(i);
        if (sprite.state != CARD_STATE_PLAYED || (chair != -1 && sprite.chair != chair))
            continue;
        sprite.state = CARD_STATE_OLD_PLAY;
        m_sprites.Redraw(i);
    }
    for (int c = 0; c < m_chair_count; ++c) {
        if (chair != -1 && c != chair)
            continue;
        if (CSeatBoard* board = GetSeatBoard(ChairToView(c))) {
            board->HideMark();
            board->HideReady();
        }
    }
}

void CCardGameScene::PlayStartEffect()
{
    if (m_pass_hint == nullptr)
        return;
    CancelObjectActions(m_pass_hint->GetId());
    SetActive(m_pass_hint, true);
    (void)BeginGroup();
    // The frames play once; a picture without frame delays would play
    // "once" without end, so it only waits. Either way the prompt stays up
    // long enough to be read, then goes.
    if (m_pass_hint->GetTotalDelay() > 0)
        (void)AddPlayFramesAction(m_pass_hint, engine::FrameMode::Loop, 1, 0, 0);
    (void)AddWaitFramesAction(m_pass_hint, PASS_HINT_SHOWN_MS, nullptr);
    (void)NextGroup();
    (void)AddActivateAction(m_pass_hint, 0);
    EndGroup();
}

void CCardGameScene::HidePassPrompt()
{
    if (m_pass_hint == nullptr || !m_pass_hint->IsActive())
        return;
    CancelObjectActions(m_pass_hint->GetId());
    SetActive(m_pass_hint, false);
}

engine::CCanvasObject* CCardGameScene::PrepareInfoBox(const char* image_name)
{
    engine::ImageRef background;
    GetImage(background, image_name, 0);
    if (m_info_box == nullptr) {
        m_info_box = NewCanvasObject(background.width, background.height, INFO_BOX_KEY);
        if (m_info_box == nullptr)
            return nullptr;
        m_info_box->RaiseToTopLayer();
        m_info_box->DrawImage(background, 0, 0, 0, 0, 0.0, 1.0);
        m_info_box->Invalidate();
    }
    m_info_box->Clear();
    m_info_box->DrawImage(background, 0, 0, 0, 0, 0.0, 1.0);
    return m_info_box;
}

void CCardGameScene::RevealInfoBox()
{
    const engine::EngineRect area = GetArea();
    m_info_box->MoveTo(area.left + INFO_INSET + m_info_box->GetWidth() / 2,
                       area.top + INFO_INSET + m_info_box->GetHeight() / 2);
    m_info_box->Activate();
    if (App().IsReplayMode()) {
        m_info_box->SetAlpha(1.0);
    } else {
        m_info_box->SetAlpha(0.0);
        (void)AddFadeToAction(m_info_box, INFO_FADE_STEP, 1.0);
    }
    m_info_box->Invalidate();
}

double CCardGameScene::GetInfoBoxBottom()
{
    double height = 0;
    if (m_info_box != nullptr) {
        height = m_info_box->GetHeight();
    } else {
        engine::ImageRef background;
        height = GetImage(background, App().IsMatch() ? MATCH_INFO_IMAGE : GAME_INFO_IMAGE, 0).height;
    }
    return GetArea().top + INFO_INSET + height;
}

void CCardGameScene::DrawBaseScore(engine::CCanvasObject& box, const char* strip, uint32_t flags, double y)
{
    if (m_info_digits == nullptr) {
        m_info_digits =
            dynamic_cast<engine::CGuiDigitText*>(RegisterObject(std::make_unique<engine::CGuiDigitText>()));
        if (m_info_digits != nullptr) {
            m_info_digits->Create(strip, flags);
            engine::ImageRef unit;
            m_info_digits->AddGlyph("分", GetImage(unit, "str_分", 0));
        }
    }
    const client::CGameStateHolder* state = GetGameState();
    const int32_t base_score = state != nullptr ? state->GetTableWord10() : 0;
    engine::ImageRef title;
    box.DrawImage(GetImage(title, "str_基础分", 0), 10, 10, 0, 0, 0.0, 1.0);
    if (m_info_digits != nullptr)
        m_info_digits->DrawGlyphs(box, 80.0, y, panel::FormatText("%d分", base_score),
                                  engine::CGuiImageText::ALIGN_LEFT);
}

void CCardGameScene::ShowGameInfoBox()
{
    engine::CCanvasObject* box = PrepareInfoBox(GAME_INFO_IMAGE);
    if (box == nullptr)
        return;
    DrawBaseScore(*box, INFO_DIGITS, INFO_DIGIT_FLAGS, 10.0);
    engine::ImageRef image;
    box->DrawImage(GetImage(image, "str_翻牌", 0), 10, 40, 0, 0, 0.0, 1.0);
    box->DrawImage(GetImage(image, "牌角", 0), 85, 40, 0, 0, 0.0, 1.0);
    RevealInfoBox();
}

void CCardGameScene::ShowMatchInfoBox()
{
    engine::CCanvasObject* box = PrepareInfoBox(MATCH_INFO_IMAGE);
    if (box == nullptr)
        return;
    box->SetTextColour(MATCH_TEXT_COLOUR, 255);
    const client::CClientRecords& records = App().Records();
    if (records.FindTablePlayer(records.GetUserID()) == nullptr) {
        box->Invalidate();
        return;
    }
    const client::CGameStateHolder* state = GetGameState();
    const int32_t round = state != nullptr ? state->GetTableWord8() : 0;
    const int32_t base_score = state != nullptr ? state->GetTableWord10() : 0;
    // The match record keeps the system's name and, after it, its description.
    const std::string system = records.GetMatchName();
    const std::string description = records.GetMatchAwardURL();
    int32_t y = 30;
    if (system == FIXED_ROUNDS_SYSTEM) {
        box->SetFont(INFO_TITLE_SIZE, INFO_FONT_WEIGHT, INFO_FONT);
        const std::string title = panel::FormatText("本轮第%d局", round);
        const int32_t title_width = box->TextWidth(title, engine::CCanvasObject::TagWidth::Count);
        box->DrawText((static_cast<int32_t>(box->GetWidth()) - title_width) / 2, 10, title);
        y = 40;
    }
    box->SetFont(INFO_LINE_SIZE, INFO_FONT_WEIGHT, INFO_FONT);
    box->DrawText(20, y, panel::FormatText("基础分  : %d分", base_score));
    box->DrawPlainText(20, y + 20, panel::FormatText("赛制    : %s", system.c_str()));
    box->SetMargins(20, 0);
    box->DrawMarkup(panel::FormatText("赛制说明: <color=%d>%s", static_cast<int>(MATCH_NOTE_COLOUR),
                                      description.c_str()),
                    y + 40);
    RevealInfoBox();
}

} // namespace scene
