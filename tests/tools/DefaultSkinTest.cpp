// The default skin drawn at build time (bin/skins): every image the table
// loads by name is in its package, at the size the code expects.
#include "engine/core/NameKey.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Expected {
    const char* package;
    const char* name;
    uint16_t width;
    uint16_t height;
    uint32_t frames;
};

constexpr Expected IMAGES[] = {
    { "common.kor", "牌正面50x68", 50, 68, 54 },  { "common.kor", "牌背面50x68", 50, 68, 1 },
    { "common.kor", "牌正面71x96", 71, 96, 54 },  { "common.kor", "牌背面71x96", 71, 96, 1 },
    { "common.kor", "牌正面82x110", 82, 110, 54 }, { "common.kor", "牌背面82x110", 82, 110, 1 },
    { "common.kor", "牌正面98x132", 98, 132, 54 }, { "common.kor", "牌背面98x132", 98, 132, 1 },
    { "common.kor", "牌角", 16, 22, 1 },           { "common.kor", "花_图标", 14, 14, 1 },
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
        EXPECT_EQ(image.width, expected.width);
        EXPECT_EQ(image.height, expected.height);
        EXPECT_EQ(image.frames, expected.frames);
        // Every face shows its rank and suit inside the corner that the card
        // counter (12 x 28 of the smallest face) and the flipped-corner
        // sprite (16 x 32 of the 82 x 110 face) cut out.
        for (uint32_t frame = 0; expected.frames == 54 && frame < image.frames; ++frame)
            EXPECT_TRUE(CornerHasInk(image, frame, 12, 28)) << "frame " << frame;
    }
}
