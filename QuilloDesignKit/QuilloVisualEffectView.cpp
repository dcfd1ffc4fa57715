#include "QuilloDesignKit/QuilloVisualEffectView.h"

#include <QPainter>

namespace quillo {

QuilloVisualEffectView::QuilloVisualEffectView(platform::VisualEffectMaterial material,
                                               platform::VisualEffectBlendingMode blendingMode, QWidget* parent)
    : QWidget(parent), material_(material), blendingMode_(blendingMode) {}

void QuilloVisualEffectView::setMaterial(platform::VisualEffectMaterial material) {
    material_ = material;
    update();
}

void QuilloVisualEffectView::setBlendingMode(platform::VisualEffectBlendingMode mode) {
    blendingMode_ = mode;
    update();
}

void QuilloVisualEffectView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    platform::paintVisualEffect(painter, rect(), material_, blendingMode_, this);
}

}  // namespace quillo
