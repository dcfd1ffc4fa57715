#include "QuilloDesignKit/QuilloStatusDot.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloPainting.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>

#include <cmath>

namespace quillo {

QuilloStatusDot::QuilloStatusDot(const QColor& color, double size, bool glow, QWidget* parent)
    : QWidget(parent), color_(color), size_(size), glow_(glow) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateGlow();
}

void QuilloStatusDot::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    updateGlow();
    update();
}

void QuilloStatusDot::setGlow(bool glow) {
    if (glow == glow_) return;
    glow_ = glow;
    updateGlow();
}

void QuilloStatusDot::updateGlow() {
    if (!glow_) {
        setGraphicsEffect(nullptr);
        return;
    }
    auto* halo = qobject_cast<QGraphicsDropShadowEffect*>(graphicsEffect());
    if (!halo) {
        halo = new QGraphicsDropShadowEffect(this);
        halo->setOffset(0, 0);
        halo->setBlurRadius(6);  // close to a shadow radius of 4 as the platform draws it
        setGraphicsEffect(halo);
    }
    halo->setColor(Color::withOpacity(color_, 0.5));
}

QSize QuilloStatusDot::sizeHint() const {
    const int side = int(std::ceil(size_));
    return {side, side};
}

void QuilloStatusDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF dot(QRectF(rect()).center() - QPointF(size_ / 2, size_ / 2), QSizeF(size_, size_));
    QuilloPainting::fillCircle(painter, dot, color_);
}

}  // namespace quillo
