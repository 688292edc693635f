#pragma once
// Test doubles for the rules tables: a manual clock, a recording services
// object and settings from memory, bundled into an environment a test
// installs on its tables; and round-start arguments that refuse nobody.

#include "game/rules/GameTableTypes.h"
#include "game/rules/RulesEnvironment.h"
#include "platform/Tick.h"

#include <map>
#include <string>
#include <vector>

namespace rules::test {

class CRecordingServices final : public IRulesServices {
public:
    void LogLine(std::string_view text) override { lines.emplace_back(text); }
    [[nodiscard]] uint32_t IntLog2(int32_t n) const override
    {
        uint32_t r = 0;
        while (n > 1) {
            n /= 2;
            ++r;
        }
        return r;
    }
    [[nodiscard]] uint32_t PowerOfTwo(int32_t n) const override { return n < 1 ? 1u : (1u << n); }
    int FillUniqueIdIfEmpty(char* buffer, size_t size) override
    {
        if (buffer[0] != '\0' || size < 31)
            return 0;
        const std::string id(30, 'a');
        id.copy(buffer, 30);
        buffer[30] = '\0';
        return 1;
    }
    std::vector<std::string> lines;
};

class CMemorySettings final : public IRulesSettings {
public:
    [[nodiscard]] std::string GetProgramFilePath() const override { return program_path; }
    [[nodiscard]] int GetProfileInt(std::string_view section, std::string_view key, int default_value,
                                    std::string_view path) const override
    {
        last_path = std::string(path);
        auto found = values.find(std::string(section) + "/" + std::string(key));
        return found == values.end() ? default_value : found->second;
    }
    std::string program_path { "C:\\games\\pldkgame.exe" };
    std::map<std::string, int> values;
    mutable std::string last_path;
};

/// Round-start arguments that refuse nobody: wide score bounds, no silver
/// minimum, room for many games and rounds.
inline StartGameArgs OpenStartArgs(int32_t base_score_arg = 0)
{
    StartGameArgs args;
    args.round.min_score = -1000000;
    args.round.max_score = 1000000;
    args.max_games = 1000000;
    args.max_rounds = 1000000;
    args.base_score_arg = base_score_arg;
    return args;
}

struct TestEnvironment {
    platform::CManualClock clock { 100000 };
    CCrtRandom random;
    CRecordingServices services;
    CMemorySettings settings;

    [[nodiscard]] RulesEnvironment Get() { return { &clock, &random, &services, &settings }; }
};

} // namespace rules::test
