#include "QuilloDesignKit/QuilloWindowTransparencyAccessor.h"

#include "Platform/WindowSystem/WindowTransparency.h"

#include <QTimer>

namespace quillo {

QuilloWindowTransparencyAccessor::QuilloWindowTransparencyAccessor(std::optional<QSize> minSize, QWidget* parent)
    : QWidget(parent), minSize_(minSize) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    // The window may still be being assembled; style it once the current turn is over.
    QTimer::singleShot(0, this, &QuilloWindowTransparencyAccessor::styleWindow);
}

void QuilloWindowTransparencyAccessor::styleWindow() {
    if (!parentWidget()) return;  // not placed in a window
    platform::makeWindowTransparent(window(), minSize_);
}

void quilloTransparentWindow(QWidget* content, std::optional<QSize> minSize) {
    new QuilloWindowTransparencyAccessor(minSize, content);
}

}  // namespace quillo
