#include "client/CCommWaitDlg.h"

#include <algorithm>

#include "engine/core/CanvasServices.h"
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
}

void CCommWaitDlg::LoadSkin(const std::string& skin_ini_path)
{
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    ColorRef foreground = DEFAULT_BAR_FOREGROUND;
    ColorRef background = DEFAULT_BAR_BACKGROUND;
    if (!skin_ini_path.empty()) {
        const std::string name = platform::GetProfileString(BITMAP_SECTION, BACKGROUND_KEY, "", skin_ini_path);
        const auto bytes = name.empty() ? std::nullopt
                                        : platform::ReadFileBytes(FolderOf(skin_ini_path) + name, BACKGROUND_FILE_LIMIT);
        engine::DecodedImage image;
        const engine::ImageFileFormat format = engine::ImageFormatOfExtension(ExtensionOf(name));
        if (bytes && format != engine::ImageFileFormat::None &&
            engine::HeaderSizeAllowed(*bytes, format) && engine::CreateSdlImageDecoder()->Decode(*bytes, format, image) &&
            !image.frames.empty() && engine::ImageSizeWithinLimits(image.width, image.height)) {
            width = static_cast<int32_t>(image.width);
            height = static_cast<int32_t>(image.height);
            const std::vector<uint8_t>& frame = image.frames.front();
            const size_t count = size_t(width) * size_t(height);
            pixels.resize(count * 4);
            for (size_t i = 0; i < count; ++i) {
                uint32_t argb = 0;
                if (!image.palette && frame.size() >= count * 4)
                    argb = uint32_t(frame[i * 4]) | uint32_t(frame[i * 4 + 1]) << 8 | uint32_t(frame[i * 4 + 2]) << 16;
                else if (image.palette && i < frame.size() && frame[i] < image.palette_colours.size())
                    argb = image.palette_colours[frame[i]];
                pixels[i * 4] = uint8_t(argb);
                pixels[i * 4 + 1] = uint8_t(argb >> 8);
                pixels[i * 4 + 2] = uint8_t(argb >> 16);
                pixels[i * 4 + 3] = 0xFF;
            }
        }
        foreground = ParseRgbText(platform::GetProfileString(COLOR_SECTION, BAR_FOREGROUND_KEY, "", skin_ini_path),
                                  DEFAULT_BAR_FOREGROUND);
        background = ParseRgbText(platform::GetProfileString(COLOR_SECTION, BAR_BACKGROUND_KEY, "", skin_ini_path),
                                  DEFAULT_BAR_BACKGROUND);
    }
    {
        std::lock_guard lock(m_mutex);
        m_background = std::move(pixels);
        m_background_width = width;
        m_background_height = height;
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
    if (m_background.empty()) {
        target.Fill(rect, BUTTON_FACE);
        return;
    }
    // The picture stretched over the dialog, nearest pixel.
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    for (int32_t y = std::max(rect.top, 0); y < std::min(rect.bottom, target.height); ++y) {
        const int32_t source_y = (y - rect.top) * m_background_height / height;
        uint8_t* row = target.pixels.data() + size_t(y) * size_t(target.pitch);
        for (int32_t x = std::max(rect.left, 0); x < std::min(rect.right, target.width); ++x) {
            const int32_t source_x = (x - rect.left) * m_background_width / width;
            const uint8_t* source =
                m_background.data() + (size_t(source_y) * size_t(m_background_width) + size_t(source_x)) * 4;
            std::copy(source, source + 4, row + size_t(x) * 4);
        }
    }
}

void CCommWaitDlg::DrawText(const PixelTarget& target, const PixelRect& rect) const
{
    engine::ICanvasTextDrawer* drawer = engine::CCanvasServices::GetTextDrawer();
    if (drawer == nullptr || m_text.empty() || target.pitch != target.width * 4)
        return;
    engine::CanvasTextStyle style;
    style.color = 0xFF000000u | TEXT_COLOR;
    style.font_height = TEXT_HEIGHT;
    drawer->DrawText(style, target.pixels, target.width, target.height, rect.left + MARGIN, rect.top + MARGIN, m_text);
}

} // namespace client
