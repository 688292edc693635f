#include "engine/media/StartScreen.h"

#include "engine/core/EnginePath.h"
#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectModule.h"
#include "engine/media/PaintModule.h"
#include "engine/media/ResourceModule.h"

namespace engine {

uint32_t ShowStartScreen(GameCore& core)
{
    auto* resources = dynamic_cast<ResourceModule*>(core.GetModule(VELOTRIX_MODULE_RESOURCE));
    auto* paint = dynamic_cast<PaintModule*>(core.GetModule(VELOTRIX_MODULE_PAINT));
    auto* objects = dynamic_cast<ObjectModule*>(core.GetModule(VELOTRIX_MODULE_OBJECT));
    if (!resources || !paint || !objects)
        return 0;
    if (resources->LoadPackage(GetExePath(START_SCREEN_PACKAGE)) == 0)
        return 0;
    ImageRef ref;
    paint->LoadImageByName(ref, START_SCREEN_IMAGE, 0);
    if (!ref.record)
        return 0;
    auto object = std::make_unique<CImageObject>();
    CImageObject* image = object.get();
    if (!objects->AddObject(std::move(object), nullptr))
        return 0;
    image->SetName(START_SCREEN_OBJECT);
    image->SetImage(ref, CImageObject::FitSize::No);
    const int32_t width = paint->GetWidth() > 0 ? paint->GetWidth() : ref.width;
    const int32_t height = paint->GetHeight() > 0 ? paint->GetHeight() : ref.height;
    image->SetSize(width, height);
    image->MoveTo(width / 2.0, height / 2.0);
    image->Show(true);
    image->Activate();
    image->Invalidate();
    return image->GetId();
}

} // namespace engine
