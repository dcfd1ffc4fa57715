#include "QuilloDesignKit/QuilloFloatingPanelColumn.h"

#include "QuilloDesignKit/QuilloAnimation.h"

#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace quillo {

QuilloFloatingPanelColumn::QuilloFloatingPanelColumn(double width, QuilloEdge edge, QWidget* parent)
    : QWidget(parent),
      edge_(edge),
      fullWidth_(int(std::lround(width))),
      sheet_(new QWidget(this)),
      stack_(new QVBoxLayout(sheet_)),
      reveal_(new QVariantAnimation(this)) {
    setFixedWidth(fullWidth_);
    const int leading = edge == QuilloEdge::leading ? 8 : 0;
    const int trailing = edge == QuilloEdge::trailing ? 8 : 0;
    stack_->setContentsMargins(leading, 8, trailing, 8);
    stack_->setSpacing(8);

    reveal_->setEasingCurve(QuilloAnimation::easeInOut());
    connect(reveal_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setFixedWidth(value.toInt()); });
    connect(reveal_, &QVariantAnimation::finished, this, [this] {
        setFixedWidth(fullWidth_);
        setVisible(revealed_);
    });
}

void QuilloFloatingPanelColumn::addPanel(QWidget* panel, int stretch) { stack_->addWidget(panel, stretch); }

void QuilloFloatingPanelColumn::setRevealed(bool revealed, bool animated) {
    if (revealed == revealed_) {
        if (reveal_->state() == QAbstractAnimation::Stopped) setVisible(revealed);
        return;
    }
    revealed_ = revealed;
    const int shownWidth = isVisible() ? width() : 0;
    reveal_->stop();
    const bool onScreen = window()->isVisible();
    const int duration = animated && onScreen ? QuilloAnimation::duration(QuilloAnimation::kLayoutDurationMs) : 0;
    if (duration == 0) {
        setFixedWidth(fullWidth_);
        setVisible(revealed);
        return;
    }
    setFixedWidth(shownWidth);
    setVisible(true);
    reveal_->setDuration(duration);
    reveal_->setStartValue(shownWidth);
    reveal_->setEndValue(revealed ? fullWidth_ : 0);
    reveal_->start();
}

QSize QuilloFloatingPanelColumn::minimumSizeHint() const {
    return {minimumWidth(), sheet_->minimumSizeHint().height()};
}

void QuilloFloatingPanelColumn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeSheet();
}

void QuilloFloatingPanelColumn::placeSheet() {
    // A trailing column shows the panels' leading part first: they move in from the trailing edge.
    const int x = edge_ == QuilloEdge::trailing ? 0 : width() - fullWidth_;
    sheet_->setGeometry(x, 0, fullWidth_, height());
}

}  // namespace quillo
