#include "engine/media/PpsCodec.h"

#include "engine/core/EnginePath.h"
#include "engine/media/PixelChannels.h"
#include "engine/media/PpsRle.h"
#include "platform/ByteReader.h"

#include <cstring>

namespace engine {

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

bool IsPaletteFlags(uint32_t flags) { return (flags & (IMAGE_FLAG_PALETTE | IMAGE_FLAG_BLOCK32)) != 0; }

bool IsKnownMethod(int method)
{
    return method == PPS_METHOD_RAW || method == PPS_METHOD_RLE || method == PPS_METHOD_RLE_ZLIB
        || method == PPS_METHOD_ZLIB || method == PPS_METHOD_BEST;
}

uint64_t FrameBytes(uint32_t flags, uint32_t width, uint32_t height)
{
    const uint64_t pixels = uint64_t(width) * height;
    if (IsPaletteFlags(flags))
        return (flags & IMAGE_FLAG_ALPHA) ? pixels * 2 : pixels;
    return pixels * 4;
}

// Part 1 and part 2 of one frame, and its frame flags.
struct EncodedFrame {
    uint32_t flags { 0 };
    std::vector<uint8_t> part1;
    std::vector<uint8_t> part2;
    [[nodiscard]] size_t Size() const { return part1.size() + part2.size(); }
};

std::vector<uint8_t> PackColour(const uint8_t* data, size_t count, bool palette, int method, uint32_t& frame_flags)
{
    const size_t bytes = palette ? count : count * 3;
    switch (method) {
    case PPS_METHOD_RLE:
    case PPS_METHOD_RLE_ZLIB:
        return palette ? RleEncode1(data, count) : RleEncode3(data, count);
    case PPS_METHOD_ZLIB:
        return ZlibPack(data, bytes);
    default: {
        std::vector<uint8_t> rle = palette ? RleEncode1(data, count) : RleEncode3(data, count);
        std::vector<uint8_t> packed = ZlibPack(data, bytes);
        if (rle.size() > packed.size()) {
            frame_flags |= PPS_FRAME_ZLIB;
            return packed;
        }
        frame_flags |= PPS_FRAME_RLE;
        return rle;
    }
    }
}

// Encodes one frame of decoded bytes (already XORed by the caller when asked).
EncodedFrame EncodeFrame(const uint8_t* frame, uint32_t image_flags, size_t pixel_count, size_t frame_bytes, int method)
{
    EncodedFrame out;
    const bool palette = IsPaletteFlags(image_flags);
    const bool alpha = (image_flags & IMAGE_FLAG_ALPHA) != 0;
    if (palette)
        out.flags |= PPS_FRAME_PALETTE;
    if (alpha)
        out.flags |= PPS_FRAME_ALPHA;
    if (method == PPS_METHOD_RAW) {
        out.part1.assign(frame, frame + frame_bytes);
        return out;
    }
    std::vector<uint8_t> colour;
    std::vector<uint8_t> alpha_array;
    const uint8_t* colour_data = frame;
    if (alpha || !palette) {
        colour.resize(palette ? pixel_count : pixel_count * 3);
        alpha_array.resize(pixel_count);
        SplitChannels(frame, colour.data(), alpha_array.data(), pixel_count, palette ? 8 : 32);
        colour_data = colour.data();
    }
    out.part1 = PackColour(colour_data, pixel_count, palette, method, out.flags);
    if (alpha) {
        out.part2 = method == PPS_METHOD_RLE ? RleEncode1(alpha_array.data(), pixel_count)
                                             : ZlibPack(alpha_array.data(), pixel_count);
    }
    return out;
}

void WriteFrame(std::vector<uint8_t>& out, const EncodedFrame& frame, uint32_t delay, uint32_t decoded_size)
{
    PutU32(out, frame.flags & 0xFFFF);
    PutU32(out, delay);
    PutU32(out, uint32_t(frame.part1.size()));
    PutU32(out, uint32_t(frame.part2.size()));
    PutU32(out, decoded_size);
    out.insert(out.end(), frame.part1.begin(), frame.part1.end());
    out.insert(out.end(), frame.part2.begin(), frame.part2.end());
}

// Decodes part 1 (and part 2) of one frame into output (frame bytes long).
bool DecodeFrameParts(std::span<const uint8_t> part1, std::span<const uint8_t> part2, const PpsFrameHeader& frame,
                      int method, bool palette, size_t pixel_count, std::span<uint8_t> output)
{
    if (method == PPS_METHOD_RAW) {
        if (part1.size() < output.size())
            return false;
        std::memcpy(output.data(), part1.data(), output.size());
        return true;
    }
    const bool alpha = (frame.flags & PPS_FRAME_ALPHA) != 0;
    const bool colour_zlib = method == PPS_METHOD_ZLIB || (method == PPS_METHOD_BEST && (frame.flags & PPS_FRAME_ZLIB));
    const bool alpha_zlib = method != PPS_METHOD_RLE;
    const size_t element = palette ? 1 : 3;
    auto unpack = [](std::span<const uint8_t> in, size_t element_size, bool zlib, std::span<uint8_t> out) {
        return zlib ? ZlibUnpack(in, out) : RleDecode(in, element_size, out);
    };
    if (palette && !alpha)
        return unpack(part1, element, colour_zlib, output);
    std::vector<uint8_t> colour(pixel_count * element);
    std::vector<uint8_t> alpha_array(pixel_count, 0xFF);
    if (!unpack(part1, element, colour_zlib, colour))
        return false;
    if (alpha && !unpack(part2, 1, alpha_zlib, alpha_array))
        return false;
    MergeChannels(colour.data(), alpha_array.data(), output.data(), pixel_count, palette ? 8 : 32);
    return true;
}

}

std::vector<uint8_t> EncodePps(const ImageRecord& record, const uint8_t* block32, int method)
{
    if (!IsKnownMethod(method) || record.frames == 0 || record.frames > 0xFFFF || !record.pixels)
        return {};
    const uint64_t frame_bytes = FrameBytes(record.flags, record.width, record.height);
    const uint64_t total = frame_bytes * record.frames;
    if (frame_bytes == 0 || total > record.pixel_bytes || total > PPS_MAX_DECODED_BYTES)
        return {};
    const bool palette = IsPaletteFlags(record.flags);
    const bool block = (record.flags & IMAGE_FLAG_BLOCK32) != 0;
    const uint32_t palette_count = record.palette_count & 0xFFFF;
    if (!block && (record.flags & IMAGE_FLAG_PALETTE)
        && (palette_count == 0 || palette_count > 256 || !record.palette))
        return {};
    const size_t pixel_count = size_t(record.width) * record.height;

    std::vector<uint8_t> frames_out;
    std::vector<uint8_t> xored(frame_bytes);
    const uint8_t* previous = nullptr;
    for (uint32_t f = 0; f < record.frames; ++f) {
        const uint8_t* frame = record.pixels.get() + f * frame_bytes;
        EncodedFrame plain = EncodeFrame(frame, record.flags, pixel_count, frame_bytes, method);
        if (previous) {
            for (size_t i = 0; i < frame_bytes; ++i)
                xored[i] = frame[i] ^ previous[i];
            EncodedFrame delta = EncodeFrame(xored.data(), record.flags, pixel_count, frame_bytes, method);
            delta.flags |= PPS_FRAME_XOR;
            if (delta.Size() < plain.Size())
                plain = std::move(delta);
        }
        const uint32_t delay = (record.frames > 1 && record.delays) ? record.delays[f] : 0;
        WriteFrame(frames_out, plain, delay, uint32_t(frame_bytes));
        previous = frame;
    }

    std::vector<uint8_t> out;
    const size_t colour_block = block ? PPS_BLOCK32_SIZE : (palette ? palette_count * 3 : 0);
    const size_t trailer = (record.flags & IMAGE_FLAG_OFFSETS) ? 4 : 0;
    const size_t file_size = PPS_FILE_HEADER_SIZE + colour_block + frames_out.size() + trailer;
    if (file_size > 0xFFFFFFFFu)
        return {};
    out.reserve(file_size);
    out.push_back('p');
    out.push_back('p');
    out.push_back('s');
    out.push_back(uint8_t(method));
    PutU32(out, record.flags);
    PutU16(out, uint16_t(record.frames));
    PutU16(out, record.width);
    PutU16(out, record.height);
    PutU16(out, 0);
    PutU32(out, record.colour_key);
    PutU32(out, uint32_t(total));
    PutU32(out, uint32_t(file_size));
    PutU32(out, palette_count);
    if (block) {
        static const uint8_t zeros[PPS_BLOCK32_SIZE] = {};
        const uint8_t* source = block32 ? block32 : zeros;
        out.insert(out.end(), source, source + PPS_BLOCK32_SIZE);
    } else if (palette) {
        out.insert(out.end(), record.palette.get(), record.palette.get() + colour_block);
    }
    out.insert(out.end(), frames_out.begin(), frames_out.end());
    if (trailer) {
        PutU32(out, uint32_t(uint16_t(record.offset_x)) << 16 | uint16_t(record.offset_y));
    }
    return out;
}

bool ReadPpsHeader(std::span<const uint8_t> data, PpsFileHeader& out)
{
    platform::CByteReader in(data);
    const auto magic = in.ReadBytes(3);
    if (!in.Ok() || magic[0] != 'p' || magic[1] != 'p' || magic[2] != 's')
        return false;
    PpsFileHeader header;
    header.method = in.ReadU8();
    header.flags = in.ReadU32();
    header.frames = in.ReadU16();
    header.width = in.ReadU16();
    header.height = in.ReadU16();
    in.ReadU16();
    header.colour_key = in.ReadU32();
    header.decoded_size = in.ReadU32();
    header.file_size = in.ReadU32();
    header.palette_count = in.ReadU32();
    if (!in.Ok())
        return false;
    out = header;
    return true;
}

uint32_t DecodePps(std::span<const uint8_t> data, ImageRecord& out)
{
    PpsFileHeader header;
    if (!ReadPpsHeader(data, header) || !IsKnownMethod(header.method))
        return 0;
    // The header's file size bounds everything that follows; trailing bytes
    // beyond it are not part of the image.
    if (header.file_size < PPS_FILE_HEADER_SIZE || header.file_size > data.size())
        return 0;
    const bool palette = IsPaletteFlags(header.flags);
    const bool block = (header.flags & IMAGE_FLAG_BLOCK32) != 0;
    const bool alpha = (header.flags & IMAGE_FLAG_ALPHA) != 0;
    const uint64_t frame_bytes = FrameBytes(header.flags, header.width, header.height);
    const uint64_t total = frame_bytes * header.frames;
    if (frame_bytes == 0 || header.frames == 0 || total != header.decoded_size || total > PPS_MAX_DECODED_BYTES)
        return 0;
    const uint32_t palette_count = header.palette_count & 0xFFFF;
    if (!block && (header.flags & IMAGE_FLAG_PALETTE) && (palette_count == 0 || palette_count > 256))
        return 0;

    platform::CByteReader in(data.first(header.file_size));
    in.ReadBytes(PPS_FILE_HEADER_SIZE);
    ImageRecord record;
    record.frames = header.frames;
    record.width = header.width;
    record.height = header.height;
    record.colour_key = header.colour_key;
    record.pixel_bytes = header.decoded_size;
    record.flags = header.flags;
    record.palette_count = header.palette_count;
    record.frames_per_row = 1;
    if (block) {
        const auto bytes = in.ReadBytes(PPS_BLOCK32_SIZE);
        if (!in.Ok())
            return 0;
        record.palette = std::make_unique<uint8_t[]>(PPS_BLOCK32_SIZE);
        std::memcpy(record.palette.get(), bytes.data(), PPS_BLOCK32_SIZE);
        if (!(header.flags & IMAGE_FLAG_TRANSPARENT))
            record.colour_key = IMAGE_NO_COLOUR_KEY;
    } else if (header.flags & IMAGE_FLAG_PALETTE) {
        const auto bytes = in.ReadBytes(size_t(palette_count) * 3);
        if (!in.Ok())
            return 0;
        record.palette_count = palette_count;
        record.palette = std::make_unique<uint8_t[]>(bytes.size());
        std::memcpy(record.palette.get(), bytes.data(), bytes.size());
    }
    if (header.flags & IMAGE_FLAG_ANIMATED)
        record.delays = std::make_unique<uint32_t[]>(header.frames);
    // The densest coding is a long run: 5 bytes for 16383 colour pixels,
    // which decode to 65532 bytes (zlib gives at most about 1032:1). Refuse
    // before allocating when the file is far too small for what it claims.
    if (header.method != PPS_METHOD_RAW && total / 13107 > uint64_t(in.Remaining()))
        return 0;
    if (header.method == PPS_METHOD_RAW && in.Remaining() < total)
        return 0;
    record.pixels = std::make_unique<uint8_t[]>(total);

    const size_t pixel_count = size_t(header.width) * header.height;
    uint8_t* previous = nullptr;
    for (uint32_t f = 0; f < header.frames; ++f) {
        PpsFrameHeader frame;
        frame.flags = in.ReadU32();
        frame.delay = in.ReadU32();
        frame.part1_size = in.ReadU32();
        frame.part2_size = in.ReadU32();
        frame.decoded_size = in.ReadU32();
        const auto part1 = in.ReadBytes(frame.part1_size);
        const auto part2 = in.ReadBytes(frame.part2_size);
        if (!in.Ok() || frame.decoded_size != frame_bytes)
            return 0;
        // The alpha part must agree with the image: a palette frame's size
        // depends on it.
        if (((frame.flags & PPS_FRAME_ALPHA) != 0) != alpha)
            return 0;
        uint8_t* output = record.pixels.get() + f * frame_bytes;
        if (!DecodeFrameParts(part1, part2, frame, header.method, palette, pixel_count,
                              std::span<uint8_t>(output, frame_bytes)))
            return 0;
        if (previous && (frame.flags & PPS_FRAME_XOR)) {
            for (size_t i = 0; i < frame_bytes; ++i)
                output[i] ^= previous[i];
            // A 32-bit frame without an alpha part stores no alpha; it reads
            // as opaque on every frame, XORed or not.
            if (!palette && !alpha && header.method != PPS_METHOD_RAW) {
                for (size_t i = 0; i < pixel_count; ++i)
                    output[i * 4 + 3] = 0xFF;
            }
        }
        if (record.delays)
            record.delays[f] = frame.delay;
        previous = output;
    }
    if (header.flags & IMAGE_FLAG_OFFSETS) {
        const uint32_t word = in.ReadU32();
        if (!in.Ok())
            return 0;
        record.offset_x = int16_t(uint16_t(word >> 16));
        record.offset_y = int16_t(uint16_t(word));
    }
    out = std::move(record);
    return header.decoded_size;
}

int SavePps(std::span<const uint8_t> data, const std::string& path)
{
    PpsFileHeader header;
    if (!ReadPpsHeader(data, header) || header.file_size > data.size() || path.empty())
        return 0;
    return WriteWholeFile(path, data.first(header.file_size));
}

} // namespace engine
