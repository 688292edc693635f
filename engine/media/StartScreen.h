#pragma once
// The start screen the engine shows before the client exists: the project's
// own picture "StartScreen" from the package "skin\start.kor" beside the
// program (made at build time by skingen), drawn over the whole view.
//
// Owner: free function; the image object it adds belongs to the object
// module. Thread: UI thread, after the engine has started.
#include <cstdint>
#include <string_view>

namespace engine {

class GameCore;

inline constexpr std::string_view START_SCREEN_PACKAGE = "skin\\start.kor";
inline constexpr std::string_view START_SCREEN_IMAGE = "StartScreen";
/// The name of the start screen's object; whoever starts the game takes it away.
inline constexpr const char* START_SCREEN_OBJECT = "StartScreen";

// Loads the package and shows the picture; the new object's id, or 0 when the
// package, the picture or a module is missing.
uint32_t ShowStartScreen(GameCore& core);

} // namespace engine
