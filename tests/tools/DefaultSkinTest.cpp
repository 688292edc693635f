// The default skin drawn at build time (bin/skins): every image the table
// loads by name is in its package, at the size the code expects.
#include "engine/core/NameKey.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/QrCodePanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>

namespace {

struct Expected {
    const char* package;
    const char* name;
    uint16_t width;
    uint16_t height;
    uint32_t frames;
};

// Sizes are checked for the cards (the table's layout depends on them) and
// for the pictures the info box draws at its own size (and the card counter's
// board and menu button, whose count text must clear the button); the frame
// counts are what the code indexes, in its order (the engine wraps a frame
// past a strip's end, so a short strip shows another frame's picture):
// buttons have four state frames, digit strips ten, a face strip 54; the
// seat plate, the finishing places and the chat bubbles as many as the
// table's own frame choices reach.
constexpr uint16_t ANY = 0;
constexpr uint32_t PLATE_FRAMES = scene::CPlDkSeatBoard::PlateFrame(true, true) + 1;
/// The place is the frame, 1 the first: frame 0 is never shown.
constexpr uint32_t PLACE_FRAMES = rules::PLDK_CHAIRS + 1;
constexpr uint32_t CHAT_FRAMES =
    *std::max_element(scene::CPlDkGameScene::CHAT_FRAMES.begin(), scene::CPlDkGameScene::CHAT_FRAMES.end()) + 1;
constexpr Expected IMAGES[] = {
    { "common.kor", "牌正面50x68", 50, 68, 54 },  { "common.kor", "牌背面50x68", 50, 68, 1 },
    { "common.kor", "牌正面71x96", 71, 96, 54 },  { "common.kor", "牌背面71x96", 71, 96, 1 },
    { "common.kor", "牌正面82x110", 82, 110, 54 }, { "common.kor", "牌背面82x110", 82, 110, 1 },
    { "common.kor", "牌正面98x132", 98, 132, 54 }, { "common.kor", "牌背面98x132", 98, 132, 1 },
    { "common.kor", "牌角", 160, 38, 1 },          { "common.kor", "花_图标", ANY, ANY, 1 },
    { "common.kor", "btn_StartGame", ANY, ANY, 4 }, { "common.kor", "btnThrow", ANY, ANY, 4 },
    { "common.kor", "btnPass", ANY, ANY, 4 },       { "common.kor", "btnRemaind", ANY, ANY, 4 },
    { "common.kor", "btn_Sort1", ANY, ANY, 4 },     { "common.kor", "btn_Sort2", ANY, ANY, 4 },
    { "common.kor", "btn_Sort3", ANY, ANY, 4 },     { "common.kor", "btn_SortBomb", ANY, ANY, 4 },
    { "common.kor", "btn_SortBig", ANY, ANY, 4 },   { "common.kor", "btn_SortSmall", ANY, ANY, 4 },
    { "common.kor", "btn_SortType", ANY, ANY, 4 },  { "common.kor", "btn_AutoPlay", ANY, ANY, 4 },
    { "common.kor", "btn_CancelAutoPlay", ANY, ANY, 4 }, { "common.kor", "btn_CheckResult", ANY, ANY, 4 },
    { "common.kor", "btn_AskCardView", ANY, ANY, 4 }, { "common.kor", "btn_gameset_ok", ANY, ANY, 4 },
    { "common.kor", "btn_gameset_cancel", ANY, ANY, 4 }, { "common.kor", "PlayerBoardSmall", ANY, ANY, PLATE_FRAMES },
    { "common.kor", "bit_gamesetboard", ANY, ANY, 1 }, { "common.kor", "游戏信息框", 160, 38, 1 },
    { "common.kor", "比赛信息框", ANY, ANY, 1 },    { "common.kor", "bit_BkgPattern", ANY, ANY, 1 },
    { "common.kor", "digit_restcard", ANY, ANY, 10 }, { "common.kor", "digit_Pen", ANY, ANY, 12 },
    { "common.kor", "digit_Pen2", ANY, ANY, 10 },   { "common.kor", "digiti_Clock", ANY, ANY, 10 },
    { "common.kor", "ScoreDigit", ANY, ANY, 10 },   { "common.kor", "word_zhang", ANY, ANY, 1 },
    { "common.kor", "word_fen", ANY, ANY, 1 },      { "common.kor", "ScoreUnite", ANY, ANY, 1 },
    { "common.kor", "str_基础分", 160, 38, 1 },     { "common.kor", "str_翻牌", 160, 38, 1 },
    { "common.kor", "animation_Ready", ANY, ANY, 1 }, { "common.kor", "animation_AutoPlay", ANY, ANY, 1 },
    { "common.kor", "animation_Offline", ANY, ANY, 1 }, { "common.kor", "waitsolo", ANY, ANY, 1 },
    { "common.kor", "过牌提示", ANY, ANY, 1 },      { "common.kor", "炸弹图标", ANY, ANY, 1 },
    { "common.kor", "Player_MatchScore", ANY, ANY, 2 }, { "common.kor", "bit_Duan", ANY, ANY, 11 },
    { "common.kor", "名次", ANY, ANY, PLACE_FRAMES },          { "common.kor", "复选框", ANY, ANY, 2 },
    { "replay.kor", "Rep_bitBoard", ANY, ANY, 1 },  { "replay.kor", "Rep_Rrogressbar", ANY, ANY, 3 },
    { "replay.kor", "Rep_btnPlay", ANY, ANY, 4 },   { "replay.kor", "Rep_btnStop", ANY, ANY, 4 },
    { "replay.kor", "Rep_btnReset", ANY, ANY, 4 },  { "replay.kor", "Rep_btnPreStep", ANY, ANY, 4 },
    { "replay.kor", "Rep_btnNextStep", ANY, ANY, 4 }, { "replay.kor", "Rep_btnOpenFile", ANY, ANY, 4 },
    { "replay.kor", "bit_cardmaster", 260, 148, 1 }, { "replay.kor", "bit_cardmaster_player", ANY, ANY, 1 },
    { "replay.kor", "bit_cardmaster_small", ANY, ANY, 54 }, { "replay.kor", "bit_cardrank", 16, 13, 15 },
    { "replay.kor", "btn_redcross", ANY, ANY, 4 },  { "frame.kor", "btn_popmenu", 40, 24, 4 },
    { "frame.kor", "btn_ScoreTab", ANY, ANY, 4 },   { "frame.kor", "btn_AdvertTab", ANY, ANY, 4 },
    { "frame.kor", "btn_signup", ANY, ANY, 4 },     { "frame.kor", "btn_giveup", ANY, ANY, 4 },
    { "frame.kor", "word_waitmatchstart", ANY, ANY, 18 }, { "frame.kor", "digit_waitmatchstart", ANY, ANY, 10 },
    { "frame.kor", "word_washturn", ANY, ANY, 6 },  { "frame.kor", "word_resttable", ANY, ANY, 11 },
    { "frame.kor", "animation_WaitArrangeTable", ANY, ANY, 1 },
    { "cardmaster.kor", "btn_Cardmaster", ANY, ANY, 4 }, { "common.kor", "btn_5TK", ANY, ANY, 4 },
    { "common.kor", "chat", ANY, ANY, CHAT_FRAMES },          { "common.kor", "分数", ANY, ANY, 10 },
    { "common.kor", "digit_basescore", ANY, ANY, 10 }, { "common.kor", "游戏结果框", 500, 320, 1 },
    { "聊天框资源包.kor", "ScrollBar_VertBtn", ANY, ANY, 3 },
    { "聊天框资源包.kor", "ScrollBar_HorzLeftBtn", ANY, ANY, 4 },
    { "frame.kor", "btn_FrameHelp", ANY, ANY, 4 },  { "frame.kor", "btn_FrameMin", ANY, ANY, 4 },
    { "frame.kor", "btn_FrameSet", ANY, ANY, 4 },
    { "frame.kor", "btn_FrameMax", ANY, ANY, 4 },   { "frame.kor", "btn_FrameRestore", ANY, ANY, 4 },
    { "frame.kor", "btn_FrameClose", ANY, ANY, 4 },
};

// Dark ink (rank or suit, red or black) in the frame's top-left w x h pixels.
bool CornerHasInk(const engine::ImageRecord& image, uint32_t frame, int w, int h)
{
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = image.pixels.get() + ((size_t(frame) * image.height + size_t(y)) * image.width + size_t(x)) * 4;
            if (p[3] == 255 && p[0] < 120 && p[1] < 120)
                return true;
        }
    }
    return false;
}

struct Box {
    int32_t left, top, right, bottom;
    [[nodiscard]] bool Holds(const Box& in) const
    {
        return in.left >= left && in.top >= top && in.right <= right && in.bottom <= bottom;
    }
};

engine::ImageRecord LoadImage(const char* package, const char* name)
{
    engine::ResourceModule module;
    engine::ImageRecord image;
    if (module.LoadPackage(std::string(PLDK_SKINS_DIR) + "/" + package) > 0)
        if (const engine::ResourceRecord* data = module.ReadData(engine::MakeNameKey(std::string(name) + ".imge")))
            (void)engine::DecodePps(data->Bytes(), image);
    return image;
}

// The drawn (not transparent) pixels of frame 0, from the picture's centre.
Box DrawnBox(const engine::ImageRecord& image)
{
    Box box { INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN };
    for (int32_t y = 0; y < int32_t(image.height); ++y)
        for (int32_t x = 0; x < int32_t(image.width); ++x)
            if (image.pixels.get()[(size_t(y) * image.width + size_t(x)) * 4 + 3] != 0)
                box = { std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1) };
    const int32_t cx = image.width / 2, cy = image.height / 2;
    return { box.left - cx, box.top - cy, box.right - cx, box.bottom - cy };
}

Box Centred(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return { x - w / 2, y - h / 2, x + w / 2, y + h / 2 };
}

} // namespace

// The QR-code panel stands at fixed points near the window's bottom-left
// corner with its code and buttons at fixed offsets: at either point of the
// smallest table (1050 x 600, the main game 810 wide) the drawn panel lies in
// the window and holds the code and both buttons.
TEST(DefaultSkin, QrPanelHoldsItsCodeAndButtonsInsideTheWindow)
{
    const engine::ImageRecord panel = LoadImage("common.kor", scene::QR_PANEL_IMAGE);
    const engine::ImageRecord close = LoadImage("common.kor", scene::QR_CLOSE_IMAGE);
    const engine::ImageRecord site = LoadImage("common.kor", scene::QR_OPEN_SITE_IMAGE);
    ASSERT_TRUE(panel.pixels && close.pixels && site.pixels);
    const Box drawn = DrawnBox(panel);
    constexpr int32_t W = 810, H = 600;
    const struct {
        int32_t x, y;
    } PLACES[] = { { scene::QR_MAXIMISED_X, H - scene::QR_MAXIMISED_ABOVE_BOTTOM },
                   { scene::QR_WINDOW_X, H - scene::QR_WINDOW_ABOVE_BOTTOM } };
    for (const auto& at : PLACES) {
        SCOPED_TRACE(at.x);
        const Box shown { at.x + drawn.left, at.y + drawn.top, at.x + drawn.right, at.y + drawn.bottom };
        EXPECT_TRUE((Box { 0, 0, W, H }).Holds(shown));
        const auto side = static_cast<int32_t>(scene::QR_IMAGE_SIZE);
        EXPECT_TRUE(shown.Holds(Centred(at.x, at.y + scene::QR_CODE_DY, side, side)));
        EXPECT_TRUE(shown.Holds(Centred(at.x + scene::QR_CLOSE_DX, at.y + scene::QR_CLOSE_DY, close.width, close.height)));
        EXPECT_TRUE(shown.Holds(Centred(at.x + scene::QR_SITE_DX, at.y + scene::QR_SITE_DY, site.width, site.height)));
    }
}

TEST(DefaultSkin, EveryNamedImageIsInItsPackageAtItsSize)
{
    for (const Expected& expected : IMAGES) {
        SCOPED_TRACE(expected.name);
        engine::ResourceModule module;
        ASSERT_GT(module.LoadPackage(std::string(PLDK_SKINS_DIR) + "/" + expected.package), 0);
        const engine::ResourceRecord* data = module.ReadData(engine::MakeNameKey(std::string(expected.name) + ".imge"));
        ASSERT_NE(data, nullptr);
        engine::ImageRecord image;
        ASSERT_GT(engine::DecodePps(data->Bytes(), image), 0u);
        if (expected.width != ANY) {
            EXPECT_EQ(image.width, expected.width);
            EXPECT_EQ(image.height, expected.height);
        }
        EXPECT_EQ(image.frames, expected.frames);
        // Every face shows its rank and suit inside the corner that the card
        // counter (12 x 28 of the smallest face) and the flipped-corner
        // sprite (16 x 32 of the 82 x 110 face) cut out.
        const bool face = std::string_view(expected.name).starts_with("牌正面");
        for (uint32_t frame = 0; face && frame < image.frames; ++frame)
            EXPECT_TRUE(CornerHasInk(image, frame, 12, 28)) << "frame " << frame;
        // The places' strip shows nothing for no place; the first is frame 1.
        if (std::string_view(expected.name) == "名次") {
            EXPECT_TRUE(std::all_of(image.pixels.get(), image.pixels.get() + size_t(image.width) * image.height * 4,
                                    [](uint8_t byte) { return byte == 0; }));
        }
    }
}
