#pragma once
// Services that the object module holds but that live in higher layers or
// later parts of the engine, declared here as small interfaces:
//  - ITextRenderer: the base of the one shared markup text renderer
//    (engine/media implements it and installs it for canvases through
//    CCanvasServices); the object module keeps only its lock, which canvases
//    take around each use.
//  - IActionRunner: the timed actions and action groups (module messages
//    1023 to 1029 and the action pass of each update).
//
// Owner: the object module owns the installed action runner. Thread: UI
// thread.

#include <cstddef>
#include <cstdint>

#include "engine/core/EngineModule.h"

namespace engine {

class ITextRenderer {
public:
    virtual ~ITextRenderer() = default;
};

class IActionRunner {
public:
    virtual ~IActionRunner() = default;
    /// Messages 1023..1029 (add action, groups, cancels).
    virtual void OnActionMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) = 0;
    /// Runs the due actions; called once per object module update.
    virtual void RunActions() = 0;
    /// Cancels the pending actions of one object (it is being destroyed).
    virtual void CancelObjectActions(uint32_t object_id) = 0;
    /// Queued actions that are not cancelled.
    [[nodiscard]] virtual size_t GetActionCount() const = 0;
    /// Milliseconds from `now` (the module clock) until a run of the actions
    /// could change anything; EngineModule::NO_WORK_DUE when none could.
    /// The default: at every run while any action is queued.
    [[nodiscard]] virtual uint32_t GetWorkDueIn(uint32_t /*now*/) const
    {
        return GetActionCount() > 0 ? 0 : EngineModule::NO_WORK_DUE;
    }
};

} // namespace engine
