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
#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloHudBackground.h"

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

namespace {

template <class Done>
void waitFor(Done done) {
    for (int i = 0; i < 200 && !done(); ++i) QTest::qWait(25);
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("QUILLOTODO_REMINDERS_DIR", QFile::encodeName(home.filePath(QStringLiteral("calendars"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QApplication application(argc, argv);
    applyDarkColorScheme(application);
    QuilloAnimation::setEnabled(false);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 4 || arguments.at(2) != QStringLiteral("--screenshots")) {
        std::fprintf(stderr, "usage: quillo-sheets-shots BUNDLE --screenshots DIRECTORY\n");
        return 2;
    }
    const QDir directory(arguments.at(3));
    QDir().mkpath(directory.path());

    QSettings defaults(home.filePath(QStringLiteral("QuilloToDo.conf")), QSettings::IniFormat);
    WindowSettings settings(defaults);
    LibraryController libraries(defaults);
    IndexController index;
    TodoIPCServer ipcServer(nullptr, TodoIPCServer::Announcement::none);
    PostlabLibraryLocator locator;
    const FeedbackSources sources{&libraries, &index, &ipcServer, &locator};

    const std::filesystem::path bundle = platform::toPath(arguments.at(1));
    const auto refreshed = index.refresh({{bundle, bundle.stem().string(), "demo"}});
    waitFor([&] { return refreshed.isFinished(); });

    int status = 0;
    const auto shoot = [&](QWidget& widget, const char* name) {
        QTest::qWait(100);
        const QString path = directory.filePath(QLatin1String(name) + QStringLiteral(".png"));
        if (!widget.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            status = 1;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    };

    // The window the sheets belong to, painted as the main window's background by default.
    QuilloHudBackground window(*Color::fromHex(QStringLiteral("#0D0D0D")), 0.95);
    window.setProperty(FeedbackSheet::kMainWindowProperty, true);
    window.resize(900, 620);
    window.show();

    {
        SettingsView view(sources, settings, defaults);
        view.show();
        waitFor([&] { return QTest::qWaitForWindowExposed(&view); });
        shoot(view, "settings");
    }

    auto* feedback = new FeedbackSheet(sources, QString(), &window);
    feedback->open();
    feedback->findChild<QPlainTextEdit*>()->setPlainText(
        QStringLiteral("The Reel 2 timeline shows its chapter markers twice."));
    shoot(*feedback, "feedback");
    feedback->findChild<QCheckBox*>()->setChecked(true);
    waitFor([&] { return feedback->screenshotData().has_value(); });
    feedback->findChild<QLineEdit*>()->setText(QStringLiteral("editor@example.org"));
    shoot(*feedback, "feedback-screenshot");
    feedback->close();

    RemindersExportService remindersExport(&defaults);
    std::vector<TodoItem> shown(index.items().begin(), index.items().end());
    auto* exportSheet = new RemindersExportSheet(shown, remindersExport, &window);
    exportSheet->open();
    shoot(*exportSheet, "export-new-list");
    exportSheet->setTarget(RemindersExportSheet::Target::existingList);
    shoot(*exportSheet, "export-existing-list-before-access");
    exportSheet->setTarget(RemindersExportSheet::Target::newList);
    exportSheet->runPrimaryAction();
    waitFor([&] { return !exportSheet->isExporting() && !exportSheet->status().isEmpty(); });
    shoot(*exportSheet, "export-done");
    exportSheet->close();

    auto* again = new RemindersExportSheet(shown, remindersExport, &window);
    again->open();
    again->setTarget(RemindersExportSheet::Target::existingList);
    waitFor([&] { return !remindersExport.availableLists().isEmpty(); });
    shoot(*again, "export-existing-list");
    again->close();
    return status;
}
