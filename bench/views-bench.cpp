// The content pane and the whole main window over one large library, offscreen, each a median of
// several repetitions:
//   quillo-views-bench [--benchmark_...] BUNDLE
// bench/run builds and runs it beside quillo-bench, and runs the window's keystrokes again on a real
// X server, once with the accessibility bridge on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, an AT-SPI
// registry on the session bus and a client listening to it) and once without; its JSON output joins
// the results table.

#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/Content/SearchBar.h"
#include "QuilloToDo/Views/List/TodoListModel.h"
#include "QuilloToDo/Views/List/TodoListView.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "QuilloToDo/Views/Shell/RefreshRoutine.h"

#include "QuilloToDo/App/QuilloToDoApp.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "bench/BenchmarkProgram.h"

#include <benchmark/benchmark.h>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <limits>

namespace {

constexpr int kRepetitions = 9;
constexpr int kIterations = 8;

struct Window {
    QTemporaryDir settingsDir;
    QSettings settingsFile{settingsDir.filePath(QStringLiteral("QuilloToDo.conf")), QSettings::IniFormat};
    quillo::WindowSettings settings{settingsFile};
    quillo::MarkerFilterController filter{settingsFile};
    quillo::IndexController index;
    quillo::TodoIPCServer ipcServer{nullptr, quillo::TodoIPCServer::Announcement::none};
    quillo::PostlabLibraryLocator locator;
    std::unique_ptr<quillo::ContentPane> pane;
};

// The application's main window watching the library, as a launch shows it.
struct WholeWindow {
    QTemporaryDir settingsDir;
    QSettings defaults{settingsDir.filePath(QStringLiteral("QuilloToDo.conf")), QSettings::IniFormat};
    quillo::QuilloToDoApp app{defaults, {.announcement = quillo::TodoIPCServer::Announcement::none}};
    quillo::MainWindow* window = nullptr;
};

double elapsedMs(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// One keystroke in the search field until the list's model is updated and what changed is laid out
// and painted: typing "h" over all items, then deleting it again.
void searchKeystroke(benchmark::State& state, QLineEdit* field) {
    field->setFocus();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(field, field->text().isEmpty() ? Qt::Key_H : Qt::Key_Backspace);
        QCoreApplication::processEvents();
        state.SetIterationTime(elapsedMs(timer) / 1e3);
    }
    if (!field->text().isEmpty()) QTest::keyClick(field, Qt::Key_Backspace);
    QCoreApplication::processEvents();
}

// Counts every event the application delivers, and the paints of one widget.
class EventCounter : public QObject {
public:
    explicit EventCounter(QWidget* painted) : painted_(painted) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    std::uint64_t events = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        ++events;
        if (watched == painted_ && event->type() == QEvent::Paint) ++paints;
        return false;
    }

private:
    QWidget* painted_;
};

// Runs the event loop until a pass over it delivers no event at all: no posted event is left (the
// list's delayed layout, the window's update request), no due timer, nothing from the window system.
void runUntilIdle(const EventCounter& counter) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (std::uint64_t before = counter.events - 1; counter.events != before;) {
        before = counter.events;
        QCoreApplication::sendPostedEvents();
        dispatcher->processEvents(QEventLoop::AllEvents);
    }
}

// Under `valgrind --tool=callgrind --collect-atstart=no`, counts the instructions of the timed
// keystrokes alone (one dump per benchmark); does nothing otherwise.
void toggleInstructionCount() { CALLGRIND_TOGGLE_COLLECT; }

// Sends a key to the search field and waits until the field has taken it. With the accessibility
// bridge on, Qt holds every key until the AT-SPI registry has offered it to the screen reader and
// answered, so the key arrives later, from the event loop. False when it never does.
bool type(QLineEdit* field, Qt::Key key) {
    const QString expected = key == Qt::Key_Backspace ? field->text().chopped(1) : field->text() + u'h';
    QTest::keyClick(field, key);
    const QDeadlineTimer deadline(2000);
    while (field->text() != expected && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return field->text() == expected;
}

// One key into the search field of the whole window, from the key press until the window is idle:
// `narrowing`, "h" typed into the empty field, so that the whole list is filtered; else the Backspace
// that empties the field again, bringing every item back. Each keystroke must paint the list.
void windowKeystroke(benchmark::State& state, quillo::MainWindow& window, bool narrowing) {
    if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") && !QAccessible::isActive()) {
        state.SkipWithError("the accessibility bridge is not active");
        return;
    }
    QLineEdit* field = window.contentPane()->searchBar()->field();
    EventCounter counter(window.contentPane()->list()->listView()->viewport());
    field->setFocus();
    field->clear();
    runUntilIdle(counter);
    int fewestPaints = std::numeric_limits<int>::max();
    bool typed = true;
    for (auto _ : state) {
        if (!narrowing) {
            typed = type(field, Qt::Key_H) && typed;
            runUntilIdle(counter);
        }
        counter.paints = 0;
        toggleInstructionCount();
        QElapsedTimer timer;
        timer.start();
        typed = type(field, narrowing ? Qt::Key_H : Qt::Key_Backspace) && typed;
        runUntilIdle(counter);
        state.SetIterationTime(elapsedMs(timer) / 1e3);
        toggleInstructionCount();
        fewestPaints = std::min(fewestPaints, counter.paints);
        if (narrowing) {
            typed = type(field, Qt::Key_Backspace) && typed;
            runUntilIdle(counter);
        }
    }
    if (!typed) state.SkipWithError("a key never reached the search field");
    if (fewestPaints == 0) state.SkipWithError("a keystroke did not paint the list");
    CALLGRIND_DUMP_STATS_AT(narrowing ? "window_search_first_character" : "window_search_clear");
    state.counters["viewport_paints"] = fewestPaints;
    state.counters["accessibility_active"] = QAccessible::isActive() ? 1 : 0;
}

// Painting every visible row of the list once, from the middle of the list.
void viewportPaint(benchmark::State& state, Window& window) {
    QListView* list = window.pane->list()->listView();
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    QImage image(list->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QElapsedTimer timer;
        timer.start();
        list->viewport()->render(&image);
        state.SetIterationTime(elapsedMs(timer) / 1e3);
    }
}

// A click on a row with Details closed until the panel shows the item and is painted.
void detailsOpen(benchmark::State& state, Window& window) {
    QListView* list = window.pane->list()->listView();
    list->verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    const QPoint row = list->visualRect(window.pane->list()->model()->index(1)).center();
    for (auto _ : state) {
        window.pane->setSelectedItemID(std::nullopt);
        window.pane->apply(quillo::RightPanelAction::close, quillo::RightPanel::details);
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QCoreApplication::sendPostedEvents();  // the layouts
        window.pane->repaint();
        state.SetIterationTime(elapsedMs(timer) / 1e3);
        if (!window.pane->selectedItemID()) state.SkipWithError("the click selected nothing");
    }
}

void registerBenchmarks(Window& window, WholeWindow& whole) {
    const auto configure = [](benchmark::internal::Benchmark* b) {
        quillo::bench::repeated(b, {.repetitions = kRepetitions,
                                    .unit = benchmark::kMillisecond,
                                    .iterations = kIterations,
                                    .manualTime = true,
                                    .spread = true});
    };
    configure(benchmark::RegisterBenchmark("search_keystroke", [&window](benchmark::State& state) {
        searchKeystroke(state, window.pane->searchBar()->field());
    }));
    configure(benchmark::RegisterBenchmark("list_viewport_paint",
                                           [&window](benchmark::State& state) { viewportPaint(state, window); }));
    configure(benchmark::RegisterBenchmark("details_open",
                                           [&window](benchmark::State& state) { detailsOpen(state, window); }));
    // The sidebar, the content pane and everything else the window shows.
    configure(benchmark::RegisterBenchmark("window_search_first_character", [&whole](benchmark::State& state) {
        windowKeystroke(state, *whole.window, true);
    }));
    configure(benchmark::RegisterBenchmark(
        "window_search_clear", [&whole](benchmark::State& state) { windowKeystroke(state, *whole.window, false); }));
}

void run(char** arguments) {
    Window window;
    const std::filesystem::path bundle = arguments[1];
    const auto refreshed = window.index.refresh({{bundle, bundle.stem().string(), "B1"}});
    while (!refreshed.isFinished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::cerr << window.index.items().size() << " items\n";
    window.pane = std::make_unique<quillo::ContentPane>(window.index, window.filter, window.settings, window.ipcServer,
                                                        window.locator);
    window.pane->resize(1280, 900);
    window.pane->show();
    QCoreApplication::processEvents();

    WholeWindow whole;
    whole.app.libraryController().addLibrary(QUrl::fromLocalFile(QString::fromStdString(bundle.string())));
    bool published = false;
    whole.window = &whole.app.showMainWindow();
    QObject::connect(&whole.window->refreshRoutine(), &quillo::RefreshRoutine::published, [&] { published = true; });
    whole.window->resize(1440, 900);
    while (!published) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();
    // Keystrokes a moment after a refresh, as a person types them: the searched texts are folded.
    window.filter.searchTextsFolded().waitForFinished();
    whole.app.filterController().searchTextsFolded().waitForFinished();
    registerBenchmarks(window, whole);
    benchmark::RunSpecifiedBenchmarks();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return quillo::bench::benchmarkMain<QApplication>(argc, argv, "quillo-views-bench", "BUNDLE", run);
}
