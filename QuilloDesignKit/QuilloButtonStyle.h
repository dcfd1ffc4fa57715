#pragma once

#include <QColor>
#include <QMarginsF>

namespace quillo {

// What a button's chrome looks like in one state.
struct QuilloButtonChrome {
    QColor fill;
    QColor hairline;  // 1 point, inside the edge
    double opacity;   // of the whole button
};

// The text button: Medium 14, padding 12 x 8, a rounded rectangle (radius 8) filled with the accent
// background only when active, a hairline that brightens while pressed, and the whole dimmed to 0.8
// while pressed.
struct QuilloButtonStyle {
    bool isActive = false;

    static constexpr double kCornerRadius = 8;
    static constexpr QMarginsF kPadding{12, 8, 12, 8};
    QuilloButtonChrome chrome(bool pressed) const;
};

// The round symbol button: a `size` square, a circle behind the label filled with the selection
// colour while pressed, a 0.08 white hairline, 0.8 opacity while pressed.
struct QuilloIconButtonStyle {
    double size = 32;
    QuilloButtonChrome chrome(bool pressed) const;
};

// QuilloIconButtonStyle(size: 32).
inline constexpr double kQuilloIconButtonSize = 32;

}  // namespace quillo
