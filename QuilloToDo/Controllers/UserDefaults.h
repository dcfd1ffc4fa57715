#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace quillo {

// The user defaults every controller is given: one INI file, by default
// $XDG_CONFIG_HOME/QuilloToDo/QuilloToDo.conf (~/.config when the variable is unset).
QString userDefaultsPath();
std::unique_ptr<QSettings> openUserDefaults(const QString& path = userDefaultsPath());

}  // namespace quillo
