// QuilloToDo: the to-do list of every marker in the watched Final Cut Pro libraries.
//   QuilloToDo                     opens the main window
//   QuilloToDo --screenshot FILE   also writes the window to FILE (PNG) once the first refresh has
//                                  been published, prints FILE and quits (scripts/run on a machine
//                                  without a display)
// Settings live in $XDG_CONFIG_HOME/QuilloToDo/QuilloToDo.conf, data in $XDG_DATA_HOME/QuilloToDo/.
// One copy runs per settings folder: launched again, it shows the running copy's main window and
// exits 0; it runs as that copy when the running one has ended meanwhile, and exits 1 with a message
// when the folder cannot be locked or a copy holds it without answering. Closing the main window only
// hides it; Quit (Ctrl+Q) ends the program.
#include "QuilloToDo/App/LaunchHandover.h"
#include "QuilloToDo/App/QuilloToDoApp.h"
#include "QuilloToDo/Views/Shell/DarkColorScheme.h"
#include "QuilloToDo/Views/Shell/MainWindow.h"
#include "QuilloToDo/Views/Shell/RefreshRoutine.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

namespace {

// Writes the window to `path` once what the first refresh published has been painted, then quits.
void screenshotAfterFirstRefresh(quillo::MainWindow& window, const QString& path) {
    auto* once = new QObject(&window);
    QObject::connect(&window.refreshRoutine(), &quillo::RefreshRoutine::published, once, [&window, path, once] {
        delete once;
        QTimer::singleShot(500, &window, [&window, path] {
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (!window.grab().save(path, "PNG")) {
                std::fprintf(stderr, "QuilloToDo: cannot write %s\n", qPrintable(path));
                QCoreApplication::exit(1);
                return;
            }
            std::printf("%s\n", qPrintable(path));
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuilloToDo"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLO_APP_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quillotodo"));
    quillo::applyDarkColorScheme(application);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The to-do list of your Final Cut Pro markers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Write the window to FILE once the first refresh is published, then quit."),
        QStringLiteral("FILE"));
    parser.addOption(screenshot);
    parser.process(application);

    const QString settingsFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/QuilloToDo");
    using Outcome = quillo::LaunchHandover::Outcome;
    quillo::LaunchHandover handover(settingsFolder);
    Outcome outcome = handover.claim();
    if (outcome == Outcome::held) {
        QEventLoop handingOver;
        QObject::connect(&handover, &quillo::LaunchHandover::finished, &handingOver, [&](Outcome ended) {
            outcome = ended;
            handingOver.quit();
        });
        handover.handOver();
        handingOver.exec();
    }
    if (outcome == Outcome::handedOver) return 0;
    if (outcome == Outcome::failed) {
        std::fprintf(stderr, "QuilloToDo: %s\n", qPrintable(handover.errorString()));
        return 1;
    }
    // The program serves the extension's panel with its window closed, until the user quits.
    QApplication::setQuitOnLastWindowClosed(false);

    QSettings defaults(settingsFolder + QStringLiteral("/QuilloToDo.conf"), QSettings::IniFormat);
    quillo::QuilloToDoApp quillo(defaults);
    QObject::connect(&handover, &quillo::LaunchHandover::showRequested, &quillo,
                     [&quillo] { quillo.showMainWindow(); });
    // A launch while this copy quits must not be told its window is shown: quitting stops answering
    // before anything is torn down (Quit at once, any other way out as the event loop ends). The lock
    // stays until the process ends; such a launch then claims the folder.
    QObject::connect(quillo.quitAction(), &QAction::triggered, &handover, &quillo::LaunchHandover::stopListening);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &handover, &quillo::LaunchHandover::stopListening);
    quillo::MainWindow& window = quillo.showMainWindow();
    if (parser.isSet(screenshot)) screenshotAfterFirstRefresh(window, parser.value(screenshot));
    return QApplication::exec();
}
