#pragma once
// RenderRecord and RenderRequest: what one paint pass of the object module
// hands to the paint module (module message VELOTRIX_MSG_RENDER, 1033).
//
// Owner: the paint module owns the request once the message is sent; it
// adopts param1 with AdoptRenderRequest. When no paint module is loaded the
// object module frees the request itself. Thread: UI thread.
//
// Positions in the records are relative to the view (view left and top
// subtracted); the rectangles are the dirty areas relative to the view. The
// records are in paint order: lowest layer first, then rising z, then id.
// Hazards: the picture pointers are valid only during the paint pass's
// message (the objects may change or go afterwards).

#include <cstdint>
#include <memory>
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

/// Takes ownership of the request carried in a VELOTRIX_MSG_RENDER param1.
[[nodiscard]] inline std::unique_ptr<RenderRequest> AdoptRenderRequest(uintptr_t param1)
{
    return std::unique_ptr<RenderRequest>(reinterpret_cast<RenderRequest*>(param1));
}

} // namespace engine
