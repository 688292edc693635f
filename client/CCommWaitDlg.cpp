#include "client/CCommWaitDlg.h"

#include <algorithm>

#include "engine/core/CanvasServices.h"
#include "engine/media/Blitter.h"
#include "engine/media/ImageDecoder.h"
#include "platform/Ini.h"
#include "platform/Path.h"

namespace client {

namespace {

constexpr const char* BITMAP_SECTION = "BitmapResource";
constexpr const char* BACKGROUND_KEY = "CommDlgBK";
constexpr const char* COLOR_SECTION = "CommColors";
constexpr const char* BAR_FOREGROUND_KEY = "WaitBarfg";
constexpr const char* BAR_BACKGROUND_KEY = "WaitBarbg";
constexpr size_t BACKGROUND_FILE_LIMIT = 8u << 20;
constexpr int32_t MARGIN = 16;
constexpr int32_t BAR_HEIGHT = 14;
constexpr int32_t TEXT_HEIGHT = 14;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtensionOf(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return extension;
}

} // namespace

CCommWaitDlg::~CCommWaitDlg()
{
    Destroy();
}

bool CCommWaitDlg::Open(const std::string& skin_ini_path)
{
    if (!Create())
        return false;
    platform::SetTimer(GetHandle(), TIMER_BAR, BAR_STEP_MS);
    LoadSkin(skin_ini_path);
    return true;
}

void CCommWaitDlg::ShowText(const std::string& text, uint32_t seconds)
{
    {
        std::lock_guard lock(m_mutex);
        m_text = text;
        m_shown = true;
    }
    ++m_revision;
    platform::SetTimer(GetHandle(), TIMER_BAR, BAR_STEP_MS);
    if (seconds > 0)
        platform::SetTimer(GetHandle(), TIMER_HIDE, seconds * 1000u);
    WakeDrawingWindow();
}

void CCommWaitDlg::Hide()
{
    {
        std::lock_guard lock(m_mutex);
        m_shown = false;
    }
    ++m_revision;
    platform::KillTimer(GetHandle(), TIMER_BAR);
    platform::KillTimer(GetHandle(), TIMER_HIDE);
    WakeDrawingWindow();
}

void CCommWaitDlg::WakeDrawingWindow() const
{
    // Any message ends the drawing thread's sleep between frames; its next
    // frame sees the new revision.
    if (m_drawing_window != platform::WindowHandle::None)
        (void)platform::PostMessage(m_drawing_window, platform::WM_NULL);
}

void CCommWaitDlg::LoadSkin(const std::string& skin_ini_path)
{
    engine::ImageRecord image;
    ColorRef foreground = DEFAULT_BAR_FOREGROUND;
    ColorRef background = DEFAULT_BAR_BACKGROUND;
    if (!skin_ini_path.empty()) {
        const std::string name = platform::GetProfileString(BITMAP_SECTION, BACKGROUND_KEY, "", skin_ini_path);
        const auto bytes = name.empty() ? std::nullopt
                                        : platform::ReadFileBytes(FolderOf(skin_ini_path) + name, BACKGROUND_FILE_LIMIT);
        const engine::ImageFileFormat format = engine::ImageFormatOfExtension(ExtensionOf(name));
        if (bytes && format != engine::ImageFileFormat::None)
            (void)engine::DecodeImageRecord(*engine::CreateSdlImageDecoder(), *bytes, format, image);
        foreground = ParseRgbText(platform::GetProfileString(COLOR_SECTION, BAR_FOREGROUND_KEY, "", skin_ini_path),
                                  DEFAULT_BAR_FOREGROUND);
        background = ParseRgbText(platform::GetProfileString(COLOR_SECTION, BAR_BACKGROUND_KEY, "", skin_ini_path),
                                  DEFAULT_BAR_BACKGROUND);
    }
    {
        std::lock_guard lock(m_mutex);
        m_background = std::move(image);
        m_bar.SetColors(foreground, background);
    }
    ++m_revision;
}

bool CCommWaitDlg::IsShown() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

std::string CCommWaitDlg::GetText() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

CWaitBarCtrl CCommWaitDlg::GetBar() const
{
    std::lock_guard lock(m_mutex);
    return m_bar;
}

intptr_t CCommWaitDlg::WindowProc(platform::Message& msg)
{
    if (msg.id == platform::WM_TIMER && msg.wparam == TIMER_BAR) {
        {
            std::lock_guard lock(m_mutex);
            m_bar.Step();
        }
        ++m_revision;
    } else if (msg.id == platform::WM_TIMER && msg.wparam == TIMER_HIDE) {
        Hide();
    } else if (msg.id == platform::WM_DESTROY) {
        platform::KillTimer(GetHandle(), TIMER_BAR);
        platform::KillTimer(GetHandle(), TIMER_HIDE);
    }
    return 0;
}

bool CCommWaitDlg::Draw(const PixelTarget& target) const
{
    std::lock_guard lock(m_mutex);
    if (!m_shown)
        return false;
    PixelRect rect;
    rect.left = (target.width - WIDTH) / 2;
    rect.top = (target.height - HEIGHT) / 2;
    rect.right = rect.left + WIDTH;
    rect.bottom = rect.top + HEIGHT;
    DrawBackground(target, rect);
    DrawText(target, rect);
    const PixelRect bar { rect.left + MARGIN, rect.bottom - MARGIN - BAR_HEIGHT, rect.right - MARGIN,
                          rect.bottom - MARGIN };
    m_bar.Paint(target, bar);
    return true;
}

void CCommWaitDlg::DrawBackground(const PixelTarget& target, const PixelRect& rect) const
{
    target.Fill(rect, BUTTON_FACE);
    if (!m_background.pixels || target.pitch != target.width * 4)
        return;
    // The picture stretched over the dialog, nearest pixel.
    engine::DrawParams params;
    params.width = rect.right - rect.left;
    params.height = rect.bottom - rect.top;
    params.centre_x = rect.left + (params.width + 1) / 2;
    params.centre_y = rect.top + (params.height + 1) / 2;
    const engine::BlitSurface surface { reinterpret_cast<uint32_t*>(target.pixels.data()), target.width,
                                        target.height };
    engine::BlitImage(surface, params, m_background, 0, 0, m_background.width, m_background.height, 1.0,
                      engine::COLOUR_NONE);
}

void CCommWaitDlg::DrawText(const PixelTarget& target, const PixelRect& rect) const
{
    engine::ICanvasTextDrawer* drawer = engine::CCanvasServices::GetTextDrawer();
    if (drawer == nullptr || m_text.empty() || target.pitch != target.width * 4)
        return;
    engine::CanvasTextStyle style;
    style.color = 0xFF000000u | TEXT_COLOR;
    style.font_height = TEXT_HEIGHT;
    // The text may name a player: it is shown as written.
    drawer->DrawText(style, target.pixels, target.width, target.height, rect.left + MARGIN, rect.top + MARGIN,
                     drawer->PlainText(m_text));
}

} // namespace client
