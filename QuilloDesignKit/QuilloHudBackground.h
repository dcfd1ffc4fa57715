#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace quillo {

// The window background: the HUD material blended behind the window, and `color` at `opacity` over it.
void paintHudBackground(QPainter& painter, const QRectF& rect, const QColor& color, double opacity,
                        const QWidget* widget);

// A widget that paints the HUD background under its children, over its whole area.
class QuilloHudBackground : public QWidget {
    Q_OBJECT
public:
    QuilloHudBackground(const QColor& color, double opacity, QWidget* parent = nullptr);

    void setColor(const QColor& color);
    void setOpacity(double opacity);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
    double opacity_;
};

}  // namespace quillo
