// A scene notice record from the server: its text is read within the record
// and, when there is one, encoded as the QR-code bitmap.
#include "game/scene/QrCodePanel.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text = scene::QrNoticeText(std::span<const uint8_t>(data, size));
    if (text.size() > size)
        std::abort();
    if (!text.empty()) {
        const std::vector<uint8_t> bitmap = scene::MakeQrBitmap(text);
        if (!bitmap.empty() && bitmap.size() < scene::QR_BITMAP_HEADER_BYTES)
            std::abort();
    }
    return 0;
}
