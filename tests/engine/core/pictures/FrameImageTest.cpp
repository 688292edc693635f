#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/FrameImage.h"
#include "engine/core/ImageFrameCut.h"
#include "engine/core/ImageObject.h"
#include "engine/core/pictures/PictureTestSupport.h"

using namespace engine;
using picturetest::MakeStrip;
using picturetest::RefTo;

TEST(FrameImage, OneFrameIgnoresFrameChanges)
{
    auto record = MakeStrip(4, 4, 1, 1, { 100 });
    CFrameImage picture;
    picture.SetInfo(RefTo(*record));
    EXPECT_EQ(picture.SetFrame(3), 0u);
    EXPECT_EQ(picture.NextFrame(), 0u);
    EXPECT_EQ(picture.SetFrameByTime(500, 0), 0u);
    EXPECT_EQ(picture.GetCurrentFrame(), 0u);
}

TEST(FrameImage, SelectsFramesByTimeModuloOneRound)
{
    auto record = MakeStrip(2, 2, 4, 1, { 100, 100, 100, 100 });
    CFrameImage picture;
    picture.SetInfo(RefTo(*record));
    EXPECT_EQ(picture.GetTotalDelay(), 400u);
    picture.SetFrameByTime(250, 0);
    EXPECT_EQ(picture.GetCurrentFrame(), 2u);
    picture.SetFrameByTime(1150, 0);
    EXPECT_EQ(picture.GetCurrentFrame(), 3u);
    // The frame stays: the answer is the start frame and nothing is marked.
    record->flags &= ~IMAGE_FLAG_CHANGED;
    EXPECT_EQ(picture.SetFrameByTime(1150, 0), 0u);
    EXPECT_EQ(record->flags & IMAGE_FLAG_CHANGED, 0u);
    // From start frame 1, 150 ms reach frame 2.
    picture.SetFrameByTime(150, 1);
    EXPECT_EQ(picture.GetCurrentFrame(), 2u);
}

TEST(FrameImage, SetFrameWrapsAndMarksOnlyChanges)
{
    auto record = MakeStrip(2, 2, 4, 1, { 10, 20, 30, 40 });
    CFrameImage picture;
    picture.SetInfo(RefTo(*record));
    EXPECT_EQ(picture.SetFrame(6), 30u);
    EXPECT_EQ(picture.GetCurrentFrame(), 2u);
    EXPECT_NE(record->flags & IMAGE_FLAG_CHANGED, 0u);
    record->flags &= ~IMAGE_FLAG_CHANGED;
    EXPECT_EQ(picture.SetFrame(-2), 30u);
    EXPECT_EQ(record->flags & IMAGE_FLAG_CHANGED, 0u);
    EXPECT_EQ(picture.NextFrame(), 40u);
    EXPECT_EQ(picture.NextFrame(), 10u);
    EXPECT_EQ(picture.GetCurrentFrame(), 0u);
    EXPECT_EQ(picture.GetFrameDelay(-1), 40u);
}

TEST(FrameImage, ValidityFollowsTheRecordId)
{
    auto record = MakeStrip(2, 2, 1);
    CFrameImage picture;
    EXPECT_EQ(picture.IsValid(), 0);
    EXPECT_EQ(picture.GetColourKey(), COLOUR_NONE);
    picture.SetInfo(RefTo(*record));
    EXPECT_EQ(picture.IsValid(), 1);
    FreeImageRecordData(record.get());
    EXPECT_EQ(picture.IsValid(), 0);
    EXPECT_EQ(picture.HitTest(0, 0), 0);
}

TEST(FrameImage, HitTestAndPixelsOfThirtyTwoBitFrames)
{
    auto record = MakeStrip(4, 3, 3);
    record->pixels[(1 * 4 + 2) * 4 + 3] = 0; // frame 0, (2, 1) transparent
    CFrameImage picture;
    picture.SetInfo(RefTo(*record));
    EXPECT_EQ(picture.HitTest(0, 0), 1);
    EXPECT_EQ(picture.HitTest(2, 1), 0);
    EXPECT_EQ(picture.HitTest(-1, 0), 0);
    EXPECT_EQ(picture.HitTest(4, 0), 0);
    EXPECT_EQ(picture.HitTest(0, 3), 0);
    picture.SetFrame(2);
    // Blue is the frame, green x, red y: colour 0x00BBGGRR.
    EXPECT_EQ(picture.GetColourAt(3, 2), 0x020302u);
    EXPECT_EQ(picture.GetAlphaAt(3, 2), 255u);
}

TEST(FrameImage, AddressesFramesLaidOutInRows)
{
    auto record = MakeStrip(3, 2, 5, 2);
    CFrameImage picture;
    picture.SetInfo(RefTo(*record));
    picture.SetFrame(3);
    EXPECT_EQ(picture.GetColourAt(2, 1), 0x030201u);
    picture.SetFrame(4);
    EXPECT_EQ(picture.GetColourAt(1, 0), 0x040100u);
    // Frame 5 of the grid does not exist in the buffer: nothing is read.
    ImageRef beyond = RefTo(*record);
    beyond.frame = 5;
    picture.SetInfo(beyond);
    EXPECT_EQ(picture.HitTest(0, 0), 0);
}

TEST(FrameImage, PaletteImagesTestTheKeyIndex)
{
    ImageRecord record;
    record.id = 5;
    record.width = 2;
    record.height = 1;
    record.frames = 1;
    record.flags = IMAGE_FLAG_PALETTE;
    record.colour_key = 7;
    record.pixel_bytes = 2;
    record.pixels = std::make_unique<uint8_t[]>(2);
    record.pixels[0] = 7;
    record.pixels[1] = 1;
    record.palette_count = 2;
    record.palette = std::make_unique<uint8_t[]>(6);
    const uint8_t entries[6] = { 0, 0, 0, 0x11, 0x22, 0x33 };
    std::memcpy(record.palette.get(), entries, 6);
    CFrameImage picture;
    picture.SetInfo(RefTo(record));
    EXPECT_EQ(picture.HitTest(0, 0), 0);
    EXPECT_EQ(picture.HitTest(1, 0), 1);
    EXPECT_EQ(picture.GetAlphaAt(0, 0), 0u);
    EXPECT_EQ(picture.GetAlphaAt(1, 0), 255u);
    EXPECT_EQ(picture.GetColourAt(1, 0), 0x332211u);
    // Index 7 has no palette entry: no colour, and no read past the palette.
    EXPECT_EQ(picture.GetColourAt(0, 0), 0u);

    // With an alpha byte per pixel: index, alpha.
    record.flags |= IMAGE_FLAG_ALPHA;
    record.width = 1;
    record.pixels[0] = 1;
    record.pixels[1] = 0;
    picture.SetInfo(RefTo(record));
    EXPECT_EQ(picture.HitTest(0, 0), 0);
    record.pixels[1] = 9;
    EXPECT_EQ(picture.HitTest(0, 0), 1);
    EXPECT_EQ(picture.GetAlphaAt(0, 0), 9u);
}

TEST(FrameImage, ReferenceLargerThanItsRecordReadsNothingOutside)
{
    auto record = MakeStrip(2, 2, 1);
    ImageRef ref = RefTo(*record);
    ref.width = 50;
    ref.height = 50;
    ref.source_y = 1;
    CFrameImage picture;
    picture.SetInfo(ref);
    EXPECT_EQ(picture.HitTest(1, 0), 1);
    EXPECT_EQ(picture.HitTest(1, 1), 0);
    EXPECT_EQ(picture.HitTest(40, 40), 0);
    EXPECT_EQ(picture.GetColourAt(49, 49), 0u);
}

TEST(ImageObject, SumsFrameDelaysAcrossTheWrap)
{
    auto record = MakeStrip(2, 2, 4, 1, { 10, 20, 30, 40 });
    CImageObject image;
    image.SetImage(RefTo(*record), CImageObject::FitSize::Yes);
    EXPECT_EQ(image.GetWidth(), 2.0);
    EXPECT_EQ(image.SumFrameDelays(3, 1), 50u);
    EXPECT_EQ(image.SumFrameDelays(1, 3), 50u);
    EXPECT_EQ(image.SumFrameDelays(2, 2), 0u);
    EXPECT_EQ(image.SumFrameDelays(0, 9), 100u + 100u + 10u);
    // A huge span is counted in whole rounds, not frame by frame.
    EXPECT_EQ(image.SumFrameDelays(INT32_MIN, INT32_MAX), uint32_t((uint64_t(UINT32_MAX) / 4) * 100 + 10 + 20 + 30));
}

TEST(CutImageFrame, CopiesTheFrameModuloTheCount)
{
    auto record = MakeStrip(3, 2, 5, 2, { 5, 6, 7, 8, 9 });
    record->offset_x = -4;
    record->offset_y = 6;
    ImageRecord cut;
    ASSERT_EQ(CutImageFrame(&cut, record.get(), 8), &cut); // 8 mod 5 = frame 3
    EXPECT_EQ(cut.id, 0u);
    EXPECT_EQ(cut.frames, 1u);
    EXPECT_EQ(cut.frames_per_row, 1u);
    EXPECT_EQ(cut.flags & IMAGE_FLAG_ANIMATED, 0u);
    EXPECT_FALSE(cut.delays);
    EXPECT_EQ(cut.offset_x, -4);
    EXPECT_EQ(cut.offset_y, 6);
    ASSERT_EQ(cut.pixel_bytes, 3u * 2 * 4);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint8_t* at = cut.pixels.get() + (y * 3 + x) * 4;
            EXPECT_EQ(at[0], 3);
            EXPECT_EQ(at[1], x);
            EXPECT_EQ(at[2], y);
        }
    }
}

TEST(CutImageFrame, RefusesWhatItCannotCutAndStaysInsideShortBuffers)
{
    ImageRecord cut;
    ImageRecord empty;
    EXPECT_EQ(CutImageFrame(&cut, &empty, 0), nullptr);
    auto record = MakeStrip(3, 2, 4, 2);
    record->pixel_bytes = 3 * 2 * 4; // claims four frames, holds one row of frames' first row only
    ASSERT_EQ(CutImageFrame(&cut, record.get(), 3), &cut);
    for (uint32_t i = 0; i < cut.pixel_bytes; ++i)
        EXPECT_EQ(cut.pixels[i], 0);

    // A frame whose bytes overflow the 32-bit size is refused, not given a
    // truncated buffer.
    ImageRecord huge;
    huge.width = 65535;
    huge.height = 65535;
    huge.frames = 1;
    huge.frames_per_row = 1;
    huge.pixel_bytes = 16;
    huge.pixels = std::make_unique<uint8_t[]>(16);
    EXPECT_EQ(CutImageFrame(&cut, &huge, 0), nullptr);
    EXPECT_FALSE(cut.pixels);
}

TEST(CopyImageRecord, GivesTheCopyItsOwnBuffers)
{
    auto source = MakeStrip(2, 2, 3, 1, { 7, 8, 9 });
    source->flags |= IMAGE_FLAG_PALETTE; // palette bytes are copied by count
    source->palette_count = 2;
    source->palette = std::make_unique<uint8_t[]>(6);
    source->palette[5] = 0x5A;
    ImageRecord copy;
    copy.pixels = std::make_unique<uint8_t[]>(3); // freed, not leaked
    copy.pixel_bytes = 3;
    CopyImageRecord(source.get(), &copy, true);
    ASSERT_EQ(copy.pixel_bytes, source->pixel_bytes);
    EXPECT_NE(copy.pixels.get(), source->pixels.get());
    EXPECT_EQ(std::memcmp(copy.pixels.get(), source->pixels.get(), copy.pixel_bytes), 0);
    EXPECT_NE(copy.delays.get(), source->delays.get());
    EXPECT_EQ(copy.delays[2], 9u);
    EXPECT_EQ(copy.palette[5], 0x5A);
    source->delays[2] = 1;
    EXPECT_EQ(copy.delays[2], 9u);

    ImageRecord header_only;
    CopyImageRecord(source.get(), &header_only, false);
    EXPECT_FALSE(header_only.pixels);
    EXPECT_EQ(header_only.pixel_bytes, 0u);
    EXPECT_EQ(header_only.frames, 3u);
    CopyImageRecord(nullptr, &header_only, true);
    EXPECT_EQ(header_only.frames, 3u);
}
