// quillo-content-pane-shots: the content pane over a library, in the states worth looking at.
//   quillo-content-pane-shots BUNDLE                 shows the pane as a window
//   quillo-content-pane-shots BUNDLE --screenshots D renders each state to D/content-<state>.png
// scripts/screenshots runs it over the demo library.

#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/Content/SearchBar.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Settings/WindowSettings.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloHudBackground.h"

#include "Platform/QtBridge/QtText.h"
#include "testing/ScreenshotRun.h"

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>
#include <set>

using namespace quillo;

namespace {

const TodoItem* firstItem(const IndexController& index, const std::function<bool(const TodoItem&)>& wanted) {
    for (const TodoItem& item : index.items()) {
        if (wanted(item)) return &item;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const char* const usage = "quillo-content-pane-shots BUNDLE [--screenshots DIRECTORY]";
    ScreenshotRun shots(arguments);
    if (const auto failure = shots.failure(usage)) return *failure;
    if (arguments.size() < 2) return ScreenshotRun::usageError(usage);

    // A settings file of its own: the stored grouping of a real user stays untouched.
    QTemporaryDir settingsDir;
    QSettings settingsFile(settingsDir.filePath(QStringLiteral("QuilloToDo.conf")), QSettings::IniFormat);
    WindowSettings settings(settingsFile);
    MarkerFilterController filter(settingsFile);
    IndexController index;
    TodoIPCServer ipcServer(nullptr, TodoIPCServer::Announcement::none);
    PostlabLibraryLocator locator;

    const std::filesystem::path bundle = platform::toPath(arguments.at(1));
    const auto refreshed = index.refresh({{bundle, bundle.stem().string(), "demo"}});
    while (!refreshed.isFinished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    // The window's background under the pane, as the main window paints it by default.
    QuilloHudBackground window(*Color::fromHex(QStringLiteral("#0D0D0D")), 0.95);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* pane = new ContentPane(index, filter, settings, ipcServer, locator, &window);
    layout->addWidget(pane);
    window.resize(1180, 780);
    window.show();
    if (!shots.wanted()) return QApplication::exec();
    const auto shoot = [&](const std::string& state) {
        shots.shoot(window, QString::fromStdString("content-" + state));
    };

    // A done to-do whose reminder was ticked off shows the Reminders mark.
    if (const TodoItem* done = firstItem(index, [](const TodoItem& item) { return item.status == TodoStatus::done; })) {
        pane->setCompletedInReminders({done->id});
    }
    for (ListGrouping grouping : kAllListGroupings) {
        settings.setListGroupingRaw(platform::toQString(rawValue(grouping)));
        shoot("grouping-" + std::string(rawValue(grouping)));
    }
    settings.setListGroupingRaw(QStringLiteral("assignee"));

    if (const TodoItem* selected =
            firstItem(index, [](const TodoItem& item) { return item.kind == MarkerKind::todo; })) {
        pane->pick(*selected);
    }
    shoot("details");
    pane->apply(RightPanelAction::toggle, RightPanel::status);
    shoot("details-and-status");
    pane->apply(RightPanelAction::expand, RightPanel::details);
    shoot("details-expanded");
    pane->apply(RightPanelAction::close, RightPanel::details);
    shoot("status");
    pane->apply(RightPanelAction::close, RightPanel::status);

    pane->setSidebarCollapsed(true);
    pane->searchBar()->field()->setText(QStringLiteral("no marker says this"));
    shoot("empty-filter");
    return shots.status();
}
