// The default skin drawn at build time (bin/skins): every image the table
// loads by name is in its package, at the size the code expects.
#include "engine/core/NameKey.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"

#include <gtest/gtest.h>

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
// board and menu button, whose count text must clear the button); the frame counts are
// what the code indexes: buttons have four state frames, digit strips ten,
// the seat plate three, a face strip 54.
constexpr uint16_t ANY = 0;
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
    { "common.kor", "btn_gameset_cancel", ANY, ANY, 4 }, { "common.kor", "PlayerBoardSmall", ANY, ANY, 3 },
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
    { "common.kor", "名次", ANY, ANY, 4 },          { "common.kor", "复选框", ANY, ANY, 2 },
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
    { "common.kor", "chat", ANY, ANY, 5 },          { "common.kor", "分数", ANY, ANY, 10 },
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

} // namespace

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
    }
}
