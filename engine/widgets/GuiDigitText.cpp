#include "engine/widgets/GuiDigitText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/core/ActionFactory.h"
#include "engine/core/ActionRunner.h"
#include "engine/core/ObjectModule.h"

namespace engine {

namespace {

constexpr int DIGIT_COUNT = 10;

// Runs once per interval on its display until the value lands on the target.
class CCountKind final : public CActionKind {
public:
    CCountKind(int32_t target, int32_t step) : m_target(target), m_step(step) {}
    bool Run(ActionRunContext& context) override
    {
        auto* display = dynamic_cast<CGuiDigitText*>(context.object);
        return display == nullptr || display->StepToward(m_target, m_step);
    }

private:
    int32_t m_target;
    int32_t m_step;
};

// value + delta, wrapping like the 32-bit arithmetic it stands for.
int32_t WrappingAdd(int32_t value, int64_t delta)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value) + delta));
}

} // namespace

void CGuiDigitText::Create(std::string_view image_name, uint32_t flags)
{
    ImageRef strip;
    GetImage(strip, image_name, 0);
    CGuiImageText::Create(strip.width * 2, strip.height, flags);
    if (!strip.IsValid())
        return;
    for (int i = 0; i < DIGIT_COUNT; ++i) {
        char digit[4];
        std::snprintf(digit, sizeof digit, "%d", i);
        ImageRef image = strip;
        image.frame = static_cast<uint32_t>(i);
        AddGlyph(digit, image);
    }
}

void CGuiDigitText::SetValue(int32_t value)
{
    m_value = value;
    Refresh();
}

void CGuiDigitText::SetSuffix(std::string_view text)
{
    m_suffix = text;
    SetTextFlag(FLAG_SUFFIX, true);
}

void CGuiDigitText::ClearSuffix()
{
    SetTextFlag(FLAG_SUFFIX, false);
    Refresh();
}

void CGuiDigitText::AddValue(int32_t delta)
{
    m_value = WrappingAdd(m_value, delta);
    Refresh();
}

void CGuiDigitText::Refresh()
{
    char number[16];
    std::snprintf(number, sizeof number, "%d", m_value);
    std::string text = number;
    if ((GetTextFlags() & FLAG_SUFFIX) != 0)
        text += m_suffix;
    SetText(text);
}

bool CGuiDigitText::StepToward(int32_t target, int32_t step)
{
    step = std::max(step, 1);
    const int64_t distance = static_cast<int64_t>(target) - m_value;
    if (std::llabs(distance) > step) {
        SetValue(WrappingAdd(m_value, distance > 0 ? step : -static_cast<int64_t>(step)));
        return false;
    }
    SetValue(target);
    return true;
}

uint64_t CGuiDigitText::CountTo(int32_t target, int32_t step, uint32_t interval, const EngineEvent* done_event)
{
    ObjectModule* objects = GetObjectModule();
    CActionRunner* runner = objects != nullptr ? CActionFactory::GetRunner(objects) : nullptr;
    ActionItem* item = runner != nullptr ? runner->NewActionItem() : nullptr;
    if (item == nullptr)
        return 0;
    // |step| as a 64-bit value: the magnitude of INT32_MIN does not fit 32 bits.
    const int64_t magnitude = step == 0 ? 1 : std::llabs(static_cast<int64_t>(step));
    item->object_id = GetId();
    item->interval = std::max(interval == 0 ? GetMinActionInterval() : interval, GetMinActionInterval());
    item->kind = std::make_unique<CCountKind>(target, static_cast<int32_t>(std::min<int64_t>(magnitude, INT32_MAX)));
    if (done_event != nullptr && done_event->target != 0)
        item->done_event = *done_event;
    objects->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_ADD_ACTION, reinterpret_cast<uintptr_t>(item), 0);
    return item->serial;
}

void CGuiDigitText::StopCounting()
{
    CancelObjectActions(GetId());
}

} // namespace engine
