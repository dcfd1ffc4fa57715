#include "QuilloToDo/Views/TimelineToggleRow.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloCountBadge.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloSymbol.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double leadingPadding = 16;
constexpr double verticalPadding = 1;
constexpr double spacing = 6;
constexpr double checkSide = 12;
}  // namespace

TimelineToggleRow::TimelineToggleRow(const QString& name, bool isIncluded, std::int64_t count, QWidget* parent)
    : QAbstractButton(parent),
      isIncluded_(isIncluded),
      badge_(new QuilloCountBadge(count, count < 1 ? Color::quilloTextTertiary() : Color::quilloTextSecondary(), this)) {
    setText(name);
    setAccessibleName(name);
    setFont(quilloFont(12, QuilloFontWeight::regular));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    badge_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize TimelineToggleRow::sizeHint() const {
    const QFontMetricsF metrics(font());
    const double height = std::max({metrics.height(), checkSide, double(badge_->sizeHint().height())});
    const double width = leadingPadding + checkSide + spacing + metrics.horizontalAdvance(text()) + spacing +
                         badge_->sizeHint().width();
    return {int(std::ceil(width)), int(std::ceil(height + 2 * verticalPadding))};
}

QSize TimelineToggleRow::minimumSizeHint() const {
    return {int(leadingPadding + checkSide + spacing + badge_->sizeHint().width()), sizeHint().height()};
}

void TimelineToggleRow::resizeEvent(QResizeEvent*) {
    const QSize badge = badge_->sizeHint();
    badge_->setGeometry(width() - badge.width(), (height() - badge.height()) / 2, badge.width(), badge.height());
}

void TimelineToggleRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) painter.setOpacity(0.7);
    const QRectF check(leadingPadding, (height() - checkSide) / 2, checkSide, checkSide);
    QuilloSymbol::paint(painter, check, isIncluded_ ? QStringLiteral("checkmark.square.fill") : QStringLiteral("square"),
                        isIncluded_ ? Color::quilloAccent() : Color::quilloTextTertiary());

    const double nameLeft = check.right() + spacing;
    const double nameWidth = std::max(0.0, badge_->x() - spacing - nameLeft);
    painter.setFont(font());
    painter.setPen(isIncluded_ ? QColor(Qt::white) : Color::quilloTextSecondary());
    painter.drawText(QRectF(nameLeft, 0, nameWidth, height()), Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetricsF(font()).elidedText(text(), Qt::ElideMiddle, nameWidth));
}

}  // namespace quillo
