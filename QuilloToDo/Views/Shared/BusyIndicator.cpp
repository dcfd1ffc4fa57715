#include "QuilloToDo/Views/Shared/BusyIndicator.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace quillo {
namespace {

constexpr int kTurnMs = 900;
constexpr int kArcDegrees = 270;

}  // namespace

BusyIndicator::BusyIndicator(double size, QWidget* parent)
    : QWidget(parent), size_(size), turn_(new QVariantAnimation(this)) {
    turn_->setStartValue(0.0);
    turn_->setEndValue(360.0);
    turn_->setDuration(kTurnMs);
    turn_->setLoopCount(-1);
    connect(turn_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        angle_ = value.toDouble();
        update();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BusyIndicator::sizeHint() const {
    const int side = static_cast<int>(std::ceil(size_));
    return {side, side};
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double pen = std::max(1.5, size_ / 8);
    const QRectF box = QRectF(QPointF(0, 0), QSizeF(size_, size_)).adjusted(pen, pen, -pen, -pen);
    painter.translate(QRectF(rect()).center() - QRectF(QPointF(0, 0), QSizeF(size_, size_)).center());
    painter.setPen(QPen(Color::quilloTextSecondary(), pen, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(box, static_cast<int>(-angle_ * 16), kArcDegrees * 16);
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    turn_->start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    turn_->stop();
}

}  // namespace quillo
