#include "client/FramePlacement.h"

#include <SDL2/SDL.h>

namespace client {

std::optional<PixelRect> GetDesktopWorkArea()
{
    // Starts the video system on this thread when needed.
    if (!platform::CNativeWindow::GetDesktopSize())
        return std::nullopt;
    SDL_Rect bounds {};
    if (SDL_GetDisplayUsableBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0)
        return std::nullopt;
    return PixelRect { bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h };
}

void SetMaximumWindowSize(platform::CNativeWindow& window, int32_t width, int32_t height)
{
    if (SDL_Window* sdl = window.GetSdlWindow(); sdl != nullptr && width > 0 && height > 0)
        SDL_SetWindowMaximumSize(sdl, width, height);
}

void SetMinimumWindowSize(platform::CNativeWindow& window, int32_t width, int32_t height)
{
    if (SDL_Window* sdl = window.GetSdlWindow(); sdl != nullptr && width > 0 && height > 0)
        SDL_SetWindowMinimumSize(sdl, width, height);
}

} // namespace client
