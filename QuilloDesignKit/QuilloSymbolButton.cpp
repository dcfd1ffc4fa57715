#include "QuilloDesignKit/QuilloSymbolButton.h"

#include "QuilloDesignKit/QuilloAccessibility.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"
#include "QuilloDesignKit/QuilloTooltip.h"

#include <QPainter>

#include <cmath>

namespace quillo {

QuilloSymbolButton::QuilloSymbolButton(const QString& symbol, double pointSize, QFont::Weight weight,
                                       const QColor& color, const QString& tooltip, QuilloEdge tooltipEdge,
                                       QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), pointSize_(pointSize), weight_(weight), color_(color) {
    QuilloAccessibility::install();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    tooltip_ = quilloTooltip(this, tooltip, std::nullopt, tooltipEdge);
}

void QuilloSymbolButton::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    update();
}

void QuilloSymbolButton::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

QSize QuilloSymbolButton::sizeHint() const {
    const int side = int(std::ceil(pointSize_)) + 6;  // a little room to hit, and for the focus ring
    return {side, side};
}

void QuilloSymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (isDown())
        painter.setOpacity(0.6);
    else if (!isEnabled())
        painter.setOpacity(0.4);
    const QPointF centre = QRectF(rect()).center();
    QuilloSymbol::paint(painter,
                        QRectF(centre - QPointF(pointSize_ / 2, pointSize_ / 2), QSizeF(pointSize_, pointSize_)),
                        symbol_, color_, weight_);
    if (hasFocus()) {
        painter.setOpacity(1);
        QuilloPainting::strokeFocusRing(painter, rect(), 4);
    }
}

}  // namespace quillo
