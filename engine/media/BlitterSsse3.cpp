// The SSSE3 row kernels: four pixels at a time with the byte shuffle and
// multiply-add, for processors without AVX2; chosen at run time where the
// processor has SSSE3. Everything between the target push and pop is
// compiled for SSSE3; the headers above it keep the build's own instruction
// set. The covered copy, blend, tint and fade are the shared ones of
// BlitterLanes.h; scaled rows are made as the SSE2 table makes them.
#include "engine/media/BlitterKernels.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define PLDK_BLIT_SSSE3 1
#endif

namespace engine::blit {

#if defined(PLDK_BLIT_SSSE3)

bool ProcessorHasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("ssse3"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("ssse3")
#endif

namespace {

#include "engine/media/BlitterLanes.h"

struct Ssse3Ops : Sse2Ops {
    static V Shuffle8(V v, V pick) { return _mm_shuffle_epi8(v, pick); }
    static V MaddUbs16(V a, V b) { return _mm_maddubs_epi16(a, b); }
};

using Kernels = Lanes<Ssse3Ops>;

constexpr RowKernels SSSE3 { Kernels::Copy, Kernels::CopyCovered, Kernels::Blend, Kernels::BlendRows, Kernels::Tint,
                             Kernels::Fade, ScalarGather, ScalarBilinear };

} // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

const RowKernels* Ssse3Kernels() { return &SSSE3; }

#else

bool ProcessorHasSsse3() { return false; }
const RowKernels* Ssse3Kernels() { return nullptr; }

#endif

} // namespace engine::blit
