#pragma once
// Shared fixtures of the engine core tests: a core on a manual clock with the
// object module loaded, a recording paint module, and objects with pictures.

#include <memory>
#include <vector>

#include "engine/core/FrameImageBase.h"
#include "engine/core/GameCore.h"
#include "engine/core/GuiObject.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/RenderRequest.h"

namespace enginetest {

using namespace engine;

// A picture whose every pixel is hit, or only the pixels of one column.
class CTestPicture : public CFrameImageBase {
public:
    int HitTest(int32_t x, int32_t y) const override
    {
        last_x = x;
        last_y = y;
        return hit_column < 0 || x == hit_column;
    }
    int hit_column { -1 };
    mutable int32_t last_x { -1 };
    mutable int32_t last_y { -1 };
};

class CPictureObject : public CGuiObject {
public:
    CFrameImageBase* GetPicture() const override { return const_cast<CTestPicture*>(&picture); }
    CTestPicture picture;
};

// Records the events it receives; may destroy itself on one of them.
class CRecordingObject : public CGuiObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        events.push_back(event);
        if (event.id == destroy_on && GetObjectModulePtr() != nullptr) {
            GetObjectModulePtr()->DestroyObject(GetId());
            if (alive_after_destroy_request != nullptr)
                *alive_after_destroy_request = alive != nullptr && *alive;
        }
        return CGuiObject::OnEvent(event);
    }
    ~CRecordingObject() override
    {
        if (alive != nullptr)
            *alive = false;
    }
    std::vector<EngineEvent> events;
    uint32_t destroy_on { 0 };
    bool* alive_after_destroy_request { nullptr }; // Set by the handler that asked for the destroy.
    bool* alive { nullptr };
};

class CRecordingPaintModule : public EngineModule {
public:
    int Load() override { return 1; }
    void Unload() override {}
    void Update() override { DispatchQueued(); }
    int32_t GetId() const override { return VELOTRIX_MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int32_t OnMessage(int32_t id, uintptr_t param1, uintptr_t) override
    {
        if (id == VELOTRIX_MSG_RENDER)
            requests.push_back(TakeRenderRequest(param1));
        return 0;
    }
    std::vector<std::unique_ptr<RenderRequest>> requests;
};

class EngineFixture {
public:
    explicit EngineFixture(bool with_paint = true)
    {
        auto objects = std::make_unique<ObjectModule>();
        m_objects = objects.get();
        (void)m_core.LoadModule(std::move(objects), true, false);
        if (with_paint) {
            auto paint = std::make_unique<CRecordingPaintModule>();
            m_paint = paint.get();
            (void)m_core.LoadModule(std::move(paint), true, true);
        }
        m_objects->SetViewCentre(400, 300);
        m_objects->SetViewSize(800, 600);
    }

    template <typename T = CPictureObject>
    T* Add(double x, double y, double w, double h, bool active = true)
    {
        auto object = std::make_unique<T>();
        T* raw = object.get();
        m_objects->AddObject(std::move(object), nullptr);
        raw->SetSize(w, h);
        raw->MoveTo(x, y);
        raw->Show(true);
        if (active)
            raw->Activate();
        raw->Invalidate();
        return raw;
    }

    void Tick(int count = 1, uint32_t step = 5)
    {
        for (int i = 0; i < count; ++i) {
            m_clock.Advance(step);
            m_core.Tick();
        }
    }

    platform::CManualClock m_clock { 0 };
    GameCore m_core { m_clock };
    ObjectModule* m_objects { nullptr };
    CRecordingPaintModule* m_paint { nullptr };
};

} // namespace enginetest
