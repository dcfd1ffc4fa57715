#include "QuilloToDo/Views/Shell/WindowAppearance.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloToDo/Settings/WindowSettings.h"

#include <cmath>

namespace quillo {

WindowAppearance WindowAppearance::from(const WindowSettings& settings) {
    return WindowAppearance{
        .glassDarkness = settings.windowGlassDarkness(),
        .baseColorHex = settings.baseColorHex(),
        .sidebarColorHex = settings.sidebarColorHex(),
        .sidebarDarknessDelta = settings.sidebarDarknessDelta(),
    };
}

QColor WindowAppearance::windowColor() const { return Color::fromHex(baseColorHex).value_or(QColor(Qt::black)); }

QColor WindowAppearance::sidebarColor() const {
    if (!sidebarColorHex.isEmpty()) {
        if (const auto own = Color::fromHex(sidebarColorHex)) return *own;
    }
    return windowColor();
}

double WindowAppearance::sidebarOpacity() const {
    if (!sidebarColorHex.isEmpty()) return glassDarkness;
    const double lighter = glassDarkness - sidebarDarknessDelta;
    return std::isnan(lighter) || lighter < 0 ? 0.0 : lighter;
}

}  // namespace quillo
