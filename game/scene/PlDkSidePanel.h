#pragma once
// This game's side panel and advert bar.
// CPlDkSubSystemPanel: the side panel with this game's sixteen quick-chat
// phrases and its own advert bar.
// CPlDkAdvertBar: the advert bar with a background picture (skin image
// "advertback") behind the advert page, this game's advert page in the
// stand-alone mode and its layout from the frame metrics: tab row P (50007),
// chair row Q (50009), header row R (50008) and page extra S (50011).
//
// Owner: the object module (the frame UI registers the panel, the panel the
// bar); the picture is a registered object of the bar. Thread: UI thread.
#include <array>
#include <cstdint>

#include "client/panel/CAdvertBar.h"
#include "client/panel/CSubSystemPanel.h"

namespace engine {
class CImageObject;
}

namespace scene {

inline constexpr std::array<const char*, 16> PLDK_QUICK_CHAT_PHRASES = {
    "你要吗？", "我来！", "我不要", "不好打不要勉强", "炸他！", "你要什么牌？", "单张", "对子",
    "三张", "510K", "炸弹", "我架了", "你自己跑吧", "你分多吗？", "你下分，我带走！", "别打，让他走吧",
};

class CPlDkSubSystemPanel : public panel::CSubSystemPanel {
public:
    using CSubSystemPanel::CSubSystemPanel;
    void CreateAdvertBar() override;
    void SetQuickChatPhrases() override;
};

class CPlDkAdvertBar : public panel::CAdvertBar {
public:
    static constexpr const char* STAND_ALONE_ADVERT_PATH = "/root/888/advert/window/473/ko.htm";
    static constexpr double PICTURE_DEPTH_STEP = 10.0;

    using CAdvertBar::CAdvertBar;

    /// Makes the background picture and navigates the advert page.
    void OnInitData() override;
    void Layout() override;
    void ShowAdvertTab() override;
    void OnPageHidden() override;
    void OnPageLoaded() override;

    [[nodiscard]] engine::CImageObject* GetBackPicture() const { return m_picture; }

private:
    /// The page's height: n x Q + S + R.
    [[nodiscard]] int32_t GetPageHeight() const;
    void SetPictureActive(bool active);

    engine::CImageObject* m_picture { nullptr };
    int32_t m_picture_width { 0 };
    int32_t m_picture_height { 0 };
};

} // namespace scene
