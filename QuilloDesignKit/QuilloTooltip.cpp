#include "QuilloDesignKit/QuilloTooltip.h"

#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloTooltipClock.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QWidget>

namespace quillo {

namespace {
constexpr int kFadeInMs = 100;
}  // namespace

QuilloTooltip::QuilloTooltip(QWidget* control, const QString& text, const std::optional<QString>& shortcut,
                             QuilloEdge edge, QuilloTooltipClock* clock)
    : QObject(control),
      control_(control),
      text_(text),
      shortcut_(shortcut),
      edge_(edge),
      clock_(clock ? clock : &QuilloTooltipClock::system()) {
    control_->setAccessibleName(text_);
    control_->setAccessibleDescription(shortcut_ ? QStringLiteral("Shortcut ") + *shortcut_ : QString());
    control_->installEventFilter(this);
}

QuilloTooltip::~QuilloTooltip() { delete pill_; }

QuilloTooltipPill* QuilloTooltip::pill() const { return pill_; }

void QuilloTooltip::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    control_->setAccessibleName(text_);
    if (pill_) {
        pill_->setText(text_);
        if (isShown_) place();
    }
}

bool QuilloTooltip::eventFilter(QObject* watched, QEvent* event) {
    // A shown pill follows its control when the control or any widget around it moves or is
    // resized (a layout change, the window resized).
    if (isShown_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) place();
    if (watched != control_) return false;
    switch (event->type()) {
    case QEvent::Enter: pointerEntered(); break;
    case QEvent::Leave: pointerLeft(); break;
    // A click hides the pill and goes on to the control.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: hide(); break;
    case QEvent::Hide: pointerLeft(); break;
    default: break;
    }
    return false;
}

void QuilloTooltip::pointerEntered() {
    isHovering_ = true;
    clock_->after(kDelayMs, this, [this] {
        if (isHovering_ && !isShown_) show();
    });
}

void QuilloTooltip::pointerLeft() {
    isHovering_ = false;
    hide();
}

void QuilloTooltip::show() {
    QWidget* window = control_->window();
    if (window == control_) return;  // a control not placed in a window has nowhere to show it
    if (!pill_)
        pill_ = new QuilloTooltipPill(text_, shortcut_, window);
    else if (pill_->parentWidget() != window)
        pill_->setParent(window);
    isShown_ = true;
    for (QWidget* around = control_->parentWidget(); around; around = around->parentWidget()) {
        around->installEventFilter(this);
        if (around == window) break;
    }
    place();
    pill_->raise();

    auto* fade = new QGraphicsOpacityEffect(pill_);
    pill_->setGraphicsEffect(fade);
    pill_->show();
    const int duration = QuilloAnimation::duration(kFadeInMs);
    if (duration == 0) {
        pill_->setGraphicsEffect(nullptr);
        return;
    }
    fade->setOpacity(0);
    auto* animation = new QPropertyAnimation(fade, "opacity", fade);
    animation->setDuration(duration);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setEasingCurve(QuilloAnimation::easeOut());
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void QuilloTooltip::hide() {
    if (isShown_) {
        for (QWidget* around = control_->parentWidget(); around; around = around->parentWidget()) {
            around->removeEventFilter(this);
        }
    }
    isShown_ = false;
    if (pill_) pill_->hide();  // at once, without a fade
}

void QuilloTooltip::place() {
    QWidget* window = pill_->parentWidget();
    const QSizeF size = pill_->sizeHint();
    const QRectF anchor(control_->mapTo(window, QPoint(0, 0)), QSizeF(control_->size()));
    const QRectF container = QuilloTooltipPositioning::currentContainerBounds(control_);
    const double left = anchor.center().x() - size.width() / 2 +
                        QuilloTooltipPositioning::horizontalCorrection(anchor, size, container);
    const double top = QuilloTooltipPositioning::pillTop(anchor, size.height(), edge_);
    pill_->setGeometry(QRectF(QPointF(left, top), size).toAlignedRect());
}

QuilloTooltip* quilloTooltip(QWidget* control, const QString& text, const std::optional<QString>& shortcut,
                             QuilloEdge edge) {
    return new QuilloTooltip(control, text, shortcut, edge);
}

}  // namespace quillo
