#pragma once

#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "QuilloToDo/Views/SettingsWindow/SettingsView.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QAction;
class QSettings;
class QWidget;

namespace platform {
class Updater;
}

namespace quillo {

class IndexController;
class LibraryController;
class MarkerFilterController;
class PostlabLibraryLocator;
class RemindersExportService;
class WindowSettings;

// The application: creates the long-lived controllers and the one Reminders export service once, in
// a fixed order, and hands the same instances to the main window and the settings window for the
// life of the process. When the main
// window appears it starts the IPC server, follows libraries the locator finds and starts the
// locator's polling; a little later it starts the updater. It carries the application's commands,
// reachable by their shortcuts from every window and from the main window's context menu.
// Main thread only.
class QuilloToDoApp : public QObject {
    Q_OBJECT
public:
    struct Options {
        // The update feed; empty: Updater::configuredFeedURL().
        QUrl updateFeedURL;
        TodoIPCServer::Announcement announcement = TodoIPCServer::Announcement::dnssd;
        // How long after the main window appears the updater starts.
        std::chrono::milliseconds updaterStartDelay{3000};
    };
    static constexpr double kLocatorPollIntervalSeconds = 5.0;

    // `defaults` is the application's settings file; it outlives the application object. Creates,
    // in this order: the updater (not started), the library controller (which restores the stored
    // libraries), the index controller, the filter controller (which loads the excluded timelines),
    // the IPC server (not listening yet), the locator (no polling, no names, no callback), the window
    // settings and the Reminders export service (which loads its mapping off the main thread).
    explicit QuilloToDoApp(QSettings& defaults, Options options, QObject* parent = nullptr);
    explicit QuilloToDoApp(QSettings& defaults, QObject* parent = nullptr)
        : QuilloToDoApp(defaults, Options{}, parent) {}
    ~QuilloToDoApp() override;

    platform::Updater& updaterController() const { return *updater_; }
    LibraryController& libraryController() const { return *libraryController_; }
    IndexController& indexController() const { return *indexController_; }
    MarkerFilterController& filterController() const { return *filterController_; }
    TodoIPCServer& ipcServer() const { return *ipcServer_; }
    PostlabLibraryLocator& postlabLocator() const { return *postlabLocator_; }
    WindowSettings& windowSettings() const { return *windowSettings_; }
    RemindersExportService& remindersExport() const { return *remindersExport_; }

    // The main window, made on first use, and shown; closing it only hides it, and this brings it
    // back (unminimised, raised) as it was.
    MainWindow& showMainWindow();
    MainWindow* mainWindow() const { return mainWindow_; }
    // The settings window, made when it opens and closed with it; raised when already open.
    SettingsView& showSettings();
    SettingsView* settingsWindow() const { return settingsWindow_; }

    // "Check for Updates …", "Export Shown To-Dos as Reminders List …" (Ctrl+Shift+E), "Send
    // Feedback …" (Ctrl+?), the settings window (Ctrl+,) and "Quit" (Ctrl+Q), which ends the
    // program; never disabled. The two that ask for a sheet do nothing while the main window is
    // closed.
    QAction* checkForUpdatesAction() const { return checkForUpdates_; }
    QAction* exportRemindersAction() const { return exportReminders_; }
    QAction* sendFeedbackAction() const { return sendFeedback_; }
    QAction* settingsAction() const { return settings_; }
    QAction* quitAction() const { return quit_; }

Q_SIGNALS:
    // The main window's content appeared: the server listens, the locator polls.
    void mainWindowAppeared();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createCommands();
    void offerCommands(QWidget* window) const;
    void onMainWindowAppear();
    void startUpdaterNow();

    QSettings& defaults_;
    Options options_;
    platform::Updater* updater_;
    LibraryController* libraryController_;
    IndexController* indexController_;
    MarkerFilterController* filterController_;
    TodoIPCServer* ipcServer_;
    PostlabLibraryLocator* postlabLocator_;
    WindowSettings* windowSettings_;
    RemindersExportService* remindersExport_;
    QTimer launchTask_;
    QPointer<MainWindow> mainWindow_;
    QPointer<SettingsView> settingsWindow_;
    QAction* checkForUpdates_ = nullptr;
    QAction* exportReminders_ = nullptr;
    QAction* sendFeedback_ = nullptr;
    QAction* settings_ = nullptr;
    QAction* quitSeparator_ = nullptr;
    QAction* quit_ = nullptr;
};

}  // namespace quillo
