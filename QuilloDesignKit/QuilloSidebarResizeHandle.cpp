#include "QuilloDesignKit/QuilloSidebarResizeHandle.h"

#include "Platform/WindowSystem/CursorStack.h"

#include <QMouseEvent>

#include <cmath>

namespace quillo {

QuilloSidebarResizeHandle::QuilloSidebarResizeHandle(std::function<double()> currentWidth,
                                                     std::function<void(double)> resize, double minimum, double maximum,
                                                     QWidget* parent)
    : QWidget(parent),
      currentWidth_(std::move(currentWidth)),
      resizeTo_(std::move(resize)),
      minimum_(minimum),
      maximum_(maximum) {
    setAttribute(Qt::WA_Hover);
    setAccessibleName(QStringLiteral("Resize sidebar"));
}

QuilloSidebarResizeHandle::~QuilloSidebarResizeHandle() { popCursor(); }

void QuilloSidebarResizeHandle::setBounds(double minimum, double maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

void QuilloSidebarResizeHandle::pushCursor() {
    if (pushedCursor_) return;
    platform::CursorStack::push(Qt::SizeHorCursor);
    pushedCursor_ = true;
}

void QuilloSidebarResizeHandle::popCursor() {
    if (!pushedCursor_) return;
    platform::CursorStack::pop();
    pushedCursor_ = false;
}

void QuilloSidebarResizeHandle::enterEvent(QEnterEvent*) { pushCursor(); }

void QuilloSidebarResizeHandle::leaveEvent(QEvent*) {
    if (!dragging_) popCursor();  // a drag keeps the cursor until it ends
}

void QuilloSidebarResizeHandle::hideEvent(QHideEvent*) {
    // Collapsing the sidebar (or hiding the shell) under the pointer sends no leave: pop here.
    popCursor();
    if (dragging_) resize_.end();
    pressed_ = dragging_ = false;
}

void QuilloSidebarResizeHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    pressed_ = true;
    dragging_ = false;
    pressPosition_ = event->globalPosition();
}

void QuilloSidebarResizeHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) return;
    const QPointF moved = event->globalPosition() - pressPosition_;
    if (!dragging_ && std::hypot(moved.x(), moved.y()) < 1) return;
    dragging_ = true;
    resizeTo_(resize_.change(moved.x(), currentWidth_(), minimum_, maximum_));
}

void QuilloSidebarResizeHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragging_) resize_.end();
    dragging_ = false;
    if (!rect().contains(event->position().toPoint())) popCursor();
}

}  // namespace quillo
