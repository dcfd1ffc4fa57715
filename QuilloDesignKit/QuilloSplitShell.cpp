#include "QuilloDesignKit/QuilloSplitShell.h"

#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloHudBackground.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSidebarResizeHandle.h"

#include <QPainter>
#include <QVariantAnimation>

namespace quillo {

QuilloSplitShell::QuilloSplitShell(const QuilloSplitShellOptions& options, QWidget* sidebar, QWidget* content,
                                   QWidget* parent)
    : QWidget(parent),
      options_(options),
      sidebar_(sidebar),
      content_(content),
      handle_(new QuilloSidebarResizeHandle([this] { return sidebarWidth_; },
                                            [this](double width) { setSidebarWidth(width); }, options.minSidebarWidth,
                                            options.maxSidebarWidth, this)),
      reveal_(new QVariantAnimation(this)),
      sidebarWidth_(options.idealSidebarWidth) {
    sidebar_->setParent(this);
    content_->setParent(this);
    handle_->raise();
    reveal_->setEasingCurve(QuilloAnimation::easeInOut());
    connect(reveal_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        shown_ = value.toDouble();
        layoutColumns();
    });
    connect(reveal_, &QVariantAnimation::finished, this, [this] {
        shown_ = collapsed_ ? 0 : 1;
        layoutColumns();
    });
}

void QuilloSplitShell::setSidebarCollapsed(bool collapsed, bool animated) {
    if (collapsed == collapsed_) return;
    collapsed_ = collapsed;
    reveal_->stop();
    const double target = collapsed ? 0 : 1;
    const int duration = animated ? QuilloAnimation::duration(QuilloAnimation::kLayoutDurationMs) : 0;
    if (duration == 0) {
        shown_ = target;
        layoutColumns();
        return;
    }
    reveal_->setDuration(duration);
    reveal_->setStartValue(shown_);
    reveal_->setEndValue(target);
    reveal_->start();
}

void QuilloSplitShell::setSidebarWidth(double width) {
    if (width == sidebarWidth_) return;
    sidebarWidth_ = width;
    layoutColumns();  // follows the pointer without animating
}

void QuilloSplitShell::setBaseColor(const QColor& color, double opacity) {
    options_.baseColor = color;
    options_.baseOpacity = opacity;
    update();
}

void QuilloSplitShell::setSidebarCard(const QColor& color, double opacity) {
    options_.sidebarCardColor = color;
    options_.sidebarCardOpacity = opacity;
    update();
}

QRectF QuilloSplitShell::sidebarCardRect() const {
    // Slides left by the card and its gaps as the sidebar collapses.
    const double slide = (1 - shown_) * (sidebarWidth_ + 2 * kCardInset + 1);
    return {kCardInset - slide, 0, sidebarWidth_, double(height())};
}

void QuilloSplitShell::resizeEvent(QResizeEvent*) { layoutColumns(); }

void QuilloSplitShell::layoutColumns() {
    const bool sidebarVisible = shown_ > 0;
    sidebar_->setVisible(sidebarVisible);
    handle_->setVisible(sidebarVisible && !collapsed_);
    const QRectF card = sidebarCardRect();
    if (sidebarVisible) {
        sidebar_->setGeometry(card.toAlignedRect());
        // 9 points wide, reaching 8 points back over the gap right of the card.
        handle_->setGeometry(QRectF(card.right(), 0, QuilloSidebarResizeHandle::kStripWidth, height()).toRect());
    }
    const int contentLeft = sidebarVisible ? int(std::round(card.right() + kCardInset + 1)) : 0;
    content_->setGeometry(std::max(0, contentLeft), 0, std::max(0, width() - contentLeft), height());
    update();
}

void QuilloSplitShell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintHudBackground(painter, rect(), options_.baseColor, options_.baseOpacity, this);
    if (shown_ <= 0) return;
    const QRectF card = sidebarCardRect();
    QuilloPainting::fillRoundedRect(painter, card, kCardCornerRadius,
                                    Color::withOpacity(options_.sidebarCardColor, options_.sidebarCardOpacity));
    QuilloPainting::strokeInsideRoundedRect(painter, card, kCardCornerRadius, Color::withOpacity(Qt::white, 0.06));
}

}  // namespace quillo
