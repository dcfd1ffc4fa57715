#pragma once

#include <QApplication>
#include <QByteArray>

namespace quillo::test {

// The one application object of a test process, made on first use: widgets under the offscreen
// platform unless the environment names another. Never destroyed: Qt's objects may outlive main.
inline QApplication& qtTestApplication() {
    static QApplication* application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "quillo-test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *application;
}

}  // namespace quillo::test
