#pragma once
// The settings reader every table uses unless a test injects another: INI
// files through the platform's profile functions, and the program file's path:
// the platform's program folder and the running executable's file name.
//
// Owner: one program-wide instance (Instance()). Thread: any.
// Hazards: each read opens the file again; the tables read at a deal only.

#include "game/rules/RulesEnvironment.h"

namespace rules {

class CPlatformRulesSettings final : public IRulesSettings {
public:
    [[nodiscard]] std::string GetProgramFilePath() const override;
    [[nodiscard]] int GetProfileInt(std::string_view section, std::string_view key, int default_value,
                                    std::string_view path) const override;
    [[nodiscard]] static CPlatformRulesSettings& Instance();
};

} // namespace rules
