#include "engine/media/ResourceModule.h"

#include "engine/core/EngineLog.h"
#include "engine/core/EnginePath.h"
#include "engine/media/ResPackage.h"
#include "engine/media/ResourceCategory.h"
#include "platform/Path.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace engine {

ResourceModule::~ResourceModule() { Unload(); }

void ResourceModule::Unload()
{
    for (auto& file : m_open_files)
        file->Close();
    m_open_files.clear();
}

int32_t ResourceModule::OnMessage(int32_t message_id, uintptr_t param1, uintptr_t)
{
    const char* text = reinterpret_cast<const char*>(param1);
    switch (message_id) {
    case RESOURCE_MSG_ADD_FILE:
        if (text)
            (void)AddFile(text);
        break;
    case VELOTRIX_MSG_ADD_DIRECTORY:
        if (text)
            AddDirectory(text);
        break;
    case VELOTRIX_MSG_LOAD_PACKAGE:
        if (text)
            LoadPackage(text);
        break;
    case VELOTRIX_MSG_LOAD_PACKAGE_MEMORY:
        if (param1)
            LoadPackageFromMemory(*reinterpret_cast<const std::span<const uint8_t>*>(param1));
        break;
    default:
        break;
    }
    return VELOTRIX_RETURN_OK;
}

NameKey ResourceModule::AddFile(std::string_view path, std::string_view name)
{
    auto file = CResourceFile::Open(path);
    if (!file)
        return NameKey {};
    ResourceRecord record;
    record.key = MakeNameKey(ResourceNameOf(path, name));
    record.type = StringHash(GetFileExtLower(path));
    record.category = LookupCategory(record.type);
    record.file = file;
    record.flags = RESOURCE_FLAGS_LOOSE;
    const NameKey key = record.key;
    Release(key);
    m_records.emplace(key, std::move(record));
    m_open_files.push_back(std::move(file));
    return key;
}

NameKey ResourceModule::AddResource(std::string_view path, std::vector<uint8_t> data)
{
    if (data.size() > RESOURCE_MAX_BYTES)
        return NameKey {};
    ResourceRecord record;
    record.key = MakeNameKey(ResourceNameOf(path));
    record.type = StringHash(GetFileExtLower(path));
    record.category = LookupCategory(record.type);
    record.flags = RESOURCE_FLAGS_LOOSE;
    record.size = uint32_t(data.size());
    record.data = std::make_unique<uint8_t[]>(data.size() + 1);
    if (!data.empty())
        std::memcpy(record.data.get(), data.data(), data.size());
    record.data[data.size()] = 0;
    const NameKey key = record.key;
    Release(key);
    m_records.emplace(key, std::move(record));
    return key;
}

int ResourceModule::AddDirectory(std::string_view directory)
{
    const auto os_folder = platform::FindExistingPath(directory);
    if (!os_folder)
        return 0;
    std::string folder(directory);
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/'))
        folder += '\\';
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(*os_folder, error)) {
        std::error_code type_error;
        if (!entry.is_regular_file(type_error))
            continue;
        if (auto name = platform::FromOsPath(entry.path().filename().string()))
            names.push_back(std::move(*name));
    }
    // Directory order is arbitrary; sort so that a later duplicate is well defined.
    std::sort(names.begin(), names.end());
    int added = 0;
    for (const auto& name : names) {
        const NameKey key = AddFile(folder + name);
        if (!(key == NameKey {}))
            ++added;
    }
    return added;
}

int ResourceModule::RegisterPackage(CResPackage& package, const std::shared_ptr<CResourceFile>& file,
                                    std::span<const uint8_t> image)
{
    if (package.GetEntryCount() == 0)
        return 0;
    int walked = 0;
    package.Rewind();
    do {
        const ResPackageEntry entry = package.CopyEntry();
        ++walked;
        if (m_records.contains(entry.key))
            continue;
        ResourceRecord record;
        record.key = entry.key;
        record.type = entry.type;
        record.category = LookupCategory(entry.type);
        record.offset = entry.offset;
        record.size = entry.size;
        record.flags = RESOURCE_FLAGS_PACKAGE;
        record.file = file;
        if (!file) {
            // A package in memory: the bytes are copied at once and owned.
            record.data = std::make_unique<uint8_t[]>(size_t(entry.size) + 1);
            std::memcpy(record.data.get(), image.data() + entry.offset, entry.size);
            record.data[entry.size] = 0;
        }
        m_records.emplace(entry.key, std::move(record));
    } while (package.NextEntry(0));
    return walked;
}

int ResourceModule::LoadPackage(std::string_view path)
{
    CResPackage package(path);
    std::shared_ptr<CResourceFile> file;
    if (package.IsOpen())
        file = CResourceFile::Open(path);
    if (!file) {
        WriteGameLog("资源包%.*s加载失败!", int(path.size()), path.data());
        // The report carries no text: a pointer to it would not outlive this call.
        PostMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_MODULE_FAULT, 0, 0);
        return 0;
    }
    m_open_files.push_back(file);
    return RegisterPackage(package, file, {});
}

int ResourceModule::LoadPackageFromMemory(std::span<const uint8_t> image)
{
    CResPackageMem package(image);
    if (!package.IsOpen()) {
        WriteGameLog("资源包%zx加载失败!", size_t(reinterpret_cast<uintptr_t>(image.data())));
        PostMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_MODULE_FAULT, 0, 0);
        return 0;
    }
    return RegisterPackage(package, nullptr, image);
}

bool ResourceModule::Exists(const NameKey& key) const { return m_records.contains(key); }

std::span<const uint8_t> ResourceModule::Find(const NameKey& key)
{
    const ResourceRecord* record = ReadData(key);
    return record ? record->Bytes() : std::span<const uint8_t>();
}

ResourceRecord* ResourceModule::ReadData(const NameKey& key)
{
    const auto it = m_records.find(key);
    if (it == m_records.end())
        return nullptr;
    ResourceRecord& record = it->second;
    if (record.data)
        return &record;
    if (!record.file || !record.file->IsOpen())
        return nullptr;
    uint64_t size = record.size;
    // Only a loose file learns its size on first read; a package entry of
    // size 0 is an empty resource.
    if (size == 0 && (record.flags & RESOURCE_FLAG_OWN_FILE)) {
        if (record.file->GetLength() > RESOURCE_MAX_BYTES)
            return nullptr;
        size = record.file->GetLength();
    }
    if (size > RESOURCE_MAX_BYTES || record.offset + size > record.file->GetLength())
        return nullptr;
    auto data = std::make_unique<uint8_t[]>(size + 1);
    data[size] = 0;
    if (!record.file->ReadAt(record.offset, data.get(), size))
        return nullptr;
    record.size = uint32_t(size);
    record.data = std::move(data);
    return &record;
}

void ResourceModule::ReleaseData(const NameKey& key)
{
    const auto it = m_records.find(key);
    if (it != m_records.end() && it->second.file)
        it->second.data.reset();
}

void ResourceModule::ReleaseByPath(std::string_view path)
{
    Release(MakeNameKey(ResourceNameOf(path)));
}

void ResourceModule::Release(const NameKey& key_to_release)
{
    // A copy: the caller's key may live in the record that goes.
    const NameKey key = key_to_release;
    const auto it = m_records.find(key);
    if (it == m_records.end())
        return;
    ResourceRecord& record = it->second;
    if ((record.flags & RESOURCE_FLAGS_LOOSE) == RESOURCE_FLAGS_LOOSE && record.file)
        CloseFile(record.file);
    m_records.erase(it);
    if (m_release_listener)
        m_release_listener(key);
}

void ResourceModule::CloseFile(const std::shared_ptr<CResourceFile>& file)
{
    file->Close();
    std::erase(m_open_files, file);
}

} // namespace engine
