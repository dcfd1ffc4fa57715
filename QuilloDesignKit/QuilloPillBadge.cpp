#include "QuilloDesignKit/QuilloPillBadge.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double kHorizontalPadding = 6;
constexpr double kVerticalPadding = 2;
}  // namespace

QuilloPillBadge::QuilloPillBadge(const QString& text, const QColor& tint, QuilloPillBadgeStyle style, QWidget* parent)
    : QWidget(parent), text_(text), tint_(tint), style_(style) {
    QFont font = systemFont(12, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.3);
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

QColor QuilloPillBadge::fillColor() const {
    return style_ == QuilloPillBadgeStyle::solid ? tint_ : Color::withOpacity(tint_, 0.18);
}

QColor QuilloPillBadge::textColor() const { return style_ == QuilloPillBadgeStyle::solid ? QColor(Qt::white) : tint_; }

QSize QuilloPillBadge::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {int(std::ceil(metrics.horizontalAdvance(shownText()) + 2 * kHorizontalPadding)),
            int(std::ceil(metrics.height() + 2 * kVerticalPadding))};
}

void QuilloPillBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QuilloPainting::fillCapsule(painter, rect(), fillColor());
    painter.setPen(textColor());
    painter.drawText(rect(), Qt::AlignCenter, shownText());
}

}  // namespace quillo
