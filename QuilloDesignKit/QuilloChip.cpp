#include "QuilloDesignKit/QuilloChip.h"

#include "QuilloDesignKit/QuilloAccessibility.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"

#include <QPainter>

#include <cmath>

namespace quillo {

namespace {
constexpr double kSymbolSide = 12;
constexpr double kSpacing = 4;
}  // namespace

QuilloChip::QuilloChip(const QString& label, const QuilloChipOptions& options, QWidget* trailing,
                       std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), options_(options), trailing_(trailing), action_(std::move(action)) {
    QuilloAccessibility::install();
    setText(label);
    setCheckable(true);
    setChecked(options_.isSelected);
    setEnabled(!options_.isDisabled);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    if (trailing_) trailing_->setParent(this);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_) action_();
    });
    relayout();
}

void QuilloChip::setSelected(bool selected) {
    if (selected == options_.isSelected) return;
    options_.isSelected = selected;
    setChecked(selected);
    updateGeometry();
    relayout();
    update();
    Q_EMIT selectedChanged(selected);
}

void QuilloChip::setTint(const QColor& tint) {
    options_.tint = tint;
    update();
}

void QuilloChip::setChipStyle(const QuilloChipStyle& style) {
    options_.style = style;
    update();
}

void QuilloChip::setDisabled(bool disabled) {
    options_.isDisabled = disabled;
    setEnabled(!disabled);
    update();
}

QColor QuilloChip::foreground() const {
    return chipForeground(options_.isSelected, options_.tint, options_.style, options_.isDisabled);
}

QuilloChipChrome QuilloChip::chrome() const {
    return {options_.isSelected, options_.tint, options_.style, options_.size};
}

QFont QuilloChip::labelFont() const {
    return quilloFont(14, options_.isSelected ? QuilloFontWeight::demiBold : QuilloFontWeight::medium);
}

QSize QuilloChip::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    double width = metrics.horizontalAdvance(text());
    double height = metrics.height();
    if (!options_.icon.isEmpty()) width += kSymbolSide + kSpacing;
    if (trailing_) {
        const QSize trailingSize = trailing_->sizeHint();
        width += kSpacing + trailingSize.width();
        height = std::max(height, double(trailingSize.height()));
    }
    const QMarginsF pad = chrome().padding();
    return {int(std::ceil(width + pad.left() + pad.right())), int(std::ceil(height + pad.top() + pad.bottom()))};
}

void QuilloChip::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    relayout();
}

void QuilloChip::relayout() {
    if (!trailing_) return;
    const QSize trailingSize = trailing_->sizeHint();
    const QMarginsF pad = chrome().padding();
    trailing_->setGeometry(int(width() - pad.right() - trailingSize.width()), (height() - trailingSize.height()) / 2,
                           trailingSize.width(), trailingSize.height());
}

bool QuilloChip::hitButton(const QPoint& pos) const {
    return QuilloPainting::roundedRect(rect(), QuilloChipChrome::kCornerRadius).contains(pos);
}

void QuilloChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    chrome().paint(painter, rect());
    const QMarginsF pad = chrome().padding();
    const QColor color = foreground();
    double x = pad.left();
    const double midY = height() / 2.0;
    if (!options_.icon.isEmpty()) {
        QuilloSymbol::paint(painter, QRectF(x, midY - kSymbolSide / 2, kSymbolSide, kSymbolSide), options_.icon, color,
                            QFont::Medium);
        x += kSymbolSide + kSpacing;
    }
    const QFont font = labelFont();
    painter.setFont(font);
    painter.setPen(color);
    const double textWidth = QFontMetricsF(font).horizontalAdvance(text());
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) QuilloPainting::strokeFocusRing(painter, rect(), QuilloChipChrome::kCornerRadius);
}

}  // namespace quillo
