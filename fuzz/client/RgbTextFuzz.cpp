// Feeds arbitrary text to the "r g b" colour reader of settings and server
// texts: any text gives a colour, never a fault.
#include "client/TextFunctions.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const client::ColorRef fallback = 0x00123456;
    const client::ColorRef colour = client::ParseRgbText(text, fallback);
    if (text.empty() && colour != fallback)
        __builtin_trap();
    return 0;
}
