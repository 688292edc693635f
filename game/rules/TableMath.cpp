#include "game/rules/TableMath.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace rules {

int32_t RandomBelow(int32_t n, const platform::IClock& clock, IRandomSource& random)
{
    if (n < 1)
        return 0;
    random.Seed(clock.GetTickCount() / 1000u);
    return random.Next() % n;
}

int ElapsedSince(uint32_t stamp, uint32_t now, int32_t& seconds_out, int32_t& minutes_out, int32_t limit)
{
    if (stamp == 0) {
        seconds_out = 0;
        minutes_out = 0;
        return 0;
    }
    const uint32_t seconds = (now - stamp) / 1000u;
    seconds_out = (limit >= 0 && seconds > static_cast<uint32_t>(limit)) ? 0 : static_cast<int32_t>(seconds);
    minutes_out = seconds_out / 60;
    return 1;
}

int32_t GetLevelIndex(int32_t score, int32_t unit)
{
    if (score < 1)
        return 0;
    for (int level = LEVEL_COUNT - 1; level >= 0; --level) {
        if (static_cast<int64_t>(LEVEL_THRESHOLDS[level]) * unit <= score)
            return level;
    }
    return 0;
}

void LookupLevelName(const LevelNameMap* names, int32_t level, char (&text)[16])
{
    if (!names)
        return;
    const auto found = names->find(level);
    if (found == names->end())
        return;
    // Cut without splitting a two-byte character.
    const size_t length = platform::GbkCutLength(found->second, sizeof(text) - 1);
    std::memset(text, 0, sizeof(text));
    std::memcpy(text, found->second.data(), length);
}

bool AllHave(std::span<const int32_t> words, int32_t bits)
{
    return std::all_of(words.begin(), words.end(), [bits](int32_t w) { return (w & bits) == bits; });
}

bool AnyHas(std::span<const int32_t> words, int32_t bits)
{
    return std::any_of(words.begin(), words.end(), [bits](int32_t w) { return (w & bits) == bits; });
}

int32_t DepositUnit(std::span<const int32_t> silvers, int32_t grade, IRulesServices& services)
{
    int32_t smallest = silvers.empty() ? 0 : *std::min_element(silvers.begin(), silvers.end());
    const int32_t q = std::max(smallest, 100) / 100;
    const int64_t p = services.PowerOfTwo(static_cast<int32_t>(services.IntLog2(q)));
    return ClampToI32(p * (grade / 10 + 1));
}

int32_t LevelValueOfMin(std::span<const int32_t> scores, int32_t unit)
{
    const int32_t smallest = scores.empty() ? 0 : *std::min_element(scores.begin(), scores.end());
    return LEVEL_VALUES[GetLevelIndex(smallest, unit)];
}

void FillInvalid(std::span<int32_t> words)
{
    std::fill(words.begin(), words.end(), -1);
}

int64_t SumInts(std::span<const int32_t> words)
{
    int64_t sum = 0;
    for (int32_t w : words)
        sum += w;
    return sum;
}

int CountsCover(std::span<const int32_t> have, std::span<const int32_t> need)
{
    const size_t n = std::min(have.size(), need.size());
    for (size_t i = 1; i < n; ++i) {
        if (need[i] != 0 && have[i] < need[i])
            return 0;
    }
    return 1;
}

int IntsContain(std::span<const int32_t> words, int32_t x)
{
    return x >= 0 && std::find(words.begin(), words.end(), x) != words.end() ? 1 : 0;
}

int32_t ClampToI32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace rules
