// Text helpers of the client's records: reading a zero-terminated GBK text out
// of a fixed-size field or the rest of a body, copying a text into such a field, and making a web
// address of a host the records name.
// Owner: none (free functions). Any thread.
// Hazards: texts are GBK bytes. A field received from a peer need not be
// terminated; FieldText never reads past the field. CopyTextField always
// terminates and never splits a two-byte character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {
class CByteReader;
}

namespace client {

/// The text of a field: its bytes up to the first zero, or the whole field.
[[nodiscard]] std::string FieldText(const char* field, size_t field_size);

template <size_t N>
[[nodiscard]] std::string FieldText(const char (&field)[N])
{
    return FieldText(field, N);
}

/// The text of a field of received bytes (a body or a slice of one).
[[nodiscard]] inline std::string FieldText(std::span<const uint8_t> field)
{
    return FieldText(reinterpret_cast<const char*>(field.data()), field.size());
}

/// Copies `text` (up to its first zero) into a field of `field_size` bytes:
/// cut to at most field_size - 1 bytes on a character boundary, terminated,
/// and the rest of the field zeroed. A field of size 0 is left alone.
void CopyTextField(char* field, size_t field_size, std::string_view text);

/// The zero-terminated text in the rest of the reader's body, at most
/// max_bytes (cut between characters); empty once the reader failed.
[[nodiscard]] std::string ReadRestText(platform::CByteReader& in, size_t max_bytes = SIZE_MAX);

template <size_t N>
void CopyTextField(char (&field)[N], std::string_view text)
{
    CopyTextField(field, N, text);
}

/// "http://" host path, or empty when the host is blank: an address without
/// a host is no address. Spaces around the host are dropped.
[[nodiscard]] std::string WebAddress(std::string_view host, std::string_view path);

} // namespace client
