#pragma once
// What the media layer plugs into the engine core at start-up:
//  - CMediaModuleFactory: makes the resource module, the GDI paint module and
//    the music module for CVelotrixWnd::StartEngine.
//  - CCanvasBlitter: the software blitter as the canvas objects' ICanvasBlitter.
// InstallMediaServices() installs the canvas blitter and the canvas text
// drawer (the one shared text renderer) and registers one process-wide
// factory with the host window.
//
// Owner: the factory installed by InstallMediaServices lives for the process.
// Thread: UI thread, before the engine starts.
#include "engine/core/CanvasServices.h"
#include "engine/core/EngineHostServices.h"

#include <memory>

namespace engine {

class CMediaModuleFactory final : public IEngineModuleFactory {
public:
    [[nodiscard]] std::unique_ptr<EngineModule> CreateResourceModule() override;
    [[nodiscard]] std::unique_ptr<EngineModule> CreatePaintModule() override;
    [[nodiscard]] std::unique_ptr<EngineModule> CreateMusicModule() override;
};

class CCanvasBlitter final : public ICanvasBlitter {
public:
    void Blit(uint32_t* pixels, int32_t width, int32_t height, DrawParams& params, const ImageRecord& image,
              int32_t source_x, int32_t source_y, int32_t source_width, int32_t source_height, double opacity,
              uint32_t tint) override;
    [[nodiscard]] std::unique_ptr<uint32_t[]> ScaleNearest(const uint32_t* source, int32_t stride,
                                                           int32_t source_height, int32_t x, int32_t y,
                                                           int32_t width, int32_t height, int32_t new_width,
                                                           int32_t new_height) override;
};

// Installs the canvas blitter and text drawer and registers the module factory.
void InstallMediaServices();

} // namespace engine
