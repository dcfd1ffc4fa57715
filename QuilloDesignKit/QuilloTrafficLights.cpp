#include "QuilloDesignKit/QuilloTrafficLights.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

namespace quillo {

namespace {

constexpr int kLightSize = 12;
constexpr double kSymbolSize = 6.5;

class Light : public QAbstractButton {
public:
    Light(const QuilloTrafficLights* row, const QColor& color, QString symbol, const QString& label, QWidget* parent)
        : QAbstractButton(parent), row_(row), color_(color), symbol_(std::move(symbol)) {
        setFixedSize(kLightSize, kLightSize);
        setToolTip(label);
        setAccessibleName(label);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const bool lit = row_->isHovering();
        QuilloPainting::fillCircle(painter, rect(), lit ? color_ : QuilloTrafficLights::idle());
        if (!lit) return;
        const QPointF centre = QRectF(rect()).center();
        QuilloSymbol::paint(
            painter, QRectF(centre - QPointF(kSymbolSize / 2, kSymbolSize / 2), QSizeF(kSymbolSize, kSymbolSize)),
            symbol_, Color::withOpacity(Qt::black, 0.55), QFont::Black);
    }

private:
    const QuilloTrafficLights* row_;
    QColor color_;
    QString symbol_;
};

}  // namespace

const QColor& QuilloTrafficLights::red() {
    static const QColor c = QColor::fromRgbF(1.0f, 0.373f, 0.341f);
    return c;
}
const QColor& QuilloTrafficLights::yellow() {
    static const QColor c = QColor::fromRgbF(0.996f, 0.737f, 0.18f);
    return c;
}
const QColor& QuilloTrafficLights::green() {
    static const QColor c = QColor::fromRgbF(0.157f, 0.784f, 0.251f);
    return c;
}
const QColor& QuilloTrafficLights::idle() {
    static const QColor c = Color::withOpacity(Qt::white, 0.22);
    return c;
}

QuilloTrafficLights::QuilloTrafficLights(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    close_ = new Light(this, red(), QStringLiteral("xmark"), QStringLiteral("Close Window"), this);
    minimize_ = new Light(this, yellow(), QStringLiteral("minus"), QStringLiteral("Minimize Window"), this);
    zoom_ = new Light(this, green(), QStringLiteral("arrow.up.left.and.arrow.down.right"),
                      QStringLiteral("Zoom Window"), this);
    for (QAbstractButton* light : {close_, minimize_, zoom_}) row->addWidget(light, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    connect(close_, &QAbstractButton::clicked, this, [this] {
        if (QWidget* window = targetWindow()) window->close();
    });
    connect(minimize_, &QAbstractButton::clicked, this, [this] {
        if (QWidget* window = targetWindow()) window->showMinimized();
    });
    connect(zoom_, &QAbstractButton::clicked, this, [this] {
        QWidget* window = targetWindow();
        if (!window) return;
        if (window->isMaximized())
            window->showNormal();
        else
            window->showMaximized();
    });
}

QWidget* QuilloTrafficLights::targetWindow() const {
    QWidget* window = this->window();
    return window == this ? nullptr : window;
}

void QuilloTrafficLights::setHovering(bool hovering) {
    if (hovering == isHovering_) return;
    isHovering_ = hovering;
    for (QAbstractButton* light : {close_, minimize_, zoom_}) light->update();
}

void QuilloTrafficLights::enterEvent(QEnterEvent*) { setHovering(true); }
void QuilloTrafficLights::leaveEvent(QEvent*) { setHovering(false); }

}  // namespace quillo
