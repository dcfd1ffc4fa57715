// quillo-sheets-shots: the settings window and the two sheets over a library, as screenshots.
//   quillo-sheets-shots BUNDLE --screenshots DIRECTORY
// writes settings.png, feedback*.png and export-*.png; scripts/screenshots runs it over the demo
// library. Settings, reminders and feedback live in a temporary folder: nothing of the user's is read.

#include "QuilloToDo/Views/Shell/DarkColorScheme.h"
#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"
#include "QuilloToDo/Views/Sheets/RemindersExportSheet.h"
#include "QuilloToDo/Views/SettingsWindow/SettingsView.h"

#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloHudBackground.h"
#include "testing/ScreenshotRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace quillo;

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("QUILLOTODO_REMINDERS_DIR", QFile::encodeName(home.filePath(QStringLiteral("calendars"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QApplication application(argc, argv);
    applyDarkColorScheme(application);
    const QStringList arguments = QApplication::arguments();
    const char* const usage = "quillo-sheets-shots BUNDLE --screenshots DIRECTORY";
    ScreenshotRun shots(arguments);
    if (const auto failure = shots.failure(usage, true)) return *failure;
    if (arguments.size() != 4 || arguments.at(2) != QStringLiteral("--screenshots"))
        return ScreenshotRun::usageError(usage);

    QSettings defaults(home.filePath(QStringLiteral("QuilloToDo.conf")), QSettings::IniFormat);
    WindowSettings settings(defaults);
    LibraryController libraries(defaults);
    IndexController index;
    TodoIPCServer ipcServer(nullptr, TodoIPCServer::Announcement::none);
    PostlabLibraryLocator locator;
    const FeedbackSources sources{&libraries, &index, &ipcServer, &locator};
    RemindersExportService remindersExport(&defaults, ReminderMappingFile::defaultPath());

    const std::filesystem::path bundle = platform::toPath(arguments.at(1));
    const auto refreshed = index.refresh({{bundle, bundle.stem().string(), "demo"}});
    ScreenshotRun::settle([&] { return refreshed.isFinished(); });

    // The window the sheets belong to, painted as the main window's background by default.
    QuilloHudBackground window(*Color::fromHex(QStringLiteral("#0D0D0D")), 0.95);
    window.setProperty(FeedbackSheet::kMainWindowProperty, true);
    window.resize(900, 620);
    window.show();

    {
        SettingsView view(sources, settings, remindersExport);
        view.show();
        shots.shoot(view, "settings", [&] { return QTest::qWaitForWindowExposed(&view); });
    }

    auto* feedback = new FeedbackSheet(sources, QString(), &window);
    feedback->open();
    feedback->findChild<QPlainTextEdit*>()->setPlainText(
        QStringLiteral("The Reel 2 timeline shows its chapter markers twice."));
    shots.shoot(*feedback, "feedback");
    feedback->findChild<QCheckBox*>()->setChecked(true);
    ScreenshotRun::settle([&] { return feedback->screenshotData().has_value(); });
    feedback->findChild<QLineEdit*>()->setText(QStringLiteral("editor@example.org"));
    shots.shoot(*feedback, "feedback-screenshot");
    feedback->close();

    std::vector<TodoItem> shown(index.items().begin(), index.items().end());
    auto* exportSheet = new RemindersExportSheet(shown, remindersExport, &window);
    exportSheet->open();
    shots.shoot(*exportSheet, "export-new-list");
    exportSheet->setTarget(RemindersExportSheet::Target::existingList);
    shots.shoot(*exportSheet, "export-existing-list-before-access");
    exportSheet->setTarget(RemindersExportSheet::Target::newList);
    exportSheet->runPrimaryAction();
    shots.shoot(*exportSheet, "export-done",
                [&] { return !exportSheet->isExporting() && !exportSheet->status().isEmpty(); });
    exportSheet->close();

    auto* again = new RemindersExportSheet(shown, remindersExport, &window);
    again->open();
    again->setTarget(RemindersExportSheet::Target::existingList);
    shots.shoot(*again, "export-existing-list", [&] { return !remindersExport.availableLists().isEmpty(); });
    again->close();
    return shots.status();
}
