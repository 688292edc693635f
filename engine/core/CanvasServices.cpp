#include "engine/core/CanvasServices.h"

#include "platform/Text.h"

namespace engine {

namespace {

std::unique_ptr<ICanvasBlitter>& BlitterSlot()
{
    static std::unique_ptr<ICanvasBlitter> s_blitter;
    return s_blitter;
}

std::unique_ptr<ICanvasTextDrawer>& TextDrawerSlot()
{
    static std::unique_ptr<ICanvasTextDrawer> s_drawer;
    return s_drawer;
}

} // namespace

void CanvasTextStyle::SetFaceName(std::string_view name)
{
    const size_t length = platform::GbkCutLength(name, FACE_NAME_BYTES - 1);
    face_name.fill(0);
    std::memcpy(face_name.data(), name.data(), length);
}

void CCanvasServices::InstallBlitter(std::unique_ptr<ICanvasBlitter> blitter)
{
    BlitterSlot() = std::move(blitter);
}

void CCanvasServices::InstallTextDrawer(std::unique_ptr<ICanvasTextDrawer> drawer)
{
    TextDrawerSlot() = std::move(drawer);
}

void CCanvasServices::Reset()
{
    BlitterSlot().reset();
    TextDrawerSlot().reset();
}

ICanvasBlitter* CCanvasServices::GetBlitter()
{
    return BlitterSlot().get();
}

ICanvasTextDrawer* CCanvasServices::GetTextDrawer()
{
    return TextDrawerSlot().get();
}

} // namespace engine
