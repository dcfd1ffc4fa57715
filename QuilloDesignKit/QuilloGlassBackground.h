#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace quillo {

// Frosted glass behind content: the ultra-thin material, black at `opacity` over it, and a
// 1-point white hairline at 0.08 inside the rounded edge.
struct QuilloGlassBackground {
    double cornerRadius = 14;
    double opacity = 0.3;
    // `widget` is the one painted on; it tells the material which window it lies in.
    void paint(QPainter& painter, const QRectF& rect, const QWidget* widget) const;
};

// The same with a stronger hairline (0.1), for small elements.
struct QuilloGlassBackgroundCompact {
    double cornerRadius = 8;
    double opacity = 0.3;
    void paint(QPainter& painter, const QRectF& rect, const QWidget* widget) const;
};

// Material and black tint over the whole rectangle, square, without hairline.
struct QuilloGlassBackgroundEdgeToEdge {
    double opacity = 0.3;
    void paint(QPainter& painter, const QRectF& rect, const QWidget* widget) const;
};

}  // namespace quillo
