#include "QuilloDesignKit/QuilloTooltipPositioning.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace quillo::QuilloTooltipPositioning {

double horizontalCorrection(const QRectF& anchorFrame, const QSizeF& pillSize, const QRectF& container) {
    const double width = pillSize.width();
    if (!(width > 0) || !(container.width() > 0)) return 0;
    const double mid = anchorFrame.center().x();
    const double left = mid - width / 2;
    const double right = mid + width / 2;
    if (left < container.left() + kEdgeInset) return container.left() + kEdgeInset - left;
    if (right > container.right() - kEdgeInset) return container.right() - kEdgeInset - right;
    return 0;
}

double pillTop(const QRectF& anchorFrame, double pillHeight, QuilloEdge edge) {
    const double gap = std::max(kOffset - pillHeight, kMinimumGap);
    if (edge == QuilloEdge::top) return anchorFrame.top() - gap - pillHeight;
    return anchorFrame.bottom() + gap;
}

QRectF currentContainerBounds(const QWidget* control) {
    if (control && control->parentWidget()) return QRectF(control->window()->rect());
    const QScreen* screen = control && control->screen() ? control->screen() : QGuiApplication::primaryScreen();
    if (screen) return QRectF(screen->availableGeometry());
    const double huge = std::numeric_limits<double>::max();
    return {-huge / 4, -huge / 4, huge / 2, huge / 2};
}

}  // namespace quillo::QuilloTooltipPositioning
