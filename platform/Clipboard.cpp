#include "platform/Clipboard.h"

#include <SDL2/SDL.h>

#include "platform/Text.h"

namespace platform {

namespace {

// The clipboard of a process without SDL video (UTF-8, like SDL's).
std::string& LocalClipboard()
{
    static std::string s_text;
    return s_text;
}

bool HasSdlVideo()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

} // namespace

bool SetClipboardText(std::string_view gbk_text)
{
    const std::optional<std::string> utf8 = GbkToUtf8(gbk_text);
    if (!utf8)
        return false;
    LocalClipboard() = *utf8;
    if (HasSdlVideo())
        return SDL_SetClipboardText(utf8->c_str()) == 0;
    return true;
}

std::optional<std::string> GetClipboardText()
{
    std::string utf8;
    if (HasSdlVideo()) {
        char* text = SDL_GetClipboardText();
        if (text) {
            utf8 = text;
            SDL_free(text);
        }
    } else {
        utf8 = LocalClipboard();
    }
    if (utf8.empty())
        return std::nullopt;
    // Line ends from other programs are kept as they come.
    return Utf8ToGbk(utf8);
}

} // namespace platform
