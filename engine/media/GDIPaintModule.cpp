#include "engine/media/GDIPaintModule.h"

#include "engine/core/EngineLog.h"
#include "engine/core/FrameImage.h"
#include "engine/core/GameCore.h"
#include "engine/media/Blitter.h"
#include "engine/media/ResourceModule.h"

#include <algorithm>
#include <cstring>

namespace engine {

int GDIPaintModule::Load()
{
    const int result = PaintModule::Load();
    if (result)
        WriteRunLog("GDI PaintModule Load!");
    if (GameCore* core = GetManager())
        core->SetIntSetting(SETTING_GDI_PAINT, 1);
    return result;
}

void GDIPaintModule::Unload()
{
    m_background.clear();
    m_composition.clear();
    m_presentation.clear();
    m_converted.clear();
    m_has_surface = false;
    PaintModule::Unload();
}

int32_t GDIPaintModule::OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2)
{
    if (message_id == VELOTRIX_MSG_PAINT) {
        Present({});
        return 0;
    }
    return PaintModule::OnMessage(message_id, param1, param2);
}

void GDIPaintModule::SetSize(int32_t width, int32_t height)
{
    if (m_has_surface && width == GetWidth() && height == GetHeight())
        return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    SetViewSize(width, height);
    const size_t count = size_t(width) * size_t(height);
    m_background.assign(count, 0);
    m_composition.assign(count, 0);
    m_presentation.assign(count, 0);
    m_converted.assign(GetScreenDepth() == 32 ? 0 : count * size_t(GetScreenDepth() / 8), 0);
    m_has_surface = true;
}

void GDIPaintModule::SetScreenDepth(int32_t depth)
{
    SetScreenDepthValue(depth);
    const size_t count = size_t(GetWidth()) * size_t(GetHeight());
    m_converted.assign(depth == 32 || depth <= 0 ? 0 : count * size_t(depth / 8), 0);
}

void GDIPaintModule::ClampDirtyRect(EngineRect& rect, int32_t width, int32_t height)
{
    rect.left = std::max(rect.left, 0);
    rect.right = std::min(rect.right, width);
    rect.top = std::max(rect.top, 0);
    rect.bottom = std::min(rect.bottom, height);
    rect.left = std::min(rect.left, rect.right);
    rect.top = std::min(rect.top, rect.bottom);
}

void GDIPaintModule::CopyDirtyRect(EngineRect& rect, const std::vector<uint32_t>& source,
                                   std::vector<uint32_t>& target, int32_t width, int32_t height)
{
    ClampDirtyRect(rect, width, height);
    const size_t span = size_t(rect.right - rect.left);
    if (span == 0 || source.size() < size_t(width) * size_t(height) || target.size() < source.size())
        return;
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
        const size_t offset = size_t(y) * size_t(width) + size_t(rect.left);
        std::memcpy(target.data() + offset, source.data() + offset, span * 4);
    }
}

void GDIPaintModule::FlushDirty(std::unique_ptr<RenderRequest> request)
{
    if (!request)
        return;
    SetViewCentre(request->view_centre_x, request->view_centre_y);
    // Objects are drawn only within the bounds of the dirty rectangles: the
    // composition elsewhere is restored before it is ever shown.
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    m_dirty_bounds = BlitBox { width, height, 0, 0 };
    bool whole_view = false;
    for (EngineRect& rect : request->rects) {
        ClampDirtyRect(rect, width, height);
        if (rect.right > rect.left && rect.bottom > rect.top) {
            m_dirty_bounds.left = std::min(m_dirty_bounds.left, rect.left);
            m_dirty_bounds.top = std::min(m_dirty_bounds.top, rect.top);
            m_dirty_bounds.right = std::max(m_dirty_bounds.right, rect.right);
            m_dirty_bounds.bottom = std::max(m_dirty_bounds.bottom, rect.bottom);
        }
        whole_view = whole_view || (rect.left == 0 && rect.top == 0 && rect.right == width && rect.bottom == height);
    }
    // The background is restored under each rectangle, unless the first
    // object drawn (a table image, say) covers the rectangle whole.
    const RenderRecord* first = nullptr;
    for (const RenderRecord& record : request->records) {
        if (dynamic_cast<CFrameImage*>(record.picture)) {
            first = &record;
            break;
        }
    }
    for (EngineRect& rect : request->rects) {
        if (!first || !CoversRect(*first, rect))
            CopyDirtyRect(rect, m_background, m_composition, width, height);
    }
    for (const RenderRecord& record : request->records) {
        if (auto* picture = dynamic_cast<CFrameImage*>(record.picture))
            DrawObject(record, *picture);
    }
    // A pass over the whole view makes all of the composition the picture
    // to show; the old picture becomes the composition to draw over next.
    if (whole_view && m_composition.size() == m_presentation.size()) {
        m_composition.swap(m_presentation);
    } else {
        for (EngineRect& rect : request->rects)
            CopyDirtyRect(rect, m_composition, m_presentation, width, height);
    }
    ConvertToScreenDepth();
    // In place of invalidating the rectangles for the next window paint, the
    // surface is shown at once; the pixels are the same.
    if (!request->rects.empty())
        Present(request->rects);
}

bool GDIPaintModule::CoversRect(const RenderRecord& record, const EngineRect& rect)
{
    auto* picture = dynamic_cast<CFrameImage*>(record.picture);
    if (!picture || !m_has_surface)
        return false;
    if (const ImageRef& ref = picture->GetInfo(); !ref.record || ref.id != ref.record->id) {
        if (RefreshImage(*picture) != 1)
            return false;
    }
    const ImageRef& ref = picture->GetInfo();
    if (!ref.record)
        return false;
    const BlitSurface surface { m_composition.data(), GetWidth(), GetHeight(), &m_dirty_bounds };
    const int64_t source_y = int64_t(ref.source_y) + int64_t(ref.frame) * ref.record->height;
    return source_y <= INT32_MAX
        && BlitCoversBox(surface, ToDrawParams(record.state), *ref.record, ref.source_x, int32_t(source_y), ref.width,
                         ref.height, record.state.alpha, BlitBox { rect.left, rect.top, rect.right, rect.bottom });
}

void GDIPaintModule::DrawObject(const RenderRecord& record, CFrameImage& picture)
{
    const ImageRef& ref = picture.GetInfo();
    if (!ref.record || ref.id != ref.record->id) {
        if (RefreshImage(picture) != 1)
            return;
    }
    DrawObjectImage(record, picture.GetInfo());
}

void GDIPaintModule::DrawObjectImage(const RenderRecord& record, const ImageRef& ref)
{
    if (!ref.record || !m_has_surface)
        return;
    DrawParams params = ToDrawParams(record.state);
    const BlitSurface surface { m_composition.data(), GetWidth(), GetHeight(), &m_dirty_bounds };
    const int64_t source_y = int64_t(ref.source_y) + int64_t(ref.frame) * ref.record->height;
    if (source_y > INT32_MAX)
        return;
    BlitImage(surface, params, *ref.record, ref.source_x, int32_t(source_y), ref.width, ref.height, record.state.alpha,
              ref.tint);
}

int GDIPaintModule::LoadImageByKey(const NameKey& key)
{
    ResourceModule* resources = GetResources();
    if (!resources || !resources->Exists(key))
        return 0;
    const ResourceRecord* resource = resources->ReadData(key);
    if (!resource)
        return 0;
    ImageRecord decoded;
    const int result = DecodeImage(resource->Bytes(), resource->type, decoded);
    // The bytes are dropped once decoded, unless they are the only copy (a
    // resource held in memory): those must stay to be decoded again.
    resources->ReleaseData(key);
    if (result != 1)
        return 0;
    decoded.id = 0;
    decoded.frames_per_row = 1;
    AddImage(key, std::move(decoded));
    return 1;
}

void GDIPaintModule::DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height, double angle)
{
    if (!ref.record || !m_has_surface)
        return;
    DrawParams params;
    params.angle = angle;
    params.centre_x = x + width / 2;
    params.centre_y = y + height / 2;
    params.width = width;
    params.height = height;
    const BlitSurface surface { m_background.data(), GetWidth(), GetHeight() };
    const int64_t source_y = int64_t(ref.source_y) + int64_t(ref.frame) * ref.record->height;
    if (source_y > INT32_MAX)
        return;
    BlitImage(surface, params, *ref.record, ref.source_x, int32_t(source_y), ref.width, ref.height, 1.0, ref.tint);
}

void GDIPaintModule::Clear(uint32_t colour)
{
    const uint32_t pixel = 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    std::fill(m_background.begin(), m_background.end(), pixel);
}

SurfaceInfo GDIPaintModule::GetSurfaceInfo()
{
    return SurfaceInfo { m_background.empty() ? nullptr : m_background.data(), GetWidth(), GetHeight(),
                         GetScreenDepth(), SURFACE_COLOUR_KEY };
}

void GDIPaintModule::ConvertToScreenDepth()
{
    const int32_t depth = GetScreenDepth();
    if (depth == 32)
        return;
    const size_t count = m_presentation.size();
    if (depth == 24 && m_converted.size() == count * 3) {
        for (size_t i = 0; i < count; ++i) {
            m_converted[i * 3] = uint8_t(m_presentation[i]);
            m_converted[i * 3 + 1] = uint8_t(m_presentation[i] >> 8);
            m_converted[i * 3 + 2] = uint8_t(m_presentation[i] >> 16);
        }
        return;
    }
    if (depth == 16 && m_converted.size() == count * 2) {
        for (size_t i = 0; i < count; ++i) {
            const uint16_t value = To16(m_presentation[i]);
            m_converted[i * 2] = uint8_t(value);
            m_converted[i * 2 + 1] = uint8_t(value >> 8);
        }
        return;
    }
    SendMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_BAD_SCREEN_DEPTH, 0, 0);
}

bool GDIPaintModule::Present(std::span<const EngineRect> changed)
{
    if (!m_present_target || !m_has_surface || GetWidth() <= 0 || GetHeight() <= 0)
        return false;
    ++m_present_count;
    return m_present_target->Present(reinterpret_cast<const uint8_t*>(m_presentation.data()), GetWidth(),
                                     GetHeight(), GetWidth() * 4, changed);
}

} // namespace engine
