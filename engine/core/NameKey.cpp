#include "engine/core/NameKey.h"

namespace engine {

namespace {

// The hashed text ends at its first 0 byte, as the original C strings did.
std::string_view UpToNul(std::string_view text)
{
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

uint32_t SignedByte(char c)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
}

} // namespace

uint32_t RSHash(std::string_view text)
{
    uint32_t hash = 0;
    uint32_t a = 63689;
    for (char c : UpToNul(text)) {
        hash = hash * a + SignedByte(c);
        a *= 378551u;
    }
    return hash & 0x7FFFFFFFu;
}

uint32_t JSHash(std::string_view text)
{
    uint32_t hash = 1315423911u;
    for (char c : UpToNul(text))
        hash ^= (hash << 5) + SignedByte(c) + (hash >> 2);
    return hash & 0x7FFFFFFFu;
}

uint32_t Hash31(std::string_view text)
{
    uint32_t hash = 0;
    for (char c : UpToNul(text))
        hash = hash * 31u + static_cast<uint8_t>(c);
    return hash;
}

uint32_t StringHash(std::string_view text)
{
    return RSHash(text);
}

NameKey* MakeNameKey(NameKey* key, std::string_view text)
{
    if (key != nullptr)
        *key = MakeNameKey(text);
    return key;
}

NameKey MakeNameKey(std::string_view text)
{
    return NameKey { RSHash(text), JSHash(text), Hash31(text) };
}

bool NameKeyLess(const NameKey& a, const NameKey& b)
{
    if (a.rs != b.rs)
        return a.rs < b.rs;
    if (a.js != b.js)
        return a.js < b.js;
    return a.h31 < b.h31;
}

} // namespace engine
