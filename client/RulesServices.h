#pragma once
// CNetRulesServices: the rules tables' outside services (log line, IntLog2,
// PowerOfTwo, unique round ids) answered by the network library's utilities,
// and InstallRulesServices, which makes them part of the default rules
// environment that every table built afterwards copies.
//
// Owner: InstallRulesServices keeps one instance for the life of the process.
// Thread: UI thread, at start-up before any rules table is built.

#include "game/rules/RulesEnvironment.h"

namespace client {

class CNetRulesServices final : public rules::IRulesServices {
public:
    void LogLine(std::string_view text) override;
    [[nodiscard]] uint32_t IntLog2(int32_t n) const override;
    [[nodiscard]] uint32_t PowerOfTwo(int32_t n) const override;
    int FillUniqueIdIfEmpty(char* buffer, size_t size) override;
};

/// Installs the network library's services into the default rules
/// environment, keeping the rest of it (clock, random source, settings).
void InstallRulesServices();

} // namespace client
