#include "engine/core/EngineEvent.h"

#include <memory>

namespace engine {

EngineEvent* MakeEngineEvent(EngineEvent* record, uint32_t target, uint32_t event_id, uintptr_t param1,
                             uintptr_t param2)
{
    if (record == nullptr)
        return nullptr;
    record->target = target;
    record->id = event_id;
    record->param1 = param1;
    record->param2 = param2;
    return record;
}

uintptr_t MakeSystemPayload(std::vector<uint8_t> bytes)
{
    auto owned = std::make_unique<std::vector<uint8_t>>(std::move(bytes));
    return reinterpret_cast<uintptr_t>(owned.release());
}

const std::vector<uint8_t>* PeekSystemPayload(uintptr_t payload)
{
    return reinterpret_cast<const std::vector<uint8_t>*>(payload);
}

void FreeSystemPayload(uintptr_t payload)
{
    // Adopt the buffer released by MakeSystemPayload so it is freed once.
    std::unique_ptr<std::vector<uint8_t>> owned(reinterpret_cast<std::vector<uint8_t>*>(payload));
}

} // namespace engine
