// Renders the main window for people to look at (scripts/screenshots runs it under Xvfb):
//   quillotodo-main-window-shots --screenshots DIRECTORY
// writes first-run.png, then, with the demo library watched, main-window.png (every event open),
// main-window-sidebar-focus.png (the keyboard on a timeline row), main-window-search.png (a search
// and the counts it leaves), main-window-timelines-off.png (the first event's timelines switched off)
// and main-window-sidebar-collapsed.png. Works in a temporary settings file; touches nothing of the user's.
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/Content/SearchBar.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "QuilloToDo/Views/Sidebar/EventCard.h"
#include "QuilloToDo/Views/Sidebar/LibrarySourceListView.h"
#include "QuilloToDo/Views/Sidebar/TimelineToggleRow.h"
#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"
#include "testing/ScreenshotRun.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    quillo::ScreenshotRun shots(QApplication::arguments());
    if (const auto failure = shots.failure("quillotodo-main-window-shots --screenshots DIRECTORY", true))
        return *failure;
    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }

    QSettings settings(work.filePath("QuilloToDo.conf"), QSettings::IniFormat);
    quillo::WindowSettings windowSettings(settings);
    quillo::LibraryController libraries(settings);
    quillo::IndexController index;
    quillo::MarkerFilterController filter(settings);
    quillo::PostlabLibraryLocator locator;
    quillo::TodoIPCServer server(nullptr, quillo::TodoIPCServer::Announcement::none);
    quillo::RemindersExportService remindersExport(
        &settings, work.filePath("reminders_mapping.json"),
        std::make_unique<platform::ReminderStore>(platform::toPath(work.filePath("reminders"))));
    quillo::MainWindow window(quillo::MainWindowParts{
        .libraries = libraries,
        .index = index,
        .filter = filter,
        .ipcServer = server,
        .locator = locator,
        .settings = windowSettings,
        .remindersExport = remindersExport,
    });
    window.resize(1180, 760);
    window.show();
    shots.shoot(window, "first-run", [&] { return window.showsEmptyState(); });

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
    shots.shoot(window, "main-window", loaded);
    // The keyboard on the first timeline row: its focus ring.
    window.activateWindow();
    const auto focusFirstRow = [&] {
        const auto& cards = window.sidebar()->eventCards();
        if (cards.isEmpty() || cards.front()->rows().isEmpty()) return false;
        cards.front()->rows().front()->setFocus(Qt::TabFocusReason);
        return cards.front()->rows().front()->hasFocus();
    };
    shots.shoot(window, "main-window-sidebar-focus", [&] { return loaded() && focusFirstRow(); });

    // A search: the sidebar's cards count what it finds.
    QLineEdit* search = window.contentPane()->searchBar()->field();
    search->setText(QStringLiteral("Lena"));
    shots.shoot(window, "main-window-search", loaded);
    search->clear();

    std::vector<std::string> firstEvent;
    for (const auto& timeline : index.structure().front().events.front().timelines) firstEvent.push_back(timeline.id);
    filter.setTimelines(firstEvent, false);
    shots.shoot(window, "main-window-timelines-off", loaded);

    window.setSidebarCollapsed(true);
    shots.shoot(window, "main-window-sidebar-collapsed", [&] { return window.isSidebarCollapsed(); });
    return shots.status();
}
