#pragma once

#include <QEasingCurve>

namespace quillo::QuilloAnimation {

// The ease-in-out of layout changes: cubic Bezier (0.42, 0, 0.58, 1) over 0.2 s.
QEasingCurve easeInOut();
QEasingCurve easeOut();
inline constexpr int kLayoutDurationMs = 200;

// Tests switch every animation of the kit off: durations then are 0 and changes land at once.
void setEnabled(bool enabled);
bool isEnabled();
// `ms`, or 0 while animations are switched off.
int duration(int ms);

}  // namespace quillo::QuilloAnimation
