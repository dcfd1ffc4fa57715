// The content pane over one large library, offscreen, each a median of several repetitions:
//   quillo-views-bench [--benchmark_...] BUNDLE
// bench/run builds and runs it beside quillo-bench; its JSON output joins the results table.

#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/Content/SearchBar.h"
#include "QuilloToDo/Views/List/TodoListModel.h"
#include "QuilloToDo/Views/List/TodoListView.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Settings/WindowSettings.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <iostream>

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

double elapsedMs(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// One keystroke in the search field until the list's model is updated and the list laid out anew:
// typing "h" over all items, then deleting it again.
void searchKeystroke(benchmark::State& state, Window& window) {
    QLineEdit* field = window.pane->searchBar()->field();
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

void registerBenchmarks(Window& window) {
    const auto configure = [](benchmark::internal::Benchmark* b) {
        b->Iterations(kIterations)
            ->Repetitions(kRepetitions)
            ->ReportAggregatesOnly()
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    };
    configure(benchmark::RegisterBenchmark("search_keystroke",
                                           [&window](benchmark::State& state) { searchKeystroke(state, window); }));
    configure(benchmark::RegisterBenchmark("list_viewport_paint",
                                           [&window](benchmark::State& state) { viewportPaint(state, window); }));
    configure(benchmark::RegisterBenchmark("details_open",
                                           [&window](benchmark::State& state) { detailsOpen(state, window); }));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: quillo-views-bench [--benchmark_...] BUNDLE\n";
        return 2;
    }
    Window window;
    const std::filesystem::path bundle = argv[1];
    const auto refreshed = window.index.refresh({{bundle, bundle.stem().string(), "B1"}});
    while (!refreshed.isFinished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::cerr << window.index.items().size() << " items\n";
    window.pane = std::make_unique<quillo::ContentPane>(window.index, window.filter, window.settings, window.ipcServer,
                                                        window.locator);
    window.pane->resize(1280, 900);
    window.pane->show();
    QCoreApplication::processEvents();
    registerBenchmarks(window);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
