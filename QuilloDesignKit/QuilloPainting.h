#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

// The few shapes every component is painted from. Colours are passed in (from the tokens); every
// helper leaves the painter's state as it found it.
namespace quillo::QuilloPainting {

QPainterPath roundedRect(const QRectF& rect, double radius);

void fillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color);
// A `width`-point line lying wholly inside the rounded rectangle's edge.
void strokeInsideRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color,
                             double width = 1);
// A rectangle whose ends are half circles.
void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& color);
void fillCircle(QPainter& painter, const QRectF& rect, const QColor& color);
void strokeInsideCircle(QPainter& painter, const QRectF& rect, const QColor& color, double width = 1);
// The ring of a control that has the keyboard focus: a 2-point line in the accent colour inside
// the control's rounded outline.
void strokeFocusRing(QPainter& painter, const QRectF& rect, double radius);

}  // namespace quillo::QuilloPainting
