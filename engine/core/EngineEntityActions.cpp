// The entity facade's timed actions and action groups: each forwards to the
// action factory with this object's object module.
#include "engine/core/EngineEntity.h"

#include "engine/core/ObjectModule.h"

namespace engine {

uint64_t CEngineEntity::BeginGroup()
{
    return CActionFactory::BeginGroup(GetObjectModule());
}

uint64_t CEngineEntity::NextGroup()
{
    return CActionFactory::NextGroup(GetObjectModule());
}

void CEngineEntity::EndGroup()
{
    CActionFactory::EndGroup(GetObjectModule());
}

void CEngineEntity::CancelGroup(uint64_t group)
{
    CActionFactory::CancelGroup(GetObjectModule(), group);
}

void CEngineEntity::CancelObjectActions(uint32_t object_id)
{
    CActionFactory::CancelObjectActions(GetObjectModule(), object_id);
}

void CEngineEntity::CancelAction(uint64_t serial)
{
    CActionFactory::CancelAction(GetObjectModule(), serial);
}

uint64_t CEngineEntity::AddBlinkAction(CEngineObject* object, double step, int32_t count, uint32_t interval,
                                       double maximum, double minimum, const EngineEvent* done)
{
    return CActionFactory::AddBlinkAction(GetObjectModule(), object, step, count, interval, maximum, minimum, done);
}

uint64_t CEngineEntity::AddRotateToAction(CEngineObject* object, double step, double target_angle,
                                          uint32_t interval, const EngineEvent* done)
{
    return CActionFactory::AddRotateToAction(GetObjectModule(), object, step, target_angle, interval, done);
}

uint64_t CEngineEntity::AddFadeToAction(CEngineObject* object, double step, double target_alpha, uint32_t interval,
                                        const EngineEvent* done)
{
    return CActionFactory::AddFadeToAction(GetObjectModule(), object, step, target_alpha, interval, done);
}

uint64_t CEngineEntity::AddActivateAction(CEngineObject* object, uint8_t flag, const EngineEvent* done)
{
    return CActionFactory::AddActivateAction(GetObjectModule(), object, flag, done);
}

uint64_t CEngineEntity::AddMoveToAction(CEngineObject* object, double x, double y, double speed,
                                        double acceleration, double maximum_speed, const EngineEvent* done)
{
    return CActionFactory::AddMoveToAction(GetObjectModule(), object, x, y, speed, acceleration, maximum_speed,
                                           done);
}

uint64_t CEngineEntity::AddWaitFramesAction(uint32_t n, const EngineEvent* done)
{
    return CActionFactory::AddWaitFramesAction(GetObjectModule(), n, done);
}

uint64_t CEngineEntity::AddWaitFramesAction(CEngineObject* object, uint32_t n, const EngineEvent* done)
{
    return CActionFactory::AddWaitFramesAction(GetObjectModule(), object, n, done);
}

uint64_t CEngineEntity::AddWaitTimeAction(uint32_t milliseconds, const EngineEvent* done)
{
    return CActionFactory::AddWaitTimeAction(GetObjectModule(), milliseconds, done);
}

uint64_t CEngineEntity::AddRepeatEventAction(uint32_t period, int32_t count, const EngineEvent* event,
                                             const EngineEvent* done)
{
    return CActionFactory::AddRepeatEventAction(GetObjectModule(), period, count, event, done);
}

uint64_t CEngineEntity::AddPlayFramesAction(CImageObject* image, FrameMode mode, int32_t value, int32_t start_frame,
                                            uint32_t interval, const EngineEvent* done)
{
    return CActionFactory::AddPlayFramesAction(GetObjectModule(), image, mode, value, start_frame, interval, done);
}

uint64_t CEngineEntity::AddPlaySoundAction(std::string_view name, int32_t value, const EngineEvent* done)
{
    return CActionFactory::AddPlaySoundAction(GetObjectModule(), name, value, done);
}

uint64_t CEngineEntity::AddDestroyAction(CEngineObject* object, const EngineEvent* done)
{
    return CActionFactory::AddDestroyAction(GetObjectModule(), object, done);
}

uint64_t CEngineEntity::AddResizeToAction(CEngineObject* object, int32_t width, int32_t height,
                                          int32_t target_width, int32_t target_height, int32_t width_step,
                                          int32_t height_step, const EngineEvent* done)
{
    return CActionFactory::AddResizeToAction(GetObjectModule(), object, width, height, target_width, target_height,
                                             width_step, height_step, done);
}

uint64_t CEngineEntity::AddCanvasSizeAction(CImageObject* image, int32_t angle_step, int32_t end_angle,
                                            const ImageRef& other, uint32_t interval, const EngineEvent* done)
{
    return CActionFactory::AddCanvasSizeAction(GetObjectModule(), image, angle_step, end_angle, other, interval,
                                               done);
}

uint64_t CEngineEntity::AddCallAction(ActionCallFunction function, const void* data, size_t length)
{
    return CActionFactory::AddCallAction(GetObjectModule(), function, data, length);
}

} // namespace engine
