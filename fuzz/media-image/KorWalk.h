// Shared by the .kor fuzz targets: reads every entry of an open package
// (one past the count too, which must be refused) and walks it by a type.
#pragma once

#include "engine/media/ResPackage.h"

#include <cstdint>

inline void WalkPackage(engine::CResPackage& package)
{
    if (!package.IsOpen())
        return;
    for (uint32_t i = 0; i <= package.GetEntryCount(); ++i) {
        uint8_t buffer[64];
        (void)package.ReadEntry(i, buffer, sizeof buffer);
        (void)package.ReadEntryAlloc(i);
    }
    package.Rewind();
    while (package.NextEntry(0x1234)) { }
}
