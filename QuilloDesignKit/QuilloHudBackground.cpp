#include "QuilloDesignKit/QuilloHudBackground.h"

#include "Platform/WindowSystem/VisualEffectBackdrop.h"
#include "QuilloDesignKit/QuilloColor.h"

#include <QPainter>

namespace quillo {

void paintHudBackground(QPainter& painter, const QRectF& rect, const QColor& color, double opacity,
                        const QWidget* widget) {
    platform::paintVisualEffect(painter, rect, platform::VisualEffectMaterial::hudWindow,
                                platform::VisualEffectBlendingMode::behindWindow, widget);
    painter.fillRect(rect, Color::withOpacity(color, opacity));
}

QuilloHudBackground::QuilloHudBackground(const QColor& color, double opacity, QWidget* parent)
    : QWidget(parent), color_(color), opacity_(opacity) {}

void QuilloHudBackground::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void QuilloHudBackground::setOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    update();
}

void QuilloHudBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintHudBackground(painter, rect(), color_, opacity_, this);
}

}  // namespace quillo
