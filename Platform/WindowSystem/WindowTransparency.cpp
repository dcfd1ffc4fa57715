#include "Platform/WindowSystem/WindowTransparency.h"

#include "Platform/WindowSystem/FramelessWindowGrips.h"

#include <QGuiApplication>
#include <QWidget>

namespace platform {

bool compositorAvailable() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

void makeWindowTransparent(QWidget* window, std::optional<QSize> minSize) {
    const bool wasVisible = window->isVisible();
    if (compositorAvailable()) window->setAttribute(Qt::WA_TranslucentBackground);
    if (minSize) window->setMinimumSize(*minSize);
    // Without a title bar the window system no longer moves or resizes the window by itself.
    if (!window->findChild<FramelessWindowGrips*>(QString(), Qt::FindDirectChildrenOnly))
        new FramelessWindowGrips(window, FramelessWindowGrips::kTitleStripHeight);
    if (!(window->windowFlags() & Qt::FramelessWindowHint)) {
        window->setWindowFlag(Qt::FramelessWindowHint);
        if (wasVisible) window->show();  // changing the flags hides a shown window
    }
}

bool isWindowTranslucent(const QWidget* window) {
    return window && window->testAttribute(Qt::WA_TranslucentBackground);
}

}  // namespace platform
