// The desktop's work area and the main window's largest and smallest sizes, from SDL.
// Thread: UI thread (the video thread). Hazards: without a display the work
// area is std::nullopt and the size limit is not set.
#pragma once

#include <cstdint>
#include <optional>

#include "client/CWaitBarCtrl.h"
#include "platform/Window.h"

namespace client {

/// The first display's usable area (without panels and docks).
[[nodiscard]] std::optional<PixelRect> GetDesktopWorkArea();
/// The window is never made larger than width x height.
void SetMaximumWindowSize(platform::CNativeWindow& window, int32_t width, int32_t height);
/// The window is never made smaller than width x height.
void SetMinimumWindowSize(platform::CNativeWindow& window, int32_t width, int32_t height);

} // namespace client
