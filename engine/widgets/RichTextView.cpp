// CRichTextView: creation, canvases, events, the run list and its objects.
#include "engine/widgets/RichTextView.h"

#include <cstring>
#include <new>

#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/RichTextLink.h"
#include "engine/widgets/UrlOpener.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr uint32_t BACK_KEY = 0xFFFFFF;
constexpr uint32_t TEXT_KEY = 0xFF00FF;
constexpr uint32_t TEXT_LINK_FLAGS = 0x1980A3;
constexpr int32_t SETTING_FONT_SIZE = 5;

const InputState* PointOf(const EngineEvent& event)
{
    return reinterpret_cast<const InputState*>(event.param2);
}

} // namespace

CRichTextView::CRichTextView() = default;

CRichTextView::~CRichTextView()
{
    // Links and embedded objects are registered children, not followers:
    // they go with the view. Runs go with the pool.
    for (const auto& [run, link] : m_links)
        DestroyOwned(link);
    for (RichTextRun* run = m_first; run != nullptr; run = run->next)
        DestroyOwned(run->ObjectId());
    // The selection canvas follows without owning; the caret follows it.
    for (const uint32_t id : { m_caret_canvas, m_select_canvas, m_vbar, m_hbar })
        DestroyOwned(id);
}

// Creation --------------------------------------------------------------------

int CRichTextView::Create(int32_t width, int32_t height, uint32_t flags, uint32_t owner_value)
{
    if (width <= 0 || height <= 0 || GetObjectModule() == nullptr || m_back_canvas != 0)
        return 0;
    m_view_width = width;
    m_view_height = height;
    m_owner_value = owner_value;
    SetSize(width, height);
    CCanvasObject* back = NewCanvasObject(width, height, BACK_KEY);
    CCanvasObject* text = NewCanvasObject(width, height, TEXT_KEY);
    if (back == nullptr || text == nullptr || back->GetCanvasWidth() == 0 || text->GetCanvasWidth() == 0)
        return 0;
    back->SetColourKey(BACK_KEY);
    back->SetSize(width, height);
    back->MoveTo(CGuiObject::GetX(), CGuiObject::GetY());
    back->SetZ(CGuiObject::GetZ());
    back->Show(true);
    back->Activate();
    text->SetSize(width, height);
    text->SetZ(back->GetZ() + 0.01);
    text->Show(true);
    text->Activate();
    back->AddFollower(text, TEXT_LINK_FLAGS);
    m_back_canvas = back->GetId();
    m_text_canvas = text->GetId();
    SetVisual(back, WIDGET_LINK_FLAGS);
    ApplyFlags(flags);
    Layout(width, height);
    for (const char* face : { "宋体", "黑体", "幼圆" })
        RegisterFont(face);
    SetFontSize(GetIntSetting(SETTING_FONT_SIZE));
    Clear();
    if ((flags & FLAG_CREATE_HOOK) != 0)
        OnCreateHook();
    return 1;
}

void CRichTextView::ApplyFlags(uint32_t flags)
{
    m_flags = flags;
    SetCatchInput(true);
    for (const uint32_t id : { VELOTRIX_EVENT_MOUSE_HOVER, VELOTRIX_EVENT_FOCUS_LOST, VELOTRIX_EVENT_WHEEL_UP,
                               VELOTRIX_EVENT_WHEEL_DOWN, VELOTRIX_EVENT_LBUTTON_DOWN, VELOTRIX_EVENT_LBUTTON_UP })
        AddSelfEventRoute(id);
    if ((flags & FLAG_SELECTABLE) != 0)
        MakeSelectable();
    if ((flags & FLAG_SCROLL_BAR) != 0) {
        CreateScrollBar();
        UpdateScrollBar();
    } else {
        DestroyScrollBars();
    }
}

CCanvasObject* CRichTextView::GetCanvas() const
{
    return m_text_canvas != 0 ? dynamic_cast<CCanvasObject*>(FindObject(m_text_canvas)) : nullptr;
}

CCanvasObject* CRichTextView::GetBackCanvas() const
{
    return m_back_canvas != 0 ? dynamic_cast<CCanvasObject*>(FindObject(m_back_canvas)) : nullptr;
}

double CRichTextView::GetTextDepth() const
{
    const CCanvasObject* text = GetCanvas();
    return (text != nullptr ? text->GetZ() : CGuiObject::GetZ()) + 0.01;
}

void CRichTextView::SetFontSize(int32_t size)
{
    if (size > 0)
        m_base.size = ClampSize(size);
}

void CRichTextView::SetLineSpacingPixels(int32_t pixels)
{
    m_line_spacing = -std::abs(double(pixels));
}

void CRichTextView::SetPadding(int32_t x, int32_t y)
{
    m_padding_x = x;
    m_padding_y = y;
    Layout(m_given_width, m_given_height);
}

void CRichTextView::EnableLinks(bool on)
{
    m_flags = on ? (m_flags | FLAG_LINKS) : (m_flags & ~FLAG_LINKS);
}

void CRichTextView::EnableUrlLoad(bool on)
{
    m_flags = on ? (m_flags | FLAG_URL_LOAD) : (m_flags & ~FLAG_URL_LOAD);
}

void CRichTextView::SetMaxLines(int32_t lines)
{
    m_max_lines = lines;
    TrimLines();
}

EngineRect CRichTextView::GetTextArea() const
{
    const CCanvasObject* text = GetCanvas();
    if (text == nullptr)
        return {};
    const auto left = static_cast<int32_t>(text->GetLeft());
    const auto top = static_cast<int32_t>(text->GetTop());
    return EngineRect { left, top, left + m_layout_width, top + m_layout_height };
}

void CRichTextView::UpdateClipRects()
{
    const EngineRect area = GetTextArea();
    if (CCanvasObject* text = GetCanvas(); text != nullptr)
        text->SetHitRect(area.left, area.top, area.right, area.bottom);
    for (const uint32_t id : m_placed) {
        if (CEngineObject* object = FindObject(id); object != nullptr)
            object->SetHitRect(area.left, area.top, area.right, area.bottom);
    }
}

void CRichTextView::MoveTo(double x, double y)
{
    CGuiObject::MoveTo(x, y);
    UpdateClipRects();
}

void CRichTextView::MoveBy(double dx, double dy)
{
    CGuiObject::MoveBy(dx, dy);
    UpdateClipRects();
}

void CRichTextView::ScaleSizeBy(double fx, double fy)
{
    CGuiObject::ScaleSizeBy(fx, fy);
    Layout(static_cast<int32_t>(m_given_width * fx), static_cast<int32_t>(m_given_height * fy));
}

void CRichTextView::SetDraggable(bool draggable)
{
    CGuiObject::SetDraggable(draggable);
    if (draggable)
        AddEventRoute(VELOTRIX_EVENT_MOUSE_MOVE, GetId(), VELOTRIX_EVENT_DRAG_MOVE, 0, 0);
}

// Events ----------------------------------------------------------------------

int CRichTextView::OnEvent(const EngineEvent& event)
{
    const InputState* point = PointOf(event);
    switch (event.id) {
    case VELOTRIX_EVENT_MOUSE_HOVER:
        if (point != nullptr)
            OnMouseMove(point->x, point->y);
        return 1;
    case VELOTRIX_EVENT_LBUTTON_DOWN:
        if (point != nullptr)
            OnMouseDown(point->x, point->y);
        return 1;
    case VELOTRIX_EVENT_LBUTTON_UP:
        if (point != nullptr)
            OnMouseUp(point->x, point->y);
        return 1;
    case VELOTRIX_EVENT_MOUSE_MOVE:
        if ((m_flags & FLAG_SELECTABLE) != 0 && point != nullptr) {
            OnDrag(point->x, point->y);
            return 1;
        }
        break;
    case VELOTRIX_EVENT_LBUTTON_DBLCLK:
        if (point != nullptr)
            OnDoubleClick(point->x, point->y);
        return 1;
    case VELOTRIX_EVENT_WHEEL_UP:
    case VELOTRIX_EVENT_SCROLL_UP:
    case VELOTRIX_EVENT_SCROLL_LEFT:
        ScrollLineUp();
        return 1;
    case VELOTRIX_EVENT_WHEEL_DOWN:
    case VELOTRIX_EVENT_SCROLL_DOWN:
    case VELOTRIX_EVENT_SCROLL_RIGHT:
        ScrollLineDown();
        return 1;
    case VELOTRIX_EVENT_KEY_DOWN:
        if (point != nullptr)
            OnKeyDown(point->last_key_down, point->key_flags);
        return 1;
    case VELOTRIX_EVENT_FOCUS_LOST:
        OnFocusLost();
        return 1;
    case VELOTRIX_EVENT_SCROLL_CHANGED:
        if (event.param1 != 0)
            ScrollTo(m_top_origin + static_cast<int32_t>(*reinterpret_cast<const double*>(event.param1)));
        return 0;
    case VELOTRIX_EVENT_SYSTEM_MESSAGE:
    case RICH_EVENT_APPEND_TEXT:
        AppendPostedText(event.param1);
        return 1;
    case RICH_EVENT_REDRAW:
        ApplyScroll(true);
        return 1;
    case RICH_EVENT_COPY:
        CopySelection();
        return 1;
    case RICH_EVENT_POINT_HOOK:
        OnPointHook(static_cast<int32_t>(event.param1), static_cast<int32_t>(event.param2));
        return 1;
    case RICH_EVENT_CLEAR:
        Clear();
        return 1;
    case RICH_EVENT_OPEN_URL_TEXT:
        OpenUrlTextAt(FindRun(reinterpret_cast<const RichTextRun*>(event.param1)));
        return 0;
    case RICH_EVENT_OPEN_URL:
        OpenClickTarget(static_cast<uint32_t>(event.param1));
        return 0;
    default:
        break;
    }
    return CGuiObject::OnEvent(event);
}

void CRichTextView::OpenClickTarget(uint32_t clicked_id)
{
    // The link or element is read now: a click posted before a Clear finds
    // nothing and opens nothing.
    CEngineObject* clicked = FindObject(clicked_id);
    if (const auto* link = dynamic_cast<const CRichTextLink*>(clicked); link != nullptr) {
        if (link->GetOwnerId() == GetId())
            OpenUrl(link->GetTarget());
    } else if (const auto* element = dynamic_cast<const CRichTextElement*>(clicked); element != nullptr) {
        if (element->GetOwnerId() == GetId())
            OpenUrl(element->GetCommand());
    }
}

void CRichTextView::OpenUrl(std::string_view url)
{
    if (!url.empty())
        (void)GetUrlOpener().OpenUrl(url);
}

void CRichTextView::AppendPostedText(uintptr_t payload)
{
    if (payload == 0)
        return;
    if (const std::vector<uint8_t>* bytes = PeekSystemPayload(payload); !bytes->empty())
        AppendMarkup(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    FreeSystemPayload(payload);
}

// Runs ------------------------------------------------------------------------

RichTextRun* CRichTextView::NewRun()
{
    void* memory = m_pool.Alloc(sizeof(RichTextRun));
    return memory != nullptr ? new (memory) RichTextRun {} : nullptr;
}

void CRichTextView::FreeRun(RichTextRun* run)
{
    // Nothing may keep pointing at a run that goes back to the pool.
    if (run == m_insert)
        m_insert = run->next;
    if (run == m_select_first || run == m_select_end)
        ClearSelection();
    if (run == m_line_first)
        m_line_first = nullptr;
    (void)m_pool.Free(run);
}

RichTextRun* CRichTextView::FindRun(const RichTextRun* wanted) const
{
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (run == wanted)
            return run;
    }
    return nullptr;
}

int32_t CRichTextView::IndexOfRun(const RichTextRun* wanted) const
{
    int32_t index = 0;
    for (const RichTextRun* run = m_first; run != nullptr && run != wanted; run = run->next)
        ++index;
    return index;
}

RichTextRun* CRichTextView::RunAt(int32_t index) const
{
    if (index < 0 || index >= m_run_count)
        return nullptr;
    RichTextRun* run = m_first;
    for (int32_t i = 0; i < index && run != nullptr; ++i)
        run = run->next;
    return run;
}

void CRichTextView::DestroyOwned(uint32_t id)
{
    if (id == 0)
        return;
    if (CEngineObject* object = FindObject(id); object != nullptr)
        DestroyObject(object, false);
}

void CRichTextView::DeleteObjectRun(RichTextRun* run)
{
    if (run == nullptr)
        return;
    if (run->IsObject()) {
        std::erase(m_placed, run->ObjectId());
        DestroyOwned(run->ObjectId());
    }
    if (const auto it = m_links.find(run); it != m_links.end()) {
        if (m_hovered_link == it->second)
            m_hovered_link = 0;
        DestroyOwned(it->second);
        m_links.erase(it);
    }
    FreeRun(run);
}

void CRichTextView::DeleteRuns(RichTextRun* first, RichTextRun* end)
{
    if (first == nullptr || first == end)
        end = first != nullptr ? first->next : nullptr;
    // The range must lie in this view with end after first.
    RichTextRun* before = nullptr;
    RichTextRun* run = m_first;
    for (; run != nullptr && run != first; run = run->next)
        before = run;
    if (run == nullptr)
        return;
    int32_t count = 0;
    for (run = first; run != nullptr && run != end; run = run->next)
        ++count;
    if (run != end)
        return;
    for (run = first; run != end;) {
        RichTextRun* next = run->next;
        DeleteObjectRun(run);
        run = next;
    }
    (before != nullptr ? before->next : m_first) = end;
    if (end == nullptr)
        m_last = before;
    m_run_count -= count;
    m_insert = end;
    RelayoutAll();
    NotifyScrollChanged();
}

void CRichTextView::DeleteRunAt(int32_t index)
{
    if (RichTextRun* run = RunAt(index); run != nullptr)
        DeleteRun(run);
}

void CRichTextView::RemoveObject(uint32_t object_id, bool destroy)
{
    for (RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if (run->IsObject() && run->ObjectId() == object_id) {
            if (!destroy) {
                std::erase(m_placed, object_id);
                run->content = 0; // The object stays; only its run goes.
            }
            DeleteRun(run);
            return;
        }
    }
}

void CRichTextView::HideRunAt(int32_t index)
{
    RichTextRun* run = RunAt(index);
    if (run == nullptr)
        return;
    run->flags |= RUN_HIDDEN;
    if (CEngineObject* object = run->IsObject() ? FindObject(run->ObjectId()) : nullptr; object != nullptr) {
        object->Deactivate();
        object->Invalidate();
    }
}

void CRichTextView::ShowRunAt(int32_t index)
{
    if (RichTextRun* run = RunAt(index); run != nullptr)
        run->flags &= ~RUN_HIDDEN;
}

void CRichTextView::ShowAllRuns()
{
    for (RichTextRun* run = m_first; run != nullptr; run = run->next)
        run->flags &= ~RUN_HIDDEN;
}

RichTextRun* CRichTextView::MakeObjectRun(CEngineObject* object)
{
    if (object == nullptr)
        return nullptr;
    RichTextRun* run = NewRun();
    if (run == nullptr)
        return nullptr;
    if ((CGuiObject::GetFlags() & VELOTRIX_OBJ_TOP_LAYER) != 0)
        object->RaiseToTopLayer();
    const EngineRect area = GetTextArea();
    object->SetHitRect(area.left, area.top, area.right, area.bottom);
    SetDepth(*object, GetTextDepth());
    object->Invalidate();
    run->flags = RUN_OBJECT;
    run->width = ClampSide(object->GetWidth());
    run->height = ClampSide(object->GetHeight());
    run->content = object->GetId();
    run->extra = 2 * m_char_spacing;
    return run;
}

uint16_t CRichTextView::ClampSide(double side)
{
    if (!(side > 0))
        return 0;
    return side >= 0xFFFF ? uint16_t { 0xFFFF } : static_cast<uint16_t>(side);
}

void CRichTextView::AppendRun(RichTextRun* run)
{
    if (run == nullptr)
        return;
    run->next = nullptr;
    if (m_batch_first == nullptr)
        m_batch_first = run;
    else
        m_batch_last->next = run;
    m_batch_last = run;
    ++m_batch_count;
}

void CRichTextView::ResetBatch()
{
    m_batch_first = nullptr;
    m_batch_last = nullptr;
    m_batch_count = 0;
}

void CRichTextView::EndLine()
{
    if (m_batch_count == 0)
        return;
    RichTextRun* first = m_batch_first;
    RichTextRun* last = m_batch_last;
    const int32_t count = m_batch_count;
    ResetBatch();
    if (m_insert == nullptr || m_first == nullptr) {
        (m_last != nullptr ? m_last->next : m_first) = first;
        const EndPoint end = LayoutLine(m_end_x, m_end_y, first, count);
        m_end_x = end.x;
        m_end_y = end.y;
        m_last = last;
        m_run_count += count;
        MeasureContent();
    } else {
        // Inside the text (editable views): the batch goes in before the
        // insertion point and everything is laid out again.
        RichTextRun* before = nullptr;
        for (RichTextRun* run = m_first; run != nullptr && run != m_insert; run = run->next)
            before = run;
        (before != nullptr ? before->next : m_first) = first;
        last->next = m_insert;
        m_run_count += count;
        RelayoutAll();
    }
    TrimLines();
}

void CRichTextView::AppendObject(CEngineObject* object)
{
    if (object == nullptr)
        return;
    if (object->GetWidth() > m_layout_width || object->GetHeight() > m_layout_height) {
        EngineEvent fit;
        SendEvent(*MakeEngineEvent(&fit, object->GetId(), RICH_EVENT_FIT, uintptr_t(m_layout_width),
                                   uintptr_t(m_layout_height)));
    }
    if ((m_flags & FLAG_EDITABLE) != 0)
        (void)DeleteSelection();
    else if (m_select_first != nullptr)
        m_insert = nullptr;
    ResetBatch();
    AppendRun(MakeObjectRun(object));
    EndLine();
    AutoScroll();
    NotifyScrollChanged();
}

void CRichTextView::Clear()
{
    ReleasePlacedObjects();
    for (const auto& [run, link] : m_links)
        DestroyOwned(link);
    m_links.clear();
    for (RichTextRun* run = m_first; run != nullptr; run = run->next)
        DestroyOwned(run->ObjectId());
    ClearSelection();
    m_pool.Reset();
    m_first = m_last = m_insert = m_line_first = nullptr;
    ResetBatch();
    m_end_x = m_end_y = m_carried_height = 0;
    m_top_origin = m_scroll_x = m_scroll_y = 0;
    m_content_height = m_content_width = 0;
    m_line_count = m_run_count = 0;
    m_hovered_link = 0;
    m_drawn_scroll = FAR_SCROLL;
    m_font_count = std::min<size_t>(m_font_count, 2);
    if (CCanvasObject* text = GetCanvas(); text != nullptr) {
        text->Clear();
        text->Invalidate();
    }
    UpdateScrollBar();
    if (IsCaretShown())
        PlaceCaret(nullptr);
}

std::string CRichTextView::CopyTextOf(const RichTextRun& run) const
{
    if (!run.IsObject()) {
        char bytes[2];
        return std::string(bytes, run.CopyBytes(bytes));
    }
    const auto* element = dynamic_cast<const CRichTextElement*>(FindObject(run.ObjectId()));
    return element != nullptr ? element->GetCopyText() : std::string();
}

CRichTextLink* CRichTextView::LinkOfRun(const RichTextRun* wanted) const
{
    if (wanted == nullptr || (wanted->flags & RUN_LINK_TEXT) == 0)
        return nullptr;
    const RichTextRun* start = nullptr;
    for (const RichTextRun* run = m_first; run != nullptr; run = run->next) {
        if ((run->flags & RUN_LINK_FIRST) != 0)
            start = run;
        if (run == wanted)
            break;
        if ((run->flags & RUN_LINK_LAST) != 0)
            start = nullptr;
    }
    const auto it = start != nullptr ? m_links.find(start) : m_links.end();
    return it != m_links.end() ? dynamic_cast<CRichTextLink*>(FindObject(it->second)) : nullptr;
}

const char* CRichTextView::GetFontEntry(size_t index) const
{
    return index < m_font_count ? m_fonts[index].data() : nullptr;
}

} // namespace engine
