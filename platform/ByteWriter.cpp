#include "platform/ByteWriter.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void FailByteWriterCapacity(size_t position, size_t size, size_t capacity)
{
    std::fprintf(stderr, "CByteWriter: %zu bytes at offset %zu pass the buffer's %zu bytes\n", size, position,
                 capacity);
    std::abort();
}

} // namespace platform
