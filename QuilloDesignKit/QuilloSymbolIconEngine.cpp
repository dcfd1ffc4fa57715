#include "QuilloDesignKit/QuilloSymbolIconEngine.h"

#include "QuilloDesignKit/QuilloSymbol.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace quillo {

QuilloSymbolIconEngine::QuilloSymbolIconEngine(QString name, QColor color, QFont::Weight weight)
    : name_(std::move(name)), color_(std::move(color)), weight_(weight) {}

void QuilloSymbolIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) {
    const double side = std::min(rect.width(), rect.height());
    const QRectF box(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side, side);
    QColor color = color_;
    if (mode == QIcon::Disabled) color.setAlphaF(color.alphaF() * 0.5f);
    QuilloSymbol::paint(*painter, box, name_, color, weight_);
}

QPixmap QuilloSymbolIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap QuilloSymbolIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) {
    // `size` is in device pixels already; `scale` only labels the result.
    QPixmap result(size);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        paint(&painter, QRect(QPoint(), result.size()), mode, state);
    }
    result.setDevicePixelRatio(scale);
    return result;
}

QIconEngine* QuilloSymbolIconEngine::clone() const { return new QuilloSymbolIconEngine(name_, color_, weight_); }

QString QuilloSymbolIconEngine::key() const { return QStringLiteral("QuilloSymbol"); }

}  // namespace quillo
