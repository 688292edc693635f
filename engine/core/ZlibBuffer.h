#pragma once
// zlib buffer wrappers: whole-buffer compress and uncompress.
//
// Owner: engine/core. Pure functions, any thread.
//
// Hazards: the expected size of an uncompressed buffer usually comes from a
// file or the network; it is refused above the caller's cap before anything
// is allocated. A stream that fails to inflate, inflates to a size other
// than the expected one, or ends before its input does, is a failure: no
// partial or zero-filled data is ever handed out as a result.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace engine {

/// Default cap for sizes taken from files or the network (64 MiB).
inline constexpr size_t ZLIB_DEFAULT_SIZE_CAP = size_t { 64 } << 20;

/// The zlib stream of data; std::nullopt only when zlib fails (out of memory).
/// An empty input gives the (short) stream of an empty buffer.
[[nodiscard]] std::optional<std::vector<uint8_t>> ZlibCompressBuffer(std::span<const uint8_t> data);

/// Inflates data, which must give exactly expected_size bytes.
/// std::nullopt when expected_size is above cap, the stream is damaged or
/// truncated, bytes follow its end, or it gives more or fewer bytes than
/// expected.
[[nodiscard]] std::optional<std::vector<uint8_t>> ZlibUncompressBuffer(std::span<const uint8_t> data,
                                                                       size_t expected_size,
                                                                       size_t cap = ZLIB_DEFAULT_SIZE_CAP);

} // namespace engine
