#pragma once
// A console reporter that also keeps each benchmark's median CPU time (of its
// repetitions), so that a benchmark program can print ratios at the end.
// Only ratios within one run mean something on a shared machine; CPU time
// leaves out the time the program waited for its core.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace benchsupport {

class CMedianReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_seconds[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The median CPU time of a benchmark (in its time unit), 0 when it did not run.
    [[nodiscard]] double Median(const std::string& name) const
    {
        const auto found = m_seconds.find(name);
        return found == m_seconds.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> m_seconds;
};

} // namespace benchsupport
