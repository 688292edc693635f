#include "engine/core/ZlibBuffer.h"

#include <zlib.h>

namespace engine {

std::optional<std::vector<uint8_t>> ZlibCompressBuffer(std::span<const uint8_t> data)
{
    if (data.size() > UINT32_MAX)
        return std::nullopt;
    // compressBound gives room for any input, so one call suffices; the old
    // retry with a growing buffer never ended for an empty input.
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(length);
    static const uint8_t s_empty = 0;
    const Bytef* source = data.empty() ? &s_empty : data.data();
    if (compress(out.data(), &length, source, static_cast<uLong>(data.size())) != Z_OK)
        return std::nullopt;
    out.resize(length);
    return out;
}

std::optional<std::vector<uint8_t>> ZlibUncompressBuffer(std::span<const uint8_t> data, size_t expected_size,
                                                         size_t cap)
{
    if (expected_size > cap || expected_size > UINT32_MAX || data.size() > UINT32_MAX || data.empty())
        return std::nullopt;
    // One spare byte tells "more data than expected" apart from an exact fit.
    std::vector<uint8_t> out(expected_size + 1);
    uLongf length = static_cast<uLongf>(out.size());
    uLong consumed = static_cast<uLong>(data.size());
    const int result = uncompress2(out.data(), &length, data.data(), &consumed);
    // The stream must fill the input: bytes after its end are damage too.
    if (result != Z_OK || length != expected_size || consumed != data.size())
        return std::nullopt;
    out.resize(expected_size);
    return out;
}

} // namespace engine
