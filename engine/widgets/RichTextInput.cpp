// CRichTextView: hit tests, mouse selection, the caret and its movement,
// copy and paste, deletion at the caret, and hovering links.
#include <algorithm>

#include "engine/core/CanvasObject.h"
#include "engine/core/GameCore.h"
#include "engine/widgets/RichTextLink.h"
#include "engine/widgets/RichTextView.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Clipboard.h"
#include "platform/KeyMap.h"
#include "platform/Window.h"

namespace engine {

namespace {

constexpr uint32_t SELECTION_COLOUR = 0x7CA781;
constexpr uint32_t SELECTION_LINK_FLAGS = 0x19C0A2;
constexpr uint32_t CARET_LINK_FLAGS = 0x1C0A3;
constexpr uint32_t CARET_BLINK_INTERVAL = 500;
constexpr uint32_t KEY_C = 0x43;

} // namespace

// Hit tests ---------------------------------------------------------------------

RichTextRun* CRichTextView::RunAtOrAfter(int32_t x, int32_t y) const
{
    const bool vertical = (m_flags & FLAG_HORIZONTAL) == 0;
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (run->IsHidden() || !InLineBox(*run, y))
            continue;
        if (x >= run->x && x < run->x + run->width / 2)
            return run;
        if (x >= run->x + run->width / 2 && x < run->x + run->Advance())
            return run->next;
        if (vertical && (run->flags & RUN_LINE_BREAK) != 0 && run->Bottom() > y)
            return run;
    }
    return nullptr;
}

RichTextRun* CRichTextView::RunAtOrBefore(int32_t x, int32_t y) const
{
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (run->IsHidden())
            continue;
        if (run->line_top > y)
            return run;
        if (!InLineBox(*run, y))
            continue;
        if (x >= run->x && x < run->x + run->width / 2)
            return run;
        if (x >= run->x + run->width / 2 && x < run->x + run->Advance())
            return run->next;
    }
    return nullptr;
}

RichTextRun* CRichTextView::LineEndRun(RichTextRun* run) const
{
    while (run != nullptr && run->next != nullptr && run->next->line_top == run->line_top)
        run = run->next;
    return run;
}

RichTextRun* CRichTextView::RunBefore(const RichTextRun* wanted) const
{
    RichTextRun* before = nullptr;
    for (RichTextRun* run = m_first; run != nullptr && run != wanted; run = run->next)
        before = run;
    return wanted == nullptr || m_first != wanted ? before : nullptr;
}

bool CRichTextView::IsBefore(const RichTextRun* a, const RichTextRun* b) const
{
    for (const RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (run == a)
            return true;
        if (run == b)
            return false;
    }
    return false;
}

// Selection -----------------------------------------------------------------------

void CRichTextView::MakeSelectable()
{
    for (const uint32_t id : { VELOTRIX_EVENT_LBUTTON_DOWN, VELOTRIX_EVENT_LBUTTON_UP, VELOTRIX_EVENT_MOUSE_MOVE,
                               VELOTRIX_EVENT_LBUTTON_DBLCLK, VELOTRIX_EVENT_KEY_DOWN }) {
        RemoveEventRoutes(id);
        AddSelfEventRoute(id);
    }
    CCanvasObject* text = GetCanvas();
    if (text != nullptr && m_select_canvas == 0) {
        if (CCanvasObject* selection = NewCanvasObject(10, 10, COLOUR_NONE); selection != nullptr) {
            selection->SetBackgroundColour(SELECTION_COLOUR);
            selection->SetZ(text->GetZ() + 0.01);
            selection->AddFlags(0x800);
            selection->Show(true);
            text->AddFollower(selection, SELECTION_LINK_FLAGS);
            m_select_canvas = selection->GetId();
        }
    }
    if ((m_flags & FLAG_EDITABLE) != 0)
        CreateCaret();
}

CCanvasObject* CRichTextView::SelectionCanvas() const
{
    return m_select_canvas != 0 ? dynamic_cast<CCanvasObject*>(FindObject(m_select_canvas)) : nullptr;
}

CCanvasObject* CRichTextView::CaretCanvas() const
{
    return m_caret_canvas != 0 ? dynamic_cast<CCanvasObject*>(FindObject(m_caret_canvas)) : nullptr;
}

void CRichTextView::SelectRange(RichTextRun* first, RichTextRun* end)
{
    if (first == nullptr)
        return;
    HideCaret();
    m_select_first = first;
    m_select_end = end;
    CCanvasObject* selection = SelectionCanvas();
    if (selection == nullptr)
        return;
    selection->Activate();
    selection->SetFlags(selection->GetFlags() | VELOTRIX_OBJ_VISIBLE);
    const uint32_t fill = selection->GetBackgroundColour();
    selection->SetBackgroundColour(COLOUR_NONE);
    selection->Clear();
    selection->SetBackgroundColour(fill);
    for (RichTextRun* run = first; run != nullptr && run != end; run = run->next) {
        if (run->IsHidden())
            continue;
        const int32_t left = run->x - m_scroll_x;
        const int32_t top = run->line_top - m_scroll_y;
        selection->FillRect(left, top, left + run->Advance(), run->Bottom() + LineGap(*run) - m_scroll_y);
    }
    selection->Invalidate();
}

void CRichTextView::ClearSelection()
{
    m_select_first = nullptr;
    m_select_end = nullptr;
    m_dragging = false;
    if (CCanvasObject* selection = SelectionCanvas(); selection != nullptr) {
        selection->Deactivate();
        const uint32_t fill = selection->GetBackgroundColour();
        selection->SetBackgroundColour(COLOUR_NONE);
        selection->Clear();
        selection->SetBackgroundColour(fill);
        selection->Invalidate();
    }
}

void CRichTextView::RefreshSelection()
{
    if (!m_dragging)
        return;
    RichTextRun* a = RunAtOrAfter(m_select_start_x, m_select_start_y);
    RichTextRun* b = RunAtOrBefore(m_select_end_x, m_select_end_y);
    if (a == b) {
        ClearSelection();
        m_dragging = true;
        return;
    }
    // None stands for the end of the text: it comes after every run.
    if (a == nullptr || (b != nullptr && IsBefore(b, a)))
        SelectRange(b, a);
    else
        SelectRange(a, b);
}

void CRichTextView::SelectAll()
{
    SelectRange(m_first, nullptr);
}

void CRichTextView::SelectWordAt(int32_t x, int32_t y)
{
    const RichTextRun* hit = RunAtPoint(x, y);
    if (hit == nullptr)
        return;
    const auto is_delimiter = [](const RichTextRun* run) {
        return (run->flags & RUN_LINE_BREAK) != 0 || (!run->IsObject() && run->FirstByte() == ' ');
    };
    RichTextRun* word = m_first;
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (is_delimiter(run)) {
            if (run == hit)
                return;
            word = run->next;
            continue;
        }
        if (run != hit)
            continue;
        RichTextRun* end = run;
        while (end != nullptr && !is_delimiter(end))
            end = end->next;
        m_select_start_x = word->x;
        m_select_start_y = word->line_top;
        SelectRange(word, end);
        return;
    }
}

std::string CRichTextView::SelectedText() const
{
    std::string out;
    for (const RichTextRun* run = m_select_first; run != nullptr && run != m_select_end; run = run->next)
        out += CopyTextOf(*run);
    return out;
}

void CRichTextView::CopySelection()
{
    if (m_dragging || m_select_first == nullptr)
        return;
    const std::string text = SelectedText();
    if (!text.empty())
        (void)platform::SetClipboardText(text);
}

void CRichTextView::PasteClipboard()
{
    // Pasted bytes are text, as typed ones are: never markup. Its line
    // breaks stay line breaks ('\n' is never part of a two-byte character).
    const auto text = platform::GetClipboardText();
    if (!text || text->empty())
        return;
    std::string markup;
    for (size_t start = 0;;) {
        const size_t end = text->find('\n', start);
        markup += EscapeMarkup(std::string_view(*text).substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        markup += '\n';
        start = end + 1;
    }
    AppendMarkup(markup);
}

void CRichTextView::OpenUrlTextAt(RichTextRun* at)
{
    if (at == nullptr || (at->flags & RUN_URL_TEXT) == 0)
        return;
    std::string url;
    bool inside = false;
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if ((run->flags & RUN_URL_TEXT) == 0) {
            if (inside)
                break;
            url.clear();
            continue;
        }
        url += CopyTextOf(*run);
        inside = inside || run == at;
    }
    if (inside)
        OpenUrl(url);
}

// Mouse -----------------------------------------------------------------------------

void CRichTextView::OnMouseDown(int32_t x, int32_t y)
{
    SetFocusObject(GetId());
    int32_t tx = 0;
    int32_t ty = 0;
    PointToText(x, y, tx, ty);
    if (RichTextRun* hit = RunAtPoint(tx, ty); hit != nullptr) {
        if ((hit->flags & RUN_URL_TEXT) != 0)
            OpenUrlTextAt(hit);
        else if (CRichTextLink* link = LinkOfRun(hit); link != nullptr)
            link->OnClick();
    }
    if ((m_flags & FLAG_SELECTABLE) == 0)
        return;
    ClearSelection();
    PlaceCaret(RunAtOrAfter(tx, ty));
    m_dragging = true;
    m_select_start_x = m_select_end_x = tx;
    m_select_start_y = m_select_end_y = ty;
}

void CRichTextView::OnMouseUp(int32_t, int32_t)
{
    m_dragging = false;
}

void CRichTextView::OnDrag(int32_t x, int32_t y)
{
    if ((m_flags & FLAG_SELECTABLE) == 0 || !m_dragging)
        return;
    const EngineRect area = GetTextArea();
    if (y < area.top) {
        x = area.left;
        y = area.top;
    } else if (y >= area.bottom) {
        x = area.right - 1;
        y = area.bottom - 1;
    }
    x = std::clamp(x, area.left, area.right - 1);
    int32_t tx = 0;
    int32_t ty = 0;
    PointToText(x, y, tx, ty);
    if (ty <= m_scroll_y) {
        ScrollLineUp();
        ty = m_scroll_y;
    } else if (ty >= m_scroll_y + m_layout_height - 1) {
        ScrollLineDown();
        ty = m_scroll_y + m_layout_height - 1;
    }
    const int32_t step = std::max(1, m_base.size / 2);
    if (tx <= m_scroll_x && m_scroll_x > 0) {
        m_scroll_x = std::max(0, m_scroll_x - step);
        NotifyScrollChanged();
    } else if (tx >= m_scroll_x + m_layout_width - 1 && m_content_width > m_scroll_x + m_layout_width) {
        m_scroll_x = std::min(m_scroll_x + step, m_content_width - m_layout_width);
        NotifyScrollChanged();
    }
    m_select_end_x = tx;
    m_select_end_y = ty;
    RefreshSelection();
}

void CRichTextView::OnDoubleClick(int32_t x, int32_t y)
{
    if ((m_flags & FLAG_SELECTABLE) == 0)
        return;
    int32_t tx = 0;
    int32_t ty = 0;
    PointToText(x, y, tx, ty);
    if (m_dragging)
        ClearSelection();
    RichTextRun* hit = RunAtPoint(tx, ty);
    if (hit == nullptr)
        return;
    m_dragging = true;
    if ((hit->flags & RUN_DOUBLE_BYTE) != 0) {
        m_select_start_x = hit->x;
        m_select_start_y = ty;
        m_select_end_x = hit->next != nullptr ? hit->next->x : hit->Right();
        m_select_end_y = hit->next != nullptr ? hit->next->line_top : ty;
        SelectRange(hit, hit->next);
    } else {
        SelectWordAt(tx, ty);
    }
    m_dragging = false;
}

void CRichTextView::OnMouseMove(int32_t x, int32_t y)
{
    int32_t tx = 0;
    int32_t ty = 0;
    PointToText(x, y, tx, ty);
    RichTextRun* hit = RunAtPoint(tx, ty);
    CRichTextLink* link = hit != nullptr && (hit->flags & RUN_LINK_TEXT) != 0 ? LinkOfRun(hit) : nullptr;
    if (link != nullptr) {
        if (link->GetId() != m_hovered_link) {
            if (auto* old = dynamic_cast<CRichTextLink*>(FindObject(m_hovered_link)); old != nullptr)
                old->HideHover();
            link->ShowHover();
        }
        link->ShowHandCursor();
        m_hovered_link = link->GetId();
        return;
    }
    if (hit != nullptr && (hit->flags & RUN_URL_TEXT) != 0)
        ShowHandCursor();
    else if (hit == nullptr || (hit->flags & RUN_LINK_TEXT) == 0)
        RestoreCursor();
    if (auto* old = dynamic_cast<CRichTextLink*>(FindObject(m_hovered_link)); old != nullptr)
        old->HideHover();
    m_hovered_link = 0;
}

void CRichTextView::ShowHandCursor()
{
    ShowWidgetCursor(*this, WidgetCursor::Hand);
}

void CRichTextView::RestoreCursor()
{
    ShowWidgetCursor(*this, WidgetCursor::Arrow);
}

void CRichTextView::OnFocusLost()
{
    m_insert = nullptr;
    HideCaret();
    if ((m_flags & FLAG_HIDE_ON_FOCUS_LOSS) != 0) {
        Deactivate();
        Invalidate();
    }
}

void CRichTextView::OnKeyDown(uint32_t key, uint32_t)
{
    if (key == KEY_C && platform::IsControlKeyDown() && !m_dragging)
        CopySelection();
}

// Caret -----------------------------------------------------------------------------

void CRichTextView::CreateCaret()
{
    CCanvasObject* text = GetCanvas();
    if (m_caret_canvas != 0 || text == nullptr)
        return;
    CCanvasObject* caret = NewCanvasObject(1, std::max(1, m_base.size), 0);
    if (caret == nullptr)
        return;
    caret->SetColourKey(0);
    caret->SetBackgroundColour(m_caret_colour);
    caret->SetZ(text->GetZ() + 0.02);
    CEngineObject* leader = SelectionCanvas();
    (leader != nullptr ? leader : text)->AddFollower(caret, CARET_LINK_FLAGS);
    caret->Deactivate();
    m_caret_canvas = caret->GetId();
}

bool CRichTextView::IsCaretShown() const
{
    const CCanvasObject* caret = CaretCanvas();
    return caret != nullptr && caret->IsActive();
}

void CRichTextView::SetCaretColor(uint32_t colour)
{
    m_caret_colour = colour;
    if (CCanvasObject* caret = CaretCanvas(); caret != nullptr) {
        caret->SetBackgroundColour(colour);
        caret->Clear();
    }
}

void CRichTextView::PlaceCaret(RichTextRun* at)
{
    m_insert = at;
    CCanvasObject* caret = CaretCanvas();
    CCanvasObject* text = GetCanvas();
    if (caret == nullptr || text == nullptr)
        return;
    int32_t x = 1;
    int32_t top = 0;
    int32_t height = (m_flags & FLAG_HORIZONTAL) != 0 ? m_layout_height : m_base.size;
    if (at != nullptr) {
        x = at->x - m_scroll_x;
        top = at->line_top - m_scroll_y;
        height = at->Bottom() - at->line_top;
    } else if (m_last != nullptr) {
        if ((m_flags & FLAG_HORIZONTAL) == 0 && (m_last->flags & RUN_LINE_BREAK) != 0) {
            top = m_last->line_top - m_scroll_y + m_last->height;
            height = m_last->Bottom() - m_last->line_top;
        } else {
            x = m_last->Right() + m_last->extra - m_scroll_x;
            top = m_last->line_top - m_scroll_y;
            height = m_last->Bottom() - m_last->line_top;
        }
    } else {
        top = m_top_origin - m_scroll_y;
    }
    height = std::max(1, height);
    caret->Resize(1, height);
    caret->SetSize(1, height);
    caret->Clear();
    caret->SetAlpha(1.0); // a blink stopped half way may have left it faded
    caret->Activate();
    caret->Show(true);
    caret->MoveTo(text->GetLeft() + x + 1, text->GetTop() + top + height / 2.0);
    const EngineRect area = GetTextArea();
    caret->SetHitRect(area.left, area.top, area.right, area.bottom);
    caret->Invalidate();
    CancelObjectActions(caret->GetId());
    AddBlinkAction(caret, 1.0, -1, CARET_BLINK_INTERVAL, 1.0, 0.0);
    if (GameCore* core = GetCore(); core != nullptr) {
        if (platform::CNativeWindow* window = platform::CNativeWindow::FindByTarget(core->GetHwnd()))
            window->SetTextInputArea(static_cast<int>(text->GetLeft()) + x, static_cast<int>(text->GetTop()) + top,
                                     1, height);
    }
}

void CRichTextView::HideCaret()
{
    CCanvasObject* caret = CaretCanvas();
    if (caret == nullptr)
        return;
    CancelObjectActions(caret->GetId());
    caret->Deactivate();
    caret->Invalidate();
}

void CRichTextView::MoveCaretLeft()
{
    if (m_dragging)
        return;
    if (m_select_first != nullptr) {
        RichTextRun* first = m_select_first;
        ClearSelection();
        PlaceCaret(first);
        return;
    }
    if (!IsCaretShown() || m_insert == m_first)
        return;
    RichTextRun* target = m_insert != nullptr ? RunBefore(m_insert) : m_last;
    if (target == nullptr)
        return;
    if (target->x < m_scroll_x) {
        m_insert = target;
        m_scroll_x = target->x;
        NotifyScrollChanged();
    } else if (target->line_top < m_scroll_y) {
        m_insert = target;
        ScrollLineUp();
    } else {
        PlaceCaret(target);
    }
}

void CRichTextView::MoveCaretRight()
{
    if (m_dragging)
        return;
    if (m_select_first != nullptr) {
        RichTextRun* end = m_select_end;
        ClearSelection();
        PlaceCaret(end);
        return;
    }
    if (!IsCaretShown() || m_insert == nullptr)
        return;
    RichTextRun* run = m_insert;
    RichTextRun* target = run->next;
    if (target == nullptr) {
        ScrollToEnd();
        PlaceCaret(nullptr);
        return;
    }
    if ((m_flags & FLAG_HORIZONTAL) != 0) {
        if (run->Right() + 2 > m_scroll_x + m_layout_width) {
            m_insert = target;
            m_scroll_x = std::max(0, run->Right() - 1 - m_layout_width);
            NotifyScrollChanged();
            return;
        }
    } else if (target->Bottom() > m_scroll_y + m_layout_height) {
        m_insert = target;
        ScrollLineDown();
        return;
    }
    PlaceCaret(target);
}

void CRichTextView::MoveCaretUp()
{
    if (m_dragging || m_first == nullptr)
        return;
    if (m_select_first != nullptr) {
        RichTextRun* first = m_select_first;
        ClearSelection();
        m_insert = first;
    }
    int32_t x = 0;
    int32_t y = 0;
    if (m_insert != nullptr) {
        x = m_insert->x;
        y = m_insert->line_top;
    } else if (m_last != nullptr) {
        x = (m_last->flags & RUN_LINE_BREAK) != 0 ? 0 : m_last->Right();
        y = m_last->line_top;
    }
    if (y <= m_first->line_top)
        return;
    const int32_t line_top = y;
    const RichTextRun* found = nullptr;
    while (y > m_top_origin) {
        --y;
        found = RunAtY(y);
        if (found != nullptr && found->line_top != line_top)
            break;
    }
    if (found == nullptr || found->line_top == line_top)
        return;
    const int32_t target_top = found->line_top;
    RichTextRun* target = RunAtOrAfter(x, target_top);
    if (target == nullptr || target->line_top != target_top)
        target = LineEndRun(const_cast<RichTextRun*>(found));
    if (target->line_top < m_scroll_y)
        ScrollLineUp();
    if (target->line_top >= m_scroll_y)
        PlaceCaret(target);
}

void CRichTextView::MoveCaretDown()
{
    if (m_dragging || m_first == nullptr)
        return;
    if (m_select_first != nullptr) {
        RichTextRun* end = m_select_end;
        ClearSelection();
        m_insert = end;
        if (end == nullptr) {
            PlaceCaret(nullptr);
            return;
        }
    }
    if (m_insert == nullptr)
        return;
    RichTextRun* next_line = LineEndRun(m_insert)->next;
    RichTextRun* target = nullptr;
    if (next_line != nullptr) {
        target = RunAtOrAfter(m_insert->x, next_line->line_top);
        if (target == nullptr || target->line_top != next_line->line_top)
            target = LineEndRun(next_line);
    }
    if (target == nullptr)
        ScrollToEnd();
    else if (target->Bottom() > m_scroll_y + m_layout_height)
        ScrollLineDown();
    PlaceCaret(target);
}

// Deletion --------------------------------------------------------------------------

bool CRichTextView::DeleteSelection()
{
    if (m_select_first == nullptr)
        return false;
    RichTextRun* first = m_select_first;
    RichTextRun* end = m_select_end;
    ClearSelection();
    DeleteRuns(first, end);
    PlaceCaret(m_insert);
    return true;
}

void CRichTextView::DeleteForward()
{
    if (m_first == nullptr)
        return;
    if (!DeleteSelection()) {
        if (!IsCaretShown() || m_insert == nullptr)
            return;
        DeleteRuns(m_insert, m_insert->next);
        PlaceCaret(m_insert);
    }
    NotifyScrollChanged();
}

void CRichTextView::DeleteBackward()
{
    if (m_first == nullptr)
        return;
    if (!DeleteSelection()) {
        if (!IsCaretShown() || m_insert == m_first)
            return;
        RichTextRun* previous = m_insert != nullptr ? RunBefore(m_insert) : m_last;
        if (previous == nullptr)
            return;
        if (m_scroll_x > 0)
            m_scroll_x = std::max(0, m_scroll_x - previous->width);
        RichTextRun* keep = m_insert;
        DeleteRuns(previous, previous->next);
        PlaceCaret(keep);
    }
    NotifyScrollChanged();
}

} // namespace engine
