#include "engine/media/MediaServices.h"

#include "engine/core/VelotrixWnd.h"
#include "engine/media/Blitter.h"
#include "engine/media/CCanvasTextDrawer.h"
#include "engine/media/GDIPaintModule.h"
#include "engine/media/MusicModule.h"
#include "engine/media/ResourceModule.h"

namespace engine {

std::unique_ptr<EngineModule> CMediaModuleFactory::CreateResourceModule()
{
    return std::make_unique<ResourceModule>();
}

std::unique_ptr<EngineModule> CMediaModuleFactory::CreatePaintModule() { return std::make_unique<GDIPaintModule>(); }

std::unique_ptr<EngineModule> CMediaModuleFactory::CreateMusicModule() { return MusicModule::Create(); }

void CCanvasBlitter::Blit(uint32_t* pixels, int32_t width, int32_t height, DrawParams& params,
                          const ImageRecord& image, int32_t source_x, int32_t source_y, int32_t source_width,
                          int32_t source_height, double opacity, uint32_t tint)
{
    BlitImage(BlitSurface { pixels, width, height }, params, image, source_x, source_y, source_width, source_height,
              opacity, tint);
}

std::unique_ptr<uint32_t[]> CCanvasBlitter::ScaleNearest(const uint32_t* source, int32_t stride, int32_t source_height,
                                                         int32_t x, int32_t y, int32_t width, int32_t height,
                                                         int32_t new_width, int32_t new_height)
{
    return ScaleNearest32(source, stride, source_height, x, y, width, height, new_width, new_height);
}

void InstallMediaServices()
{
    static CMediaModuleFactory s_factory;
    CCanvasServices::InstallBlitter(std::make_unique<CCanvasBlitter>());
    CCanvasServices::InstallTextDrawer(CCanvasTextDrawer::Create());
    CVelotrixWnd::SetModuleFactory(&s_factory);
}

} // namespace engine
