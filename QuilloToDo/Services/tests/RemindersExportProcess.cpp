// A later launch of the application, as far as the reminders export goes: exports to-dos into a new
// list "Cut" with the settings file, mapping file and reminders folder it is given, prints what the
// export did ("created=N updated=N untouched=N") or "error: " and why, and exits. Run as root, it
// first becomes nobody, so that permission bits stop it as they stop a user.
//
//   RemindersExportProcess SETTINGS MAPPING REMINDERS ID=TEXT...
#include "QuilloToDo/Services/RemindersExportService.h"

#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"

#include <QCoreApplication>
#include <QSettings>

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 3;
    QCoreApplication application(argc, argv);
    std::vector<quillo::TodoItem> items;
    for (int i = 4; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.find('=');
        const auto id = platform::UUID::parse(argument.substr(0, equals));
        if (equals == std::string::npos || !id) return 2;
        quillo::TodoItem item;
        item.id = *id;
        item.kind = quillo::MarkerKind::todo;
        item.status = quillo::TodoStatus::open;
        item.text = item.rawText = argument.substr(equals + 1);
        item.libraryName = "Feature";
        item.eventName = "Day 1";
        item.timelineName = "Reel 1";
        item.timelineTimecode = "00:00:01:00";
        items.push_back(std::move(item));
    }
    QSettings settings(QString::fromLocal8Bit(argv[1]), QSettings::IniFormat);
    quillo::RemindersExportService service(
        &settings, QString::fromLocal8Bit(argv[2]),
        std::make_unique<platform::ReminderStore>(platform::toPath(QString::fromLocal8Bit(argv[3]))));
    service.exportItems(items, QStringLiteral("Cut"), std::nullopt)
        .then(&application, [](QFuture<quillo::ExportResult> finished) {
            try {
                const quillo::ExportResult result = finished.result();
                std::printf("created=%d updated=%d untouched=%d\n", result.createdCount, result.updatedCount,
                            result.untouchedCount);
            } catch (const std::exception& error) {
                std::printf("error: %s\n", error.what());
            }
            QCoreApplication::exit(0);
        });
    return application.exec();
}
