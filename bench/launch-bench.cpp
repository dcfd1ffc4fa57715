// The launch of the application until the first list of a watched library is shown, the peak
// memory of the process by then, and the longest main-thread stalls of the launch and of a refresh
// that changes the list, each a median of several launches:
//   quillo-launch-bench [--benchmark_...] SETTINGS_FILE ITEMS
// SETTINGS_FILE watches the library (bench/run writes one for the large library with
// quillotodo-watch-library); ITEMS is how many items its list holds. Each launch is a child process
// of this program that starts the application as main() does, offscreen, in settings and data
// folders of its own. It counts from just before the process is spawned until the main window's
// list holds every item, then paints the window once; its peak resident set is the memory of the
// program with the list shown. A timer ticks on its main thread from its start until it is idle
// with the list shown and published to the panel link; then a small library is added, and the timer
// ticks on until the changed list is shown and published too.

#include "QuilloToDo/App/QuilloToDoApp.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/List/TodoListView.h"
#include "QuilloToDo/Views/Shell/DarkColorScheme.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "QuilloToDo/Views/Shell/RefreshRoutine.h"
#include "bench/BenchmarkProgram.h"
#include "bench/MainThreadStall.h"
#include "testing/LibraryBuilder.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QSettings>
#include <QTimer>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLaunches = 7;
// Markers of the small library added once the launch is idle.
constexpr std::size_t kAddedItems = 4;
// Set in a launch's environment: the steady-clock nanoseconds when it was spawned.
constexpr const char* kSpawnedAt = "QUILLO_LAUNCH_BENCH_SPAWNED_AT";

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The launch itself: prints the nanoseconds from the spawn until the list held `items` items, then
// the longest main-thread stalls, wall and busy, in milliseconds: from the start until idle with that
// list shown and published, and from adding `added` until idle with the changed list shown and
// published.
int launch(int argc, char** argv, std::int64_t spawnedAt, const char* settingsPath, std::size_t items,
           const char* added) {
    QApplication application(argc, argv);
    quillo::bench::StallMeter meter;
    QApplication::setApplicationName(QStringLiteral("QuilloToDo"));
    QApplication::setDesktopFileName(QStringLiteral("quillotodo"));
    quillo::applyDarkColorScheme(application);
    QSettings defaults(settingsPath, QSettings::IniFormat);
    // No announcement: the launch waits for no daemon either way.
    quillo::QuilloToDoApp quillo(defaults, {.announcement = quillo::TodoIPCServer::Announcement::none});
    quillo::MainWindow& window = quillo.showMainWindow();
    QTimer::singleShot(std::chrono::minutes(2), &application, [] {
        std::fprintf(stderr, "the list was never complete\n");
        QCoreApplication::exit(1);
    });
    const quillo::IndexController& index = quillo.indexController();
    QListView* list = window.contentPane()->list()->listView();
    std::size_t expected = items;
    const auto shown = [&] {
        return index.items().size() == expected && static_cast<std::size_t>(list->model()->rowCount()) >= expected;
    };
    std::int64_t elapsed = 0;
    bool published = false;  // the list of `expected` items
    quillo::bench::Stall launchStall;
    // Connected after the window's own handlers: they have run when these do.
    const auto checkIdle = [&] {
        if (!shown() || !published || index.isRefreshing() || window.refreshRoutine().isSearching()) return;
        if (expected == items) {
            launchStall = meter.longest();
            meter.reset();
            expected = items + kAddedItems;
            published = false;
            quillo.libraryController().addLibrary(QUrl::fromLocalFile(QString::fromLocal8Bit(added)));
            return;
        }
        const quillo::bench::Stall changeStall = meter.longest();
        std::printf("%" PRId64 " %.3f %.3f %.3f %.3f\n", elapsed, launchStall.wallMs, launchStall.busyMs,
                    changeStall.wallMs, changeStall.busyMs);
        std::fflush(stdout);
        QCoreApplication::quit();
    };
    QObject::connect(&index, &quillo::IndexController::itemsChanged, &window, [&] {
        if (elapsed == 0 && shown()) {
            elapsed = steadyNanoseconds() - spawnedAt;
            (void)window.grab();
        }
        checkIdle();
    });
    QObject::connect(&quillo.ipcServer(), &quillo::TodoIPCServer::listPublished, &window, [&] {
        published = index.items().size() == expected;
        checkIdle();
    });
    QObject::connect(&index, &quillo::IndexController::isRefreshingChanged, &window, checkIdle);
    QObject::connect(&window.refreshRoutine(), &quillo::RefreshRoutine::isSearchingChanged, &window, checkIdle);
    return QApplication::exec();
}

struct Launched {
    double seconds;
    double peakMiB;
    quillo::bench::Stall launchStall;
    quillo::bench::Stall changeStall;
};

// Spawns one launch in fresh folders, with a copy of the settings (the launch adds a library to
// them); throws when it fails.
Launched spawnLaunch(const std::string& self, const std::filesystem::path& settings, std::size_t items,
                     const std::string& added) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("quillo-launch-bench-" + std::to_string(getpid()));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    const std::string settingsPath = (home / "QuilloToDo.conf").string();
    std::filesystem::copy_file(settings, settingsPath);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        environment.push_back(std::string(folder) + "=" + (home / folder).string());
    std::vector<std::string> arguments{self, settingsPath, std::to_string(items), added};

    int output[2];
    if (pipe(output) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    const std::int64_t spawnedAt = steadyNanoseconds();
    environment.push_back(std::string(kSpawnedAt) + "=" + std::to_string(spawnedAt));
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (spawned != 0) {
        close(output[0]);
        throw std::runtime_error("cannot spawn " + self);
    }
    std::string printed;
    char buffer[64];
    for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, static_cast<std::size_t>(got));
    close(output[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::filesystem::remove_all(home);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || printed.empty())
        throw std::runtime_error("a launch failed: " + printed);
    Launched launched{.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0};
    long long elapsed = 0;
    if (std::sscanf(printed.c_str(), "%lld %lf %lf %lf %lf", &elapsed, &launched.launchStall.wallMs,
                    &launched.launchStall.busyMs, &launched.changeStall.wallMs, &launched.changeStall.busyMs) != 5)
        throw std::runtime_error("a launch printed no figures: " + printed);
    launched.seconds = static_cast<double>(elapsed) / 1e9;
    return launched;
}

void run(char** arguments) {
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::filesystem::path settings = std::filesystem::absolute(arguments[1]);
    const std::size_t items = std::stoul(arguments[2]);
    // The library a launch adds once idle: one timeline of kAddedItems markers.
    quillo::testing::TemporaryDirectory folder;
    quillo::testing::LibraryBuilder small(folder.path(), "Added");
    quillo::testing::TimelineBuilder timeline = small.event("Day 1").sequence("Pickups");
    for (std::size_t i = 0; i < kAddedItems; ++i)
        timeline.clip("Pickup " + std::to_string(i), 0.0, 4.0)
            .marker("@maya check the pickup", quillo::testing::MarkerType::todo, 1.0);
    small.finish();
    const std::string added = small.bundlePath().string();
    benchmark::internal::Benchmark* launches =
        benchmark::RegisterBenchmark("launch_to_list", [&](benchmark::State& state) {
            Launched last{};
            for (auto _ : state) {
                try {
                    last = spawnLaunch(self, settings, items, added);
                    state.SetIterationTime(last.seconds);
                } catch (const std::exception& error) {
                    state.SkipWithError(error.what());
                    break;
                }
            }
            state.counters["peak_rss_mib"] = last.peakMiB;
            state.counters["launch_stall_ms"] = last.launchStall.wallMs;
            state.counters["launch_busy_ms"] = last.launchStall.busyMs;
            state.counters["change_stall_ms"] = last.changeStall.wallMs;
            state.counters["change_busy_ms"] = last.changeStall.busyMs;
        });
    quillo::bench::repeated(launches, {.repetitions = kLaunches, .unit = benchmark::kMillisecond, .manualTime = true});
    benchmark::RunSpecifiedBenchmarks();
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* spawnedAt = std::getenv(kSpawnedAt); spawnedAt != nullptr && argc == 4)
        return launch(argc, argv, std::stoll(spawnedAt), argv[1], std::stoul(argv[2]), argv[3]);
    return quillo::bench::benchmarkMain(argc, argv, "quillo-launch-bench", "SETTINGS_FILE ITEMS", run);
}
