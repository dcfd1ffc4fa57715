#include "QuilloDesignKit/QuilloTooltipPill.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double kHorizontalPadding = 8;
constexpr double kVerticalPadding = 4;
constexpr double kLineSpacing = 2;
constexpr double kCornerRadius = 6;
constexpr int kTextFlags = Qt::AlignHCenter | Qt::TextWordWrap;

QFont textFont() { return quilloFont(12, QuilloFontWeight::medium); }
QFont shortcutFont() { return quilloFont(12, QuilloFontWeight::regular); }
}  // namespace

QuilloTooltipPill::QuilloTooltipPill(const QString& text, const std::optional<QString>& shortcut, QWidget* parent)
    : QWidget(parent), text_(text), shortcut_(shortcut) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void QuilloTooltipPill::setText(const QString& text) {
    text_ = text;
    updateGeometry();
    update();
}

QRectF QuilloTooltipPill::textRect(double width) const {
    return QFontMetricsF(textFont()).boundingRect(QRectF(0, 0, width, 10000), kTextFlags, text_);
}

QSize QuilloTooltipPill::sizeHint() const {
    const double widest = kMaximumWidth - 2 * kHorizontalPadding;
    const QRectF textBounds = textRect(widest);
    double contentWidth = textBounds.width();
    double contentHeight = textBounds.height();
    if (shortcut_) {
        const QFontMetricsF metrics(shortcutFont());
        contentWidth = std::max(contentWidth, std::min(widest, metrics.horizontalAdvance(*shortcut_)));
        contentHeight += kLineSpacing + metrics.height();
    }
    return {int(std::ceil(std::min(contentWidth, widest) + 2 * kHorizontalPadding)),
            int(std::ceil(contentHeight + 2 * kVerticalPadding))};
}

void QuilloTooltipPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF bounds = rect();
    QuilloPainting::fillRoundedRect(painter, bounds, kCornerRadius, QColor::fromRgbF(0.17f, 0.17f, 0.18f));
    QuilloPainting::strokeInsideRoundedRect(painter, bounds, kCornerRadius, Color::withOpacity(Qt::white, 0.08));

    const double width = bounds.width() - 2 * kHorizontalPadding;
    const QRectF textBounds = textRect(width);
    painter.setFont(textFont());
    painter.setPen(Color::withOpacity(Qt::white, 0.9));
    painter.drawText(QRectF(kHorizontalPadding, kVerticalPadding, width, textBounds.height()), kTextFlags, text_);
    if (shortcut_) {
        painter.setFont(shortcutFont());
        painter.setPen(Color::quilloTextTertiary());
        const double top = kVerticalPadding + textBounds.height() + kLineSpacing;
        painter.drawText(QRectF(kHorizontalPadding, top, width, bounds.height() - top), Qt::AlignHCenter | Qt::AlignTop,
                         *shortcut_);
    }
}

}  // namespace quillo
