#include "QuilloDesignKit/QuilloTooltipPill.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double horizontalPadding = 8;
constexpr double verticalPadding = 4;
constexpr double lineSpacing = 2;
constexpr double cornerRadius = 6;
constexpr int textFlags = Qt::AlignHCenter | Qt::TextWordWrap;

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
    return QFontMetricsF(textFont()).boundingRect(QRectF(0, 0, width, 10000), textFlags, text_);
}

QSize QuilloTooltipPill::sizeHint() const {
    const double widest = maximumWidth - 2 * horizontalPadding;
    const QRectF textBounds = textRect(widest);
    double contentWidth = textBounds.width();
    double contentHeight = textBounds.height();
    if (shortcut_) {
        const QFontMetricsF metrics(shortcutFont());
        contentWidth = std::max(contentWidth, std::min(widest, metrics.horizontalAdvance(*shortcut_)));
        contentHeight += lineSpacing + metrics.height();
    }
    return {int(std::ceil(std::min(contentWidth, widest) + 2 * horizontalPadding)),
            int(std::ceil(contentHeight + 2 * verticalPadding))};
}

void QuilloTooltipPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF bounds = rect();
    QuilloPainting::fillRoundedRect(painter, bounds, cornerRadius, QColor::fromRgbF(0.17f, 0.17f, 0.18f));
    QuilloPainting::strokeInsideRoundedRect(painter, bounds, cornerRadius, Color::withOpacity(Qt::white, 0.08));

    const double width = bounds.width() - 2 * horizontalPadding;
    const QRectF textBounds = textRect(width);
    painter.setFont(textFont());
    painter.setPen(Color::withOpacity(Qt::white, 0.9));
    painter.drawText(QRectF(horizontalPadding, verticalPadding, width, textBounds.height()), textFlags, text_);
    if (shortcut_) {
        painter.setFont(shortcutFont());
        painter.setPen(Color::quilloTextTertiary());
        const double top = verticalPadding + textBounds.height() + lineSpacing;
        painter.drawText(QRectF(horizontalPadding, top, width, bounds.height() - top), Qt::AlignHCenter | Qt::AlignTop,
                         *shortcut_);
    }
}

}  // namespace quillo
