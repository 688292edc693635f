#pragma once
// Mapping from SDL key codes to the virtual-key codes of the key messages.
//
// Owner: none. Threads: any (pure function).

#include <cstdint>

namespace platform {

// The VK_* code (MessageIds.h) for an SDL key code, 0 for keys without one.
[[nodiscard]] uint32_t VirtualKeyFromSdl(int32_t sdl_keycode);

// Whether a Control key is held now (UI thread; false without SDL video).
[[nodiscard]] bool IsControlKeyDown();

} // namespace platform
