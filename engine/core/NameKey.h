#pragma once
// The three string hashes of the engine and the 12-byte NameKey built from
// them, by which fonts, images, sounds and resources are looked up.
//
// Owner: engine/core. Pure functions, any thread.
//
// Text is the bytes up to the first 0 (GBK). RSHash and JSHash take each byte
// as signed, Hash31 as unsigned; resource packages store keys on disk, so the
// values must never change.

#include <cstdint>
#include <string_view>

namespace engine {

/// Three hashes of a name: RSHash, JSHash, Hash31, in this order.
struct NameKey {
    uint32_t rs { 0 };
    uint32_t js { 0 };
    uint32_t h31 { 0 };

    friend bool operator==(const NameKey&, const NameKey&) = default;
};
static_assert(sizeof(NameKey) == 12);

[[nodiscard]] uint32_t RSHash(std::string_view text);
[[nodiscard]] uint32_t JSHash(std::string_view text);
[[nodiscard]] uint32_t Hash31(std::string_view text);
/// RSHash of the text (the resource module's category keys).
[[nodiscard]] uint32_t StringHash(std::string_view text);

/// Fills key with the three hashes of text and returns it.
NameKey* MakeNameKey(NameKey* key, std::string_view text);
[[nodiscard]] NameKey MakeNameKey(std::string_view text);

/// Word-by-word unsigned ordering; the ordering of every map keyed by NameKey.
[[nodiscard]] bool NameKeyLess(const NameKey& a, const NameKey& b);

/// Comparator for std::map<NameKey, ...>.
struct NameKeyOrder {
    bool operator()(const NameKey& a, const NameKey& b) const { return NameKeyLess(a, b); }
};

} // namespace engine
