#include "QuilloDesignKit/QuilloButton.h"

#include "QuilloDesignKit/QuilloAccessibility.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double kSymbolSize = 14;
constexpr double kSymbolGap = 6;
}  // namespace

QuilloButton::QuilloButton(const QString& text, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol) {
    QuilloAccessibility::install();
    // Reached with Tab; a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setText(text);
    setFont(quilloControl().font);
    setCursor(Qt::ArrowCursor);
    // Narrower than its text where the room ends (a sidebar), with the text truncated.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void QuilloButton::setActive(bool active) {
    if (active == style_.isActive) return;
    style_.isActive = active;
    update();
    Q_EMIT activeChanged(active);
}

QSize QuilloButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    double width = metrics.horizontalAdvance(text());
    if (!symbol_.isEmpty()) width += kSymbolSize + kSymbolGap;
    const QMarginsF pad = QuilloButtonStyle::kPadding;
    const double height = std::max(metrics.height(), kSymbolSize);
    return {int(std::ceil(width + pad.left() + pad.right())), int(std::ceil(height + pad.top() + pad.bottom()))};
}

QSize QuilloButton::minimumSizeHint() const {
    const QFontMetricsF metrics(font());
    double width = metrics.horizontalAdvance(QStringLiteral("…"));
    if (!symbol_.isEmpty()) width += kSymbolSize + kSymbolGap;
    const QMarginsF pad = QuilloButtonStyle::kPadding;
    return {int(std::ceil(width + pad.left() + pad.right())), sizeHint().height()};
}

void QuilloButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QuilloButtonChrome chrome = style_.chrome(isDown());
    painter.setOpacity(isEnabled() ? chrome.opacity : chrome.opacity * 0.5);
    const QRectF bounds = rect();
    QuilloPainting::fillRoundedRect(painter, bounds, QuilloButtonStyle::kCornerRadius, chrome.fill);
    QuilloPainting::strokeInsideRoundedRect(painter, bounds, QuilloButtonStyle::kCornerRadius, chrome.hairline);

    const QFontMetricsF metrics(font());
    const QMarginsF pad = QuilloButtonStyle::kPadding;
    const double room = bounds.width() - pad.left() - pad.right() - (symbol_.isEmpty() ? 0 : kSymbolSize + kSymbolGap);
    const QString shown = metrics.elidedText(text(), Qt::ElideRight, room);
    const double textWidth = metrics.horizontalAdvance(shown);
    const double contentWidth = textWidth + (symbol_.isEmpty() ? 0 : kSymbolSize + kSymbolGap);
    double x = bounds.center().x() - contentWidth / 2;
    if (!symbol_.isEmpty()) {
        QuilloSymbol::paint(painter, QRectF(x, bounds.center().y() - kSymbolSize / 2, kSymbolSize, kSymbolSize),
                            symbol_, Qt::white, QFont::Medium);
        x += kSymbolSize + kSymbolGap;
    }
    painter.setPen(Qt::white);
    painter.drawText(QRectF(x, bounds.top(), textWidth + 1, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft, shown);
    if (hasFocus()) QuilloPainting::strokeFocusRing(painter, bounds, QuilloButtonStyle::kCornerRadius);
}

QuilloIconButton::QuilloIconButton(const QString& symbol, double size, QWidget* parent)
    : QAbstractButton(parent), style_{size}, symbol_(symbol) {
    QuilloAccessibility::install();
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize QuilloIconButton::sizeHint() const {
    const int side = int(std::ceil(style_.size));
    return {side, side};
}

void QuilloIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QuilloButtonChrome chrome = style_.chrome(isDown());
    painter.setOpacity(isEnabled() ? chrome.opacity : chrome.opacity * 0.5);
    const double side = style_.size;
    const QRectF circle(QRectF(rect()).center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    QuilloPainting::fillCircle(painter, circle, chrome.fill);
    QuilloPainting::strokeInsideCircle(painter, circle, chrome.hairline);
    const double glyph = std::round(side * 0.45);
    QuilloSymbol::paint(painter, QRectF(circle.center() - QPointF(glyph / 2, glyph / 2), QSizeF(glyph, glyph)), symbol_,
                        Color::quilloTextSecondary(), QFont::Medium);
    if (hasFocus()) QuilloPainting::strokeFocusRing(painter, circle, side / 2);
}

}  // namespace quillo
