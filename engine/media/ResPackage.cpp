#include "engine/media/ResPackage.h"

#include "engine/media/ResourceFile.h"
#include "platform/ByteOrder.h"

#include <cstring>

namespace engine {

using platform::LoadU32LE;
using platform::StoreU32LE;

ResPackageEntry ResPackageEntry::Parse(std::span<const uint8_t, RES_PACKAGE_ENTRY_SIZE> bytes)
{
    ResPackageEntry entry;
    entry.key.rs = LoadU32LE(&bytes[0]);
    entry.key.js = LoadU32LE(&bytes[4]);
    entry.key.h31 = LoadU32LE(&bytes[8]);
    entry.offset = LoadU32LE(&bytes[12]);
    entry.size = LoadU32LE(&bytes[16]);
    entry.type = LoadU32LE(&bytes[20]);
    std::memcpy(entry.type_rest.data(), &bytes[24], 8);
    return entry;
}

void ResPackageEntry::Write(std::span<uint8_t, RES_PACKAGE_ENTRY_SIZE> bytes) const
{
    StoreU32LE(&bytes[0], key.rs);
    StoreU32LE(&bytes[4], key.js);
    StoreU32LE(&bytes[8], key.h31);
    StoreU32LE(&bytes[12], offset);
    StoreU32LE(&bytes[16], size);
    StoreU32LE(&bytes[20], type);
    std::memcpy(&bytes[24], type_rest.data(), 8);
}

CResPackage::CResPackage(std::string_view path)
{
    auto file = CResourceFile::Open(path);
    if (!file || file->GetLength() < RES_PACKAGE_HEADER_SIZE)
        return;
    std::vector<uint8_t> image(RES_PACKAGE_HEADER_SIZE);
    if (!file->ReadAt(0, image.data(), image.size()))
        return;
    const uint64_t count = LoadU32LE(&image[RES_PACKAGE_ENTRY_COUNT_OFFSET]);
    if (count > (file->GetLength() - RES_PACKAGE_HEADER_SIZE) / RES_PACKAGE_ENTRY_SIZE)
        return;
    image.resize(RES_PACKAGE_HEADER_SIZE + count * RES_PACKAGE_ENTRY_SIZE);
    if (!file->ReadAt(RES_PACKAGE_HEADER_SIZE, image.data() + RES_PACKAGE_HEADER_SIZE,
                      image.size() - RES_PACKAGE_HEADER_SIZE))
        return;
    if (Parse(image, file->GetLength()))
        m_path = std::string(path);
}

bool CResPackage::Parse(std::span<const uint8_t> image, uint64_t length)
{
    if (image.size() < RES_PACKAGE_HEADER_SIZE)
        return false;
    const uint64_t count = LoadU32LE(&image[RES_PACKAGE_ENTRY_COUNT_OFFSET]);
    if (count > (image.size() - RES_PACKAGE_HEADER_SIZE) / RES_PACKAGE_ENTRY_SIZE)
        return false;
    std::vector<ResPackageEntry> entries;
    entries.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const auto bytes = image.subspan(RES_PACKAGE_HEADER_SIZE + i * RES_PACKAGE_ENTRY_SIZE)
                               .first<RES_PACKAGE_ENTRY_SIZE>();
        ResPackageEntry entry = ResPackageEntry::Parse(bytes);
        if (uint64_t(entry.offset) + entry.size > length)
            return false;
        entries.push_back(entry);
    }
    m_entries = std::move(entries);
    m_walk_bound = uint32_t(std::min<uint64_t>(LoadU32LE(&image[RES_PACKAGE_WALK_BOUND_OFFSET]), count));
    m_cursor = 0;
    return true;
}

int CResPackage::NextEntry(uint32_t type)
{
    while (uint64_t(m_cursor) + 1 < m_walk_bound) {
        ++m_cursor;
        if (type == 0 || m_entries[m_cursor].type == type)
            return 1;
    }
    return 0;
}

ResPackageEntry CResPackage::CopyEntry() const
{
    return m_cursor < m_entries.size() ? m_entries[m_cursor] : ResPackageEntry {};
}

int CResPackage::ReadEntry(uint32_t index, uint8_t* buffer, size_t buffer_size)
{
    if (index >= m_walk_bound || !buffer || buffer_size < m_entries[index].size || !IsOpen())
        return 0;
    auto file = CResourceFile::Open(m_path);
    if (!file)
        return 0;
    return file->ReadAt(m_entries[index].offset, buffer, m_entries[index].size) ? 1 : 0;
}

std::optional<std::vector<uint8_t>> CResPackage::ReadEntryAlloc(uint32_t index)
{
    if (!IsOpen() || index >= m_entries.size())
        return std::nullopt;
    auto file = CResourceFile::Open(m_path);
    std::vector<uint8_t> bytes(m_entries[index].size);
    if (!file || !file->ReadAt(m_entries[index].offset, bytes.data(), bytes.size()))
        return std::nullopt;
    return bytes;
}

CResPackageMem::CResPackageMem(std::span<const uint8_t> image)
{
    if (image.data() && Parse(image, image.size()))
        m_image = image;
}

int CResPackageMem::ReadEntry(uint32_t index, uint8_t* buffer, size_t buffer_size)
{
    if (index >= GetWalkBound() || !buffer || buffer_size < Entries()[index].size || !IsOpen())
        return 0;
    std::memcpy(buffer, m_image.data() + Entries()[index].offset, Entries()[index].size);
    return 1;
}

std::optional<std::vector<uint8_t>> CResPackageMem::ReadEntryAlloc(uint32_t index)
{
    if (!IsOpen() || index >= GetEntryCount())
        return std::nullopt;
    const auto& entry = Entries()[index];
    const uint8_t* begin = m_image.data() + entry.offset;
    return std::vector<uint8_t>(begin, begin + entry.size);
}

std::vector<uint8_t> BuildResPackage(const std::vector<ResPackageSource>& resources)
{
    const uint64_t table = RES_PACKAGE_HEADER_SIZE + uint64_t(resources.size()) * RES_PACKAGE_ENTRY_SIZE;
    uint64_t total = table;
    for (const ResPackageSource& resource : resources)
        total += resource.data.size();
    // Offsets and sizes are 32-bit words: a larger package cannot be written.
    if (total > UINT32_MAX)
        return {};
    std::vector<uint8_t> image(table, 0);
    image.reserve(total);
    StoreU32LE(&image[RES_PACKAGE_WALK_BOUND_OFFSET], uint32_t(resources.size()));
    StoreU32LE(&image[RES_PACKAGE_ENTRY_COUNT_OFFSET], uint32_t(resources.size()));
    for (size_t i = 0; i < resources.size(); ++i) {
        ResPackageEntry entry;
        entry.key = MakeNameKey(resources[i].name);
        entry.offset = uint32_t(image.size());
        entry.size = uint32_t(resources[i].data.size());
        entry.type = resources[i].type;
        entry.Write(std::span(image).subspan(RES_PACKAGE_HEADER_SIZE + i * RES_PACKAGE_ENTRY_SIZE)
                        .first<RES_PACKAGE_ENTRY_SIZE>());
        image.insert(image.end(), resources[i].data.begin(), resources[i].data.end());
    }
    return image;
}

} // namespace engine
