#pragma once
// CResourceFile: one open file of the resource module (a loose file or a
// package), read at offsets.
//
// Owner: the resource module's list of open files; records that read from
// the file share it (std::shared_ptr). Thread: engine (UI) thread.
// Hazards: Close() may run while records still point at the file (module
// unload, release of a loose file); reads then fail and the records answer
// "no data", as a closed handle would.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Path.h"

namespace engine {

class CResourceFile {
    struct Key { };

public:
    // Opens the file (a GBK program path, found case-insensitively) for
    // binary reading; null when it cannot be opened or is not a regular file.
    [[nodiscard]] static std::shared_ptr<CResourceFile> Open(std::string_view path);

    ~CResourceFile() = default;
    CResourceFile(const CResourceFile&) = delete;
    CResourceFile& operator=(const CResourceFile&) = delete;

    [[nodiscard]] bool IsOpen() const { return m_file != nullptr; }
    [[nodiscard]] uint64_t GetLength() const { return m_length; }
    // Reads exactly size bytes at offset; false when closed, out of range or short.
    [[nodiscard]] bool ReadAt(uint64_t offset, uint8_t* buffer, size_t size);
    void Close();

    // Only Open() makes files (the key is private).
    CResourceFile(Key, platform::FileHandle file, uint64_t length) : m_file(std::move(file)), m_length(length) { }

private:
    platform::FileHandle m_file;
    uint64_t m_length { 0 };
};

} // namespace engine
