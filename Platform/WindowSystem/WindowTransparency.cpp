#include "Platform/WindowSystem/WindowTransparency.h"

#include "Platform/WindowSystem/FramelessWindowGrips.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

// The screen number of the display name (":0.1" is screen 1; without one, screen 0).
int defaultScreenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    if (colon < 0 || dot < 0) return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 ? screen : 0;
}

bool x11CompositingManagerRuns() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(defaultScreenNumber());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, std::uint16_t(name.size()), name.constData()), nullptr);
    if (!atom) return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE) return false;  // never interned: nobody owns it
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!owner) return false;
    const bool owned = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}

}  // namespace

bool compositorAvailable() {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland"))) return true;
    return platform == QLatin1String("xcb") && x11CompositingManagerRuns();
}

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
