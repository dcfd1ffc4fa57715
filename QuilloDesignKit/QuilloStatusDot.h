#pragma once

#include <QColor>
#include <QWidget>

namespace quillo {

// A filled circle of `size` points; with `glow`, a halo of its colour at 0.5 (radius 4) drawn
// outside its frame, which leaves its layout size alone.
class QuilloStatusDot : public QWidget {
    Q_OBJECT
public:
    QuilloStatusDot(const QColor& color, double size, bool glow, QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    bool glow() const { return glow_; }
    void setGlow(bool glow);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateGlow();

    QColor color_;
    double size_;
    bool glow_;
};

}  // namespace quillo
