#include "engine/media/ImageDecoder.h"

#include "ImageTestSupport.h"

#include "platform/ByteOrder.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace engine;

namespace {

using Bytes = std::vector<uint8_t>;

// Writes a surface into memory as BMP or PNG.
Bytes Save(SDL_Surface* surface, bool png)
{
    Bytes buffer(1 << 16);
    SDL_RWops* rw = SDL_RWFromMem(buffer.data(), int(buffer.size()));
    const int result = png ? IMG_SavePNG_RW(surface, rw, 0) : SDL_SaveBMP_RW(surface, rw, 0);
    buffer.resize(size_t(SDL_RWtell(rw)));
    SDL_RWclose(rw);
    EXPECT_EQ(result, 0);
    return buffer;
}

// GIF pixel data: the minimum code size, then sub-blocks of LZW codes in
// which each pixel's code follows a clear code, so that the code size stays
// one bit above the minimum.
void AppendPixelData(Bytes& gif, const uint8_t* indices, size_t count, int min_code_size)
{
    gif.push_back(uint8_t(min_code_size));
    const int code_size = min_code_size + 1;
    uint32_t bits = 0;
    int held = 0;
    Bytes data;
    const auto put = [&](uint32_t code) {
        bits |= code << held;
        held += code_size;
        while (held >= 8) {
            data.push_back(uint8_t(bits));
            bits >>= 8;
            held -= 8;
        }
    };
    for (size_t i = 0; i < count; ++i) {
        put(1u << min_code_size);
        put(indices[i]);
    }
    put((1u << min_code_size) + 1);
    if (held > 0)
        data.push_back(uint8_t(bits));
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t n = std::min<size_t>(255, data.size() - at);
        gif.push_back(uint8_t(n));
        gif.insert(gif.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    gif.push_back(0);
}

// A GIF with one image of w x h at (left, 0) on a screen of screen_w x h,
// with a global palette of 2^palette_bits grey entries.
Bytes MakeSingleImageGif(uint8_t screen_w, uint8_t left, uint8_t w, uint8_t h, const Bytes& indices, int palette_bits,
                         int transparent_index)
{
    Bytes gif { 'G', 'I', 'F', '8', '9', 'a', screen_w, 0, h, 0, uint8_t(0x80 | (palette_bits - 1)), 0, 0 };
    for (int i = 0; i < 1 << palette_bits; ++i)
        gif.insert(gif.end(), { uint8_t(i), uint8_t(i), uint8_t(i) });
    if (transparent_index >= 0)
        gif.insert(gif.end(), { 0x21, 0xF9, 4, 1, 0, 0, uint8_t(transparent_index), 0 });
    gif.insert(gif.end(), { 0x2C, left, 0, 0, 0, w, 0, h, 0, 0 });
    AppendPixelData(gif, indices.data(), indices.size(), std::max(palette_bits, 2));
    gif.push_back(0x3B);
    return gif;
}

// A GIF of 2 x 2 pixels per frame over a 4-colour palette. Each pixel code is
// preceded by a clear code so that the code size stays 3 bits.
Bytes MakeGif(const std::vector<std::array<uint8_t, 4>>& frames, const std::vector<uint16_t>& delays_cs,
              int transparent_index)
{
    Bytes gif { 'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0xF1, 0, 0 };
    const uint8_t palette[12] = { 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255 };
    gif.insert(gif.end(), palette, palette + 12);
    if (frames.size() > 1) {
        const uint8_t loop[] = { 0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0 };
        gif.insert(gif.end(), loop, loop + sizeof loop);
    }
    for (size_t f = 0; f < frames.size(); ++f) {
        const uint16_t delay = f < delays_cs.size() ? delays_cs[f] : 0;
        const uint8_t control[] = { 0x21, 0xF9, 4, uint8_t(transparent_index >= 0 ? 0x05 : 0x04), uint8_t(delay),
                                    uint8_t(delay >> 8), uint8_t(transparent_index >= 0 ? transparent_index : 0), 0 };
        gif.insert(gif.end(), control, control + sizeof control);
        const uint8_t descriptor[] = { 0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0 };
        gif.insert(gif.end(), descriptor, descriptor + sizeof descriptor);
        AppendPixelData(gif, frames[f].data(), frames[f].size(), 2);
    }
    gif.push_back(0x3B);
    return gif;
}

// A PNG file of w x h opaque pixels of one colour (0xRRGGBB).
Bytes OneColourPng(int w, int h, uint32_t rgb)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(surface, nullptr, 0xFF000000u | rgb);
    Bytes png = Save(surface, true);
    SDL_FreeSurface(surface);
    return png;
}

// An icon's BMP entry: an info header, w x h opaque 32-bit pixels of one
// colour (0xRRGGBB) and an all-clear mask.
Bytes IconBmpEntry(uint32_t w, uint32_t h, uint32_t rgb)
{
    Bytes entry(40);
    platform::StoreU32LE(entry.data(), 40);
    platform::StoreU32LE(entry.data() + 4, w);
    platform::StoreU32LE(entry.data() + 8, h * 2);
    platform::StoreU16LE(entry.data() + 12, 1);
    platform::StoreU16LE(entry.data() + 14, 32);
    for (uint32_t i = 0; i < w * h; ++i)
        entry.insert(entry.end(), { uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 0xFF });
    entry.resize(entry.size() + (w + 31) / 32 * 4 * h, 0);
    return entry;
}

// An icon file of the given entries; an entry's size field may be enlarged
// by `overrun` bytes (past the file for the last entry).
Bytes IconFile(const std::vector<Bytes>& entries, uint32_t overrun = 0)
{
    Bytes file(6 + 16 * entries.size());
    platform::StoreU16LE(file.data() + 2, 1);
    platform::StoreU16LE(file.data() + 4, uint16_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* record = file.data() + 6 + 16 * i;
        platform::StoreU16LE(record + 6, 32);
        platform::StoreU32LE(record + 8, uint32_t(entries[i].size()) + overrun);
        platform::StoreU32LE(record + 12, uint32_t(file.size()));
        file.insert(file.end(), entries[i].begin(), entries[i].end());
    }
    return file;
}

// A TIFF file of one RGBA row written by libtiff, with the alpha kind given
// (or RGB when extra_sample is negative).
Bytes WriteTiff(const std::vector<std::array<uint8_t, 4>>& row, int extra_sample)
{
    imagetest::CTempFolder folder;
    const std::string path = folder / "image.tif";
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(tiff, nullptr);
    const uint16_t samples = extra_sample >= 0 ? 4 : 3;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(row.size()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1u);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1u);
    if (extra_sample >= 0) {
        const uint16_t kind = uint16_t(extra_sample);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    Bytes bytes;
    for (const auto& pixel : row)
        bytes.insert(bytes.end(), pixel.begin(), pixel.begin() + samples);
    EXPECT_EQ(TIFFWriteScanline(tiff, bytes.data(), 0, 0), 1);
    TIFFClose(tiff);
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class FakeDecoder final : public IImageDecoder {
public:
    bool Decode(std::span<const uint8_t>, ImageFileFormat, DecodedImage& out) override
    {
        out = image;
        return true;
    }
    DecodedImage image;
};

} // namespace

TEST(ImageDecoder, PngKeepsAlphaAndBmpIsOpaque)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 2, 2, 32, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_NE(surface, nullptr);
    const uint32_t pixels[4] = { 0xFF102030, 0x80405060, 0x00000000, 0xFFFFFFFF };
    for (int y = 0; y < 2; ++y)
        std::memcpy(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch, pixels + y * 2, 8);
    const Bytes png = Save(surface, true);
    SDL_FreeSurface(surface);

    auto decoder = CreateSdlImageDecoder();
    ImageRecord record;
    ASSERT_EQ(DecodeImageRecord(*decoder, png, ImageFileFormat::Png, record), 1);
    EXPECT_EQ(record.width, 2);
    EXPECT_EQ(record.height, 2);
    EXPECT_EQ(record.frames, 1u);
    EXPECT_TRUE(record.flags & IMAGE_FLAG_ALPHA);
    EXPECT_EQ(imagetest::PixelAt(record, 0), 0xFF102030u);
    EXPECT_EQ(imagetest::PixelAt(record, 1), 0x80405060u);
    EXPECT_EQ(imagetest::PixelAt(record, 2) >> 24, 0u);

    SDL_Surface* rgb = SDL_CreateRGBSurfaceWithFormat(0, 3, 1, 24, SDL_PIXELFORMAT_RGB24);
    uint8_t* row = static_cast<uint8_t*>(rgb->pixels);
    const uint8_t bytes[9] = { 10, 20, 30, 40, 50, 60, 70, 80, 90 };   // R, G, B per pixel
    std::memcpy(row, bytes, 9);
    const Bytes bmp = Save(rgb, false);
    SDL_FreeSurface(rgb);
    ASSERT_EQ(DecodeImageRecord(*decoder, bmp, ImageFileFormat::Bmp, record), 1);
    EXPECT_EQ(record.flags & (IMAGE_FLAG_ALPHA | IMAGE_FLAG_TRANSPARENT), 0u);
    EXPECT_EQ(imagetest::PixelAt(record, 0), 0xFF0A141Eu);
    EXPECT_EQ(imagetest::PixelAt(record, 2), 0xFF46505Au);
}

TEST(ImageDecoder, GifFramesCarryDelaysWithFortyForZero)
{
    const Bytes gif = MakeGif({ { 0, 1, 2, 3 }, { 3, 2, 1, 0 }, { 1, 1, 1, 1 } }, { 10, 0, 25 }, -1);
    auto decoder = CreateSdlImageDecoder();
    ImageRecord record;
    ASSERT_EQ(DecodeImageRecord(*decoder, gif, ImageFileFormat::Gif, record), 1);
    ASSERT_EQ(record.frames, 3u);
    EXPECT_TRUE(record.flags & IMAGE_FLAG_ANIMATED);
    ASSERT_NE(record.delays, nullptr);
    EXPECT_EQ(record.delays[0], 100u);
    EXPECT_EQ(record.delays[1], 40u);
    EXPECT_EQ(record.delays[2], 250u);
    // Frame 1, pixel 0 is index 3 (blue); frame 2 is all red.
    EXPECT_EQ(imagetest::PixelAt(record, 4) & 0x00FFFFFF, 0x0000FFu);
    EXPECT_EQ(imagetest::PixelAt(record, 8) & 0x00FFFFFF, 0xFF0000u);
}

TEST(ImageDecoder, UnusedTransparentIndexClearsTransparency)
{
    auto decoder = CreateSdlImageDecoder();
    ImageRecord used;
    ASSERT_EQ(DecodeImageRecord(*decoder, MakeGif({ { 0, 1, 2, 3 } }, {}, 2), ImageFileFormat::Gif, used), 1);
    EXPECT_TRUE(used.IsPaletteImage());
    EXPECT_EQ(used.colour_key, 2u);
    EXPECT_TRUE(used.flags & IMAGE_FLAG_TRANSPARENT);
    ImageRecord unused;
    ASSERT_EQ(DecodeImageRecord(*decoder, MakeGif({ { 0, 1, 0, 1 } }, {}, 2), ImageFileFormat::Gif, unused), 1);
    EXPECT_FALSE(unused.flags & IMAGE_FLAG_TRANSPARENT);
}

TEST(ImageDecoder, IcoHasOneFrameAndPaletteAlphaTakesTwoBytes)
{
    FakeDecoder fake;
    fake.image.width = 1;
    fake.image.height = 1;
    fake.image.palette = true;
    fake.image.palette_colours = { 0xFF000000, 0x80FFFFFF };
    fake.image.alpha_valid = true;
    fake.image.has_colour_key = true;
    fake.image.colour_key = 0;
    fake.image.frames = { { 1 }, { 0 } };
    ImageRecord record;
    ASSERT_EQ(DecodeImageRecord(fake, {}, ImageFileFormat::Ico, record), 1);
    EXPECT_EQ(record.frames, 1u);
    EXPECT_EQ(record.pixel_bytes, 2u);
    EXPECT_EQ(record.pixels[0], 1);
    EXPECT_EQ(record.pixels[1], 0x80);
    EXPECT_EQ(record.colour_key, 0u);
    EXPECT_TRUE(record.flags & IMAGE_FLAG_TRANSPARENT);
}

TEST(ImageDecoder, RefusesOversizedAndBrokenImages)
{
    auto decoder = CreateSdlImageDecoder();
    ImageRecord record;
    // A PNG header claiming 100000 x 100000 is refused before decoding.
    Bytes png { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 6, 0, 0, 0 };
    EXPECT_EQ(DecodeImageRecord(*decoder, png, ImageFileFormat::Png, record), 0);
    EXPECT_EQ(DecodeImageRecord(*decoder, Bytes { 1, 2, 3 }, ImageFileFormat::Bmp, record), 0);
    EXPECT_EQ(DecodeImageRecord(*decoder, Bytes { 1, 2, 3 }, ImageFileFormat::Wmf, record), 0);
    FakeDecoder fake;
    fake.image.width = 2;
    fake.image.height = 2;
    fake.image.frames = { Bytes(15) };                        // one byte short
    EXPECT_EQ(DecodeImageRecord(fake, {}, ImageFileFormat::Png, record), 0);
    EXPECT_EQ(record.pixels, nullptr);
}

TEST(GifReader, ClipsImagesToTheScreenAndRefusesCutOrHugeFiles)
{
    auto decoder = CreateSdlImageDecoder();
    const Bytes gif = MakeGif({ { 1, 2, 3, 1 } }, {}, -1);
    // The single image moved one pixel right: its right column falls outside.
    Bytes moved = gif;
    moved[34] = 1;
    ImageRecord record;
    ASSERT_EQ(DecodeImageRecord(*decoder, moved, ImageFileFormat::Gif, record), 1);
    EXPECT_EQ(record.pixels[0], record.colour_key);          // off the image: transparent
    EXPECT_EQ(record.pixels[1], 1);
    EXPECT_EQ(record.pixels[3], 3);

    for (size_t length = 13; length + 1 < gif.size(); ++length) {
        const Bytes cut(gif.begin(), gif.begin() + length);
        EXPECT_EQ(DecodeImageRecord(*decoder, cut, ImageFileFormat::Gif, record), 0) << length;
    }
    Bytes huge = gif;
    huge[38] = 0x60;
    huge[39] = 0xEA;                                          // 60000 wide
    huge[40] = 0x60;
    huge[41] = 0xEA;
    EXPECT_EQ(DecodeImageRecord(*decoder, huge, ImageFileFormat::Gif, record), 0);
    Bytes bad_code = gif;
    bad_code[43] = 12;                                        // no such code size
    EXPECT_EQ(DecodeImageRecord(*decoder, bad_code, ImageFileFormat::Gif, record), 0);
}

TEST(GifReader, ScreenOutsideASingleImageIsTransparent)
{
    // A 2 x 2 image at x = 1 on a 4 x 2 screen: columns 0 and 3 are outside.
    const Bytes four { 1, 2, 3, 1 };
    Bytes every(256);
    for (size_t i = 0; i < every.size(); ++i)
        every[i] = uint8_t(i);
    struct Case {
        const char* name;
        Bytes gif;
        uint32_t key;              // palette key; 32-bit images have none
        uint32_t palette_entries;  // 0: a 32-bit image
    };
    const Case cases[] = {
        { "free index past the palette", MakeSingleImageGif(4, 1, 2, 2, four, 2, -1), 4, 5 },
        { "free index inside a full palette", MakeSingleImageGif(4, 1, 2, 2, four, 8, -1), 0, 256 },
        { "the file's transparent index", MakeSingleImageGif(4, 1, 2, 2, four, 2, 3), 3, 4 },
        { "all 256 indices used", MakeSingleImageGif(255, 1, 128, 2, every, 8, -1), 0, 0 },
    };
    auto decoder = CreateSdlImageDecoder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageRecord record;
        ASSERT_EQ(DecodeImageRecord(*decoder, c.gif, ImageFileFormat::Gif, record), 1);
        const size_t w = record.width;
        if (c.palette_entries == 0) {
            EXPECT_EQ(record.flags, IMAGE_FLAG_ALPHA);
            EXPECT_EQ(imagetest::PixelAt(record, 0) >> 24, 0u);
            EXPECT_EQ(imagetest::PixelAt(record, w + 1), 0xFF808080u);       // index 128
            EXPECT_EQ(imagetest::PixelAt(record, 128), 0xFF7F7F7Fu);         // index 127
            EXPECT_EQ(imagetest::PixelAt(record, w - 1) >> 24, 0u);
            continue;
        }
        EXPECT_TRUE(record.flags & IMAGE_FLAG_TRANSPARENT);
        EXPECT_EQ(record.colour_key, c.key);
        EXPECT_EQ(record.palette_count, c.palette_entries);
        const Bytes expected { uint8_t(c.key), 1, 2, uint8_t(c.key), uint8_t(c.key), 3, 1, uint8_t(c.key) };
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.pixels.get()));
    }
    // An image covering the screen with no transparent index has no key.
    ImageRecord whole;
    ASSERT_EQ(DecodeImageRecord(*decoder, MakeSingleImageGif(2, 0, 2, 2, four, 2, -1), ImageFileFormat::Gif, whole), 1);
    EXPECT_EQ(whole.flags, IMAGE_FLAG_PALETTE);
    EXPECT_EQ(whole.colour_key, IMAGE_NO_COLOUR_KEY);
}

TEST(GifReader, FramesClaimingMoreThanTheScreenCostOnlyTheScreen)
{
    // A 2 x 2 screen with 5000 frames that each claim 8192 x 2048 pixels and
    // carry no pixel data: a few bytes each in the file, and no more than the
    // screen each in memory.
    Bytes gif { 'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0xF1, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255 };
    for (int f = 0; f < 5000; ++f) {
        const uint8_t frame[] = { 0x2C, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0x08, 0, 2, 1, 0x2C, 0 };
        gif.insert(gif.end(), frame, frame + sizeof frame);
    }
    gif.push_back(0x3B);
    auto decoder = CreateSdlImageDecoder();
    ImageRecord record;
    ASSERT_EQ(DecodeImageRecord(*decoder, gif, ImageFileFormat::Gif, record), 1);
    EXPECT_EQ(record.width, 2);
    EXPECT_EQ(record.height, 2);
    EXPECT_EQ(record.frames, 5000u);
    EXPECT_EQ(imagetest::PixelAt(record, 4 * 4999), 0xFF000000u);   // index 0: black
}

TEST(GifReader, DisposalRestoresTheBackgroundBetweenFrames)
{
    // Frame 0 draws index 1 everywhere and asks for "restore to background";
    // frame 1 is transparent (index 0) everywhere: nothing is left.
    Bytes gif = MakeGif({ { 1, 1, 1, 1 }, { 0, 0, 0, 0 } }, { 5, 5 }, 0);
    // The first graphic control block follows the header (13), palette (12)
    // and the loop extension (19): its packed byte is at 25 + 19 + 3.
    gif[25 + 19 + 3] = 0x09;                                  // disposal 2, transparent
    auto decoder = CreateSdlImageDecoder();
    ImageRecord record;
    ASSERT_EQ(DecodeImageRecord(*decoder, gif, ImageFileFormat::Gif, record), 1);
    ASSERT_EQ(record.frames, 2u);
    EXPECT_EQ(imagetest::PixelAt(record, 0), 0xFFFF0000u);
    EXPECT_EQ(imagetest::PixelAt(record, 4) >> 24, 0u);
}

TEST(IconFile, ShowsTheDeepestLargestEntryThatLiesInTheFile)
{
    const Bytes small_bmp = IconBmpEntry(2, 2, 0x102030);
    const Bytes large_bmp = IconBmpEntry(4, 4, 0x405060);
    const Bytes png = OneColourPng(3, 3, 0xA0B0C0);
    Bytes huge_png = png;
    huge_png[17] = 0x10;                                      // IHDR width 0x100003
    struct Case {
        const char* name;
        Bytes file;
        uint16_t width;
        uint32_t pixel;
    };
    const Case cases[] = {
        { "a larger PNG entry after a BMP entry", IconFile({ small_bmp, png }), 3, 0xFFA0B0C0 },
        { "a larger BMP entry after a PNG entry", IconFile({ png, large_bmp }), 4, 0xFF405060 },
        { "a PNG entry claiming a huge size", IconFile({ small_bmp, huge_png }), 2, 0xFF102030 },
        { "an entry running past the file", IconFile({ small_bmp, png }, 1), 2, 0xFF102030 },
    };
    auto decoder = CreateSdlImageDecoder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageRecord record;
        ASSERT_EQ(DecodeImageRecord(*decoder, c.file, ImageFileFormat::Ico, record), 1);
        EXPECT_EQ(record.width, c.width);
        EXPECT_EQ(record.height, c.width);
        EXPECT_EQ(imagetest::PixelAt(record, 0), c.pixel);
        EXPECT_EQ(imagetest::PixelAt(record, size_t(c.width) * c.width - 1), c.pixel);
    }
    Bytes cursor = IconFile({ png });
    cursor[2] = 2;
    Bytes too_many = IconFile({ png });
    too_many[4] = 200;
    const Bytes only_huge = IconFile({ huge_png });
    const Bytes* refused[] = { &cursor, &too_many, &only_huge };
    for (const Bytes* file : refused) {
        ImageRecord record;
        EXPECT_EQ(DecodeImageRecord(*decoder, *file, ImageFileFormat::Ico, record), 0);
    }
}

TEST(TiffReader, AlphaComesOutStraight)
{
    // Straight alpha is kept as stored; associated alpha is divided out; a
    // file without alpha is opaque and carries no alpha flag.
    auto decoder = CreateSdlImageDecoder();
    ImageRecord record;
    const Bytes straight = WriteTiff({ { 96, 96, 96, 8 }, { 10, 20, 30, 255 }, { 0, 0, 0, 0 } }, EXTRASAMPLE_UNASSALPHA);
    ASSERT_EQ(DecodeImageRecord(*decoder, straight, ImageFileFormat::Tiff, record), 1);
    EXPECT_TRUE(record.flags & IMAGE_FLAG_ALPHA);
    EXPECT_EQ(imagetest::PixelAt(record, 0), 0x08606060u);
    EXPECT_EQ(imagetest::PixelAt(record, 1), 0xFF0A141Eu);
    EXPECT_EQ(imagetest::PixelAt(record, 2), 0u);

    const Bytes associated = WriteTiff({ { 48, 24, 0, 128 } }, EXTRASAMPLE_ASSOCALPHA);
    ASSERT_EQ(DecodeImageRecord(*decoder, associated, ImageFileFormat::Tiff, record), 1);
    EXPECT_EQ(imagetest::PixelAt(record, 0), 0x80603000u);

    const Bytes opaque = WriteTiff({ { 1, 2, 3, 0 } }, -1);
    ASSERT_EQ(DecodeImageRecord(*decoder, opaque, ImageFileFormat::Tiff, record), 1);
    EXPECT_EQ(record.flags & IMAGE_FLAG_ALPHA, 0u);
    EXPECT_EQ(imagetest::PixelAt(record, 0), 0xFF010203u);
    EXPECT_EQ(DecodeImageRecord(*decoder, Bytes(opaque.begin(), opaque.begin() + 12), ImageFileFormat::Tiff, record),
              0);
}

TEST(WbmpReader, DecodesOneBitRowsAsATwoColourPaletteImage)
{
    auto decoder = CreateSdlImageDecoder();
    // Type 0, fixed header 0, width 10, height 2; rows padded to two bytes.
    const Bytes wbmp { 0, 0, 10, 2, 0b10110000, 0b01000000, 0b01111111, 0b11000000 };
    ImageRecord record;
    ASSERT_EQ(DecodeImageRecord(*decoder, wbmp, ImageFileFormat::Wbmp, record), 1);
    EXPECT_EQ(record.width, 10);
    EXPECT_EQ(record.height, 2);
    EXPECT_EQ(record.frames, 1u);
    EXPECT_EQ(record.flags, IMAGE_FLAG_PALETTE);
    EXPECT_EQ(record.colour_key, IMAGE_NO_COLOUR_KEY);
    ASSERT_EQ(record.palette_count, 2u);
    const uint8_t palette[6] = { 0, 0, 0, 255, 255, 255 };
    EXPECT_TRUE(std::equal(palette, palette + 6, record.palette.get()));
    ASSERT_EQ(record.pixel_bytes, 20u);
    const uint8_t pixels[20] = { 1, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1 };
    EXPECT_TRUE(std::equal(pixels, pixels + 20, record.pixels.get()));

    // Sizes in several bytes: width 130 is 0x81 0x02.
    Bytes wide { 0, 0, 0x81, 0x02, 1 };
    wide.resize(wide.size() + 17, 0xFF);
    ASSERT_EQ(DecodeImageRecord(*decoder, wide, ImageFileFormat::Wbmp, record), 1);
    EXPECT_EQ(record.width, 130);
    EXPECT_EQ(record.pixels[129], 1);
}

TEST(WbmpReader, RefusesOtherTypesShortRowsAndHugeOrEndlessSizes)
{
    auto decoder = CreateSdlImageDecoder();
    ImageRecord record;
    const Bytes good { 0, 0, 10, 2, 0, 0, 0, 0 };
    Bytes other_type = good;
    other_type[0] = 1;
    Bytes extension = good;
    extension[1] = 0x80;
    const Bytes short_rows(good.begin(), good.end() - 1);
    const Bytes huge { 0, 0, 0x84, 0x80, 0x00, 0x84, 0x80, 0x00, 0 };       // 65536 x 65536
    const Bytes endless { 0, 0, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x01, 1, 0 };
    const Bytes zero_width { 0, 0, 0, 2, 0, 0 };
    for (const Bytes* file : std::initializer_list<const Bytes*> { &other_type, &extension, &short_rows, &huge, &endless,
                                                                   &zero_width })
        EXPECT_EQ(DecodeImageRecord(*decoder, *file, ImageFileFormat::Wbmp, record), 0);
    EXPECT_EQ(record.pixels, nullptr);
    EXPECT_EQ(DecodeImageRecord(*decoder, Bytes {}, ImageFileFormat::Wbmp, record), 0);
}
