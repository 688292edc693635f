// Feeds arbitrary bytes to the ".kor" package reader as a package in memory,
// then reads every resource it registered.
#include "KorWalk.h"

#include "engine/media/ResPackage.h"
#include "engine/media/ResourceModule.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> image(data, size);
    engine::CResPackageMem package(image);
    WalkPackage(package);
    engine::ResourceModule module;
    if (module.LoadPackageFromMemory(image) > 0) {
        for (uint32_t i = 0; i < package.GetEntryCount(); ++i) {
            package.Rewind();
            (void)module.Find(package.CopyEntry().key);
        }
    }
    return 0;
}
