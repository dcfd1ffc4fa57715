#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

namespace quillo::bench {

// How a benchmark repeats: only the aggregates of the repetitions are reported.
struct Repeated {
    int repetitions;
    benchmark::TimeUnit unit;
    int iterations = 1;       // per repetition; 0: as many as Google Benchmark needs
    bool manualTime = false;  // each iteration's time is set by the benchmark, else the wall clock's
    bool spread = false;      // the repetitions' smallest and largest ("min", "max"), times and counters
};

inline benchmark::internal::Benchmark* repeated(benchmark::internal::Benchmark* b, const Repeated& how) {
    if (how.iterations > 0) b->Iterations(how.iterations);
    b->Repetitions(how.repetitions)->ReportAggregatesOnly();
    if (how.spread) {
        const auto min = [](const std::vector<double>& values) { return std::ranges::min(values); };
        const auto max = [](const std::vector<double>& values) { return std::ranges::max(values); };
        b->ComputeStatistics("min", min)->ComputeStatistics("max", max);
    }
    return (how.manualTime ? b->UseManualTime() : b->UseRealTime())->Unit(how.unit);
}

// For the programs that need no Qt application object.
struct NoApplication {
    NoApplication(int&, char**) {}
};

// A benchmark program's main: takes Google Benchmark's flags out of the arguments, makes the
// `Application` (QCoreApplication, QApplication or NoApplication), checks that the arguments named in
// `usage` are left, then calls `run(argv)`, which prepares and registers the benchmarks and runs them
// with benchmark::RunSpecifiedBenchmarks() while what they use is alive. A failure is reported as
// "program: what".
template <class Application = NoApplication, class Run>
int benchmarkMain(int argc, char** argv, const char* program, std::string_view usage, Run&& run) {
    benchmark::Initialize(&argc, argv);
    Application application(argc, argv);
    if (argc != 2 + std::ranges::count(usage, ' ')) {
        std::cerr << "usage: " << program << " [--benchmark_...] " << usage << '\n';
        return 2;
    }
    try {
        run(argv);
        benchmark::Shutdown();
    } catch (const std::exception& error) {
        std::cerr << program << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace quillo::bench
