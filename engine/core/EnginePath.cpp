#include "engine/core/EnginePath.h"

#include <cstdio>
#include <utility>

#include "engine/core/EngineLog.h"
#include "engine/core/EngineText.h"
#include "platform/Path.h"

namespace engine {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string_view FileNameOf(std::string_view path)
{
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string GetExeDir()
{
    return platform::GetProgramFolder();
}

std::string GetExePath(std::string_view name)
{
    return GetExeDir() + std::string(name);
}

bool FileExists(std::string_view path)
{
    return !path.empty() && platform::PathExists(path);
}

bool FileExistsBesideExe(std::string_view name)
{
    return FileExists(GetExePath(name));
}

std::optional<std::vector<uint8_t>> ReadWholeFile(std::string_view path, size_t cap, ReadFailure failure)
{
    if (path.empty())
        return std::nullopt;
    const std::string shown(path);
    const auto refuse = [&] {
        if (failure == ReadFailure::Log)
            WriteGameLog("文件%s 打开失败!", shown.c_str());
        return std::nullopt;
    };
    platform::FileHandle file = platform::OpenFile(path, "rb");
    if (!file)
        return refuse();
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return std::nullopt;
    const long size = std::ftell(file.get());
    if (size < 0 || static_cast<unsigned long>(size) > cap || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return refuse();
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (!data.empty() && std::fread(data.data(), 1, data.size(), file.get()) != data.size())
        return std::nullopt;
    return data;
}

int WriteWholeFile(std::string_view path, std::span<const uint8_t> data)
{
    platform::FileHandle file = platform::OpenFile(path, "wb+");
    if (!file)
        return 0;
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file.get()) != data.size())
        return 0;
    // Written data may first fail to reach the disk when the file is closed.
    return platform::CloseFile(std::move(file)) ? 1 : 0;
}

int MakeDirectoryTree(std::string_view path, int create)
{
    // Doubled separators collapse to one.
    std::string clean;
    for (char c : path) {
        if (IsSeparator(c) && !clean.empty() && IsSeparator(clean.back()))
            continue;
        clean.push_back(c);
    }
    if (clean.empty())
        return 0;
    // Every prefix ending before a separator, then the whole path. A drive
    // prefix ("C:") and the root are never created.
    std::vector<std::string> prefixes;
    for (size_t i = 1; i < clean.size(); ++i) {
        if (IsSeparator(clean[i]))
            prefixes.push_back(clean.substr(0, i));
    }
    if (!IsSeparator(clean.back()))
        prefixes.push_back(clean);
    for (const auto& prefix : prefixes) {
        if (prefix.back() == ':' || platform::PathExists(prefix))
            continue;
        if (create == 0)
            return 0;
        if (!platform::MakeDirectoryTree(prefix)) {
            ShowEngineMessageBox("Build   Directory" + prefix + "   Fail!", "");
            return 0;
        }
    }
    return 1;
}

std::string GetFileExtLower(std::string_view path)
{
    const std::string_view name = FileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string ext(name.substr(dot));
    LowerAsciiGbkSafe(ext);
    return ext;
}

std::string GetFileTitleOf(std::string_view path)
{
    const std::string_view name = FileNameOf(path);
    const auto dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string GetFileNameExtLower(std::string_view path)
{
    return GetFileTitleOf(path) + GetFileExtLower(path);
}

} // namespace engine
