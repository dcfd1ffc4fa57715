#pragma once

#include <QColor>
#include <QRectF>

class QPainter;
class QWidget;

// Stands in for the window system's frosted visual-effect view. Nothing behind a window can be
// blurred here, so each material paints a flat colour close to its dark-scheme look: translucent
// where the window really is see-through (a compositor runs) or where it blends within the
// window, and an opaque stand-in under "behind window" blending otherwise, so that the window
// stays readable at any tint and screenshots are deterministic.
namespace platform {

enum class VisualEffectMaterial { hudWindow, sidebar, windowBackground, popover, ultraThin };
enum class VisualEffectBlendingMode { behindWindow, withinWindow };

QColor visualEffectColor(VisualEffectMaterial material, VisualEffectBlendingMode mode, bool windowIsTranslucent);

// Fills `rect` with the material's stand-in, for the window `widget` sits in.
void paintVisualEffect(QPainter& painter, const QRectF& rect, VisualEffectMaterial material,
                       VisualEffectBlendingMode mode, const QWidget* widget);

}  // namespace platform
