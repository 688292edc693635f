#include "engine/media/PpsRle.h"

#include <cstring>
#include <zlib.h>

namespace engine {

namespace {

enum RunKind : uint8_t { RUN_SHORT_REPEAT = 0, RUN_SHORT_LITERAL = 1, RUN_LONG_REPEAT = 2, RUN_LONG_LITERAL = 3 };

// The mark of element i: 0 for a literal, else a repeat code made from the
// value that can never be 0.
uint32_t ElementCode(const uint8_t* data, size_t index, size_t element_size)
{
    if (element_size == 3) {
        const uint8_t* p = data + index * 3;
        return 0x1000000u | uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
    return uint32_t(data[index]) + 1;
}

std::vector<uint32_t> MarkRepeats(const uint8_t* data, size_t count, size_t element_size)
{
    std::vector<uint32_t> codes(count, 0);
    for (size_t i = 1; i < count; ++i) {
        if (std::memcmp(data + i * element_size, data + (i - 1) * element_size, element_size) == 0) {
            const uint32_t code = ElementCode(data, i, element_size);
            codes[i - 1] = code;
            codes[i] = code;
        }
    }
    return codes;
}

void EmitRun(std::vector<uint8_t>& out, const uint8_t* data, size_t first, size_t count, bool repeat, size_t element_size)
{
    const uint8_t kind_short = repeat ? RUN_SHORT_REPEAT : RUN_SHORT_LITERAL;
    if (count < 64) {
        out.push_back(uint8_t(count << 2 | kind_short));
    } else {
        out.push_back(uint8_t((count & 63) << 2 | (kind_short + 2)));
        out.push_back(uint8_t(count >> 6));
    }
    const size_t elements = repeat ? 1 : count;
    const uint8_t* begin = data + first * element_size;
    out.insert(out.end(), begin, begin + elements * element_size);
}

std::vector<uint8_t> RleEncode(const uint8_t* data, size_t count, size_t element_size)
{
    std::vector<uint8_t> out;
    if (count == 0)
        return out;
    const std::vector<uint32_t> codes = MarkRepeats(data, count, element_size);
    out.reserve(count * element_size / 2 + 16);
    size_t run_start = 0;
    for (size_t i = 1; i < count; ++i) {
        if (codes[i] != codes[i - 1] || i - run_start >= PPS_RLE_MAX_RUN) {
            EmitRun(out, data, run_start, i - run_start, codes[run_start] != 0, element_size);
            run_start = i;
        }
    }
    EmitRun(out, data, run_start, count - run_start, codes[run_start] != 0, element_size);
    return out;
}

}

std::vector<uint8_t> RleEncode3(const uint8_t* data, size_t count) { return RleEncode(data, count, 3); }
std::vector<uint8_t> RleEncode1(const uint8_t* data, size_t count) { return RleEncode(data, count, 1); }

bool RleDecode(std::span<const uint8_t> input, size_t element_size, std::span<uint8_t> output)
{
    size_t in = 0;
    size_t out = 0;
    while (in < input.size()) {
        const uint8_t b0 = input[in++];
        const uint8_t kind = b0 & 3;
        size_t count = b0 >> 2;
        if (kind == RUN_LONG_REPEAT || kind == RUN_LONG_LITERAL) {
            if (in >= input.size())
                return false;
            count |= size_t(input[in++]) << 6;
        }
        const bool repeat = kind == RUN_SHORT_REPEAT || kind == RUN_LONG_REPEAT;
        const size_t run_bytes = count * element_size;
        if (run_bytes > output.size() - out)
            return false;
        const size_t source_bytes = repeat ? element_size : run_bytes;
        if (source_bytes > input.size() - in)
            return false;
        if (repeat) {
            for (size_t k = 0; k < count; ++k)
                std::memcpy(output.data() + out + k * element_size, input.data() + in, element_size);
        } else if (run_bytes > 0) {
            std::memcpy(output.data() + out, input.data() + in, run_bytes);
        }
        in += source_bytes;
        out += run_bytes;
    }
    return out == output.size();
}

std::vector<uint8_t> ZlibPack(const uint8_t* data, size_t size)
{
    uLongf packed_size = compressBound(uLong(size));
    std::vector<uint8_t> out(packed_size);
    if (compress(out.data(), &packed_size, data, uLong(size)) != Z_OK)
        return {};
    out.resize(packed_size);
    return out;
}

bool ZlibUnpack(std::span<const uint8_t> input, std::span<uint8_t> output)
{
    uLongf produced = uLongf(output.size());
    // uncompress() wants a non-null destination even for zero bytes.
    uint8_t dummy = 0;
    uint8_t* destination = output.empty() ? &dummy : output.data();
    if (uncompress(destination, &produced, input.data(), uLong(input.size())) != Z_OK)
        return false;
    return produced == output.size();
}

} // namespace engine
