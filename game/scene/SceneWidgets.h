#pragma once
// Small pieces the scene's boards share when they build themselves from
// skin images and engine widgets: a skin image button that reports its
// click, and placing a part on a board so that it follows the board.
//
// Owner: free functions over the calling board; what they create belongs to
// the object module (registered by the board) and goes with the leader it
// follows. Thread: UI thread, inside the engine tick or under the tick lock.

#include <cstdint>
#include <string_view>

#include "engine/core/EngineEvent.h"

namespace engine {
class CEngineEntity;
class CEngineObject;
class CGuiButton;
} // namespace engine

namespace scene {

/// How a part of a board follows it: position, depth, activation, shows,
/// routes and redraws; it goes with the board.
inline constexpr uint32_t BOARD_PART_LINK_FLAGS = 0x1BC0EB;
/// Button image flags: the button is hit by its pixels, not its rectangle.
inline constexpr uint32_t SKIN_BUTTON_IMAGE_FLAGS = 0x4;
/// The sounds of the scene's skin buttons.
inline constexpr const char* BUTTON_HOVER_SOUND = "SndTouchButton";
inline constexpr const char* BUTTON_CLICK_SOUND = "SndHitButton";

/// A button on the skin image `image_name`, registered by creator, that
/// raises click (when deliverable) with the button flags; null without an
/// object module.
engine::CGuiButton* MakeSkinButton(engine::CEngineEntity& creator, std::string_view image_name,
                                   const engine::EngineEvent& click, uint32_t button_flags);

/// Centres part at (x, y), at the leader's depth plus dz, and makes it
/// follow the leader with BOARD_PART_LINK_FLAGS.
void AttachPart(engine::CEngineObject& leader, engine::CEngineObject& part, double x, double y, double dz);

} // namespace scene
