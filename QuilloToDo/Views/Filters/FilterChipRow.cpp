#include "QuilloToDo/Views/Filters/FilterChipRow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace quillo {
namespace {

constexpr int kChipSpacing = 4;
constexpr int kPaddingHorizontal = 2;
constexpr int kPaddingVertical = 1;
// Qt's own step for one notch of a wheel: 120 units of angle.
constexpr double kUnitsPerNotch = 120.0;

}  // namespace

FilterChipRow::FilterChipRow(QWidget* parent)
    : QScrollArea(parent), strip_(new QWidget), layout_(new QHBoxLayout(strip_)) {
    setFocusPolicy(Qt::NoFocus);  // its chips take the focus; the row follows them
    layout_->setSpacing(kChipSpacing);
    layout_->setContentsMargins(kPaddingHorizontal, kPaddingVertical, kPaddingHorizontal, kPaddingVertical);
    layout_->setSizeConstraint(QLayout::SetFixedSize);
    setWidget(strip_);
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The pane's background shows through.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    strip_->setAutoFillBackground(false);
}

void FilterChipRow::setChips(const QList<QWidget*>& chips) {
    for (QWidget* chip : std::as_const(chips_)) delete chip;
    chips_ = chips;
    for (QWidget* chip : chips) layout_->addWidget(chip, 0, Qt::AlignVCenter);
    strip_->adjustSize();
    updateGeometry();
}

QSize FilterChipRow::sizeHint() const { return strip_->sizeHint(); }

QSize FilterChipRow::minimumSizeHint() const {
    // Any width: what does not fit scrolls.
    return {0, strip_->sizeHint().height()};
}

void FilterChipRow::wheelEvent(QWheelEvent* event) {
    QScrollBar* bar = horizontalScrollBar();
    const QPoint pixels = event->pixelDelta();
    const QPoint angle = event->angleDelta();
    // Horizontal scrolling (a trackpad, a tilting wheel) is already sideways.
    const bool vertical = pixels.isNull() ? (angle.x() == 0 && angle.y() != 0) : (pixels.x() == 0 && pixels.y() != 0);
    if (!vertical || bar->maximum() == 0) {
        QScrollArea::wheelEvent(event);
        return;
    }
    const double step = pixels.isNull()
                            ? angle.y() / kUnitsPerNotch * QApplication::wheelScrollLines() * bar->singleStep()
                            : pixels.y();
    bar->setValue(bar->value() - static_cast<int>(std::lround(step)));
    event->accept();
}

}  // namespace quillo
