#pragma once
// The project's own default skin: card faces and backs in every size the
// table uses, drawn at build time by our own code (shapes anti-aliased by
// 4 x 4 supersampling, ranks through the engine's FreeType glyph source) and
// packed as ".kor" packages of ".pps" images.
//
// A face image is a strip of 54 frames one under the other, frame = card id
// modulo 54: suit = frame / 13 (0 diamonds, 1 clubs, 2 hearts, 3 spades),
// rank = the card's value frame % 13 + 1 (1 the 2 .. 12 the king, 13 the
// ace), 52 the small and 53 the big joker. Each corner shows the rank above
// the suit inside the top-left 12 x 28 pixels of the smallest card and
// 16 x 32 of the 82 x 110 card, the parts the card counter and the
// flipped-corner sprite cut out.
//
// Owner: the skin tool and its test. Thread: any single thread.
// Hazards: drawing is deterministic for a given installed font; without any
// font the corners carry the suit marks only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/ImageRecord.h"
#include "tools/SkinDraw.h"
#include "tools/SkinSounds.h"

namespace tools {

struct SkinImage {
    std::string name;          ///< resource title, GBK ("牌正面71x96")
    engine::ImageRecord image; ///< 32-bit with alpha
};

struct SkinPackage {
    std::string file;                ///< file name under the skins folder ("common.kor")
    std::vector<SkinImage> images;
    std::vector<SkinSound> sounds;   ///< each as "<name>.sound" of type ".wav"
};

// A file the code reads beside the packages (a bitmap, the skin INI).
struct SkinFile {
    std::string file;                ///< file name under the skins folder, GBK
    std::vector<uint8_t> bytes;
};

// Every package of the default skin, drawn.
[[nodiscard]] std::vector<SkinPackage> DrawDefaultSkin();

// The rank a face frame shows ("2" .. "A"; empty for the jokers).
[[nodiscard]] std::u32string FaceRankText(int frame);

// One card face of the given size, `frame` as above (the start screen's fan).
[[nodiscard]] Picture DrawCardFace(TextPen& pen, int32_t width, int32_t height, int frame);

// The loose files of the default skin.
[[nodiscard]] std::vector<SkinFile> DrawLooseFiles();

// The package of that file name in the list, added empty when missing.
SkinPackage& PackageNamed(std::vector<SkinPackage>& packages, std::string_view file);

// The ".kor" image of a package (each image as "<name>.imge" of type ".pps",
// each sound as "<name>.sound" of type ".wav"),
// or empty with error set when an image cannot be encoded.
[[nodiscard]] std::vector<uint8_t> PackSkin(const SkinPackage& package, std::string& error);

} // namespace tools
