#include "engine/core/ActionFactory.h"

#include <algorithm>
#include <cmath>

#include "engine/core/ActionRunner.h"
#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectModule.h"

namespace engine {

namespace {

uint32_t AtLeastMinimum(uint32_t interval)
{
    return std::max(interval, CActionFactory::MIN_ACTION_INTERVAL);
}

bool IsRegisteredWith(const ObjectModule* module, const CEngineObject* object)
{
    return object != nullptr && object->GetId() != 0 && module->FindObject(object->GetId()) == object;
}

} // namespace

CActionRunner* CActionFactory::GetRunner(ObjectModule* module)
{
    return module != nullptr ? dynamic_cast<CActionRunner*>(module->GetActionRunner()) : nullptr;
}

uint64_t CActionFactory::Queue(ObjectModule* module, CEngineObject* object, bool needs_object, uint32_t interval,
                               std::unique_ptr<CActionKind> kind, const EngineEvent* done)
{
    CActionRunner* runner = GetRunner(module);
    if (runner == nullptr || !kind)
        return 0;
    if (needs_object && !IsRegisteredWith(module, object))
        return 0;
    ActionItem* item = runner->NewActionItem();
    if (item == nullptr)
        return 0;
    item->object_id = needs_object ? object->GetId() : 0;
    item->interval = interval;
    item->kind = std::move(kind);
    if (done != nullptr)
        item->done_event = *done;
    if (item->done_event.target == 0)
        item->done_event.id = 0;
    module->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_ADD_ACTION, reinterpret_cast<uintptr_t>(item), 0);
    return item->serial;
}

uint64_t CActionFactory::AddBlinkAction(ObjectModule* module, CEngineObject* object, double step, int32_t count,
                                        uint32_t interval, double maximum, double minimum, const EngineEvent* done)
{
    return Queue(module, object, true, AtLeastMinimum(interval), MakeBlinkKind(step, count, maximum, minimum), done);
}

uint64_t CActionFactory::AddRotateToAction(ObjectModule* module, CEngineObject* object, double step,
                                           double target_angle, uint32_t interval, const EngineEvent* done)
{
    return Queue(module, object, true, AtLeastMinimum(interval), MakeRotateToKind(step, target_angle), done);
}

uint64_t CActionFactory::AddFadeToAction(ObjectModule* module, CEngineObject* object, double step,
                                         double target_alpha, uint32_t interval, const EngineEvent* done)
{
    if (object == nullptr || step == 0.0 || std::isnan(step) || std::isnan(target_alpha))
        return 0;
    // A target outside 0..1 could never be reached by the kept-in-range alpha.
    const double target = std::clamp(target_alpha, 0.0, 1.0);
    const double alpha = object->GetAlpha();
    if ((step > 0 && target < alpha) || (step < 0 && target > alpha))
        return 0;
    return Queue(module, object, true, AtLeastMinimum(interval), MakeFadeToKind(step, target), done);
}

uint64_t CActionFactory::AddActivateAction(ObjectModule* module, CEngineObject* object, uint8_t flag,
                                           const EngineEvent* done)
{
    return Queue(module, object, true, MIN_ACTION_INTERVAL, MakeActivateKind(flag != 0), done);
}

uint64_t CActionFactory::AddMoveToAction(ObjectModule* module, CEngineObject* object, double x, double y,
                                         double speed, double acceleration, double maximum_speed,
                                         const EngineEvent* done)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(speed) || !std::isfinite(acceleration)
        || !std::isfinite(maximum_speed))
        return 0;
    // Whole speeds: with both below one the object would never move.
    if (std::fabs(std::trunc(speed)) == 0.0 && std::fabs(std::trunc(acceleration)) == 0.0)
        return 0;
    return Queue(module, object, true, MIN_ACTION_INTERVAL,
                 MakeMoveToKind(x, y, speed, acceleration, maximum_speed), done);
}

uint64_t CActionFactory::AddWaitFramesAction(ObjectModule* module, uint32_t n, const EngineEvent* done)
{
    return AddWaitFramesAction(module, nullptr, n, done);
}

uint64_t CActionFactory::AddWaitFramesAction(ObjectModule* module, CEngineObject* object, uint32_t n,
                                             const EngineEvent* done)
{
    return Queue(module, object, object != nullptr, n, MakeWaitFramesKind(n), done);
}

uint64_t CActionFactory::AddObjectAction(ObjectModule* module, CEngineObject* object, uint32_t interval,
                                         std::unique_ptr<CActionKind> kind, const EngineEvent* done)
{
    return Queue(module, object, true, AtLeastMinimum(interval), std::move(kind), done);
}

uint64_t CActionFactory::AddWaitTimeAction(ObjectModule* module, uint32_t milliseconds, const EngineEvent* done)
{
    const GameCore* core = module != nullptr ? module->GetManager() : nullptr;
    if (core == nullptr)
        return 0;
    return Queue(module, nullptr, false, 0, MakeWaitTimeKind(core->GetTime(), milliseconds), done);
}

uint64_t CActionFactory::AddRepeatEventAction(ObjectModule* module, uint32_t period, int32_t count,
                                              const EngineEvent* event, const EngineEvent* done)
{
    if (module == nullptr || event == nullptr || period == 0)
        return 0;
    CEngineObject* target = module->FindObject(event->target);
    if (target == nullptr)
        return 0;
    return Queue(module, target, true, AtLeastMinimum(period), MakeRepeatEventKind(period, count, *event), done);
}

uint64_t CActionFactory::AddPlayFramesAction(ObjectModule* module, CImageObject* image, FrameMode mode,
                                             int32_t value, int32_t start_frame, uint32_t interval,
                                             const EngineEvent* done)
{
    if (image == nullptr)
        return 0;
    int64_t total = 0;
    uint32_t run_interval = MIN_ACTION_INTERVAL;
    switch (mode) {
    case FrameMode::Loop:
        total = value == -1 ? 0 : int64_t(value) * image->GetTotalDelay();
        break;
    case FrameMode::Frames: {
        const int64_t current = image->GetCurrentFrame();
        total = image->SumFrameDelays(int32_t(current), int32_t(std::clamp<int64_t>(current + value, INT32_MIN,
                                                                                     INT32_MAX)));
        break;
    }
    case FrameMode::Duration:
        total = value;
        break;
    case FrameMode::Show:
    case FrameMode::Step:
        total = value;
        run_interval = AtLeastMinimum(interval);
        break;
    default:
        return 0;
    }
    return Queue(module, image, true, run_interval, MakePlayFramesKind(mode, value, start_frame, total), done);
}

uint64_t CActionFactory::AddPlaySoundAction(ObjectModule* module, std::string_view name, int32_t value,
                                            const EngineEvent* done)
{
    if (name.size() >= ACTION_SOUND_NAME_BYTES || name.find('\0') != std::string_view::npos)
        return 0;
    const EngineEvent answer = done != nullptr ? *done : EngineEvent {};
    // The music module answers for the done event; the action itself has none.
    return Queue(module, nullptr, false, 0, MakePlaySoundKind(name, value, answer), nullptr);
}

uint64_t CActionFactory::AddDestroyAction(ObjectModule* module, CEngineObject* object, const EngineEvent* done)
{
    return Queue(module, object, true, MIN_ACTION_INTERVAL, MakeDestroyKind(), done);
}

uint64_t CActionFactory::AddResizeToAction(ObjectModule* module, CEngineObject* object, int32_t width,
                                           int32_t height, int32_t target_width, int32_t target_height,
                                           int32_t width_step, int32_t height_step, const EngineEvent* done)
{
    if ((width != target_width && width_step == 0) || (height != target_height && height_step == 0))
        return 0;
    return Queue(module, object, true, MIN_ACTION_INTERVAL,
                 MakeResizeToKind(width, height, target_width, target_height, width_step, height_step), done);
}

uint64_t CActionFactory::AddCanvasSizeAction(ObjectModule* module, CImageObject* image, int32_t angle_step,
                                             int32_t end_angle, const ImageRef& other, uint32_t interval,
                                             const EngineEvent* done)
{
    if (image == nullptr || angle_step <= 0)
        return 0;
    const double width = std::trunc(image->GetWidth());
    const int32_t start_width = int32_t(std::clamp(width, 0.0, double(INT32_MAX)));
    return Queue(module, image, true, AtLeastMinimum(interval),
                 MakeCanvasSizeKind(angle_step, end_angle, other, start_width), done);
}

uint64_t CActionFactory::AddCallAction(ObjectModule* module, ActionCallFunction function, const void* data,
                                       size_t length)
{
    // Data that does not fit is refused rather than cut.
    if (function == nullptr || length > ACTION_CALL_DATA_BYTES || (data == nullptr && length != 0))
        return 0;
    return Queue(module, nullptr, false, MIN_ACTION_INTERVAL, MakeCallKind(function, data, length), nullptr);
}

uint64_t CActionFactory::PostGroup(ObjectModule* module, int32_t message_id)
{
    CActionRunner* runner = GetRunner(module);
    if (runner == nullptr)
        return 0;
    const uint64_t group = runner->NewGroupRecord();
    if (group == 0)
        return 0;
    module->PostMessage(VELOTRIX_MODULE_OBJECT, message_id, uintptr_t(group), 0);
    return group;
}

uint64_t CActionFactory::BeginGroup(ObjectModule* module)
{
    return PostGroup(module, VELOTRIX_MSG_BEGIN_GROUP);
}

uint64_t CActionFactory::NextGroup(ObjectModule* module)
{
    return PostGroup(module, VELOTRIX_MSG_NEXT_GROUP);
}

void CActionFactory::EndGroup(ObjectModule* module)
{
    if (module != nullptr)
        module->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_END_GROUP, 0, 0);
}

void CActionFactory::CancelGroup(ObjectModule* module, uint64_t group)
{
    if (module != nullptr && group != 0)
        module->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_CANCEL_GROUP, uintptr_t(group), 0);
}

void CActionFactory::CancelAction(ObjectModule* module, uint64_t serial)
{
    if (module != nullptr && serial != 0)
        module->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_CANCEL_ACTION, uintptr_t(serial), 0);
}

void CActionFactory::CancelObjectActions(ObjectModule* module, uint32_t object_id)
{
    if (module != nullptr && object_id != 0)
        module->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_CANCEL_OBJECT_ACTIONS, object_id, 0);
}

} // namespace engine
