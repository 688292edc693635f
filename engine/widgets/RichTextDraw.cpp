// CRichTextView: the background, the deferred redraw, drawing the visible
// runs (with the pixel cache) and placing embedded objects.
#include <algorithm>
#include <cstring>

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/RichTextView.h"

namespace engine {

namespace {

constexpr uint32_t PLACED_LINK_FLAGS = 0x1980A3;
constexpr uint32_t REDRAW_WAIT_FRAMES = 5;
constexpr int32_t WEIGHT_NORMAL = 400;
constexpr int32_t WEIGHT_BOLD = 700;
constexpr int32_t DEFAULT_BAR_SIDE = 16; ///< across a bar whose skin image is missing
constexpr uint32_t BAR_LINK_FLAGS = 0x190A3;

} // namespace

// Background ------------------------------------------------------------------

void CRichTextView::RedrawBackground()
{
    CCanvasObject* back = GetBackCanvas();
    if (back == nullptr)
        return;
    back->Clear();
    if ((m_flags & FLAG_BACK_IMAGE) != 0 && !m_back_image.empty()) {
        ImageRef image;
        GetImage(image, m_back_image, 0);
        if (image.IsValid())
            back->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
    }
    back->Invalidate();
}

void CRichTextView::ResizeView(int32_t width, int32_t height)
{
    CCanvasObject* back = GetBackCanvas();
    if (back == nullptr || width <= 0 || height <= 0)
        return;
    back->Resize(width, height);
    back->SetSize(back->GetCanvasWidth(), back->GetCanvasHeight());
    RedrawBackground();
}

void CRichTextView::SetBackColor(uint32_t colour)
{
    m_flags = (m_flags | FLAG_BACK_COLOUR) & ~FLAG_BACK_IMAGE;
    if (CCanvasObject* back = GetBackCanvas(); back != nullptr)
        back->SetBackgroundColour(colour);
    RedrawBackground();
}

void CRichTextView::SetBackImage(std::string_view name)
{
    if (CCanvasObject* back = GetBackCanvas(); back != nullptr)
        back->SetBackgroundColour(COLOUR_NONE);
    m_flags = (m_flags | FLAG_BACK_IMAGE) & ~FLAG_BACK_COLOUR;
    m_back_image = name;
    RedrawBackground();
}

void CRichTextView::DrawOnBackground(const ImageRef& image, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (CCanvasObject* back = GetBackCanvas(); back != nullptr)
        back->DrawImage(image, x, y, width, height, 0.0, 1.0);
}

// Redrawing -------------------------------------------------------------------

void CRichTextView::NotifyScrollChanged()
{
    if ((m_flags & FLAG_REDRAW_NOW) != 0) {
        ApplyScroll(true);
        return;
    }
    if (m_redraw_pending)
        return;
    m_redraw_pending = true;
    EngineEvent done;
    MakeEngineEvent(&done, GetId(), RICH_EVENT_REDRAW, 0, 0);
    // Without an action runner the wait cannot run: the redraw is posted.
    if (AddWaitFramesAction(REDRAW_WAIT_FRAMES, &done) == 0)
        PostEvent(done);
}

void CRichTextView::ReleasePlacedObjects()
{
    CCanvasObject* text = GetCanvas();
    for (const uint32_t id : m_placed) {
        CEngineObject* object = FindObject(id);
        if (object == nullptr)
            continue;
        object->Deactivate();
        object->Invalidate();
        if (text != nullptr)
            text->RemoveFollower(id);
    }
    m_placed.clear();
}

void CRichTextView::ApplyScroll(bool reuse)
{
    m_redraw_pending = false;
    CCanvasObject* text = GetCanvas();
    if (text == nullptr)
        return;
    if ((m_flags & FLAG_EDITABLE) != 0)
        reuse = false;
    if (IsCaretShown())
        PlaceCaret(m_insert);
    const int64_t moved = int64_t(m_scroll_y) - m_drawn_scroll;
    reuse = reuse && moved < m_layout_height && moved > -int64_t(m_layout_height);
    const std::span<uint8_t> pixels = text->GetPixels();
    const size_t canvas_pixels = size_t(text->GetCanvasWidth()) * size_t(text->GetCanvasHeight());
    reuse = reuse && m_cache.size() == canvas_pixels && pixels.size() == canvas_pixels * 4;
    if (reuse)
        std::memcpy(m_cache.data(), pixels.data(), pixels.size());
    text->Clear();
    ReleasePlacedObjects();
    const int32_t bottom = m_scroll_y + m_layout_height;
    const RichTextRun* last_drawn = nullptr;
    for (RichTextRun* run = RunAtY(m_scroll_y); run != nullptr && run->y < bottom; run = run->next) {
        if (run->Right() + run->extra <= m_scroll_x || run->x >= m_scroll_x + m_layout_width)
            continue;
        DrawRun(*run, reuse);
        last_drawn = run;
    }
    if (last_drawn != nullptr) {
        m_extent_x = last_drawn->x;
        m_extent_y = last_drawn->y;
    }
    m_damaged_top = FAR_SCROLL;
    Invalidate();
    text->Invalidate();
    m_drawn_scroll = m_scroll_y;
    if (m_select_first != nullptr)
        SelectRange(m_select_first, m_select_end);
    UpdateScrollBar();
}

bool CRichTextView::CopyFromCache(const RichTextRun& run)
{
    // Only a run that did not move and lay inside the last drawing's rows,
    // and lies inside the current rows, is copied; the copy is clipped to
    // the canvas, so an over-wide run cannot write past it.
    if (run.y > m_extent_y || (run.y == m_extent_y && run.x > m_extent_x) || run.line_top >= m_damaged_top)
        return false;
    if (run.y < m_drawn_scroll || run.Bottom() > m_drawn_scroll + m_layout_height || run.y < m_scroll_y
        || run.Bottom() > m_scroll_y + m_layout_height)
        return false;
    CCanvasObject* text = GetCanvas();
    const int32_t width = text->GetCanvasWidth();
    const int32_t height = text->GetCanvasHeight();
    const int32_t left = std::max(0, run.x - m_scroll_x);
    const int32_t right = std::min(width, run.x - m_scroll_x + run.width);
    if (right <= left)
        return true;
    auto* target = reinterpret_cast<uint32_t*>(text->GetPixels().data());
    for (int32_t row = 0; row < run.height; ++row) {
        const int32_t from = run.y - m_drawn_scroll + row;
        const int32_t to = run.y - m_scroll_y + row;
        if (from < 0 || from >= height || to < 0 || to >= height)
            continue;
        std::memcpy(target + size_t(to) * width + left, m_cache.data() + size_t(from) * width + left,
                    size_t(right - left) * 4);
    }
    return true;
}

void CRichTextView::DrawRun(RichTextRun& run, bool reuse)
{
    if ((run.flags & (RUN_HIDDEN | RUN_NEVER_DRAWN)) != 0)
        return;
    CCanvasObject* text = GetCanvas();
    if (run.IsObject()) {
        CEngineObject* object = FindObject(run.ObjectId());
        if (object == nullptr)
            return;
        const EngineRect area = GetTextArea();
        object->SetHitRect(area.left, area.top, area.right, area.bottom);
        if (IsActive())
            object->Activate();
        SetDepth(*object, text->GetZ() + 0.001);
        object->MoveTo(text->GetLeft() + run.x - m_scroll_x + run.width / 2.0,
                       text->GetTop() + run.y - m_scroll_y + run.height / 2.0);
        object->Invalidate();
        text->AddFollower(object, PLACED_LINK_FLAGS);
        m_placed.push_back(object->GetId());
        return;
    }
    if ((run.flags & RUN_LINE_BREAK) != 0)
        return;
    if (reuse && CopyFromCache(run))
        return;
    CanvasTextStyle style = text->GetTextStyle();
    style.italic = (run.flags & RUN_ITALIC) != 0;
    style.underline = (run.flags & RUN_UNDERLINE) != 0;
    text->SetTextStyle(style);
    text->SetFont(run.height, (run.flags & RUN_BOLD) != 0 ? WEIGHT_BOLD : WEIGHT_NORMAL,
                  run.face != nullptr ? std::string_view(run.face) : std::string_view(""));
    text->SetTextColour(run.colour, 255);
    char bytes[2];
    const size_t count = run.CopyBytes(bytes);
    const std::string_view shown = (m_flags & FLAG_PASSWORD) != 0 ? std::string_view("**", count)
                                                                   : std::string_view(bytes, count);
    text->DrawText(run.x - m_scroll_x, run.y - m_scroll_y, shown);
}

// Scroll bars -----------------------------------------------------------------

CGuiScrollBar* CRichTextView::FindBar(uint32_t id) const
{
    return id != 0 ? dynamic_cast<CGuiScrollBar*>(FindObject(id)) : nullptr;
}

void CRichTextView::CreateScrollBar()
{
    const bool horizontal = (m_flags & FLAG_HORIZONTAL) != 0;
    if ((horizontal && m_hbar != 0) || (!horizontal && m_vbar != 0))
        return;
    CCanvasObject* back = GetBackCanvas();
    if (back == nullptr)
        return;
    // The skin's track gives the bar its thickness.
    ImageRef track;
    GetImage(track,
             GetStringSetting(horizontal ? CGuiScrollBar::SETTING_HORIZONTAL_PARTS : CGuiScrollBar::SETTING_VERTICAL_PARTS),
             0);
    const int32_t across = track.IsValid() ? (horizontal ? track.height : track.width) : DEFAULT_BAR_SIDE;
    auto* bar = dynamic_cast<CGuiScrollBar*>(RegisterObject(std::make_unique<CGuiScrollBar>()));
    if (bar == nullptr)
        return;
    bar->Create(GetId(), horizontal ? 100 : across, horizontal ? across : 100,
                horizontal ? CGuiScrollBar::Orientation::Horizontal : CGuiScrollBar::Orientation::Vertical, 0);
    back->AddFollower(bar, BAR_LINK_FLAGS);
    bar->UseSkinParts();
    (horizontal ? m_hbar : m_vbar) = bar->GetId();
    bar->Show(false);
    bar->Deactivate();
}

void CRichTextView::DestroyScrollBars()
{
    DestroyOwned(m_vbar);
    DestroyOwned(m_hbar);
    m_vbar = m_hbar = 0;
    m_vbar_shown = m_hbar_shown = false;
}

void CRichTextView::PlaceScrollBars(int32_t& width, int32_t& height)
{
    const double left = CGuiObject::GetLeft();
    const double top = CGuiObject::GetTop();
    if (CGuiScrollBar* bar = FindBar(m_vbar); bar != nullptr && m_vbar_shown) {
        const auto across = static_cast<int32_t>(bar->GetWidth());
        width -= across;
        bar->SetSize(across, height);
        bar->MoveTo(left + width + across / 2.0, top + height / 2.0);
    }
    if (CGuiScrollBar* bar = FindBar(m_hbar); bar != nullptr && m_hbar_shown) {
        const auto across = static_cast<int32_t>(bar->GetHeight());
        height -= across;
        bar->SetSize(width, across);
        bar->MoveTo(left + width / 2.0, top + height + across / 2.0);
    }
}

void CRichTextView::ShowBar(uint32_t id, bool& shown, bool show)
{
    CGuiScrollBar* bar = FindBar(id);
    if (bar == nullptr || shown == show)
        return;
    shown = show;
    if (show) {
        if (const CCanvasObject* back = GetBackCanvas(); back != nullptr)
            bar->SetZ(back->GetZ() + 0.2);
        bar->Show(true);
        bar->Activate();
    } else {
        bar->Show(false);
        bar->Deactivate();
    }
    bar->Invalidate();
    Layout(m_given_width, m_given_height);
}

void CRichTextView::UpdateScrollBar()
{
    if ((m_flags & FLAG_SCROLL_BAR) == 0)
        return;
    const CCanvasObject* text = GetCanvas();
    const double step = text != nullptr ? text->GetTextStyle().font_height : 0;
    if ((m_flags & FLAG_HORIZONTAL) == 0) {
        const bool overflows = m_content_height > m_layout_height;
        ShowBar(m_vbar, m_vbar_shown, overflows);
        if (CGuiScrollBar* bar = FindBar(m_vbar); bar != nullptr)
            bar->SetPosition(m_scroll_y - m_top_origin, overflows ? m_layout_height : m_content_height,
                             m_content_height, step);
    } else {
        const bool overflows = m_content_width > m_layout_width;
        ShowBar(m_hbar, m_hbar_shown, overflows);
        if (CGuiScrollBar* bar = FindBar(m_hbar); bar != nullptr)
            bar->SetPosition(m_scroll_x, overflows ? m_layout_width : m_content_width, m_content_width, step);
    }
}

} // namespace engine
