#include "QuilloToDo/App/QuilloToDoApp.h"

#include "Platform/Reminders/ReminderStore.h"
#include "Platform/Updater/Updater.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Settings/AppNotifications.h"
#include "QuilloToDo/Settings/NotificationNames.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "QuilloToDo/Views/Shell/MainWindowSheets.h"
#include "QuilloToDo/Views/Shared/MenuShortcuts.h"
#include "QuilloToDo/Views/SettingsWindow/SettingsView.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QSettings>

namespace quillo {

QuilloToDoApp::QuilloToDoApp(QSettings& defaults, Options options, QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      options_(std::move(options)),
      updater_(new platform::Updater(
          options_.updateFeedURL.isEmpty() ? platform::Updater::configuredFeedURL() : options_.updateFeedURL,
          QCoreApplication::applicationVersion(), this)),
      libraryController_(new LibraryController(defaults, platform::FinalCutProAutomation(), this)),
      indexController_(new IndexController(this)),
      filterController_(new MarkerFilterController(defaults, this)),
      ipcServer_(new TodoIPCServer(this, options_.announcement)),
      postlabLocator_(new PostlabLibraryLocator(this)),
      windowSettings_(new WindowSettings(defaults, this)),
      remindersExport_(new RemindersExportService(&defaults, ReminderMappingFile::defaultPath(), nullptr, this)) {
    launchTask_.setSingleShot(true);
    launchTask_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % early: never before 3 s
    connect(&launchTask_, &QTimer::timeout, this, &QuilloToDoApp::startUpdaterNow);
    createCommands();
}

QuilloToDoApp::~QuilloToDoApp() {
    // The windows use the controllers: they go first.
    delete settingsWindow_;
    delete mainWindow_;
}

void QuilloToDoApp::createCommands() {
    checkForUpdates_ = new QAction(QStringLiteral("Check for Updates …"), this);
    connect(checkForUpdates_, &QAction::triggered, updater_, &platform::Updater::checkForUpdates);

    exportReminders_ = new QAction(QStringLiteral("Export Shown To-Dos as Reminders List …"), this);
    exportReminders_->setShortcut(MenuShortcuts::exportReminders());
    connect(exportReminders_, &QAction::triggered, this,
            [] { AppNotifications::defaultCenter().post(NotificationName::kShowRemindersExportSheet); });

    sendFeedback_ = new QAction(QStringLiteral("Send Feedback …"), this);
    sendFeedback_->setShortcut(MenuShortcuts::sendFeedback());
    connect(sendFeedback_, &QAction::triggered, this,
            [] { AppNotifications::defaultCenter().post(NotificationName::kShowFeedbackSheet); });

    settings_ = new QAction(QStringLiteral("Settings …"), this);
    settings_->setShortcut(MenuShortcuts::settings());
    connect(settings_, &QAction::triggered, this, [this] { showSettings(); });

    // The main window's closing only hides it: quitting is the one way to end the program.
    quit_ = new QAction(QStringLiteral("Quit"), this);
    quit_->setShortcut(MenuShortcuts::quit());
    connect(quit_, &QAction::triggered, this, [] { QCoreApplication::quit(); });
    quitSeparator_ = new QAction(this);
    quitSeparator_->setSeparator(true);

    for (QAction* action : {checkForUpdates_, exportReminders_, sendFeedback_, settings_, quit_}) {
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }
}

void QuilloToDoApp::offerCommands(QWidget* window) const {
    // No window shows a menu bar: the shortcuts work from every window, and the main window lists
    // the commands in its context menu.
    window->addActions({checkForUpdates_, exportReminders_, sendFeedback_, settings_, quitSeparator_, quit_});
}

MainWindow& QuilloToDoApp::showMainWindow() {
    if (!mainWindow_) {
        MainWindowParts parts{
            .libraries = *libraryController_,
            .index = *indexController_,
            .filter = *filterController_,
            .ipcServer = *ipcServer_,
            .locator = *postlabLocator_,
            .settings = *windowSettings_,
            .remindersExport = *remindersExport_,
        };
        mainWindow_ = new MainWindow(std::move(parts));
        mainWindow_->setProperty(FeedbackSheet::kMainWindowProperty, true);
        mainWindow_->setContextMenuPolicy(Qt::ActionsContextMenu);
        offerCommands(mainWindow_);
        new MainWindowSheets(*mainWindow_,
                             FeedbackSources{libraryController_, indexController_, ipcServer_, postlabLocator_},
                             *indexController_, *filterController_);
        mainWindow_->installEventFilter(this);
    }
    mainWindow_->setWindowState(mainWindow_->windowState() & ~Qt::WindowMinimized);
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    return *mainWindow_;
}

SettingsView& QuilloToDoApp::showSettings() {
    if (!settingsWindow_) {
        settingsWindow_ =
            new SettingsView(FeedbackSources{libraryController_, indexController_, ipcServer_, postlabLocator_},
                             *windowSettings_, *remindersExport_);
        settingsWindow_->setAttribute(Qt::WA_DeleteOnClose);
        settingsWindow_->setWindowTitle(QStringLiteral("Settings"));
        offerCommands(settingsWindow_);
    }
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
    return *settingsWindow_;
}

bool QuilloToDoApp::eventFilter(QObject* watched, QEvent* event) {
    // Installed on the main window only. qobject_cast, not the QPointer: events still arrive while
    // the window is being destroyed, when it is no longer a MainWindow.
    const bool fromMainWindow = qobject_cast<MainWindow*>(watched) != nullptr;
    if (fromMainWindow && event->type() == QEvent::Show) {
        onMainWindowAppear();
    } else if (fromMainWindow && event->type() == QEvent::Close && launchTask_.isActive()) {
        // The window went away before the delay ran out: the updater starts at once.
        launchTask_.stop();
        startUpdaterNow();
    }
    return QObject::eventFilter(watched, event);
}

void QuilloToDoApp::onMainWindowAppear() {
    ipcServer_->start();
    postlabLocator_->setOnLocated([libraries = QPointer(libraryController_)](const QString& name, const QUrl& url) {
        if (libraries) libraries->updateLiveURL(name, url);
    });
    postlabLocator_->startPolling(kLocatorPollIntervalSeconds);
    launchTask_.start(options_.updaterStartDelay);
    Q_EMIT mainWindowAppeared();
}

void QuilloToDoApp::startUpdaterNow() { updater_->startUpdater(); }

}  // namespace quillo
