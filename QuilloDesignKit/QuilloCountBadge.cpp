#include "QuilloDesignKit/QuilloCountBadge.h"

#include "QuilloDesignKit/QuilloFont.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillo {

QuilloCountBadge::QuilloCountBadge(std::int64_t count, const QColor& tint, QWidget* parent)
    : QWidget(parent), count_(count), tint_(tint) {
    setFont(systemFont(12, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text());
}

void QuilloCountBadge::setCount(std::int64_t count) {
    if (count == count_) return;
    count_ = count;
    setAccessibleName(text());
    updateGeometry();
    update();
}

void QuilloCountBadge::setTint(const QColor& tint) {
    if (tint == tint_) return;
    tint_ = tint;
    update();
}

QString QuilloCountBadge::text() const { return QString::number(count_); }

double QuilloCountBadge::digitWidth() const {
    const QFontMetricsF metrics(font());
    double widest = 0;
    for (QChar digit = u'0'; digit <= u'9'; digit = QChar(digit.unicode() + 1))
        widest = std::max(widest, metrics.horizontalAdvance(digit));
    return widest;
}

QSize QuilloCountBadge::sizeHint() const {
    const QFontMetricsF metrics(font());
    double width = 0;
    for (const QChar c : text()) width += c.isDigit() ? digitWidth() : metrics.horizontalAdvance(c);
    return {int(std::ceil(width)), int(std::ceil(metrics.height()))};
}

void QuilloCountBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(tint_);
    const QFontMetricsF metrics(font());
    // Each character in its own cell, digits in cells of equal width, right-aligned as a whole.
    double width = 0;
    for (const QChar c : text()) width += c.isDigit() ? digitWidth() : metrics.horizontalAdvance(c);
    double x = this->width() - width;
    for (const QChar c : text()) {
        const double cell = c.isDigit() ? digitWidth() : metrics.horizontalAdvance(c);
        painter.drawText(QRectF(x, 0, cell, height()), Qt::AlignCenter, QString(c));
        x += cell;
    }
}

}  // namespace quillo
