#include "QuilloToDo/Views/SymbolButton.h"

#include "QuilloDesignKit/QuilloSymbol.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"

#include <QPainter>

#include <cmath>

namespace quillo {

SymbolButton::SymbolButton(const QString& symbol, double pointSize, const QColor& color, QFont::Weight weight,
                           QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), pointSize_(pointSize), color_(color), weight_(weight) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

void SymbolButton::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    update();
}

void SymbolButton::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

QString SymbolButton::help() const { return tooltip_ ? tooltip_->text() : QString(); }

void SymbolButton::setHelp(const QString& text) {
    if (tooltip_) {
        tooltip_->setText(text);
    } else {
        tooltip_ = quilloTooltip(this, text);
    }
}

QSize SymbolButton::sizeHint() const {
    const int side = int(std::ceil(pointSize_)) + 4;
    return {side, side};
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) painter.setOpacity(0.7);
    const QPointF centre = QRectF(rect()).center();
    QuilloSymbol::paint(painter, QRectF(centre.x() - pointSize_ / 2, centre.y() - pointSize_ / 2, pointSize_, pointSize_),
                        symbol_, color_, weight_);
}

}  // namespace quillo
