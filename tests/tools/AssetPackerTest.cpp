#include "tools/AssetPacker.h"
#include "tools/CardSkin.h"

#include "engine/core/NameKey.h"
#include "engine/media/ImageDecoder.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"
#include "tests/engine/media/image/ImageTestSupport.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>


namespace {

using Bytes = std::vector<uint8_t>;

using imagetest::CTempFolder;
using imagetest::WriteFile;

Bytes MakePng()
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 2, 1, 32, SDL_PIXELFORMAT_ARGB8888);
    const uint32_t pixels[2] = { 0xFF336699, 0x00000000 };
    std::memcpy(surface->pixels, pixels, 8);
    Bytes buffer(1 << 14);
    SDL_RWops* rw = SDL_RWFromMem(buffer.data(), int(buffer.size()));
    EXPECT_EQ(IMG_SavePNG_RW(surface, rw, 0), 0);
    buffer.resize(size_t(SDL_RWtell(rw)));
    SDL_RWclose(rw);
    SDL_FreeSurface(surface);
    return buffer;
}

} // namespace

TEST(AssetPacker, PackedFolderReadsBackThroughTheResourceModule)
{
    CTempFolder source;
    WriteFile(source, "btnThrow.png", MakePng());
    WriteFile(source, "sounds/Hit.wav", Bytes { 'R', 'I', 'F', 'F' });
    WriteFile(source, "readme.txt", Bytes { 'h', 'i' });
    const tools::PackResult result = tools::PackFolder(source.Path(), tools::PngToPps::Yes);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.count, 3u);

    CTempFolder out;
    WriteFile(out, "skin.kor", result.package);
    engine::ResourceModule module;
    ASSERT_EQ(module.LoadPackage(out / "skin.kor"), 3);
    EXPECT_EQ(module.Find(engine::MakeNameKey("Hit.sound")).size(), 4u);
    EXPECT_EQ(module.Find(engine::MakeNameKey("readme.text")).size(), 2u);
    const engine::ResourceRecord* image = module.ReadData(engine::MakeNameKey("btnThrow.imge"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->type, engine::StringHash(".pps"));
    engine::ImageRecord record;
    ASSERT_EQ(engine::DecodePps(image->Bytes(), record), 8u);
    EXPECT_TRUE(record.flags & engine::IMAGE_FLAG_ALPHA);
    EXPECT_TRUE(record.flags & engine::IMAGE_FLAG_TRANSPARENT);
    uint32_t first = 0;
    std::memcpy(&first, record.pixels.get(), 4);
    EXPECT_EQ(first, 0xFF336699u);
}

TEST(AssetPacker, RefusesBrokenPngsAndDuplicateNames)
{
    CTempFolder broken;
    WriteFile(broken, "bad.png", Bytes { 1, 2, 3 });
    EXPECT_FALSE(tools::PackFolder(broken.Path(), tools::PngToPps::Yes).ok);
    EXPECT_TRUE(tools::PackFolder(broken.Path(), tools::PngToPps::No).ok);

    CTempFolder twice;
    WriteFile(twice, "a/card.png", MakePng());
    WriteFile(twice, "b/card.bmp", Bytes { 'B', 'M' });
    const tools::PackResult result = tools::PackFolder(twice.Path(), tools::PngToPps::No);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("card"), std::string::npos);
}

TEST(CardSkin, EachFaceShowsTheRankOfItsCardId)
{
    // Id 0 is the 2, id 3 the scoring five, id 12 the ace; each deck of 54
    // repeats the 13 ranks per suit.
    const struct {
        int frame;
        std::u32string rank;
    } faces[] = { { 0, U"2" }, { 3, U"5" }, { 8, U"10" }, { 11, U"K" }, { 12, U"A" }, { 25, U"A" }, { 39, U"2" },
                  { 52, U"" }, { 53, U"" } };
    for (const auto& face : faces)
        EXPECT_TRUE(tools::FaceRankText(face.frame) == face.rank) << face.frame;
}
