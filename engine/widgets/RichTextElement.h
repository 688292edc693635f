#pragma once
// CRichTextElement: an engine object that a rich-text view embeds in a line:
// a picture, an animation or a picture button. Its picture is its visual, an
// image object whose frames stand for the button states (0 normal, 1 hover,
// 2 pressed, 3 disabled). When text is copied the element stands for itself
// by its copy text.
//
// Owner: the object module; the view that placed it destroys it with its run
// (by id). Thread: UI thread.
// Hazards: a click reports to the owner view by posting the application
// event RICH_EVENT_OPEN_URL with the element's own id as parameter 1; the
// view reads the command from the element when the event arrives, so nothing
// the view may free in between is ever pointed to.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/EngineRect.h"
#include "engine/core/GuiObject.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CImageObject;

/// Application events of the rich-text widgets.
inline constexpr uint32_t RICH_EVENT_REDRAW = 80000002;        ///< the deferred redraw
inline constexpr uint32_t RICH_EVENT_COPY = 80000003;          ///< copy the selection
inline constexpr uint32_t RICH_EVENT_POINT_HOOK = 80000004;
inline constexpr uint32_t RICH_EVENT_CLEAR = 80000005;
inline constexpr uint32_t RICH_EVENT_OPEN_URL_TEXT = 80000006; ///< param1: a run of the view
inline constexpr uint32_t RICH_EVENT_OPEN_URL = 80000007;      ///< param1: id of the link or element clicked
inline constexpr uint32_t RICH_EVENT_APPEND_TEXT = 80000008;   ///< param1: a system payload (owned)
/// Private event: "fit into this width and height" (param1, param2).
inline constexpr uint32_t RICH_EVENT_FIT = 1050;

class CRichTextElement : public CGuiObject {
public:
    CRichTextElement();

    virtual void SetPicture(const ImageRef& image, int32_t width, int32_t height);
    virtual void SetAnimation(std::string_view name, int32_t width, int32_t height);
    virtual void SetButton(std::string_view name, uint32_t owner_id, int32_t width, int32_t height);
    virtual void OnCommand(uintptr_t, uintptr_t) {}
    virtual void SetCommand(std::string_view text) { m_command = text; }
    using CGuiObject::Enable;
    virtual void Enable();
    virtual void Disable();
    virtual void SetClipRect(const EngineRect& rect);
    virtual void SetCopyText(std::string_view text) { m_copy_text = text; }
    [[nodiscard]] virtual const std::string& GetCopyText() const { return m_copy_text; }
    [[nodiscard]] virtual uint32_t GetVisualId();
    [[nodiscard]] virtual int32_t GetIntWidth() const;
    [[nodiscard]] virtual int32_t GetIntHeight() const;
    virtual void OnElementHook() {}

    [[nodiscard]] const std::string& GetCommand() const { return m_command; }
    [[nodiscard]] uint32_t GetOwnerId() const { return m_owner_id; }
    int OnEvent(const EngineEvent& event) override;

private:
    /// Makes the image object, sizes it (0 keeps the image's side) and makes it the visual.
    CImageObject* MakePicture(const ImageRef& image, int32_t width, int32_t height);
    void ShowFrame(int16_t frame);

    std::string m_copy_text;
    std::string m_command;
    uint32_t m_owner_id { 0 };
    uint32_t m_picture_id { 0 };
};

} // namespace engine
