// The run functions of the kinds of timed action that change an object's
// looks or place: blink, rotate, fade, activate, move and resize.
#include <algorithm>
#include <cmath>

#include "engine/core/ActionKinds.h"
#include "engine/core/EngineObject.h"

namespace engine {

namespace {

class CBlinkKind final : public CObjectKind {
public:
    CBlinkKind(double step, int32_t count, double maximum, double minimum)
        : m_step(step), m_maximum(maximum), m_minimum(minimum), m_count(count)
    {
    }
    bool RunOn(CEngineObject& object, ActionRunContext&) override
    {
        double alpha = object.GetAlpha() + m_step;
        if (alpha > m_minimum) {
            if (alpha > m_maximum) {
                alpha = m_maximum;
                if (m_step > 0) {
                    m_step = -m_step;
                    if (m_count > 0)
                        --m_count;
                }
            }
        } else {
            alpha = m_minimum;
            if (m_step < 0)
                m_step = -m_step;
        }
        object.SetAlpha(alpha);
        object.Invalidate();
        return m_count == 0;
    }

private:
    double m_step;
    double m_maximum;
    double m_minimum;
    int32_t m_count; ///< below 0: never ends
};

class CRotateToKind final : public CObjectKind {
public:
    CRotateToKind(double step, double target) : m_step(step), m_target(target) {}
    bool RunOn(CEngineObject& object, ActionRunContext&) override
    {
        object.RotateBy(m_step);
        // Whole degrees are compared, so a step below one degree never ends.
        const double gap = std::fabs(std::trunc(object.GetAngle()) - std::trunc(m_target));
        const bool finished = gap < std::fabs(std::trunc(m_step));
        if (finished)
            object.SetAngle(m_target);
        object.Invalidate();
        return finished;
    }

private:
    double m_step;
    double m_target;
};

class CFadeToKind final : public CObjectKind {
public:
    CFadeToKind(double step, double target) : m_step(step), m_target(target) {}
    bool RunOn(CEngineObject& object, ActionRunContext&) override
    {
        const double alpha = object.GetAlpha();
        const bool reached = (m_step < 0 && alpha <= m_target) || (m_step > 0 && alpha >= m_target);
        object.SetAlpha(reached ? m_target : std::clamp(alpha + m_step, 0.0, 1.0));
        object.Invalidate();
        return reached;
    }

private:
    double m_step;
    double m_target;
};

class CActivateKind final : public CObjectKind {
public:
    explicit CActivateKind(bool activate) : m_activate(activate) {}
    bool RunOn(CEngineObject& object, ActionRunContext&) override
    {
        if (m_activate)
            object.Activate();
        else
            object.Deactivate();
        object.Invalidate();
        return true;
    }

private:
    bool m_activate;
};

// One coordinate moved by speed toward its target, or onto it when the whole
// distance is not greater than the speed.
double StepCoordinate(double position, double target, double speed)
{
    if (std::trunc(std::fabs(target - position)) <= speed)
        return target;
    return position + (target > position ? speed : -speed);
}

class CMoveToKind final : public CObjectKind {
public:
    static constexpr double UNLIMITED_SPEED = 99999999.0;

    CMoveToKind(double x, double y, double speed, double acceleration, double maximum)
        : m_x(x), m_y(y), m_speed(std::fabs(std::trunc(speed))), m_acceleration(std::fabs(std::trunc(acceleration))),
          m_maximum(std::fabs(std::trunc(maximum)))
    {
        if (m_maximum == 0.0)
            m_maximum = UNLIMITED_SPEED;
    }
    bool RunOn(CEngineObject& object, ActionRunContext&) override
    {
        m_speed = std::min(m_speed + m_acceleration, m_maximum);
        double x = object.GetX();
        double y = object.GetY();
        if (x != m_x && y == m_y) {
            x = StepCoordinate(x, m_x, m_speed);
        } else if (y != m_y && x == m_x) {
            y = StepCoordinate(y, m_y, m_speed);
        } else {
            const double distance = std::trunc(std::hypot(m_x - x, m_y - y));
            if (m_speed < distance) {
                x += m_speed * (m_x - x) / distance;
                y += m_speed * (m_y - y) / distance;
            } else {
                x = m_x;
                y = m_y;
            }
        }
        object.MoveTo(x, y);
        object.Invalidate();
        return object.GetX() == m_x && object.GetY() == m_y;
    }

private:
    double m_x;
    double m_y;
    double m_speed;
    double m_acceleration;
    double m_maximum;
};

int32_t StepSide(int32_t current, int32_t target, int32_t step)
{
    const int64_t magnitude = std::llabs(int64_t(step));
    if (current < target)
        return int32_t(std::min<int64_t>(int64_t(current) + magnitude, target));
    return int32_t(std::max<int64_t>(int64_t(current) - magnitude, target));
}

class CResizeToKind final : public CObjectKind {
public:
    CResizeToKind(int32_t width, int32_t height, int32_t target_width, int32_t target_height, int32_t width_step,
                  int32_t height_step)
        : m_width(width), m_height(height), m_target_width(target_width), m_target_height(target_height),
          m_width_step(width_step), m_height_step(height_step)
    {
    }
    bool RunOn(CEngineObject& object, ActionRunContext&) override
    {
        // A size changed from elsewhere is put back before the next step.
        if (object.GetWidth() == m_width && object.GetHeight() == m_height) {
            m_width = StepSide(m_width, m_target_width, m_width_step);
            m_height = StepSide(m_height, m_target_height, m_height_step);
        }
        object.SetSize(m_width, m_height);
        object.Invalidate();
        return m_width == m_target_width && m_height == m_target_height;
    }

private:
    int32_t m_width;
    int32_t m_height;
    int32_t m_target_width;
    int32_t m_target_height;
    int32_t m_width_step;
    int32_t m_height_step;
};

} // namespace

std::unique_ptr<CActionKind> MakeBlinkKind(double step, int32_t count, double maximum, double minimum)
{
    return std::make_unique<CBlinkKind>(step, count, maximum, minimum);
}

std::unique_ptr<CActionKind> MakeRotateToKind(double step, double target)
{
    return std::make_unique<CRotateToKind>(step, target);
}

std::unique_ptr<CActionKind> MakeFadeToKind(double step, double target)
{
    return std::make_unique<CFadeToKind>(step, target);
}

std::unique_ptr<CActionKind> MakeActivateKind(bool activate)
{
    return std::make_unique<CActivateKind>(activate);
}

std::unique_ptr<CActionKind> MakeMoveToKind(double x, double y, double speed, double acceleration, double maximum)
{
    return std::make_unique<CMoveToKind>(x, y, speed, acceleration, maximum);
}

std::unique_ptr<CActionKind> MakeResizeToKind(int32_t width, int32_t height, int32_t target_width,
                                              int32_t target_height, int32_t width_step, int32_t height_step)
{
    return std::make_unique<CResizeToKind>(width, height, target_width, target_height, width_step, height_step);
}

} // namespace engine
