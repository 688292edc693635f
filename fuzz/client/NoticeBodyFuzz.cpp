// A notice body from a web server as the download's write step takes it: the
// input is cut into pieces (their sizes drawn from the first byte, as the
// transfer hands them over however it likes) and fed in order. A body taken
// whole begins with the prefix and is in the file byte for byte; a body that
// does not begin with it is refused before anything is written; nothing
// past the size cap is ever written.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "client/NoticeDownload.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static std::FILE* const file = std::tmpfile();
    if (file == nullptr)
        return 0;
    std::rewind(file);
    client::NoticeBody body;
    body.file = file;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    // Pieces of 1 to 16 bytes, from a small generator seeded by the first byte.
    uint32_t seed = data[0] | 1u;
    bool taken = true;
    for (size_t at = 0; at < text.size() && taken;) {
        seed = seed * 1103515245u + 12345u;
        const size_t piece = std::min<size_t>(1 + (seed >> 16) % 16, text.size() - at);
        taken = body.Take(text.substr(at, piece));
        at += piece;
    }
    std::fflush(file);
    const long length = std::ftell(file);
    if (length < 0 || static_cast<size_t>(length) != body.written || body.written > client::NOTICE_MAX_BYTES)
        __builtin_trap();
    const bool prefixed = text.size() >= client::NOTICE_PREFIX_LENGTH
        && platform::GbkEqualsNoCase(text.substr(0, client::NOTICE_PREFIX_LENGTH), client::NOTICE_PREFIX);
    if (body.refused != (text.size() >= client::NOTICE_PREFIX_LENGTH && !prefixed) || (body.refused && body.written != 0))
        __builtin_trap();
    if (taken && body.prefix_checked) {
        // Taken whole: the file holds the body as it came.
        if (body.written != text.size())
            __builtin_trap();
        std::vector<char> back(body.written);
        std::rewind(file);
        if (std::fread(back.data(), 1, back.size(), file) != back.size()
            || std::string_view(back.data(), back.size()) != text)
            __builtin_trap();
    }
    return 0;
}
