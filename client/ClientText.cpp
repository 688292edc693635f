#include "client/ClientText.h"

#include <cstring>

#include "platform/ByteReader.h"
#include "platform/Text.h"

namespace client {

std::string FieldText(const char* field, size_t field_size)
{
    if (field_size == 0) // an empty span's data may be null
        return {};
    const void* zero = std::memchr(field, 0, field_size);
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : field_size;
    return std::string(field, length);
}

std::string ReadRestText(platform::CByteReader& in, size_t max_bytes)
{
    const auto rest = in.ReadRest();
    return platform::CutGbkText(FieldText(rest), max_bytes);
}

void CopyTextField(char* field, size_t field_size, std::string_view text)
{
    if (field_size == 0)
        return;
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    const size_t length = platform::GbkCutLength(text, field_size - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, field_size - length);
}

std::string WebAddress(std::string_view host, std::string_view path)
{
    const size_t first = host.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    host = host.substr(first, host.find_last_not_of(" \t") - first + 1);
    std::string address = "http://";
    address.append(host);
    address.append(path);
    return address;
}

} // namespace client
