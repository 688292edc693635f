#pragma once
// CResPackage and CResPackageMem: a ".kor" resource package read from a file
// or from memory.
//
// Layout (little-endian, no magic): a 176-byte ResPackageHeader whose words
// at offset 100 (walk bound: entries 0 .. bound - 1 are registered) and 104
// (entry count) are the only ones read; then entry count ResPackageEntry
// records of 32 bytes: the NameKey of the resource name (12), offset (4) and
// size (4) of its bytes from the start of the package, and a 12-byte type
// key whose first word is StringHash of the resource's extension. The data
// lies anywhere in the package at the entries' offsets.
//
// Owner: the resource module while it loads a package (short-lived).
// Thread: engine (UI) thread.
// Hazards: the header and entries are untrusted. A package whose entry table
// does not fit, or whose entries reach past its end, is refused (IsOpen()
// false); a walk bound above the entry count is held to the count.
#include "engine/core/NameKey.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr size_t RES_PACKAGE_HEADER_SIZE = 176;
inline constexpr size_t RES_PACKAGE_ENTRY_SIZE = 32;
inline constexpr size_t RES_PACKAGE_WALK_BOUND_OFFSET = 100;
inline constexpr size_t RES_PACKAGE_ENTRY_COUNT_OFFSET = 104;

struct ResPackageEntry {
    NameKey key;
    uint32_t offset { 0 };
    uint32_t size { 0 };
    uint32_t type { 0 };                         ///< StringHash of the extension
    std::array<uint8_t, 8> type_rest {};         ///< not read by the engine

    // Reads one 32-byte record.
    [[nodiscard]] static ResPackageEntry Parse(std::span<const uint8_t, RES_PACKAGE_ENTRY_SIZE> bytes);
    void Write(std::span<uint8_t, RES_PACKAGE_ENTRY_SIZE> bytes) const;
};

class CResPackage {
public:
    // Reads the header and entries of the package file (a GBK path; '/' and
    // '\' both separate folders) and closes it again.
    explicit CResPackage(std::string_view path);
    virtual ~CResPackage() = default;
    CResPackage(const CResPackage&) = delete;
    CResPackage& operator=(const CResPackage&) = delete;

    // 1 and the entry's bytes in buffer; 0 when index is not below the walk
    // bound, the buffer is smaller than the entry, or the read fails.
    [[nodiscard]] virtual int ReadEntry(uint32_t index, uint8_t* buffer, size_t buffer_size);
    // The entry's bytes in a new buffer; empty when closed or index is out of range.
    [[nodiscard]] virtual std::optional<std::vector<uint8_t>> ReadEntryAlloc(uint32_t index);
    [[nodiscard]] virtual bool IsOpen() const { return !m_path.empty(); }

    void Rewind() { m_cursor = 0; }
    // Moves the cursor on (to the next entry of `type` when type is not 0);
    // 1 when it moved onto a matching entry, 0 at the walk bound.
    [[nodiscard]] int NextEntry(uint32_t type);
    [[nodiscard]] ResPackageEntry CopyEntry() const;
    [[nodiscard]] uint32_t GetWalkBound() const { return m_walk_bound; }
    [[nodiscard]] uint32_t GetEntryCount() const { return uint32_t(m_entries.size()); }
    [[nodiscard]] const std::string& GetPath() const { return m_path; }

protected:
    CResPackage() = default;
    // Reads header and entries from the start of an image of `length` bytes;
    // false when they are not sound.
    [[nodiscard]] bool Parse(std::span<const uint8_t> image, uint64_t length);
    [[nodiscard]] const std::vector<ResPackageEntry>& Entries() const { return m_entries; }

private:
    std::vector<ResPackageEntry> m_entries;
    std::string m_path;
    uint32_t m_walk_bound { 0 };
    uint32_t m_cursor { 0 };
};

// A package image held in memory (not owned: it must outlive the object).
class CResPackageMem final : public CResPackage {
public:
    explicit CResPackageMem(std::span<const uint8_t> image);

    [[nodiscard]] int ReadEntry(uint32_t index, uint8_t* buffer, size_t buffer_size) override;
    [[nodiscard]] std::optional<std::vector<uint8_t>> ReadEntryAlloc(uint32_t index) override;
    [[nodiscard]] bool IsOpen() const override { return m_image.data() != nullptr; }

private:
    std::span<const uint8_t> m_image;
};

// One resource to be packed.
struct ResPackageSource {
    std::string name;                            ///< resource name with its category text
    uint32_t type { 0 };                         ///< StringHash of the extension
    std::vector<uint8_t> data;
};

// A package image of the resources, in order (walk bound = entry count);
// empty when it would not fit the format's 32-bit offsets.
[[nodiscard]] std::vector<uint8_t> BuildResPackage(const std::vector<ResPackageSource>& resources);

} // namespace engine
