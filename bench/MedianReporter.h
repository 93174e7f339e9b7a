#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace tarvik {

// Reports as the console does and keeps the median wall time of each
// benchmark, for the comparison table a benchmark program prints at its end.
class MedianReporter final : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> medians; // name -> milliseconds

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name] =
                    run.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(run.time_unit) /
                    benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond);
    }
};

} // namespace tarvik
