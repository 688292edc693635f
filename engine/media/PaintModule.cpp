#include "engine/media/PaintModule.h"

#include "engine/core/FrameImage.h"
#include "engine/core/GameCore.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceCategory.h"
#include "engine/media/ResourceModule.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace engine {

namespace {

std::string WithImageCategory(std::string_view name)
{
    std::string suffixed(name);
    suffixed += CATEGORY_IMAGE;
    return suffixed;
}

// Truncation toward zero that stays defined for any double (NaN gives 0).
int32_t Truncate(double value)
{
    if (std::isnan(value))
        return 0;
    return int32_t(std::clamp(value, double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

PaintModule::PaintModule() : m_decoder(CreateSdlImageDecoder()) { }

PaintModule::~PaintModule() = default;

ResourceModule* PaintModule::GetResources() const
{
    return dynamic_cast<ResourceModule*>(GetModule(VELOTRIX_MODULE_RESOURCE));
}

int PaintModule::Load()
{
    m_screen_depth = 32;
    ResourceModule* resources = GetResources();
    if (!resources)
        return 0;
    resources->SetReleaseListener([this](const NameKey& key) { ReleaseImageKey(key); });
    return 1;
}

void PaintModule::Unload()
{
    // The resource module may have gone first (modules unload in load order).
    if (ResourceModule* resources = GetResources())
        resources->SetReleaseListener({});
    m_cache.clear();
    m_retired.clear();
}

void PaintModule::Update()
{
    DispatchQueued();
    const uint32_t now = GetLastUpdate();
    const uint32_t dt = now - m_last_fps_time;
    ++m_fps_frames;
    const double rate = dt == 0 ? 999.99 : 1000.0 / dt;
    if (m_fps_frames >= 100)
        m_fps_sum -= m_fps_sum / 100;
    m_fps_sum += rate;
    m_last_fps_time = now;
}

double PaintModule::GetFps() const
{
    if (m_fps_frames == 0)
        return 0.0;
    return m_fps_frames < 100 ? m_fps_sum / m_fps_frames : m_fps_sum / 100;
}

int32_t PaintModule::OnMessage(int32_t message_id, uintptr_t param1, uintptr_t)
{
    switch (message_id) {
    case VELOTRIX_MSG_RENDER:
        FlushDirty(TakeRenderRequest(param1));
        break;
    case VELOTRIX_MSG_FREE_IMAGE:
        // The sender (a canvas) owns the record and frees its buffers itself;
        // this module keeps nothing for it.
        break;
    default:
        break;
    }
    return 0;
}

ImageRecord* PaintModule::FindCached(const NameKey& key) const
{
    const auto it = m_cache.find(key);
    return it == m_cache.end() ? nullptr : it->second.get();
}

void PaintModule::LoadImageByName(ImageRef& ref, std::string_view name, uint32_t frame)
{
    const std::string suffixed = WithImageCategory(name);
    ImageRecord* record = FindImage(suffixed);
    ref = ImageRef {};
    if (!record)
        return;
    ref.id = record->id;
    ref.record = record;
    ref.width = record->width;
    ref.height = record->height;
    ref.frame = record->frames > 0 ? frame % record->frames : 0;
    ref.tint = COLOUR_NONE;
    ref.key = MakeNameKey(suffixed);
}

ImageRecord* PaintModule::FindImage(std::string_view name_with_category)
{
    const NameKey key = MakeNameKey(name_with_category);
    if (ImageRecord* record = FindCached(key))
        return record;
    if (LoadImageByKey(key) != 1)
        return nullptr;
    return FindCached(key);
}

int PaintModule::LoadImage(std::string_view name) { return LoadImageByKey(MakeNameKey(name)); }

std::unique_ptr<ImageRecord> PaintModule::TakeRecord()
{
    if (m_retired.empty())
        return std::make_unique<ImageRecord>();
    std::unique_ptr<ImageRecord> record = std::move(m_retired.back());
    m_retired.pop_back();
    return record;
}

bool PaintModule::AddImage(const NameKey& key, ImageRecord&& record)
{
    if (m_cache.contains(key))
        return false;
    std::unique_ptr<ImageRecord> pooled = TakeRecord();
    *pooled = std::move(record);
    pooled->id = ++m_last_image_id;
    pooled->last_use = GetLastUpdate();
    m_cache.emplace(key, std::move(pooled));
    return true;
}

bool PaintModule::AddImageCopy(const ImageRef& ref, std::string_view name)
{
    if (!ref.record)
        return false;
    ImageRecord copy;
    CopyImageRecord(ref.record, &copy, true);
    return AddImage(MakeNameKey(WithImageCategory(name)), std::move(copy));
}

int PaintModule::SaveAsPps(const ImageRef& ref, const std::string& path)
{
    if (!ref.IsValid())
        return 0;
    const std::vector<uint8_t> encoded = EncodePps(*ref.record, nullptr, PPS_METHOD_BEST);
    return !encoded.empty() && SavePps(encoded, path) == 1 ? 1 : 0;
}

bool PaintModule::DecodeImageBytes(std::span<const uint8_t> bytes, std::string_view extension, ImageRecord& out)
{
    return DecodeImage(bytes, StringHash(extension), out) != 0;
}

void PaintModule::ReleaseImage(std::string_view name) { ReleaseImageKey(MakeNameKey(WithImageCategory(name))); }

void PaintModule::ReleaseImageKey(const NameKey& key)
{
    const auto it = m_cache.find(key);
    if (it == m_cache.end())
        return;
    FreeImageRecordData(it->second.get());
    m_retired.push_back(std::move(it->second));
    m_cache.erase(it);
}

int PaintModule::RefreshImage(CFrameImage& picture)
{
    const uint32_t id = picture.GetImageId();
    if (id == IMAGE_ID_NONE || id == IMAGE_ID_CANVAS)
        return 0;
    const uint32_t now = GetLastUpdate();
    if (now - picture.GetLastRefresh() < REFRESH_INTERVAL_MS)
        return 0;
    picture.SetLastRefresh(now);
    const NameKey key = picture.GetNameKey();
    ImageRecord* record = FindCached(key);
    if (!record && LoadImageByKey(key) == 1)
        record = FindCached(key);
    if (!record)
        return 0;
    // The picture takes the new record and its id, so that it matches from
    // now on and is drawn every frame again.
    ImageRef ref = picture.GetInfo();
    ref.id = record->id;
    ref.record = record;
    ref.frame = record->frames > 0 ? ref.frame % record->frames : 0;
    picture.SetInfo(ref);
    return 1;
}

int PaintModule::DecodeImage(std::span<const uint8_t> data, uint32_t extension_hash, ImageRecord& out)
{
    static constexpr std::string_view LIBRARY_EXTENSIONS[] = { ".gif", ".bmp", ".png", ".jpg",  ".jpeg", ".ico",
                                                               ".tif", ".tga", ".mng", ".pcx", ".wbmp", ".wmf" };
    for (std::string_view extension : LIBRARY_EXTENSIONS) {
        if (StringHash(extension) == extension_hash)
            return DecodeImageRecord(*m_decoder, data, ImageFormatOfExtension(extension), out);
    }
    if (StringHash(".pps") == extension_hash)
        return DecodePpsImage(data, out) != 0 ? 1 : 0;
    return 0;
}

uint32_t PaintModule::DecodePpsImage(std::span<const uint8_t> data, ImageRecord& out)
{
    ImageRecord record;
    const uint32_t size = DecodePps(data, record);
    if (size == 0 || (record.flags & IMAGE_FLAG_BLOCK32))
        return 0;
    out = std::move(record);
    return size;
}

DrawParams PaintModule::ToDrawParams(const ObjectState& state) const
{
    // The object module hands over positions already relative to the view;
    // only the hit rectangle is still in world units, so it is moved by the
    // view's top left (which follows from the view centre and size).
    const int64_t view_left = int64_t(m_view_centre_x) - (int64_t(m_view_width) + 1) / 2;
    const int64_t view_top = int64_t(m_view_centre_y) - (int64_t(m_view_height) + 1) / 2;
    DrawParams params;
    params.centre_x = Truncate(state.x);
    params.centre_y = Truncate(state.y);
    params.object_x = params.centre_x;
    params.object_y = params.centre_y;
    params.width = Truncate(state.width);
    params.height = Truncate(state.height);
    if (state.width > 0 && state.height > 0) {
        const double half_w = state.width / 2;
        const double half_h = state.height / 2;
        params.radius = Truncate(std::sqrt(half_w * half_w + half_h * half_h));
    }
    params.flags = state.flags;
    const auto shifted = [](int32_t edge, int64_t by) {
        return int32_t(std::clamp<int64_t>(edge - by, INT32_MIN, INT32_MAX));
    };
    params.clip_left = shifted(state.hit_rect.left, view_left);
    params.clip_top = shifted(state.hit_rect.top, view_top);
    params.clip_right = shifted(state.hit_rect.right, view_left);
    params.clip_bottom = shifted(state.hit_rect.bottom, view_top);
    params.angle = state.angle;
    return params;
}

} // namespace engine
