#pragma once
// Marks memory that our own allocators hold but nobody may touch (the free
// chunks of CBlockPool) for AddressSanitizer, so a use after free inside a
// pool is reported like one of the heap. Without AddressSanitizer these do
// nothing and IsMemoryPoisoned answers false.
//
// Thread: any (AddressSanitizer's shadow memory is process-wide).

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define PLDK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLDK_ASAN 1
#endif
#endif

#if defined(PLDK_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace engine {

inline void PoisonMemory([[maybe_unused]] const void* memory, [[maybe_unused]] size_t size)
{
#if defined(PLDK_ASAN)
    ASAN_POISON_MEMORY_REGION(memory, size);
#endif
}

inline void UnpoisonMemory([[maybe_unused]] const void* memory, [[maybe_unused]] size_t size)
{
#if defined(PLDK_ASAN)
    ASAN_UNPOISON_MEMORY_REGION(memory, size);
#endif
}

[[nodiscard]] inline bool IsMemoryPoisoned([[maybe_unused]] const void* memory)
{
#if defined(PLDK_ASAN)
    return __asan_address_is_poisoned(memory) != 0;
#else
    return false;
#endif
}

[[nodiscard]] constexpr bool IsAddressSanitizerBuild()
{
#if defined(PLDK_ASAN)
    return true;
#else
    return false;
#endif
}

} // namespace engine
