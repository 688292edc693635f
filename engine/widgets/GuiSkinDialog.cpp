#include "engine/widgets/GuiSkinDialog.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/FrameImage.h"
#include "engine/widgets/WidgetSupport.h"

namespace engine {

namespace {

constexpr double CHILD_Z_STEP = 0.01;
constexpr int32_t BACK_START_SIDE = 100;

// Whether the skin's pixel at (x, y) (record coordinates) is transparent.
class CSkinAlpha {
public:
    explicit CSkinAlpha(const ImageRef& skin) : m_x(skin.source_x), m_y(skin.source_y) { m_image.SetInfo(skin); }
    [[nodiscard]] bool IsClear(int32_t x, int32_t y) const { return m_image.GetAlphaAt(x - m_x, y - m_y) == 0; }

private:
    CFrameImage m_image;
    int32_t m_x;
    int32_t m_y;
};

} // namespace

void CGuiSkinDialog::Create(const ImageRef& skin, uint32_t colour, int32_t width, int32_t height)
{
    m_centre_colour = colour;
    Build(skin, width, height);
}

void CGuiSkinDialog::CreateWithBackground(const ImageRef& skin, const ImageRef& background, int32_t width,
                                          int32_t height)
{
    m_background = background;
    Build(skin, width, height);
}

void CGuiSkinDialog::Build(const ImageRef& skin, int32_t width, int32_t height)
{
    FindSlices(skin);
    LayoutSlices(width, height);
    m_back = NewCanvasObject(BACK_START_SIDE, BACK_START_SIDE, WIDGET_COLOUR_KEY);
    // A canvas needs pixels before it can be resized: the title's starts at 1 x 1.
    m_title_canvas = NewCanvasObject(1, 1, WIDGET_COLOUR_KEY);
    if (m_back == nullptr || m_title_canvas == nullptr)
        return;
    m_back->RaiseToTopLayer();
    m_title_canvas->RaiseToTopLayer();
    ApplyLayout();
    m_title_canvas->SetZ(m_back->GetZ() + CHILD_Z_STEP);
    m_back->AddFollower(m_title_canvas, WIDGET_LINK_FLAGS);
    SetVisual(m_back, WIDGET_LINK_FLAGS);
}

void CGuiSkinDialog::FindSlices(const ImageRef& skin)
{
    m_skin = skin;
    const CSkinAlpha alpha(skin);
    const int32_t x = skin.source_x;
    const int32_t y = skin.source_y;
    const int32_t right = x + skin.width;
    const int32_t mx = x + skin.width / 2;

    // Transparent rows above and below the frame are no part of it.
    int32_t top = y;
    int32_t bottom = y + skin.height;
    while (top < bottom && alpha.IsClear(mx, top))
        ++top;
    while (bottom - 1 > top && alpha.IsClear(mx, bottom - 1))
        --bottom;

    // The first transparent pixel down the middle column is the middle row.
    int32_t my = top;
    while (my < bottom && !alpha.IsClear(mx, my))
        ++my;
    if (my >= bottom)
        my = y + skin.height / 2;

    // The centre slice grows from (mx, my) over the transparent pixels.
    EngineRect centre { mx, my, mx, my };
    if (alpha.IsClear(mx, my)) {
        while (centre.left - 1 >= x && alpha.IsClear(centre.left - 1, my))
            --centre.left;
        while (centre.right < right && alpha.IsClear(centre.right, my))
            ++centre.right;
        while (centre.top - 1 >= top && alpha.IsClear(mx, centre.top - 1))
            --centre.top;
        while (centre.bottom < bottom && alpha.IsClear(mx, centre.bottom))
            ++centre.bottom;
    }

    const int32_t cl = centre.left;
    const int32_t ct = centre.top;
    const int32_t cr = centre.right;
    const int32_t cb = centre.bottom;
    m_source = { EngineRect { x, top, right, bottom },
                 EngineRect { x, top, cl, ct },
                 EngineRect { cl, top, cr, ct },
                 EngineRect { cr, top, right, ct },
                 EngineRect { x, ct, cl, cb },
                 EngineRect { cl, ct, cr, cb },
                 EngineRect { cr, ct, right, cb },
                 EngineRect { x, cb, cl, bottom },
                 EngineRect { cl, cb, cr, bottom },
                 EngineRect { cr, cb, right, bottom } };
    if (m_back != nullptr) {
        const EngineRect& client = m_destination[SLICE_CENTRE];
        LayoutSlices(client.Width(), client.Height());
    }
}

void CGuiSkinDialog::LayoutSlices(int32_t width, int32_t height)
{
    const int32_t lw = m_source[SLICE_TOP_LEFT].Width();
    const int32_t rw = m_source[SLICE_TOP_RIGHT].Width();
    const int32_t th = m_source[SLICE_TOP_LEFT].Height();
    const int32_t bh = m_source[SLICE_BOTTOM_LEFT].Height();
    const int32_t w = width + lw + rw;
    const int32_t h = height + th + bh;
    m_destination = { EngineRect { 0, 0, w, h },
                      EngineRect { 0, 0, lw, th },
                      EngineRect { lw, 0, w - rw, th },
                      EngineRect { w - rw, 0, w, th },
                      EngineRect { 0, th, lw, h - bh },
                      EngineRect { lw, th, w - rw, h - bh },
                      EngineRect { w - rw, th, w, h - bh },
                      EngineRect { 0, h - bh, lw, h },
                      EngineRect { lw, h - bh, w - rw, h },
                      EngineRect { w - rw, h - bh, w, h } };
    ApplyLayout();
}

void CGuiSkinDialog::PlaceOver(CEngineObject& object, const EngineRect& rect) const
{
    object.MoveTo(m_back->GetLeft() + rect.left + rect.Width() / 2.0, m_back->GetTop() + rect.top + rect.Height() / 2.0);
}

void CGuiSkinDialog::PlaceClient(CEngineObject& client)
{
    const EngineRect& area = m_destination[SLICE_CENTRE];
    client.SetSize(area.Width(), area.Height());
    PlaceOver(client, area);
    client.Invalidate();
}

void CGuiSkinDialog::ApplyLayout()
{
    if (m_back == nullptr || m_title_canvas == nullptr)
        return;
    const EngineRect& bounds = m_destination[0];
    const EngineRect& top = m_destination[SLICE_TOP];
    // The back canvas keeps its centre while it changes size.
    m_back->Resize(bounds.Width(), bounds.Height());
    m_back->SetSize(bounds.Width(), bounds.Height());
    m_title_canvas->Resize(top.Width(), top.Height());
    m_title_canvas->SetSize(top.Width(), top.Height());
    if (CEngineObject* client = ClientObject())
        PlaceClient(*client);
    DrawTitle();
    PlaceOver(*m_title_canvas, top);

    m_back->Clear();
    for (size_t i = 1; i < SLICE_COUNT; ++i) {
        const EngineRect& from = m_source[i];
        const EngineRect& to = m_destination[i];
        if (i == SLICE_CENTRE || from.IsEmpty() || to.IsEmpty())
            continue;
        ImageRef slice = m_skin;
        slice.source_x = from.left;
        slice.source_y = from.top;
        slice.width = from.Width();
        slice.height = from.Height();
        m_back->DrawImage(slice, to.left, to.top, to.Width(), to.Height(), 0.0, 1.0);
    }
    const EngineRect& client = m_destination[SLICE_CENTRE];
    if (m_background.record == nullptr) {
        const uint32_t kept = m_back->GetBackgroundColour();
        m_back->SetBackgroundColour(m_centre_colour);
        m_back->FillRect(client.left, client.top, client.right, client.bottom);
        m_back->SetBackgroundColour(kept);
    } else if (!client.IsEmpty()) {
        m_back->DrawImage(m_background, client.left, client.top, client.Width(), client.Height(), 0.0, 1.0);
    }
    m_back->Invalidate();
}

void CGuiSkinDialog::SetTitle(std::string_view text)
{
    m_title = text;
    DrawTitle();
}

void CGuiSkinDialog::DrawTitle()
{
    if (m_title_canvas == nullptr)
        return;
    m_title_canvas->Clear();
    m_title_canvas->SetFont(TITLE_SIZE, 400, WIDGET_FACE);
    m_title_canvas->DrawText(TITLE_X, TITLE_Y, m_title);
    m_title_canvas->Invalidate();
}

EngineRect& CGuiSkinDialog::GetClientRect(EngineRect& rect) const
{
    rect = m_destination[SLICE_CENTRE];
    return rect;
}

CEngineObject* CGuiSkinDialog::ClientObject() const
{
    return m_client_id != 0 ? FindObject(m_client_id) : nullptr;
}

void CGuiSkinDialog::AttachAbove(CEngineObject& object)
{
    object.SetZ(m_back->GetZ() + CHILD_Z_STEP);
    if (IsActive())
        object.Activate();
    m_back->AddFollower(&object, WIDGET_LINK_FLAGS);
}

CEngineObject* CGuiSkinDialog::GetClientCanvas()
{
    if (CEngineObject* client = ClientObject())
        return client;
    if (m_back == nullptr)
        return nullptr;
    const EngineRect& area = m_destination[SLICE_CENTRE];
    CCanvasObject* canvas = NewCanvasObject(area.Width(), area.Height(), WIDGET_COLOUR_KEY);
    if (canvas == nullptr)
        return nullptr;
    canvas->RaiseToTopLayer();
    PlaceOver(*canvas, area);
    AttachAbove(*canvas);
    m_client_id = canvas->GetId();
    return canvas;
}

void CGuiSkinDialog::SetClientObject(CEngineObject* object)
{
    if (CEngineObject* previous = ClientObject(); previous != nullptr && previous != object)
        DestroyObject(previous, false);
    m_client_id = 0;
    if (object == nullptr || m_back == nullptr)
        return;
    m_client_id = object->GetId();
    AttachAbove(*object);
    PlaceClient(*object);
}

} // namespace engine
