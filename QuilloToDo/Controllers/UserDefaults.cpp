#include "QuilloToDo/Controllers/UserDefaults.h"

#include <QSettings>
#include <QStandardPaths>

namespace quillo {

QString userDefaultsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/QuilloToDo/QuilloToDo.conf");
}

std::unique_ptr<QSettings> openUserDefaults(const QString& path) {
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

}  // namespace quillo
