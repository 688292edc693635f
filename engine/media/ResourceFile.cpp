#include "engine/media/ResourceFile.h"

#include "platform/Path.h"

#include <sys/stat.h>

#include <utility>

namespace engine {

std::shared_ptr<CResourceFile> CResourceFile::Open(std::string_view path)
{
    platform::FileHandle file = platform::OpenFile(path, "rb");
    if (!file)
        return nullptr;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    return std::make_shared<CResourceFile>(Key {}, std::move(file), uint64_t(info.st_size));
}

bool CResourceFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t size)
{
    if (!m_file || offset > m_length || size > m_length - offset)
        return false;
    if (size == 0)
        return true;
    if (fseeko(m_file.get(), off_t(offset), SEEK_SET) != 0)
        return false;
    return std::fread(buffer, 1, size, m_file.get()) == size;
}

void CResourceFile::Close()
{
    m_file.reset();
}

} // namespace engine
