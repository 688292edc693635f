#include <string>
#include <vector>

#include "client/CGameApp.h"
#include "client/panel/CInputBar.h"
#include "client/panel/CWebPane.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "engine/widgets/GuiImageText.h"
#include "engine/widgets/UrlOpener.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/PlDkGameFrameUI.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSidePanel.h"
#include "game/scene/SkinImages.h"
#include "panel/PanelTestSupport.h"

namespace scene::test {
namespace {

using Log = std::vector<std::string>;

// The frame with its creation steps and resource loads recorded (paths
// relative to the program folder).
class CRecordingFrame final : public CPlDkGameFrameUI {
public:
    CRecordingFrame(client::CGameApp& app, Log& log)
        : CPlDkGameFrameUI(app)
        , m_log(log)
        , m_folder(app.GetModuleDir())
    {
    }
    uint32_t AddResourceFile(const std::string& path, const char* name) override
    {
        m_log.push_back("file " + path.substr(m_folder.size()));
        return CPlDkGameFrameUI::AddResourceFile(path, name);
    }
    int LoadResourcePackage(const std::string& path) override
    {
        m_log.push_back(path.substr(m_folder.size()));
        return CPlDkGameFrameUI::LoadResourcePackage(path);
    }
    void SetFrameMetrics() override
    {
        m_log.push_back("metrics");
        CPlDkGameFrameUI::SetFrameMetrics();
    }
    void CreateFrameButtons() override { m_log.push_back("buttons"); }
    void DrawTableBackdrop() override { m_log.push_back("backdrop"); }
    void CreateChildren() override
    {
        m_log.push_back("children");
        CPlDkGameFrameUI::CreateChildren();
    }

private:
    Log& m_log;
    std::string m_folder;
};

class PlDkFrameUITest : public BoardTest {
protected:
    PlDkFrameUITest()
    {
        for (const char* name : { "btn_signup", "btn_giveup", "btn_AdvertTab", "btn_ScoreTab" })
            AddImage(name, 60, 30, 4);
        AddImage("animation_WaitArrangeTable", 120, 40);
        AddImage("advertback", 200, 150);
        m_previous_opener = engine::SetUrlOpener(&m_opener);
    }
    ~PlDkFrameUITest() override
    {
        DestroyFrame();
        engine::SetUrlOpener(m_previous_opener);
    }
    void MakeFrame()
    {
        auto frame = std::make_unique<CRecordingFrame>(m_app, m_log);
        m_frame = frame.get();
        m_engine.m_objects->AddObject(std::move(frame), nullptr);
        m_frame->SetArea(engine::EngineRect { 0, 0, 800, 600 });
        Run();
    }
    // The frame, its panel and scene reach the application until they go.
    void DestroyFrame()
    {
        if (m_frame == nullptr)
            return;
        for (engine::CEngineObject* object : { static_cast<engine::CEngineObject*>(m_frame->GetSubSystem()),
                                               static_cast<engine::CEngineObject*>(m_frame->GetMainGame()),
                                               static_cast<engine::CEngineObject*>(m_frame) })
            if (object != nullptr)
                m_engine.m_objects->DestroyObject(object->GetId());
        m_frame = nullptr;
        Run();
    }
    [[nodiscard]] CPlDkAdvertBar* AdvertBar() const
    {
        return dynamic_cast<CPlDkAdvertBar*>(m_frame->GetSubSystem()->GetAdvertBar());
    }

    Log m_log;
    CRecordingFrame* m_frame { nullptr };
    paneltest::CRecordingOpener m_opener;
    engine::IUrlOpener* m_previous_opener { nullptr };
};

TEST_F(PlDkFrameUITest, CreationStepsAndSkinPackagesPerRoom)
{
    const struct {
        bool cardmaster;
        bool replay;
    } cases[] = { { false, false }, { true, false }, { false, true }, { true, true } };
    for (const auto& c : cases) {
        m_app.Records().Room().configs_ex = c.cardmaster ? client::ROOM_CONFIG_EX_40000 : 0;
        m_app.SetReplayMode(c.replay ? 1 : 0);
        m_log.clear();
        MakeFrame();
        Log expected { "file skins\\advertback.bmp", "skins\\frame.kor", "skins\\common.kor" };
        if (c.cardmaster)
            expected.emplace_back("skins\\cardmaster.kor");
        expected.insert(expected.end(), { "skins\\聊天框资源包.kor", "skins\\koface_nubnub.kor",
                                          "skins\\kofaces_nubnub.kor" });
        if (c.replay)
            expected.emplace_back("skins\\replay.kor");
        expected.insert(expected.end(), { "metrics", "buttons", "backdrop", "children" });
        EXPECT_EQ(m_log, expected) << c.cardmaster << c.replay;
        EXPECT_STREQ(m_frame->GetName(), "GameFrame");
        EXPECT_EQ(m_app.Links().frame_ui, m_frame);
        EXPECT_NE(dynamic_cast<CCardGameScene*>(m_frame->FindObjectByName("MainGame")), nullptr);
        EXPECT_NE(dynamic_cast<CPlDkSubSystemPanel*>(m_frame->GetSubSystem()), nullptr);
        // Not a match room: no tournament widgets at all.
        EXPECT_EQ(m_frame->GetWaitArrange(), nullptr);
        EXPECT_EQ(m_frame->GetEventQueue(), nullptr);
        EXPECT_EQ(m_frame->GetSignUpButton(), nullptr);
        EXPECT_EQ(m_frame->GetRoundText(), nullptr);
        DestroyFrame();
    }
}

TEST_F(PlDkFrameUITest, MatchRoomWidgetsBeforeAndAfterTheStart)
{
    m_app.Records().SetMatchRoom(true);
    for (const bool started : { false, true }) {
        m_app.Records().MatchState().state = started ? client::MATCH_STATE_STARTED : 0;
        MakeFrame();
        ASSERT_NE(m_frame->GetWaitArrange(), nullptr);
        EXPECT_NE(m_frame->GetEventQueue(), nullptr);
        ASSERT_NE(m_frame->GetSignUpButton(), nullptr);
        EXPECT_NE(m_frame->GetGiveUpButton(), nullptr);
        EXPECT_EQ(m_frame->GetStartCountdown() != nullptr, !started);
        EXPECT_EQ(m_frame->GetSignUpCountdown() != nullptr, !started);
        if (!started) {
            EXPECT_EQ(m_frame->GetSignUpButton()->GetFollowerFlags(m_frame->GetSignUpCountdown()->GetId()), 0x180A3u);
        }
        ASSERT_NE(m_frame->GetTablesText(), nullptr);
        EXPECT_DOUBLE_EQ(m_frame->GetTablesText()->GetX(), m_frame->GetWaitArrange()->GetX());
        EXPECT_DOUBLE_EQ(m_frame->GetTablesText()->GetY(), m_frame->GetWaitArrange()->GetTop() -
                                                               m_frame->GetTablesText()->GetHeight() / 2 - 10.0);
        ASSERT_NE(m_frame->GetRoundText(), nullptr);
        m_frame->ShowFirstEliminationRound();
        EXPECT_EQ(m_frame->GetLastBoardText(), "定局淘汰第1轮");
        EXPECT_TRUE(m_frame->GetRoundText()->IsActive());
        DestroyFrame();
    }
}

TEST_F(PlDkFrameUITest, HelpOpensTheForumTopicAndPanelHasThisGamesPhrases)
{
    client::CopyTextField(m_app.Records().Room().notice_host, "bbs.example");
    MakeFrame();
    EXPECT_EQ(m_frame->OnEvent({ m_frame->GetId(), client::GAMEMSG_FRAME_HELP, 0, 0 }), 1);
    ASSERT_EQ(m_opener.opened.size(), 1u);
    EXPECT_EQ(m_opener.opened[0].rfind("http://bbs.example/showtopic-5053.html", 0), 0u) << m_opener.opened[0];
    auto* input = dynamic_cast<panel::CInputBar*>(m_frame->GetSubSystem()->FindObjectByName("InputBar"));
    ASSERT_NE(input, nullptr);
    const std::vector<std::string> phrases(PLDK_QUICK_CHAT_PHRASES.begin(), PLDK_QUICK_CHAT_PHRASES.end());
    EXPECT_EQ(input->GetQuickChatPhrases(), phrases);
    EXPECT_EQ(phrases.size(), 16u);
    EXPECT_EQ(phrases.front(), "你要吗？");
    EXPECT_EQ(phrases.back(), "别打，让他走吧");
}

TEST_F(PlDkFrameUITest, TheAutoPlayAnimationLeavesThePointsOnTheTableClear)
{
    // The default skin's pictures at the client's default size.
    LoadSkinImages(m_paint->images, "common.kor", { "animation_AutoPlay", "分数", "分" });
    MakeFrame();
    m_frame->SetArea(engine::EngineRect { 0, 0, 1050, 600 });
    auto* scene = dynamic_cast<CPlDkGameScene*>(m_frame->GetMainGame());
    ASSERT_NE(scene, nullptr);
    scene->UpdateScorePanel(100);
    m_frame->ShowAutoPlay(true);
    Run(1000);
    const engine::CEngineObject* points = scene->GetScorePanel()->GetVisual();
    const engine::CEngineObject* animation = m_frame->GetAutoPlayAnimation();
    ASSERT_NE(animation, nullptr);
    ASSERT_TRUE(points->IsActive() && animation->IsActive());
    ASSERT_GT(points->GetHeight(), 0);
    EXPECT_TRUE(animation->GetBottom() <= points->GetTop() || animation->GetTop() >= points->GetBottom() ||
                animation->GetRight() <= points->GetLeft() || animation->GetLeft() >= points->GetRight())
        << "the animation " << animation->GetLeft() << "," << animation->GetTop() << "-" << animation->GetRight()
        << "," << animation->GetBottom() << " covers the points " << points->GetLeft() << "," << points->GetTop()
        << "-" << points->GetRight() << "," << points->GetBottom();
}

TEST_F(PlDkFrameUITest, AdvertBarLayoutFollowsTheFrameMetrics)
{
    m_app.SetRunMode(client::RUN_MODE_STAND_ALONE);
    client::CopyTextField(m_app.Records().Room().advert_host, "ad.example");
    MakeFrame();
    CPlDkAdvertBar* bar = AdvertBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetBackPicture(), nullptr);
    EXPECT_EQ(bar->OnEvent({ bar->GetId(), client::GAMEMSG_ADVERT_BAR, 0, 0 }), 1);
    ASSERT_NE(bar->GetBackPicture(), nullptr);
    EXPECT_EQ(bar->GetWebPage()->GetAddress(), "http://ad.example/root/888/advert/window/473/ko.htm");
    // P tab row, Q chair row, R header, S page extra; four chairs.
    const struct {
        int32_t p, q, r, s;
        double tab_shift; // 1 when 4Q + R is even, that is R is even
    } cases[] = { { 24, 20, 22, 40, 1.0 }, { 24, 20, 23, 40, 0.0 }, { 30, 17, 21, 35, 0.0 }, { 30, 18, 20, 35, 1.0 } };
    for (const auto& c : cases) {
        m_frame->SetIntSetting(panel::CGameFrameUI::SETTING_TAB_HEIGHT, c.p);
        m_frame->SetIntSetting(panel::CGameFrameUI::SETTING_ROW_HEIGHT, c.q);
        m_frame->SetIntSetting(panel::CGameFrameUI::SETTING_HEADER_HEIGHT, c.r);
        m_frame->SetIntSetting(panel::CGameFrameUI::SETTING_PAGE_EXTRA, c.s);
        bar->Layout();
        const engine::EngineRect area = bar->GetArea();
        const int32_t width = area.right - area.left;
        const int32_t page = 4 * c.q + c.s + c.r;
        engine::CGuiButton* advert = bar->GetAdvertTabButton();
        engine::CGuiButton* score = bar->GetScoreTabButton();
        EXPECT_DOUBLE_EQ(advert->GetY(), area.top + c.p - advert->GetHeight() * 0.5 + c.tab_shift) << c.r;
        EXPECT_DOUBLE_EQ(score->GetY(), advert->GetY());
        EXPECT_DOUBLE_EQ(score->GetX(), area.left + advert->GetWidth() + 1 + score->GetWidth() * 0.5);
        const engine::CImageObject* picture = bar->GetBackPicture();
        EXPECT_DOUBLE_EQ(picture->GetX(), area.left + width * 0.5);
        EXPECT_DOUBLE_EQ(picture->GetY(), area.top + c.p + page / 2);
        EXPECT_DOUBLE_EQ(picture->GetWidth(), width + 2);
        EXPECT_DOUBLE_EQ(picture->GetHeight(), page + 2);
        EXPECT_DOUBLE_EQ(bar->GetWebPage()->GetTop(), area.top + c.p);
        EXPECT_DOUBLE_EQ(bar->GetWebPage()->GetHeight(), page);
    }
    // The score tab hides the picture; the advert tab brings it back.
    bar->ShowScoreTab();
    EXPECT_FALSE(bar->GetBackPicture()->IsActive());
    bar->ShowAdvertTab();
    EXPECT_TRUE(bar->GetBackPicture()->IsActive());
    // Random-seating rooms keep the score tab.
    m_app.Records().Room().configs = client::ROOM_CONFIG_RANDOM_SEATS;
    bar->ShowScoreTab();
    bar->ShowAdvertTab();
    EXPECT_EQ(bar->GetCurrentTab(), panel::CAdvertBar::TAB_SCORE);
}

// The selected tab is lit like the page below it; the other stands back,
// darker, with the default skin's tab pictures.
TEST_F(PlDkFrameUITest, TheSelectedTabIsLighterThanTheOther)
{
    LoadSkinImages(m_paint->images, "frame.kor", { "btn_AdvertTab", "btn_ScoreTab" });
    MakeFrame();
    CPlDkAdvertBar* bar = AdvertBar();
    ASSERT_NE(bar, nullptr);
    // The mean of red, green and blue over the drawn pixels of the frame a tab shows.
    const auto lightness = [this](const engine::CGuiButton& tab, const char* name) {
        const engine::ImageRecord& image = *m_paint->images.at(name);
        const size_t frame_bytes = size_t(image.width) * image.height * 4;
        const uint8_t* pixel = image.pixels.get() + tab.GetFrame() * frame_bytes;
        double sum = 0;
        size_t count = 0;
        for (size_t at = 0; at < frame_bytes; at += 4)
            if (pixel[at + 3] == 255) {
                sum += pixel[at] + pixel[at + 1] + pixel[at + 2];
                count += 3;
            }
        return count != 0 ? sum / double(count) : 0.0;
    };
    for (const bool score_selected : { true, false }) {
        score_selected ? bar->ShowScoreTab() : bar->ShowAdvertTab();
        Run();
        const double advert = lightness(*bar->GetAdvertTabButton(), "btn_AdvertTab");
        const double score = lightness(*bar->GetScoreTabButton(), "btn_ScoreTab");
        EXPECT_GT(score_selected ? score - advert : advert - score, 20.0) << advert << " " << score;
    }
}

} // namespace
} // namespace scene::test
