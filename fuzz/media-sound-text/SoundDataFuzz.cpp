// Feeds arbitrary bytes as sound data to the sound library wrapper (SDL_mixer
// on its dummy driver): what the library's loaders make of them, or refuse,
// goes through the wrapper's streams and channels and is freed again.
#include "engine/media/CSdlMixerSoundLibrary.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// A hostile header makes the library's loaders ask for gigabytes; they get
// no memory (allocator_may_return_null, set for every fuzz run) and must
// refuse the bytes, instead of the fuzzer calling the request a crash.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=1024"; }

namespace {

engine::CSdlMixerSoundLibrary* s_library = nullptr;

} // namespace

// The device opens once, before the first input; so does SDL's per-thread
// error text, which the loaders fill on every refusal.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    static engine::CSdlMixerSoundLibrary library;
    (void)library.Init();
    s_library = &library;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // MIDI is played by our own player (fuzz_midi_file); the library would
    // load a whole sound font for each such input.
    if (size >= 4 && std::memcmp(data, "MThd", 4) == 0)
        return 0;
    if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "RMID", 4) == 0)
        return 0;
    // SDL_mixer 2.6's FLAC loader leaks what its metadata callback made when
    // the metadata is damaged: the library's own leak, below our code.
    if (size >= 4 && std::memcmp(data, "fLaC", 4) == 0)
        return 0;
    engine::CSdlMixerSoundLibrary& library = *s_library;
    const std::span<const uint8_t> bytes(data, size);
    const uint32_t first = library.StreamCreate(bytes);
    const uint32_t second = library.StreamCreate(bytes);
    if (first == 0 || second == 0) {
        if (first != second && (first == 0) == (second == 0))
            __builtin_trap();
        library.StreamFree(first);
        library.StreamFree(second);
        return 0;
    }
    if (first == second)
        __builtin_trap(); // every stream has its own handle
    library.ChannelPlay(first, false);
    library.ChannelPlay(second, true);
    (void)library.ChannelIsActive(first);
    library.ChannelPause(first);
    library.ChannelPlay(first, false);
    library.ChannelStop(second);
    (void)library.ChannelIsActive(second);
    library.StreamFree(first);
    library.ChannelPlay(first, true); // a freed handle names nothing
    library.StreamFree(second);
    return 0;
}
