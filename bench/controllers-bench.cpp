// The application controllers over one large library, each a median of several repetitions:
//   quillo-controllers-bench [--benchmark_...] BUNDLE
// bench/run builds and runs it beside quillo-bench; its JSON output joins the results table.

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "bench/BenchmarkProgram.h"
#include "bench/MainThreadStall.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace {

using quillo::bench::longestStall;
using quillo::bench::mainThreadStall;
using quillo::bench::Stall;

constexpr int kRefreshRepetitions = 5;
constexpr int kFilterRepetitions = 9;
constexpr const char* kSearchText = "horizon";
constexpr std::size_t kExcludedTimelines = 100;

struct Library {
    std::vector<quillo::ScannedLibrarySource> sources;
    // The same bundle under another library id, as after a relaunch: every item differs.
    std::vector<quillo::ScannedLibrarySource> changedSources;
    std::shared_ptr<const std::vector<quillo::TodoItem>> items;
};

// A refresh into an empty index, then one that finds the same items again (the "Refresh now" case),
// then one whose list differs, which replaces (and frees) the whole list before it. The floor is the
// same scan on a thread of its own, with no controller: what the machine's load alone costs the timer.
void refreshStall(benchmark::State& state, const Library& library) {
    Stall stall;
    Stall changeStall;
    double floor = 0;
    for (auto _ : state) {
        floor = longestStall(QtConcurrent::run([&library] {
            auto items = quillo::TodoScanner().scan(library.sources);
            benchmark::DoNotOptimize(items.data());
        }));
        quillo::IndexController index;
        const Stall first = mainThreadStall(index.refresh(library.sources));
        const Stall again = mainThreadStall(index.refresh(library.sources));
        stall = {std::max(first.wallMs, again.wallMs), std::max(first.busyMs, again.busyMs)};
        changeStall = mainThreadStall(index.refresh(library.changedSources));
        if (index.items().size() != library.items->size()) state.SkipWithError("the refresh lost items");
        if (index.items().empty() || index.items().front().libraryBookmarkID != library.changedSources[0].bookmarkID)
            state.SkipWithError("the last refresh did not change the list");
    }
    state.counters["main_stall_ms"] = stall.wallMs;
    state.counters["main_busy_ms"] = stall.busyMs;
    state.counters["change_stall_ms"] = changeStall.wallMs;
    state.counters["change_busy_ms"] = changeStall.busyMs;
    state.counters["floor_stall_ms"] = floor;
}

// One pass of the filter controller, the shown items and the timelines' counts, with the searched
// texts folded (as they are a moment after each refresh).
void filteredItems(benchmark::State& state, const Library& library, bool searchAndExclude) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("QuilloToDo.conf"), QSettings::IniFormat);
    quillo::MarkerFilterController controller(settings);
    controller.filteredItems(library.items);
    controller.searchTextsFolded().waitForFinished();
    if (searchAndExclude) {
        controller.setFilter(quillo::MarkerFilter({}, {}, {}, kSearchText));
        std::set<std::string> timelines;
        for (const auto& item : *library.items) {
            if (timelines.size() == kExcludedTimelines) break;
            timelines.insert(item.timelineID);
        }
        controller.setTimelines({timelines.begin(), timelines.end()}, false);
    }
    std::size_t shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        controller.setTimelines({}, false);  // forgets the last pass
        state.ResumeTiming();
        const auto filtered = controller.filteredItems(library.items);
        shown = filtered->items.size();
        benchmark::DoNotOptimize(filtered->items.data());
    }
    state.counters["shown"] = static_cast<double>(shown);
}

void registerBenchmarks(const Library& library) {
    using quillo::bench::repeated;
    repeated(benchmark::RegisterBenchmark("refresh_main_stall",
                                          [&library](benchmark::State& state) { refreshStall(state, library); }),
             {.repetitions = kRefreshRepetitions, .unit = benchmark::kSecond});
    const auto fast = [](benchmark::internal::Benchmark* b) {
        repeated(b, {.repetitions = kFilterRepetitions, .unit = benchmark::kMillisecond, .iterations = 0});
    };
    fast(benchmark::RegisterBenchmark("filtered_items_search",
                                      [&library](benchmark::State& state) { filteredItems(state, library, true); }));
    fast(benchmark::RegisterBenchmark("filtered_items_empty",
                                      [&library](benchmark::State& state) { filteredItems(state, library, false); }));
}

void run(char** arguments) {
    Library library;
    const std::filesystem::path bundle = arguments[1];
    library.sources.push_back({bundle, bundle.stem().string(), "B1"});
    library.changedSources.push_back({bundle, bundle.stem().string(), "B2"});
    library.items = std::make_shared<const std::vector<quillo::TodoItem>>(quillo::TodoScanner().scan(library.sources));
    std::cerr << library.items->size() << " items\n";
    registerBenchmarks(library);
    benchmark::RunSpecifiedBenchmarks();
}

}  // namespace

int main(int argc, char** argv) {
    return quillo::bench::benchmarkMain<QCoreApplication>(argc, argv, "quillo-controllers-bench", "BUNDLE", run);
}
