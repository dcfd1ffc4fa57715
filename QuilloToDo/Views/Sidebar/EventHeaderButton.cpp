#include "QuilloToDo/Views/Sidebar/EventHeaderButton.h"

#include "QuilloDesignKit/QuilloAccessibility.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"

#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double kChevronSide = 10;
constexpr double kSpacing = 6;
constexpr double kFocusRingRadius = 4;
}  // namespace

EventHeaderButton::EventHeaderButton(const QString& title, bool isExpanded, QWidget* parent)
    : QAbstractButton(parent), isExpanded_(isExpanded) {
    QuilloAccessibility::install();
    QuilloAccessibility::setExpanded(this, isExpanded);
    setText(title);
    setAccessibleName(title);
    setFont(quilloFont(12, QuilloFontWeight::demiBold));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize EventHeaderButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {int(std::ceil(kChevronSide + kSpacing + metrics.horizontalAdvance(text()))),
            int(std::ceil(std::max(metrics.height(), kChevronSide)))};
}

QSize EventHeaderButton::minimumSizeHint() const { return {int(kChevronSide + kSpacing), sizeHint().height()}; }

// Space is the button's own key; Return folds a disclosure too.
void EventHeaderButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void EventHeaderButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) painter.setOpacity(0.7);
    painter.save();
    painter.translate(kChevronSide / 2, height() / 2.0);
    if (isExpanded_) painter.rotate(90);
    QuilloSymbol::paint(painter, QRectF(-kChevronSide / 2, -kChevronSide / 2, kChevronSide, kChevronSide),
                        QStringLiteral("chevron.right"), Color::quilloTextTertiary(), QFont::DemiBold);
    painter.restore();
    const double left = kChevronSide + kSpacing;
    const double available = std::max(0.0, width() - left);
    painter.setFont(font());
    painter.setPen(Color::quilloTextSecondary());
    const QString shown = QFontMetricsF(font()).elidedText(text(), Qt::ElideMiddle, available);
    painter.drawText(QRectF(left, 0, available, height()), Qt::AlignVCenter | Qt::AlignLeft, shown);
    if (hasFocus()) {
        painter.setOpacity(1);
        QuilloPainting::strokeFocusRing(painter, rect(), kFocusRingRadius);
    }
}

}  // namespace quillo
