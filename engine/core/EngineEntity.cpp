#include "engine/core/EngineEntity.h"

#include <algorithm>

#include "engine/core/CanvasObject.h"
#include "engine/core/EngineLog.h"
#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/InputModule.h"
#include "engine/core/ModuleServices.h"
#include "engine/core/ObjectModule.h"

namespace engine {

ObjectModule* CEngineEntity::GetObjectModule() const
{
    return GetCore() != nullptr ? dynamic_cast<ObjectModule*>(GetCore()->GetModule(VELOTRIX_MODULE_OBJECT)) : nullptr;
}

EngineModule* CEngineEntity::GetPaintModule() const
{
    return GetCore() != nullptr ? GetCore()->GetModule(VELOTRIX_MODULE_PAINT) : nullptr;
}

IResourceModule* CEngineEntity::GetResourceModule() const
{
    return GetCore() != nullptr ? dynamic_cast<IResourceModule*>(GetCore()->GetModule(VELOTRIX_MODULE_RESOURCE))
                                : nullptr;
}

IMusicModule* CEngineEntity::GetMusicModule() const
{
    return GetCore() != nullptr ? dynamic_cast<IMusicModule*>(GetCore()->GetModule(VELOTRIX_MODULE_MUSIC)) : nullptr;
}

InputModule* CEngineEntity::GetInputModule() const
{
    return GetCore() != nullptr ? dynamic_cast<InputModule*>(GetCore()->GetModule(VELOTRIX_MODULE_INPUT)) : nullptr;
}

int32_t CEngineEntity::GetViewWidth() const
{
    const ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->GetViewRect().Width() : 0;
}

int32_t CEngineEntity::GetViewHeight() const
{
    const ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->GetViewRect().Height() : 0;
}

ObjectStats& CEngineEntity::GetObjectStats(ObjectStats& out) const
{
    if (const ObjectModule* objects = GetObjectModule())
        return objects->GetObjectStats(out);
    out = ObjectStats {};
    return out;
}

uint32_t CEngineEntity::GetTime() const
{
    return GetCore() != nullptr ? GetCore()->GetTime() : 0;
}

void CEngineEntity::SetIntSetting(int32_t key, int32_t value)
{
    if (GetCore() != nullptr)
        GetCore()->SetIntSetting(key, value);
}

int32_t CEngineEntity::GetIntSetting(int32_t key) const
{
    return GetCore() != nullptr ? GetCore()->GetIntSetting(key) : -2;
}

void CEngineEntity::SetStringSetting(int32_t key, std::string text)
{
    if (GetCore() != nullptr)
        GetCore()->SetStringSetting(key, std::move(text));
}

std::string CEngineEntity::GetStringSetting(int32_t key) const
{
    return GetCore() != nullptr ? GetCore()->GetStringSetting(key) : std::string();
}

void CEngineEntity::RefreshView()
{
    if (ObjectModule* objects = GetObjectModule())
        objects->RefreshView();
}

int CEngineEntity::SendToResourceModule(int32_t message_id, uintptr_t param1) const
{
    return GetCore() != nullptr ? GetCore()->SendMessage(VELOTRIX_MODULE_RESOURCE, message_id, param1, 0) : 0;
}

int CEngineEntity::AddResourceDirectory(const std::string& path)
{
    return SendToResourceModule(VELOTRIX_MSG_ADD_DIRECTORY, reinterpret_cast<uintptr_t>(path.c_str()));
}

int CEngineEntity::LoadResourcePackage(const std::string& path)
{
    return SendToResourceModule(VELOTRIX_MSG_LOAD_PACKAGE, reinterpret_cast<uintptr_t>(path.c_str()));
}

int CEngineEntity::LoadResourcePackageFromMemory(std::span<const uint8_t> image)
{
    // param1 points to the span, valid for the duration of the send.
    return SendToResourceModule(VELOTRIX_MSG_LOAD_PACKAGE_MEMORY, reinterpret_cast<uintptr_t>(&image));
}

IPaintImages* CEngineEntity::GetPaintImages() const
{
    return dynamic_cast<IPaintImages*>(GetPaintModule());
}

ImageRef& CEngineEntity::GetImage(ImageRef& out, std::string_view name, uint32_t frame)
{
    out = ImageRef {};
    if (IPaintImages* images = GetPaintImages())
        images->LoadImageByName(out, name, frame);
    if (out.record == nullptr)
        WriteRunLog("res \"%.*s\" does not exists!", int(std::min<size_t>(name.size(), 1024)), name.data());
    return out;
}

int CEngineEntity::DrawImageDirect(const ImageRef& image, int32_t x, int32_t y, int32_t width, int32_t height,
                                   double angle)
{
    IPaintImages* images = GetPaintImages();
    if (images == nullptr)
        return 0;
    images->DrawImage(image, x, y, width < 1 ? GetViewWidth() : width, height < 1 ? GetViewHeight() : height,
                      angle);
    return 1;
}

void CEngineEntity::ClearScreen(uint32_t colour)
{
    if (IPaintImages* images = GetPaintImages())
        images->Clear(colour);
}

CImageObject* CEngineEntity::NewImageObject(const ImageRef& image)
{
    ObjectModule* objects = GetObjectModule();
    CImageObject* object = objects != nullptr ? objects->NewImageObject(this) : nullptr;
    if (object != nullptr)
        object->SetImage(image, CImageObject::FitSize::Yes);
    return object;
}

CCanvasObject* CEngineEntity::NewCanvasObject(int32_t width, int32_t height, uint32_t colour_key)
{
    ObjectModule* objects = GetObjectModule();
    CCanvasObject* object = objects != nullptr ? objects->NewCanvasObject(this) : nullptr;
    if (object != nullptr)
        (void)object->Create(width, height, colour_key, 0);
    return object;
}

CEngineObject* CEngineEntity::NewObject()
{
    ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->NewObject(this) : nullptr;
}

CEngineObject* CEngineEntity::FindObjectByName(const char* name) const
{
    const ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->FindObjectByName(name) : nullptr;
}

CEngineObject* CEngineEntity::FindObject(uint32_t id) const
{
    const ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->FindObject(id) : nullptr;
}

void CEngineEntity::DestroyObject(CEngineObject* object, bool deferred)
{
    ObjectModule* objects = GetObjectModule();
    if (object == nullptr || objects == nullptr)
        return;
    if (!deferred) {
        objects->OnMessage(VELOTRIX_MSG_OBJECT_DESTROYED, reinterpret_cast<uintptr_t>(object), 0);
        return;
    }
    // Painted no more from now; removed by a destroy action, so that inside
    // an action group being built it goes when that group's stage is reached.
    object->Deactivate();
    object->Invalidate();
    if (CActionFactory::AddDestroyAction(objects, object) == 0)
        objects->DestroyObjectLater(object->GetId());
}

void CEngineEntity::AddInputTargetRoute(uint32_t event_id, const RouteRecord& record)
{
    if (InputModule* input = GetInputModule())
        input->AddTargetRoute(event_id, record);
}

void CEngineEntity::RemoveInputTargetRoutes(uint32_t event_id)
{
    if (InputModule* input = GetInputModule())
        input->RemoveTargetRoutes(event_id);
}

uint32_t CEngineEntity::SetInputTarget(uint32_t id)
{
    InputModule* input = GetInputModule();
    return input != nullptr ? input->SetInputTarget(id) : 0;
}

void CEngineEntity::SetModalObject(uint32_t id)
{
    if (InputModule* input = GetInputModule())
        input->SetModalObject(id);
}

uint32_t CEngineEntity::SetFocusObject(uint32_t id)
{
    InputModule* input = GetInputModule();
    return input != nullptr ? input->SetFocusObject(id) : 0;
}

void CEngineEntity::RefreshMouse()
{
    if (InputModule* input = GetInputModule())
        input->RefreshMouse();
}

bool CEngineEntity::GetInputState(InputState& out) const
{
    const InputModule* input = GetInputModule();
    if (input == nullptr)
        return false;
    out = input->GetInputState();
    return true;
}

} // namespace engine
