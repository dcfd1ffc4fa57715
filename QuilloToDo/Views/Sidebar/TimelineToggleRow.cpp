#include "QuilloToDo/Views/Sidebar/TimelineToggleRow.h"

#include "QuilloDesignKit/QuilloAccessibility.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloCountBadge.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double kLeadingPadding = 16;
constexpr double kVerticalPadding = 1;
constexpr double kSpacing = 6;
constexpr double kCheckSide = 12;
constexpr int kFocusRingRoom = 3;

QColor countTint(std::int64_t count) { return count < 1 ? Color::quilloTextTertiary() : Color::quilloTextSecondary(); }
}  // namespace

TimelineToggleRow::TimelineToggleRow(const QString& name, bool isIncluded, std::int64_t count, QWidget* parent)
    : QAbstractButton(parent), isIncluded_(isIncluded), badge_(new QuilloCountBadge(count, countTint(count), this)) {
    QuilloAccessibility::install();
    setCheckable(true);
    setChecked(isIncluded);
    setText(name);
    setAccessibleName(name);
    setFont(quilloFont(12, QuilloFontWeight::regular));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    badge_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize TimelineToggleRow::sizeHint() const {
    const QFontMetricsF metrics(font());
    const double height = std::max({metrics.height(), kCheckSide, double(badge_->sizeHint().height())});
    const double width = kLeadingPadding + kCheckSide + kSpacing + metrics.horizontalAdvance(text()) + kSpacing +
                         badge_->sizeHint().width() + kFocusRingRoom;
    return {int(std::ceil(width)), int(std::ceil(height + 2 * kVerticalPadding))};
}

QSize TimelineToggleRow::minimumSizeHint() const {
    return {int(kLeadingPadding + kCheckSide + kSpacing + badge_->sizeHint().width()), sizeHint().height()};
}

void TimelineToggleRow::setCount(std::int64_t count) {
    if (count == badge_->count()) return;
    badge_->setCount(count);
    badge_->setTint(countTint(count));
    updateGeometry();
    placeBadge();
    update();
}

void TimelineToggleRow::resizeEvent(QResizeEvent*) { placeBadge(); }

void TimelineToggleRow::placeBadge() {
    const QSize badge = badge_->sizeHint();
    // Clear of the focus ring along the row's edge.
    badge_->setGeometry(width() - badge.width() - kFocusRingRoom, (height() - badge.height()) / 2, badge.width(),
                        badge.height());
}

void TimelineToggleRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) painter.setOpacity(0.7);
    const QRectF check(kLeadingPadding, (height() - kCheckSide) / 2, kCheckSide, kCheckSide);
    QuilloSymbol::paint(painter, check,
                        isIncluded_ ? QStringLiteral("checkmark.square.fill") : QStringLiteral("square"),
                        isIncluded_ ? Color::quilloAccent() : Color::quilloTextTertiary());

    const double nameLeft = check.right() + kSpacing;
    const double nameWidth = std::max(0.0, badge_->x() - kSpacing - nameLeft);
    painter.setFont(font());
    painter.setPen(isIncluded_ ? QColor(Qt::white) : Color::quilloTextSecondary());
    painter.drawText(QRectF(nameLeft, 0, nameWidth, height()), Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetricsF(font()).elidedText(text(), Qt::ElideMiddle, nameWidth));
    if (hasFocus()) {
        painter.setOpacity(1);
        QuilloPainting::strokeFocusRing(painter, rect(), 4);
    }
}

}  // namespace quillo
