#include "engine/core/SystemBoxes.h"

#include <algorithm>

#include "engine/core/CanvasObject.h"
#include "engine/core/EngineEntity.h"

namespace engine {

namespace {

SystemBoxMaker s_maker = nullptr;

} // namespace

void CSystemBoxes::InstallMaker(SystemBoxMaker maker)
{
    s_maker = maker;
}

SystemBoxParts CSystemBoxes::Make(CEngineEntity& owner, int32_t width, int32_t height, const EngineEvent* ok_event,
                                  const EngineEvent* cancel_event, int32_t seconds)
{
    if (s_maker != nullptr)
        return s_maker(owner, width, height, ok_event, cancel_event, seconds);
    return MakePlain(owner, width, height, ok_event, cancel_event, seconds);
}

SystemBoxParts CSystemBoxes::MakePlain(CEngineEntity& owner, int32_t width, int32_t height,
                                       const EngineEvent* ok_event, const EngineEvent* cancel_event,
                                       int32_t seconds)
{
    (void)ok_event; // no button to answer with
    CCanvasObject* canvas = owner.NewCanvasObject(width, height, COLOUR_NONE);
    if (canvas == nullptr)
        return {};
    if (seconds > 0) {
        // The countdown runs out as the box's would: the cancel event, then the box goes.
        const uint32_t milliseconds = uint32_t(std::min(seconds, MAX_SECONDS)) * 1000;
        owner.BeginGroup();
        owner.AddWaitFramesAction(canvas, milliseconds, cancel_event);
        owner.NextGroup();
        owner.AddDestroyAction(canvas);
        owner.EndGroup();
    }
    return SystemBoxParts { canvas, canvas, nullptr, nullptr };
}

} // namespace engine
