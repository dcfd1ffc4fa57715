// The workflow extension's panel as a program of its own. Outside the editing application there is
// no host: the panel says so and still shows the list. `--stand-in-host NAME` gives it a host whose
// active sequence is NAME and which prints each playhead move as "playhead VALUE/TIMESCALE".
#include "QuilloToDoFCPExtension/QuilloToDoFCPExtensionViewController.h"

#include "Platform/FCPXHost/FCPXHost.h"
#include "Platform/FCPXHost/StandInHost.h"
#include "Platform/QtBridge/QtText.h"

#include <QApplication>
#include <QCommandLineParser>

#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuilloToDoFCPExtension"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The QuilloToDo panel for the editor's timeline."));
    parser.addHelpOption();
    const QCommandLineOption standInHost(
        QStringLiteral("stand-in-host"),
        QStringLiteral("Run with a stand-in host whose active sequence is NAME; it prints each playhead move."),
        QStringLiteral("NAME"));
    parser.addOption(standInHost);
    parser.process(application);

    std::unique_ptr<platform::StandInHost> host;
    if (parser.isSet(standInHost)) {
        host = std::make_unique<platform::StandInHost>(platform::toStdString(parser.value(standInHost)), std::cout);
        platform::setProExtensionHostSingleton(host.get());
    }

    int status = 0;
    {
        quillo::QuilloToDoFCPExtensionViewController panel;
        panel.setWindowTitle(QStringLiteral("QuilloToDo"));
        panel.show();
        status = QApplication::exec();
    }
    platform::setProExtensionHostSingleton(nullptr);
    return status;
}
