#include "game/rules/RulesEnvironment.h"

#include "game/rules/PlatformRulesSettings.h"

#include <bit>

namespace rules {
namespace {

// Used only until the program installs the network library's services: log
// lines are dropped and round ids stay empty.
class CFallbackServices final : public IRulesServices {
public:
    void LogLine(std::string_view) override { }
    [[nodiscard]] uint32_t IntLog2(int32_t n) const override
    {
        return n < 2 ? 0u : static_cast<uint32_t>(std::bit_width(static_cast<uint32_t>(n)) - 1);
    }
    [[nodiscard]] uint32_t PowerOfTwo(int32_t n) const override
    {
        return n < 1 ? 1u : (n > 31 ? 0u : (1u << n));
    }
    int FillUniqueIdIfEmpty(char*, size_t) override { return 0; }
};

CCrtRandom s_fallback_random;
CFallbackServices s_fallback_services;
RulesEnvironment s_default_environment;

} // namespace

RulesEnvironment CompleteRulesEnvironment(const RulesEnvironment& environment)
{
    RulesEnvironment complete = environment;
    if (!complete.clock)
        complete.clock = &platform::CSystemClock::Instance();
    if (!complete.random)
        complete.random = &s_fallback_random;
    if (!complete.services)
        complete.services = &s_fallback_services;
    if (!complete.settings)
        complete.settings = &CPlatformRulesSettings::Instance();
    return complete;
}

void SetDefaultRulesEnvironment(const RulesEnvironment& environment)
{
    s_default_environment = environment;
}

RulesEnvironment GetDefaultRulesEnvironment()
{
    return CompleteRulesEnvironment(s_default_environment);
}

} // namespace rules
