#include "QuilloDesignKit/QuilloDivider.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QPainter>

namespace quillo {

QuilloDivider::QuilloDivider(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(1);
}

void QuilloDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(12, 0, std::max(0, width() - 24), 1), Color::quilloDivider());
}

}  // namespace quillo
