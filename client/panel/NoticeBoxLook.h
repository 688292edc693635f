#pragma once
// The look every notice box of the frame shares: a light canvas with a thin
// border, an optional picture at its top left with the text beside it, and
// the answer buttons on a row near its bottom (one centred, or two apart).
//
// Owner: none (free functions over a box the caller made). Thread: UI thread.
#include <cstdint>
#include <string>

namespace engine {
class CCanvasObject;
class CEngineEntity;
class CGuiMessageBox;
}

namespace panel {

inline constexpr int32_t NOTICE_BOX_MARGIN = 12;
/// The text on the light box, the countdown's digits included.
inline constexpr uint32_t NOTICE_BOX_TEXT_COLOUR = 0x000000;

/// Clears the canvas to the box's background and border and draws the named
/// picture (loaded through owner; none when empty or missing) at size x
/// size. Answers the left edge for the text.
int32_t DrawNoticeBoxBack(engine::CEngineEntity& owner, engine::CCanvasObject& canvas, const std::string& picture,
                          int32_t size);
/// The row where the buttons' row begins on a box's canvas: a text drawn
/// on the box stops above it (CCanvasObject::DrawTextAbove).
[[nodiscard]] int32_t NoticeBoxTextBottom(const engine::CCanvasObject& canvas);
/// Puts the box's OK and cancel buttons on their row, the countdown (beside
/// OK) clear of cancel, and draws the countdown in the box's text colour.
void PlaceNoticeBoxButtons(engine::CGuiMessageBox& box);

} // namespace panel
