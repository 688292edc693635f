#pragma once
// The services a rules table reaches outside itself: the tick clock (the
// 32-bit millisecond tick, compared by unsigned difference), the
// C-style random generator, the settings file reader, and the network library's log and small utilities
// (behind IRulesServices, so that game/rules depends on nothing of ours but
// platform/).
//
// Owner: the program installs one default environment at start-up
// (SetDefaultRulesEnvironment); every table copies it when built and tests may
// replace a table's copy with their own fakes (CGameTable::SetEnvironment).
// The pointers never own; what they point to must outlive the tables.
// Thread: the UI thread only. Hazard: the default environment is program-wide
// state written without a lock; install it before any table is built.

#include "platform/Tick.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rules {

/// A seeded generator with the contract of the C library's srand/rand:
/// Next() answers 0 to RAND_LIMIT, the same sequence for the same seed.
class IRandomSource {
public:
    static constexpr int32_t RAND_LIMIT = 0x7FFF;
    virtual ~IRandomSource() = default;
    virtual void Seed(uint32_t seed) = 0;
    [[nodiscard]] virtual int32_t Next() = 0;
};

/// The network library's log line and utilities, as the rules call them.
class IRulesServices {
public:
    virtual ~IRulesServices() = default;
    /// Appends one line to the shared program log.
    virtual void LogLine(std::string_view text) = 0;
    /// Floor of log2(n); 0 for n below 2.
    [[nodiscard]] virtual uint32_t IntLog2(int32_t n) const = 0;
    /// 2 to the power n; 1 for n below 1.
    [[nodiscard]] virtual uint32_t PowerOfTwo(int32_t n) const = 0;
    /// Fills an empty text (buffer of size bytes, at least 31) with a fresh
    /// unique id of 30 hexadecimal digits; 1 when it filled it, else 0.
    virtual int FillUniqueIdIfEmpty(char* buffer, size_t size) = 0;
};

/// The settings files the tables read (the server-style INI beside the
/// program) and the program's own file path.
class IRulesSettings {
public:
    virtual ~IRulesSettings() = default;
    /// The program file's path (GBK, '\\' or '/' separators); empty when unknown.
    [[nodiscard]] virtual std::string GetProgramFilePath() const = 0;
    /// [section] key of the INI file at path as an integer, or default_value.
    [[nodiscard]] virtual int GetProfileInt(std::string_view section, std::string_view key, int default_value,
                                            std::string_view path) const = 0;
};

struct RulesEnvironment {
    const platform::IClock* clock { nullptr };
    IRandomSource* random { nullptr };
    IRulesServices* services { nullptr };
    const IRulesSettings* settings { nullptr };
};

/// The generator of the original runtime (linear congruential, 15-bit output),
/// deterministic for a given seed.
class CCrtRandom final : public IRandomSource {
public:
    void Seed(uint32_t seed) override { m_state = seed; }
    [[nodiscard]] int32_t Next() override
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int32_t>((m_state >> 16) & 0x7FFFu);
    }

private:
    uint32_t m_state { 1 };
};

/// Installs the environment that tables built from now on copy. Missing
/// pieces are replaced by built-in fallbacks (the system clock, a CCrtRandom,
/// services that drop log lines and leave ids empty, the platform's INI reader).
void SetDefaultRulesEnvironment(const RulesEnvironment& environment);
[[nodiscard]] RulesEnvironment GetDefaultRulesEnvironment();

/// Fills the missing pieces of an environment with the fallbacks.
[[nodiscard]] RulesEnvironment CompleteRulesEnvironment(const RulesEnvironment& environment);

} // namespace rules
