#pragma once
// CGuiContainer: the base of the screens that hold other objects (the frame
// UI, the side panel, the scenes): an area rectangle and three hooks. The
// host window hands copy-data records to its root container.
//
// Owner: as CEngineObject (the object module). Thread: UI thread.

#include <cstdint>

#include "engine/core/EngineEntity.h"
#include "platform/Message.h"

namespace engine {

/// A copy-data record as it arrives with WM_COPYDATA (the platform's record).
using CopyDataRecord = platform::CopyDataRecord;

class CGuiContainer : public CEngineEntity {
public:
    virtual void OnAreaChanged() {}
    virtual void OnStart() {}
    virtual void OnCopyData(const CopyDataRecord&) {}
    /// Stores the area, then always calls OnAreaChanged.
    virtual void SetArea(const EngineRect& area);
    [[nodiscard]] virtual EngineRect GetArea() const { return m_area; }

private:
    EngineRect m_area {};
};

} // namespace engine
