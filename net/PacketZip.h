// CPacketZip and the zlib streams of the packet codec's inner layer.
// Owner: none (stateless functions). Any thread.
// Stream rules: deflate at the default level, input taken 32768 bytes at a
// time, each piece flushed with Z_SYNC_FLUSH; the stream is never finished,
// so it ends after the last sync flush with no final block and no Adler-32
// trailer. Inflate takes input 4096 bytes at a time and stops when the input
// ends or inflate reports anything but Z_OK (a finished stream from zlib's own
// compress therefore decodes too).
// Hazards: inflating is bounded by the caller's limit, so a small hostile
// message cannot make the client allocate without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace net {

/// The most any inflate of the codec may produce.
inline constexpr size_t MAX_INFLATED_SIZE = 16u * 1024 * 1024;

/// Deflates into `output` (replaced). True when at least one byte came out.
[[nodiscard]] bool ZlibDeflateToArray(std::span<const uint8_t> input, std::vector<uint8_t>& output);

/// Inflates into `output` (replaced), stopping once `max_output` bytes are
/// there. True when at least one byte came out.
[[nodiscard]] bool ZlibInflateToArray(std::span<const uint8_t> input, std::vector<uint8_t>& output,
                                      size_t max_output);

class CPacketZip {
public:
    static constexpr int ZIP_OK = 1;
    static constexpr int ZIP_FAILED = 0;

    /// flags must hold CODEC_COMPRESS_ZLIB and a direction: 1 compresses,
    /// 2 decompresses (at most `max_output` bytes). `output` is replaced by the
    /// result of exactly its size.
    [[nodiscard]] static int Transform(std::span<const uint8_t> input, std::vector<uint8_t>& output, uint32_t flags,
                                       size_t max_output = MAX_INFLATED_SIZE);
};

} // namespace net
