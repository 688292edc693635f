#include "engine/media/ResourceFile.h"

#include "platform/Path.h"

#include <sys/stat.h>

namespace engine {

std::shared_ptr<CResourceFile> CResourceFile::Open(std::string_view path)
{
    const auto os_path = platform::FindExistingPath(path);
    if (!os_path)
        return nullptr;
    std::FILE* file = std::fopen(os_path->c_str(), "rb");
    if (!file)
        return nullptr;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return std::make_shared<CResourceFile>(Key {}, file, uint64_t(info.st_size));
}

CResourceFile::~CResourceFile() { Close(); }

bool CResourceFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t size)
{
    if (!m_file || offset > m_length || size > m_length - offset)
        return false;
    if (size == 0)
        return true;
    if (fseeko(m_file, off_t(offset), SEEK_SET) != 0)
        return false;
    return std::fread(buffer, 1, size, m_file) == size;
}

void CResourceFile::Close()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

} // namespace engine
