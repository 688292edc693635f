#pragma once
// CRichEditBox: the editable rich-text view: a one-line or multi-line box the
// user types into, pastes into and submits with Enter. It adds a length
// limit counted in bytes (1 or 2 per character, 6 per embedded object), a
// hint text shown until the first key, click or focus, a history of
// submitted lines recalled with Up and Down, focus passing on Tab, and the
// content as plain text. The side panel's chat input and number fields are
// built on it.
//
// Owner: the object module, like the view. The next box is held by id.
// Thread: UI thread.
// Hazards: the submit event is sent at once (synchronously); its param1
// points to the box's plain text, valid only while the event is delivered,
// and param2 is the box itself. Object tags are refused, so pasted or typed
// markup never places a picture in an edit box.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/widgets/RichTextView.h"

namespace engine {

struct InputState;

class CRichEditBox : public CRichTextView {
public:
    static constexpr uint32_t FLAG_HISTORY = 0x40000;
    static constexpr uint32_t EDIT_FLAGS = 0x24006; ///< redraw at once, editable, selectable, follow
    static constexpr uint32_t EDIT_OWNER_VALUE = 0x200;
    static constexpr int32_t OBJECT_LENGTH = 6;     ///< the length of "[控件]"

    virtual int CreateEdit(int32_t width, int32_t height, uint32_t flags);
    virtual void SetSubmitEvent(uint32_t target, uint32_t event_id, bool clear_on_submit);
    /// 1 when the key was handled here.
    virtual int OnKey(uint32_t key);
    virtual void Submit();
    virtual void Notify();
    virtual void AddHistory(std::string_view text);
    virtual void OnChar(const InputState& input);
    virtual void OnKeyDownEvent(const InputState& input);
    virtual void Paste();
    virtual void FocusNext();
    virtual void ReleaseFocus();
    virtual void OnLengthLimit() {}
    /// The content: characters as they are, each embedded object as "[控件]".
    [[nodiscard]] virtual std::string GetPlainText() const;
    [[nodiscard]] virtual int32_t GetTextLength() const;
    virtual void SetPassword(bool on);
    virtual void SetNextBox(const CRichEditBox* box) { m_next_box = box != nullptr ? box->GetId() : 0; }
    virtual void TakeFocus();
    virtual void DisableInput();
    virtual void EnableInput();
    virtual void SetHint(std::string_view text, uint32_t colour);

    /// A value below 1 means no limit.
    void SetMaxLength(int32_t length) { m_max_length = length > 0 ? length : -1; }
    [[nodiscard]] bool IsHintShown() const { return m_hint_shown; }
    [[nodiscard]] const std::vector<std::string>& GetHistory() const { return m_history; }
    [[nodiscard]] bool IsSingleLine() const { return m_single_line; }

    int OnEvent(const EngineEvent& event) override;
    void AppendMarkup(std::string_view text) override;
    int ApplyObjectTag(std::string_view) override { return 0; }
    void OnMouseDown(int32_t x, int32_t y) override;

private:
    [[nodiscard]] static int32_t RunLength(const RichTextRun& run);
    void ClearHint();
    /// With the change-notification flag, Notify.
    void NotifyChange();
    /// Recalls history entry index (already in range) as literal text.
    void RecallHistory(size_t index);

    bool m_hint_shown { false };
    bool m_clear_on_submit { false };
    uint32_t m_next_box { 0 };
    bool m_single_line { true };
    uint32_t m_submit_target { 0 };
    uint32_t m_submit_event { 0 };
    std::vector<std::string> m_history;
    size_t m_history_index { 0 };
    int32_t m_max_length { -1 };
};

} // namespace engine
