#pragma once
// The default skin's pictures beyond the cards and the furniture table:
// the chat package (the system-notice badge, the scroll bar parts), the
// emoticons of the message boards, the table's chat bubbles, slogan, result
// box, QR-code panel, quick-talk panel and game icon; and the loose files
// beside the packages (the advert bar's background, the skin INI and the
// wait dialog's background it names).
//
// Owner: the skin tool. Thread: any single thread.
// Hazards: none beyond those of SkinDraw.h.
#include <vector>

#include "tools/CardSkin.h"
#include "tools/SkinDraw.h"

namespace tools {

// The game info box ("游戏信息框"). The scene draws the pictures on it at
// the box's own size, so those are made that size, their content top left.
inline constexpr int32_t INFO_BOX_WIDTH = 160;
inline constexpr int32_t INFO_BOX_HEIGHT = 38;

// Adds the pictures above to their packages (made when missing).
void DrawExtraImages(TextPen& pen, std::vector<SkinPackage>& packages);

// A 24-bit bottom-up BMP file of the picture laid over `ground`.
[[nodiscard]] std::vector<uint8_t> EncodeBmp(const Picture& picture, uint32_t ground);

} // namespace tools
