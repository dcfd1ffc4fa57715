#pragma once

#include <QRectF>
#include <QSizeF>

class QWidget;

namespace quillo {

// Where a tooltip goes: `top` puts it above its control, every other edge below.
enum class QuilloEdge { top, bottom, leading, trailing };

namespace QuilloTooltipPositioning {

// The nearest a pill comes to its control, in points, however tall it is.
inline constexpr double kMinimumGap = 4;
// A pill's top is 30 points from the control's top (above) or its bottom 30 points from the
// control's bottom (below), so short pills keep a gap of 30 less their height.
inline constexpr double kOffset = 30;
// The pill keeps this far from the container's sides where it can.
inline constexpr double kEdgeInset = 8;

// The sideways shift that keeps a pill centred on `anchorFrame` inside `container` with 8 points
// to spare: the left side wins when the pill is too wide for both. Zero while the pill or the
// container has no width yet.
double horizontalCorrection(const QRectF& anchorFrame, const QSizeF& pillSize, const QRectF& container);

// The pill's top edge for a control at `anchorFrame`: the gap between them is 30 points less the
// pill's height, but never under kMinimumGap, so a pill that wraps never covers its control.
double pillTop(const QRectF& anchorFrame, double pillHeight, QuilloEdge edge);

// The rectangle the pill must stay in, in the coordinates of `control`'s window: that window's
// bounds; without a window, the visible area of its screen (or the primary one); without a screen,
// a practically unbounded rectangle, so that no correction applies.
QRectF currentContainerBounds(const QWidget* control);

}  // namespace QuilloTooltipPositioning
}  // namespace quillo
