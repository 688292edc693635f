#pragma once
// Free functions of the table model: the level tables, deposit unit, elapsed
// times, flag tests over per-chair words, and small array helpers.
//
// Owner: none. Thread: any (RandomBelow uses the caller's generator).
// Hazards: array arguments hold at least n entries; n below 0 is treated as 0.

#include "game/rules/RulesEnvironment.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace rules {

inline constexpr int LEVEL_COUNT = 20;
inline constexpr int32_t LEVEL_THRESHOLDS[LEVEL_COUNT] = { 0, 10, 30, 60, 100, 200, 400, 640, 920, 1240, 2140,
    4640, 7390, 10390, 13640, 20640, 35640, 51640, 68640, 86640 };
inline constexpr int32_t LEVEL_VALUES[LEVEL_COUNT] = { 1, 2, 3, 4, 5, 10, 12, 14, 16, 18, 50, 55, 60, 65, 70,
    150, 160, 170, 180, 190 };

/// Level index to level name (GBK, at most 15 bytes are used).
using LevelNameMap = std::map<int32_t, std::string>;

/// Seeds the generator with the time in seconds and answers rand() % n
/// (0 for n below 1).
[[nodiscard]] int32_t RandomBelow(int32_t n, const platform::IClock& clock, IRandomSource& random);

/// Whole seconds and minutes since stamp; 0 when stamp is 0 (result 0) or the
/// seconds exceed limit. Result 1 otherwise.
int ElapsedSince(uint32_t stamp, uint32_t now, int32_t& seconds_out, int32_t& minutes_out, int32_t limit);

[[nodiscard]] int32_t GetLevelIndex(int32_t score, int32_t unit);
/// Copies the level's name (cut to at most 15 bytes between GBK characters,
/// NUL-terminated) into a 16-byte
/// field; leaves it untouched when the level is not in the map.
void LookupLevelName(const LevelNameMap* names, int32_t level, char (&text)[16]);

[[nodiscard]] bool AllHave(std::span<const int32_t> words, int32_t bits);
[[nodiscard]] bool AnyHas(std::span<const int32_t> words, int32_t bits);

/// p x (grade / 10 + 1), p the power of two at or below max(smallest, 100) / 100.
[[nodiscard]] int32_t DepositUnit(std::span<const int32_t> silvers, int32_t grade, IRulesServices& services);
[[nodiscard]] int32_t LevelValueOfMin(std::span<const int32_t> scores, int32_t unit);

void FillInvalid(std::span<int32_t> words);
[[nodiscard]] int64_t SumInts(std::span<const int32_t> words);
/// 1 when have[i] >= need[i] for every index 1 to n-1 with need[i] != 0.
[[nodiscard]] int CountsCover(std::span<const int32_t> have, std::span<const int32_t> need);
[[nodiscard]] int IntsContain(std::span<const int32_t> words, int32_t x);

/// A 64-bit amount clamped into the signed 32-bit range.
[[nodiscard]] int32_t ClampToI32(int64_t value);

} // namespace rules
