#include "engine/widgets/RichEditBox.h"

#include <algorithm>
#include <climits>

#include "engine/core/InputState.h"
#include "platform/KeyMap.h"
#include "platform/MessageIds.h"
#include "platform/Text.h"

namespace engine {

namespace {

constexpr uint32_t KEY_V = 0x56;
constexpr const char* OBJECT_TEXT = "[控件]";

} // namespace

int CRichEditBox::CreateEdit(int32_t width, int32_t height, uint32_t flags)
{
    m_single_line = (flags & FLAG_HORIZONTAL) != 0;
    if (Create(width, height, flags | EDIT_FLAGS, EDIT_OWNER_VALUE) == 0)
        return 0;
    SetFontSize(height - 2);
    SetCatchInput(true);
    AddSelfEventRoute(VELOTRIX_EVENT_CHAR);
    NotifyScrollChanged();
    return 1;
}

void CRichEditBox::SetSubmitEvent(uint32_t target, uint32_t event_id, bool clear_on_submit)
{
    m_submit_target = target;
    m_submit_event = event_id;
    m_clear_on_submit = clear_on_submit;
}

int CRichEditBox::OnEvent(const EngineEvent& event)
{
    const auto* input = reinterpret_cast<const InputState*>(event.param2);
    if (event.id == VELOTRIX_EVENT_KEY_DOWN) {
        if (input != nullptr)
            OnKeyDownEvent(*input);
        return 1;
    }
    if (event.id == VELOTRIX_EVENT_CHAR) {
        if (input != nullptr)
            OnChar(*input);
        return 1;
    }
    return CRichTextView::OnEvent(event);
}

void CRichEditBox::OnKeyDownEvent(const InputState& input)
{
    if (m_hint_shown)
        ClearHint();
    if (OnKey(input.last_key_down) == 0)
        OnKeyDown(input.last_key_down, input.key_flags);
}

void CRichEditBox::OnChar(const InputState& input)
{
    // One character: a lead byte with its trail byte, or one byte.
    const auto lead = static_cast<char>(input.character[0]);
    if (lead == '\0')
        return;
    const bool two = platform::IsGbkLeadByte(lead) && input.character[1] != 0;
    const char bytes[2] = { lead, static_cast<char>(input.character[1]) };
    if (m_hint_shown)
        ClearHint();
    // Typed bytes are text, never markup.
    AppendMarkup(EscapeMarkup(std::string_view(bytes, two ? 2 : 1)));
    NotifyChange();
}

int CRichEditBox::OnKey(uint32_t key)
{
    switch (key) {
    case platform::VK_BACK:
        DeleteBackward();
        NotifyChange();
        return 1;
    case platform::VK_TAB:
        FocusNext();
        return 1;
    case platform::VK_RETURN:
        Submit();
        return 1;
    case platform::VK_ESCAPE:
        ReleaseFocus();
        return 1;
    case platform::VK_LEFT:
        MoveCaretLeft();
        return 1;
    case platform::VK_RIGHT:
        MoveCaretRight();
        return 1;
    case platform::VK_UP:
    case platform::VK_DOWN:
        if ((m_flags & FLAG_HORIZONTAL) != 0 && (m_flags & FLAG_HISTORY) != 0 && !m_history.empty()) {
            const size_t n = m_history.size();
            RecallHistory(key == platform::VK_UP ? (m_history_index + n - 1) % n : (m_history_index + 1) % n);
        } else if (key == platform::VK_UP) {
            MoveCaretUp();
        } else {
            MoveCaretDown();
        }
        return 1;
    case platform::VK_DELETE:
        DeleteForward();
        NotifyChange();
        return 1;
    case KEY_V:
        if (!platform::IsControlKeyDown())
            return 0;
        Paste();
        return 1;
    default:
        return 0;
    }
}

void CRichEditBox::RecallHistory(size_t index)
{
    m_history_index = index;
    Clear();
    AppendMarkup(EscapeMarkup(m_history[index]));
    PlaceCaret(nullptr);
}

void CRichEditBox::Paste()
{
    PasteClipboard();
    NotifyChange();
}

void CRichEditBox::AppendMarkup(std::string_view text)
{
    if (m_max_length > 0 && GetTextLength() >= m_max_length) {
        OnLengthLimit();
        return;
    }
    (void)DeleteSelection();
    const int32_t caret_index = IndexOfRun(m_insert);
    const uint64_t trimmed_before = m_trimmed_runs;
    CRichTextView::AppendMarkup(text);
    if (m_max_length <= 0)
        return;
    const int32_t length = GetTextLength();
    if (length <= m_max_length)
        return;
    // Only the runs just inserted (between where the caret stood and the
    // caret) are cut, from their end, so the text the user had stays. Lines
    // trimmed from the top meanwhile shift where the inserted runs begin.
    const int64_t trimmed = static_cast<int64_t>(m_trimmed_runs - trimmed_before);
    RichTextRun* first = RunAt(static_cast<int32_t>(std::max<int64_t>(0, caret_index - trimmed)));
    int64_t inserted = 0;
    for (const RichTextRun* run = first; run != nullptr && run != m_insert; run = run->next)
        inserted += RunLength(*run);
    const int64_t keep = inserted - (length - m_max_length);
    int64_t kept = 0;
    for (RichTextRun* run = first; run != nullptr && run != m_insert; run = run->next) {
        if (kept + RunLength(*run) > keep) {
            DeleteRuns(run, m_insert);
            PlaceCaret(m_insert);
            NotifyScrollChanged();
            return;
        }
        kept += RunLength(*run);
    }
}

void CRichEditBox::Submit()
{
    if ((m_flags & FLAG_HORIZONTAL) != 0 && m_submit_target != 0 && m_submit_event != 0) {
        Notify();
        if (m_clear_on_submit) {
            Deactivate();
            Invalidate();
        }
        return;
    }
    AppendMarkup("\r\n");
}

void CRichEditBox::Notify()
{
    const std::string text = GetPlainText();
    if ((m_flags & FLAG_HISTORY) != 0)
        AddHistory(text);
    EngineEvent event;
    SendEvent(*MakeEngineEvent(&event, m_submit_target, m_submit_event, reinterpret_cast<uintptr_t>(text.c_str()),
                               reinterpret_cast<uintptr_t>(this)));
}

void CRichEditBox::NotifyChange()
{
    if ((m_flags & FLAG_CHANGE_NOTIFY) != 0)
        Notify();
}

void CRichEditBox::AddHistory(std::string_view text)
{
    if ((m_flags & FLAG_HISTORY) == 0)
        return;
    m_history.emplace_back(text);
    m_history_index = m_history.size() - 1;
}

std::string CRichEditBox::GetPlainText() const
{
    std::string out;
    for (const RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (run->IsObject()) {
            out += OBJECT_TEXT;
            continue;
        }
        char bytes[2];
        out.append(bytes, run->CopyBytes(bytes));
    }
    return out;
}

int32_t CRichEditBox::RunLength(const RichTextRun& run)
{
    return run.IsObject() ? OBJECT_LENGTH : static_cast<int32_t>(run.ByteCount());
}

int32_t CRichEditBox::GetTextLength() const
{
    int64_t length = 0;
    for (const RichTextRun* run = m_first; run != nullptr; run = run->next)
        length += RunLength(*run);
    return static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
}

void CRichEditBox::SetPassword(bool on)
{
    m_flags = on ? (m_flags | FLAG_PASSWORD) : (m_flags & ~FLAG_PASSWORD);
    NotifyScrollChanged();
}

void CRichEditBox::TakeFocus()
{
    BringToFront();
    SetFocusObject(GetId());
    PlaceCaret(m_insert);
    if (m_hint_shown)
        ClearHint();
}

void CRichEditBox::ReleaseFocus()
{
    SetFocusObject(0);
}

void CRichEditBox::FocusNext()
{
    if (auto* next = dynamic_cast<CRichEditBox*>(FindObject(m_next_box)); next != nullptr)
        next->TakeFocus();
}

void CRichEditBox::EnableInput()
{
    m_flags |= FLAG_SELECTABLE;
    for (const uint32_t id : { VELOTRIX_EVENT_CHAR, VELOTRIX_EVENT_KEY_DOWN }) {
        RemoveEventRoutes(id);
        AddSelfEventRoute(id);
    }
}

void CRichEditBox::DisableInput()
{
    m_flags &= ~FLAG_SELECTABLE;
    RemoveEventRoutes(VELOTRIX_EVENT_CHAR);
    RemoveEventRoutes(VELOTRIX_EVENT_KEY_DOWN);
}

void CRichEditBox::SetHint(std::string_view text, uint32_t colour)
{
    Clear();
    const uint32_t saved = m_base.colour;
    SetTextColor(colour);
    CRichTextView::AppendMarkup(text);
    SetTextColor(saved);
    m_hint_shown = true;
}

void CRichEditBox::ClearHint()
{
    m_hint_shown = false;
    Clear();
}

void CRichEditBox::OnMouseDown(int32_t x, int32_t y)
{
    CRichTextView::OnMouseDown(x, y);
    if (m_hint_shown)
        ClearHint();
}

} // namespace engine
