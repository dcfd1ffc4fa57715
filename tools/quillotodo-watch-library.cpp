// Stores a library bundle as watched in a settings file, as adding it in the window would:
//   quillotodo-watch-library SETTINGS_FILE BUNDLE
// scripts/run gives the application a settings file of its own that watches the demo library.

#include "Platform/QtBridge/QtText.h"
#include "QuilloToDo/Controllers/LibraryController.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: quillotodo-watch-library SETTINGS_FILE BUNDLE\n");
        return 2;
    }
    const QFileInfo bundle(arguments.at(2));
    QSettings settings(arguments.at(1), QSettings::IniFormat);
    quillo::LibraryController libraries(settings);
    libraries.addLibrary(QUrl::fromLocalFile(bundle.absoluteFilePath()));
    settings.sync();
    const bool watched = std::any_of(libraries.watchedLibraries().begin(), libraries.watchedLibraries().end(),
                                     [&](const quillo::WatchedLibrary* library) {
                                         return library->url().toLocalFile() == bundle.absoluteFilePath();
                                     });
    if (!watched || settings.status() != QSettings::NoError) {
        std::fprintf(stderr, "quillotodo-watch-library: cannot watch %s\n", qPrintable(bundle.absoluteFilePath()));
        return 1;
    }
    return 0;
}
