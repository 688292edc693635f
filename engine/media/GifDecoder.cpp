#include "engine/media/GifDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace engine {

namespace {

constexpr int LZW_MAX_CODES = 4096;

uint32_t Le16(std::span<const uint8_t> d, size_t o) { return uint32_t(d[o]) | uint32_t(d[o + 1]) << 8; }

struct GifReader {
    std::span<const uint8_t> data;
    size_t pos { 0 };

    [[nodiscard]] bool Has(size_t n) const { return n <= data.size() - pos; }
    // The data of a run of sub-blocks, or false when they are cut.
    bool ReadSubBlocks(std::vector<uint8_t>* out)
    {
        while (Has(1)) {
            const size_t size = data[pos++];
            if (size == 0)
                return true;
            if (!Has(size))
                return false;
            if (out)
                out->insert(out->end(), data.begin() + pos, data.begin() + pos + size);
            pos += size;
        }
        return false;
    }
};

// Decodes LZW data into at most count indices: out holds what the data
// gives (the rest of the frame reads as index 0). False for a code that the
// table cannot hold.
bool DecodeLzw(const std::vector<uint8_t>& input, int min_code_size, std::vector<uint8_t>& out, size_t count)
{
    out.clear();
    out.reserve(std::min<size_t>(count, input.size() * 4));
    const int clear = 1 << min_code_size;
    const int end = clear + 1;
    std::array<uint16_t, LZW_MAX_CODES> prefix {};
    std::array<uint8_t, LZW_MAX_CODES> suffix {};
    std::array<uint8_t, LZW_MAX_CODES + 1> stack {};
    for (int i = 0; i < clear; ++i)
        suffix[size_t(i)] = uint8_t(i);
    int code_size = min_code_size + 1;
    int next = clear + 2;
    int previous = -1;
    uint8_t first = 0;
    uint32_t bits = 0;
    int bit_count = 0;
    size_t in = 0;
    size_t written = 0;
    while (written < count) {
        while (bit_count < code_size && in < input.size()) {
            bits |= uint32_t(input[in++]) << bit_count;
            bit_count += 8;
        }
        if (bit_count < code_size)
            return true;
        const int code = int(bits & ((1u << code_size) - 1));
        bits >>= code_size;
        bit_count -= code_size;
        if (code == clear) {
            code_size = min_code_size + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            return true;
        if (previous < 0) {
            if (code >= clear)
                return false;
            out.push_back(uint8_t(code));
            ++written;
            previous = code;
            first = uint8_t(code);
            continue;
        }
        if (code > next)
            return false;
        size_t depth = 0;
        int walk = code;
        if (code == next) {
            stack[depth++] = first;
            walk = previous;
        }
        while (walk >= clear) {
            if (depth >= stack.size() - 1)
                return false;
            stack[depth++] = suffix[size_t(walk)];
            walk = prefix[size_t(walk)];
        }
        stack[depth++] = uint8_t(walk);
        first = uint8_t(walk);
        while (depth > 0 && written < count) {
            out.push_back(stack[--depth]);
            ++written;
        }
        if (next < LZW_MAX_CODES) {
            prefix[size_t(next)] = uint16_t(previous);
            suffix[size_t(next)] = first;
            ++next;
            if (next == (1 << code_size) && code_size < 12)
                ++code_size;
        }
        previous = code;
    }
    return true;
}

// The row of the image that the n-th decoded row is, with interlacing.
uint32_t InterlacedRow(uint32_t n, uint32_t height)
{
    const uint32_t pass1 = (height + 7) / 8;
    const uint32_t pass2 = (height + 3) / 8;
    const uint32_t pass3 = (height + 1) / 4;
    if (n < pass1)
        return n * 8;
    n -= pass1;
    if (n < pass2)
        return 4 + n * 8;
    n -= pass2;
    if (n < pass3)
        return 2 + n * 4;
    n -= pass3;
    return 1 + n * 2;
}

struct GifFrame {
    uint32_t left { 0 };
    uint32_t top { 0 };
    uint32_t width { 0 };
    uint32_t height { 0 };
    std::vector<uint32_t> palette;   ///< 0xFFRRGGBB
    std::vector<uint8_t> indices;    ///< width x height, rows in order
    int transparent { -1 };
    uint32_t disposal { 0 };
    uint32_t delay_cs { 0 };
};

std::vector<uint32_t> ReadPalette(GifReader& in, uint8_t packed)
{
    const size_t entries = size_t(1) << ((packed & 7) + 1);
    std::vector<uint32_t> palette;
    if (!in.Has(entries * 3))
        return palette;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* p = in.data.data() + in.pos + i * 3;
        palette.push_back(0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    }
    in.pos += entries * 3;
    return palette;
}

// The colour key for the screen outside a single image that has no
// transparent index of its own: an index the image does not use, past the
// palette where there is room (the palette grows to hold it). -1 when the
// image uses all 256 indices.
int FreeIndexForBackground(const GifFrame& frame)
{
    std::array<bool, 256> used {};
    for (uint8_t index : frame.indices)
        used[index] = true;
    for (size_t i = frame.palette.size(); i < used.size(); ++i) {
        if (!used[i])
            return int(i);
    }
    for (size_t i = 0; i < frame.palette.size() && i < used.size(); ++i) {
        if (!used[i])
            return int(i);
    }
    return -1;
}

// A file with one image as a palette image on the logical screen. The screen
// outside the image is transparent, as viewers show it: with the image's
// transparent index, or else with a free index as the colour key. False when
// there is no free index (the caller composes 32-bit pixels instead).
bool ComposeSingleImage(const GifFrame& frame, uint32_t screen_w, uint32_t screen_h, DecodedImage& out)
{
    const bool covers_screen = frame.left == 0 && frame.top == 0 && frame.width == screen_w && frame.height == screen_h;
    int key = frame.transparent;
    if (key < 0 && !covers_screen) {
        key = FreeIndexForBackground(frame);
        if (key < 0)
            return false;
    }
    out.palette = true;
    out.palette_colours = frame.palette;
    if (key >= 0 && frame.transparent < 0 && size_t(key) >= out.palette_colours.size())
        out.palette_colours.resize(size_t(key) + 1, 0xFF000000u);
    out.has_colour_key = key >= 0;
    out.colour_key = out.has_colour_key ? uint32_t(key) : 0;
    std::vector<uint8_t> canvas(size_t(screen_w) * screen_h, uint8_t(std::max(key, 0)));
    for (uint32_t y = 0; y < frame.height && frame.width > 0; ++y)
        std::memcpy(canvas.data() + size_t(frame.top + y) * screen_w + frame.left,
                    frame.indices.data() + size_t(y) * frame.width, frame.width);
    out.frames.push_back(std::move(canvas));
    return true;
}

} // namespace

bool DecodeGif(std::span<const uint8_t> data, DecodedImage& out)
{
    if (data.size() < 13 || (std::memcmp(data.data(), "GIF87a", 6) != 0 && std::memcmp(data.data(), "GIF89a", 6) != 0))
        return false;
    const uint32_t screen_w = Le16(data, 6);
    const uint32_t screen_h = Le16(data, 8);
    if (screen_w == 0 || screen_h == 0 || !ImageSizeWithinLimits(screen_w, screen_h))
        return false;
    GifReader in { data, 13 };
    std::vector<uint32_t> global;
    if (data[10] & 0x80) {
        global = ReadPalette(in, data[10]);
        if (global.empty())
            return false;
    }
    std::vector<GifFrame> frames;
    int transparent = -1;
    uint32_t disposal = 0;
    uint32_t delay = 0;
    while (in.Has(1)) {
        const uint8_t block = in.data[in.pos++];
        if (block == 0x3B)
            break;
        if (block == 0x21) {
            if (!in.Has(1))
                return false;
            const uint8_t label = in.data[in.pos++];
            if (label == 0xF9 && in.Has(6) && in.data[in.pos] >= 4) {
                const uint8_t packed = in.data[in.pos + 1];
                disposal = (packed >> 2) & 7;
                delay = Le16(in.data, in.pos + 2);
                transparent = (packed & 1) ? int(in.data[in.pos + 4]) : -1;
            }
            if (!in.ReadSubBlocks(nullptr))
                return false;
            continue;
        }
        if (block != 0x2C)
            continue;   // stray bytes between blocks are skipped
        if (!in.Has(10))
            return false;
        GifFrame frame;
        frame.left = Le16(in.data, in.pos);
        frame.top = Le16(in.data, in.pos + 2);
        frame.width = Le16(in.data, in.pos + 4);
        frame.height = Le16(in.data, in.pos + 6);
        const uint8_t packed = in.data[in.pos + 8];
        in.pos += 9;
        if (!ImageSizeWithinLimits(frame.width, frame.height)
            || !ImageSizeWithinLimits(screen_w, screen_h, frames.size() + 1))
            return false;
        if (packed & 0x80) {
            frame.palette = ReadPalette(in, packed);
            if (frame.palette.empty())
                return false;
        } else {
            frame.palette = global;
        }
        if (!in.Has(1))
            return false;
        const int min_code_size = in.data[in.pos++];
        if (min_code_size < 1 || min_code_size > 11)
            return false;
        std::vector<uint8_t> lzw;
        if (!in.ReadSubBlocks(&lzw))
            return false;
        std::vector<uint8_t> decoded;
        if (!DecodeLzw(lzw, min_code_size, decoded, size_t(frame.width) * frame.height))
            return false;
        // Only the part of the frame on the logical screen is kept, so that a
        // frame claiming a large area costs no more than the screen does.
        const uint32_t shown_w = frame.left < screen_w ? std::min(frame.width, screen_w - frame.left) : 0;
        const uint32_t shown_h = frame.top < screen_h ? std::min(frame.height, screen_h - frame.top) : 0;
        frame.indices.assign(size_t(shown_w) * shown_h, 0);
        for (uint32_t n = 0; n < frame.height && shown_w > 0; ++n) {
            const uint32_t row = (packed & 0x40) ? InterlacedRow(n, frame.height) : n;
            const size_t from = size_t(n) * frame.width;
            if (row >= shown_h || from >= decoded.size())
                continue;
            std::memcpy(frame.indices.data() + size_t(row) * shown_w, decoded.data() + from,
                        std::min<size_t>(shown_w, decoded.size() - from));
        }
        frame.width = shown_w;
        frame.height = shown_h;
        frame.transparent = transparent;
        frame.disposal = disposal;
        frame.delay_cs = delay;
        frames.push_back(std::move(frame));
        transparent = -1;
        disposal = 0;
        delay = 0;
    }
    if (frames.empty())
        return false;

    out = DecodedImage {};
    out.width = screen_w;
    out.height = screen_h;
    const size_t screen_pixels = size_t(screen_w) * screen_h;
    if (frames.size() == 1 && frames.front().palette.empty())
        return false;
    if (frames.size() == 1 && ComposeSingleImage(frames.front(), screen_w, screen_h, out))
        return true;
    out.alpha_valid = true;
    std::vector<uint32_t> canvas(screen_pixels, 0);
    std::vector<uint32_t> saved;
    for (const GifFrame& frame : frames) {
        if (frame.disposal == 3)
            saved = canvas;
        for (uint32_t y = 0; y < frame.height && frame.top + y < screen_h; ++y) {
            for (uint32_t x = 0; x < frame.width && frame.left + x < screen_w; ++x) {
                const uint8_t index = frame.indices[size_t(y) * frame.width + x];
                if (int(index) == frame.transparent || index >= frame.palette.size())
                    continue;
                canvas[size_t(frame.top + y) * screen_w + frame.left + x] = frame.palette[index];
            }
        }
        std::vector<uint8_t> bytes(screen_pixels * 4);
        std::memcpy(bytes.data(), canvas.data(), bytes.size());
        out.frames.push_back(std::move(bytes));
        out.delays_ms.push_back(frame.delay_cs * 10);
        if (frame.disposal == 2) {
            for (uint32_t y = 0; y < frame.height && frame.top + y < screen_h; ++y) {
                for (uint32_t x = 0; x < frame.width && frame.left + x < screen_w; ++x)
                    canvas[size_t(frame.top + y) * screen_w + frame.left + x] = 0;
            }
        } else if (frame.disposal == 3 && saved.size() == canvas.size()) {
            canvas = saved;
        }
    }
    return true;
}

} // namespace engine
