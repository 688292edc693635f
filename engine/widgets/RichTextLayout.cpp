// CRichTextView: line layout, full layout, trimming and scrolling.
#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/core/CanvasObject.h"
#include "engine/widgets/RichTextView.h"

namespace engine {

namespace {

/// A one-byte character that is part of a word: a line breaks at a space or
/// beside a two-byte character or an object, never between two of these.
bool IsWordRun(const RichTextRun& run)
{
    return (run.flags & (RUN_OBJECT | RUN_DOUBLE_BYTE | RUN_LINE_BREAK)) == 0 && run.FirstByte() > ' ';
}

bool IsSpaceRun(const RichTextRun& run)
{
    return (run.flags & (RUN_OBJECT | RUN_DOUBLE_BYTE | RUN_LINE_BREAK)) == 0 && run.FirstByte() == ' ';
}

/// The open line's last run after which it may break so that the word
/// ending at `last` moves whole to the next line; null when the word fills
/// the line from its start (it is then broken where it overflows).
RichTextRun* WordBreakBefore(RichTextRun* line_first, const RichTextRun* last)
{
    RichTextRun* after = nullptr;
    for (RichTextRun* run = line_first; run != nullptr && run != last; run = run->next)
        if (!run->IsHidden() && !IsWordRun(*run))
            after = run;
    return after;
}

} // namespace

int32_t CRichTextView::LineAdvance(int32_t y, int32_t height) const
{
    const double gap = m_line_spacing >= 0 ? height * m_line_spacing : -m_line_spacing;
    const double next = double(y) + height + gap;
    return static_cast<int32_t>(std::clamp(next, double(INT32_MIN), double(INT32_MAX)));
}

void CRichTextView::PlaceOpenLine(RichTextRun* last, int32_t line_top, int32_t line_height)
{
    if (m_line_first == nullptr || last == nullptr)
        return;
    int64_t x = m_line_start_x;
    const RichTextRun* previous = nullptr;
    for (RichTextRun* run = m_line_first; run != nullptr; run = run->next) {
        if (run->IsHidden()) {
            run->x = previous != nullptr ? previous->x : static_cast<int32_t>(x);
            run->y = previous != nullptr ? previous->y : line_top;
        } else {
            const int32_t y = line_top + line_height - run->height;
            if (m_line_carried && (run->x != x || run->y != y))
                m_damaged_top = std::min(m_damaged_top, line_top);
            run->x = static_cast<int32_t>(std::min<int64_t>(x, INT32_MAX));
            run->y = y;
            x += run->Advance();
            previous = run;
        }
        run->line_top = line_top;
        m_content_width = std::max<int64_t>(m_content_width, std::min<int64_t>(x, INT32_MAX));
        if (run == last)
            break;
    }
}

CRichTextView::EndPoint CRichTextView::LayoutLine(int32_t x, int32_t y, RichTextRun* first, int32_t count)
{
    if ((m_flags & FLAG_HORIZONTAL) != 0) {
        m_carried_height = m_layout_height;
        int64_t row_x = x;
        const RichTextRun* previous = nullptr;
        RichTextRun* run = first;
        for (int32_t i = 0; i < count && run != nullptr; ++i, run = run->next) {
            if (run->IsHidden()) {
                run->x = previous != nullptr ? previous->x : static_cast<int32_t>(row_x);
                run->y = previous != nullptr ? previous->y : y;
                run->line_top = y;
                continue;
            }
            run->x = static_cast<int32_t>(std::min<int64_t>(row_x, INT32_MAX));
            row_x += run->Advance();
            run->y = std::max(0, run->line_top + m_layout_height - run->height - 1);
            run->line_top = y;
            previous = run;
        }
        row_x = std::min<int64_t>(row_x, INT32_MAX);
        m_content_width = std::max(m_content_width, static_cast<int32_t>(row_x));
        return { static_cast<int32_t>(row_x), y };
    }

    // Vertical mode. The open line (text appended earlier that did not end
    // its line) is placed again with the new runs, so its earlier runs move
    // down to the common bottom when a taller run joins it.
    int64_t run_x = x;
    int32_t line_height = m_carried_height;
    m_line_carried = m_line_first != nullptr;
    // The last run of the open line is the view's last run (the batch is
    // linked behind it).
    RichTextRun* previous = m_line_first != nullptr ? m_last : nullptr;
    const auto finish_line = [&](RichTextRun* last) {
        PlaceOpenLine(last, y, line_height);
        ++m_line_count;
        y = LineAdvance(y, line_height);
        run_x = 0;
        line_height = 0;
        m_line_first = nullptr;
        m_line_carried = false;
    };
    RichTextRun* run = first;
    for (int32_t i = 0; i < count && run != nullptr; ++i, run = run->next) {
        if (run->IsHidden()) {
            if (m_line_first == nullptr) {
                // A hidden run cannot open a line; it takes the place before it.
                run->x = previous != nullptr ? previous->x : static_cast<int32_t>(run_x);
                run->y = previous != nullptr ? previous->y : y;
                run->line_top = previous != nullptr ? previous->line_top : y;
            }
            continue;
        }
        // A run that does not fit breaks the line before it; on an empty line
        // it stays, alone, however wide it is, so layout always moves on. A
        // space may hang past the edge. Inside a word the line breaks before
        // the word, which moves to the next line whole, unless it began the
        // line.
        if (run_x > 0 && int64_t(run_x) + run->Advance() > m_layout_width && previous != nullptr
            && !IsSpaceRun(*run)) {
            RichTextRun* after = IsWordRun(*run) && IsWordRun(*previous) && m_line_first != nullptr
                ? WordBreakBefore(m_line_first, previous)
                : nullptr;
            if (after == nullptr) {
                finish_line(previous);
            } else {
                // The word's runs may have been drawn on this line already.
                if (m_line_carried)
                    m_damaged_top = std::min(m_damaged_top, y);
                finish_line(after);
                m_line_first = after->next;
                m_line_start_x = 0;
                for (const RichTextRun* moved = after->next; moved != run; moved = moved->next) {
                    if (moved->IsHidden())
                        continue;
                    run_x += moved->Advance();
                    line_height = std::max<int32_t>(line_height, moved->height);
                }
            }
        }
        if (m_line_first == nullptr) {
            m_line_first = run;
            m_line_start_x = static_cast<int32_t>(std::min<int64_t>(run_x, INT32_MAX));
        }
        run_x += run->Advance();
        line_height = std::max<int32_t>(line_height, run->height);
        previous = run;
        if ((run->flags & RUN_LINE_BREAK) != 0)
            finish_line(run);
    }
    if (m_line_first != nullptr && previous != nullptr)
        PlaceOpenLine(previous, y, line_height);
    m_carried_height = line_height;
    return { static_cast<int32_t>(std::min<int64_t>(run_x, INT32_MAX)), y };
}

void CRichTextView::MeasureContent()
{
    m_content_height = m_last != nullptr ? m_last->Bottom() - m_top_origin : 0;
    if (m_content_height < 0)
        m_content_height = 0;
}

void CRichTextView::RelayoutAll()
{
    m_end_x = 0;
    m_end_y = m_top_origin;
    m_line_count = 0;
    m_carried_height = 0;
    m_line_first = nullptr;
    m_damaged_top = std::min(m_damaged_top, m_top_origin);
    if ((m_flags & FLAG_HORIZONTAL) != 0)
        m_content_width = 0;
    if (m_first != nullptr) {
        const EndPoint end = LayoutLine(0, m_top_origin, m_first, INT32_MAX);
        m_end_x = end.x;
        m_end_y = end.y;
    }
    MeasureContent();
}

void CRichTextView::Layout(int32_t width, int32_t height)
{
    CCanvasObject* text = GetCanvas();
    if (text == nullptr || width <= 0 || height <= 0)
        return;
    int32_t area_width = width;
    int32_t area_height = height;
    PlaceScrollBars(area_width, area_height);
    if (area_width <= 0 || area_height <= 0 || area_width > CCanvasObject::MAX_SIDE
        || area_height > CCanvasObject::MAX_SIDE || int64_t(area_width) * area_height > CCanvasObject::MAX_PIXELS)
        return;
    m_given_width = width;
    m_given_height = height;
    m_layout_width = area_width;
    m_layout_height = area_height;
    const double left = CGuiObject::GetLeft() + m_padding_x;
    const double top = CGuiObject::GetTop() + m_padding_y;
    text->Resize(m_layout_width, m_layout_height);
    text->SetSize(m_layout_width, m_layout_height);
    text->MoveTo(left + m_layout_width / 2.0, top + m_layout_height / 2.0);
    text->Clear();
    if (CCanvasObject* selection = m_select_canvas != 0 ? dynamic_cast<CCanvasObject*>(FindObject(m_select_canvas))
                                                        : nullptr) {
        selection->Resize(m_layout_width, m_layout_height);
        selection->SetSize(m_layout_width, m_layout_height);
        selection->MoveTo(text->GetX(), text->GetY());
        // Cleared to nothing: the canvas shows only selected runs.
        ClearSelection();
    }
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        CEngineObject* object = run->IsObject() ? FindObject(run->ObjectId()) : nullptr;
        if (object == nullptr)
            continue;
        EngineEvent fit;
        SendEvent(*MakeEngineEvent(&fit, object->GetId(), RICH_EVENT_FIT, uintptr_t(m_layout_width),
                                   uintptr_t(m_layout_height)));
        run->width = ClampSide(object->GetWidth());
        run->height = ClampSide(object->GetHeight());
    }
    UpdateClipRects();
    m_cache.assign(size_t(m_layout_width) * m_layout_height, 0);
    if (m_first == nullptr) {
        m_content_width = 0;
        m_content_height = 0;
        m_scroll_y = m_top_origin;
    } else {
        const RichTextRun* top_run = RunAtY(m_scroll_y);
        const int32_t previous_width = m_content_width;
        RelayoutAll();
        if (top_run != nullptr)
            m_scroll_y = top_run->y;
        if ((m_flags & FLAG_HORIZONTAL) != 0)
            m_content_width = std::max(m_last->Right(), previous_width);
        else
            m_content_width = m_layout_width;
        TrimLines();
        AutoScroll();
    }
    UpdateClipRects();
    ApplyScroll(false);
}

void CRichTextView::TrimLines()
{
    while (m_line_count > m_max_lines && m_first != nullptr) {
        const int32_t top = m_first->line_top;
        int32_t bottom = top;
        RichTextRun* rest = m_first;
        for (; rest != nullptr && rest->line_top == top; rest = rest->next)
            bottom = std::max(bottom, rest->Bottom());
        if (rest == nullptr)
            break; // A view with one line is never trimmed.
        for (RichTextRun* run = m_first; run != rest;) {
            RichTextRun* next = run->next;
            DeleteObjectRun(run);
            --m_run_count;
            ++m_trimmed_runs;
            run = next;
        }
        m_first = rest;
        m_top_origin = bottom;
        if (m_scroll_y < m_top_origin)
            m_scroll_y = m_top_origin;
        --m_line_count;
    }
    MeasureContent();
    if (m_content_height > m_layout_height && m_first != nullptr) {
        if ((m_flags & FLAG_EDITABLE) != 0 && m_last != nullptr) {
            const int32_t line_height = m_last->Bottom() - m_last->line_top;
            m_content_height = LineAdvance(m_content_height, line_height);
        }
    } else if (m_content_height < m_layout_height) {
        m_scroll_y = m_top_origin;
    }
}

void CRichTextView::AutoScroll()
{
    if ((m_flags & FLAG_GROW) != 0) {
        if (m_content_height < GetViewHeight() - m_view_height && m_content_height != m_layout_height
            && m_content_height > 0) {
            const double top = CGuiObject::GetTop();
            const int32_t height = m_content_height;
            ResizeView(m_view_width, height);
            CGuiObject::MoveTo(CGuiObject::GetX(), top + CGuiObject::GetHeight() / 2);
            Layout(m_given_width, height);
            Invalidate();
        }
        return;
    }
    if ((m_flags & FLAG_FOLLOW) == 0)
        return;
    if ((m_flags & FLAG_HORIZONTAL) == 0) {
        if (m_insert == nullptr)
            ScrollToEnd();
        else if (m_insert->line_top < m_scroll_y || m_insert->Bottom() > m_scroll_y + m_layout_height)
            ScrollTo(m_insert->line_top);
        return;
    }
    const int32_t edge = m_insert != nullptr ? m_insert->Right() : m_content_width;
    if (edge - m_scroll_x >= m_layout_width) {
        m_scroll_x = edge - m_layout_width + 2;
        NotifyScrollChanged();
    }
}

// Scrolling -------------------------------------------------------------------

int32_t CRichTextView::MaxScrollY() const
{
    return m_top_origin + std::max(0, m_content_height - m_layout_height);
}

void CRichTextView::ScrollTo(int32_t position)
{
    if ((m_flags & FLAG_HORIZONTAL) == 0) {
        m_scroll_y = m_content_height < m_layout_height ? m_top_origin
                                                        : std::clamp(position, m_top_origin, MaxScrollY());
    } else {
        m_scroll_x = m_content_width < m_layout_width ? 0
                                                      : std::clamp(position, 0, m_content_width - m_layout_width);
    }
    NotifyScrollChanged();
    if (m_select_first != nullptr)
        SelectRange(m_select_first, m_select_end);
}

void CRichTextView::ScrollToTop()
{
    if (m_scroll_y != m_top_origin) {
        m_scroll_y = m_top_origin;
        NotifyScrollChanged();
    }
}

void CRichTextView::ScrollToEnd()
{
    if ((m_flags & FLAG_HORIZONTAL) == 0) {
        if (m_content_height < m_layout_height)
            return;
        m_scroll_y = MaxScrollY();
    } else {
        if (m_content_width < m_layout_width)
            return;
        m_scroll_x = m_content_width - m_layout_width;
    }
    NotifyScrollChanged();
}

int32_t CRichTextView::LineHeightAt(int32_t y) const
{
    const RichTextRun* run = RunAtY(y);
    return run != nullptr ? std::max(1, run->Bottom() - run->line_top) : std::max(1, m_base.size);
}

void CRichTextView::ScrollLineUp()
{
    if ((m_flags & FLAG_HORIZONTAL) != 0) {
        if (m_scroll_x > 0)
            ScrollTo(m_scroll_x - m_layout_width);
        return;
    }
    if (m_scroll_y > m_top_origin)
        ScrollTo(std::max(m_top_origin, m_scroll_y - 3 * LineHeightAt(m_scroll_y)));
}

void CRichTextView::ScrollLineDown()
{
    if ((m_flags & FLAG_HORIZONTAL) != 0) {
        if (m_content_width >= m_layout_width)
            ScrollTo(m_scroll_x + m_layout_width);
        return;
    }
    if (m_content_height >= m_layout_height)
        ScrollTo(std::min(m_scroll_y + 3 * LineHeightAt(m_scroll_y), MaxScrollY()));
}

RichTextRun* CRichTextView::RunAtY(int32_t y) const
{
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (!run->IsHidden() && run->Bottom() > y)
            return run;
    }
    return nullptr;
}

int32_t CRichTextView::LineGap(const RichTextRun& run) const
{
    if (m_line_spacing < 0)
        return static_cast<int32_t>(-m_line_spacing);
    return static_cast<int32_t>((run.Bottom() - run.line_top) * m_line_spacing);
}

bool CRichTextView::InLineBox(const RichTextRun& run, int32_t y) const
{
    return y >= run.line_top && y < run.Bottom() + LineGap(run);
}

RichTextRun* CRichTextView::RunAtPoint(int32_t x, int32_t y) const
{
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (!run->IsHidden() && x >= run->x && x < run->x + run->Advance() && InLineBox(*run, y))
            return run;
    }
    return nullptr;
}

void CRichTextView::PointToText(int32_t x, int32_t y, int32_t& text_x, int32_t& text_y) const
{
    const CCanvasObject* text = GetCanvas();
    const double left = text != nullptr ? text->GetLeft() : CGuiObject::GetLeft();
    const double top = text != nullptr ? text->GetTop() : CGuiObject::GetTop();
    text_x = static_cast<int32_t>(x - left + m_scroll_x);
    text_y = static_cast<int32_t>(y - top + m_scroll_y);
}

} // namespace engine
