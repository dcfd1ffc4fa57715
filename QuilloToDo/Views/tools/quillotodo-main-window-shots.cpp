// Renders the main window for people to look at (scripts/screenshots runs it under Xvfb):
//   quillotodo-main-window-shots DIRECTORY
// writes first-run.png, then, with the demo library watched, main-window.png (every event open),
// main-window-timelines-off.png (the first event's timelines switched off) and
// main-window-sidebar-collapsed.png. Works in a temporary settings file; touches nothing of the user's.
#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

bool settle(const std::function<bool()>& done, int limitMs = 30'000) {
    const QDeadlineTimer deadline(limitMs);
    while (!done() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    // Let layouts and repaints catch up with the last change.
    for (int turn = 0; turn < 10; ++turn) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool save(QWidget& window, const QDir& directory, const QString& name) {
    const QString path = directory.filePath(name);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillotodo-main-window-shots DIRECTORY\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir work;
    if (!QDir().mkpath(directory.path()) || !work.isValid()) {
        std::fprintf(stderr, "cannot prepare %s\n", argv[1]);
        return 1;
    }
    quillo::QuilloAnimation::setEnabled(false);

    QSettings settings(work.filePath("QuilloToDo.conf"), QSettings::IniFormat);
    quillo::WindowSettings windowSettings(settings);
    quillo::LibraryController libraries(settings);
    quillo::IndexController index;
    quillo::MarkerFilterController filter(settings);
    quillo::PostlabLibraryLocator locator;
    quillo::TodoIPCServer server(nullptr, quillo::TodoIPCServer::Announcement::none);
    quillo::MainWindow window(quillo::MainWindowParts{
        .libraries = libraries,
        .index = index,
        .filter = filter,
        .ipcServer = server,
        .locator = locator,
        .settings = windowSettings,
        .remindersExport = std::make_unique<quillo::RemindersExportService>(
            &settings, std::make_unique<platform::ReminderStore>(platform::toPath(work.filePath("reminders")))),
    });
    window.resize(1180, 760);
    window.show();
    bool written = settle([&] { return window.showsEmptyState(); }) && save(window, directory, "first-run.png");

    QProcess demo;
    demo.start(QStringLiteral(QUILLOTODO_DEMO_LIBRARY_TOOL), {work.path()});
    if (!demo.waitForFinished(60'000) || demo.exitCode() != 0) {
        std::fprintf(stderr, "the demo library could not be written\n");
        return 1;
    }
    libraries.addLibrary(QUrl::fromLocalFile(work.filePath("Demo.fcpbundle")));
    const auto loaded = [&] {
        return !index.items().empty() && !index.isRefreshing() && libraries.watchedLibraries().front()->isLoaded();
    };
    windowSettings.setExpandedEvents(
        QStringLiteral("Demo|Interviews\x01"
                       "Demo|Pickups"));
    written = settle(loaded) && save(window, directory, "main-window.png") && written;

    std::vector<std::string> firstEvent;
    for (const auto& timeline : index.structure().front().events.front().timelines) firstEvent.push_back(timeline.id);
    filter.setTimelines(firstEvent, false);
    written = settle(loaded) && save(window, directory, "main-window-timelines-off.png") && written;

    window.setSidebarCollapsed(true);
    written = settle([&] { return window.isSidebarCollapsed(); }) &&
              save(window, directory, "main-window-sidebar-collapsed.png") && written;
    return written ? 0 : 1;
}
