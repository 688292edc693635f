#pragma once
// Small helpers of the card table's event code: words read from a server
// body only where the body reaches, and the buttons' shown and enabled
// states. Thread: UI thread. Hazards: none; every read is bounded.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/core/EngineObject.h"
#include "engine/core/GuiObject.h"
#include "engine/core/InputState.h"
#include "platform/ByteOrder.h"

namespace scene::detail {

/// The most card ids a play or a hand holds.
inline constexpr int32_t MAX_BODY_CARDS = 64;

/// The word at offset, or nullopt when the body does not reach it.
[[nodiscard]] inline std::optional<int32_t> Word(std::span<const uint8_t> body, size_t offset)
{
    if (offset > body.size() || body.size() - offset < 4)
        return std::nullopt;
    return static_cast<int32_t>(platform::LoadU32LE(body.data() + offset));
}

/// count card ids from offset; nullopt for a count outside 0..64 or one the
/// body does not hold.
[[nodiscard]] inline std::optional<std::vector<int32_t>> Cards(std::span<const uint8_t> body, size_t offset,
                                                               int32_t count)
{
    if (count < 0 || count > MAX_BODY_CARDS)
        return std::nullopt;
    std::vector<int32_t> cards;
    for (int32_t i = 0; i < count; ++i) {
        const auto id = Word(body, offset + 4 * static_cast<size_t>(i));
        if (!id)
            return std::nullopt;
        cards.push_back(*id);
    }
    return cards;
}

/// The input record an input route carries in param2 (null without one).
[[nodiscard]] inline const engine::InputState* InputOf(const engine::EngineEvent& event)
{
    return reinterpret_cast<const engine::InputState*>(event.param2);
}

/// Shows (activates) or hides an object and redraws it; null is ignored.
inline void SetActive(engine::CEngineObject* object, bool on)
{
    if (object == nullptr)
        return;
    if (on)
        object->Activate();
    else
        object->Deactivate();
    object->Invalidate();
}

/// Enables or disables a button (its notify state) and redraws it.
inline void SetEnabled(engine::CGuiObject* button, bool on)
{
    if (button == nullptr)
        return;
    button->ShowNotify(on);
    button->Invalidate();
}

} // namespace scene::detail
