#include "QuilloDesignKit/QuilloElevation.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QGraphicsDropShadowEffect>
#include <QWidget>

namespace quillo {

void quilloElevation(QWidget* widget, QuilloDesign::Elevation level) {
    const QuilloDesign::Shadow shadow = QuilloDesign::shadow(level);
    auto* effect = new QGraphicsDropShadowEffect(widget);
    effect->setColor(Color::withOpacity(Qt::black, shadow.opacity));
    // SwiftUI-style radius is a standard deviation; Qt's blur radius spans about twice that.
    effect->setBlurRadius(shadow.radius * 2);
    effect->setOffset(0, shadow.yOffset);
    widget->setGraphicsEffect(effect);
}

}  // namespace quillo
