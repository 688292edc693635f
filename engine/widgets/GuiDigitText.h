#pragma once
// CGuiDigitText: a signed integer shown from a strip of the ten digit
// images "0" to "9", with an optional text behind the number, relative
// changes and an animated count toward a target value that always ends
// exactly on the target.
//
// Owner: the object module. Thread: UI thread.
// Hazards: a character without a glyph (the minus sign with the plain digit
// strip) advances and stays blank.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/widgets/GuiImageText.h"

namespace engine {

class CGuiDigitText : public CGuiImageText {
public:
    /// Takes the named digit strip: cells twice a frame wide, frame i the glyph of "i".
    virtual void Create(std::string_view image_name, uint32_t flags);
    [[nodiscard]] virtual int32_t GetValue() const { return m_value; }
    virtual void SetValue(int32_t value);
    /// Shown from the next refresh on.
    virtual void SetSuffix(std::string_view text);
    virtual void ClearSuffix();
    virtual void AddValue(int32_t delta);
    virtual void Refresh();
    /// Steps the value by |step| (0 counts by 1) every interval ms (0: the
    /// shortest action interval) until it lands on target, then raises
    /// done_event (when given). Answers the action's serial, 0 when refused.
    virtual uint64_t CountTo(int32_t target, int32_t step, uint32_t interval, const EngineEvent* done_event);
    virtual void StopCounting();

    /// One step of a count: true when the value has reached target.
    bool StepToward(int32_t target, int32_t step);

    using CGuiImageText::Create;

private:
    int32_t m_value { 0 };
    std::string m_suffix;
};

} // namespace engine
