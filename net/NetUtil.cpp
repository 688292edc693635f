#include "net/NetUtil.h"

#include "platform/Path.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "platform/Window.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace net {

uint32_t IntLog2(int32_t n)
{
    uint32_t result = 0;
    while (n > 1) {
        n >>= 1;
        ++result;
    }
    return result;
}

uint32_t PowerOfTwo(int32_t n)
{
    if (n < 1)
        return 1;
    if (n > 31)
        return 0;
    return uint32_t(1) << n;
}

void CopyString(char* target, const char* source, int length)
{
    if (!target || !source)
        return;
    if (length == -1) {
        std::strcpy(target, source);
        return;
    }
    if (length > 0)
        std::strncpy(target, source, size_t(length));
}

void GetPathParts(const std::string& path, uint32_t flags, std::string& output)
{
    output.clear();
    size_t start = 0;
    std::string drive;
    if (path.size() >= 2 && path[1] == ':') {
        drive = path.substr(0, 2);
        start = 2;
    }
    // The last separator that is not the second byte of a two-byte character.
    size_t last_separator = std::string::npos;
    for (size_t i = start; i < path.size(); ++i) {
        if (platform::IsGbkLeadByte(path[i]) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\' || path[i] == '/')
            last_separator = i;
    }
    std::string directory;
    size_t name_start = start;
    if (last_separator != std::string::npos && last_separator >= start) {
        directory = path.substr(start, last_separator + 1 - start);
        name_start = last_separator + 1;
    }
    std::string name = path.substr(name_start);
    std::string extension;
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        extension = name.substr(dot);
        name.resize(dot);
    }
    if (flags & PATH_PART_DRIVE)
        output += drive;
    if (flags & PATH_PART_DIRECTORY)
        output += directory;
    if (flags & PATH_PART_NAME)
        output += name;
    if (flags & PATH_PART_EXTENSION)
        output += extension;
}

std::string GetModuleDir() { return platform::GetProgramFolder(); }

int PathExists(const char* path, PathKind kind)
{
    if (!path)
        return 0;
    const std::optional<std::string> os_path = platform::FindExistingPath(path);
    struct stat info {};
    if (!os_path || stat(os_path->c_str(), &info) != 0)
        return 0;
    if (kind == PathKind::Directory)
        return S_ISDIR(info.st_mode) ? 1 : 0;
    return S_ISREG(info.st_mode) ? 1 : 0;
}

void BytesToHex(const uint8_t* bytes, size_t n, std::string& text)
{
    static constexpr char digits[] = "0123456789abcdef";
    text.reserve(text.size() + n * 2);
    for (size_t i = 0; i < n; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xF];
    }
}

int FillUuidBytes(uint8_t* buffer, size_t n)
{
    if (platform::GetRandomBytes(std::span<uint8_t>(buffer, n)))
        return 1;
    std::memset(buffer, 0, n);
    return 0;
}

int FillUniqueIdIfEmpty(char* text, size_t capacity)
{
    static constexpr size_t UNIQUE_ID_DIGITS = 30;
    if (!text || capacity < UNIQUE_ID_DIGITS + 1 || text[0] != '\0')
        return 0;
    uint8_t random_bytes[32];
    // Bytes that could not be drawn stay zero; the id is still filled.
    (void)FillUuidBytes(random_bytes, sizeof random_bytes);
    std::string hex;
    BytesToHex(random_bytes, sizeof random_bytes, hex);
    std::memcpy(text, hex.data(), UNIQUE_ID_DIGITS);
    text[UNIQUE_ID_DIGITS] = '\0';
    return 1;
}

void CopyStringGbkSafe(const char* source, size_t source_length, char* target, size_t n)
{
    if (!source || !target)
        return;
    if (source_length <= n) {
        std::memcpy(target, source, source_length);
        target[source_length] = '\0';
        return;
    }
    if (n < 4) {
        // Too small for the ellipsis: keep the whole characters that fit.
        const size_t position = platform::GbkCutLength(std::string_view(source, source_length), n);
        std::memcpy(target, source, position);
        target[position] = '\0';
        return;
    }
    const size_t limit = n - 4;
    size_t position = 0;
    while (position < limit)
        position += platform::IsGbkLeadByte(source[position]) ? 2 : 1;
    if (position == limit) {
        std::memcpy(target, source, limit);
        if (!platform::IsGbkLeadByte(source[limit])) {
            target[limit] = source[limit];
            target[limit + 1] = '.';
        } else {
            target[limit] = source[limit];
            target[limit + 1] = source[limit + 1];
        }
        target[n - 2] = '.';
        target[n - 1] = '\0';
    } else {
        // A two-byte character straddled the limit: it is kept whole.
        std::memcpy(target, source, n - 3);
        target[n - 3] = '.';
        target[n - 2] = '.';
        target[n - 1] = '\0';
    }
}

void CopyStringGbkSafe(const char* source, char* target, size_t n)
{
    if (source)
        CopyStringGbkSafe(source, std::strlen(source), target, n);
}

namespace {

std::atomic<platform::WindowHandle> s_main_window { platform::WindowHandle::None };

} // namespace

void SetMainWindow(platform::WindowHandle window) { s_main_window.store(window); }

bool FlashMainWindow()
{
    const platform::WindowHandle window = s_main_window.load();
    // Screen windows belong to the UI thread; from any other thread the
    // lookup itself would race with their creation and destruction.
    if (window == platform::WindowHandle::None || platform::GetWindowThreadId(window) != platform::GetCurrentThreadId()
        || !platform::CNativeWindow::IsVideoThread())
        return false;
    platform::CNativeWindow* native = platform::CNativeWindow::FindByTarget(window);
    return native && native->FlashIfInBackground();
}

} // namespace net
