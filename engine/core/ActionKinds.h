#pragma once
// The fourteen kinds of timed action, each made here with its parameters
// already checked by the factory (ActionFactory.h), which also gives each
// its interval and queues it.
//
// Owner: the ActionItem that holds the kind. Thread: UI thread.
// Hazards: a run that needs an image object finds it by the item's object
// and stops when the object is of another kind or its picture went stale.

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/core/ActionItem.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CEngineObject;

/// A kind that works on its object; an action without one simply ends.
class CObjectKind : public CActionKind {
public:
    bool Run(ActionRunContext& context) final { return context.object == nullptr || RunOn(*context.object, context); }

protected:
    virtual bool RunOn(CEngineObject& object, ActionRunContext& context) = 0;
};

/// The function of a call action; it gets the address of the copied data.
using ActionCallFunction = void (*)(void* data);

inline constexpr size_t ACTION_CALL_DATA_BYTES = 60;
inline constexpr size_t ACTION_SOUND_NAME_BYTES = 32;

/// How a play-frames action steps its image object's frames.
enum class FrameMode : int32_t {
    Loop = 0,     ///< value rounds (-1: endless), then the frame before the start frame
    Frames = 1,   ///< the next value frames
    Duration = 2, ///< value ms, then frame value
    Show = 3,     ///< frame value at once
    Step = 4,     ///< value single steps, one per interval
};

std::unique_ptr<CActionKind> MakeBlinkKind(double step, int32_t count, double maximum, double minimum);
std::unique_ptr<CActionKind> MakeRotateToKind(double step, double target);
std::unique_ptr<CActionKind> MakeFadeToKind(double step, double target);
std::unique_ptr<CActionKind> MakeActivateKind(bool activate);
std::unique_ptr<CActionKind> MakeMoveToKind(double x, double y, double speed, double acceleration, double maximum);
std::unique_ptr<CActionKind> MakeWaitFramesKind(uint32_t n);
std::unique_ptr<CActionKind> MakeWaitTimeKind(uint32_t start, uint32_t duration);
std::unique_ptr<CActionKind> MakeRepeatEventKind(uint32_t period, int32_t count, const EngineEvent& event);
std::unique_ptr<CActionKind> MakePlayFramesKind(FrameMode mode, int32_t value, int32_t start_frame, int64_t total);
std::unique_ptr<CActionKind> MakePlaySoundKind(std::string_view name, int32_t value, const EngineEvent& done);
std::unique_ptr<CActionKind> MakeDestroyKind();
std::unique_ptr<CActionKind> MakeResizeToKind(int32_t width, int32_t height, int32_t target_width,
                                              int32_t target_height, int32_t width_step, int32_t height_step);
std::unique_ptr<CActionKind> MakeCanvasSizeKind(int32_t angle_step, int32_t end_angle, const ImageRef& other,
                                                int32_t start_width);
std::unique_ptr<CActionKind> MakeCallKind(ActionCallFunction function, const void* data, size_t length);

} // namespace engine
