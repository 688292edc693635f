#pragma once
// ResourceModule (module 1001, "ResourceModule"): every image, sound, script
// and skin element is found through it by the NameKey of its resource name
// (file title + category text, "btnThrow.imge"). Resources come from loose
// files, whole folders, ".kor" packages and packages held in memory; a
// resource's bytes are read when first asked for and kept until release.
//
// Owner: GameCore (loaded by the host window). Thread: engine (UI) thread;
// no lock of its own.
// Hazards: package entries and file lengths are untrusted: sizes and offsets
// are checked against the file before anything is allocated, and reads are
// capped (RESOURCE_MAX_BYTES). A resource added from memory has no file: its
// bytes are its only copy and are never dropped by ReleaseData.
// Module messages 1038 (add file), 1039 (add folder) and 1040 (load package)
// take a 0-terminated GBK path in param1; 1041 takes a pointer to a
// std::span<const uint8_t> of the package image (valid during the call).
// Every message is answered with VELOTRIX_RETURN_OK.
#include "engine/core/EngineModule.h"
#include "engine/core/ModuleServices.h"
#include "engine/core/NameKey.h"
#include "engine/media/ResourceFile.h"

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr uint32_t RESOURCE_FLAG_PRESENT = 1;
inline constexpr uint32_t RESOURCE_FLAG_OWN_FILE = 16;     ///< the file belongs to this record alone
inline constexpr uint32_t RESOURCE_FLAG_SHARED_FILE = 32;  ///< the file is a package's, shared
inline constexpr uint32_t RESOURCE_FLAGS_LOOSE = RESOURCE_FLAG_PRESENT | RESOURCE_FLAG_OWN_FILE;
inline constexpr uint32_t RESOURCE_FLAGS_PACKAGE = RESOURCE_FLAG_PRESENT | RESOURCE_FLAG_SHARED_FILE;
// Largest resource the module reads into memory.
inline constexpr uint32_t RESOURCE_MAX_BYTES = 256u * 1024 * 1024;

inline constexpr int32_t RESOURCE_MSG_ADD_FILE = 1038;

struct ResourceRecord {
    NameKey key;
    uint32_t type { 0 };                   ///< StringHash of the extension (".png")
    uint32_t category { 0 };               ///< LookupCategory of the type
    std::shared_ptr<CResourceFile> file;   ///< none for resources held in memory
    uint32_t flags { 0 };
    uint32_t offset { 0 };
    uint32_t size { 0 };                   ///< 0 for a loose file until its first read
    std::unique_ptr<uint8_t[]> data;       ///< size + 1 bytes, the last one 0; none until read

    [[nodiscard]] std::span<const uint8_t> Bytes() const
    {
        return data ? std::span<const uint8_t>(data.get(), size) : std::span<const uint8_t>();
    }
};

class ResourceModule final : public EngineModule, public IResourceModule {
public:
    ResourceModule() = default;
    ~ResourceModule() override;

    [[nodiscard]] int Load() override { return 1; }
    void Unload() override;
    void Update() override { }
    [[nodiscard]] uint32_t GetWorkDueIn(uint32_t /*now*/) const override { return NO_WORK_DUE; }
    [[nodiscard]] int32_t GetId() const override { return VELOTRIX_MODULE_RESOURCE; }
    [[nodiscard]] const char* GetName() const override { return "ResourceModule"; }
    int32_t OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) override;

    // Registers a loose file under name (or its title) plus its category
    // text; the file stays open. An all-zero key when it cannot be opened.
    [[nodiscard]] NameKey AddFile(std::string_view path, std::string_view name = {}) override;
    // Registers bytes held in memory under the name path gives.
    [[nodiscard]] NameKey AddResource(std::string_view path, std::vector<uint8_t> data) override;
    using IResourceModule::AddResource;
    // AddFile for every file of the folder (not recursive); the number added.
    int AddDirectory(std::string_view directory);
    // Registers the entries of a package; the number of entries walked, or 0
    // when the package cannot be opened or is damaged.
    int LoadPackage(std::string_view path);
    int LoadPackageFromMemory(std::span<const uint8_t> image);

    [[nodiscard]] bool Exists(const NameKey& key) const override;
    // The resource's bytes (read on first use); empty when missing or unreadable.
    [[nodiscard]] std::span<const uint8_t> Find(const NameKey& key) override;
    // The record with its bytes loaded, or null.
    [[nodiscard]] ResourceRecord* ReadData(const NameKey& key);
    // Frees the loaded bytes of a record that can read them again (one with
    // a file); bytes held only in memory stay.
    void ReleaseData(const NameKey& key);
    void ReleaseByPath(std::string_view path);
    void Release(const NameKey& key) override;

    [[nodiscard]] size_t GetCount() const { return m_records.size(); }

    // Called with the key of every resource that is released or replaced, so
    // that what was decoded from its old bytes can be dropped (the paint
    // module's image cache). One listener; an empty function removes it.
    void SetReleaseListener(std::function<void(const NameKey&)> listener) { m_release_listener = std::move(listener); }

private:
    int RegisterPackage(class CResPackage& package, const std::shared_ptr<CResourceFile>& file,
                        std::span<const uint8_t> image);
    void CloseFile(const std::shared_ptr<CResourceFile>& file);

    std::map<NameKey, ResourceRecord, NameKeyOrder> m_records;
    std::vector<std::shared_ptr<CResourceFile>> m_open_files;
    std::function<void(const NameKey&)> m_release_listener;
};

} // namespace engine
