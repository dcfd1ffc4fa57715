#pragma once

#include <QColor>
#include <QString>

namespace quillo {

class WindowSettings;

// The window's colours as the stored appearance values make them; computed on every use, so a
// change in the settings window shows at once.
struct WindowAppearance {
    double glassDarkness = 0.95;
    QString baseColorHex = QStringLiteral("#0D0D0D");
    // Empty: the sidebar card takes the base colour, lighter by `sidebarDarknessDelta`.
    QString sidebarColorHex = QStringLiteral("#121212");
    double sidebarDarknessDelta = 0.0;

    static WindowAppearance from(const WindowSettings& settings);

    // The base colour, black when it does not parse; drawn at `glassDarkness`.
    QColor windowColor() const;
    // The sidebar colour when it is set and parses, else the window colour.
    QColor sidebarColor() const;
    // `glassDarkness` while a sidebar colour is set (parsing or not), else `glassDarkness` less the
    // delta, never below 0.
    double sidebarOpacity() const;
};

}  // namespace quillo
