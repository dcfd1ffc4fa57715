#pragma once

#include "QuilloDesignKit/QuilloSidebarResize.h"

#include <QPointF>
#include <QWidget>

#include <functional>

namespace quillo {

// The clear strip right of the sidebar card that resizes it. While the pointer is over it the
// resize cursor is pushed; it is popped as soon as the strip stops being hovered for any reason
// (the pointer leaves, the strip is hidden with the sidebar or the shell, or it is destroyed), and
// never popped twice. A drag starts after the pointer moved 1 point with the button down.
class QuilloSidebarResizeHandle : public QWidget {
    Q_OBJECT
public:
    // `currentWidth` reads the sidebar's width; `resize` sets a new one.
    QuilloSidebarResizeHandle(std::function<double()> currentWidth, std::function<void(double)> resize, double minimum,
                              double maximum, QWidget* parent);
    ~QuilloSidebarResizeHandle() override;

    static constexpr double kStripWidth = 9;

    bool hasPushedCursor() const { return pushedCursor_; }
    const QuilloSidebarResize& resizeState() const { return resize_; }
    void setBounds(double minimum, double maximum);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void pushCursor();
    void popCursor();

    std::function<double()> currentWidth_;
    std::function<void(double)> resizeTo_;
    double minimum_;
    double maximum_;
    QuilloSidebarResize resize_;
    bool pushedCursor_ = false;
    bool pressed_ = false;
    bool dragging_ = false;
    QPointF pressPosition_;
};

}  // namespace quillo
