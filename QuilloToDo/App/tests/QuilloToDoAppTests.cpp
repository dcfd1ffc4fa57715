#include "QuilloToDo/App/QuilloToDoApp.h"

#include "Platform/DNSSD/ServiceBrowser.h"
#include "Platform/QtBridge/QtText.h"
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
#include "QuilloToDo/Views/Shell/RefreshRoutine.h"
#include "QuilloToDo/Views/Sheets/RemindersExportSheet.h"
#include "QuilloToDo/Views/SettingsWindow/SettingsView.h"
#include "testing/DNSSDTestLock.h"
#include "testing/LibraryBuilder.h"
#include "testing/ScriptedHttpServer.h"
#include "testing/TemporaryDirectory.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace quillo {
namespace {

using namespace std::chrono_literals;

// The application over a settings file, a reminders store and a data folder of the test's own.
class QuilloToDoAppTest : public ::testing::Test {
protected:
    QuilloToDoAppTest() {
        QCoreApplication::setApplicationVersion(QStringLiteral(QUILLO_APP_VERSION));
        qputenv("QUILLOTODO_REMINDERS_DIR", QFile::encodeName(platform::toQString(directory.path() / "calendars")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(platform::toQString(directory.path() / "data")));
    }
    ~QuilloToDoAppTest() override {
        qunsetenv("QUILLOTODO_REMINDERS_DIR");
        qunsetenv("XDG_DATA_HOME");
    }

    std::unique_ptr<QuilloToDoApp> makeApp(QuilloToDoApp::Options options = {}) {
        options.announcement = TodoIPCServer::Announcement::none;
        return std::make_unique<QuilloToDoApp>(defaults, options);
    }
    // A library bundle "Cut" with one event under dir/<folder>.
    std::filesystem::path bundle(const std::string& folder) {
        std::filesystem::create_directories(directory.path() / folder);
        quillo::testing::LibraryBuilder library(directory.path() / folder, "Cut");
        library.event("Day 1");
        return library.finish();
    }
    static MainWindow& showAndWait(QuilloToDoApp& app) {
        MainWindow& window = app.showMainWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        return window;
    }

    quillo::testing::TemporaryDirectory directory;
    QSettings defaults{platform::toQString(directory.path() / "QuilloToDo.conf"), QSettings::IniFormat};
};

TEST_F(QuilloToDoAppTest, ControllersAreMadeOnceInTheirOrderAndNothingRunsBeforeTheWindowAppears) {
    auto app = makeApp();
    QStringList made;
    for (QObject* child : app->children()) made.append(QString::fromLatin1(child->metaObject()->className()));
    ASSERT_GE(made.size(), 6);
    EXPECT_EQ(made.mid(0, 6), (QStringList{"platform::Updater", "quillo::LibraryController", "quillo::IndexController",
                                           "quillo::MarkerFilterController", "quillo::TodoIPCServer",
                                           "quillo::PostlabLibraryLocator"}));
    EXPECT_FALSE(app->updaterController().isStarted());
    EXPECT_EQ(app->ipcServer().port(), 0);
    EXPECT_FALSE(app->postlabLocator().isPolling());
    EXPECT_FALSE(app->postlabLocator().onLocated());
}

TEST_F(QuilloToDoAppTest, TheWindowAppearingStartsServerAndPollingAndTheUpdaterThreeSecondsLater) {
    auto app = makeApp();
    QElapsedTimer clock;
    clock.start();
    showAndWait(*app);
    EXPECT_NE(app->ipcServer().port(), 0);
    EXPECT_TRUE(app->postlabLocator().isPolling());
    EXPECT_TRUE(app->postlabLocator().onLocated());
    EXPECT_FALSE(app->updaterController().isStarted());
    QSignalSpy started(&app->updaterController(), &platform::Updater::startedChanged);
    ASSERT_TRUE(started.wait(10'000));
    EXPECT_GE(clock.elapsed(), 3000);
}

TEST_F(QuilloToDoAppTest, ClosingTheWindowEarlyStartsTheUpdaterAtOnce) {
    QuilloToDoApp::Options slow;
    slow.updaterStartDelay = 60s;
    auto app = makeApp(slow);
    MainWindow& window = showAndWait(*app);
    EXPECT_FALSE(app->updaterController().isStarted());
    window.close();
    EXPECT_TRUE(app->updaterController().isStarted());
}

TEST_F(QuilloToDoAppTest, TheLocatorsCallbackMovesTheWatchedLibrary) {
    auto app = makeApp();
    app->libraryController().addLibrary(QUrl::fromLocalFile(platform::toQString(bundle("a"))));
    ASSERT_EQ(app->libraryController().watchedLibraries().size(), 1);
    showAndWait(*app);
    const QUrl live = QUrl::fromLocalFile(platform::toQString(bundle("b")));
    app->postlabLocator().onLocated()(QStringLiteral("Cut"), live);
    EXPECT_EQ(app->libraryController().watchedLibraries().front()->url(), live);
}

TEST_F(QuilloToDoAppTest, TheCommandsAskTheMainWindowForItsSheets) {
    auto app = makeApp();
    MainWindow& window = showAndWait(*app);
    // Everything filtered out: the export sheet opens with no items and cannot export.
    app->filterController().setFilter(MarkerFilter{{}, {}, {}, "no to-do says this"});
    app->exportRemindersAction()->trigger();
    RemindersExportSheet* exportSheet = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((exportSheet = window.findChild<RemindersExportSheet*>()) != nullptr, 10'000);
    EXPECT_TRUE(window.showRemindersExport());
    EXPECT_TRUE(exportSheet->items().empty());
    EXPECT_FALSE(exportSheet->canExport());
    AppNotifications::defaultCenter().post(NotificationName::kShowRemindersExportSheet);  // already shown
    EXPECT_EQ(window.findChildren<RemindersExportSheet*>().size(), 1);
    exportSheet->reject();
    QTRY_VERIFY_WITH_TIMEOUT(!window.showRemindersExport(), 10'000);

    app->sendFeedbackAction()->trigger();
    FeedbackSheet* feedback = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((feedback = window.findChild<FeedbackSheet*>()) != nullptr, 10'000);
    EXPECT_TRUE(feedback->herkunft().isEmpty());
    EXPECT_EQ(feedback->windowModality(), Qt::WindowModal);
    feedback->reject();
    QTRY_VERIFY_WITH_TIMEOUT(!window.showFeedback(), 10'000);

    EXPECT_EQ(app->exportRemindersAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    EXPECT_EQ(app->sendFeedbackAction()->shortcuts(), QList{QKeySequence(QStringLiteral("Ctrl+?"))});
    EXPECT_EQ(app->quitAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_TRUE(window.actions().contains(app->checkForUpdatesAction()));
    EXPECT_TRUE(window.actions().contains(app->quitAction()));
}

// Closing hides the window: the server keeps its listener, the sheet commands do nothing, and
// showing it again runs the on-appear action anew.
TEST_F(QuilloToDoAppTest, AClosedWindowKeepsServingIgnoresItsCommandsAndComesBack) {
    auto app = makeApp();
    MainWindow& window = showAndWait(*app);
    const quint16 port = app->ipcServer().port();
    QSignalSpy appeared(app.get(), &QuilloToDoApp::mainWindowAppeared);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(app->mainWindow(), &window);
    EXPECT_EQ(app->ipcServer().port(), port);
    EXPECT_TRUE(app->postlabLocator().isPolling());

    app->showSettings();
    app->exportRemindersAction()->trigger();
    app->sendFeedbackAction()->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.showRemindersExport());
    EXPECT_FALSE(window.showFeedback());
    EXPECT_EQ(window.findChild<QDialog*>(), nullptr);

    EXPECT_EQ(&app->showMainWindow(), &window);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(appeared.count(), 1);
    EXPECT_EQ(app->ipcServer().port(), port);
    app->sendFeedbackAction()->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<FeedbackSheet*>() != nullptr, 10'000);
    window.findChild<FeedbackSheet*>()->reject();
}

TEST_F(QuilloToDoAppTest, ASettingsChangeReachesTheRunningWindowAtOnce) {
    auto app = makeApp();
    MainWindow& window = showAndWait(*app);
    window.resize(800, 520);
    const QPoint background(window.width() / 2, window.height() - 4);
    const QColor before = window.grab().toImage().pixelColor(background);
    SettingsView& settings = app->showSettings();
    EXPECT_EQ(app->showSettings().winId(), settings.winId());  // one settings window
    auto* presets = settings.findChild<QComboBox*>();
    presets->setCurrentIndex(1);
    Q_EMIT presets->activated(1);  // "Soft": black at 0.4
    EXPECT_EQ(app->windowSettings().windowGlassDarkness(), 0.4);
    const QColor after = window.grab().toImage().pixelColor(background);
    EXPECT_NE(before, after);
}

// One export service for the application: the windows share it, and its mapping, found under the
// old settings key, is in the data folder by the time it is published.
TEST_F(QuilloToDoAppTest, BothWindowsUseTheApplicationsExportServiceWhoseMappingLivesInTheDataFolder) {
    const auto id = platform::UUID::random();
    defaults.setValue(ReminderMappingFile::kSettingsKey,
                      QVariantMap{{platform::toQString(std::string_view(id.uuidString())), "R1"}});
    auto app = makeApp();
    EXPECT_EQ(&showAndWait(*app).remindersExport(), &app->remindersExport());
    EXPECT_EQ(&app->showSettings().remindersExport(), &app->remindersExport());
    QTRY_COMPARE_WITH_TIMEOUT(app->remindersExport().exportedReminderIDs(), (ReminderMapping{{id, "R1"}}), 10'000);
    EXPECT_EQ(ReminderMappingFile::load(
                  platform::toQString(directory.path() / "data" / "QuilloToDo" / "reminders_mapping.json")),
              (ReminderMapping{{id, "R1"}}));
}

TEST_F(QuilloToDoAppTest, CheckForUpdatesReadsTheFeedAndTellsTheUser) {
    quillo::testing::ScriptedHttpServer server;
    server.script({.status = 200, .body = R"(<rss version="2.0" xmlns:up="http://example.org/updates"><channel>
                     <item><up:version>)" QUILLO_APP_VERSION R"(</up:version></item></channel></rss>)"});
    QuilloToDoApp::Options options;
    options.updateFeedURL = QUrl(server.baseURL() + "/appcast.xml");
    auto app = makeApp(options);
    QSignalSpy finished(&app->updaterController(), &platform::Updater::checkFinished);
    app->checkForUpdatesAction()->trigger();
    ASSERT_TRUE(finished.wait(20'000));
    ASSERT_NE(app->updaterController().resultDialog(), nullptr);
    EXPECT_EQ(app->updaterController().resultDialog()->headline(), "You’re up to date!");
    app->updaterController().resultDialog()->close();
}

// With the tests' loopback DNS-SD daemon: the window's appearance announces the listener.
TEST(QuilloToDoAppAnnouncement, TheListenerIsAnnouncedOverDNSSD) {
    test::DNSSDTestLock lock;
    quillo::testing::TemporaryDirectory directory;
    QSettings defaults(platform::toQString(directory.path() / "QuilloToDo.conf"), QSettings::IniFormat);
    qputenv("QUILLOTODO_REMINDERS_DIR", QFile::encodeName(platform::toQString(directory.path() / "calendars")));
    QuilloToDoApp app(defaults);
    app.showMainWindow();
    ASSERT_NE(app.ipcServer().port(), 0);
    platform::ServiceBrowser browser(QStringLiteral("_quillotodo._tcp"), QStringLiteral("local."));
    browser.start();
    const auto announced = [&] {
        const auto results = browser.results();  // a copy: begin and end must come from one list
        return std::any_of(results.begin(), results.end(), [&](const platform::ServiceEndpoint& found) {
            return found.name == "QuilloToDo" && found.port == app.ipcServer().port();
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(announced(), 20'000);
    qunsetenv("QUILLOTODO_REMINDERS_DIR");
}

}  // namespace
}  // namespace quillo
