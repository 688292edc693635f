#include "net/PacketZip.h"

#include "net/PacketCrypt.h"

#include <zlib.h>

#include <algorithm>

namespace net {

namespace {

// The version the streams were first made with; zlib checks only that the
// major version matches.
constexpr const char* ZLIB_STREAM_VERSION = "1.2.1";
constexpr size_t DEFLATE_INPUT_BLOCK = 32768;
constexpr size_t DEFLATE_OUTPUT_WINDOW = 4096;
constexpr size_t INFLATE_INPUT_BLOCK = 4096;
constexpr size_t INFLATE_OUTPUT_WINDOW = 32768;

} // namespace

bool ZlibDeflateToArray(std::span<const uint8_t> input, std::vector<uint8_t>& output)
{
    output.clear();
    z_stream stream {};
    if (deflateInit_(&stream, Z_DEFAULT_COMPRESSION, ZLIB_STREAM_VERSION, int(sizeof(z_stream))) != Z_OK)
        return false;
    uint8_t window[DEFLATE_OUTPUT_WINDOW];
    bool failed = false;
    for (size_t offset = 0; offset < input.size() && !failed; offset += DEFLATE_INPUT_BLOCK) {
        const size_t block = std::min(DEFLATE_INPUT_BLOCK, input.size() - offset);
        stream.next_in = const_cast<Bytef*>(input.data() + offset);
        stream.avail_in = uInt(block);
        do {
            stream.next_out = window;
            stream.avail_out = uInt(sizeof window);
            const int result = deflate(&stream, Z_SYNC_FLUSH);
            if (result != Z_OK && result != Z_BUF_ERROR) {
                failed = true;
                break;
            }
            output.insert(output.end(), window, window + (sizeof window - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    if (failed)
        output.clear();
    return !output.empty();
}

bool ZlibInflateToArray(std::span<const uint8_t> input, std::vector<uint8_t>& output, size_t max_output)
{
    output.clear();
    z_stream stream {};
    if (inflateInit_(&stream, ZLIB_STREAM_VERSION, int(sizeof(z_stream))) != Z_OK)
        return false;
    uint8_t window[INFLATE_OUTPUT_WINDOW];
    bool stopped = false;
    for (size_t offset = 0; offset < input.size() && !stopped; offset += INFLATE_INPUT_BLOCK) {
        const size_t block = std::min(INFLATE_INPUT_BLOCK, input.size() - offset);
        stream.next_in = const_cast<Bytef*>(input.data() + offset);
        stream.avail_in = uInt(block);
        do {
            const size_t room = std::min(sizeof window, max_output - output.size());
            stream.next_out = window;
            stream.avail_out = uInt(room);
            const int result = inflate(&stream, Z_SYNC_FLUSH);
            const size_t produced = room - stream.avail_out;
            output.insert(output.end(), window, window + produced);
            // No progress with the block used up: the next block is needed.
            if (result == Z_BUF_ERROR && stream.avail_in == 0)
                break;
            if (result != Z_OK || output.size() >= max_output) {
                stopped = true;
                break;
            }
            // Keep going while the window filled: more output may be pending.
            if (stream.avail_out != 0 && stream.avail_in == 0)
                break;
        } while (true);
    }
    inflateEnd(&stream);
    return !output.empty();
}

int CPacketZip::Transform(std::span<const uint8_t> input, std::vector<uint8_t>& output, uint32_t flags,
                          size_t max_output)
{
    if (!(flags & CODEC_COMPRESS_ZLIB))
        return ZIP_FAILED;
    switch (flags & CODEC_DIRECTION_MASK) {
    case CODEC_DIRECTION_ENCODE:
        return ZlibDeflateToArray(input, output) ? ZIP_OK : ZIP_FAILED;
    case CODEC_DIRECTION_DECODE:
        return ZlibInflateToArray(input, output, std::min(max_output, MAX_INFLATED_SIZE)) ? ZIP_OK : ZIP_FAILED;
    default:
        return ZIP_FAILED;
    }
}

} // namespace net
