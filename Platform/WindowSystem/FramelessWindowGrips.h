#pragma once

#include <QObject>
#include <QPointF>
#include <QSizeF>

class QWidget;

namespace platform {

// The edges of a window of `size` whose resize grip holds `point`: within `margin` of an edge
// (corners give two edges). Empty inside the window and outside it.
Qt::Edges resizeEdgesAt(QPointF point, QSizeF size, double margin);

// Lets the window system move a frameless window dragged by its top strip and resize it at its
// edges. Presses reach the window when no child takes them; the grips only read them.
class FramelessWindowGrips : public QObject {
    Q_OBJECT
public:
    // Installs itself on `window`, which owns it. `dragStripHeight` is the height of the top
    // strip that moves the window, in points.
    FramelessWindowGrips(QWidget* window, double dragStripHeight);

    static constexpr double kEdgeMargin = 6;
    // Where the title bar was: the strip that moves a window made frameless.
    static constexpr double kTitleStripHeight = 28;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    double dragStripHeight_;
};

}  // namespace platform
