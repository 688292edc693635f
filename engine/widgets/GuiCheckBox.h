#pragma once
// CGuiCheckBox: a two-frame image toggle (frame 0 unchecked, 1 checked) that
// flips on every left press and raises one caller-supplied record when it
// becomes checked and another when it becomes unchecked. The records are
// posted: they arrive in the object module's next update.
//
// Owner: the object module; the image child is an owned follower.
// Thread: UI thread.

#include <cstdint>

#include "engine/core/GuiObject.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CImageObject;

class CGuiCheckBox : public CGuiObject {
public:
    static constexpr int TYPE_CHECK_BOX = 6;

    [[nodiscard]] int GetType() const override { return TYPE_CHECK_BOX; }
    int OnEvent(const EngineEvent& event) override;

    /// Makes the image child, routes its left press here and shows the
    /// frame of checked; raises nothing. Answers checked.
    virtual int32_t Create(const ImageRef& image, int32_t checked);
    [[nodiscard]] virtual int32_t IsChecked() const { return m_checked; }
    /// Raises the matching record even when the value does not change.
    virtual void SetChecked(int32_t checked);
    virtual void SetCheckEvent(const EngineEvent& record) { m_check_event = record; }
    virtual void SetUncheckEvent(const EngineEvent& record) { m_uncheck_event = record; }
    /// Flips a box that is 0 or 1; any other stored value changes nothing.
    virtual void Toggle();

    [[nodiscard]] CImageObject* GetImageChild() const { return m_image; }

private:
    void ShowChecked(bool checked);

    int32_t m_checked { 0 };
    EngineEvent m_check_event {};
    EngineEvent m_uncheck_event {};
    ObjectLink<CImageObject> m_image;
};

} // namespace engine
