// Arbitrary text through the Base64 decoder, and the decoded bytes back
// through the encoder and decoder, which must give them again.
#include "net/Base64.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<uint8_t> bytes = net::CBase64::Decode(text);
    const std::string again = net::CBase64::Encode(bytes, net::CBase64::LineBreaks::Every72);
    if (net::CBase64::Decode(again) != bytes)
        __builtin_trap();
    return 0;
}
