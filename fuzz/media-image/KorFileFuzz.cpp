// Feeds arbitrary bytes to the ".kor" package reader as a file on disk: the
// file-backed package, and the resource module registering it and reading
// every resource at its offsets through the open file.
#include "KorWalk.h"

#include "engine/media/ResPackage.h"
#include "engine/media/ResourceModule.h"

#include "platform/Path.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// One file per fuzzing process, in the temporary folder, removed at exit
// (the text lives on for the exit handler).
const std::string& PackagePath()
{
    static const std::string* const path = [] {
        auto* made = new std::string(
            platform::JoinPath(platform::GetTempFolder(), "pldk-fuzz-kor-" + std::to_string(getpid()) + ".kor"));
        std::atexit([] {
            if (const auto os_path = platform::ToOsPath(PackagePath()))
                std::remove(os_path->c_str());
        });
        return made;
    }();
    return *path;
}

bool WritePackage(const uint8_t* data, size_t size)
{
    const platform::FileHandle file = platform::OpenFile(PackagePath(), "wb");
    return file && std::fwrite(data, 1, size, file.get()) == size && std::fflush(file.get()) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WritePackage(data, size))
        return 0;
    engine::CResPackage package(PackagePath());
    WalkPackage(package);
    engine::ResourceModule module;
    if (module.LoadPackage(PackagePath()) > 0 && package.IsOpen()) {
        package.Rewind();
        while (package.NextEntry(0)) {
            const engine::NameKey key = package.CopyEntry().key;
            (void)module.Find(key);
            module.ReleaseData(key);
            (void)module.Find(key); // read again from the file
        }
    }
    module.Unload();
    return 0;
}
