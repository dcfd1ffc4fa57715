#pragma once

#include <QSize>

#include <optional>

class QWidget;

// Stands in for the window system's see-through, title-less windows.
namespace platform {

// Whether windows can really be see-through: a compositor blends them with what lies behind.
// Wayland always composites; X11 does while a compositing manager runs (it owns the selection
// _NET_WM_CM_S<screen> of the display's default screen), asked anew at each call. Elsewhere
// (offscreen, X11 without one) windows stay opaque, which keeps them readable.
bool compositorAvailable();

// Removes the title bar and the window buttons (a frameless window), makes the window see-through
// where a compositor runs and, when `minSize` is given, keeps it from being made smaller. The
// window is then moved by dragging its top strip and resized at its edges (FramelessWindowGrips).
// A window already on screen is shown again after its flags change.
void makeWindowTransparent(QWidget* window, std::optional<QSize> minSize);

// Whether `window` was made see-through (its background is left to what it paints).
bool isWindowTranslucent(const QWidget* window);

}  // namespace platform
