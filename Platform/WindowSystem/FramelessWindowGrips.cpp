#include "Platform/WindowSystem/FramelessWindowGrips.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace platform {

Qt::Edges resizeEdgesAt(QPointF point, QSizeF size, double margin) {
    Qt::Edges edges;
    if (point.x() < 0 || point.y() < 0 || point.x() > size.width() || point.y() > size.height()) return edges;
    if (point.x() < margin) edges |= Qt::LeftEdge;
    if (point.x() > size.width() - margin) edges |= Qt::RightEdge;
    if (point.y() < margin) edges |= Qt::TopEdge;
    if (point.y() > size.height() - margin) edges |= Qt::BottomEdge;
    return edges;
}

namespace {

Qt::CursorShape cursorFor(Qt::Edges edges) {
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = (edges & Qt::LeftEdge) == bool(edges & Qt::TopEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal) return Qt::SizeHorCursor;
    if (vertical) return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

}  // namespace

FramelessWindowGrips::FramelessWindowGrips(QWidget* window, double dragStripHeight)
    : QObject(window), window_(window), dragStripHeight_(dragStripHeight) {
    window_->setMouseTracking(true);
    window_->installEventFilter(this);
}

bool FramelessWindowGrips::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (move->buttons() != Qt::NoButton || window_->isMaximized()) break;
        const Qt::Edges edges = resizeEdgesAt(move->position(), window_->size(), kEdgeMargin);
        if (edges)
            window_->setCursor(cursorFor(edges));
        else
            window_->unsetCursor();
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<QMouseEvent*>(event);
        QWindow* handle = window_->windowHandle();
        if (press->button() != Qt::LeftButton || !handle) break;
        const Qt::Edges edges =
            window_->isMaximized() ? Qt::Edges() : resizeEdgesAt(press->position(), window_->size(), kEdgeMargin);
        if (edges) return handle->startSystemResize(edges);
        if (press->position().y() < dragStripHeight_) return handle->startSystemMove();
        break;
    }
    default: break;
    }
    return false;
}

}  // namespace platform
