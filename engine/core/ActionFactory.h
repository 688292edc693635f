#pragma once
// CActionFactory: builds the timed actions and queues them on an object
// module, and posts the group and cancel messages. The entity facade's
// Add*Action, group and cancel operations forward here.
//
// Every Add* answers the new action's 64-bit serial (from 1), or 0 when it
// refuses: no object module or action runner, an object that is not
// registered, or arguments the kind cannot run with. Actions take effect in
// the object module's next update (messages are posted, in order). Intervals
// below GetMinActionInterval (30 ms) are raised to it. The optional done
// event (target 0 or id 0: none) is delivered when the action finishes by
// itself, not when it is cancelled.
//
// Owner: none (static functions). Thread: UI thread, inside the engine tick
// or under the tick lock.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/core/ActionKinds.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CActionRunner;
class CEngineObject;
class CImageObject;
class ObjectModule;

class CActionFactory {
public:
    static constexpr uint32_t MIN_ACTION_INTERVAL = 30;

    [[nodiscard]] static CActionRunner* GetRunner(ObjectModule* module);

    static uint64_t AddBlinkAction(ObjectModule* module, CEngineObject* object, double step, int32_t count,
                                   uint32_t interval, double maximum, double minimum,
                                   const EngineEvent* done = nullptr);
    static uint64_t AddRotateToAction(ObjectModule* module, CEngineObject* object, double step, double target_angle,
                                      uint32_t interval, const EngineEvent* done = nullptr);
    /// Refused when step is 0 or points away from the target.
    static uint64_t AddFadeToAction(ObjectModule* module, CEngineObject* object, double step, double target_alpha,
                                    uint32_t interval, const EngineEvent* done = nullptr);
    static uint64_t AddActivateAction(ObjectModule* module, CEngineObject* object, uint8_t flag,
                                      const EngineEvent* done = nullptr);
    /// Refused when both speed and acceleration are below one.
    static uint64_t AddMoveToAction(ObjectModule* module, CEngineObject* object, double x, double y, double speed,
                                    double acceleration, double maximum_speed, const EngineEvent* done = nullptr);
    static uint64_t AddWaitFramesAction(ObjectModule* module, uint32_t n, const EngineEvent* done = nullptr);
    /// The same wait belonging to object (null: to none), so that cancelling
    /// the object's actions (or destroying it) cancels the wait too.
    static uint64_t AddWaitFramesAction(ObjectModule* module, CEngineObject* object, uint32_t n,
                                        const EngineEvent* done);
    static uint64_t AddWaitTimeAction(ObjectModule* module, uint32_t milliseconds, const EngineEvent* done = nullptr);
    /// Refused without an event, with period 0 or when the event's target
    /// does not exist. count below 1 repeats for ever.
    static uint64_t AddRepeatEventAction(ObjectModule* module, uint32_t period, int32_t count,
                                         const EngineEvent* event, const EngineEvent* done = nullptr);
    static uint64_t AddPlayFramesAction(ObjectModule* module, CImageObject* image, FrameMode mode, int32_t value,
                                        int32_t start_frame, uint32_t interval, const EngineEvent* done = nullptr);
    /// Refused when the name has 32 bytes or more. The music module answers
    /// for the done event when the sound ends.
    static uint64_t AddPlaySoundAction(ObjectModule* module, std::string_view name, int32_t value,
                                       const EngineEvent* done = nullptr);
    static uint64_t AddDestroyAction(ObjectModule* module, CEngineObject* object, const EngineEvent* done = nullptr);
    /// Refused when a side differs from its target with a step of 0.
    static uint64_t AddResizeToAction(ObjectModule* module, CEngineObject* object, int32_t width, int32_t height,
                                      int32_t target_width, int32_t target_height, int32_t width_step,
                                      int32_t height_step, const EngineEvent* done = nullptr);
    /// Refused when the angle step is not above 0.
    static uint64_t AddCanvasSizeAction(ObjectModule* module, CImageObject* image, int32_t angle_step,
                                        int32_t end_angle, const ImageRef& other, uint32_t interval,
                                        const EngineEvent* done = nullptr);
    /// Refused without a function, or when the data does not fit in 60 bytes.
    static uint64_t AddCallAction(ObjectModule* module, ActionCallFunction function, const void* data,
                                  size_t length);

    /// Queues an action of a kind the caller made (the system note's
    /// refresh) on a registered object; the interval is raised to the
    /// minimum like every other.
    static uint64_t AddObjectAction(ObjectModule* module, CEngineObject* object, uint32_t interval,
                                    std::unique_ptr<CActionKind> kind, const EngineEvent* done = nullptr);

    /// A fresh group record, posted with message 1024 / 1025; 0 when refused.
    static uint64_t BeginGroup(ObjectModule* module);
    static uint64_t NextGroup(ObjectModule* module);
    static void EndGroup(ObjectModule* module);
    static void CancelGroup(ObjectModule* module, uint64_t group);
    static void CancelAction(ObjectModule* module, uint64_t serial);
    static void CancelObjectActions(ObjectModule* module, uint32_t object_id);

private:
    /// A fresh group record posted with message_id (1024 or 1025).
    static uint64_t PostGroup(ObjectModule* module, int32_t message_id);
    static uint64_t Queue(ObjectModule* module, CEngineObject* object, bool needs_object, uint32_t interval,
                          std::unique_ptr<CActionKind> kind, const EngineEvent* done);
};

} // namespace engine
