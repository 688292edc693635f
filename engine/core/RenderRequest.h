#pragma once
// RenderRecord and RenderRequest: what one paint pass of the object module
// hands to the paint module (module message VELOTRIX_MSG_RENDER, 1033).
//
// Owner: the message that carries it (ModuleMessage::Owning), which frees it
// when the paint module's OnMessage returns or when there is no paint module;
// a paint module that keeps the request moves it out with TakeRenderRequest.
// Thread: UI thread.
//
// Positions in the records are relative to the view (view left and top
// subtracted); the rectangles are the dirty areas relative to the view. The
// records are in paint order: lowest layer first, then rising z, then id.
// Hazards: the picture pointers are valid only during the paint pass's
// message (the objects may change or go afterwards).

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/core/EngineRect.h"
#include "engine/core/ObjectDefs.h"

namespace engine {

class CFrameImageBase;

struct RenderRecord {
    ObjectState state {};
    CFrameImageBase* picture { nullptr };
};

struct RenderRequest {
    int32_t view_centre_x { 0 };
    int32_t view_centre_y { 0 };
    std::vector<EngineRect> rects;
    std::vector<RenderRecord> records;
};

/// Moves the request a VELOTRIX_MSG_RENDER message carries (param1) out of
/// the message, which still frees the emptied original; null for none.
[[nodiscard]] inline std::unique_ptr<RenderRequest> TakeRenderRequest(uintptr_t param1)
{
    if (param1 == 0)
        return nullptr;
    return std::make_unique<RenderRequest>(std::move(*reinterpret_cast<RenderRequest*>(param1)));
}

} // namespace engine
