// The reminders export with 5,000 exported reminders in a vdir on disk, and the application's settings
// window beside them, offscreen, each a median of several repetitions:
//   quillo-services-bench [--benchmark_...] SCRATCH_FOLDER
// The folder receives the reminders, the settings files and the data folder, and is emptied first.
// bench/run builds and runs it beside quillo-bench; its JSON output joins the results table.

#include "QuilloToDo/App/QuilloToDoApp.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Services/RemindersExporter.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/SettingsWindow/SettingsView.h"
#include "bench/BenchmarkProgram.h"
#include "bench/MainThreadStall.h"

#include "Platform/Reminders/ReminderStore.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPromise>
#include <QSettings>
#include <QSlider>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
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

// Moves the slider one step and switches a timeline off or on, in turn, 20 times each, 25 ms apart:
// each on a turn of the event loop of its own, so each is written to the settings file. The longest
// the main thread stalled meanwhile, until the last write.
quillo::bench::Stall settingsStepsStall(QSlider& slider, quillo::MarkerFilterController& filter) {
    constexpr int kSteps = 20;
    QPromise<void> done;
    done.start();
    int step = 0;
    QTimer steps;
    steps.setInterval(25);
    QObject::connect(&steps, &QTimer::timeout, [&] {
        if (step == 2 * kSteps) {
            steps.stop();
            QTimer::singleShot(100, [&done] { done.finish(); });
            return;
        }
        if (step % 2 == 0) {
            slider.setValue(slider.value() == 50 ? 55 : 50);
        } else {
            filter.setTimelines({"T1"}, (step / 2) % 2 == 1);
        }
        ++step;
    });
    steps.start();
    return quillo::bench::mainThreadStall(done.future());
}

// The settings window until it has painted once, in milliseconds; closed (and so destroyed) after.
double openSettings(quillo::QuilloToDoApp& app) {
    struct FirstPaint : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* event) override {
            painted = painted || event->type() == QEvent::Paint;
            return false;
        }
    } firstPaint;
    QElapsedTimer opening;
    opening.start();
    quillo::SettingsView& view = app.showSettings();
    view.installEventFilter(&firstPaint);
    while (!firstPaint.painted) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = static_cast<double>(opening.nsecsElapsed()) / 1e6;
    view.removeEventFilter(&firstPaint);
    view.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

// The application with 5,000 reminders exported, whose settings window a user opens and moves, and,
// for comparison, the same steps over a settings file that still holds a mapping of 5,000 entries.
struct SettingsScene {
    std::unique_ptr<QSettings> defaults;
    std::unique_ptr<quillo::QuilloToDoApp> app;
    std::unique_ptr<QSettings> oldLayout;
    std::unique_ptr<quillo::WindowSettings> oldWindowSettings;
    std::unique_ptr<quillo::MarkerFilterController> oldFilter;
    std::unique_ptr<quillo::SettingsView> oldView;
};

void settingsWindow(benchmark::State& state, SettingsScene& scene) {
    for (auto _ : state) state.SetIterationTime(openSettings(*scene.app) / 1e3);
    quillo::SettingsView& view = scene.app->showSettings();
    const auto steps = settingsStepsStall(*view.findChild<QSlider*>(), scene.app->filterController());
    view.close();
    scene.oldView->show();
    const auto oldSteps = settingsStepsStall(*scene.oldView->findChild<QSlider*>(), *scene.oldFilter);
    scene.oldView->hide();
    state.counters["steps_main_stall_ms"] = steps.wallMs;
    state.counters["steps_main_busy_ms"] = steps.busyMs;
    state.counters["steps_old_layout_main_stall_ms"] = oldSteps.wallMs;
    state.counters["steps_old_layout_main_busy_ms"] = oldSteps.busyMs;
}

void run(char** arguments) {
    const std::filesystem::path scratch = arguments[1];
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
        scene.defaults.get(), QString::fromStdString((scratch / "reminders_mapping.json").string()),
        std::make_unique<platform::ReminderStore>(scratch / "calendars"));
    QElapsedTimer exportTime;
    exportTime.start();
    auto exported = scene.service->exportItems(makeItems(), QStringLiteral("Bench"), std::nullopt);
    scene.exportStallMs = longestStall(exported);
    scene.exportSeconds = static_cast<double>(exportTime.elapsed()) / 1000;
    if (exported.result().createdCount != kReminders)
        throw std::runtime_error("the export did not create every reminder");
    std::cerr << kReminders << " reminders exported in " << scene.exportSeconds << " s\n";

    SettingsScene settings;
    qputenv("QUILLOTODO_REMINDERS_DIR",
            QFile::encodeName(QString::fromStdString((scratch / "app-calendars").string())));
    qputenv("XDG_DATA_HOME", QFile::encodeName(QString::fromStdString((scratch / "data").string())));
    settings.defaults = std::make_unique<QSettings>(
        QString::fromStdString((scratch / "app" / "QuilloToDo.conf").string()), QSettings::IniFormat);
    settings.app = std::make_unique<quillo::QuilloToDoApp>(
        *settings.defaults, quillo::QuilloToDoApp::Options{.announcement = quillo::TodoIPCServer::Announcement::none});
    auto appExport = settings.app->remindersExport().exportItems(makeItems(), QStringLiteral("Bench"), std::nullopt);
    while (!appExport.isFinished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (settings.app->remindersExport().exportedReminderIDs().size() != kReminders)
        throw std::runtime_error("the application's export did not map every reminder");
    // The mapping where it was kept before it had a file of its own.
    settings.oldLayout = std::make_unique<QSettings>(
        QString::fromStdString((scratch / "old-layout" / "QuilloToDo.conf").string()), QSettings::IniFormat);
    QVariantMap oldMapping;
    for (const auto& [id, identifier] : settings.app->remindersExport().exportedReminderIDs()) {
        oldMapping.insert(QString::fromStdString(id.uuidString()), QString::fromStdString(identifier));
    }
    settings.oldLayout->setValue(quillo::ReminderMappingFile::kSettingsKey, oldMapping);
    settings.oldLayout->sync();
    settings.oldWindowSettings = std::make_unique<quillo::WindowSettings>(*settings.oldLayout);
    settings.oldFilter = std::make_unique<quillo::MarkerFilterController>(*settings.oldLayout);
    settings.oldView = std::make_unique<quillo::SettingsView>(quillo::FeedbackSources{}, *settings.oldWindowSettings,
                                                              settings.app->remindersExport());
    openSettings(*settings.app);  // the first window of the process also loads fonts and styles

    quillo::bench::repeated(
        benchmark::RegisterBenchmark("reminders_refresh", [&scene](benchmark::State& state) { refresh(state, scene); }),
        {.repetitions = kRepetitions, .unit = benchmark::kMillisecond});
    quillo::bench::repeated(
        benchmark::RegisterBenchmark("settings_window",
                                     [&settings](benchmark::State& state) { settingsWindow(state, settings); }),
        {.repetitions = kRepetitions, .unit = benchmark::kMillisecond, .manualTime = true});
    benchmark::RunSpecifiedBenchmarks();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return quillo::bench::benchmarkMain<QApplication>(argc, argv, "quillo-services-bench", "SCRATCH_FOLDER", run);
}
