#pragma once
// PaintModule (module 1003, "PaintModule"): the images of the running engine
// in a cache keyed by name, decoded from resources (common formats through
// the image decoder, ".pps" through our codec), the frame-rate meter, and the
// drawing interface the object module's paint pass uses. Abstract: the
// surface, drawing and presentation are GDIPaintModule's.
//
// Owner: GameCore. Thread: engine (UI) thread; the cache has no lock.
// Hazards: objects hold ImageRefs whose record pointers point into the
// cache. A released record is zeroed and kept for reuse, never freed while
// the module lives, so a stale reference reads id 0 (no match) instead of
// freed memory. Resource records replaced or released in the resource module
// drop their cached decode, so the new bytes show.
#include "engine/core/EngineModule.h"
#include "engine/core/ImageRecord.h"
#include "engine/core/NameKey.h"
#include "engine/core/RenderRequest.h"
#include "engine/media/ImageDecoder.h"

#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace engine {

class CFrameImage;
class ResourceModule;

class PaintModule : public EngineModule, public IPaintImages {
public:
    // The screen's colour key (every canvas uses it).
    static constexpr uint32_t SURFACE_COLOUR_KEY = COLOUR_NONE;
    static constexpr uint32_t QUEUE_LIMIT = 999999;
    static constexpr uint32_t REFRESH_INTERVAL_MS = 1000;

    PaintModule();
    ~PaintModule() override;

    [[nodiscard]] int Load() override;
    void Unload() override;
    void Update() override;
    /// The module paints on request (render and paint messages) only.
    [[nodiscard]] uint32_t GetWorkDueIn(uint32_t /*now*/) const override { return NO_WORK_DUE; }
    [[nodiscard]] int32_t GetId() const override { return VELOTRIX_MODULE_PAINT; }
    [[nodiscard]] const char* GetName() const override { return "PaintModule"; }
    int32_t OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) override;
    [[nodiscard]] uint32_t GetQueueLimit() const override { return QUEUE_LIMIT; }

    // IPaintImages.
    void LoadImageByName(ImageRef& ref, std::string_view name, uint32_t frame) override;
    [[nodiscard]] ImageRecord* FindImage(std::string_view name_with_category) override;
    bool AddImageCopy(const ImageRef& ref, std::string_view name) override;
    void ReleaseImage(std::string_view name) override;
    [[nodiscard]] double GetFps() const override;
    [[nodiscard]] int32_t GetWidth() const override { return m_view_width; }
    [[nodiscard]] int32_t GetHeight() const override { return m_view_height; }
    [[nodiscard]] uint32_t GetLastImageId() const override { return m_last_image_id; }
    int SaveAsPps(const ImageRef& ref, const std::string& path) override;
    bool DecodeImageBytes(std::span<const uint8_t> bytes, std::string_view extension, ImageRecord& out) override;

    // The surface (GDIPaintModule).
    virtual void FlushDirty(std::unique_ptr<RenderRequest> request) = 0;
    virtual void DrawObject(const RenderRecord& record, CFrameImage& picture) = 0;
    [[nodiscard]] virtual int LoadImageByKey(const NameKey& key) = 0;

    // Makes the key of the name as given and loads it.
    int LoadImage(std::string_view name);
    // 1 and out filled when the bytes decode as the extension says (the
    // extension's StringHash); ".pps" through DecodePpsImage.
    [[nodiscard]] int DecodeImage(std::span<const uint8_t> data, uint32_t extension_hash, ImageRecord& out);
    // The ".pps" result, refused (0) when it carries a 32-byte block.
    [[nodiscard]] uint32_t DecodePpsImage(std::span<const uint8_t> data, ImageRecord& out);
    // Caches the record under the key with the next id; false (and the record
    // dropped) when the key is already cached.
    bool AddImage(const NameKey& key, ImageRecord&& record);
    // Rebinds a picture whose record was replaced; 1 when it may be drawn now.
    int RefreshImage(CFrameImage& picture);
    // Drops the cached image of a key (no-op when not cached).
    void ReleaseImageKey(const NameKey& key);
    [[nodiscard]] ImageRecord* FindCached(const NameKey& key) const;
    [[nodiscard]] size_t GetCacheCount() const { return m_cache.size(); }

    // The object state converted for the blitter. x and y are already
    // relative to the view; the hit rectangle (world units) is made so here.
    [[nodiscard]] DrawParams ToDrawParams(const ObjectState& state) const;

protected:
    // The loaded resource module (looked up each time: it may unload first).
    [[nodiscard]] ResourceModule* GetResources() const;
    void SetViewSize(int32_t width, int32_t height)
    {
        m_view_width = width;
        m_view_height = height;
    }
    void SetViewCentre(int32_t x, int32_t y)
    {
        m_view_centre_x = x;
        m_view_centre_y = y;
    }
    [[nodiscard]] int32_t GetScreenDepth() const { return m_screen_depth; }
    void SetScreenDepthValue(int32_t depth) { m_screen_depth = depth; }

private:
    std::unique_ptr<ImageRecord> TakeRecord();

    int32_t m_screen_depth { 32 };
    int32_t m_view_width { 0 };
    int32_t m_view_height { 0 };
    uint32_t m_last_fps_time { 0 };
    double m_fps_sum { 0.0 };
    uint32_t m_fps_frames { 0 };
    int32_t m_view_centre_x { 0 };
    int32_t m_view_centre_y { 0 };
    uint32_t m_last_image_id { 1 };
    std::map<NameKey, std::unique_ptr<ImageRecord>, NameKeyOrder> m_cache;
    std::vector<std::unique_ptr<ImageRecord>> m_retired;
    std::unique_ptr<IImageDecoder> m_decoder;
};

} // namespace engine
