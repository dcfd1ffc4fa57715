// The launch of the application until the first list of a watched library is shown, and the peak
// memory of the process by then, each a median of several launches:
//   quillo-launch-bench [--benchmark_...] SETTINGS_FILE ITEMS
// SETTINGS_FILE watches the library (bench/run writes one for the large library with
// quillotodo-watch-library); ITEMS is how many items its list holds. Each launch is a child process
// of this program that starts the application as main() does, offscreen, in settings and data
// folders of its own. It counts from just before the process is spawned until the main window's
// list holds every item, then paints the window once and exits; its peak resident set is the
// memory of the program with the list shown.

#include "QuilloToDo/App/QuilloToDoApp.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/List/TodoListView.h"
#include "QuilloToDo/Views/Shell/DarkColorScheme.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"

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
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLaunches = 7;
// Set in a launch's environment: the steady-clock nanoseconds when it was spawned.
constexpr const char* kSpawnedAt = "QUILLO_LAUNCH_BENCH_SPAWNED_AT";

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The launch itself: prints the nanoseconds from the spawn until the list held `items` items.
int launch(int argc, char** argv, std::int64_t spawnedAt, const char* settingsPath, std::size_t items) {
    QApplication application(argc, argv);
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
    QListView* list = window.contentPane()->list()->listView();
    // Connected after the window's own handlers: they have run when this one does.
    QObject::connect(&quillo.indexController(), &quillo::IndexController::itemsChanged, &window, [&] {
        if (quillo.indexController().items().size() < items ||
            static_cast<std::size_t>(list->model()->rowCount()) < items)
            return;
        const std::int64_t elapsed = steadyNanoseconds() - spawnedAt;
        (void)window.grab();
        std::printf("%lld\n", static_cast<long long>(elapsed));
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return QApplication::exec();
}

struct Launched {
    double seconds;
    double peakMiB;
};

// Spawns one launch in fresh folders; throws when it fails.
Launched spawnLaunch(const std::string& self, const std::string& settingsPath, std::size_t items) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("quillo-launch-bench-" + std::to_string(getpid()));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        environment.push_back(std::string(folder) + "=" + (home / folder).string());
    std::vector<std::string> arguments{self, settingsPath, std::to_string(items)};

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
    return {static_cast<double>(std::stoll(printed)) / 1e9, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* spawnedAt = std::getenv(kSpawnedAt); spawnedAt != nullptr && argc == 3)
        return launch(argc, argv, std::stoll(spawnedAt), argv[1], std::stoul(argv[2]));

    benchmark::Initialize(&argc, argv);
    if (argc != 3) {
        std::cerr << "usage: quillo-launch-bench [--benchmark_...] SETTINGS_FILE ITEMS\n";
        return 2;
    }
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::string settingsPath = std::filesystem::absolute(argv[1]).string();
    const std::size_t items = std::stoul(argv[2]);
    benchmark::RegisterBenchmark("launch_to_list",
                                 [&](benchmark::State& state) {
                                     double peakMiB = 0;
                                     for (auto _ : state) {
                                         try {
                                             const Launched launched = spawnLaunch(self, settingsPath, items);
                                             state.SetIterationTime(launched.seconds);
                                             peakMiB = launched.peakMiB;
                                         } catch (const std::exception& error) {
                                             state.SkipWithError(error.what());
                                             break;
                                         }
                                     }
                                     state.counters["peak_rss_mib"] = peakMiB;
                                 })
        ->Iterations(1)
        ->Repetitions(kLaunches)
        ->ReportAggregatesOnly()
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
