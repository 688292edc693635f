// The wait dialog's skin: an INI file and the background picture it names,
// both from the input, taken up by the dialog and drawn over a frame. The
// first byte picks the picture's extension and whether the INI names the
// picture by itself (otherwise a "CommDlgBK" line naming it comes first); two
// bytes give the INI text's length; the rest is the picture. Nothing drawn
// may leave the frame, and a refused picture leaves the plain fill.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "client/CCommWaitDlg.h"
#include "platform/Path.h"

namespace {

constexpr const char* EXTENSIONS[] = { ".bmp", ".png", ".gif", ".jpg", ".ico", ".tga", ".pcx", ".tif", ".txt", "" };

bool WriteFile(const std::string& gbk_path, const void* bytes, size_t size)
{
    platform::FileHandle file = platform::OpenFile(gbk_path, "wb");
    return file && (size == 0 || std::fwrite(bytes, 1, size, file.get()) == size) && platform::CloseFile(std::move(file));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    static const std::string folder = platform::GetTempFolder() + "fuzz-wait-skin-" + std::to_string(::getpid()) + "/";
    static const bool made = platform::MakeDirectoryTree(folder);
    if (!made)
        return 0;
    const std::string picture = std::string("bg") + EXTENSIONS[(data[0] & 0x7F) % std::size(EXTENSIONS)];
    const size_t ini_length = std::min<size_t>(data[1] | size_t { data[2] } << 8, size - 3);
    std::string ini;
    if ((data[0] & 0x80) == 0)
        ini = "[BitmapResource]\r\nCommDlgBK=" + picture + "\r\n";
    ini.append(reinterpret_cast<const char*>(data + 3), ini_length);
    const uint8_t* image = data + 3 + ini_length;
    const size_t image_size = size - 3 - ini_length;
    const std::string ini_path = folder + "skin.ini";
    if (!WriteFile(ini_path, ini.data(), ini.size()) || !WriteFile(folder + picture, image, image_size))
        return 0;

    client::CCommWaitDlg dialog;
    dialog.LoadSkin(ini_path);
    dialog.ShowText("正在连接游戏服务器......", 0);
    // A frame smaller than the dialog too: drawing is clipped to the frame.
    for (const int32_t width : { 400, 100 }) {
        const int32_t height = width / 4;
        std::vector<uint8_t> frame(size_t(width) * size_t(height) * 4);
        client::PixelTarget target { frame, width, height, width * 4 };
        (void)dialog.Draw(target);
    }
    return 0;
}
