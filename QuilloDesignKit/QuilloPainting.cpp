#include "QuilloDesignKit/QuilloPainting.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QPainter>

#include <algorithm>

namespace quillo::QuilloPainting {

QPainterPath roundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    const double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    path.addRoundedRect(rect, r, r);
    return path;
}

void fillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    if (color.alpha() == 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(roundedRect(rect, radius));
    painter.restore();
}

void strokeInsideRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double width) {
    if (color.alpha() == 0) return;
    const double half = width / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRect(rect.adjusted(half, half, -half, -half), std::max(0.0, radius - half)));
    painter.restore();
}

void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& color) {
    fillRoundedRect(painter, rect, std::min(rect.width(), rect.height()) / 2, color);
}

void fillCircle(QPainter& painter, const QRectF& rect, const QColor& color) {
    if (color.alpha() == 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(rect);
    painter.restore();
}

void strokeInsideCircle(QPainter& painter, const QRectF& rect, const QColor& color, double width) {
    if (color.alpha() == 0) return;
    const double half = width / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(rect.adjusted(half, half, -half, -half));
    painter.restore();
}

void strokeFocusRing(QPainter& painter, const QRectF& rect, double radius) {
    strokeInsideRoundedRect(painter, rect, radius, Color::quilloAccent(), 2);
}

}  // namespace quillo::QuilloPainting
