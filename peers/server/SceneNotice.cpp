#include "peers/server/SceneNotice.h"

#include <algorithm>

#include "game/scene/QrCodePanel.h"
#include "platform/ByteOrder.h"

namespace peers {

std::vector<uint8_t> SceneNoticeRecord(std::string_view text)
{
    std::vector<uint8_t> record(scene::QR_NOTICE_TEXT_AT + text.size() + 1, 0);
    platform::StoreU32LE(record.data(), 1);
    std::copy(text.begin(), text.end(), record.begin() + scene::QR_NOTICE_TEXT_AT);
    return record;
}

std::string_view SceneNoticeText()
{
    return scene::QR_MOBILE_SITE_URL;
}

} // namespace peers
