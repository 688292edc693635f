#include "game/scene/PlDkGameFrameUI.h"

#include "client/CGameApp.h"
#include "client/ClientText.h"
#include "client/panel/PanelText.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiEventQueue.h"
#include "engine/widgets/GuiImageText.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSidePanel.h"

namespace scene {

namespace {

constexpr const char* FRAME_NAME = "GameFrame";
constexpr const char* ADVERT_BACK_FILE = "skins\\advertback.bmp";
constexpr const char* FRAME_PACKAGE = "skins\\frame.kor";
constexpr const char* COMMON_PACKAGE = "skins\\common.kor";
constexpr const char* CARDMASTER_PACKAGE = "skins\\cardmaster.kor";
constexpr const char* CHAT_PACKAGE = "skins\\聊天框资源包.kor";
constexpr const char* FACE_PACKAGE = "skins\\koface_nubnub.kor";
constexpr const char* FACES_PACKAGE = "skins\\kofaces_nubnub.kor";
constexpr const char* REPLAY_PACKAGE = "skins\\replay.kor";

constexpr const char* WAIT_ARRANGE_IMAGE = "animation_WaitArrangeTable";
constexpr const char* DIGITS = "0123456789";
constexpr const char* DIGIT_IMAGE = "digit_waitmatchstart";
constexpr const char* START_WORD_IMAGE = "word_waitmatchstart";
constexpr const char* ROUND_WORD_IMAGE = "word_washturn";
constexpr const char* TABLES_WORD_IMAGE = "word_resttable";
constexpr const char* START_GLYPHS = "比赛倒计时:天时分秒小";
constexpr const char* SIGNUP_GLYPHS = "比赛倒计时:天时分秒小报名费银两通宝";
constexpr const char* ROUND_GLYPHS = "定局淘汰第轮";
constexpr const char* TABLES_GLYPHS = "还有桌游戏中前名晋级，";
constexpr const char* ROUND_FORMAT = "定局淘汰第%d轮";
constexpr int32_t TEXT_CELL_WIDTH = 40;
constexpr int32_t TEXT_CELL_HEIGHT = 42;
constexpr uint32_t TEXT_FLAGS = 18;
constexpr double TABLES_TEXT_GAP = 10.0;

} // namespace

CPlDkGameFrameUI::CPlDkGameFrameUI(client::CGameApp& app)
    : CGameFrameUI(app)
{
}

void CPlDkGameFrameUI::Create()
{
    SetName(FRAME_NAME);
    LoadSkinPackages();
    // The base's creation installs the frame in the application and sets
    // the frame metrics.
    CGameFrameUI::OnCreate();
    CreateFrameButtons();
    DrawTableBackdrop();
    CreateChildren();
    if (GetApp().IsMatch())
        CreateMatchWidgets();
}

void CPlDkGameFrameUI::LoadSkinPackages()
{
    const client::CGameApp& app = GetApp();
    const std::string folder = app.GetModuleDir();
    (void)AddResourceFile(folder + ADVERT_BACK_FILE);
    const bool cardmaster = app.Records().HasRoomConfigsEx40000();
    const bool replay = app.IsReplayMode();
    const std::pair<const char*, bool> packages[] = {
        { FRAME_PACKAGE, true }, { COMMON_PACKAGE, true },  { CARDMASTER_PACKAGE, cardmaster },
        { CHAT_PACKAGE, true },  { FACE_PACKAGE, true },    { FACES_PACKAGE, true },
        { REPLAY_PACKAGE, replay },
    };
    for (const auto& [package, wanted] : packages) {
        if (wanted)
            (void)LoadResourcePackage(folder + package);
    }
}

std::unique_ptr<engine::CGuiContainer> CPlDkGameFrameUI::NewGameScene()
{
    return std::make_unique<CPlDkGameScene>(GetApp());
}

void CPlDkGameFrameUI::CreateChildren()
{
    SetSubSystem(std::make_unique<CPlDkSubSystemPanel>(GetApp()));
    const int32_t width = GetSidePanelWidth();
    SetSidePanelWidth(width);
    SetSidePanelVisibleWidth(width);
    SetMainGame(NewGameScene());
}

engine::CGuiImageText* CPlDkGameFrameUI::NewImageText(const char* glyphs, const char* word_image)
{
    auto* text = dynamic_cast<engine::CGuiImageText*>(RegisterObject(std::make_unique<engine::CGuiImageText>()));
    if (text == nullptr)
        return nullptr;
    text->Create(TEXT_CELL_WIDTH, TEXT_CELL_HEIGHT, TEXT_FLAGS);
    text->AddGlyphs(glyphs, word_image);
    text->AddGlyphs(DIGITS, DIGIT_IMAGE);
    text->Invalidate();
    return text;
}

engine::CGuiButton* CPlDkGameFrameUI::NewMatchButton(const char* image_name, uint32_t event_id)
{
    auto* button = dynamic_cast<engine::CGuiButton*>(RegisterObject(std::make_unique<engine::CGuiButton>()));
    if (button == nullptr)
        return nullptr;
    engine::ImageRef image;
    GetImage(image, image_name, 0);
    const engine::EngineEvent click = SelfEvent(event_id);
    button->Create(image, &click, 0, 0);
    return button;
}

void CPlDkGameFrameUI::CreateMatchWidgets()
{
    engine::ImageRef image;
    GetImage(image, WAIT_ARRANGE_IMAGE, 0);
    m_wait_arrange = NewImageObject(image);
    if (m_wait_arrange != nullptr)
        m_wait_arrange->RaiseToTopLayer();
    m_event_queue = dynamic_cast<engine::CGuiEventQueue*>(RegisterObject(std::make_unique<engine::CGuiEventQueue>()));

    const bool before_start = GetApp().Records().IsMatchBeforeStart();
    if (m_start_countdown == nullptr && before_start)
        m_start_countdown = NewImageText(START_GLYPHS, START_WORD_IMAGE);
    m_signup_button = NewMatchButton("btn_signup", client::GAMEMSG_MATCH_SIGNUP);
    m_giveup_button = NewMatchButton("btn_giveup", client::GAMEMSG_MATCH_GIVEUP);
    if (m_signup_countdown == nullptr && before_start) {
        m_signup_countdown = NewImageText(SIGNUP_GLYPHS, START_WORD_IMAGE);
        if (m_signup_button != nullptr && m_signup_countdown != nullptr)
            (void)m_signup_button->AddFollower(m_signup_countdown, SIGNUP_COUNTDOWN_LINK);
    }
    if (m_round_text == nullptr)
        m_round_text = NewImageText(ROUND_GLYPHS, ROUND_WORD_IMAGE);
    if (m_tables_text == nullptr) {
        m_tables_text = NewImageText(TABLES_GLYPHS, TABLES_WORD_IMAGE);
        if (m_tables_text != nullptr && m_wait_arrange != nullptr) {
            m_tables_text->MoveTo(m_wait_arrange->GetX(),
                                  m_wait_arrange->GetTop() - m_tables_text->GetHeight() / 2 - TABLES_TEXT_GAP);
            m_tables_text->Invalidate();
        }
    }
}

void CPlDkGameFrameUI::OpenForumPage()
{
    if (const std::string address = client::WebAddress(GetApp().Records().GetWebHost(), FORUM_TOPIC_PATH);
        !address.empty())
        GetApp().OpenURL(address, false);
}

void CPlDkGameFrameUI::ShowFirstEliminationRound()
{
    ShowRoundText(m_round_text, panel::FormatText(ROUND_FORMAT, 1));
}

int CPlDkGameFrameUI::OnEvent(const engine::EngineEvent& event)
{
    if (event.id == client::GAMEMSG_FRAME_HELP) {
        OpenForumPage();
        return 1;
    }
    return CGameFrameUI::OnEvent(event);
}

std::unique_ptr<engine::CGuiContainer> CPlDkFrameUIFactory::CreateFrameUI(client::CGameApp& app)
{
    return std::make_unique<CPlDkGameFrameUI>(app);
}

void InstallFrameUIFactory()
{
    static CPlDkFrameUIFactory factory;
    (void)client::SetFrameUIFactory(&factory);
}

} // namespace scene
