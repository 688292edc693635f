// Feeds arbitrary bytes to the ".kor" package reader as a package in memory,
// then reads every resource it registered.
#include "engine/media/ResPackage.h"
#include "engine/media/ResourceModule.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> image(data, size);
    engine::CResPackageMem package(image);
    if (package.IsOpen()) {
        for (uint32_t i = 0; i <= package.GetEntryCount(); ++i) {
            uint8_t buffer[64];
            (void)package.ReadEntry(i, buffer, sizeof buffer);
            (void)package.ReadEntryAlloc(i);
        }
        package.Rewind();
        while (package.NextEntry(0x1234)) { }
    }
    engine::ResourceModule module;
    if (module.LoadPackageFromMemory(image) > 0) {
        for (uint32_t i = 0; i < package.GetEntryCount(); ++i) {
            package.Rewind();
            (void)module.Find(package.CopyEntry().key);
        }
    }
    return 0;
}
