#pragma once
// CRichTextLink: the invisible object behind the runs of a link in a
// rich-text view. It holds the link's target, shows an optional hover
// picture that fades in, sets the hand cursor and reports a click to its
// owner view.
//
// Owner: the object module; the owner view destroys it (by id) when the
// link's first run goes. The hover image is its own object, destroyed with
// the link. Thread: UI thread.
// Hazards: the owner view is held by id and looked up at each use; a click
// posts RICH_EVENT_OPEN_URL with the link's own id, never a text pointer.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/GuiObject.h"

namespace engine {

class CRichTextLink : public CGuiObject {
public:
    ~CRichTextLink() override;

    virtual void SetLink(std::string_view target, std::string_view hover_image, uint32_t owner_id);
    virtual void OnClick();
    virtual void ShowHover();
    virtual void HideHover();
    virtual void ShowHandCursor();

    [[nodiscard]] const std::string& GetTarget() const { return m_target; }
    [[nodiscard]] uint32_t GetOwnerId() const { return m_owner_id; }
    [[nodiscard]] uint32_t GetHoverImageId() const { return m_hover_id; }

private:
    std::string m_target;
    uint32_t m_hover_id { 0 };
    uint32_t m_owner_id { 0 };
};

} // namespace engine
