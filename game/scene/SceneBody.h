#pragma once
// Small helpers of the card table's event code: card lists read from a server
// body through its reader (a count out of range refused), and the buttons' shown and enabled states.
// Thread: UI thread. Hazards: none; every read is bounded.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "client/CRefusalLog.h"
#include "engine/core/EngineObject.h"
#include "engine/core/GuiObject.h"
#include "engine/core/InputState.h"
#include "platform/ByteReader.h"

namespace scene::detail {

/// The most card ids a play or a hand holds.
inline constexpr int32_t MAX_BODY_CARDS = 64;

/// count card ids read from `in`; nullopt (nothing read) for a count outside
/// 0..64. A body that does not hold them fails the reader.
[[nodiscard]] inline std::optional<std::vector<int32_t>> ReadCards(platform::CByteReader& in, int32_t count)
{
    if (count < 0 || count > MAX_BODY_CARDS)
        return std::nullopt;
    std::vector<int32_t> cards(static_cast<size_t>(count));
    for (int32_t& card : cards)
        card = in.ReadI32();
    return cards;
}

/// Refuses message `id` (one line in the refusal log) when a card count
/// lies outside 0..MAX_BODY_CARDS; true when it did.
[[nodiscard]] inline bool RefuseCardCount(uint32_t id, int32_t count)
{
    if (count >= 0 && count <= MAX_BODY_CARDS)
        return false;
    client::CRefusalLog::Instance().Refuse(id, "%d cards, at most %d", count, MAX_BODY_CARDS);
    return true;
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
