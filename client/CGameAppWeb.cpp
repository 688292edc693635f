// The application's wait texts with a time limit and the opening of pages in
// the user's browser.
#include <cstdio>

#include "client/CGameApp.h"
#include "client/CGameFrameWnd.h"
#include "engine/widgets/UrlOpener.h"
#include "net/NetLog.h"
#include "platform/Text.h"

namespace client {

namespace {

constexpr size_t OPENING_TEXT_URL_BYTES = 32;
constexpr uint32_t OPENING_TEXT_SECONDS = 15;
constexpr size_t URL_BLOCK_BYTES = 1024;

} // namespace

void CGameApp::ShowWaitTextTimed(const std::string& text, uint32_t seconds)
{
    if (m_links.wait_dialog)
        m_links.wait_dialog->ShowTextFor(text, seconds);
}

void CGameApp::OpenURL(const std::string& url, bool with_sign)
{
    char text[128];
    std::snprintf(text, sizeof(text), "正在打开%s...", platform::CutGbkText(url, OPENING_TEXT_URL_BYTES).c_str());
    ShowWaitTextTimed(text, OPENING_TEXT_SECONDS);
    std::string block = platform::CutGbkText(GetSignParams(url, with_sign), URL_BLOCK_BYTES - 1);
    // xdg-open is started without waiting for it, so the UI thread opens it.
    if (!engine::GetUrlOpener().OpenUrl(block))
        net::LogPrintf("the page %s could not be opened", block.c_str());
    // The main window frees the block and hides the text.
    if (!m_main_window ||
        !platform::PostMessage(m_main_window->GetHandle(), UM_URL_OPENED, 0, 0,
                               std::make_unique<platform::ValuePayload<std::string>>(std::move(block)))) {
        if (m_links.wait_dialog)
            m_links.wait_dialog->Hide();
    }
}

} // namespace client
