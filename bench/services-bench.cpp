// The reminders export with 5,000 exported reminders in a vdir on disk, each a median of several
// repetitions:
//   quillo-services-bench [--benchmark_...] SCRATCH_FOLDER
// The folder receives the reminders and the settings file, and is emptied first. bench/run builds
// and runs it beside quillo-bench; its JSON output joins the results table.

#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Services/RemindersExporter.h"
#include "bench/MainThreadStall.h"

#include "Platform/Reminders/ReminderStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using quillo::bench::longestStall;

constexpr int kReminders = 5000;
constexpr int kRepetitions = 5;
// Every tenth to-do is done, so a refresh finds completed reminders among the open ones.
constexpr int kDoneEvery = 10;

std::vector<quillo::TodoItem> makeItems() {
    std::vector<quillo::TodoItem> items;
    for (int i = 0; i < kReminders; ++i) {
        quillo::TodoItem item;
        item.id = platform::UUID::random();
        item.kind = quillo::MarkerKind::todo;
        item.status = i % kDoneEvery == 0 ? quillo::TodoStatus::done : quillo::TodoStatus::open;
        item.text = item.rawText = "Fix the cut at shot " + std::to_string(i);
        item.libraryName = "Feature";
        item.libraryBookmarkID = "B1";
        item.eventName = "Day " + std::to_string(i / 500 + 1);
        item.timelineID = "T" + std::to_string(i / 100);
        item.timelineName = "Reel " + std::to_string(i / 100 + 1);
        item.timelineTimecode = "00:00:01:00";
        item.frameRateFPS = 25;
        items.push_back(std::move(item));
    }
    return items;
}

struct Scene {
    std::unique_ptr<QSettings> defaults;
    std::unique_ptr<quillo::RemindersExportService> service;
    double exportSeconds = 0;
    double exportStallMs = 0;
    // The same export into a store of its own on a plain thread, with no service: what the machine's
    // load and the disk alone cost the timer.
    double exportFloorStallMs = 0;
};

// The refresh over every exported reminder: how long until its future finished, and the longest
// the main thread waited meanwhile.
void refresh(benchmark::State& state, const Scene& scene) {
    double stall = 0;
    for (auto _ : state) {
        stall = longestStall(scene.service->refreshCompletionState());
        if (scene.service->completedInReminders().size() != kReminders / kDoneEvery)
            state.SkipWithError("the refresh missed completed reminders");
    }
    state.counters["main_stall_ms"] = stall;
    state.counters["export_s"] = scene.exportSeconds;
    state.counters["export_main_stall_ms"] = scene.exportStallMs;
    state.counters["export_floor_stall_ms"] = scene.exportFloorStallMs;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: quillo-services-bench [--benchmark_...] SCRATCH_FOLDER\n";
        return 2;
    }
    const std::filesystem::path scratch = argv[1];
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch / "calendars");
    std::filesystem::create_directories(scratch / "floor");

    Scene scene;
    scene.exportFloorStallMs = longestStall(QtConcurrent::run([&scratch] {
        platform::ReminderStore store(scratch / "floor");
        quillo::ReminderMapping mapping;
        quillo::RemindersExporter::run(store, makeItems(), mapping, QStringLiteral("Floor"), std::nullopt,
                                       [](const quillo::ReminderMapping&) {});
    }));
    scene.defaults = std::make_unique<QSettings>(QString::fromStdString((scratch / "QuilloToDo.conf").string()),
                                                 QSettings::IniFormat);
    scene.service = std::make_unique<quillo::RemindersExportService>(
        scene.defaults.get(), std::make_unique<platform::ReminderStore>(scratch / "calendars"));
    QElapsedTimer exportTime;
    exportTime.start();
    auto exported = scene.service->exportItems(makeItems(), QStringLiteral("Bench"), std::nullopt);
    scene.exportStallMs = longestStall(exported);
    scene.exportSeconds = static_cast<double>(exportTime.elapsed()) / 1000;
    if (exported.result().createdCount != kReminders) {
        std::cerr << "the export did not create every reminder\n";
        return 1;
    }
    std::cerr << kReminders << " reminders exported in " << scene.exportSeconds << " s\n";

    benchmark::RegisterBenchmark("reminders_refresh", [&scene](benchmark::State& state) { refresh(state, scene); })
        ->Iterations(1)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly()
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
