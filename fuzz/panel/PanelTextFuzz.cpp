// Server bodies and other players' chat text as the frame UI and the side
// panel read them: texts are taken only from inside the body and cut to
// their limit, and escaped text holds no markup the chat box would act on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "client/ClientText.h"
#include "client/panel/PanelText.h"
#include "platform/ByteReader.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::CByteReader in(std::span<const uint8_t>(data, size));
    const size_t offset = size > 0 ? data[0] % 64 : 0;
    in.Skip(offset);
    const std::string text = client::ReadRestText(in, 61);
    if (text.size() > 61 || (offset >= size && !text.empty()) || in.Ok() != (offset <= size))
        std::abort();
    const std::string escaped = panel::EscapeMarkup(text);
    // Outside two-byte characters, every markup character is escaped by '#'.
    for (size_t at = 0; at < escaped.size(); ++at) {
        const char c = escaped[at];
        if (platform::IsGbkLeadByte(c)) {
            ++at;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20)
            std::abort();
        if (c == '#') {
            if (at + 1 >= escaped.size())
                std::abort();
            ++at;
            continue;
        }
        if (c == '<' || c == '>' || c == '/')
            std::abort();
    }
    return 0;
}
