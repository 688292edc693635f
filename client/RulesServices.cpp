#include "client/RulesServices.h"

#include "net/NetLog.h"
#include "net/NetUtil.h"

namespace client {

void CNetRulesServices::LogLine(std::string_view text)
{
    net::LogPrintf("%.*s", static_cast<int>(text.size()), text.data());
}

uint32_t CNetRulesServices::IntLog2(int32_t n) const { return net::IntLog2(n); }

uint32_t CNetRulesServices::PowerOfTwo(int32_t n) const { return net::PowerOfTwo(n); }

int CNetRulesServices::FillUniqueIdIfEmpty(char* buffer, size_t size)
{
    return net::FillUniqueIdIfEmpty(buffer, size);
}

void InstallRulesServices()
{
    static CNetRulesServices s_services;
    rules::RulesEnvironment environment = rules::GetDefaultRulesEnvironment();
    environment.services = &s_services;
    rules::SetDefaultRulesEnvironment(environment);
}

} // namespace client
