// The run functions of the kinds of timed action that wait, repeat events,
// step image frames, turn a picture over, play a sound, destroy an object or
// call a function.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "engine/core/ActionKinds.h"
#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectModule.h"

namespace engine {

namespace {

class CWaitFramesKind final : public CActionKind {
public:
    explicit CWaitFramesKind(uint32_t n) : m_n(n) {}
    bool Run(ActionRunContext& context) override { return context.elapsed >= m_n; }

private:
    uint32_t m_n;
};

// Waits by the core's clock, checked at every update.
class CWaitTimeKind final : public CActionKind {
public:
    CWaitTimeKind(uint32_t start, uint32_t duration) : m_start(start), m_duration(duration) {}
    bool Run(ActionRunContext& context) override
    {
        const GameCore* core = context.module.GetManager();
        const uint32_t now = core != nullptr ? core->GetTime() : m_start;
        return static_cast<uint32_t>(now - m_start) > m_duration;
    }
    uint32_t GetChangeDueIn(uint32_t now, uint32_t /*start_time*/) const override
    {
        // Over once more than the duration has passed.
        return TimeLeftIn(uint64_t(m_duration) + 1, uint32_t(now - m_start));
    }

private:
    uint32_t m_start;
    uint32_t m_duration;
};

class CRepeatEventKind final : public CActionKind {
public:
    CRepeatEventKind(uint32_t period, int32_t count, const EngineEvent& event)
        : m_period(period), m_count(count), m_event(event)
    {
    }
    bool Run(ActionRunContext& context) override
    {
        const uint32_t due = context.elapsed / m_period;
        while (m_sent < due && (m_count < 1 || m_sent < uint32_t(m_count))) {
            // The target may destroy itself on one of the events.
            if (context.module.FindObject(m_event.target) == nullptr)
                return true;
            context.module.DeliverEvent(m_event);
            ++m_sent;
        }
        return m_count >= 1 && m_sent >= uint32_t(m_count);
    }
    uint32_t GetChangeDueIn(uint32_t now, uint32_t start_time) const override
    {
        return TimeLeftIn((uint64_t(m_sent) + 1) * m_period, uint32_t(now - start_time));
    }

private:
    uint32_t m_period;
    int32_t m_count; ///< below 1: for ever
    uint32_t m_sent { 0 };
    EngineEvent m_event;
};

// A kind that works on an image object; with any other object it ends.
class CImageKind : public CObjectKind {
protected:
    bool RunOn(CEngineObject& object, ActionRunContext& context) final
    {
        auto* image = dynamic_cast<CImageObject*>(&object);
        return image == nullptr || RunOnImage(*image, context);
    }
    virtual bool RunOnImage(CImageObject& image, ActionRunContext& context) = 0;
};

void ShowFrame(CImageObject& image, int32_t frame)
{
    image.SetFrame(static_cast<int16_t>(frame));
    image.Invalidate();
}

class CPlayFramesKind final : public CImageKind {
public:
    CPlayFramesKind(FrameMode mode, int32_t value, int32_t start_frame, int64_t total)
        : m_mode(mode), m_value(value), m_start_frame(start_frame), m_total(total)
    {
    }
    bool RunOnImage(CImageObject& image, ActionRunContext& context) override
    {
        if (!image.GetFrameImage().IsValid())
            return true;
        switch (m_mode) {
        case FrameMode::Show:
            ShowFrame(image, m_value);
            return true;
        case FrameMode::Step:
            image.NextFrame();
            image.Invalidate();
            return --m_total <= 0;
        case FrameMode::Loop:
        case FrameMode::Frames:
        case FrameMode::Duration:
            break;
        }
        const uint32_t before = image.GetCurrentFrame();
        image.SetFrameByTime(context.elapsed, static_cast<uint32_t>(std::max(m_start_frame, 0)));
        if (image.GetCurrentFrame() != before)
            image.Invalidate();
        const bool endless = m_mode == FrameMode::Loop && m_total == 0;
        if (endless || context.elapsed < m_total)
            return false;
        if (m_mode == FrameMode::Loop)
            ShowFrame(image, m_start_frame - 1);
        else if (m_mode == FrameMode::Duration)
            ShowFrame(image, m_value);
        return true;
    }

private:
    FrameMode m_mode;
    int32_t m_value;
    int32_t m_start_frame;
    int64_t m_total;
};

class CPlaySoundKind final : public CActionKind {
public:
    CPlaySoundKind(std::string_view name, int32_t value, const EngineEvent& done) : m_value(value), m_done(done)
    {
        std::memcpy(m_name.data(), name.data(), std::min(name.size(), m_name.size() - 1));
    }
    bool Run(ActionRunContext& context) override
    {
        const GameCore* core = context.module.GetManager();
        auto* player = core != nullptr ? dynamic_cast<IActionSoundPlayer*>(core->GetModule(VELOTRIX_MODULE_MUSIC))
                                       : nullptr;
        if (player != nullptr)
            player->PlayActionSound(m_name.data(), m_value, m_done);
        return true;
    }

private:
    std::array<char, ACTION_SOUND_NAME_BYTES> m_name {};
    int32_t m_value;
    EngineEvent m_done;
};

class CDestroyKind final : public CObjectKind {
public:
    bool RunOn(CEngineObject& object, ActionRunContext& context) override
    {
        context.module.DestroyObjectLater(object.GetId());
        return true;
    }
};

// Turns a picture over by narrowing the object with the cosine of a growing
// angle; past 90 degrees the other picture shows.
class CCanvasSizeKind final : public CImageKind {
public:
    static constexpr double PI = 3.1415927;

    CCanvasSizeKind(int32_t angle_step, int32_t end_angle, const ImageRef& other, int32_t start_width)
        : m_step(angle_step), m_end(end_angle), m_other(other), m_start_width(start_width)
    {
    }
    bool RunOnImage(CImageObject& image, ActionRunContext&) override
    {
        const int32_t angle = std::min(m_angle, m_end);
        if (m_angle == 0) {
            image.SetSize(m_start_width, image.GetHeight());
        } else {
            const double q = std::cos(angle * PI / 180.0);
            if ((q < 0 && !m_turned) || (q >= 0 && m_turned)) {
                const ImageRef shown = image.GetFrameImage().GetInfo();
                image.SetImage(m_other, CImageObject::FitSize::No);
                m_other = shown;
                m_turned = !m_turned;
            }
            image.SetSize(std::fabs(q) * m_start_width, image.GetHeight());
        }
        // The end pose is shown before the action ends.
        const bool finished = angle >= m_end;
        m_angle = int32_t(std::min<int64_t>(int64_t(m_angle) + m_step, INT32_MAX));
        image.Invalidate();
        return finished;
    }

private:
    int32_t m_step;
    int32_t m_end;
    ImageRef m_other;
    int32_t m_start_width;
    int32_t m_angle { 0 };
    bool m_turned { false };
};

class CCallKind final : public CActionKind {
public:
    CCallKind(ActionCallFunction function, const void* data, size_t length) : m_function(function)
    {
        if (data != nullptr && length > 0)
            std::memcpy(m_data.data(), data, std::min(length, m_data.size()));
    }
    bool Run(ActionRunContext&) override
    {
        m_function(m_data.data());
        return true;
    }

private:
    ActionCallFunction m_function;
    std::array<uint8_t, ACTION_CALL_DATA_BYTES> m_data {};
};

} // namespace

std::unique_ptr<CActionKind> MakeWaitFramesKind(uint32_t n)
{
    return std::make_unique<CWaitFramesKind>(n);
}

std::unique_ptr<CActionKind> MakeWaitTimeKind(uint32_t start, uint32_t duration)
{
    return std::make_unique<CWaitTimeKind>(start, duration);
}

std::unique_ptr<CActionKind> MakeRepeatEventKind(uint32_t period, int32_t count, const EngineEvent& event)
{
    return std::make_unique<CRepeatEventKind>(period, count, event);
}

std::unique_ptr<CActionKind> MakePlayFramesKind(FrameMode mode, int32_t value, int32_t start_frame, int64_t total)
{
    return std::make_unique<CPlayFramesKind>(mode, value, start_frame, total);
}

std::unique_ptr<CActionKind> MakePlaySoundKind(std::string_view name, int32_t value, const EngineEvent& done)
{
    return std::make_unique<CPlaySoundKind>(name, value, done);
}

std::unique_ptr<CActionKind> MakeDestroyKind()
{
    return std::make_unique<CDestroyKind>();
}

std::unique_ptr<CActionKind> MakeCanvasSizeKind(int32_t angle_step, int32_t end_angle, const ImageRef& other,
                                                int32_t start_width)
{
    return std::make_unique<CCanvasSizeKind>(angle_step, end_angle, other, start_width);
}

std::unique_ptr<CActionKind> MakeCallKind(ActionCallFunction function, const void* data, size_t length)
{
    return std::make_unique<CCallKind>(function, data, length);
}

} // namespace engine
