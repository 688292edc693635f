#pragma once
// The picture of a player's character: the small one on the seat plate and
// the large portrait, files under the character's folder of the program.
//
// Owner: none (a free function). Thread: UI thread.
#include <cstdint>
#include <string>

namespace client {
class CGameApp;
}

namespace panel {

inline constexpr int32_t CHARACTER_IMAGE_SMALL = 1; ///< the seat plate's picture
inline constexpr int32_t CHARACTER_IMAGE_LARGE = 3; ///< the 135 x 270 portrait

/// Sets name to the image name (a program path) of the character's picture
/// of that type, or empties it when there is none: characters 0 and 1 have
/// no picture, nor do other types, nor characters whose file is missing.
void GetCharacterImagePath(const client::CGameApp& app, std::string& name, int32_t character, int32_t image_type);

} // namespace panel
