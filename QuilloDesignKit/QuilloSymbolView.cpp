#include "QuilloDesignKit/QuilloSymbolView.h"

#include "QuilloDesignKit/QuilloSymbol.h"

#include <QPainter>

#include <cmath>

namespace quillo {

QuilloSymbolView::QuilloSymbolView(QString symbol, double pointSize, QColor color, QFont::Weight weight,
                                   QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), pointSize_(pointSize), color_(std::move(color)), weight_(weight) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void QuilloSymbolView::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    update();
}

void QuilloSymbolView::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void QuilloSymbolView::setRotation(double degrees) {
    if (degrees == rotation_) return;
    rotation_ = degrees;
    update();
}

QSize QuilloSymbolView::sizeHint() const {
    const int side = int(std::ceil(pointSize_));
    return {side, side};
}

void QuilloSymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.rotate(rotation_);
    QuilloSymbol::paint(painter, QRectF(-pointSize_ / 2, -pointSize_ / 2, pointSize_, pointSize_), symbol_, color_,
                        weight_);
}

}  // namespace quillo
