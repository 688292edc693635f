#pragma once
// InputState: the input module's record of the pointer, buttons, keys and
// the last character. Every routed input event carries a copy of it in
// param2 (unless the route gives its own param2).
//
// Owner: the input module keeps the current one; copies belong to its pool
// and go back after delivery. Thread: UI thread.
// The first four words are x, y, dx, dy (view-relative pointer position and
// its last change): the default drag handler reads them.

#include <cstddef>
#include <cstdint>

namespace engine {

struct InputState {
    static constexpr uint32_t LEFT_DOWN = 0x10;
    static constexpr uint32_t RIGHT_DOWN = 0x20;
    static constexpr uint32_t HOVER_TIMEOUT_GIVEN = 0x10000;
    static constexpr uint32_t MIDDLE_DOWN = 0x80000;
    static constexpr uint32_t KEY_DOWN = 0x100000;
    /// In key_flags: the key was down already, the key-down is a held key's
    /// auto-repeat (the host window's key flags, bit 30 of its lparam).
    static constexpr uint32_t KEY_REPEAT = 0x4000;

    int32_t x { 0 };
    int32_t y { 0 };
    int32_t dx { 0 };
    int32_t dy { 0 };
    uint32_t state { 0 };
    uint32_t hovered { 0 };
    uint32_t focus { 0 };
    uint32_t key_flags { 0 };
    uint32_t last_key_down { 0 };
    uint32_t last_key_up { 0 };
    uint32_t repeat { 0 };
    uint8_t character[2] { 0, 0 };
    uintptr_t module_data { 0 };
};
static_assert(offsetof(InputState, x) == 0 && offsetof(InputState, dx) == 8 && offsetof(InputState, dy) == 12);

} // namespace engine
