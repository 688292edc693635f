#pragma once
// Random bytes from the kernel (getrandom), where the client needs unique or
// unpredictable values (it used globally unique ids for them).
//
// Owner: none. Threads: any. Hazards: none; a failure is reported, never
// papered over with weak random numbers.

#include <cstdint>
#include <span>

namespace platform {

// Fills `out` completely. False (and `out` unspecified) when the kernel
// refuses, which on Linux 3.17+ only happens for a bad buffer.
[[nodiscard]] bool GetRandomBytes(std::span<uint8_t> out);

} // namespace platform
