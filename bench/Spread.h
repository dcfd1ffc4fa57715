#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace quillo::bench {

// Reports only the aggregates of the repetitions, with their smallest and largest ("min", "max")
// beside the median, for the times and the counters alike.
inline benchmark::internal::Benchmark* withSpread(benchmark::internal::Benchmark* b) {
    return b->ReportAggregatesOnly()
        ->ComputeStatistics("min", [](const std::vector<double>& values) { return *std::ranges::min_element(values); })
        ->ComputeStatistics("max", [](const std::vector<double>& values) { return *std::ranges::max_element(values); });
}

}  // namespace quillo::bench
