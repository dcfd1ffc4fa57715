#include "Platform/WindowSystem/VisualEffectBackdrop.h"

#include "Platform/WindowSystem/WindowTransparency.h"

#include <QPainter>
#include <QWidget>

namespace platform {

namespace {

struct MaterialLook {
    QColor tone;              // opaque colour of the material over a dark desktop
    double translucentAlpha;  // its opacity where the desktop shows through
};

MaterialLook look(VisualEffectMaterial material) {
    switch (material) {
    case VisualEffectMaterial::hudWindow: return {QColor(31, 31, 33), 0.82};
    case VisualEffectMaterial::sidebar: return {QColor(40, 40, 42), 0.85};
    case VisualEffectMaterial::windowBackground: return {QColor(30, 30, 30), 1.0};
    case VisualEffectMaterial::popover: return {QColor(44, 44, 46), 0.9};
    case VisualEffectMaterial::ultraThin: return {QColor(60, 60, 64), 0.3};
    }
    return {QColor(31, 31, 33), 0.82};
}

}  // namespace

QColor visualEffectColor(VisualEffectMaterial material, VisualEffectBlendingMode mode, bool windowIsTranslucent) {
    const MaterialLook materialLook = look(material);
    QColor color = materialLook.tone;
    if (mode == VisualEffectBlendingMode::withinWindow || windowIsTranslucent)
        color.setAlphaF(float(materialLook.translucentAlpha));
    return color;
}

void paintVisualEffect(QPainter& painter, const QRectF& rect, VisualEffectMaterial material,
                       VisualEffectBlendingMode mode, const QWidget* widget) {
    const bool translucent = widget && isWindowTranslucent(widget->window());
    painter.fillRect(rect, visualEffectColor(material, mode, translucent));
}

}  // namespace platform
