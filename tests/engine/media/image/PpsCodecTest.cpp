#include "engine/media/PpsCodec.h"
#include "engine/media/PpsRle.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace engine;
using imagetest::MakeBgra;
using imagetest::MakePalette;
using imagetest::PixelAt;

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t ReadU32(const Bytes& data, size_t offset)
{
    return uint32_t(data[offset]) | uint32_t(data[offset + 1]) << 8 | uint32_t(data[offset + 2]) << 16
        | uint32_t(data[offset + 3]) << 24;
}

void ExpectSameImage(const ImageRecord& a, const ImageRecord& b)
{
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    ASSERT_EQ(a.frames, b.frames);
    ASSERT_EQ(a.pixel_bytes, b.pixel_bytes);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.colour_key, b.colour_key);
    EXPECT_EQ(0, std::memcmp(a.pixels.get(), b.pixels.get(), a.pixel_bytes));
    EXPECT_EQ(a.PaletteBytes(), b.PaletteBytes());
    if (a.PaletteBytes() > 0) {
        EXPECT_EQ(0, std::memcmp(a.palette.get(), b.palette.get(), a.PaletteBytes()));
    }
    ASSERT_EQ(a.delays != nullptr, b.delays != nullptr);
    for (uint32_t f = 0; a.delays && f < a.frames; ++f) {
        EXPECT_EQ(a.delays[f], b.delays[f]);
    }
}

// A 6 x 4, three-frame animation with runs, noise, alpha and delays.
ImageRecord MakeAnimation(uint32_t flags)
{
    std::vector<uint32_t> pixels;
    for (uint32_t f = 0; f < 3; ++f) {
        for (uint32_t i = 0; i < 24; ++i) {
            const uint32_t colour = i < 10 ? 0x00336699 : (i * 2654435761u + f) & 0x00FFFFFF;
            pixels.push_back(colour | uint32_t(i % 3 == 0 ? 0 : 0x80 + i) << 24);
        }
    }
    ImageRecord record = MakeBgra(6, 4, pixels, flags | IMAGE_FLAG_ANIMATED, 3);
    record.delays = std::make_unique<uint32_t[]>(3);
    record.delays[0] = 100;
    record.delays[1] = 40;
    record.delays[2] = 250;
    return record;
}

} // namespace

TEST(PpsRle, CodesRunsOfColourAndIndexElements)
{
    std::vector<uint8_t> colour(64 * 3);
    for (size_t i = 0; i < 64; ++i) {
        colour[i * 3] = 0x11;
        colour[i * 3 + 1] = 0x22;
        colour[i * 3 + 2] = 0x33;
    }
    EXPECT_EQ(RleEncode3(colour.data(), 64), (Bytes { 0x02, 0x01, 0x11, 0x22, 0x33 }));
    EXPECT_EQ(RleEncode3(colour.data(), 63), (Bytes { 0xFC, 0x11, 0x22, 0x33 }));

    const Bytes many(20000, 7);
    const Bytes coded = RleEncode1(many.data(), many.size());
    // 16383 = 63 | 255 << 6; 3617 = 33 | 56 << 6.
    EXPECT_EQ(coded, (Bytes { 0xFE, 0xFF, 7, 0x86, 56, 7 }));

    const Bytes mixed { 1, 2, 3, 3 };
    EXPECT_EQ(RleEncode1(mixed.data(), 4), (Bytes { 0x09, 1, 2, 0x08, 3 }));
    const Bytes zeros { 0, 0, 0 };
    EXPECT_EQ(RleEncode1(zeros.data(), 3), (Bytes { 0x0C, 0 }));
}

TEST(PpsRle, DecodeRefusesRunsPastInputOrOutput)
{
    Bytes out(4);
    EXPECT_TRUE(RleDecode(Bytes { 0x09, 1, 2, 0x08, 3 }, 1, out));
    EXPECT_EQ(out, (Bytes { 1, 2, 3, 3 }));
    EXPECT_FALSE(RleDecode(Bytes { 0x09, 1 }, 1, out));          // literal cut short
    EXPECT_FALSE(RleDecode(Bytes { 0x14, 9 }, 1, out));          // repeat of 5 into 4
    EXPECT_FALSE(RleDecode(Bytes { 0x0C, 9 }, 1, out));          // fills only 3 of 4
    EXPECT_FALSE(RleDecode(Bytes { 0x02 }, 1, out));             // long form without its second byte
    Bytes big(100);
    EXPECT_FALSE(RleDecode(Bytes { 0xFE, 0xFF, 1 }, 1, big));    // 16383 elements into 100
}

TEST(PpsCodec, RoundTripsEveryMethodAndKind)
{
    const std::vector<uint8_t> rgb { 0, 0, 0, 255, 0, 0, 0, 255, 0, 9, 9, 9 };
    Bytes indices;
    Bytes index_alpha;
    for (uint8_t i = 0; i < 30; ++i) {
        indices.push_back(i < 12 ? 1 : i % 4);
        index_alpha.push_back(i % 4);
        index_alpha.push_back(uint8_t(i * 8));
    }
    for (int method : { 1, 3, 4, 5, 6 }) {
        SCOPED_TRACE(method);
        std::vector<ImageRecord> images;
        images.push_back(MakeAnimation(IMAGE_FLAG_ALPHA));
        images.push_back(MakeAnimation(0));
        images.push_back(MakePalette(5, 2, indices, rgb, 3, false, 3));
        images.push_back(MakePalette(5, 3, index_alpha, rgb, IMAGE_NO_COLOUR_KEY, true, 2));
        for (ImageRecord& image : images) {
            if (!image.HasAlpha() && !image.IsPaletteImage()) {
                // Without an alpha channel no alpha is stored: it reads as 255.
                for (uint32_t i = 0; i < image.pixel_bytes / 4; ++i)
                    image.pixels[i * 4 + 3] = 0xFF;
            }
            const Bytes file = EncodePps(image, nullptr, method);
            ASSERT_FALSE(file.empty());
            EXPECT_EQ(ReadU32(file, 24), file.size());
            ImageRecord back;
            ASSERT_EQ(DecodePps(file, back), image.pixel_bytes);
            ExpectSameImage(image, back);
        }
    }
}

TEST(PpsCodec, WritesFixedBytesOfARawAndARunLengthFile)
{
    const ImageRecord image = MakeBgra(2, 1, { 0xFF010203, 0xFF010203 }, 0);
    const Bytes raw = EncodePps(image, nullptr, PPS_METHOD_RAW);
    const Bytes expected_raw {
        'p', 'p', 's', 1, 0, 0, 0, 0, 1, 0, 2, 0, 1, 0, 0, 0,   // method, flags, frames, width, height
        0, 1, 0, 0, 8, 0, 0, 0, 60, 0, 0, 0, 0, 0, 0, 0,         // key 256, decoded 8, file 60, palette 0
        0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, // frame header
        3, 2, 1, 0xFF, 3, 2, 1, 0xFF,
    };
    EXPECT_EQ(raw, expected_raw);

    const Bytes rle = EncodePps(image, nullptr, PPS_METHOD_RLE);
    ASSERT_EQ(rle.size(), 32u + 20 + 4);
    EXPECT_EQ(rle[3], 3);
    EXPECT_EQ(ReadU32(rle, 32), 0u);     // frame flags
    EXPECT_EQ(ReadU32(rle, 40), 4u);     // part 1: a repeat of 2
    EXPECT_EQ(ReadU32(rle, 44), 0u);     // no alpha part
    EXPECT_EQ(Bytes(rle.begin() + 52, rle.end()), (Bytes { 0x08, 3, 2, 1 }));
}

TEST(PpsCodec, BestOfMarksExactlyOneCodingAndNoXorOnFirstFrame)
{
    const ImageRecord flat = MakeBgra(8, 8, std::vector<uint32_t>(64, 0xFF808080), IMAGE_FLAG_ALPHA);
    const Bytes file = EncodePps(flat, nullptr, PPS_METHOD_BEST);
    const uint32_t frame_flags = ReadU32(file, 32);
    EXPECT_EQ(frame_flags & PPS_FRAME_XOR, 0u);
    EXPECT_EQ(((frame_flags & PPS_FRAME_RLE) != 0) + ((frame_flags & PPS_FRAME_ZLIB) != 0), 1);
    EXPECT_EQ(frame_flags & PPS_FRAME_ALPHA, PPS_FRAME_ALPHA);
}

TEST(PpsCodec, CarriesTheOffsetPairInATrailer)
{
    ImageRecord image = MakeBgra(1, 1, { 0xFF000000 }, IMAGE_FLAG_ALPHA | IMAGE_FLAG_OFFSETS);
    image.offset_x = -3;
    image.offset_y = 5;
    ImageRecord plain = MakeBgra(1, 1, { 0xFF000000 }, IMAGE_FLAG_ALPHA);
    const Bytes with = EncodePps(image, nullptr, PPS_METHOD_BEST);
    const Bytes without = EncodePps(plain, nullptr, PPS_METHOD_BEST);
    ASSERT_EQ(with.size(), without.size() + 4);
    EXPECT_EQ(ReadU32(with, with.size() - 4), 0xFFFD0005u);
    ImageRecord back;
    ASSERT_NE(DecodePps(with, back), 0u);
    EXPECT_EQ(back.offset_x, -3);
    EXPECT_EQ(back.offset_y, 5);
}

TEST(PpsCodec, XorFramesWithoutAlphaStayOpaqueOnEveryFrame)
{
    // Frames that differ in few pixels are stored XORed with the previous one.
    std::vector<uint32_t> pixels(3 * 64);
    for (uint32_t i = 0; i < 64; ++i)
        pixels[i] = pixels[64 + i] = pixels[128 + i] = (i * 2654435761u) & 0x00FFFFFF;
    pixels[64 + 5] = 0x00FF0000;
    pixels[128 + 9] = 0x0000FF00;
    ImageRecord image = MakeBgra(8, 8, pixels, 0, 3);
    const Bytes file = EncodePps(image, nullptr, PPS_METHOD_BEST);
    size_t offset = 32;
    bool some_xor = false;
    for (int f = 0; f < 3; ++f) {
        some_xor |= (ReadU32(file, offset) & PPS_FRAME_XOR) != 0;
        offset += 20 + ReadU32(file, offset + 8) + ReadU32(file, offset + 12);
    }
    EXPECT_TRUE(some_xor);
    ImageRecord back;
    ASSERT_NE(DecodePps(file, back), 0u);
    for (uint32_t i = 0; i < 3 * 64; ++i)
        ASSERT_EQ(PixelAt(back, i), pixels[i] | 0xFF000000) << i;
}

TEST(PpsCodec, RefusesBadMagicTruncatedAndLyingFiles)
{
    const ImageRecord image = MakeAnimation(IMAGE_FLAG_ALPHA);
    for (int method : { 1, 3, 5, 6 }) {
        SCOPED_TRACE(method);
        const Bytes file = EncodePps(image, nullptr, method);
        ImageRecord out;
        for (size_t length = 0; length < file.size(); ++length)
            ASSERT_EQ(DecodePps(std::span(file.data(), length), out), 0u) << length;
        EXPECT_EQ(out.pixels, nullptr);

        Bytes bad = file;
        bad[0] = 'q';
        EXPECT_EQ(DecodePps(bad, out), 0u);
        bad = file;
        bad[20] ^= 4;                                    // decoded size does not match the geometry
        EXPECT_EQ(DecodePps(bad, out), 0u);
        bad = file;
        bad[24] = uint8_t(bad[24] + 1);                  // file size beyond the buffer
        EXPECT_EQ(DecodePps(bad, out), 0u);
        bad = file;
        bad[32 + 8] = 0xFF;                              // first part reaches past the file
        bad[32 + 9] = 0xFF;
        EXPECT_EQ(DecodePps(bad, out), 0u);
        bad = file;
        bad[3] = 2;                                      // no such method
        EXPECT_EQ(DecodePps(bad, out), 0u);
    }
}

TEST(PpsCodec, RefusesPaletteCountsAboveTheTable)
{
    const std::vector<uint8_t> rgb(6, 1);
    ImageRecord image = MakePalette(2, 1, { 0, 1 }, rgb, IMAGE_NO_COLOUR_KEY, false);
    Bytes file = EncodePps(image, nullptr, PPS_METHOD_RAW);
    ImageRecord out;
    ASSERT_NE(DecodePps(file, out), 0u);
    file[28] = 0x01;
    file[29] = 0x01;                                     // 257 entries
    EXPECT_EQ(DecodePps(file, out), 0u);
}

TEST(PpsCodec, EncoderRefusesInconsistentRecords)
{
    ImageRecord image = MakeBgra(2, 2, { 1, 2, 3 }, IMAGE_FLAG_ALPHA);   // 3 pixels for 4
    EXPECT_TRUE(EncodePps(image, nullptr, PPS_METHOD_BEST).empty());
    ImageRecord ok = MakeBgra(1, 1, { 1 }, IMAGE_FLAG_ALPHA);
    EXPECT_TRUE(EncodePps(ok, nullptr, 2).empty());
    EXPECT_TRUE(EncodePps(ImageRecord {}, nullptr, PPS_METHOD_BEST).empty());
}

TEST(PpsCodec, SavesOnlyPpsBuffers)
{
    imagetest::CTempFolder folder;
    const ImageRecord image = MakeBgra(1, 1, { 0xFF000000 }, IMAGE_FLAG_ALPHA);
    Bytes file = EncodePps(image, nullptr, PPS_METHOD_RAW);
    file.push_back(0xEE);                                    // bytes beyond the file size stay out
    ASSERT_EQ(SavePps(file, folder / "one.pps"), 1);
    EXPECT_EQ(std::filesystem::file_size(folder / "one.pps"), file.size() - 1);
    EXPECT_EQ(SavePps(Bytes { 'x', 'y', 'z' }, folder / "bad.pps"), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "bad.pps"));
}

TEST(PpsCodec, WritesFixedFrameBytesOfTheZlibMethods)
{
    // Two pixels of one colour, alpha 0x80 and 0xFF. Colour: a run-length
    // repeat (0x08, blue, green, red) or zlib; alpha: zlib of 0x80, 0xFF.
    const ImageRecord image = MakeBgra(2, 1, { 0x80010203, 0xFF010203 }, IMAGE_FLAG_ALPHA);
    const Bytes zlib_alpha { 0x78, 0x9C, 0x6B, 0xF8, 0x0F, 0x00, 0x02, 0x01, 0x01, 0x80 };
    const Bytes zlib_colour { 0x78, 0x9C, 0x63, 0x66, 0x62, 0x64, 0x66, 0x62, 0x04, 0x00, 0x00, 0x34, 0x00, 0x0D };
    const auto frame = [](uint32_t flags, const Bytes& part1, const Bytes& part2) {
        Bytes out;
        for (uint32_t v : { flags, 0u, uint32_t(part1.size()), uint32_t(part2.size()), 8u })
            for (int i = 0; i < 4; ++i)
                out.push_back(uint8_t(v >> (8 * i)));
        out.insert(out.end(), part1.begin(), part1.end());
        out.insert(out.end(), part2.begin(), part2.end());
        return out;
    };
    const Bytes rle { 0x08, 0x03, 0x02, 0x01 };
    const std::pair<int, Bytes> expected[] = {
        { 4, frame(0x04, rle, zlib_alpha) },
        { 5, frame(0x04, zlib_colour, zlib_alpha) },
        { 6, frame(0x14, rle, zlib_alpha) },
    };
    for (const auto& [method, frame_bytes] : expected) {
        const Bytes file = EncodePps(image, nullptr, method);
        ASSERT_EQ(file.size(), 32 + frame_bytes.size()) << method;
        EXPECT_EQ(file[3], method);
        EXPECT_EQ(Bytes(file.begin() + 32, file.end()), frame_bytes) << method;
    }
}
