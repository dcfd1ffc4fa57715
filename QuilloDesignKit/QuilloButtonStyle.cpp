#include "QuilloDesignKit/QuilloButtonStyle.h"

#include "QuilloDesignKit/QuilloColor.h"

namespace quillo {

QuilloButtonChrome QuilloButtonStyle::chrome(bool pressed) const {
    return {.fill = isActive ? Color::quilloAccentBackground() : QColor(Qt::transparent),
            .hairline = Color::withOpacity(Qt::white, pressed ? 0.15 : 0.08),
            .opacity = pressed ? 0.8 : 1.0};
}

QuilloButtonChrome QuilloIconButtonStyle::chrome(bool pressed) const {
    return {.fill = pressed ? Color::quilloSelection() : QColor(Qt::transparent),
            .hairline = Color::withOpacity(Qt::white, 0.08),
            .opacity = pressed ? 0.8 : 1.0};
}

}  // namespace quillo
