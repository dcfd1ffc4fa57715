#include "QuilloDesignKit/QuilloChipStyle.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloPainting.h"

namespace quillo {

namespace {
const QColor clear(Qt::transparent);
}  // namespace

QColor QuilloChipChrome::fillColor() const {
    switch (style.kind()) {
    case QuilloChipStyle::Kind::standard: return isSelected ? Color::withOpacity(tint, 0.2) : Color::quilloChipFill();
    case QuilloChipStyle::Kind::plain:
    case QuilloChipStyle::Kind::tabBare: return clear;
    case QuilloChipStyle::Kind::colored:
        return isSelected ? Color::withOpacity(style.color(), 0.9) : Color::quilloChipFill();
    }
    return clear;
}

QColor QuilloChipChrome::strokeColor() const {
    switch (style.kind()) {
    case QuilloChipStyle::Kind::standard: return isSelected ? Color::withOpacity(tint, 0.5) : clear;
    case QuilloChipStyle::Kind::plain:
        return isSelected ? Color::withOpacity(tint, 0.5) : Color::quilloAccentStrokeFaint();
    case QuilloChipStyle::Kind::tabBare: return clear;
    case QuilloChipStyle::Kind::colored: return isSelected ? clear : Color::withOpacity(style.color(), 0.3);
    }
    return clear;
}

QMarginsF QuilloChipChrome::padding() const {
    return size == QuilloChipSize::comfortable ? QMarginsF(10, 6, 10, 6) : QMarginsF(8, 4, 8, 4);
}

void QuilloChipChrome::paint(QPainter& painter, const QRectF& rect) const {
    QuilloPainting::fillRoundedRect(painter, rect, kCornerRadius, fillColor());
    QuilloPainting::strokeInsideRoundedRect(painter, rect, kCornerRadius, strokeColor());
}

QColor chipForeground(bool isSelected, const QColor& tint, const QuilloChipStyle& style, bool isDisabled) {
    if (isDisabled) return Color::quilloTextTertiary();
    switch (style.kind()) {
    case QuilloChipStyle::Kind::standard:
    case QuilloChipStyle::Kind::plain: return isSelected ? tint : Color::quilloTextSecondary();
    case QuilloChipStyle::Kind::tabBare: return isSelected ? QColor(Qt::white) : Color::quilloTextSecondary();
    case QuilloChipStyle::Kind::colored: return isSelected ? QColor(Qt::white) : style.color();
    }
    return Color::quilloTextSecondary();
}

}  // namespace quillo
