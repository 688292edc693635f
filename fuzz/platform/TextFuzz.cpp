// GBK and UTF-8 conversions, cuts and path handling on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Path.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto utf8 = platform::GbkToUtf8(text)) {
        // Whatever converts one way converts back to the same bytes.
        const auto back = platform::Utf8ToGbk(*utf8);
        if (!back || *back != text)
            __builtin_trap();
    }
    (void)platform::Utf8ToGbk(text);
    for (size_t cut : { size_t(0), size / 2, size, size + 1 }) {
        const size_t length = platform::GbkCutLength(text, cut);
        if (length > cut || length > size)
            __builtin_trap();
    }
    (void)platform::GbkToLowerAscii(text);
    const std::string normalized = platform::NormalizeSeparators(text);
    if (normalized.size() > size)
        __builtin_trap();
    (void)platform::ToOsPath(text);
    return 0;
}
