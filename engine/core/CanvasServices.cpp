#include "engine/core/CanvasServices.h"

#include <algorithm>

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
    // copy_n, not memcpy: an empty view may carry a null pointer.
    std::copy_n(name.begin(), length, face_name.begin());
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
